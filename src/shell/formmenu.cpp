#include "shell/formmenu.h"

#include "widgets/gradientbutton.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

namespace pelanova {

namespace {

QFrame *makeGroup(QWidget *parent, const QColor &ground)
{
    auto *group = new QFrame(parent);
    group->setFrameShape(QFrame::Box);
    group->setFrameShadow(QFrame::Raised);
    group->setLineWidth(1);
    group->setAutoFillBackground(true);
    QPalette pal = group->palette();
    pal.setColor(QPalette::Window, ground);
    group->setPalette(pal);
    auto *layout = new QVBoxLayout(group);
    layout->setContentsMargins(16, 14, 16, 14);
    layout->setSpacing(12);
    return group;
}

QIcon pictureFor(QStyle *style, uint8_t screenId)
{
    switch (screenId) {
    case ScreenImport: return style->standardIcon(QStyle::SP_ArrowDown);
    case ScreenFurikomiPrint: return style->standardIcon(QStyle::SP_FileDialogDetailedView);
    case ScreenShisetuMaster: return style->standardIcon(QStyle::SP_DirHomeIcon);
    case ScreenFurikomiTesuuryou: return style->standardIcon(QStyle::SP_FileDialogListView);
    case ScreenKakusyu: return style->standardIcon(QStyle::SP_FileDialogInfoView);
    default: return style->standardIcon(QStyle::SP_DialogCloseButton);
    }
}

} // namespace

TfrmMenu::TfrmMenu(ScreenContext &context, QWidget *parent)
    : HostedScreen(context, parent)
{
    setWindowTitle(QStringLiteral("メニュー"));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(248, 248, 240));
    setPalette(pal);

    auto *outer = new QGridLayout(this);
    outer->setContentsMargins(12, 12, 12, 12);

    auto *column = new QVBoxLayout;
    column->setSpacing(18);

    QFrame *data = makeGroup(this, QColor(202, 202, 255));
    const QColor purple(128, 0, 128);
    btnImport = addEntry(data, purple, QStringLiteral("データ取込"),
                         QStringLiteral("各施設の振込データを取り込みます。"), ScreenImport);
    btnFurikomiIraiPrint =
        addEntry(data, purple, QStringLiteral("振込依頼書"),
                 QStringLiteral("振込依頼書の印刷および集計した振込データを\n作成します。"), ScreenFurikomiPrint);
    column->addWidget(data);

    QFrame *masters = makeGroup(this, QColor(239, 254, 203));
    const QColor teal(0, 128, 128);
    btnShisetuMaster = addEntry(masters, teal, QStringLiteral("施設マスター"),
                                QStringLiteral("振込データを取り込む施設を登録します。"), ScreenShisetuMaster);
    btnFurikomiTesuuryou = addEntry(masters, teal, QStringLiteral("振込手数料"),
                                    QStringLiteral("振込にかかる手数料を登録します。"), ScreenFurikomiTesuuryou);
    btnKakusyu = addEntry(masters, teal, QStringLiteral("各種設定"), QStringLiteral("その他設定を登録します。"),
                          ScreenKakusyu);
    column->addWidget(masters);

    outer->setRowStretch(0, 1);
    outer->addLayout(column, 1, 1);
    outer->setRowStretch(2, 1);
    outer->setColumnStretch(0, 1);
    outer->setColumnStretch(2, 1);

    auto *endPanel = new QFrame(this);
    endPanel->setFrameShape(QFrame::Box);
    endPanel->setFrameShadow(QFrame::Raised);
    endPanel->setAutoFillBackground(true);
    QPalette endPal = endPanel->palette();
    endPal.setColor(QPalette::Window, QColor(0, 128, 64));
    endPanel->setPalette(endPal);
    auto *endLayout = new QHBoxLayout(endPanel);
    endLayout->setContentsMargins(10, 10, 10, 10);
    BitBtnSystemEnd = new GradientButton(QStringLiteral("システム終了"), QString(), endPanel);
    BitBtnSystemEnd->setObjectName(QStringLiteral("BitBtnSystemEnd"));
    BitBtnSystemEnd->setFixedSize(161, 64);
    BitBtnSystemEnd->setCaptionPixelSize(16, true);
    BitBtnSystemEnd->setCaptionColour(QColor(0, 64, 0));
    BitBtnSystemEnd->setGradient(QColor(255, 255, 255), QColor(200, 230, 200));
    BitBtnSystemEnd->setPicture(pictureFor(style(), ScreenEnd), 28);
    endLayout->addWidget(BitBtnSystemEnd);
    outer->addWidget(endPanel, 3, 2, Qt::AlignRight | Qt::AlignBottom);
    on(BitBtnSystemEnd, &QAbstractButton::clicked, [this] { this->context().showScreen(ScreenEnd); });
}

GradientButton *TfrmMenu::addEntry(QFrame *group, const QColor &captionColour, const QString &caption,
                                   const QString &description, uint8_t screenId)
{
    auto *row = new QHBoxLayout;
    row->setSpacing(10);

    auto *button = new GradientButton(caption, QString(), group);
    button->setFixedSize(161, 64);
    button->setCaptionPixelSize(16, true);
    button->setCaptionColour(captionColour);
    button->setGradient(QColor(255, 255, 255), QColor(214, 222, 236));
    button->setPicture(pictureFor(style(), screenId), 28);
    const bool available = !context().screenAvailable || context().screenAvailable(screenId);
    button->setEnabled(available);
    on(button, &QAbstractButton::clicked, [this, screenId] { this->context().showScreen(screenId); });
    row->addWidget(button);

    auto *text = new QLabel(description, group);
    text->setStyleSheet(QStringLiteral("QLabel { background: white; color: black; border: 1px solid #9090a8; }"));
    QFont f = text->font();
    f.setFamily(QStringLiteral("ＭＳ ゴシック"));
    f.setPixelSize(14);
    text->setFont(f);
    text->setFixedSize(400, 64);
    text->setIndent(10);
    text->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    row->addWidget(text);

    static_cast<QVBoxLayout *>(group->layout())->addLayout(row);
    return button;
}

} // namespace pelanova
