#include "core/zengincheck.h"
#include "core/cp932.h"
#include "core/format.h"
#include "core/holidays.h"
#include "core/my_year.h"
#include "core/records.h"
#include "core/sqlite.h"
#include "core/zenginnames.h"

#include <cstdio>
#include <memory>
#include <stdexcept>

namespace pelanova::zengin {
namespace {

enum class Rule {
    Digits,
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
    {Header, "委託者コード", Rule::Digits},
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
    {Data, "新規コード", Rule::Digits},
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

std::string_view trimBlanks(std::string_view s)
{
    const size_t first = s.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

std::string quoted(std::string_view bytes) { return "「" + shownBytes(bytes) + "」"; }

std::string dateText(int date)
{
    return std::to_string(date / 10000) + "年" + std::to_string(date / 100 % 100) + "月" + std::to_string(date % 100)
           + "日（" + weekdayLetter(date) + "）";
}

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
            add(0, "", Severity::Caution, f.lineBreak,
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
        m_bankKnown = false;
        for (const BoundRule &rule : rulesOf(kind))
            check(rule, r, n);
        if (kind == Data)
            ++m_dataCount;
    }

    void badForm(int64_t n)
    {
        add(n, "", Severity::Error, {},
            "レコードの区切り（120バイトごとの改行）が崩れています。このレコードから後は読んでいません。");
    }

    void finish()
    {
        const char *missing = nullptr;
        if (m_result.records == 0)
            missing = "レコードがありません。";
        else if (m_state == State::Start)
            missing = "ヘッダレコードがありません。";
        else if (m_state == State::Data)
            missing = "トレーラレコードとエンドレコードがありません。";
        else if (m_state == State::Trailer)
            missing = "エンドレコードがありません。";
        if (missing)
            add(0, "", Severity::Error, {}, missing);
        if (m_state != State::Start && m_dataCount == 0)
            add(0, "", Severity::Warning, {}, "データレコードが1件もありません。");
    }

    void sizeError(int64_t size)
    {
        add(0, "", Severity::Error, {},
            "ファイルの大きさ（" + formatGrouped(size) + "バイト）が120バイトのレコードの並びになっていません。");
    }

    CheckResult take() { return std::move(m_result); }

private:
    enum class State { Start, Data, Trailer, End };

    void add(int64_t record, std::string_view column, Severity severity, std::string_view found,
             std::string message)
    {
        m_result.findings.push_back({record, std::string(column), severity, std::string(found), std::move(message)});
        if (severity == Severity::Error)
            ++m_result.errors;
        else
            ++m_result.warnings;
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
                    problem = "ヘッダレコードが複数あります。";
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
                add(n, "データ区分", Severity::Error, r.substr(0, 1),
                    "データ区分" + quoted(r.substr(0, 1))
                        + "は全銀協のレコード（1 ヘッダ、2 データ、8 トレーラ、9 エンド）ではありません。");
                return;
            }
        }
        if (problem)
            add(n, "データ区分", Severity::Error, r.substr(0, 1), problem);
    }

    void notDigits(int64_t n, const Field &f, std::string_view v)
    {
        add(n, f.column, Severity::Error, v, std::string(f.column) + quoted(v) + "が数字ではありません。");
    }

    void check(const BoundRule &rule, std::string_view r, int64_t n)
    {
        const Field &f = *rule.field;
        const std::string_view v = field(r, f.pos, f.width);
        const std::string column = f.column;
        switch (rule.rule) {
        case Rule::Digits:
            if (!allDigits(v))
                notDigits(n, f, v);
            break;
        case Rule::Account:
            if (!allDigits(v))
                add(n, column, Severity::Error, v, column + quoted(v) + "が7桁の数字ではありません。");
            break;
        case Rule::DepositType:
            if (!allDigits(v))
                notDigits(n, f, v);
            else if (!isDepositType(digitsValue(v)))
                add(n, column, Severity::Error, v,
                    column + quoted(v) + "は預金種目（1 普通、2 当座、4 貯蓄、9 その他）ではありません。");
            break;
        case Rule::TypeCode:
            if (v != "21")
                add(n, column, Severity::Error, v, column + quoted(v) + "が総合振込（21）ではありません。");
            break;
        case Rule::CodeDivision:
            if (v != "0" && v != "1")
                add(n, column, Severity::Error, v,
                    column + quoted(v) + "が0（シフトJIS）でも1（EBCDIC）でもありません。");
            break;
        case Rule::TransferDate:
            transferDate(n, f, v);
            break;
        case Rule::BankNumber:
            if (!allDigits(v)) {
                notDigits(n, f, v);
            } else if (m_options.bankCodes) {
                m_bank = digitsValue(v);
                m_bankKnown = m_options.bankCodes->hasBank(*m_bank);
                if (!m_bankKnown)
                    add(n, column, Severity::Warning, v, column + quoted(v) + "の銀行は銀行マスタにありません。");
            }
            break;
        case Rule::BranchNumber:
            if (!allDigits(v)) {
                notDigits(n, f, v);
            } else if (m_options.bankCodes && m_bank && m_bankKnown
                       && !m_options.bankCodes->hasBranch(*m_bank, digitsValue(v))) {
                char bank[16];
                std::snprintf(bank, sizeof bank, "%04lld", static_cast<long long>(*m_bank));
                add(n, column, Severity::Warning, v,
                    column + quoted(v) + "の支店は銀行マスタの銀行" + bank + "にありません。");
            }
            break;
        case Rule::Name:
            name(n, column, v);
            break;
        case Rule::ClearingHouse:
            if (v != "    " && !allDigits(v))
                add(n, column, Severity::Error, v,
                    "手形交換所番号" + quoted(v) + "が数字4桁でも空白でもありません。");
            break;
        case Rule::Designation:
            if (v != " " && v != "7" && v != "8")
                add(n, column, Severity::Error, v,
                    "振込指定区分" + quoted(v) + "が7（電信）、8（文書）、空白のどれでもありません。");
            break;
        case Rule::Amount:
            amount(n, f, v);
            break;
        case Rule::Count:
            if (!allDigits(v))
                notDigits(n, f, v);
            else if (digitsValue(v) != m_dataCount)
                add(n, column, Severity::Error, v,
                    column + " " + formatGrouped(digitsValue(v)) + "件がデータレコードの "
                        + formatGrouped(m_dataCount) + "件と一致しません。");
            break;
        case Rule::Total:
            if (!allDigits(v))
                notDigits(n, f, v);
            else if (digitsValue(v) != m_dataSum)
                add(n, column, Severity::Error, v,
                    column + " " + formatGrouped(digitsValue(v)) + "円がデータレコードの合計 "
                        + formatGrouped(m_dataSum) + "円と一致しません。");
            break;
        }
    }

    void amount(int64_t n, const Field &f, std::string_view v)
    {
        const std::string column = f.column;
        if (!v.empty() && (v.front() == '-' || v.front() == '+') && allDigits(v.substr(1))) {
            add(n, column, Severity::Error, v,
                column + quoted(v) + (v.front() == '-' ? "はマイナスの金額です。" : "に符号があります。")
                    + "金額に符号は使えません。");
            return;
        }
        if (!allDigits(v)) {
            notDigits(n, f, v);
            return;
        }
        const int64_t value = digitsValue(v);
        m_dataSum += value;
        if (value == 0)
            add(n, column, Severity::Error, v, column + "が0円です。");
        else if (!isTransferAmount(value))
            add(n, column, Severity::Error, v,
                column + " " + formatGrouped(value) + "円が上限の " + formatGrouped(kMaxAmount) + "円を超えています。");
    }

    void transferDate(int64_t n, const Field &f, std::string_view v)
    {
        const std::string column = f.column;
        if (!allDigits(v)) {
            notDigits(n, f, v);
            return;
        }
        const int mmdd = static_cast<int>(digitsValue(v));
        if (!IsValidDate(2000, mmdd / 100, mmdd % 100)) {
            add(n, column, Severity::Error, v, column + quoted(v) + "が月日ではありません。");
            return;
        }
        int date = 0;
        if (m_options.transferDate) {
            date = *m_options.transferDate;
            if (date % 10000 != mmdd) {
                add(n, column, Severity::Error, v,
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
        add(n, column, Severity::Warning, v, "振込指定日 " + dateText(date) + "は" + why + "で、銀行の休業日です。");
    }

    void name(int64_t n, const std::string &column, std::string_view v)
    {
        const NameCharacters c = nameCharacters(v);
        const std::string_view shownName = trimBlanks(v);
        if (!c.outside.empty()) {
            std::string message = column + quoted(shownName) + "に全銀協の文字にない" + c.outside + "があります。";
            if (c.convertible)
                message += "銀行では" + quoted(trimBlanks(c.converted)) + "として扱われます。";
            add(n, column, Severity::Warning, v, std::move(message));
        }
        if (!c.someBanks.empty())
            add(n, column, Severity::Caution, v,
                column + quoted(shownName) + "の記号" + c.someBanks + "は受け付けない銀行があります。");
    }

    CheckOptions m_options;
    CheckResult m_result;
    State m_state = State::Start;
    int64_t m_dataCount = 0;
    int64_t m_dataSum = 0;
    std::optional<int64_t> m_bank; // the record's bank number, for its branch
    bool m_bankKnown = false;
};

struct FileCloser
{
    void operator()(std::FILE *f) const { std::fclose(f); }
};

CheckResult checkOpenFile(std::FILE *file, int64_t size, const CheckOptions &options)
{
    Checker checker(options);
    const std::optional<FileForm> form = size > 0 ? detectFileForm(file, size) : FileForm{};
    if (!form) {
        checker.sizeError(size);
        return checker.take();
    }
    checker.form(*form);
    if (size > 0) {
        RecordReader reader(file, *form);
        std::string_view record;
        for (int64_t n = 1;; ++n) {
            const RecordReader::Result got = reader.next(record);
            if (got == RecordReader::Result::Done)
                break;
            if (got == RecordReader::Result::ReadError)
                throw std::runtime_error("ファイルを読み込めません。");
            if (got == RecordReader::Result::BadForm) {
                checker.badForm(n);
                return checker.take();
            }
            checker.record(record, n);
        }
    }
    checker.finish();
    return checker.take();
}

} // namespace

std::string_view severityName(Severity severity)
{
    return severity == Severity::Error ? "error" : "warning";
}

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

CheckResult checkTransferFile(const std::string &path, const CheckOptions &options)
{
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file || std::fseek(file.get(), 0, SEEK_END) != 0)
        throw std::runtime_error(path + " を開けません。");
    const long size = std::ftell(file.get());
    if (size < 0)
        throw std::runtime_error(path + " を開けません。");
    std::rewind(file.get());
    return checkOpenFile(file.get(), size, options);
}

CheckResult checkTransferBytes(std::string_view bytes, const CheckOptions &options)
{
    if (bytes.empty())
        return checkOpenFile(nullptr, 0, options);
    std::unique_ptr<std::FILE, FileCloser> file(
        ::fmemopen(const_cast<char *>(bytes.data()), bytes.size(), "rb"));
    if (!file)
        throw std::runtime_error("ファイルの内容を読めません。");
    return checkOpenFile(file.get(), static_cast<int64_t>(bytes.size()), options);
}

std::string findingLine(const Finding &finding)
{
    std::string line = finding.record > 0 ? std::to_string(finding.record) : std::string();
    line += '\t';
    line += finding.column;
    line += '\t';
    line += severityName(finding.severity);
    line += '\t';
    line += finding.message;
    return line;
}

} // namespace pelanova::zengin
