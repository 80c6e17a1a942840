// Times the merged aggregation with pricing (LoadFurikomiList, all facilities)
// and the merged transfer file (built, checked and written) against the bare
// aggregation statement, for 100,000 and 200,000 transfers of one consignor and
// date over 20 facilities and 5,000 accounts.

#include "core/schema.h"
#include "core/sql.h"
#include "core/tesuuryou.h"
#include "output/furikomi.h"
#include "output/transferfile.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

using namespace pelanova;
namespace fs = std::filesystem;

namespace {

constexpr int kDate = 20080115;
const std::string kCode = "0000012345";
constexpr int kFacilities = 20;
constexpr int kAccounts = 5000;

struct Lcg
{
    uint64_t state;
    uint32_t next()
    {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<uint32_t>(state >> 33);
    }
};

std::string account(int i)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%07d", 1000000 + i);
    return buf;
}

void fill(sql::Database &db, int transfers)
{
    schema::createOwnDatabase(db);
    sql::Transaction tx(db);
    db.exec("INSERT INTO M_銀行 (委託者コード, 委託者名, 銀行番号, 銀行名, 支店番号, 支店名, 預金種目, 口座番号, "
            + feeColumnList() + ") VALUES ('0000012345', 'ｶ)ﾃｽﾄ', 1, 'ﾎﾝｷﾞﾝｺｳ', 1, 'ﾎﾝﾃﾝ', 1, '7654321', "
            + feeValueList(kDefaultFeeTable) + ")");
    auto r = db.prepare("INSERT INTO M_受取人 (委託者コード, 銀行番号, 銀行名, 支店番号, 支店名, 預金種別, 受取人名, "
                        "口座番号, 手数料区分, 手数料金額, 銀行名漢字, 支店名漢字) "
                        "VALUES (?, ?, 'ｷﾞﾝｺｳ', ?, 'ｼﾃﾝ', 1, 'ﾅﾏｴ', ?, ?, 30000, '銀行', '支店')");
    for (int a = 0; a < kAccounts; ++a) {
        r.reset();
        r.bind(1, kCode).bind(2, int64_t(1 + a % 7)).bind(3, int64_t(1 + a % 11)).bind(4, account(a));
        r.bind(5, int64_t(a % 3 == 0 ? 1 : 0));
        r.run();
    }

    auto h = db.prepare("INSERT INTO T_ヘッダレコード (振込依頼日, 施設コード, データ区分, 委託者コード) VALUES (?, ?, 1, ?)");
    auto d = db.prepare("INSERT INTO T_データレコード (振込依頼日, 施設コード, 取込順番, データ区分, 引落銀行番号, "
                        "引落銀行名, 引落支店番号, 引落支店名, ダミー1, 預金項目, 口座番号, 預金者名, 引落金額, "
                        "新規コード, 顧客番号, 振込結果コード, ダミー2, 更新年月日) "
                        "VALUES (?, ?, ?, 2, ?, '     ｷﾞﾝｺｳ     ', ?, '     ｼﾃﾝ       ', '    ', 1, ?, "
                        "'ﾅﾏｴ                          ', ?, 0, '00000000000000000000', -1, '        ', 20080110)");
    // Facilities imported in a shuffled order.
    std::vector<int> order(kFacilities);
    for (int f = 0; f < kFacilities; ++f)
        order[f] = f + 1;
    Lcg rng{42};
    for (int i = kFacilities - 1; i > 0; --i)
        std::swap(order[i], order[rng.next() % (i + 1)]);
    const int perFacility = transfers / kFacilities;
    for (int f : order) {
        h.reset();
        h.bind(1, int64_t(kDate)).bind(2, int64_t(f)).bind(3, kCode);
        h.run();
        for (int i = 0; i < perFacility; ++i) {
            const int a = static_cast<int>(rng.next() % kAccounts);
            d.reset();
            d.bind(1, int64_t(kDate)).bind(2, int64_t(f)).bind(3, int64_t(f) * 10000 + i);
            d.bind(4, int64_t(1 + a % 7)).bind(5, int64_t(1 + a % 11)).bind(6, account(a));
            d.bind(7, int64_t(1000 + rng.next() % 200000));
            d.run();
        }
    }
    tx.commit();
    db.exec("ANALYZE");
}

double timed(const std::function<void()> &work)
{
    const auto t0 = std::chrono::steady_clock::now();
    work();
    const auto t1 = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::milli>(t1 - t0).count();
}

struct Figures
{
    double bare, list, write;
};

Figures measure(int transfers, const fs::path &folder)
{
    const std::string dbPath = (folder / ("bench" + std::to_string(transfers) + ".db")).string();
    fs::remove(dbPath);
    sql::Database db;
    db.open(dbPath, sql::Database::Mode::Create);
    fill(db, transfers);

    const std::string statement = output::BuildFurikomiSql(kDate, kCode, -1);
    if (transfers == 100000) {
        std::printf("query plan of the merged aggregation:\n");
        auto plan = db.prepare("EXPLAIN QUERY PLAN " + statement);
        while (plan.step())
            std::printf("  %s\n", plan.text(3).c_str());
    }
    size_t rows = 0;
    size_t lines = 0;
    std::string sum;
    const std::string target = (folder / "BENCH.TXT").string();
    output::BankFile result;
    const sql::Database noBankMaster;
    // Interleaved rounds, best of each: the machine is shared, so the three
    // figures should see the same conditions.
    double bare = 1e300, list = 1e300, write = 1e300;
    for (int round = 0; round < 7; ++round) {
        bare = std::min(bare, timed([&] {
            auto st = db.prepare(statement);
            rows = 0;
            while (st.step())
                ++rows;
        }));
        list = std::min(list, timed([&] {
            const auto l = output::LoadFurikomiList(db, kDate, kCode, -1);
            lines = l.lines.size();
            sum = output::formatAmount(l.sum);
        }));
        write = std::min(write, timed([&] {
            result = output::prepareBankFile(db, noBankMaster, kCode, kDate, statement, {});
            output::writeBankFile(db, result, target);
        }));
    }
    if (result.state() != output::BankFile::State::Ready || static_cast<size_t>(result.built().count) != rows
        || lines != rows) {
        std::fprintf(stderr, "unexpected result: %s\n", result.refusal().c_str());
        std::exit(1);
    }

    std::printf("%7d transfers -> %zu lines (sum %s): bare statement %7.1f ms | LoadFurikomiList %7.1f ms "
                "(ratio %.2f) | bank file %7.1f ms (ratio %.2f)\n",
                transfers, rows, sum.c_str(), bare, list, list / bare, write, write / bare);
    db.close();
    fs::remove(dbPath);
    fs::remove(target);
    return {bare, list, write};
}

} // namespace

int main()
{
    std::string tmpl = (fs::temp_directory_path() / "pelanova-fees-bench-XXXXXX").string();
    const fs::path folder = ::mkdtemp(tmpl.data());

    const Figures one = measure(100000, folder);
    const Figures two = measure(200000, folder);
    std::printf("doubling the transfers: bare x%.2f, LoadFurikomiList x%.2f, bank file x%.2f\n",
                two.bare / one.bare, two.list / one.list, two.write / one.write);

    fs::remove_all(folder);
    return 0;
}
