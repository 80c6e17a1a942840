#include "demo.h"

#include "core/cp932.h"
#include "core/datamodule.h"
#include "core/records.h"
#include "core/sql.h"
#include "core/userinterface.h"
#include "import/importengine.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <variant>

#include <stdlib.h>

namespace pelanova::demo {
namespace {

// A field's value: a number (zero-padded) or text (left-aligned in blanks).
using Value = std::variant<int64_t, std::string>;

// One 120-byte record of a kind, field by field from its layout. Text and
// lenient fields not given stay blank; every strict number must be given.
std::string record(int kind, const std::map<std::string, Value> &values)
{
    std::string r(zengin::kRecordSize, ' ');
    for (const zengin::Field &f : zengin::layout(kind)) {
        const auto it = values.find(f.column);
        if (it == values.end()) {
            if (f.kind == zengin::FieldKind::Number || f.kind == zengin::FieldKind::Number64)
                throw std::logic_error(std::string("no value for ") + f.column);
            continue;
        }
        const auto width = static_cast<size_t>(f.width);
        std::string bytes;
        if (const auto *number = std::get_if<int64_t>(&it->second)) {
            bytes = zengin::numberField(*number, f.width);
        } else {
            const auto encoded = cp932::encode(std::get<std::string>(it->second));
            if (!encoded || encoded->size() > width)
                throw std::logic_error(std::string("does not fit ") + f.column);
            bytes = *encoded + std::string(width - encoded->size(), ' ');
        }
        r.replace(static_cast<size_t>(f.pos - 1), width, bytes);
    }
    return r;
}

struct Consignor
{
    const char *code;
    const char *name;
    int bank;
    const char *bankName;
    int branch;
    const char *branchName;
    int accountType;
    const char *account;
};

const Consignor kConsignors[] = {
    {"1234567890", "ｶ)ﾍﾟﾗﾉﾊﾞｻﾝｷﾞﾖｳ", 1, "ﾐｽﾞﾎ", 100, "ﾎﾝﾃﾝ", 1, "1234567"},
    {"2345678901", "ｶ)ﾍﾟﾗﾉﾊﾞｼﾖｳｼﾞ", 9, "ﾐﾂｲｽﾐﾄﾓ", 101, "ｵｵｻｶﾎﾝﾃﾝ", 2, "7654321"},
};

// Facility code → consignor: the head office and the factory pay from one
// account, the branch office from its own.
const Consignor &consignorOf(int facility)
{
    return kConsignors[facility == 3 ? 1 : 0];
}

struct Branch
{
    int bank;
    const char *bankName;
    int branch;
    const char *branchName;
};

// Half-width katakana as transfer files carry them.
const Branch kBranches[] = {
    {1, "ﾐｽﾞﾎ", 100, "ﾎﾝﾃﾝ"},
    {1, "ﾐｽﾞﾎ", 107, "ｳｴﾉ"},
    {5, "ﾐﾂﾋﾞｼﾕ-ｴﾌｼﾞｴｲ", 103, "ﾁﾖﾀﾞ"},
    {9, "ﾐﾂｲｽﾐﾄﾓ", 101, "ｵｵｻｶﾎﾝﾃﾝ"},
    {9, "ﾐﾂｲｽﾐﾄﾓ", 107, "ﾂﾙﾊｼ"},
    {10, "ﾘｿﾅ", 104, "ﾄﾞｳｼﾞﾏ"},
    {17, "ｻｲﾀﾏﾘｿﾅ", 258, "ｷﾀｳﾗﾜ"},
    {125, "ｼﾁｼﾞﾕｳｼﾁ", 200, "ﾐﾅﾐﾏﾁﾄﾞｵﾘ"},
    {138, "ﾖｺﾊﾏ", 310, "ｶﾝﾅｲ"},
    {1170, "ﾓﾘﾉﾐﾔｺｼﾝｷﾝ", 22, "ｼｵｶﾞﾏ"},
    {1933, "ｷﾕｳｼﾕｳﾋｾﾞﾝｼﾝｷﾝ", 44, "ｲｻﾊﾔ"},
};

const char *const kPayees[] = {
    "ｶ)ｱｵﾊﾞｼﾖｳｼﾞ",   "ﾕ)ｲｻﾊﾔｺｳｷﾞﾖｳ", "ｶ)ｳｴﾉｼﾖｳｶｲ",   "ｴﾝﾄﾞｳ ﾀﾛｳ",     "ｶ)ｵｵｻｶﾌﾞﾂﾘﾕｳ",
    "ｶ)ｶﾝﾅｲﾃﾞﾝｷ",    "ｷﾀﾑﾗ ﾊﾅｺ",      "ｶ)ｸﾜﾊﾞﾗｾｲｻｸｼﾖ", "ｹﾔｷｹﾝｾﾂ(ｶ",     "ｶ)ｺﾊﾞﾔｼﾔﾂｷﾖｸ",
    "ｻｲﾄｳ ｼﾞﾛｳ",     "ｶ)ｼｵｶﾞﾏｽｲｻﾝ",   "ｽｽﾞｷ ｲﾁﾛｳ",     "ｶ)ｾﾝﾀﾞｲﾘﾖｳﾋﾝ",  "ｿﾉﾀﾞ ﾐﾕｷ",
    "ｶ)ﾀｶﾀﾞﾔ",       "ﾁﾖﾀﾞｼﾖｳｺｳ(ｶ",   "ｶ)ﾂﾙﾊｼｼﾖｸﾋﾝ",   "ﾃﾗﾀﾞ ｹﾝｼﾞ",     "ｶ)ﾄﾞｳｼﾞﾏｷｶｸ",
    "ﾅｶﾑﾗ ﾖｳｺ",      "ｶ)ﾆｼｷｳﾝﾕ",      "ﾇﾏﾀ ｻﾄｼ",       "ｶ)ﾈｺﾔﾅｷﾞｼﾖｳﾃﾝ", "ﾉｸﾞﾁｾｷﾕ(ｶ",
    "ｶ)ﾊﾏﾅｽｻﾝｷﾞﾖｳ",  "ﾋﾗﾀ ﾏｻﾙ",       "ｶ)ﾌｼﾞﾐｺｳｷﾞﾖｳ",
};
constexpr int kPayeeCount = static_cast<int>(std::size(kPayees));
// The first payees are the head office's and the factory's, the rest the branch office's.
constexpr int kFirstBranchOfficePayee = 18;

struct Payee
{
    const Branch &branch;
    int accountType;
    std::string account;
    const char *name;
};

Payee payee(int index)
{
    char account[12];
    std::snprintf(account, sizeof account, "%07d", 1000003 + index * 376541 % 8999993);
    // Mostly ordinary accounts, a few current ones.
    return {kBranches[(index * 7) % std::size(kBranches)], index % 9 == 4 ? 2 : 1, account, kPayees[index]};
}

class Random
{
public:
    explicit Random(uint32_t seed) : m_state(seed) {}
    int below(int n)
    {
        m_state = m_state * 1664525u + 1013904223u;
        return static_cast<int>((m_state >> 8) % static_cast<uint32_t>(n));
    }

private:
    uint32_t m_state;
};

TransferFile makeFile(int facility, int requestDate)
{
    const Facility &f = facilities()[static_cast<size_t>(facility - 1)];
    const Consignor &c = consignorOf(facility);
    Random random(static_cast<uint32_t>(requestDate * 7 + facility));
    std::string bytes = record(zengin::Header, {
        {"データ区分", int64_t(1)}, {"種別コード", int64_t(21)}, {"コード区分", int64_t(0)},
        {"委託者コード", std::string(c.code)}, {"委託者名", std::string(c.name)},
        {"引落日", int64_t(requestDate % 10000)},
        {"取引銀行コード", int64_t(c.bank)}, {"取引銀行名", std::string(c.bankName)},
        {"取引支店コード", int64_t(c.branch)}, {"取引支店名", std::string(c.branchName)},
        {"預金種目", int64_t(c.accountType)}, {"口座番号", std::string(c.account)},
    });
    const bool branchOffice = facility == 3;
    const int first = branchOffice ? kFirstBranchOfficePayee : 0;
    const int pool = branchOffice ? kPayeeCount - kFirstBranchOfficePayee : kFirstBranchOfficePayee;
    const int count = (branchOffice ? 12 : 20) + random.below(branchOffice ? 9 : 17);
    int64_t total = 0;
    for (int i = 0; i < count; ++i) {
        const Payee p = payee(first + random.below(pool));
        // Amounts in each of the fee table's three bands.
        const int band = random.below(10);
        const int64_t amount = band < 3 ? 1000 + 100 * random.below(90)
                             : band < 6 ? 10000 + 100 * random.below(200)
                                        : 30000 + 1000 * random.below(450);
        total += amount;
        bytes += record(zengin::Data, {
            {"データ区分", int64_t(2)},
            {"引落銀行番号", int64_t(p.branch.bank)}, {"引落銀行名", std::string(p.branch.bankName)},
            {"引落支店番号", int64_t(p.branch.branch)}, {"引落支店名", std::string(p.branch.branchName)},
            {"預金項目", int64_t(p.accountType)}, {"口座番号", p.account}, {"預金者名", std::string(p.name)},
            {"引落金額", amount}, {"新規コード", int64_t(0)},
        });
    }
    bytes += record(zengin::Trailer, {{"データ区分", int64_t(8)}, {"合計件数", int64_t(count)}, {"合計金額", total}});
    bytes += record(zengin::End, {{"データ区分", int64_t(9)}});
    char name[64];
    std::snprintf(name, sizeof name, "%s_%04d.txt", f.filePrefix, requestDate % 10000);
    return {name, facility, requestDate, bytes};
}

class CollectingBoxes : public MessageBoxes
{
public:
    int messageBox(const std::string &text, const std::string &, MessageIcon, MessageButtons, int) override
    {
        last = text;
        return IdOk;
    }
    std::string last;
};

} // namespace

const std::vector<Facility> &facilities()
{
    static const std::vector<Facility> list = {
        {1, "本社", "HONSHA"},
        {2, "北工場", "KITA"},
        {3, "大阪営業所", "OSAKA"},
    };
    return list;
}

std::vector<TransferFile> monthFiles()
{
    std::vector<TransferFile> files;
    for (const int date : {20261110, 20261120, 20261125, 20261130})
        for (const Facility &f : facilities())
            files.push_back(makeFile(f.code, date));
    return files;
}

std::vector<TransferFile> sampleFiles()
{
    std::vector<TransferFile> files;
    for (const Facility &f : facilities())
        files.push_back(makeFile(f.code, 20261210));
    return files;
}

Summary fillDemoDatabase(TDM1 &dm)
{
    sql::Database &db = dm.ADOConFurikomi;
    if (!db.isOpen())
        throw std::runtime_error("データベースが開いていません: " + dm.ownDatabasePath());
    sql::Statement facility = db.prepare("INSERT INTO M_施設 (施設コード, 施設名, 総合振込データファイル名)\n"
                                         "VALUES (:施設コード, :施設名, :総合振込データファイル名)");
    for (const Facility &f : facilities()) {
        facility.reset();
        facility.bind(":施設コード", f.code).bind(":施設名", f.name).bind(":総合振込データファイル名", f.filePrefix);
        facility.run();
    }

    // The engine reads files: they go through a folder of their own.
    std::string pattern = (std::filesystem::temp_directory_path() / "pelanova-demo-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("一時フォルダを作成できません");
    const std::filesystem::path folder(pattern);
    struct Remove
    {
        std::filesystem::path path;
        ~Remove()
        {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        }
    } remove{folder};

    CollectingBoxes boxes;
    SilentProgress progress;
    ImportEngine engine(db, &dm.ADOConBank, boxes, progress);
    Summary summary;
    for (const TransferFile &file : monthFiles()) {
        const auto path = folder / file.name;
        std::ofstream(path, std::ios::binary).write(file.bytes.data(), static_cast<std::streamsize>(file.bytes.size()));
        if (engine.ImportTransferFile(path.string(), file.facility, file.requestDate, file.requestDate - 2)
            != ImportEngine::Outcome::Stored)
            throw std::runtime_error(file.name + ": " + boxes.last);
        ++summary.imports;
        summary.transfers += static_cast<int>(file.bytes.size() / zengin::kRecordSize) - 3;
    }

    // Fee categories of both kinds: some recipients bear the fee from 30,000
    // yen on, some always, the others never.
    sql::Statement category = db.prepare("UPDATE M_受取人 SET 手数料区分 = 1, 手数料金額 = :手数料金額\n"
                                         "WHERE 口座番号 = :口座番号");
    for (int i = 0; i < kPayeeCount; ++i) {
        if (i % 3 == 2)
            continue;
        category.reset();
        category.bind(":手数料金額", i % 3 == 0 ? 30000 : 0).bind(":口座番号", payee(i).account);
        category.run();
    }
    return summary;
}

} // namespace pelanova::demo
