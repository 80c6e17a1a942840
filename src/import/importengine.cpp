#include "import/importengine.h"
#include "core/datamodule.h"
#include "core/cp932.h"
#include "core/schema.h"
#include "core/tesuuryou.h"
#include "core/unitapp.h"
#include "core/format.h"
#include "core/zengincheck.h"

#include <cstdio>
#include <exception>
#include <memory>

namespace pelanova {
namespace {

constexpr const char *kNoFacility = "施設コードの取得に失敗しました。";
constexpr const char *kCancelled = "振込データの取込はキャンセルされました。";
constexpr const char *kCancelledTitle = "総合振込データ";
constexpr const char *kProgressText = "振込データを取込中です。\n\rしばらくお待ちください．．．";
// How long an import waits for another one to end before it fails as busy.
constexpr int kImportWaitSeconds = 60;

constexpr const char *kAlreadyImported =
    "既に取り込みが完了しています。\n\r再度取り込むには一度削除してから取り込みを開始してください。";
constexpr const char *kDeleteFailed = "取込データの削除に失敗しました。";
constexpr const char *kDeleted = "削除しました。";
constexpr const char *kBackupFailed = "バックアップを作成できないため、削除を中止しました。\n\r";

std::string insertSql(const char *table, int kind)
{
    std::string columns = "振込依頼日, 施設コード";
    std::string values = "?, ?";
    for (const zengin::Field &f : zengin::layout(kind)) {
        columns += ", ";
        columns += f.column;
        values += ", ?";
    }
    columns += ", 更新年月日";
    values += ", ?";
    return std::string("INSERT INTO ") + table + " (" + columns + ")\nVALUES (" + values + ")";
}

// The columns of a data record's row, in the order storeRecord adds them.
std::vector<std::string> dataColumns()
{
    std::vector<std::string> columns{"振込依頼日", "施設コード", "取込順番"};
    for (const zengin::Field &f : zengin::layout(zengin::Data))
        columns.emplace_back(f.column);
    columns.emplace_back("更新年月日");
    return columns;
}

std::optional<std::string> nullIfEmpty(std::string s)
{
    if (s.empty())
        return std::nullopt;
    return s;
}

} // namespace

ImportEngine::ImportEngine(sql::Database &own, const sql::Database *bank, MessageBoxes &boxes,
                           Progress &progress)
    : m_db(own), m_bank(bank), m_boxes(boxes), m_progress(progress)
{
    prepare();
}

void ImportEngine::prepare()
{
    m_insertHeader = m_db.prepare(insertSql(schema::kHeader, zengin::Header));
    m_insertTrailer = m_db.prepare(insertSql(schema::kTrailer, zengin::Trailer));
    m_insertEnd = m_db.prepare(insertSql(schema::kEnd, zengin::End));

    m_findConsignor = m_db.prepare("SELECT 委託者コード FROM M_銀行\nWHERE 委託者コード = :委託者コード");
    // A new consignor gets the default fee table.
    const std::string columns = "委託者コード, 委託者名, 銀行番号, 銀行名, 支店番号, 支店名, 預金種目, 口座番号, "
                                + feeColumnList() + ", 銀行名漢字, 支店名漢字";
    const std::string values = ":委託者コード, :委託者名, :銀行番号, :銀行名, :支店番号, :支店名, :預金種目, :口座番号, "
                               + feeValueList(kDefaultFeeTable) + ", :銀行名漢字, :支店名漢字";
    m_addConsignor = m_db.prepare("INSERT INTO M_銀行 (" + columns + ")\nVALUES (" + values + ")");

    m_findRecipients = m_db.prepare(
        "SELECT 銀行番号, 支店番号, 口座番号 FROM M_受取人\n"
        "WHERE 委託者コード = :委託者コード");
}

void ImportEngine::setRecipientDefaults(bool feeCategory, int feeThreshold)
{
    m_feeCategory = feeCategory;
    m_feeThreshold = feeThreshold;
}

void ImportEngine::message(const std::string &text, const std::string &title, MessageIcon icon)
{
    m_boxes.messageBox(text, title, icon, MessageButtons::Ok, kDefaultButton1);
}

bool ImportEngine::headerExists(int facility, int requestDate)
{
    sql::Statement st = m_db.prepare("SELECT 振込依頼日 FROM T_ヘッダレコード\n"
                                     "WHERE 施設コード = :施設コード AND 振込依頼日 = :振込依頼日");
    st.bind(":施設コード", facility).bind(":振込依頼日", requestDate);
    return st.step();
}

bool ImportEngine::IsAlreadyImported(int facility, int requestDate)
{
    if (!headerExists(facility, requestDate))
        return false;
    message(kAlreadyImported, kTitle, MessageIcon::Error);
    return true;
}

std::string ImportEngine::FindFacilityFileName(int facility)
{
    sql::Statement st = m_db.prepare("SELECT 総合振込データファイル名 FROM M_施設\n"
                                     "WHERE 施設コード = :施設コード");
    st.bind(":施設コード", facility);
    return st.step() ? st.text(0) : std::string();
}

std::pair<std::string, std::string> ImportEngine::FindBankKanjiNames(int bank, int branch)
{
    if (!m_bank || !m_bank->isOpen())
        return {};
    if (!m_findBank.isValid()) {
        // The bank master comes from outside and need not have a key column:
        // with an order key that is the same for every row, FIRST keeps the
        // first row met, and both names come from that one row.
        m_findBank = m_bank->prepare("SELECT FIRST(銀行名, 0) AS 銀行名, FIRST(支店名, 0) AS 支店名\n"
                                     "FROM T_銀行マスタ\n"
                                     "WHERE INT(銀行番号) = :INT銀行番号 AND INT(支店番号) = :INT支店番号");
        m_findBankBank = m_findBank.parameterIndex(":INT銀行番号");
        m_findBankBranch = m_findBank.parameterIndex(":INT支店番号");
    }
    m_findBank.reset();
    m_findBank.bind(m_findBankBank, int64_t(bank)).bind(m_findBankBranch, int64_t(branch));
    std::pair<std::string, std::string> names;
    if (m_findBank.step()) {
        names.first = m_findBank.text(0);
        names.second = m_findBank.text(1);
    }
    m_findBank.reset();
    return names;
}

const std::pair<std::string, std::string> &ImportEngine::kanjiNamesInRun(int bank, int branch)
{
    const int64_t key = (int64_t(bank) << 32) | uint32_t(branch);
    auto it = m_branchNames.find(key);
    if (it == m_branchNames.end())
        it = m_branchNames.emplace(key, FindBankKanjiNames(bank, branch)).first;
    return it->second;
}

void ImportEngine::insertRecord(sql::Statement &insert, const std::vector<zengin::Value> &values)
{
    insert.reset();
    int i = 1;
    insert.bind(i++, m_requestDate);
    insert.bind(i++, m_facility);
    for (const zengin::Value &v : values) {
        if (v.isText)
            insert.bind(i++, v.text);
        else
            insert.bind(i++, v.number);
    }
    insert.bind(i, m_importDay);
    insert.run();
}

void ImportEngine::EnsureConsignor(std::string_view header)
{
    using zengin::field;
    const std::string code = cp932::decode(field(header, 5, 10));
    m_findConsignor.reset();
    m_findConsignor.bind(":委託者コード", code);
    const bool known = m_findConsignor.step();
    m_findConsignor.reset();
    if (known)
        return;
    const int bank = zengin::parseLenient(field(header, 59, 4));
    const int branch = zengin::parseLenient(field(header, 78, 3));
    const auto &[bankKanji, branchKanji] = kanjiNamesInRun(bank, branch);
    sql::Statement &st = m_addConsignor;
    st.reset();
    st.bind(":委託者コード", code);
    st.bind(":委託者名", cp932::decode(field(header, 15, 40)));
    st.bind(":銀行番号", bank);
    st.bind(":銀行名", cp932::decode(field(header, 63, 15)));
    st.bind(":支店番号", branch);
    st.bind(":支店名", cp932::decode(field(header, 81, 15)));
    st.bind(":預金種目", zengin::parseLenient(field(header, 96, 1)));
    st.bind(":口座番号", cp932::decode(field(header, 97, 7)));
    st.bind(":銀行名漢字", nullIfEmpty(bankKanji));
    st.bind(":支店名漢字", nullIfEmpty(branchKanji));
    st.run();
}

namespace {

// A recipient of the consignor: its bank, branch and account.
std::string recipientKey(int64_t bank, int64_t branch, std::string_view account)
{
    std::string key = std::to_string(bank);
    key.append(1, '\0').append(std::to_string(branch)).append(1, '\0').append(account);
    return key;
}

// The columns of a new recipient's row, in the order EnsureRecipient adds them.
std::vector<std::string> recipientColumns()
{
    return {"委託者コード", "銀行番号", "銀行名", "支店番号", "支店名", "預金種別", "受取人名",
            "口座番号", "手数料区分", "手数料金額", "銀行名漢字", "支店名漢字"};
}

} // namespace

void ImportEngine::loadKnownRecipients(const std::string &consignor)
{
    if (m_recipientsOf == consignor)
        return;
    // The recipients met under another consignor's header are stored first,
    // so that the look-up sees every row.
    m_newRecipients->finish();
    m_recipientsOf = consignor;
    m_knownRecipients.clear();
    m_recipientsOf.reset();
    m_findRecipients.reset();
    m_findRecipients.bind(":委託者コード", consignor);
    while (m_findRecipients.step()) {
        if (m_findRecipients.isNull(0) || m_findRecipients.isNull(1) || m_findRecipients.isNull(2))
            continue; // a row no account equals
        m_knownRecipients.insert(
            recipientKey(m_findRecipients.int64(0), m_findRecipients.int64(1), m_findRecipients.text(2)));
    }
    m_findRecipients.reset();
}

void ImportEngine::EnsureRecipient(std::string_view header, std::string_view data)
{
    using zengin::field;
    const std::string account = cp932::decode(field(data, 44, 7));
    const int bank = zengin::parseLenient(field(data, 2, 4));
    const int branch = zengin::parseLenient(field(data, 21, 3));

    // The consignor's recipients were read at its header; nothing else
    // writes M_受取人 meanwhile (writers take turns), so the set is the table.
    if (!m_knownRecipients.insert(recipientKey(bank, branch, account)).second)
        return;
    const std::string consignor = cp932::decode(field(header, 5, 10));
    const auto &[bankKanji, branchKanji] = kanjiNamesInRun(bank, branch);
    m_newRecipients->add(std::string_view(consignor))
        .add(int64_t(bank))
        .add(std::string_view(cp932::decode(field(data, 6, 15))))
        .add(int64_t(branch))
        .add(std::string_view(cp932::decode(field(data, 24, 15))))
        .add(int64_t(zengin::parseLenient(field(data, 43, 1))))
        .add(std::string_view(cp932::decode(field(data, 51, 30))))
        .add(std::string_view(account))
        .add(int64_t(m_feeCategory ? 1 : 0))
        .add(int64_t(m_feeThreshold))
        .add(nullIfEmpty(bankKanji))
        .add(nullIfEmpty(branchKanji));
    m_newRecipients->endRow();
}

ImportEngine::Outcome ImportEngine::ImportTransferFile(const std::string &path, std::optional<int> facility,
                                                       int requestDate, int importDay)
{
    // The file is read once, by the reading the Zengin check makes: every
    // record is checked as it is read and stored while nothing refuses the
    // file; at its end any refusal rolls everything back and is listed.
    zengin::CheckOptions options;
    options.requestDate = requestDate;
    const zengin::BankCodes codes =
        m_bank && m_bank->isOpen() ? zengin::readBankCodes(*m_bank) : zengin::BankCodes();
    options.bankCodes = &codes;
    options.keep = zengin::kListedFindings;
    std::unique_ptr<zengin::TransferReader> reader;
    try {
        reader = std::make_unique<zengin::TransferReader>(path, options);
    } catch (const std::exception &e) {
        message(ErrorText(e), kAppTitle, MessageIcon::Error);
        return Outcome::Failed;
    }
    if (reader->refusals() == 0 && !facility) {
        message(kNoFacility, kTitle, MessageIcon::Error);
        return Outcome::Refused;
    }
    if (reader->refusals() != 0) {
        refuse(reader->result());
        return Outcome::Refused;
    }
    m_facility = *facility;
    m_requestDate = requestDate;
    m_importDay = importDay;
    m_knownRecipients.clear();
    m_branchNames.clear();
    m_header.clear();
    // 64-bit: facility code × 10000 passes 32 bits from facility 214749 on.
    int64_t sequence = int64_t(m_facility) * 10000;

    // Every ending closes the file and the progress dialog and restores the cursor.
    struct Ending
    {
        Progress &progress;
        ~Ending()
        {
            progress.close();
            progress.setBusy(false);
        }
    };

    // Once the header named the consignor, the watcher hears of the ending.
    m_watchedConsignor.reset();
    struct Watch
    {
        ImportEngine &engine;
        ~Watch()
        {
            if (engine.m_watcher && engine.m_watchedConsignor) {
                try {
                    engine.m_watcher->after(*engine.m_watchedConsignor, engine.m_requestDate);
                } catch (...) {
                }
            }
        }
    } watch{*this};

    // Another clerk's import holds the writers' turn until its file is
    // stored: this one waits for it (a file of 100,000 records takes seconds)
    // rather than failing after the usual wait.
    struct LongWait
    {
        sql::Database &db;
        explicit LongWait(sql::Database &d) : db(d) { db.setBusyTimeout(kImportWaitSeconds * 1000); }
        ~LongWait()
        {
            try {
                db.setBusyTimeout(sql::kBusyTimeoutSeconds * 1000);
            } catch (...) {
            }
        }
    };

    std::string failure;
    try {
        Ending ending{m_progress};
        m_progress.setBusy(true);
        const LongWait wait(m_db);
        sql::Transaction tx(m_db);
        // The data records go in bulk (on a server, COPY in chunks), sent
        // whole before the commit.
        struct DataRows
        {
            std::unique_ptr<sql::BulkInsert> &rows, &recipients;
            ~DataRows()
            {
                rows.reset();
                recipients.reset();
            }
        } dataRows{m_dataRows, m_newRecipients};
        m_dataRows = std::make_unique<sql::BulkInsert>(m_db, schema::kData, dataColumns());
        m_newRecipients = std::make_unique<sql::BulkInsert>(m_db, schema::kRecipient, recipientColumns());
        m_progress.open();
        m_progress.setMessage(kProgressText);
        m_progress.setRange(reader->expectedRecords());
        m_progress.setPosition(0);

        std::string_view record;
        int64_t position = 0;
        while (reader->next(record)) {
            if (position > 1)
                m_progress.show();
            m_progress.processEvents();
            if (m_progress.cancelRequested()) {
                message(kCancelled, kCancelledTitle, MessageIcon::Information);
                return Outcome::Cancelled;
            }
            // After a refusal the rest is only read, for its findings.
            if (reader->refusals() == 0 && !storeRecord(record, sequence))
                return Outcome::Refused;
            m_progress.setPosition(++position);
        }
        if (reader->refusals() != 0) {
            tx.rollback();
            refuse(reader->result());
            return Outcome::Refused;
        }
        m_dataRows->finish();
        m_newRecipients->finish();
        tx.commit();
    } catch (const std::exception &e) {
        failure = ErrorText(e);
    }
    if (!failure.empty()) {
        message(failure, kAppTitle, MessageIcon::Error);
        return Outcome::Failed;
    }
    // What the bank may read otherwise, or the facility should mend, is said
    // once the file is stored.
    const zengin::CheckResult &result = reader->result();
    std::vector<zengin::Finding> notices = zengin::importNotices(result);
    if (result.records != 0 && !notices.empty()) {
        for (zengin::Finding &f : notices)
            f.severity = zengin::Severity::Warning; // none of them refused the file
        message("取り込みました。次の点をご確認ください（" + formatGrouped(static_cast<int64_t>(result.notices))
                    + "件）。" + zengin::findingList(notices, result.notices),
                kTitle, MessageIcon::Warning);
    }
    return Outcome::Stored;
}

void ImportEngine::refuse(const zengin::CheckResult &result)
{
    message("次の誤り（" + formatGrouped(static_cast<int64_t>(result.refusals))
                + "件）があるため取り込めません。何も取り込んでいません。"
                + zengin::findingList(zengin::importRefusals(result), result.refusals),
            kTitle, MessageIcon::Error);
}

bool ImportEngine::storeRecord(std::string_view record, int64_t &sequence)
{
    const int kind = zengin::recordKind(record);
    zengin::split(record, kind, m_values);
    switch (kind) {
    case zengin::Header:
        // The screen asks first; this keeps any other caller from storing a
        // second header under the key, which would double every transfer of
        // the facility and date in the joins.
        if (headerExists(m_facility, m_requestDate)) {
            message(kAlreadyImported, kTitle, MessageIcon::Error);
            return false;
        }
        m_header.assign(record);
        if (m_watcher) {
            m_watchedConsignor = cp932::decode(zengin::field(record, 5, 10));
            m_watcher->before(*m_watchedConsignor, m_requestDate);
        }
        insertRecord(m_insertHeader, m_values);
        EnsureConsignor(m_header);
        loadKnownRecipients(cp932::decode(zengin::field(record, 5, 10)));
        break;
    case zengin::Data: {
        sql::BulkInsert &rows = *m_dataRows;
        rows.add(int64_t(m_requestDate)).add(int64_t(m_facility)).add(sequence);
        for (const zengin::Value &v : m_values) {
            if (v.isText)
                rows.add(std::string_view(v.text));
            else
                rows.add(int64_t(v.number));
        }
        rows.add(int64_t(m_importDay));
        rows.endRow();
        EnsureRecipient(m_header, record);
        ++sequence;
        break;
    }
    case zengin::Trailer:
        insertRecord(m_insertTrailer, m_values);
        break;
    case zengin::End:
        insertRecord(m_insertEnd, m_values);
        break;
    }
    return true;
}

std::vector<ImportHistoryRow> ImportEngine::ListImports(int facility)
{
    sql::Statement st = m_db.prepare(
        "SELECT T_ヘッダレコード.*, T_トレーラレコード.*, M_施設.施設名,\n"
        "T_ヘッダレコード.振込依頼日 AS ヘッダ振込依頼日,\n"
        "T_トレーラレコード.振込依頼日 AS トレーラ振込依頼日,\n"
        "T_トレーラレコード.更新年月日 AS トレーラ更新年月日\n"
        "FROM (T_ヘッダレコード LEFT JOIN T_トレーラレコード\n"
        "ON (T_ヘッダレコード.施設コード = T_トレーラレコード.施設コード)\n"
        "AND (T_ヘッダレコード.振込依頼日 = T_トレーラレコード.振込依頼日))\n"
        "LEFT JOIN M_施設 ON T_ヘッダレコード.施設コード = M_施設.施設コード\n"
        "WHERE T_ヘッダレコード.施設コード = :施設コード\n"
        "ORDER BY T_ヘッダレコード.施設コード, T_ヘッダレコード.振込依頼日 DESC");
    st.bind(":施設コード", facility);
    const int headerDate = st.columnIndex("ヘッダ振込依頼日");
    const int trailerDate = st.columnIndex("トレーラ振込依頼日");
    const int trailerDay = st.columnIndex("トレーラ更新年月日");
    std::vector<ImportHistoryRow> rows;
    while (st.step()) {
        ImportHistoryRow row;
        row.requestDate = st.integer(headerDate);
        row.facilityName = st.text("施設名");
        if (!st.isNull(trailerDate)) {
            row.trailerDate = st.integer(trailerDate);
            row.count = st.int64("合計件数");
            row.total = st.int64("合計金額");
            row.updateDate = st.integer(trailerDay);
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

bool ImportEngine::DeleteImport(int facility, int requestDate)
{
    if (m_backup) {
        try {
            m_backup();
        } catch (const std::exception &error) {
            message(std::string(kBackupFailed) + error.what(), kTitle, MessageIcon::Error);
            return false;
        }
    }
    std::string consignor;
    try {
        sql::Transaction tx(m_db);
        {
            sql::Statement st = m_db.prepare("SELECT 委託者コード FROM T_ヘッダレコード\n"
                                             "WHERE 振込依頼日 = :振込依頼日 AND 施設コード = :施設コード");
            st.bind(":振込依頼日", requestDate).bind(":施設コード", facility);
            if (st.step())
                consignor = st.text(0);
        }
        if (m_watcher)
            m_watcher->before(consignor, requestDate);
        for (const char *table : {schema::kHeader, schema::kData, schema::kTrailer, schema::kEnd}) {
            sql::Statement st = m_db.prepare(std::string("DELETE FROM ") + table
                                             + "\nWHERE 振込依頼日 = :振込依頼日 AND 施設コード = :施設コード");
            st.bind(":振込依頼日", requestDate).bind(":施設コード", facility);
            st.run();
        }
        sql::Statement left = m_db.prepare("SELECT 委託者コード FROM T_ヘッダレコード\n"
                                           "WHERE 委託者コード = " + sql::quote(consignor));
        if (!left.step()) {
            m_db.exec("DELETE FROM M_銀行\nWHERE 委託者コード = " + sql::quote(consignor));
            m_db.exec("DELETE FROM M_受取人\nWHERE 委託者コード = " + sql::quote(consignor));
        }
        tx.commit();
    } catch (const std::exception &e) {
        if (m_watcher)
            m_watcher->after(consignor, requestDate);
        message(std::string(kDeleteFailed) + "\n\r" + ErrorText(e), kTitle, MessageIcon::Error);
        return false;
    }
    if (m_historyChanged)
        m_historyChanged();
    message(kDeleted, kTitle, MessageIcon::Information);
    if (m_watcher)
        m_watcher->after(consignor, requestDate);
    return true;
}

std::unique_ptr<ImportEngine> makeImportEngine(TDM1 &dm, MessageBoxes &boxes, Progress &progress,
                                               LinesWatcher *watcher)
{
    auto engine = std::make_unique<ImportEngine>(dm.ADOConFurikomi, &dm.ADOConBank, boxes, progress);
    engine->setLinesWatcher(watcher);
    engine->setRecipientDefaults(dm.ReadTesuuryouKubun(), dm.ReadTesuuryouKingaku());
    engine->setBackupHandler([&dm] { dm.BackupNow(); });
    return engine;
}

} // namespace pelanova
