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

    // The settings' form; --line-break overrides its line break for this run.
    output::TransferFileForm form = output::readTransferFileForm(IniFile(ctx.iniPath));
    for (const std::string &unknown : unknownChoices(IniFile(ctx.iniPath)))
        std::cerr << unknown << '\n';
    const std::string lineBreak = args.option("--line-break", "settings");
    if (lineBreak == "crlf")
        form.lineBreak = "\r\n";
    else if (lineBreak == "none")
        form.lineBreak.clear();
    else if (lineBreak != "settings")
        throw UsageError("write-file: --line-break takes crlf or none");
    const output::BankFile bankFile =
        output::prepareBankFile(ctx.ownDatabase(), ctx.dataModule().ADOConBank, consignor, date,
                                output::BuildFurikomiSql(date, consignor, -1), form);
    // The file goes to the bank: what the bank would refuse is not written;
    // what it may change is said, and the file is written.
    for (const zengin::Finding &finding : bankFile.check().findings)
        std::cerr << zengin::findingLine(finding) << '\n';
    if (bankFile.state() != output::BankFile::State::Ready) {
        std::cerr << displayText(bankFile.built().ok ? output::kCheckRefusal : bankFile.refusal()) << '\n';
        return Refused;
    }
    std::error_code ec;
    if (std::filesystem::exists(file, ec) && !args.flag("--force")) {
        std::cerr << "すでにファイルが存在しています。\n";
        return Refused;
    }
    for (const std::vector<std::string> *notes : {&bankFile.built().conversions, &bankFile.built().leftOut}) {
        for (const std::string &note : *notes)
            std::cout << note << '\n';
    }
    const std::string error = output::writeBankFile(bankFile, file);
    if (!error.empty()) {
        std::cerr << error << '\n';
        return Refused;
    }
    std::cout << "振込データの作成が完了しました。\n";
    return Ok;
}

} // namespace pelanova::cli
