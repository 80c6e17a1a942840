// Any byte string as the public bank code list (lib/zengin-data.js of the
// zengin-code package) built into a bank master: the build refuses it with a
// message, or writes a master that connects and holds one row per branch it
// counted, every bank code of 4 digits and branch code of 3.
#include "fuzzsupport.h"

#include "core/bankmaster.h"
#include "core/sql.h"

#include <algorithm>

using namespace pelanova;

namespace {

bool digits(const std::string &text, size_t width)
{
    return text.size() == width && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const std::filesystem::path package = [] {
        const std::filesystem::path dir = fuzz::scratchFolder() / "package";
        std::filesystem::create_directories(dir / "lib");
        return dir;
    }();
    fuzz::writeFile(package / "lib" / "zengin-data.js", fuzz::bytesOf(data, size));
    const std::filesystem::path master = fuzz::scratchFolder() / "銀行マスタ.db";
    std::error_code ec;
    std::filesystem::remove(master, ec);

    bankmaster::BuildCounts counts;
    try {
        counts = bankmaster::build(package.string(), master.string());
    } catch (const bankmaster::BuildError &refused) {
        FUZZ_REQUIRE(*refused.what() != '\0');
        FUZZ_REQUIRE(!std::filesystem::exists(master));
        return 0;
    }
    FUZZ_REQUIRE(counts.banks > 0 && counts.branches > 0);
    sql::Database db;
    FUZZ_REQUIRE(bankmaster::connect(db, master.string()));
    sql::Statement rows = db.prepare("SELECT 銀行番号, 支店番号 FROM T_銀行マスタ");
    int branches = 0;
    while (rows.step()) {
        FUZZ_REQUIRE(digits(rows.text(0), 4) && digits(rows.text(1), 3));
        ++branches;
    }
    FUZZ_REQUIRE(branches == counts.branches);
    return 0;
}
