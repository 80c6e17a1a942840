// What the check's findings mean for an import, and how they are written
// for the clerk and for the command line.
#include "core/format.h"
#include "core/zengincheck.h"

#include <algorithm>

namespace pelanova::zengin {

std::string_view severityName(Severity severity)
{
    return severity == Severity::Error ? "error" : "warning";
}

bool refusesImport(const Finding &finding)
{
    switch (finding.problem) {
    case Problem::FileSize:
    case Problem::BrokenForm:
    case Problem::RecordKind:
    case Problem::RecordOrder:
    case Problem::MissingRecords:
    case Problem::FileKind:
    case Problem::CodeDivision:
    case Problem::NotNumeric:
    case Problem::Account:
    case Problem::DepositType:
    case Problem::MonthDay:
    case Problem::RequestDate:
    case Problem::NameCharacter:
    case Problem::SoundMark:
    case Problem::SignedAmount:
    case Problem::TrailerCount:
    case Problem::TrailerTotal:
        return true;
    case Problem::LoneLineBreak:
    case Problem::NoRecords: // an empty file stores nothing
    case Problem::NoDataRecords:
    case Problem::LeadingBlanks:
    case Problem::TransferDate:
    case Problem::Holiday:
    case Problem::UnknownBank:
    case Problem::UnknownBranch:
    case Problem::NameConverted:
    case Problem::NameSymbol:
    case Problem::ClearingHouse:
    case Problem::Designation:
    case Problem::ZeroAmount:
        return false;
    }
    return true;
}

std::vector<Finding> importRefusals(const CheckResult &result)
{
    std::vector<Finding> out;
    for (const Finding &f : result.findings) {
        if (refusesImport(f))
            out.push_back(f);
    }
    return out;
}

std::vector<Finding> importNotices(const CheckResult &result)
{
    std::vector<Finding> out;
    for (const Finding &f : result.findings) {
        if (!refusesImport(f))
            out.push_back(f);
    }
    return out;
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

std::string findingList(const std::vector<Finding> &findings, size_t total, size_t limit)
{
    total = std::max(total, findings.size());
    std::string text;
    const size_t listed = std::min(findings.size(), limit);
    for (size_t i = 0; i < listed; ++i) {
        const Finding &f = findings[i];
        text += "\n\r";
        text += f.severity == Severity::Error ? "［エラー］" : "［警告］";
        if (f.record > 0) {
            text += "レコード" + std::to_string(f.record);
            text += f.column.empty() ? "：" : " " + f.column + "：";
        }
        text += f.message;
    }
    if (total > listed)
        text += "\n\rほか " + formatGrouped(static_cast<int64_t>(total - listed)) + "件";
    return text;
}

} // namespace pelanova::zengin
