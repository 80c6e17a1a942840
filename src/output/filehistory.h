#pragma once

// The record of the bank files made (T_作成履歴): each file the file creation
// dialog or write-file wrote, with what it carried, who made it where, its
// SHA-256 and the fingerprint of the lines it was made from, so that a file
// is not sent twice unasked and a file the data has left behind is known.

#include "core/lineswatcher.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace pelanova {
class MessageBoxes;
}

namespace pelanova::sql {
class Database;
}

namespace pelanova::output {

struct CreatedFile
{
    int64_t id = 0;
    std::string consignor; // 委託者コード
    int date = 0;          // 振込依頼日
    std::string created;   // local time, "YYYY-MM-DD HH:MM:SS"
    std::string user;      // the system user who made it
    std::string path;      // where it was written
    int64_t records = 0;   // data records
    int64_t total = 0;     // yen
    std::string sha256;    // of the file's bytes
    std::string fingerprint; // of the lines it was made from (LinesFingerprint)
};

// "2026/11/25 14:02" of a creation time.
std::string createdMinute(const CreatedFile &file);

// The current local time as the record keeps it, and the system user's name.
std::string localTimeNow();
std::string systemUserName();

void recordCreatedFile(sql::Database &db, const CreatedFile &file);

// Newest first; an empty consignor or no date: all of them.
std::vector<CreatedFile> createdFiles(const sql::Database &db, const std::string &consignor = {},
                                      std::optional<int> date = std::nullopt);
std::optional<CreatedFile> lastCreatedFile(const sql::Database &db, const std::string &consignor, int date);
// The records of the file with these bytes, newest first.
std::vector<CreatedFile> createdFilesWithHash(const sql::Database &db, const std::string &sha256);

// What the dialog asks and write-file refuses with when the day's file was made before.
std::string createdAgainQuestion(const CreatedFile &file);
// What is said when a change leaves a made file behind.
std::string staleSentence(const CreatedFile &file);

// A consignor and date's file: none made yet, the newest one made still the
// lines' own, or made before the lines changed.
enum class DayState { NotCreated, Created, ChangedSince };
struct DayFileState
{
    DayState state = DayState::NotCreated;
    std::optional<CreatedFile> last;
};
// fingerprintNow: the lines' fingerprint when the caller has it, else it is made.
DayFileState dayFileState(const sql::Database &db, const std::string &consignor, int date,
                          const std::string *fingerprintNow = nullptr);
// 未作成, 作成済み（2026/11/25 14:02）, 作成後に変更あり（2026/11/25 14:02）.
std::string dayStateText(const DayFileState &state);

// A recorded file as it stands now: its file on disk and the data.
enum class RecordState { Same, DataChanged, FileMissing, FileDifferent };
RecordState recordState(const sql::Database &db, const CreatedFile &file);
// 同じ, 変更あり, ファイルなし, ファイルが異なる.
std::string recordStateText(RecordState state);

// Tells, after a change, of each made file of the changed consignor and date
// (every date for a consignor) whose lines the change altered and that no
// longer matches the data, as a warning box (stderr on the command line).
class StaleFileWatcher : public LinesWatcher
{
public:
    StaleFileWatcher(const sql::Database &db, MessageBoxes &boxes) : m_db(db), m_boxes(boxes) {}

    void before(const std::string &consignorCode, std::optional<int> date) override;
    void after(const std::string &consignorCode, std::optional<int> date) override;

private:
    // The made days in question, each with its newest record.
    std::vector<CreatedFile> madeDays(const std::string &consignorCode, std::optional<int> date) const;

    const sql::Database &m_db;
    MessageBoxes &m_boxes;
    std::map<std::pair<std::string, int>, std::string> m_before; // fingerprints before the change
};

} // namespace pelanova::output
