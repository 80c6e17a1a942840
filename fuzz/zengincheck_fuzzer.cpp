// Any byte string through the Zengin check, once for the next day of the
// header's date and once for a given transfer date with bank codes: the error
// and warning counts are those of the findings, the findings come in the
// file's order, and each makes one line of the TSV.
#include "fuzzsupport.h"

#include "core/zengincheck.h"

#include <algorithm>

using namespace pelanova;
using namespace pelanova::zengin;

namespace {

void requireSound(const CheckResult &result)
{
    size_t errors = 0;
    size_t warnings = 0;
    int64_t lastRecord = 0;
    for (const Finding &finding : result.findings) {
        (finding.severity == Severity::Error ? errors : warnings) += 1;
        FUZZ_REQUIRE(finding.record >= 0 && finding.record <= result.records + 1);
        if (finding.record > 0) {
            FUZZ_REQUIRE(finding.record >= lastRecord);
            lastRecord = finding.record;
        }
        FUZZ_REQUIRE(!finding.message.empty() && fuzz::isUtf8(finding.message));
        const std::string line = findingLine(finding);
        FUZZ_REQUIRE(line.find_first_of("\r\n") == std::string::npos);
        FUZZ_REQUIRE(std::count(line.begin(), line.end(), '\t') == 3);
    }
    FUZZ_REQUIRE(errors == result.errors);
    FUZZ_REQUIRE(warnings == result.warnings);
    FUZZ_REQUIRE(result.hasErrors() == (errors != 0));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view bytes = fuzz::bytesOf(data, size);
    static const BankCodes banks = [] {
        BankCodes codes;
        codes.add(1, 100);
        codes.add(5, 103);
        codes.add(9, 101);
        return codes;
    }();

    CheckOptions nextDay;
    nextDay.today = 20261201;
    requireSound(checkTransferBytes(bytes, nextDay));

    CheckOptions dated;
    dated.transferDate = 20261210; // the sample files' date
    dated.bankCodes = &banks;
    requireSound(checkTransferBytes(bytes, dated));
    return 0;
}
