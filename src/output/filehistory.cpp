#include "output/filehistory.h"

#include "core/format.h"
#include "core/schema.h"
#include "core/sha256.h"
#include "core/sql.h"
#include "core/userinterface.h"
#include "output/furikomi.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include <pwd.h>
#include <unistd.h>

namespace pelanova::output {
namespace {

CreatedFile readCreatedFile(const sql::Statement &st)
{
    CreatedFile f;
    f.id = st.int64OrZero("ID");
    f.consignor = st.textOrEmpty("委託者コード");
    f.date = static_cast<int>(st.int64OrZero("振込依頼日"));
    f.created = st.textOrEmpty("作成日時");
    f.user = st.textOrEmpty("作成者");
    f.path = st.textOrEmpty("ファイル名");
    f.records = st.int64OrZero("件数");
    f.total = st.int64OrZero("合計金額");
    f.sha256 = st.textOrEmpty("SHA256");
    f.fingerprint = st.textOrEmpty("明細指紋");
    return f;
}

std::vector<CreatedFile> readAll(sql::Statement &st)
{
    std::vector<CreatedFile> files;
    while (st.step())
        files.push_back(readCreatedFile(st));
    return files;
}

} // namespace

std::string createdMinute(const CreatedFile &file)
{
    // "2026-11-25 14:02:11" → "2026/11/25 14:02"
    std::string text = file.created.substr(0, 16);
    for (char &c : text) {
        if (c == '-')
            c = '/';
    }
    return text;
}

std::string localTimeNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

std::string systemUserName()
{
    if (const passwd *pw = ::getpwuid(::geteuid()); pw && pw->pw_name)
        return pw->pw_name;
    for (const char *name : {"USER", "LOGNAME"}) {
        if (const char *value = std::getenv(name); value && *value)
            return value;
    }
    return std::to_string(::geteuid());
}

void recordCreatedFile(sql::Database &db, const CreatedFile &file)
{
    sql::Statement st = db.prepare(sql::joinLines({
        "INSERT INTO T_作成履歴 (委託者コード, 振込依頼日, 作成日時, 作成者, ファイル名, 件数, 合計金額, SHA256, 明細指紋)",
        "VALUES (:委託者コード, :振込依頼日, :作成日時, :作成者, :ファイル名, :件数, :合計金額, :SHA256, :明細指紋)",
    }));
    st.bind(":委託者コード", file.consignor).bind(":振込依頼日", int64_t(file.date));
    st.bind(":作成日時", file.created).bind(":作成者", file.user).bind(":ファイル名", file.path);
    st.bind(":件数", file.records).bind(":合計金額", file.total);
    st.bind(":SHA256", file.sha256).bind(":明細指紋", file.fingerprint);
    st.run();
}

std::vector<CreatedFile> createdFiles(const sql::Database &db, const std::string &consignor, std::optional<int> date)
{
    std::string where = "WHERE 1 = 1";
    if (!consignor.empty())
        where += " AND 委託者コード = :委託者コード";
    if (date)
        where += " AND 振込依頼日 = :振込依頼日";
    sql::Statement st = db.prepare(sql::joinLines({"SELECT *", "FROM T_作成履歴", where, "ORDER BY ID DESC"}));
    if (!consignor.empty())
        st.bind(":委託者コード", consignor);
    if (date)
        st.bind(":振込依頼日", int64_t(*date));
    return readAll(st);
}

std::optional<CreatedFile> lastCreatedFile(const sql::Database &db, const std::string &consignor, int date)
{
    sql::Statement st = db.prepare(sql::joinLines({
        "SELECT *",
        "FROM T_作成履歴",
        "WHERE 委託者コード = :委託者コード AND 振込依頼日 = :振込依頼日",
        "ORDER BY ID DESC",
        "LIMIT 1",
    }));
    st.bind(":委託者コード", consignor).bind(":振込依頼日", int64_t(date));
    if (!st.step())
        return std::nullopt;
    return readCreatedFile(st);
}

std::vector<CreatedFile> createdFilesWithHash(const sql::Database &db, const std::string &sha256)
{
    sql::Statement st = db.prepare("SELECT *\nFROM T_作成履歴\nWHERE SHA256 = :SHA256\nORDER BY ID DESC");
    st.bind(":SHA256", sha256);
    return readAll(st);
}

std::string createdAgainQuestion(const CreatedFile &file)
{
    return "この振込データは " + createdMinute(file) + " に作成済みです（" + formatGrouped(file.records) + "件 "
           + formatGrouped(file.total) + "円）。もう一度作成しますか？";
}

std::string staleSentence(const CreatedFile &file)
{
    return "作成済みの振込データ（" + createdMinute(file) + "）と内容が変わりました。作成し直し、銀行への再送をご確認ください。";
}

DayFileState dayFileState(const sql::Database &db, const std::string &consignor, int date,
                          const std::string *fingerprintNow)
{
    DayFileState state;
    state.last = lastCreatedFile(db, consignor, date);
    if (!state.last)
        return state;
    const std::string now = fingerprintNow ? *fingerprintNow : currentLinesFingerprint(db, consignor, date);
    state.state = now == state.last->fingerprint ? DayState::Created : DayState::ChangedSince;
    return state;
}

std::string dayStateText(const DayFileState &state)
{
    switch (state.state) {
    case DayState::NotCreated: return "未作成";
    case DayState::Created: return "作成済み（" + createdMinute(*state.last) + "）";
    case DayState::ChangedSince: return "作成後に変更あり（" + createdMinute(*state.last) + "）";
    }
    return {};
}

RecordState recordState(const sql::Database &db, const CreatedFile &file)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file.path, ec))
        return RecordState::FileMissing;
    if (sha256OfFile(file.path) != file.sha256)
        return RecordState::FileDifferent;
    if (currentLinesFingerprint(db, file.consignor, file.date) != file.fingerprint)
        return RecordState::DataChanged;
    return RecordState::Same;
}

std::string recordStateText(RecordState state)
{
    switch (state) {
    case RecordState::Same: return "同じ";
    case RecordState::DataChanged: return "変更あり";
    case RecordState::FileMissing: return "ファイルなし";
    case RecordState::FileDifferent: return "ファイルが異なる";
    }
    return {};
}

std::vector<CreatedFile> StaleFileWatcher::madeDays(const std::string &consignorCode, std::optional<int> date) const
{
    std::vector<CreatedFile> newest;
    if (!m_db.isOpen() || !m_db.hasTable(schema::kHistory))
        return newest;
    for (CreatedFile &file : createdFiles(m_db, consignorCode, date)) {
        bool seen = false;
        for (const CreatedFile &kept : newest)
            seen = seen || kept.date == file.date;
        if (!seen)
            newest.push_back(std::move(file));
    }
    std::sort(newest.begin(), newest.end(), [](const CreatedFile &a, const CreatedFile &b) { return a.date < b.date; });
    return newest;
}

void StaleFileWatcher::before(const std::string &consignorCode, std::optional<int> date)
{
    for (const CreatedFile &file : madeDays(consignorCode, date))
        m_before[{consignorCode, file.date}] = currentLinesFingerprint(m_db, consignorCode, file.date);
}

void StaleFileWatcher::after(const std::string &consignorCode, std::optional<int> date)
{
    std::vector<CreatedFile> stale;
    for (CreatedFile &file : madeDays(consignorCode, date)) {
        const auto before = m_before.find({consignorCode, file.date});
        const std::string now = currentLinesFingerprint(m_db, consignorCode, file.date);
        // A file the data had left before this change was said then.
        const bool changed = before == m_before.end() || before->second != now;
        if (changed && now != file.fingerprint)
            stale.push_back(std::move(file));
    }
    for (auto it = m_before.begin(); it != m_before.end();) {
        if (it->first.first == consignorCode && (!date || it->first.second == *date))
            it = m_before.erase(it);
        else
            ++it;
    }
    if (stale.empty())
        return;
    // Several days: each named by its transfer request date.
    std::string text;
    for (const CreatedFile &file : stale) {
        text += text.empty() ? "" : "\n\r";
        if (stale.size() > 1)
            text += "振込依頼日 " + formatShortDate(file.date) + "：";
        text += staleSentence(file);
    }
    m_boxes.messageBox(text, kAppTitle, MessageIcon::Warning, MessageButtons::Ok, kDefaultButton1);
}

} // namespace pelanova::output
