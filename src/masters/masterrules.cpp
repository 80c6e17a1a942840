#include "masters/masterrules.h"

#include "core/format.h"
#include "core/utf8.h"

namespace pelanova::masters::rules {
namespace {

bool allDigits(std::string_view text)
{
    if (text.empty())
        return false;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

std::string named(std::string_view column, std::string_view text)
{
    return std::string(column) + "「" + std::string(text) + "」";
}

size_t characters(std::string_view text)
{
    size_t count = 0;
    for (size_t pos = 0; pos < text.size(); ++count)
        utf8::next(text, pos);
    return count;
}

std::string withoutSeparators(std::string_view text)
{
    std::string digits;
    for (const char c : trimText(text)) {
        if (c != ',')
            digits += c;
    }
    return digits;
}

} // namespace

Fault facilityCodeFault(std::string_view text)
{
    const std::string_view code = trimText(text);
    if (code.empty())
        return "施設コードを入力してください。";
    if (!allDigits(code) || code.size() > size_t(kFacilityCodeDigits))
        return named("施設コード", code) + "は" + std::to_string(kFacilityCodeDigits) + "桁までの数字です。";
    return std::nullopt;
}

Fault facilityNameFault(std::string_view text)
{
    if (text.empty())
        return "施設名を入力してください。";
    return std::nullopt;
}

Fault fileNameFault(std::string_view text)
{
    if (characters(text) > size_t(kFileNameCharacters))
        return named("総合振込データファイル名", text) + "は" + std::to_string(kFileNameCharacters) + "文字までです。";
    return std::nullopt;
}

Fault codeFault(std::string_view column, std::string_view text, int digits)
{
    const std::string_view code = trimText(text);
    if (code.empty())
        return std::string(column) + "がありません。";
    if (!allDigits(code) || code.size() > size_t(digits))
        return named(column, code) + "は" + std::to_string(digits) + "桁の数字です。";
    return std::nullopt;
}

std::string paddedCode(std::string_view text, int digits)
{
    const std::string_view code = trimText(text);
    if (!allDigits(code) || code.size() >= size_t(digits))
        return std::string(code);
    return std::string(size_t(digits) - code.size(), '0') + std::string(code);
}

int64_t accountTypeOf(std::string_view text)
{
    const std::string_view type = trimText(text);
    if (type == "1" || type == "普通")
        return 1;
    if (type == "2" || type == "当座")
        return 2;
    if (type == "9" || type == "その他")
        return 9;
    return 0;
}

Fault accountTypeFault(std::string_view column, std::string_view text)
{
    if (trimText(text).empty())
        return std::string(column) + "がありません。";
    if (accountTypeOf(text) == 0)
        return named(column, trimText(text)) + "は1（普通）、2（当座）、9（その他）のいずれかです。";
    return std::nullopt;
}

Fault feeCategoryFault(std::string_view text)
{
    const std::string_view category = trimText(text);
    if (category != "0" && category != "1")
        return named("手数料区分", category) + "は0か1のどちらかです。";
    return std::nullopt;
}

Fault amountFault(std::string_view column, std::string_view text)
{
    const std::string digits = withoutSeparators(text);
    if (digits.empty())
        return std::nullopt;
    if (!allDigits(digits) || digits.size() > size_t(kAmountDigits))
        return named(column, trimText(text)) + "は" + std::to_string(kAmountDigits) + "桁までの0以上の整数です。";
    return std::nullopt;
}

int64_t amountOf(std::string_view text)
{
    const std::string digits = withoutSeparators(text);
    if (!allDigits(digits) || digits.size() > size_t(kAmountDigits))
        return 0;
    return std::stoll(digits);
}

} // namespace pelanova::masters::rules
