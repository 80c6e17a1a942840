#include "cli_check.h"
#include "clicontext.h"

#include "core/zengincheck.h"

#include <iostream>

namespace pelanova::cli {

int checkCommand(Context &ctx, const Arguments &args)
{
    if (args.positional.size() != 1)
        throw UsageError("check: FILE is required");
    for (const auto &[name, value] : args.options) {
        if (name != "--date")
            throw UsageError("check: unknown option " + name);
    }
    zengin::CheckOptions options;
    if (args.flag("--date"))
        options.transferDate = parseDate(args.option("--date"));
    else
        options.today = today();
    const zengin::BankCodes codes = zengin::readBankCodes(ctx.dataModule().ADOConBank);
    options.bankCodes = &codes;

    const zengin::CheckResult result = zengin::checkTransferFile(args.positional[0], options);
    for (const zengin::Finding &finding : result.findings)
        std::cout << zengin::findingLine(finding) << '\n';
    return result.hasErrors() ? Refused : Ok;
}

} // namespace pelanova::cli
