#include "cli_masters.h"
#include "clicontext.h"

#include "core/replacefile.h"
#include "masters/masterfiles.h"

#include <fstream>
#include <iostream>
#include <iterator>

namespace pelanova::cli {
namespace {

masters::MasterKind masterOf(const std::string &word, bool listToo)
{
    const std::optional<masters::MasterKind> kind = masters::masterKindNamed(word);
    if (!kind || (!listToo && *kind == masters::MasterKind::RecipientList))
        throw UsageError("unknown master " + word + (listToo ? " (recipients, consignors, facilities, recipient-list)"
                                                             : " (recipients, consignors, facilities)"));
    return *kind;
}

} // namespace

int exportCommand(Context &ctx, const Arguments &args)
{
    if (args.positional.size() != 2)
        throw UsageError("export: recipients|consignors|facilities|recipient-list OUT.csv|OUT.xlsx");
    const masters::MasterKind kind = masterOf(args.positional[0], true);
    try {
        masters::exportMaster(ctx.ownDatabase(), kind, args.positional[1]);
    } catch (const masters::MasterFileError &error) {
        std::cerr << displayText(error.what()) << '\n';
        return Refused;
    } catch (const FileWriteError &error) {
        std::cerr << displayText(error.what()) << '\n';
        return Refused;
    }
    return Ok;
}

int importMasterCommand(Context &ctx, const Arguments &args)
{
    if (args.positional.size() != 2)
        throw UsageError("import-master: recipients|consignors|facilities IN.csv [--dry-run]");
    const masters::MasterKind kind = masterOf(args.positional[0], false);
    const std::string &path = args.positional[1];
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::cerr << "ファイルを開けませんでした。\n" << path << '\n';
        return Refused;
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    TDM1 &dm = ctx.dataModule();
    sql::Database &db = ctx.ownDatabase();
    try {
        const masters::ImportDefaults defaults{dm.ReadTesuuryouKubun(), dm.ReadTesuuryouKingaku()};
        const masters::ImportPlan plan = masters::planImport(db, kind, std::move(bytes), defaults);
        std::cout << plan.countsText() << '\n';
        for (const std::string &line : plan.changeLines())
            std::cout << line << '\n';
        if (args.flag("--dry-run")) {
            std::cout << "（--dry-run のため変更していません）\n";
            return Ok;
        }
        masters::applyImport(db, plan, [&] { dm.BackupNow(); }, &ctx.linesWatcher());
    } catch (const masters::MasterFileError &error) {
        std::cerr << displayText(error.what()) << '\n';
        return Refused;
    }
    return Ok;
}

} // namespace pelanova::cli
