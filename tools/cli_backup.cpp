#include "cli_backup.h"
#include "clicontext.h"

#include "core/backup.h"
#include "core/databasecopy.h"
#include "core/sql.h"

#include <filesystem>
#include <iostream>

namespace pelanova::cli {
namespace {

bool sameFile(const std::string &a, const std::string &b)
{
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec);
}

} // namespace

int backupCommand(Context &ctx, const Arguments &args)
{
    if (args.positional.size() != 1)
        throw UsageError("backup: OUT");
    const std::string &out = args.positional[0];
    if (sameFile(out, ctx.dbPath)) {
        std::cerr << out << ": 使用中のデータベースそのものには書き込めません。\n";
        return Refused;
    }
    copyDatabase(ctx.ownDatabase(), out);
    std::cout << "バックアップを作成しました: " << out << '\n';
    return Ok;
}

int restoreCommand(Context &ctx, const Arguments &args)
{
    if (args.positional.size() != 1)
        throw UsageError("restore: IN");
    const std::string &in = args.positional[0];
    if (sameFile(in, ctx.dbPath)) {
        std::cerr << in << ": 使用中のデータベースそのものです。\n";
        return Refused;
    }
    if (const std::string refusal = restoreRefusal(in, ctx.dbPath); !refusal.empty()) {
        std::cerr << refusal << "\n復元していません。\n";
        return Refused;
    }
    std::error_code ec;
    if (sql::Database::isServerLocation(ctx.dbPath) || std::filesystem::exists(ctx.dbPath, ec)) {
        std::string saved;
        try {
            sql::Database current;
            current.open(ctx.dbPath, sql::Database::Mode::ReadOnly);
            saved = ctx.dataModule().backups().write(current);
        } catch (const std::exception &error) {
            std::cerr << "現在のデータベースのバックアップを作成できないため、復元を中止しました。\n"
                      << error.what() << '\n';
            return Refused;
        }
        std::cout << "現在のデータベースをバックアップしました: " << saved << '\n';
    }
    restoreDatabase(in, ctx.dbPath);
    std::cout << "復元しました: " << ctx.dbPath << '\n';
    return Ok;
}



int copyDbCommand(Context &, const Arguments &args)
{
    if (args.positional.size() != 2)
        throw UsageError("copy-db: FROM TO");
    const std::string &from = args.positional[0];
    const std::string &to = args.positional[1];
    if (from == to || sameFile(from, to)) {
        std::cerr << to << ": コピー元と同じデータベースです。\n";
        return Refused;
    }
    sql::Database source;
    source.open(from, sql::Database::Mode::ReadOnly);

    // A new file is made for the copy and removed again should it fail.
    const bool server = sql::Database::isServerLocation(to);
    std::error_code ec;
    const bool madeHere = !server && !std::filesystem::exists(to, ec);
    std::vector<CopiedTable> copied;
    try {
        sql::Database target;
        target.open(to, madeHere ? sql::Database::Mode::Create : sql::Database::Mode::ReadWrite);
        copied = copyOwnDatabase(source, target);
    } catch (...) {
        if (madeHere)
            std::filesystem::remove(to, ec);
        throw;
    }
    for (const CopiedTable &table : copied)
        std::cout << table.table << '\t' << table.rows << '\n';
    std::cout << "コピーしました: " << from << " → " << to << '\n';
    return Ok;
}

} // namespace pelanova::cli