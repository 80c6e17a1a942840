#include "cli_transfers.h"
#include "clicontext.h"

#include "core/format.h"
#include "core/sha256.h"
#include "core/userinterface.h"
#include "output/furikomi.h"
#include "output/filehistory.h"
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

    // Written once every line is read: a failure part way prints no line.
    std::string out;
    output::FurikomiList list;
    output::ReadFurikomiLines(ctx.readDatabase(), date, consignor, facility, list, [&out](const output::TFurikomiLine &line) {
        for (const std::string *field : {&line.code, &line.bankName, &line.branchName, &line.depositType, &line.payee,
                                         &line.amount, &line.ownFee}) {
            out += *field;
            out += '\t';
        }
        out += line.recipientFee;
        out += '\n';
    }, false);
    std::cout << out << "TOTAL\t" << list.count << '\t' << output::formatAmount(list.sum) << '\n';
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
    if (const std::optional<output::CreatedFile> made = output::lastCreatedFile(ctx.ownDatabase(), consignor, date);
        made && !args.flag("--again")) {
        std::cerr << output::createdAgainQuestion(*made) << "\n"
                  << "もう一度作成するには --again を付けてください。\n";
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
    const std::string error = output::writeBankFile(ctx.ownDatabase(), bankFile, file);
    if (!error.empty()) {
        std::cerr << error << '\n';
        return Refused;
    }
    std::cout << "振込データの作成が完了しました。\n";
    return Ok;
}

int historyCommand(Context &ctx, const Arguments &args)
{
    if (!args.positional.empty())
        throw UsageError("history: no FILE is taken");
    const std::string consignor = args.option("--consignor", "");
    const std::optional<int> date =
        args.flag("--date") ? std::optional<int>(parseDate(args.option("--date"))) : std::nullopt;
    const sql::Database &db = ctx.readDatabase();
    for (const output::CreatedFile &file : output::createdFiles(db, consignor, date)) {
        std::cout << file.created << '\t' << file.consignor << '\t' << file.date << '\t' << file.records << '\t'
                  << file.total << '\t' << file.sha256 << '\t' << file.user << '\t' << file.path << '\t'
                  << output::recordStateText(output::recordState(db, file)) << '\n';
    }
    return Ok;
}

int verifyCommand(Context &ctx, const Arguments &args)
{
    if (args.positional.size() != 1)
        throw UsageError("verify: FILE is required");
    const std::string &path = args.positional[0];
    const std::string sha = sha256OfFile(path);
    if (sha.empty())
        throw std::runtime_error(path + " を開けません。");
    const sql::Database &db = ctx.readDatabase();
    const std::vector<output::CreatedFile> made = output::createdFilesWithHash(db, sha);
    if (made.empty()) {
        std::cerr << "記録にないファイルです。\n";
        return Refused;
    }
    const output::CreatedFile &file = made.front();
    std::cout << file.created << " に作成された振込データです（委託者 " << file.consignor << "、振込依頼日 "
              << formatShortDate(file.date) << "、" << formatGrouped(file.records) << "件 " << formatGrouped(file.total)
              << "円、" << file.user << "）。\n";
    const std::optional<output::CreatedFile> newest = output::lastCreatedFile(db, file.consignor, file.date);
    if (newest && newest->id != file.id) {
        std::cerr << "より新しいファイルが作成されています。（" << output::createdMinute(*newest) << "）\n";
        return Refused;
    }
    if (output::currentLinesFingerprint(db, file.consignor, file.date) != file.fingerprint) {
        std::cerr << "作成後にデータが変わりました。\n";
        return Refused;
    }
    std::cout << "この日の最新の振込データで、データは作成時から変わっていません。\n";
    return Ok;
}

} // namespace pelanova::cli
