#pragma once

#include "core/userinterface.h"
#include "widgets/busyscope.h"

#include <QDialog>
#include <QPointer>

#include <optional>

class QLabel;
class QProgressBar;
class QPushButton;

namespace pelanova {

// The import's progress dialog "取込メッセージ": a two-line message, a bar over
// the file's blocks and "ｷｬﾝｾﾙ", which sets the cancel request.
class TfrmImportMsg : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmImportMsg(QWidget *parent = nullptr);

    void setMessage(const QString &text);
    void setRange(int maximum);
    void setPosition(int position);
    bool cancelRequested() const { return m_cancel; }

    QPushButton *cancelButton() const { return m_btnCancel; }
    QProgressBar *progressBar() const { return m_bar; }
    QLabel *messageLabel() const { return m_message; }

signals:
    void cancelRequestedChanged();

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    QLabel *m_message;
    QProgressBar *m_bar;
    QPushButton *m_btnCancel;
    bool m_cancel = false;
};

// Progress of the import on the screen: creates a fresh TfrmImportMsg for each
// run (so the cancel request starts cleared), shows it without blocking, lets
// pending events run, and shows the wait cursor.
class ImportProgressDialog : public Progress
{
public:
    explicit ImportProgressDialog(QWidget *owner);
    ~ImportProgressDialog() override;

    void open() override;
    void setMessage(const std::string &text) override;
    void setRange(int64_t maximum) override;
    void setPosition(int64_t position) override;
    void show() override;
    void processEvents() override;
    bool cancelRequested() const override;
    void close() override;
    void setBusy(bool busy) override;

    TfrmImportMsg *dialog() const { return m_dialog; }

private:
    QWidget *m_owner;
    QPointer<TfrmImportMsg> m_dialog;
    int64_t m_scale = 1; // blocks per bar step, so that huge files fit an int
    std::optional<BusyScope> m_busy; // the wait cursor while the engine works
};

} // namespace pelanova
