#include "import/frmimportmsg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace pelanova {

TfrmImportMsg::TfrmImportMsg(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint | Qt::WindowStaysOnTopHint)
{
    setWindowTitle(QStringLiteral("取込メッセージ"));
    setModal(false);
    auto *layout = new QVBoxLayout(this);
    m_message = new QLabel(this);
    m_message->setWordWrap(true);
    m_message->setMinimumHeight(40);
    m_bar = new QProgressBar(this);
    m_bar->setTextVisible(false);
    m_btnCancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    m_btnCancel->setAutoDefault(false);
    layout->addWidget(m_message);
    layout->addWidget(m_bar);
    layout->addWidget(m_btnCancel, 0, Qt::AlignHCenter);
    setFixedSize(360, 140);
    connect(m_btnCancel, &QPushButton::clicked, this, [this] {
        m_cancel = true;
        emit cancelRequestedChanged();
    });
}

void TfrmImportMsg::setMessage(const QString &text) { m_message->setText(text); }
void TfrmImportMsg::setRange(int maximum) { m_bar->setRange(0, maximum); }
void TfrmImportMsg::setPosition(int position) { m_bar->setValue(position); }

void TfrmImportMsg::closeEvent(QCloseEvent *event)
{
    // The window's own close box counts as a cancel; the engine closes it.
    m_cancel = true;
    event->ignore();
}

void TfrmImportMsg::reject()
{
    m_cancel = true; // Esc
}

ImportProgressDialog::ImportProgressDialog(QWidget *owner) : m_owner(owner) {}

ImportProgressDialog::~ImportProgressDialog()
{
    close();
}

void ImportProgressDialog::open()
{
    if (m_dialog)
        return;
    m_dialog = new TfrmImportMsg(m_owner ? m_owner->window() : nullptr);
}

void ImportProgressDialog::setMessage(const std::string &text)
{
    if (m_dialog)
        m_dialog->setMessage(QString::fromStdString(displayText(text)));
}

void ImportProgressDialog::setRange(int64_t maximum)
{
    m_scale = 1;
    while (maximum / m_scale > 1000000)
        m_scale *= 10;
    if (m_dialog)
        m_dialog->setRange(static_cast<int>(maximum / m_scale));
}

void ImportProgressDialog::setPosition(int64_t position)
{
    if (m_dialog)
        m_dialog->setPosition(static_cast<int>(position / m_scale));
}

void ImportProgressDialog::show()
{
    if (!m_dialog || m_dialog->isVisible())
        return;
    if (QWidget *main = m_dialog->parentWidget()) {
        const QRect frame = main->geometry();
        m_dialog->move(frame.center() - QPoint(m_dialog->width() / 2, m_dialog->height() / 2));
    }
    m_dialog->show();
}

void ImportProgressDialog::processEvents()
{
    QCoreApplication::processEvents();
}

bool ImportProgressDialog::cancelRequested() const
{
    return m_dialog && m_dialog->cancelRequested();
}

void ImportProgressDialog::close()
{
    if (m_dialog) {
        m_dialog->hide();
        delete m_dialog;
    }
}

void ImportProgressDialog::setBusy(bool busy)
{
    if (busy && !m_busy)
        m_busy.emplace();
    else if (!busy)
        m_busy.reset();
}

} // namespace pelanova
