#include "shell/formbase.h"

#include "shell/shellstyle.h"
#include "widgets/gradientbutton.h"
#include "widgets/titlelabel.h"

#include <QHBoxLayout>
#include <QStyle>
#include <QVBoxLayout>

namespace pelanova {

TfrmBase::TfrmBase(ScreenContext &context, QWidget *parent)
    : HostedScreen(context, parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto *band = new TitleLabel(QString(), this);
    band->setGradient(shell::kHeaderTop, shell::kHeaderBottom);
    band->setOutline(shell::kHeaderLine, 1);
    band->setFixedHeight(49);
    Panel1 = band;
    layout->addWidget(Panel1);

    auto *header = new QHBoxLayout(Panel1);
    header->setContentsMargins(4, 4, 4, 4);
    header->setSpacing(4);

    pnlTitle = new TitleLabel(QString(), Panel1);
    pnlTitle->setFixedSize(176, 41);
    pnlTitle->setPixelFont(QStringLiteral("ＭＳ ゴシック"), 15, true);
    pnlTitle->setTextColour(QColor(0, 0, 255));
    pnlTitle->setGradient(QColor(233, 252, 188), QColor(233, 252, 188));
    pnlTitle->setOutline(QColor(255, 128, 0), 2);
    pnlTitle->hide();
    header->addWidget(pnlTitle);
    header->addStretch(1);

    m_headerButtons = new QHBoxLayout;
    m_headerButtons->setSpacing(4);
    header->addLayout(m_headerButtons);

    btnMenu = new GradientButton(QStringLiteral("メニュー"), QString(), Panel1);
    btnMenu->setObjectName(QStringLiteral("btnMenu"));
    btnMenu->setFixedSize(116, 41);
    btnMenu->setCaptionPixelSize(15, true);
    btnMenu->setCaptionColour(QColor(255, 255, 0));
    btnMenu->setGradient(QColor(46, 139, 87), QColor(0, 88, 40));
    btnMenu->setFrameColour(QColor(0, 64, 0));
    btnMenu->setPicture(style()->standardIcon(QStyle::SP_ArrowBack), 20);
    header->addWidget(btnMenu, 0, Qt::AlignRight | Qt::AlignVCenter);
    on(btnMenu, &QAbstractButton::clicked, [this] { btnMenuClick(); });

    m_body = new QWidget(this);
    layout->addWidget(m_body, 1);
}

void TfrmBase::setTitle(const QString &title)
{
    pnlTitle->setText(title);
    pnlTitle->setVisible(!title.isEmpty());
}

QString TfrmBase::title() const
{
    return pnlTitle->text();
}

void TfrmBase::addHeaderButton(QAbstractButton *button)
{
    button->setParent(Panel1);
    m_headerButtons->addWidget(button, 0, Qt::AlignVCenter);
}

GradientButton *TfrmBase::createHeaderButton(const QString &line1, const QString &line2, int width)
{
    auto *button = new GradientButton(line1, line2, Panel1);
    button->setFixedSize(width, 41);
    button->setCaptionPixelSize(13, true);
    button->setGradient(shell::kButtonTop, shell::kButtonBottom);
    addHeaderButton(button);
    return button;
}

void TfrmBase::btnMenuClick()
{
    try {
        closeScreen();
    } catch (...) {
        // The menu comes back even when the close handling fails.
        context().showScreen(ScreenMenu);
        throw;
    }
    context().showScreen(ScreenMenu);
}

} // namespace pelanova
