#pragma once

#include "import/frmimportmsg.h"
#include "import/importengine.h"
#include "shell/formbase.h"

#include <memory>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace pelanova {

class GradientButton;
class KeyedListBox;
class StripedGrid;

// 総合振込データの取込: the user picks a facility and a transfer request date,
// imports the facility's transfer file, sees its import history and deletes
// an import.
class TfrmImport : public TfrmBase
{
    Q_OBJECT

public:
    TfrmImport(ScreenContext &context, QWidget *parent);
    ~TfrmImport() override;

    GradientButton *btnImport;
    GradientButton *btnDelete;
    QLineEdit *EditFurikomiDate;
    QPushButton *btnFurikomiDate;
    QPushButton *btnPrev;
    QPushButton *btnToday;
    QPushButton *btnNext;
    KeyedListBox *lstShisetu;
    StripedGrid *GridList;

    // The facility whose history is shown and into which files are imported.
    std::optional<int> currentFacility() const { return m_facility; }
    // The progress of the running import (tests press its cancel button).
    ImportProgressDialog &progress() { return m_progress; }
    bool importRunning() const { return m_running; }

    void btnImportClick();
    void btnDeleteClick();
    void btnFurikomiDateClick();
    void btnPrevClick();
    void btnTodayClick();
    void btnNextClick();
    void lstShisetuClick();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void loadFacilities();
    void fillHistory();
    // The date edit read as a date; nothing when it holds no readable date.
    std::optional<QDate> readDate() const;
    void setDate(const QDate &date);
    void setBusy(bool busy);

    ImportProgressDialog m_progress;
    std::unique_ptr<ImportEngine> m_engine;
    std::optional<int> m_facility;
    bool m_running = false;
    bool m_firstShow = true;
};

} // namespace pelanova
