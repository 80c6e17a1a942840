#include "cli.h"
#include "cliarguments.h"
#include "cli_backup.h"
#include "cli_check.h"
#include "cli_masters.h"
#include "cli_transfers.h"
#include "clicontext.h"

#include "core/datalocation.h"
#include "core/bankmaster.h"
#include "core/format.h"
#include "core/my_year.h"
#include "core/replacefile.h"
#include "core/schema.h"
#include "core/sql.h"
#include "core/unitapp.h"
#include "demo.h"
#include "import/importengine.h"
#include "masters/masterdata.h"
#include "output/transferfile.h"

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <iostream>

#include <unistd.h>

namespace pelanova::cli {
namespace {

constexpr const char *kUsage =
    "usage: pelanova-cli [--db PATH] [--ini PATH] COMMAND ...\n"
    "\n"
    "  --db PATH    the own database (default: the program's, data/FBDB.db beside it in a\n"
    "               portable copy, else ~/.local/share/pelanova/data/FBDB.db)\n"
    "  --ini PATH   the settings file (default: the program's, pelanova.ini beside it in a\n"
    "               portable copy, else ~/.config/pelanova/pelanova.ini)\n"
    "\n"
    "commands:\n"
    "  init-db                                   create an empty own database\n"
    "  facility-add CODE NAME [FILE_PREFIX]      register a facility\n"
    "  import --facility CODE --date YYYYMMDD FILE\n"
    "                                            import a transfer file\n"
    "  imports --facility CODE                   list a facility's imports (TSV)\n"
    "  delete --facility CODE --date YYYYMMDD    delete one import\n"
    "  lines --date YYYYMMDD --consignor CODE [--facility KEY]\n"
    "                                            list the aggregated transfers (TSV)\n"
    "  write-file --date YYYYMMDD --consignor CODE [--force] [--again] [--line-break crlf|none] FILE\n"
    "                                            write the merged transfer file after the Zengin check\n"
    "                                            (warnings on stderr; errors write nothing) and record it;\n"
    "                                            a day made before needs --again\n"
    "  history [--consignor CODE] [--date YYYYMMDD]\n"
    "                                            the bank files made, newest first (TSV: created, consignor,\n"
    "                                            date, records, total, sha256, user, path, state)\n"
    "  verify FILE                               which recorded bank file FILE is, and whether it is still\n"
    "                                            the day's newest and the data unchanged (exit 0 only then)\n"
    "  report request|fees --date YYYYMMDD --consignor CODE [--facility KEY] OUT.pdf\n"
    "                                            the transfer request form or the fee list as PDF\n"
    "  report recipients OUT.pdf                 the recipient list as PDF\n"
    "  export recipients|consignors|facilities|recipient-list OUT.csv|OUT.xlsx\n"
    "                                            write a master (or the recipient list) as CSV (CP932) or\n"
    "                                            as an Excel workbook\n"
    "  import-master recipients|consignors|facilities IN.csv [--dry-run]\n"
    "                                            read a master back from CSV (CP932 or UTF-8): rows matched\n"
    "                                            by their key are changed, new ones added, none deleted;\n"
    "                                            prints the counts and the rows it changes (--dry-run:\n"
    "                                            changes nothing); a bad line refuses the whole file\n"
    "  check FILE [--date YYYYMMDD]              the Zengin check of a transfer file, one finding a\n"
    "                                            line (TSV: record, column, error|warning, sentence);\n"
    "                                            without --date the header's day is the next such day\n"
    "  backup OUT                                write a copy of the own database now\n"
    "  restore IN                                replace the own database with a backup\n"
    "                                            (the current one is backed up first)\n"
    "  copy-db FROM TO                           copy every table of the own database FROM (a file or a\n"
    "                                            PostgreSQL database) into the empty database TO\n"
    "  bank-master build --from DIR OUT          build a bank master database from the public bank code\n"
    "                                            list (the npm package zengin-code unpacked in DIR)\n"
    "  sample-files DIR                          write the sample transfer files (samples/) into DIR\n"
    "  demo [--bank-master FILE]                 fill a new own database (--db) with the demo's facilities\n"
    "                                            and a month of imports; FILE is copied beside it first\n";

std::filesystem::path programDir()
{
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::current_path() : exe.parent_path();
}

void requireCount(const Arguments &args, size_t count)
{
    if (args.positional.size() != count)
        throw UsageError(args.command + ": wrong number of arguments");
}

int initDb(Context &ctx, const Arguments &args)
{
    requireCount(args, 0);
    sql::Database db;
    if (sql::Database::isServerLocation(ctx.dbPath)) {
        // The server's database is made by its administrator; the tables are ours.
        db.open(ctx.dbPath, sql::Database::Mode::ReadWrite);
        if (db.hasTable(schema::kHeader)) {
            std::cerr << "データベースにはすでに振込データのテーブルがあります: " << ctx.dbPath << '\n';
            return Refused;
        }
    } else {
        std::error_code ec;
        if (std::filesystem::exists(ctx.dbPath, ec) && std::filesystem::file_size(ctx.dbPath, ec) > 0) {
            std::cerr << "データベースはすでに存在します: " << ctx.dbPath << '\n';
            return Refused;
        }
        const auto dir = std::filesystem::path(ctx.dbPath).parent_path();
        if (!dir.empty())
            std::filesystem::create_directories(dir, ec);
        db.open(ctx.dbPath, sql::Database::Mode::Create);
    }
    schema::createOwnDatabase(db);
    std::cout << "データベースを作成しました: " << ctx.dbPath << '\n';
    return Ok;
}

int facilityAdd(Context &ctx, const Arguments &args)
{
    if (args.positional.size() < 2 || args.positional.size() > 3)
        throw UsageError("facility-add: CODE NAME [FILE_PREFIX]");
    const int code = parseInteger(args.positional[0], "CODE");
    sql::Database &db = ctx.ownDatabase();
    if (masters::facilityCodeInUse(db, code)) {
        std::cerr << "施設コード " << code << " はすでに登録されています。\n";
        return Refused;
    }
    masters::insertFacility(db, code, args.positional[1], args.positional.size() == 3 ? args.positional[2] : "");
    return Ok;
}

std::optional<int> facilityCode(const std::string &text)
{
    try {
        return parseInteger(text, "--facility");
    } catch (const UsageError &) {
        return std::nullopt; // the engine reports a facility without a numeric code
    }
}

int importFile(Context &ctx, const Arguments &args)
{
    requireCount(args, 1);
    const std::optional<int> facility = facilityCode(args.option("--facility"));
    const int date = parseDate(args.option("--date"));
    ImportEngine &engine = ctx.importEngine();
    if (facility && engine.IsAlreadyImported(*facility, date))
        return Refused;
    const auto outcome = engine.ImportTransferFile(args.positional[0], facility, date, today());
    return outcome == ImportEngine::Outcome::Stored ? Ok : Refused;
}

int listImports(Context &ctx, const Arguments &args)
{
    requireCount(args, 0);
    const int facility = parseInteger(args.option("--facility"), "--facility");
    for (const ImportHistoryRow &row : ctx.importEngine().ListImports(facility)) {
        std::cout << row.facilityName << '\t' << formatShortDate(row.trailerDate.value_or(0)) << '\t'
                  << (row.count ? std::to_string(*row.count) : std::string()) << '\t'
                  << (row.total ? formatGrouped(*row.total) : std::string()) << '\t'
                  << formatShortDate(row.updateDate.value_or(0)) << '\n';
    }
    return Ok;
}

int deleteImport(Context &ctx, const Arguments &args)
{
    requireCount(args, 0);
    const int facility = parseInteger(args.option("--facility"), "--facility");
    const int date = parseDate(args.option("--date"));
    return ctx.importEngine().DeleteImport(facility, date) ? Ok : Refused;
}

int bankMaster(Context &, const Arguments &args)
{
    if (args.positional.size() != 2 || args.positional[0] != "build")
        throw UsageError("bank-master build --from DIR OUT");
    const std::string &out = args.positional[1];
    try {
        const bankmaster::BuildCounts counts = bankmaster::build(args.option("--from"), out);
        std::cout << "銀行マスタを作成しました: " << out << "（銀行 " << formatGrouped(counts.banks) << " 件、支店 "
                  << formatGrouped(counts.branches) << " 件）\n";
        return Ok;
    } catch (const bankmaster::BuildError &e) {
        std::cerr << e.what() << '\n';
        return Refused;
    }
}

int sampleFiles(Context &, const Arguments &args)
{
    requireCount(args, 1);
    const std::filesystem::path dir(args.positional[0]);
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    for (const demo::TransferFile &file : demo::sampleFiles()) {
        replaceFile((dir / file.name).string(), file.bytes);
        std::cout << (dir / file.name).string() << '\n';
    }
    return Ok;
}

int demoDatabase(Context &ctx, const Arguments &args)
{
    requireCount(args, 0);
    std::error_code ec;
    if (std::filesystem::exists(ctx.dbPath, ec)) {
        std::cerr << "データベースはすでに存在します: " << ctx.dbPath << '\n';
        return Refused;
    }
    const auto dir = std::filesystem::path(ctx.dbPath).parent_path();
    if (!dir.empty())
        std::filesystem::create_directories(dir, ec);
    const std::string master = args.option("--bank-master", "");
    const bool withMaster = !master.empty() && std::filesystem::is_regular_file(master, ec);
    if (withMaster)
        std::filesystem::copy_file(master, TDM1::builtBankMasterPathFor(ctx.dbPath),
                                   std::filesystem::copy_options::overwrite_existing);
    {
        sql::Database db;
        db.open(ctx.dbPath, sql::Database::Mode::Create);
        schema::createOwnDatabase(db);
    }
    TDM1 &dm = ctx.dataModule();
    const demo::Summary summary = demo::fillDemoDatabase(dm);
    std::cout << "デモのデータを作成しました: " << ctx.dbPath << "（施設 " << demo::facilities().size() << "、取込 "
              << summary.imports << " 件、振込 " << summary.transfers << " 件、銀行マスタ"
              << (dm.ADOConBank.isOpen() ? "あり" : "なし") << "）\n";
    return Ok;
}

std::map<std::string, Command> commands(const Command &report)
{
    return {
        {"init-db", initDb},
        {"facility-add", facilityAdd},
        {"import", importFile},
        {"imports", listImports},
        {"delete", deleteImport},
        {"lines", linesCommand},
        {"write-file", writeFileCommand},
        {"history", historyCommand},
        {"verify", verifyCommand},
        {"report", report},
        {"check", checkCommand},
        {"backup", backupCommand},
        {"restore", restoreCommand},
        {"copy-db", copyDbCommand},
        {"bank-master", bankMaster},
        {"sample-files", sampleFiles},
        {"demo", demoDatabase},
        {"export", exportCommand},
        {"import-master", importMasterCommand},
    };
}

bool isFlag(const std::string &name)
{
    return name == "--force" || name == "--help" || name == "--again" || name == "--dry-run";
}

} // namespace

Command reportProgram(char **argv)
{
    return [argv](Context &ctx, const Arguments &) {
        // The data this program found, named to the other, which may live in
        // another folder; the command line follows as it was given.
        std::vector<const char *> words{argv[0], "--db", ctx.dbPath.c_str(), "--ini", ctx.iniPath.c_str()};
        for (char **word = argv + 1; *word; ++word)
            words.push_back(*word);
        words.push_back(nullptr);
        const std::filesystem::path dir = programDir();
        for (const std::filesystem::path &program :
             {dir / "pelanova-cli-report", dir.parent_path() / "libexec" / "pelanova" / "pelanova-cli-report"}) {
            if (::access(program.c_str(), X_OK) == 0) {
                std::cout.flush();
                ::execv(program.c_str(), const_cast<char *const *>(words.data()));
                break;
            }
        }
        std::cerr << "帳票を作成するプログラム pelanova-cli-report がありません: " << (dir / "pelanova-cli-report").string()
                  << '\n';
        return int(Refused);
    };
}

int run(int argc, char **argv, const Command &report)
{
    std::vector<std::string> words(argv + 1, argv + argc);
    std::string db;
    std::string ini;
    try {
        size_t i = 0;
        for (; i < words.size() && words[i].rfind("--", 0) == 0; ++i) {
            if (words[i] == "--help") {
                std::cout << kUsage;
                return Ok;
            }
            if (i + 1 >= words.size())
                throw UsageError(words[i] + " needs a value");
            if (words[i] == "--db")
                db = words[++i];
            else if (words[i] == "--ini")
                ini = words[++i];
            else
                throw UsageError("unknown option " + words[i]);
        }
        if (i >= words.size())
            throw UsageError("no command");
        if (db.empty() || ini.empty()) {
            // The program's own data, where the program itself finds it.
            const DataLocation location = locateData((programDir() / "pelanova").string(), processEnvironment());
            if (db.empty())
                db = location.ownDatabase;
            if (ini.empty())
                ini = location.settingsFile;
        }
        Arguments args;
        args.command = words[i++];
        for (; i < words.size(); ++i) {
            const std::string &w = words[i];
            if (w.rfind("--", 0) == 0 && w.size() > 2) {
                if (isFlag(w)) {
                    args.options[w] = "";
                } else {
                    if (i + 1 >= words.size())
                        throw UsageError(w + " needs a value");
                    args.options[w] = words[++i];
                }
            } else {
                args.positional.push_back(w);
            }
        }
        const auto table = commands(report);
        auto it = table.find(args.command);
        if (it == table.end())
            throw UsageError("unknown command " + args.command);
        Context ctx(db, ini);
        return it->second(ctx, args);
    } catch (const UsageError &e) {
        std::cerr << "pelanova-cli: " << e.what() << "\n\n" << kUsage;
        return Usage;
    } catch (const std::exception &e) {
        std::cerr << displayText(ErrorText(e)) << '\n';
        return Refused;
    }
}

} // namespace pelanova::cli
