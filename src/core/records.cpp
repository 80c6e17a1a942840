#include "core/records.h"
#include "core/cp932.h"

#include <charconv>
#include <limits>

namespace pelanova::zengin {
namespace {

using K = FieldKind;

constexpr Field kHeaderLayout[] = {
    {"データ区分", 1, 1, K::Number},
    {"種別コード", 2, 2, K::Number},
    {"コード区分", 4, 1, K::Number},
    {"委託者コード", 5, 10, K::Text},
    {"委託者名", 15, 40, K::Text},
    {"引落日", 55, 4, K::Number},
    {"取引銀行コード", 59, 4, K::Number},
    {"取引銀行名", 63, 15, K::Text},
    {"取引支店コード", 78, 3, K::Number},
    {"取引支店名", 81, 15, K::Text},
    {"預金種目", 96, 1, K::Number},
    {"口座番号", 97, 7, K::Text},
    {"ダミー", 104, 17, K::Text},
};

constexpr Field kDataLayout[] = {
    {"データ区分", 1, 1, K::Number},
    {"引落銀行番号", 2, 4, K::Number},
    {"引落銀行名", 6, 15, K::Text},
    {"引落支店番号", 21, 3, K::Number},
    {"引落支店名", 24, 15, K::Text},
    {"ダミー1", 39, 4, K::Text},
    {"預金項目", 43, 1, K::Number},
    {"口座番号", 44, 7, K::Text},
    {"預金者名", 51, 30, K::Text},
    // A single transfer may pass 2,147,483,647 yen; its 10 digits are read in full.
    {"引落金額", 81, 10, K::Number64},
    {"新規コード", 91, 1, K::Number},
    {"顧客番号", 92, 20, K::Text},
    {"振込結果コード", 112, 1, K::Lenient},
    {"ダミー2", 113, 8, K::Text},
};

constexpr Field kTrailerLayout[] = {
    {"データ区分", 1, 1, K::Number},
    {"合計件数", 2, 6, K::Number},
    // The file's total of a large payroll can pass 2,147,483,647 yen; the
    // 12-digit field is read in full rather than refusing a valid file.
    {"合計金額", 8, 12, K::Number64},
    {"振替済件数", 20, 6, K::Lenient},
    {"振替済金額", 26, 12, K::Lenient},
    {"振替不能件数", 38, 6, K::Lenient},
    {"振替不能金額", 44, 12, K::Lenient},
    {"ダミー", 56, 65, K::Text},
};

constexpr Field kEndLayout[] = {
    {"データ区分", 1, 1, K::Number},
    {"ダミー", 2, 119, K::Text},
};

} // namespace

std::span<const Field> layout(int kind)
{
    switch (kind) {
    case Header: return kHeaderLayout;
    case Data: return kDataLayout;
    case Trailer: return kTrailerLayout;
    case End: return kEndLayout;
    default: return {};
    }
}

const Field &fieldOf(int kind, std::string_view column)
{
    for (const Field &f : layout(kind)) {
        if (f.column == column)
            return f;
    }
    throw std::logic_error("no column " + std::string(column) + " in records of kind " + std::to_string(kind));
}

std::optional<int64_t> parseNumber64(std::string_view s)
{
    size_t i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) {
        negative = s[i] == '-';
        ++i;
    }
    if (i == s.size())
        return std::nullopt;
    constexpr uint64_t kMax = uint64_t(std::numeric_limits<int64_t>::max());
    uint64_t value = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9')
            return std::nullopt;
        const auto digit = static_cast<uint64_t>(s[i] - '0');
        if (value > (kMax - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return negative ? -static_cast<int64_t>(value) : static_cast<int64_t>(value);
}

std::optional<int32_t> parseNumber(std::string_view s)
{
    const auto value = parseNumber64(s);
    if (!value || *value > std::numeric_limits<int32_t>::max() || *value < std::numeric_limits<int32_t>::min())
        return std::nullopt;
    return static_cast<int32_t>(*value);
}

int32_t parseLenient(std::string_view s)
{
    return parseNumber(s).value_or(-1);
}

int recordKind(std::string_view block)
{
    return block.empty() ? -1 : parseLenient(block.substr(0, 1));
}

std::string_view field(std::string_view block, int pos, int width)
{
    if (static_cast<size_t>(pos - 1) >= block.size())
        return {};
    return block.substr(static_cast<size_t>(pos - 1), static_cast<size_t>(width));
}

void split(std::string_view block, int kind, std::vector<Value> &out)
{
    const auto fields = layout(kind);
    out.resize(fields.size());
    for (size_t i = 0; i < fields.size(); ++i) {
        const Field &f = fields[i];
        const std::string_view raw = field(block, f.pos, f.width);
        Value &v = out[i];
        switch (f.kind) {
        case K::Text:
            v.isText = true;
            v.text = cp932::decode(raw);
            break;
        case K::Lenient:
            v.isText = false;
            v.number = parseLenient(raw);
            break;
        case K::Number:
        case K::Number64: {
            const auto n = f.kind == K::Number64 ? parseNumber64(raw) : std::optional<int64_t>(parseNumber(raw));
            if (!n) {
                throw FormatError("数値であるべき項目「" + std::string(f.column) + "」（"
                                  + std::to_string(f.pos) + "桁目から" + std::to_string(f.width)
                                  + "桁）が正しい数値ではありません: '" + cp932::decode(raw) + "'");
            }
            v.isText = false;
            v.number = *n;
            break;
        }
        }
    }
}

std::string textField(std::string_view utf8, int width)
{
    std::string bytes = cp932::encodeLossy(utf8);
    const auto w = static_cast<size_t>(width);
    if (bytes.size() >= w)
        return bytes.substr(0, w);
    return std::string(w - bytes.size(), ' ') + bytes;
}

std::string numberField(int64_t value, int width)
{
    if (value < 0)
        throw std::out_of_range("negative value " + std::to_string(value));
    std::string digits = std::to_string(value);
    if (digits.size() > static_cast<size_t>(width))
        throw std::out_of_range(digits + " does not fit " + std::to_string(width) + " digits");
    return std::string(static_cast<size_t>(width) - digits.size(), '0') + digits;
}

std::string buildHeader(const ConsignorFields &c, int transferRequestDate)
{
    std::string r;
    r.reserve(kRecordSize);
    r += "1";
    r += "21";
    r += "0";
    r += textField(c.code, 10);
    r += textField(c.name, 40);
    r += numberField(transferRequestDate % 10000, 4);
    r += numberField(c.bankNumber, 4);
    r += textField(c.bankName, 15);
    r += numberField(c.branchNumber, 3);
    r += textField(c.branchName, 15);
    r += std::to_string(c.accountType).substr(0, 1);
    r += textField(c.account, 7);
    r += std::string(17, ' ');
    return r;
}

BankFileForm bankFileForm(std::string_view clearingHouse, std::string_view designation, std::string_view lineBreak)
{
    BankFileForm form;
    form.clearingHouseZeros = clearingHouse == "1";
    if (designation == "7" || designation == "8")
        form.designation = designation.front();
    if (lineBreak == "1")
        form.lineBreak = "\r\n";
    return form;
}

std::string buildData(const TransferFields &t, int64_t amount, const BankFileForm &form)
{
    std::string r;
    r.reserve(kRecordSize);
    r += "2";
    r += numberField(t.bankNumber, 4);
    r += textField(t.bankName, 15);
    r += numberField(t.branchNumber, 3);
    r += textField(t.branchName, 15);
    r += form.clearingHouse();
    r += std::to_string(t.accountType).substr(0, 1);
    // The account number goes out as its first 7 bytes; a shorter one (not from
    // an imported file) is filled with blanks so that the record keeps its width.
    std::string account = cp932::encodeLossy(t.account).substr(0, 7);
    account.resize(7, ' ');
    r += account;
    r += textField(t.payee, 30);
    r += numberField(amount, 10);
    r += "0";
    r += std::string(20, '0');
    r += form.designation;
    r += std::string(8, ' ');
    return r;
}

std::string buildTrailer(int64_t count, int64_t total)
{
    std::string r;
    r.reserve(kRecordSize);
    r += "8";
    r += numberField(count, 6);
    r += numberField(total, 12);
    r += std::string(101, ' ');
    return r;
}

std::string buildEnd()
{
    return "9" + std::string(119, ' ');
}

std::optional<FileForm> detectFileForm(int64_t size, std::string_view head, char last)
{
    const auto n = static_cast<int64_t>(kRecordSize);
    FileForm form;
    const char after = head.size() > kRecordSize ? head[kRecordSize] : '\0';
    if (after != '\r' && after != '\n') {
        // Records back to back.
        if (size % n == 0) {
            form.records = size / n;
            return form;
        }
        if (size % n == 1 && last == kEofByte) {
            form.records = size / n;
            form.eofByte = true;
            return form;
        }
        return std::nullopt;
    }
    if (after == '\r')
        form.lineBreak = head.size() > kRecordSize + 1 && head[kRecordSize + 1] == '\n' ? "\r\n" : "\r";
    else
        form.lineBreak = "\n";
    int64_t content = size;
    if (last == kEofByte) {
        form.eofByte = true;
        --content;
    }
    const int64_t stride = n + static_cast<int64_t>(form.lineBreak.size());
    if (content % stride == 0) {
        form.records = content / stride;
        form.lastBreak = true;
    } else if (content % stride == n) {
        form.records = content / stride + 1;
    } else {
        return std::nullopt;
    }
    return form;
}

std::optional<FileForm> detectFileForm(std::FILE *file, int64_t size)
{
    char head[kRecordSize + 2];
    const size_t got = std::fread(head, 1, sizeof head, file);
    char last = '\0';
    if (size > 0 && std::fseek(file, static_cast<long>(size - 1), SEEK_SET) == 0)
        last = static_cast<char>(std::fgetc(file));
    std::rewind(file);
    return detectFileForm(size, std::string_view(head, got), last);
}

RecordReader::RecordReader(std::FILE *file, const FileForm &form) : m_file(file), m_form(form) {}

RecordReader::Result RecordReader::next(std::string_view &record)
{
    if (m_read == m_form.records)
        return Result::Done;
    const bool withBreak = m_read + 1 < m_form.records || m_form.lastBreak;
    const size_t want = kRecordSize + (withBreak ? m_form.lineBreak.size() : 0);
    const size_t got = std::fread(m_block, 1, want, m_file);
    if (got != want)
        return std::ferror(m_file) ? Result::ReadError : Result::BadForm;
    const std::string_view block(m_block, want);
    record = block.substr(0, kRecordSize);
    if (block.substr(kRecordSize) != (withBreak ? m_form.lineBreak : std::string_view()))
        return Result::BadForm;
    if (record.find_first_of("\r\n") != std::string_view::npos)
        return Result::BadForm;
    ++m_read;
    return Result::Record;
}

} // namespace pelanova::zengin
