#include "import/importengine.h"
#include "core/datamodule.h"
#include "core/cp932.h"
#include "core/schema.h"
#include "core/tesuuryou.h"
#include "core/unitapp.h"
#include "import/recordorder.h"

#include <cstdio>
#include <exception>
#include <memory>

namespace pelanova {
namespace {

constexpr const char *kNotZengin = "全銀協のデータではありません。";
constexpr const char *kNoFacility = "施設コードの取得に失敗しました。";
constexpr const char *kDateMismatch = "振込依頼日が設定とデータが一致していないため処理を中断します。";
constexpr const char *kCancelled = "振込データの取込はキャンセルされました。";
constexpr const char *kCancelledTitle = "総合振込データ";
constexpr const char *kProgressText = "振込データを取込中です。\n\rしばらくお待ちください．．．";
constexpr const char *kAlreadyImported =
    "既に取り込みが完了しています。\n\r再度取り込むには一度削除してから取り込みを開始してください。";
constexpr const char *kDeleteFailed = "取込データの削除に失敗しました。";
constexpr const char *kDeleted = "削除しました。";
constexpr const char *kBackupFailed = "バックアップを作成できないため、削除を中止しました。\n\r";

std::string insertSql(const char *table, int kind, bool withSequence)
{
    std::string columns = "振込依頼日, 施設コード";
    std::string values = "?, ?";
    if (withSequence) {
        columns += ", 取込順番";
        values += ", ?";
    }
    for (const zengin::Field &f : zengin::layout(kind)) {
        columns += ", ";
        columns += f.column;
        values += ", ?";
    }
    columns += ", 更新年月日";
    values += ", ?";
    return std::string("INSERT INTO ") + table + " (" + columns + ")\nVALUES (" + values + ")";
}

std::optional<std::string> nullIfEmpty(std::string s)
{
    if (s.empty())
        return std::nullopt;
    return s;
}

struct FileCloser
{
    void operator()(FILE *f) const { std::fclose(f); }
};

// Positions of the values the control totals need, in their kinds' layouts.
size_t valueIndex(int kind, std::string_view column)
{
    const auto fields = zengin::layout(kind);
    for (size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].column == column)
            return i;
    }
    throw std::logic_error("no column " + std::string(column));
}
const size_t kAmountValue = valueIndex(zengin::Data, "引落金額");
const size_t kCountValue = valueIndex(zengin::Trailer, "合計件数");
const size_t kTotalValue = valueIndex(zengin::Trailer, "合計金額");

} // namespace

ImportEngine::ImportEngine(sql::Database &own, const sql::Database *bank, MessageBoxes &boxes,
                           Progress &progress)
    : m_db(own), m_bank(bank), m_boxes(boxes), m_progress(progress)
{
    prepare();
}

void ImportEngine::prepare()
{
    m_insertHeader = m_db.prepare(insertSql(schema::kHeader, zengin::Header, false));
    m_insertData = m_db.prepare(insertSql(schema::kData, zengin::Data, true));
    m_insertTrailer = m_db.prepare(insertSql(schema::kTrailer, zengin::Trailer, false));
    m_insertEnd = m_db.prepare(insertSql(schema::kEnd, zengin::End, false));

    m_findConsignor = m_db.prepare("SELECT 委託者コード FROM M_銀行\nWHERE 委託者コード = :委託者コード");
    // A new consignor gets the default fee table.
    const std::string columns = "委託者コード, 委託者名, 銀行番号, 銀行名, 支店番号, 支店名, 預金種目, 口座番号, "
                                + feeColumnList() + ", 銀行名漢字, 支店名漢字";
    const std::string values = ":委託者コード, :委託者名, :銀行番号, :銀行名, :支店番号, :支店名, :預金種目, :口座番号, "
                               + feeValueList(kDefaultFeeTable) + ", :銀行名漢字, :支店名漢字";
    m_addConsignor = m_db.prepare("INSERT INTO M_銀行 (" + columns + ")\nVALUES (" + values + ")");

    m_findRecipient = m_db.prepare(
        "SELECT 委託者コード FROM M_受取人\n"
        "WHERE 委託者コード = :委託者コード AND 銀行番号 = :銀行番号\n"
        "AND 支店番号 = :支店番号 AND 口座番号 = :口座番号");
    m_addRecipient = m_db.prepare(
        "INSERT INTO M_受取人 (委託者コード, 銀行番号, 銀行名, 支店番号, 支店名, 預金種別, 受取人名,\n"
        "口座番号, 手数料区分, 手数料金額, 銀行名漢字, 支店名漢字)\n"
        "VALUES (:委託者コード, :銀行番号, :銀行名, :支店番号, :支店名, :預金種別, :受取人名,\n"
        ":口座番号, :手数料区分, :手数料金額, :銀行名漢字, :支店名漢字)");
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

void ImportEngine::insertRecord(sql::Statement &insert, const std::vector<zengin::Value> &values,
                                std::optional<int64_t> sequence)
{
    insert.reset();
    int i = 1;
    insert.bind(i++, m_requestDate);
    insert.bind(i++, m_facility);
    if (sequence)
        insert.bind(i++, *sequence);
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

void ImportEngine::EnsureRecipient(std::string_view header, std::string_view data)
{
    using zengin::field;
    const std::string_view consignorBytes = field(header, 5, 10);
    const std::string_view accountBytes = field(data, 44, 7);
    const int bank = zengin::parseLenient(field(data, 2, 4));
    const int branch = zengin::parseLenient(field(data, 21, 3));

    // Within one run nothing else writes M_受取人, so an account met before
    // needs no second look-up.
    std::string key;
    key.reserve(32);
    key.append(consignorBytes).append(1, '\0').append(std::to_string(bank)).append(1, '\0');
    key.append(std::to_string(branch)).append(1, '\0').append(accountBytes);
    if (!m_knownRecipients.insert(key).second)
        return;

    const std::string consignor = cp932::decode(consignorBytes);
    const std::string account = cp932::decode(accountBytes);
    m_findRecipient.reset();
    m_findRecipient.bind(":委託者コード", consignor)
        .bind(":銀行番号", bank)
        .bind(":支店番号", branch)
        .bind(":口座番号", account);
    const bool known = m_findRecipient.step();
    m_findRecipient.reset();
    if (known)
        return;
    const auto &[bankKanji, branchKanji] = kanjiNamesInRun(bank, branch);
    sql::Statement &st = m_addRecipient;
    st.reset();
    st.bind(":委託者コード", consignor);
    st.bind(":銀行番号", bank);
    st.bind(":銀行名", cp932::decode(field(data, 6, 15)));
    st.bind(":支店番号", branch);
    st.bind(":支店名", cp932::decode(field(data, 24, 15)));
    st.bind(":預金種別", zengin::parseLenient(field(data, 43, 1)));
    st.bind(":受取人名", cp932::decode(field(data, 51, 30)));
    st.bind(":口座番号", account);
    st.bind(":手数料区分", m_feeCategory ? 1 : 0);
    st.bind(":手数料金額", m_feeThreshold);
    st.bind(":銀行名漢字", nullIfEmpty(bankKanji));
    st.bind(":支店名漢字", nullIfEmpty(branchKanji));
    st.run();
}

ImportEngine::Outcome ImportEngine::ImportTransferFile(const std::string &path, std::optional<int> facility,
                                                       int requestDate, int importDay)
{
    const int64_t size = FileSizeByName(path);
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    const std::optional<zengin::FileForm> form = file ? zengin::detectFileForm(file.get(), size) : zengin::FileForm{};
    if (!form) {
        message(kNotZengin, kTitle, MessageIcon::Error);
        return Outcome::Refused;
    }
    if (!facility) {
        message(kNoFacility, kTitle, MessageIcon::Error);
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

    Outcome outcome = Outcome::Stored;
    std::string failure;
    try {
        sql::Transaction tx(m_db);
        m_progress.setBusy(true);
        m_progress.open();
        Ending ending{m_progress};
        if (!file)
            throw std::runtime_error(path + " を開けません。");
        m_progress.setMessage(kProgressText);
        m_progress.setRange(form->records);
        m_progress.setPosition(0);

        RecordOrder order;
        zengin::RecordReader reader(file.get(), *form);
        std::string_view record;
        int64_t position = 0;
        for (;;) {
            const zengin::RecordReader::Result got = reader.next(record);
            if (got == zengin::RecordReader::Result::Done) {
                tx.commit();
                break;
            }
            if (got == zengin::RecordReader::Result::ReadError)
                throw std::runtime_error(path + " を読み込めません。");
            if (got == zengin::RecordReader::Result::BadForm) {
                message(kNotZengin, kTitle, MessageIcon::Error);
                return Outcome::Refused;
            }
            if (position > 1)
                m_progress.show();
            m_progress.processEvents();
            if (m_progress.cancelRequested()) {
                message(kCancelled, kCancelledTitle, MessageIcon::Information);
                return Outcome::Cancelled;
            }
            const int kind = zengin::recordKind(record);
            if (const std::optional<std::string> refusal = order.refusal(kind)) {
                message(*refusal, kTitle, MessageIcon::Error);
                return Outcome::Refused;
            }
            switch (kind) {
            case zengin::Header: {
                const auto mmdd = zengin::parseNumber(zengin::field(record, 55, 4));
                if (!mmdd || *mmdd != m_requestDate % 10000) {
                    if (!mmdd)
                        zengin::split(record, kind, m_values); // raises the number error
                    message(kDateMismatch, kTitle, MessageIcon::Error);
                    return Outcome::Refused;
                }
                if (const std::optional<std::string> refusal = headerKindRefusal(record)) {
                    message(*refusal, kTitle, MessageIcon::Error);
                    return Outcome::Refused;
                }
                // The screen asks first; this keeps any other caller from
                // storing a second header under the key, which would double
                // every transfer of the facility and date in the joins.
                if (headerExists(m_facility, m_requestDate)) {
                    message(kAlreadyImported, kTitle, MessageIcon::Error);
                    return Outcome::Refused;
                }
                zengin::split(record, kind, m_values);
                m_header.assign(record);
                insertRecord(m_insertHeader, m_values, std::nullopt);
                EnsureConsignor(m_header);
                break;
            }
            case zengin::Data:
                if (const std::optional<std::string> refusal = signedAmountRefusal(record, position + 1)) {
                    message(*refusal, kTitle, MessageIcon::Error);
                    return Outcome::Refused;
                }
                zengin::split(record, kind, m_values);
                order.addData(m_values[kAmountValue].number);
                insertRecord(m_insertData, m_values, sequence);
                EnsureRecipient(m_header, record);
                ++sequence;
                break;
            case zengin::Trailer:
                zengin::split(record, kind, m_values);
                if (const std::optional<std::string> refusal = order.trailerRefusal(
                        m_values[kCountValue].number, m_values[kTotalValue].number)) {
                    message(*refusal, kTitle, MessageIcon::Error);
                    return Outcome::Refused;
                }
                insertRecord(m_insertTrailer, m_values, std::nullopt);
                break;
            case zengin::End:
                zengin::split(record, kind, m_values);
                insertRecord(m_insertEnd, m_values, std::nullopt);
                break;
            }
            m_progress.setPosition(++position);
        }
    } catch (const std::exception &e) {
        outcome = Outcome::Failed;
        failure = ErrorText(e);
    }
    if (outcome == Outcome::Failed)
        message(failure, kAppTitle, MessageIcon::Error);
    return outcome;
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
    try {
        sql::Transaction tx(m_db);
        std::string consignor;
        {
            sql::Statement st = m_db.prepare("SELECT 委託者コード FROM T_ヘッダレコード\n"
                                             "WHERE 振込依頼日 = :振込依頼日 AND 施設コード = :施設コード");
            st.bind(":振込依頼日", requestDate).bind(":施設コード", facility);
            if (st.step())
                consignor = st.text(0);
        }
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
    } catch (const std::exception &) {
        message(kDeleteFailed, kTitle, MessageIcon::Error);
        return false;
    }
    if (m_historyChanged)
        m_historyChanged();
    message(kDeleted, kTitle, MessageIcon::Information);
    return true;
}

std::unique_ptr<ImportEngine> makeImportEngine(TDM1 &dm, MessageBoxes &boxes, Progress &progress)
{
    auto engine = std::make_unique<ImportEngine>(dm.ADOConFurikomi, &dm.ADOConBank, boxes, progress);
    engine->setRecipientDefaults(dm.ReadTesuuryouKubun(), dm.ReadTesuuryouKingaku());
    engine->setBackupHandler([&dm] { dm.BackupNow(); });
    return engine;
}

} // namespace pelanova
