#pragma once

#include "masters/masterdata.h"
#include "shell/formbase.h"

#include <functional>
#include <optional>

class QLineEdit;
class QPushButton;

class QDialog;

namespace pelanova {

class GradientButton;
class NumericEdit;
class StripedGrid;

namespace sql {
class Database;
}

// 施設マスター: registers the facilities whose transfer files are imported and
// edits their names and transfer file names (M_施設). Facilities are never
// deleted here.
class TfrmShisetuMaster : public TfrmBase
{
    Q_OBJECT

public:
    enum EditMode { ModeBrowse = 0, ModeNew = 1, ModeEdit = 2 };

    TfrmShisetuMaster(ScreenContext &context, QWidget *parent);

    EditMode editMode() const { return m_mode; }

    void btnNewClick();
    void btnEditClick();
    // 修正 for a double click on a facility line.
    void GridListDblClick(int row);
    void btnSaveClick();
    void btnCancelClick();

    // The facilities written to a CSV or Excel file, and read back from CSV.
    void btnExportClick();
    void btnImportClick();
    // Runs a modal dialog of this screen (the import's preview); tests
    // replace it to answer the dialog.
    std::function<int(QDialog &)> execDialog;

    GradientButton *btnNew;
    GradientButton *btnEdit;
    GradientButton *btnExport;
    GradientButton *btnImport;
    StripedGrid *GridList;
    NumericEdit *EditCode;
    QLineEdit *EditName;
    QLineEdit *EditFileName;
    QPushButton *btnSave;
    QPushButton *btnCancel;

private:
    void FormCreate();
    void SetEditMode(EditMode mode);
    void LoadFacilityList();
    bool CheckEntry();
    void WriteEntry();
    bool IsEntryChanged() const;
    // Stores the entry as 登録 does: checks, write, browse, reload.
    void saveEntry();
    // The code of the selected facility line, when a facility line is selected.
    QString selectedCode() const;

    sql::Database &db() const;

    EditMode m_mode = ModeBrowse;
    // The facility as 修正 showed it: its edit is stored only while the row
    // still holds this.
    std::optional<masters::Facility> m_shown;
};

} // namespace pelanova
