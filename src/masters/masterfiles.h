#pragma once

// The masters as files: each master (facilities, consignors with their fee
// tables, recipients with their fee categories) written as CSV or as an Excel
// workbook with the tables' own column names, and read back from CSV. An
// import is planned first - every line checked with the masters' rules and
// matched to a stored row by its natural key - and applied only whole, in one
// transaction, after a backup. An import never deletes a row.

#include "core/xlsx.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace pelanova {
class LinesWatcher;
}

namespace pelanova::sql {
class Database;
}

namespace pelanova::masters {

enum class MasterKind { Facilities, Consignors, Recipients, RecipientList };

// "facilities", "consignors", "recipients", "recipient-list".
std::optional<MasterKind> masterKindNamed(std::string_view word);
// The sheet's name: 施設マスタ, 委託者マスタ, 受取人マスタ, 受取人一覧.
std::string sheetName(MasterKind kind);
// The column names of a master's file, in their order.
std::vector<std::string> masterColumns(MasterKind kind);

// A file refused or a write refused; the message says why in Japanese
// (lines separated by "\n\r").
class MasterFileError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

enum class FileForm { Csv, Xlsx };
// By the name's extension (.csv, .xlsx, without regard to case).
std::optional<FileForm> fileFormOf(const std::string &path);

// The master as a sheet: text cells for names and codes, numbers for amounts.
xlsx::Sheet masterSheet(const sql::Database &db, MasterKind kind);
// Writes the master to path in the form its extension names. Throws
// MasterFileError (no such form; a name that CP932 cannot hold in a CSV) or
// FileWriteError; a refused or failed write leaves no file behind.
void exportMaster(const sql::Database &db, MasterKind kind, const std::string &path);

// One line of the recipient list, as the printed list shows it.
struct RecipientListLine
{
    std::string code;    // "0001-023"
    std::string bank;    // kanji name when there is one, else the katakana one
    std::string branch;
    std::string type;    // 普通, 当座, その他 or empty
    std::string account;
    std::string name;
    std::optional<int64_t> fee; // the amount from which the recipient bears the fee (category 1)
    // "30,000円以上", or empty.
    std::string feeText() const;
};
RecipientListLine recipientListLine(int64_t bankNumber, int64_t branchNumber, const std::string &bankName,
                                    const std::string &bankKanji, const std::string &branchName,
                                    const std::string &branchKanji, int64_t accountType, const std::string &account,
                                    const std::string &name, int64_t category, int64_t threshold);

// --- Import -------------------------------------------------------------------

// The fee category a new recipient receives (the settings'), as the import of
// transfer files gives it.
struct ImportDefaults
{
    bool recipientBears = false;
    int64_t threshold = 0;
};

struct PlannedRow
{
    enum class Action { Add, Change, Same };
    Action action = Action::Same;
    int line = 0;        // of the file, from 1
    int64_t id = 0;      // the stored row's ID (Change, Same)
    // Every column's value (masterColumns order) after the import, and before it.
    std::vector<std::string> values;
    std::vector<std::string> stored;
    std::vector<size_t> changed; // columns whose value changes
    bool operator==(const PlannedRow &) const = default;
};

struct ImportPlan
{
    MasterKind kind = MasterKind::Recipients;
    std::vector<PlannedRow> rows;
    int added = 0;
    int changed = 0;
    int unchanged = 0;
    // The consignors whose data the import changes (for the bank-file record).
    std::vector<std::string> consignors;
    // What the plan was made of, so that it can be made again.
    std::string bytes;
    ImportDefaults defaults;

    bool changesAnything() const { return added + changed > 0; }
    // 追加 2 件 / 変更 1 件 / 変更なし 5 件
    std::string countsText() const;
    // One line for each added or changed row ("変更 3行目 …：手数料区分 0→1").
    std::vector<std::string> changeLines() const;
};

// The faults listed at most in one refusal; the rest are counted.
inline constexpr int kListedFaults = 20;

// Reads a master file (CP932 or UTF-8) and plans its import. Throws
// MasterFileError with every fault (up to kListedFaults, with the count of
// the rest) when any line is refused; nothing is ever changed.
ImportPlan planImport(const sql::Database &db, MasterKind kind, std::string bytes, const ImportDefaults &defaults);

// Applies a plan: the backup first (when it changes anything), then in one
// transaction the plan made again from the data as it stands in it - refused
// when that is not the plan shown - and its rows written. The watcher is told
// of every consignor whose data changes. Throws MasterFileError, or the
// database's error (nothing is then changed).
void applyImport(sql::Database &db, const ImportPlan &shown, const std::function<void()> &backup,
                 LinesWatcher *watcher);

} // namespace pelanova::masters
