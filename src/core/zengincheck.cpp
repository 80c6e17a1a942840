#include "core/zengincheck.h"
#include "core/cp932.h"
#include "core/format.h"
#include "core/holidays.h"
#include "core/my_year.h"
#include "core/records.h"
#include "core/sql.h"
#include "core/zenginnames.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace pelanova::zengin {
namespace {

enum class Rule {
    Code,         // digits carried into the bank file as they stand
    Number,       // digits the bank file writes afresh from their value
    Account,
    DepositType,
    TypeCode,
    CodeDivision,
    TransferDate,
    BankNumber,
    BranchNumber,
    Name,
    ClearingHouse,
    Designation,
    Amount,
    Count,
    Total,
};

struct FieldRule
{
    int kind;
    const char *column;
    Rule rule;
};

// What each field must hold, kind by kind; a bank number comes before its
// branch number. The clearing-house number and the transfer designation take
// the fills of every form the bank file is written in.
constexpr FieldRule kFieldRules[] = {
    {Header, "種別コード", Rule::TypeCode},
    {Header, "コード区分", Rule::CodeDivision},
    {Header, "委託者コード", Rule::Code},
    {Header, "委託者名", Rule::Name},
    {Header, "引落日", Rule::TransferDate},
    {Header, "取引銀行コード", Rule::BankNumber},
    {Header, "取引銀行名", Rule::Name},
    {Header, "取引支店コード", Rule::BranchNumber},
    {Header, "取引支店名", Rule::Name},
    {Header, "預金種目", Rule::DepositType},
    {Header, "口座番号", Rule::Account},
    {Data, "引落銀行番号", Rule::BankNumber},
    {Data, "引落銀行名", Rule::Name},
    {Data, "引落支店番号", Rule::BranchNumber},
    {Data, "引落支店名", Rule::Name},
    {Data, "ダミー1", Rule::ClearingHouse},
    {Data, "預金項目", Rule::DepositType},
    {Data, "口座番号", Rule::Account},
    {Data, "預金者名", Rule::Name},
    {Data, "引落金額", Rule::Amount},
    {Data, "新規コード", Rule::Number},
    {Data, "振込結果コード", Rule::Designation},
    {Trailer, "合計件数", Rule::Count},
    {Trailer, "合計金額", Rule::Total},
};

struct BoundRule
{
    const Field *field;
    Rule rule;
};

// The rules of a kind with their fields looked up once.
const std::vector<BoundRule> &rulesOf(int kind)
{
    static const auto bind = [](int k) {
        std::vector<BoundRule> rules;
        for (const FieldRule &r : kFieldRules) {
            if (r.kind == k)
                rules.push_back({&fieldOf(k, r.column), r.rule});
        }
        return rules;
    };
    static const std::vector<BoundRule> header = bind(Header), data = bind(Data), trailer = bind(Trailer),
                                        none;
    switch (kind) {
    case Header: return header;
    case Data: return data;
    case Trailer: return trailer;
    default: return none;
    }
}

bool allDigits(std::string_view s)
{
    if (s.empty())
        return false;
    for (char c : s) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

int64_t digitsValue(std::string_view s)
{
    int64_t v = 0;
    for (char c : s)
        v = v * 10 + (c - '0');
    return v;
}

// The value of digits after leading blanks (" 17"), as the import reads a
// number; nothing for anything else.
std::optional<int64_t> digitsAfterBlanks(std::string_view s)
{
    const size_t first = s.find_first_not_of(' ');
    if (first == std::string_view::npos || !allDigits(s.substr(first)))
        return std::nullopt;
    return digitsValue(s.substr(first));
}

std::string quoted(std::string_view bytes) { return "「" + shownBytes(bytes) + "」"; }

std::string dateText(int date)
{
    return std::to_string(date / 10000) + "年" + std::to_string(date / 100 % 100) + "月" + std::to_string(date % 100)
           + "日（" + weekdayLetter(date) + "）";
}

// The import's sentence for a header of another day than the one chosen.
constexpr const char *kRequestDateMismatch = "振込依頼日が設定とデータが一致していないため処理を中断します。";

} // namespace

class Checker
{
public:
    explicit Checker(const CheckOptions &options) : m_options(options)
    {
        if (m_options.bankCodes && m_options.bankCodes->empty())
            m_options.bankCodes = nullptr;
    }

    void form(const FileForm &f)
    {
        if (f.lineBreak == "\n" || f.lineBreak == "\r") {
            add(0, "", Severity::Caution, Problem::LoneLineBreak, f.lineBreak,
                std::string("レコードの後の改行が ") + (f.lineBreak == "\n" ? "LF" : "CR")
                    + " だけです。改行なしか CR LF でないと受け付けない銀行があります。");
        }
    }

    void record(std::string_view r, int64_t n)
    {
        m_result.records = n;
        const int kind = recordKind(r);
        order(kind, r, n);
        m_bank.reset();
        for (const BoundRule &rule : rulesOf(kind))
            check(rule, r, n);
        if (kind == Data)
            ++m_dataCount;
    }

    void brokenForm(int64_t n)
    {
        add(n, "", Severity::Error, Problem::BrokenForm, {},
            "全銀協のデータではありません。レコードの区切り（120バイトごとの改行）が崩れています。"
            "このレコードから後は読んでいません。");
    }

    void finish()
    {
        if (m_result.records == 0) {
            add(0, "", Severity::Error, Problem::NoRecords, {}, "レコードがありません。");
            return;
        }
        const char *missing = nullptr;
        if (m_state == State::Start)
            missing = "ヘッダレコードがありません。";
        else if (m_state == State::Data)
            missing = "トレーラレコードとエンドレコードがありません。";
        else if (m_state == State::Trailer)
            missing = "エンドレコードがありません。";
        if (missing)
            add(0, "", Severity::Error, Problem::MissingRecords, {}, missing);
        if (m_state != State::Start && m_dataCount == 0)
            add(0, "", Severity::Warning, Problem::NoDataRecords, {}, "データレコードが1件もありません。");
    }

    void sizeError(int64_t size)
    {
        add(0, "", Severity::Error, Problem::FileSize, {},
            "全銀協のデータではありません。ファイルの大きさ（" + formatGrouped(size)
                + "バイト）が120バイトのレコードの並びになっていません。");
    }

    const CheckResult &result() const { return m_result; }

private:
    enum class State { Start, Data, Trailer, End };

    void add(int64_t record, std::string_view column, Severity severity, Problem problem, std::string_view found,
             std::string message)
    {
        Finding finding{record, std::string(column), severity, problem, std::string(found), std::move(message)};
        if (severity == Severity::Error)
            ++m_result.errors;
        else
            ++m_result.warnings;
        size_t &count = refusesImport(finding) ? m_result.refusals : m_result.notices;
        if (m_options.keep == 0 || count < m_options.keep)
            m_result.findings.push_back(std::move(finding));
        ++count;
    }

    void error(int64_t n, std::string_view column, Problem problem, std::string_view found, std::string message)
    {
        add(n, column, Severity::Error, problem, found, std::move(message));
    }

    void order(int kind, std::string_view r, int64_t n)
    {
        const char *problem = nullptr;
        if (m_state == State::End) {
            problem = kind == End ? "エンドレコードが複数あります。" : "エンドレコードより後にレコードがあります。";
        } else {
            switch (kind) {
            case Header:
                if (m_state != State::Start)
                    problem = "ヘッダレコードが複数あります。1ファイルに1委託者分のデータとしてください。";
                else
                    m_state = State::Data;
                break;
            case Data:
                if (m_state == State::Start)
                    problem = "ヘッダレコードより前にデータレコードがあります。";
                else if (m_state == State::Trailer)
                    problem = "トレーラレコードより後にデータレコードがあります。";
                break;
            case Trailer:
                if (m_state == State::Start)
                    problem = "ヘッダレコードより前にトレーラレコードがあります。";
                else if (m_state == State::Trailer)
                    problem = "トレーラレコードが複数あります。";
                m_state = State::Trailer;
                break;
            case End:
                if (m_state != State::Trailer)
                    problem = "トレーラレコードより前にエンドレコードがあります。";
                m_state = State::End;
                break;
            default:
                error(n, "データ区分", Problem::RecordKind, r.substr(0, 1),
                      "認識できないデータが含まれているため認識できません。データ区分" + quoted(r.substr(0, 1))
                          + "は全銀協のレコード（1 ヘッダ、2 データ、8 トレーラ、9 エンド）ではありません。");
                return;
            }
        }
        if (problem)
            error(n, "データ区分", Problem::RecordOrder, r.substr(0, 1), problem);
    }

    void notDigits(int64_t n, const Field &f, std::string_view v)
    {
        error(n, f.column, Problem::NotNumeric, v, std::string(f.column) + quoted(v) + "が数字ではありません。");
    }

    // A number the bank file writes afresh: digits, which may follow leading
    // blanks in a facility's file. Its value, or nothing after a finding of
    // letters, signs or blanks.
    std::optional<int64_t> number(int64_t n, const Field &f, std::string_view v)
    {
        if (allDigits(v))
            return digitsValue(v);
        const std::optional<int64_t> value = digitsAfterBlanks(v);
        if (!value) {
            notDigits(n, f, v);
            return std::nullopt;
        }
        error(n, f.column, Problem::LeadingBlanks, v,
              std::string(f.column) + quoted(v) + "が0で埋めた数字ではありません（先頭が空白です）。");
        return value;
    }

    void check(const BoundRule &rule, std::string_view r, int64_t n)
    {
        const Field &f = *rule.field;
        const std::string_view v = field(r, f.pos, f.width);
        const std::string column = f.column;
        switch (rule.rule) {
        case Rule::Code:
            if (!allDigits(v))
                notDigits(n, f, v);
            break;
        case Rule::Number:
            number(n, f, v);
            break;
        case Rule::Account:
            if (!allDigits(v))
                error(n, column, Problem::Account, v, column + quoted(v) + "が7桁の数字ではありません。");
            break;
        case Rule::DepositType:
            if (const std::optional<int64_t> type = number(n, f, v); type && !isDepositType(*type))
                error(n, column, Problem::DepositType, v,
                      column + quoted(v) + "は預金種目（1 普通、2 当座、4 貯蓄、9 その他）ではありません。");
            break;
        case Rule::TypeCode:
            if (v != "21")
                error(n, column, Problem::FileKind, v, column + quoted(v) + "が総合振込（21）ではありません。");
            break;
        case Rule::CodeDivision:
            if (v != "0")
                error(n, column, Problem::CodeDivision, v,
                      column + quoted(v) + "がシフトJIS（0）ではありません。");
            break;
        case Rule::TransferDate:
            transferDate(n, f, v);
            break;
        case Rule::BankNumber:
            if (const std::optional<int64_t> bank = number(n, f, v); bank && m_options.bankCodes) {
                m_bank = *bank;
                if (!m_options.bankCodes->hasBank(*bank)) {
                    m_bank.reset(); // its branches are not looked for
                    add(n, column, Severity::Warning, Problem::UnknownBank, v,
                        column + quoted(v) + "の銀行は銀行マスタにありません。");
                }
            }
            break;
        case Rule::BranchNumber:
            if (const std::optional<int64_t> branch = number(n, f, v);
                branch && m_bank && !m_options.bankCodes->hasBranch(*m_bank, *branch)) {
                char bank[16];
                std::snprintf(bank, sizeof bank, "%04lld", static_cast<long long>(*m_bank));
                add(n, column, Severity::Warning, Problem::UnknownBranch, v,
                    column + quoted(v) + "の支店は銀行マスタの銀行" + bank + "にありません。");
            }
            break;
        case Rule::Name:
            name(n, column, v);
            break;
        case Rule::ClearingHouse:
            if (v != "    " && !allDigits(v))
                error(n, column, Problem::ClearingHouse, v,
                      "手形交換所番号" + quoted(v) + "が数字4桁でも空白でもありません。");
            break;
        case Rule::Designation:
            if (v != " " && v != "7" && v != "8")
                error(n, column, Problem::Designation, v,
                      "振込指定区分" + quoted(v) + "が7（電信）、8（文書）、空白のどれでもありません。");
            break;
        case Rule::Amount:
            amount(n, f, v);
            break;
        case Rule::Count:
            if (const std::optional<int64_t> count = number(n, f, v); count && *count != m_dataCount)
                error(n, column, Problem::TrailerCount, v,
                      column + " " + formatGrouped(*count) + "件がデータレコードの " + formatGrouped(m_dataCount)
                          + "件と一致しません。");
            break;
        case Rule::Total:
            if (const std::optional<int64_t> total = number(n, f, v); total && *total != m_dataSum)
                error(n, column, Problem::TrailerTotal, v,
                      column + " " + formatGrouped(*total) + "円がデータレコードの合計 " + formatGrouped(m_dataSum)
                          + "円と一致しません。");
            break;
        }
    }

    void amount(int64_t n, const Field &f, std::string_view v)
    {
        const std::string column = f.column;
        if (!v.empty() && (v.front() == '-' || v.front() == '+') && allDigits(v.substr(1))) {
            error(n, column, Problem::SignedAmount, v,
                  column + quoted(v) + (v.front() == '-' ? "はマイナスの金額です。" : "に符号があります。")
                      + "金額に符号は使えません。");
            return;
        }
        const std::optional<int64_t> value = number(n, f, v);
        if (!value)
            return;
        m_dataSum += *value;
        if (*value == 0)
            error(n, column, Problem::ZeroAmount, v, column + "が0円です。");
    }

    void transferDate(int64_t n, const Field &f, std::string_view v)
    {
        const std::string column = f.column;
        const std::optional<int64_t> value = number(n, f, v);
        if (!value)
            return;
        const int mmdd = static_cast<int>(*value);
        if (!IsValidDate(2000, mmdd / 100, mmdd % 100)) {
            error(n, column, Problem::MonthDay, v, column + quoted(v) + "が月日ではありません。");
            return;
        }
        int date = 0;
        if (m_options.requestDate) {
            date = *m_options.requestDate;
            if (date % 10000 != mmdd) {
                error(n, column, Problem::RequestDate, v, kRequestDateMismatch);
                return;
            }
        } else if (m_options.transferDate) {
            date = *m_options.transferDate;
            if (date % 10000 != mmdd) {
                error(n, column, Problem::TransferDate, v,
                      column + quoted(v) + "が振込指定日の" + std::to_string(date / 100 % 100) + "月"
                          + std::to_string(date % 100) + "日と一致しません。");
                return;
            }
        } else if (m_options.today) {
            // The next such day from today on (29 February: the next leap year).
            int year = m_options.today / 10000 + (mmdd < m_options.today % 10000 ? 1 : 0);
            while (!IsValidDate(year, mmdd / 100, mmdd % 100))
                ++year;
            date = year * 10000 + mmdd;
        }
        if (!date || !isBankHoliday(date))
            return;
        std::string why;
        if (const char *holiday = nationalHolidayName(date))
            why = holiday;
        else if (mmdd == 1231 || mmdd <= 103)
            why = "年末年始";
        else
            why = dayOfWeek(date) == 0 ? "日曜日" : "土曜日";
        add(n, column, Severity::Warning, Problem::Holiday, v,
            "振込指定日 " + dateText(date) + "は" + why + "で、銀行の休業日です。");
    }

    void name(int64_t n, const std::string &column, std::string_view v)
    {
        const NameCharacters c = nameCharacters(v);
        const std::string_view shownName = trimFieldBlanks(v);
        if (!c.noForm.empty())
            error(n, column, Problem::NameCharacter, v,
                  column + quoted(shownName) + "に全銀協の文字にない" + c.noForm + "があります。");
        if (!c.convertible.empty())
            add(n, column, Severity::Warning, Problem::NameConverted, v,
                column + quoted(shownName) + "に全銀協の文字にない" + c.convertible + "があります。銀行では"
                    + quoted(trimFieldBlanks(c.converted)) + "として扱われます。");
        if (!c.someBanks.empty())
            add(n, column, Severity::Caution, Problem::NameSymbol, v,
                column + quoted(shownName) + "の記号" + c.someBanks + "は受け付けない銀行があります。");
        // Positions count from the name as shown, without its leading blanks.
        const size_t leading = static_cast<size_t>(shownName.data() - v.data());
        for (const MisplacedMark &m : misplacedMarks(v)) {
            const bool voiced = m.mark == "\xDE";
            std::string message = column + quoted(shownName) + "の" + std::to_string(m.character - leading)
                                  + "文字目の" + (voiced ? "濁点" : "半濁点") + quoted(m.mark);
            if (m.after.empty())
                message += "の前に文字がありません。";
            else
                message += "は" + quoted(m.after) + "の後に付けられません。";
            error(n, column, Problem::SoundMark, v, std::move(message));
        }
    }

    CheckOptions m_options;
    CheckResult m_result;
    State m_state = State::Start;
    int64_t m_dataCount = 0;
    int64_t m_dataSum = 0;
    std::optional<int64_t> m_bank; // the record's bank number when the bank master has it
};

void BankCodes::add(int64_t bank, int64_t branch)
{
    m_banks.insert(bank);
    m_branches.insert(key(bank, branch));
}

BankCodes readBankCodes(const sql::Database &bankMaster)
{
    BankCodes codes;
    if (!bankMaster.isOpen())
        return codes;
    sql::Statement st = bankMaster.prepare("SELECT INT(銀行番号), INT(支店番号)\nFROM T_銀行マスタ");
    while (st.step()) {
        if (!st.isNull(0) && !st.isNull(1))
            codes.add(st.int64(0), st.int64(1));
    }
    return codes;
}

TransferReader::TransferReader(const std::string &path, const CheckOptions &options)
{
    m_file = std::fopen(path.c_str(), "rb");
    if (!m_file || std::fseek(m_file, 0, SEEK_END) != 0) {
        if (m_file)
            std::fclose(m_file);
        throw std::runtime_error(path + " を開けません。");
    }
    const long size = std::ftell(m_file);
    if (size < 0) {
        std::fclose(m_file);
        throw std::runtime_error(path + " を開けません。");
    }
    std::rewind(m_file);
    open(size, options);
}

TransferReader::TransferReader(std::string_view bytes, const CheckOptions &options)
{
    if (!bytes.empty()) {
        m_file = ::fmemopen(const_cast<char *>(bytes.data()), bytes.size(), "rb");
        if (!m_file)
            throw std::runtime_error("ファイルの内容を読めません。");
    }
    open(static_cast<int64_t>(bytes.size()), options);
}

TransferReader::~TransferReader()
{
    if (m_file)
        std::fclose(m_file);
}

void TransferReader::open(int64_t size, const CheckOptions &options)
{
    m_checker = std::make_unique<Checker>(options);
    m_form = size > 0 ? detectFileForm(m_file, size) : FileForm{};
    if (!m_form) {
        m_checker->sizeError(size);
        m_done = true;
        return;
    }
    m_checker->form(*m_form);
    if (size > 0)
        m_reader.emplace(m_file, *m_form);
}

int64_t TransferReader::expectedRecords() const
{
    return m_form ? m_form->records : 0;
}

bool TransferReader::next(std::string_view &record)
{
    if (m_done)
        return false;
    const RecordReader::Result got = m_reader ? m_reader->next(record) : RecordReader::Result::Done;
    switch (got) {
    case RecordReader::Result::Record:
        m_checker->record(record, ++m_read);
        return true;
    case RecordReader::Result::ReadError:
        throw std::runtime_error("ファイルを読み込めません。");
    case RecordReader::Result::BadForm:
        m_checker->brokenForm(m_read + 1);
        break;
    case RecordReader::Result::Done:
        m_checker->finish();
        break;
    }
    m_done = true;
    return false;
}

const CheckResult &TransferReader::result() const
{
    return m_checker->result();
}

CheckResult checkTransferFile(const std::string &path, const CheckOptions &options)
{
    TransferReader reader(path, options);
    std::string_view record;
    while (reader.next(record)) {
    }
    return reader.result();
}

CheckResult checkTransferBytes(std::string_view bytes, const CheckOptions &options)
{
    TransferReader reader(bytes, options);
    std::string_view record;
    while (reader.next(record)) {
    }
    return reader.result();
}

} // namespace pelanova::zengin
