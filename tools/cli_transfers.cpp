#include "cli_transfers.h"
#include "clicontext.h"

#include "core/userinterface.h"
#include "output/furikomi.h"
#include "output/transferfile.h"

#include <filesystem>
#include <iostream>

namespace pelanova::cli {

int linesCommand(Context &ctx, const Arguments &args)
{
    if (!args.positional.empty())
        throw UsageError("lines: wrong number of arguments");
    const int date = parseDate(args.option("--date"));
    const std::string consignor = args.option("--consignor");
    const int facility = parseInteger(args.option("--facility", "-1"), "--facility");

    const output::FurikomiList list = output::LoadFurikomiList(ctx.ownDatabase(), date, consignor, facility);
    for (const output::TFurikomiLine &line : list.lines) {
        std::cout << line.code << '\t' << line.bankName << '\t' << line.branchName << '\t' << line.depositType
                  << '\t' << line.payee << '\t' << line.amount << '\t' << line.ownFee << '\t' << line.recipientFee
                  << '\n';
    }
    std::cout << "TOTAL\t" << list.count << '\t' << output::formatAmount(list.sum) << '\n';
    return Ok;
}

int writeFileCommand(Context &ctx, const Arguments &args)
{
    if (args.positional.size() != 1)
        throw UsageError("write-file: FILE is required");
    const int date = parseDate(args.option("--date"));
    const std::string consignor = args.option("--consignor");
    const std::string &file = args.positional[0];

    std::error_code ec;
    if (std::filesystem::exists(file, ec) && !args.flag("--force")) {
        std::cerr << "すでにファイルが存在しています。\n";
        return Refused;
    }
    // The settings' form; --line-break overrides its line break for this run.
    output::TransferFileForm form = output::readTransferFileForm(IniFile(ctx.iniPath));
    const std::string lineBreak = args.option("--line-break", "settings");
    if (lineBreak == "crlf")
        form.lineBreak = "\r\n";
    else if (lineBreak == "none")
        form.lineBreak.clear();
    else if (lineBreak != "settings")
        throw UsageError("write-file: --line-break takes crlf or none");
    const std::string statement = output::BuildFurikomiSql(date, consignor, -1);
    std::string content;
    const output::TransferFileResult result =
        output::buildTransferFile(ctx.ownDatabase(), consignor, date, statement, content, form);
    if (!result.ok) {
        std::cerr << displayText(result.message) << '\n';
        return Refused;
    }
    // The file goes to the bank: what the bank would refuse is not written;
    // what it may change is said, and the file is written.
    const zengin::CheckResult check = output::checkBeforeWriting(content, date, ctx.dataModule().ADOConBank);
    for (const zengin::Finding &finding : check.findings)
        std::cerr << zengin::findingLine(finding) << '\n';
    if (check.hasErrors()) {
        std::cerr << output::kCheckRefusal << '\n';
        return Refused;
    }
    const std::string error = output::replaceFileAtomically(file, content);
    if (!error.empty()) {
        std::cerr << error << '\n';
        return Refused;
    }
    std::cout << "振込データの作成が完了しました。\n";
    return Ok;
}

} // namespace pelanova::cli
