#include "import/recordorder.h"
#include "core/cp932.h"
#include "core/format.h"
#include "core/records.h"

namespace pelanova {
namespace {

struct OrderRule
{
    int kind;
    int once;                 // index into the seen flags, or -1 for data records
    const char *beforeHeader; // refusal when no header came first
    const char *again;        // refusal for a second record of the kind
    const char *afterTrailer; // refusal when the trailer came before it
};

// A trailer or end record belongs to the import's header, and an import has
// one of each: without a header they would be stored under the import's key
// unseen, and a later import of that key would list them as a second history
// line. A data record after the trailer, or any record after the end record,
// would be stored and sent on to the bank without ever being held against the
// trailer's control totals.
constexpr OrderRule kRules[] = {
    {zengin::Header, 0, nullptr,
     "ヘッダレコードが複数含まれているため取り込めません。\n\r1ファイルに1委託者分のデータとしてください。", nullptr},
    {zengin::Data, -1, "ヘッダレコードより前に明細レコードがあるため取り込めません。", nullptr,
     "トレーラレコードより後に明細レコードがあるため取り込めません。"},
    {zengin::Trailer, 1, "ヘッダレコードより前にトレーラレコードがあるため取り込めません。",
     "トレーラレコードが複数含まれているため取り込めません。", nullptr},
    {zengin::End, 2, "ヘッダレコードより前にエンドレコードがあるため取り込めません。",
     "エンドレコードが複数含まれているため取り込めません。", nullptr},
};

constexpr const char *kAfterEnd = "エンドレコードより後にレコードがあるため取り込めません。";

constexpr const char *kUnknownRecord = "認識できないデータが含まれているため認識できません。";

} // namespace

std::optional<std::string> RecordOrder::refusal(int kind)
{
    for (const OrderRule &rule : kRules) {
        if (rule.kind != kind)
            continue;
        if (rule.beforeHeader && !m_seen[0])
            return rule.beforeHeader;
        if (rule.once >= 0 && m_seen[rule.once])
            return rule.again;
        if (m_seen[2])
            return kAfterEnd;
        if (rule.afterTrailer && m_seen[1])
            return rule.afterTrailer;
        if (rule.once >= 0)
            m_seen[rule.once] = true;
        return std::nullopt;
    }
    return kUnknownRecord;
}

void RecordOrder::addData(int64_t amount)
{
    ++m_count;
    m_total += amount;
}

std::optional<std::string> RecordOrder::trailerRefusal(int64_t count, int64_t total) const
{
    if (count == m_count && total == m_total)
        return std::nullopt;
    return "トレーラレコードの件数・金額がデータレコードと一致しません。\n\r件数：トレーラ " + formatGrouped(count)
           + " ／ データ " + formatGrouped(m_count) + "\n\r金額：トレーラ " + formatGrouped(total) + " ／ データ "
           + formatGrouped(m_total);
}

std::optional<std::string> headerKindRefusal(std::string_view header)
{
    const std::string_view type = zengin::field(header, 2, 2);
    if (type != "21")
        return "総合振込（種別コード21）のデータではありません。\n\r種別コード：" + cp932::decode(type);
    const std::string_view code = zengin::field(header, 4, 1);
    if (code != "0")
        return "シフトJIS（コード区分0）のデータではありません。\n\rコード区分：" + cp932::decode(code);
    return std::nullopt;
}

std::optional<std::string> signedAmountRefusal(std::string_view data, int64_t recordNumber)
{
    static const zengin::Field &amount = zengin::fieldOf(zengin::Data, "引落金額");
    const std::string_view value = zengin::field(data, amount.pos, amount.width);
    if (value.find_first_of("+-") == std::string_view::npos)
        return std::nullopt;
    return "金額に符号が付いているため取り込めません。\n\rレコード：" + std::to_string(recordNumber) + "件目\n\r"
           + amount.column + "：" + cp932::decode(value);
}

} // namespace pelanova
