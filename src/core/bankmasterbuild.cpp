// Building the bank master from the zengin-code package's data.
#include "core/bankmaster.h"
#include "core/replacefile.h"

#include "core/schema.h"
#include "core/sql.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace pelanova::bankmaster {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

constexpr const char *kDataFile = "lib/zengin-data.js";

struct Row
{
    std::string bank, bankName, bankKana, branch, branchName, branchKana;
};

bool isDigits(const std::string &text, size_t width)
{
    return text.size() == width && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

fs::path findDataFile(const std::string &dir)
{
    std::error_code ec;
    for (const fs::path &candidate : {fs::path(dir) / kDataFile, fs::path(dir) / "package" / kDataFile}) {
        if (fs::is_regular_file(candidate, ec))
            return candidate;
    }
    throw BuildError("銀行コードの一覧（zengin-code パッケージの " + std::string(kDataFile) + "）が見つかりません: " + dir);
}

[[noreturn]] void notTheData(const fs::path &file, const std::string &why)
{
    throw BuildError("zengin-code パッケージの銀行コードの一覧ではありません: " + file.string() + "\n" + why);
}

// The file is one CommonJS assignment, "module.exports = {...};", whose
// value is JSON.
json parseDataFile(const fs::path &file)
{
    std::ifstream in(file, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof())
        throw BuildError("読み込めません: " + file.string());
    const std::string prefix = "module.exports";
    size_t begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos || text.compare(begin, prefix.size(), prefix) != 0)
        notTheData(file, "module.exports = {...} の形をしていません。");
    begin = text.find_first_not_of(" \t\r\n", begin + prefix.size());
    if (begin == std::string::npos || text[begin] != '=')
        notTheData(file, "module.exports = {...} の形をしていません。");
    size_t end = text.find_last_not_of(" \t\r\n");
    if (text[end] == ';')
        --end;
    try {
        return json::parse(text.begin() + static_cast<std::ptrdiff_t>(begin + 1),
                           text.begin() + static_cast<std::ptrdiff_t>(end + 1));
    } catch (const json::exception &e) {
        notTheData(file, e.what());
    }
}

const std::string &textMember(const json &object, const char *name, const fs::path &file, const std::string &where)
{
    const auto it = object.find(name);
    if (it == object.end() || !it->is_string())
        notTheData(file, where + " に " + name + " の文字列がありません。");
    return it->get_ref<const std::string &>();
}

std::vector<Row> readRows(const json &data, const fs::path &file, BuildCounts &counts)
{
    if (!data.is_object() || data.empty())
        notTheData(file, "銀行がありません。");
    std::vector<Row> rows;
    for (const auto &[code, bank] : data.items()) {
        const std::string where = "銀行 " + code;
        if (!isDigits(code, 4) || !bank.is_object())
            notTheData(file, where + " は4桁の銀行コードとその内容ではありません。");
        if (textMember(bank, "code", file, where) != code)
            notTheData(file, where + " の code が一致しません。");
        const std::string &name = textMember(bank, "name", file, where);
        const std::string &kana = textMember(bank, "kana", file, where);
        const auto branches = bank.find("branches");
        if (branches == bank.end() || !branches->is_object())
            notTheData(file, where + " に branches がありません。");
        ++counts.banks;
        for (const auto &[branchCode, branch] : branches->items()) {
            const std::string at = where + " 支店 " + branchCode;
            if (!isDigits(branchCode, 3) || !branch.is_object())
                notTheData(file, at + " は3桁の支店コードとその内容ではありません。");
            if (textMember(branch, "code", file, at) != branchCode)
                notTheData(file, at + " の code が一致しません。");
            rows.push_back({code, name, kana, branchCode, textMember(branch, "name", file, at),
                            textMember(branch, "kana", file, at)});
            ++counts.branches;
        }
    }
    if (rows.empty())
        notTheData(file, "支店がありません。");
    std::sort(rows.begin(), rows.end(), [](const Row &a, const Row &b) {
        return a.bank != b.bank ? a.bank < b.bank : a.branch < b.branch;
    });
    return rows;
}

} // namespace

BuildCounts build(const std::string &dir, const std::string &out)
{
    const fs::path file = findDataFile(dir);
    BuildCounts counts;
    const std::vector<Row> rows = readRows(parseDataFile(file), file, counts);

    const fs::path target(out);
    std::error_code ec;
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    if (!fs::is_directory(folder, ec))
        throw BuildError("出力先のフォルダがありません: " + folder.string());
    if (fs::is_directory(target, ec))
        throw BuildError("出力先はフォルダです: " + target.string());

    try {
        ReplacementFile temporary(target.string());
        sql::Database db;
        db.open(temporary.temporaryPath(), sql::Database::Mode::Create);
        sql::Transaction tx(db);
        schema::createBankMaster(db);
        sql::Statement insert = db.prepare(
            "INSERT INTO T_銀行マスタ (銀行番号, 銀行名, 支店番号, 支店名, 銀行名カナ, 支店名カナ)\n"
            "VALUES (:銀行番号, :銀行名, :支店番号, :支店名, :銀行名カナ, :支店名カナ)");
        for (const Row &row : rows) {
            insert.reset();
            insert.bind(":銀行番号", row.bank).bind(":銀行名", row.bankName).bind(":銀行名カナ", row.bankKana);
            insert.bind(":支店番号", row.branch).bind(":支店名", row.branchName).bind(":支店名カナ", row.branchKana);
            insert.run();
        }
        tx.commit();
        db.close();
        temporary.commit();
    } catch (const FileWriteError &e) {
        throw BuildError(std::string("作成できません: ") + e.what());
    }
    return counts;
}

} // namespace pelanova::bankmaster
