#pragma once

#include "core/lineswatcher.h"
#include "core/records.h"
#include "core/zengincheck.h"
#include "core/sql.h"
#include "core/userinterface.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace pelanova {

class TDM1;

// One line of a facility's import history: the header row joined with its
// trailer (which may be missing) and the facility's name.
struct ImportHistoryRow
{
    int requestDate = 0;                 // the header's 振込依頼日: the import's key
    std::string facilityName;            // empty when the facility is not registered
    std::optional<int> trailerDate;      // the trailer's 振込依頼日
    std::optional<int64_t> count;        // 合計件数
    std::optional<int64_t> total;        // 合計金額
    std::optional<int> updateDate;       // the trailer's 更新年月日
};

// Stores one facility's transfer file under a transfer request date, lists and
// deletes imports. A file is stored whole or not at all. The engine talks to
// the user only through MessageBoxes and Progress.
class ImportEngine
{
public:
    enum class Outcome { Stored, Refused, Cancelled, Failed };

    // bank may be null or closed: kanji names are then left empty.
    ImportEngine(sql::Database &own, const sql::Database *bank, MessageBoxes &boxes, Progress &progress);

    // Fee category and threshold given to new recipients.
    void setRecipientDefaults(bool feeCategory, int feeThreshold);
    // Called before anything is deleted: writes a backup of the database, or
    // throws (BackupError) to stop the deletion.
    void setBackupHandler(std::function<void()> handler) { m_backup = std::move(handler); }
    // Told before and after an import or a deletion changes a consignor's
    // lines of a date (a bank file made of them may be left behind).
    void setLinesWatcher(LinesWatcher *watcher) { m_watcher = watcher; }
    // Called after a deletion is committed, before its message (the history refresh).
    void setHistoryChangedHandler(std::function<void()> handler) { m_historyChanged = std::move(handler); }

    bool IsAlreadyImported(int facility, int requestDate);
    std::string FindFacilityFileName(int facility);
    Outcome ImportTransferFile(const std::string &path, std::optional<int> facility, int requestDate,
                               int importDay);
    std::vector<ImportHistoryRow> ListImports(int facility);
    bool DeleteImport(int facility, int requestDate);
    std::pair<std::string, std::string> FindBankKanjiNames(int bank, int branch);

    static constexpr const char *kTitle = "総合振込データ取込";

private:
    void prepare();
    bool headerExists(int facility, int requestDate);
    void message(const std::string &text, const std::string &title, MessageIcon icon);
    // Stores one record of a file that nothing has refused so far; false
    // (with its message shown) when the import must stop.
    bool storeRecord(std::string_view record, int64_t &sequence);
    // Shows the findings that refuse the file.
    void refuse(const zengin::CheckResult &result);
    void insertRecord(sql::Statement &insert, const std::vector<zengin::Value> &values);
    void EnsureConsignor(std::string_view header);
    void EnsureRecipient(std::string_view header, std::string_view data);
    // Reads the consignor's stored recipients into the set of known ones.
    void loadKnownRecipients(const std::string &consignor);
    // FindBankKanjiNames once per branch of a run: the recipients of one file
    // share few branches, and the bank master does not change during a run.
    const std::pair<std::string, std::string> &kanjiNamesInRun(int bank, int branch);

    sql::Database &m_db;
    const sql::Database *m_bank;
    MessageBoxes &m_boxes;
    Progress &m_progress;
    bool m_feeCategory = false;
    int m_feeThreshold = 0;
    std::function<void()> m_historyChanged;
    std::function<void()> m_backup;
    LinesWatcher *m_watcher = nullptr;
    std::optional<std::string> m_watchedConsignor; // the import's consignor once its header is read

    // Context of the running import.
    int m_facility = 0;
    int m_requestDate = 0;
    int m_importDay = 0;
    std::vector<zengin::Value> m_values;
    std::string m_header; // the header read last
    std::optional<std::string> m_recipientsOf;         // the consignor whose recipients these are
    std::unordered_set<std::string> m_knownRecipients; // its recipients: stored or added in this run
    std::unordered_map<int64_t, std::pair<std::string, std::string>> m_branchNames; // branches seen in this run

    sql::Statement m_insertHeader, m_insertTrailer, m_insertEnd;
    std::unique_ptr<sql::BulkInsert> m_dataRows;      // the running import's data records
    std::unique_ptr<sql::BulkInsert> m_newRecipients; // and the recipients it adds
    sql::Statement m_findConsignor, m_addConsignor, m_findRecipients;
    sql::Statement m_findBank;
    int m_findBankBank = 0, m_findBankBranch = 0; // its parameters' indexes
};

// The engine on the data module's connections, as every caller runs it: new
// recipients get the fee category of the settings (TesuuryouKubun,
// TesuuryouKingaku, read now), and a deletion first writes a backup of the
// own database.
std::unique_ptr<ImportEngine> makeImportEngine(TDM1 &dm, MessageBoxes &boxes, Progress &progress,
                                               LinesWatcher *watcher = nullptr);

} // namespace pelanova
