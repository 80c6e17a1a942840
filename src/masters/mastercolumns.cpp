#include "masters/mastercolumns.h"

#include "core/format.h"
#include "core/sql.h"
#include "core/tesuuryou.h"
#include "masters/masterdata.h"

#include <algorithm>
#include <cctype>

namespace pelanova::masters::columns {

const MasterLayout &layoutOf(MasterKind kind)
{
    static const MasterLayout facilities{"M_施設",
                                       {{"施設コード", Kind::FacilityCode, rules::kFacilityCodeDigits, true},
                                        {"施設名", Kind::FacilityName},
                                        {"総合振込データファイル名", Kind::FileName}},
                                       "施設コード, ID"};
    static const MasterLayout consignors = [] {
        MasterLayout layout{"M_銀行",
                        {{"委託者コード", Kind::Code, rules::kConsignorCodeDigits, true},
                         {"委託者名", Kind::KanaName},
                         {"銀行番号", Kind::NumberCode, rules::kBankDigits},
                         {"銀行名", Kind::KanaName},
                         {"銀行名漢字", Kind::KanjiName},
                         {"支店番号", Kind::NumberCode, rules::kBranchDigits},
                         {"支店名", Kind::KanaName},
                         {"支店名漢字", Kind::KanjiName},
                         {"預金種目", Kind::AccountType},
                         {"口座番号", Kind::Code, rules::kAccountDigits}},
                        "委託者コード, ID"};
        for (const char *fee : kFeeColumns)
            layout.columns.push_back({fee, Kind::Amount});
        return layout;
    }();
    static const MasterLayout recipients{"M_受取人",
                                       {{"委託者コード", Kind::Code, rules::kConsignorCodeDigits, true},
                                        {"銀行番号", Kind::NumberCode, rules::kBankDigits, true},
                                        {"銀行名", Kind::KanaName},
                                        {"銀行名漢字", Kind::KanjiName},
                                        {"支店番号", Kind::NumberCode, rules::kBranchDigits, true},
                                        {"支店名", Kind::KanaName},
                                        {"支店名漢字", Kind::KanjiName},
                                        {"預金種別", Kind::AccountType, 0, true},
                                        {"口座番号", Kind::Code, rules::kAccountDigits, true},
                                        {"受取人名", Kind::KanaName},
                                        {"手数料区分", Kind::Category},
                                        {"手数料金額", Kind::Amount}},
                                       "委託者コード, 受取人名, ID"};
    switch (kind) {
    case MasterKind::Facilities: return facilities;
    case MasterKind::Consignors: return consignors;
    case MasterKind::Recipients:
    case MasterKind::RecipientList: break;
    }
    return recipients;
}

bool isInteger(Kind kind)
{
    return kind == Kind::FacilityCode || kind == Kind::NumberCode || kind == Kind::AccountType
           || kind == Kind::Category || kind == Kind::Amount;
}

// A column's value as the file writes it, from a stored row.
std::string storedValue(const sql::Statement &st, const ColumnLayout &column)
{
    if (!isInteger(column.kind))
        return st.textOrEmpty(column.name);
    const int64_t value = st.int64OrZero(column.name);
    if (column.kind == Kind::NumberCode)
        return rules::paddedCode(std::to_string(value), column.digits);
    return std::to_string(value);
}

// A cell of the file as the stored value it means (checked before).
std::string fileValue(const std::string &cell, const ColumnLayout &column)
{
    switch (column.kind) {
    case Kind::FacilityCode: return std::to_string(rules::amountOf(cell));
    case Kind::Code:
    case Kind::NumberCode: return rules::paddedCode(cell, column.digits);
    case Kind::AccountType: return std::to_string(rules::accountTypeOf(cell));
    case Kind::Category: return std::string(trimText(cell));
    case Kind::Amount: return std::to_string(rules::amountOf(cell));
    case Kind::FileName: return storedFileName(cell).value_or(std::string());
    case Kind::FacilityName:
    case Kind::KanaName:
    case Kind::KanjiName: break;
    }
    return cell;
}

rules::Fault cellFault(const std::string &cell, const ColumnLayout &column)
{
    switch (column.kind) {
    case Kind::FacilityCode: return rules::facilityCodeFault(cell);
    case Kind::FacilityName: return rules::facilityNameFault(cell);
    case Kind::FileName: return rules::fileNameFault(cell);
    case Kind::Code:
    case Kind::NumberCode: return rules::codeFault(column.name, cell, column.digits);
    case Kind::AccountType: return rules::accountTypeFault(column.name, cell);
    case Kind::Category: return rules::feeCategoryFault(cell);
    case Kind::Amount: return rules::amountFault(column.name, cell);
    case Kind::KanaName:
    case Kind::KanjiName: break;
    }
    return std::nullopt;
}

// Blanks that pad a name to its field are no change.
bool sameValue(const std::string &a, const std::string &b, Kind kind)
{
    if (kind == Kind::KanaName)
        return trimFieldBlanks(a) == trimFieldBlanks(b);
    return a == b;
}

// What a new row holds in a column the file does not have.
std::string defaultValue(MasterKind kind, const ColumnLayout &column, const ImportDefaults &defaults)
{
    if (kind == MasterKind::Recipients && column.name == "手数料区分")
        return defaults.recipientBears ? "1" : "0";
    if (kind == MasterKind::Recipients && column.name == "手数料金額")
        return std::to_string(defaults.threshold);
    if (kind == MasterKind::Consignors) {
        for (int i = 0; i < kFeeColumnCount; ++i) {
            if (column.name == kFeeColumns[i])
                return std::to_string(feeValue(kDefaultFeeTable, i));
        }
    }
    if (column.kind == Kind::NumberCode)
        return rules::paddedCode("0", column.digits);
    return isInteger(column.kind) ? "0" : std::string();
}

void bindValue(sql::Statement &st, int index, const std::string &value, const ColumnLayout &column)
{
    if (isInteger(column.kind))
        st.bind(index, int64_t(std::stoll(value)));
    else if ((column.kind == Kind::KanjiName || column.kind == Kind::FileName) && value.empty())
        st.bindNull(index);
    else
        st.bind(index, value);
}

} // namespace pelanova::masters::columns
