#pragma once

// The rules of the masters' values: what the master screens accept and what
// an imported master file is checked against. A check gives nothing for an
// acceptable value, else the sentence that says what is wrong, naming the
// value ("手数料区分「2」は0か1のどちらかです。"); a required value that is
// empty reads as the screens ask for it ("施設名を入力してください。").
// Texts are UTF-8; values are read after the blanks at their ends are removed.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pelanova::masters::rules {

inline constexpr int kFacilityCodeDigits = 4;
inline constexpr int kFileNameCharacters = 20;
// Every amount fits a yen amount (32-bit signed).
inline constexpr int kAmountDigits = 9;
inline constexpr int kConsignorCodeDigits = 10;
inline constexpr int kAccountDigits = 7;
inline constexpr int kBankDigits = 4;
inline constexpr int kBranchDigits = 3;

using Fault = std::optional<std::string>;

// 施設コード: 1 to 4 digits.
Fault facilityCodeFault(std::string_view text);
// 施設名: anything but nothing (a name of blanks is a name).
Fault facilityNameFault(std::string_view text);
// 総合振込データファイル名: at most 20 characters (empty: none).
Fault fileNameFault(std::string_view text);

// A code of digits (委託者コード, 口座番号, 銀行番号, 支店番号): 1 to `digits`
// digits; fewer are filled with leading zeros (a spreadsheet drops them).
Fault codeFault(std::string_view column, std::string_view text, int digits);
// The code with its leading zeros; the text itself when it is no code.
std::string paddedCode(std::string_view text, int digits);

// 預金種別 / 預金種目: 1, 2 or 9, or their names 普通, 当座, その他.
Fault accountTypeFault(std::string_view column, std::string_view text);
// The code of an accepted account type; 0 otherwise.
int64_t accountTypeOf(std::string_view text);

// 手数料区分: 0 or 1.
Fault feeCategoryFault(std::string_view text);
// An amount (手数料金額 and the fee table's columns): empty (0) or a whole
// number of at most 9 digits, thousands separators allowed.
Fault amountFault(std::string_view column, std::string_view text);
// The value of an accepted amount (empty: 0).
int64_t amountOf(std::string_view text);

} // namespace pelanova::masters::rules
