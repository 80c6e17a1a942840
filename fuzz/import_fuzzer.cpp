// A byte string imported as facility 1's transfer file into a fresh own
// database, then aggregated over all facilities and written as the merged
// file. The import stores the file whole (a row for every record, under one
// header) or leaves every table empty; a merged file that is written holds
// one record per aggregated line between its header and its trailer and end.
#include "fuzzsupport.h"

#include "core/records.h"
#include "core/schema.h"
#include "core/sql.h"
#include "core/userinterface.h"
#include "import/importengine.h"
#include "output/furikomi.h"
#include "output/transferfile.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>

using namespace pelanova;

namespace {

class NoBoxes : public MessageBoxes
{
public:
    int messageBox(const std::string &, const std::string &, MessageIcon, MessageButtons buttons,
                   int defaultButton) override
    {
        return defaultButtonResult(buttons, defaultButton);
    }
};

const std::array<const char *, 7> kTables = {"T_ヘッダレコード", "T_データレコード", "T_トレーラレコード",
                                             "T_エンドレコード", "M_銀行",         "M_受取人",
                                             "M_施設"};

int64_t rows(const sql::Database &db, const std::string &table)
{
    sql::Statement st = db.prepare("SELECT COUNT(*) FROM " + table);
    FUZZ_REQUIRE(st.step());
    return st.int64(0);
}

// The records of each kind as the file's form reads them; nothing when the
// form is not one of a transfer file.
std::optional<std::map<int, int64_t>> recordsByKind(std::string_view bytes)
{
    const auto form = zengin::detectFileForm(static_cast<int64_t>(bytes.size()), bytes.substr(0, 4096),
                                             bytes.empty() ? '\0' : bytes.back());
    if (!form)
        return std::nullopt;
    std::map<int, int64_t> kinds;
    if (bytes.empty())
        return kinds;
    std::FILE *file = ::fmemopen(const_cast<char *>(bytes.data()), bytes.size(), "rb");
    FUZZ_REQUIRE(file);
    zengin::RecordReader reader(file, *form);
    std::string_view record;
    zengin::RecordReader::Result got;
    while ((got = reader.next(record)) == zengin::RecordReader::Result::Record)
        ++kinds[zengin::recordKind(record)];
    std::fclose(file);
    if (got != zengin::RecordReader::Result::Done)
        return std::nullopt;
    return kinds;
}

// The transfer request date whose month and day the header carries (引落日,
// bytes 55-58), so that a header's date is no obstacle to the rest.
int requestDateOf(std::string_view bytes)
{
    int mmdd = 1210;
    if (bytes.size() >= 58) {
        const auto given = zengin::parseNumber(bytes.substr(54, 4));
        if (given && *given >= 0)
            mmdd = static_cast<int>(*given % 10000);
    }
    return 20260000 + mmdd;
}

void writeMergedFile(sql::Database &db, int date)
{
    sql::Statement header = db.prepare("SELECT 委託者コード FROM T_ヘッダレコード");
    FUZZ_REQUIRE(header.step());
    const std::string consignor = header.isNull(0) ? std::string() : header.text(0);
    const std::string statement = output::BuildFurikomiSql(date, consignor, -1);
    const size_t lines = output::readFurikomiRows(db, statement).size();

    const std::filesystem::path target = fuzz::scratchFolder() / "merged.txt";
    std::error_code ec;
    std::filesystem::remove(target, ec);
    const sql::Database noBankMaster;
    const output::BankFile file = output::prepareBankFile(db, noBankMaster, consignor, date, statement, {});
    const output::TransferFileResult &built = file.built();
    // What the import stored never makes the check refuse the bank file: the
    // import refuses what would reach the bank wrong.
    if (built.ok)
        FUZZ_REQUIRE(file.check().errors == 0);
    if (file.state() != output::BankFile::State::Ready) {
        FUZZ_REQUIRE(!file.refusal().empty());
        return;
    }
    FUZZ_REQUIRE(output::writeBankFile(db, file, target.string()).empty());
    FUZZ_REQUIRE(built.count + static_cast<int64_t>(built.leftOut.size()) == static_cast<int64_t>(lines));
    FUZZ_REQUIRE(std::filesystem::file_size(target) == static_cast<uintmax_t>((built.count + 3) * zengin::kRecordSize));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view bytes = fuzz::bytesOf(data, size);
    const std::filesystem::path file = fuzz::scratchFolder() / "transfer.txt";
    fuzz::writeFile(file, bytes);

    sql::Database db;
    db.open(":memory:", sql::Database::Mode::Create);
    schema::createOwnDatabase(db);
    NoBoxes boxes;
    SilentProgress progress;
    ImportEngine engine(db, nullptr, boxes, progress);
    const int date = requestDateOf(bytes);
    const ImportEngine::Outcome outcome = engine.ImportTransferFile(file.string(), 1, date, date - 2);

    if (outcome != ImportEngine::Outcome::Stored) {
        for (const char *table : kTables)
            FUZZ_REQUIRE(rows(db, table) == 0);
        return 0;
    }
    // Stored whole: a row for every record (an empty file has none), one
    // header at most, and its consignor.
    const std::optional<std::map<int, int64_t>> kinds = recordsByKind(bytes);
    FUZZ_REQUIRE(kinds);
    const std::pair<zengin::RecordKind, const char *> stored[] = {{zengin::Header, "T_ヘッダレコード"},
                                                                  {zengin::Data, "T_データレコード"},
                                                                  {zengin::Trailer, "T_トレーラレコード"},
                                                                  {zengin::End, "T_エンドレコード"}};
    for (const auto &[kind, table] : stored)
        FUZZ_REQUIRE(rows(db, table) == (kinds->count(kind) ? kinds->at(kind) : 0));
    const int64_t headers = rows(db, "T_ヘッダレコード");
    FUZZ_REQUIRE(headers <= 1);
    FUZZ_REQUIRE(rows(db, "M_銀行") == headers);
    if (headers == 1)
        writeMergedFile(db, date);
    return 0;
}
