// Any byte string as the settings file: every item reads (as text, number and
// switch), and a setting written reads back as written while every other item
// reads as before.
#include "fuzzsupport.h"

#include "core/inifile.h"

#include <array>
#include <vector>

using namespace pelanova;

namespace {

const std::vector<SettingsItem> kItems = {
    settings::LedraData,    settings::BankData,      settings::TesuuryouKubun, settings::TesuuryouKingaku,
    settings::FileName,     settings::ClearingHouse, settings::Designation,    settings::LineBreak,
};

// Values as the screens write them: switches, amounts, paths in Japanese.
const std::array<const char *, 5> kValues = {"1", "0", "30000", "C:\\振込\\FB0115.TXT",
                                             "/home/経理/銀行マスタ.mdb"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::filesystem::path file = fuzz::scratchFolder() / "pelanova.ini";
    fuzz::writeFile(file, fuzz::bytesOf(data, size));
    TSettings settings(file.string(), kItems);

    std::vector<std::string> before;
    for (const SettingsItem &item : kItems) {
        before.push_back(settings.ReadString(item.Name));
        settings.ReadBool(item.Name);
        settings.ReadInteger(item.Name);
    }

    const size_t written = size % kItems.size();
    const std::string value = kValues[(size / kItems.size()) % kValues.size()];
    settings.WriteString(kItems[written].Name, value);
    for (size_t i = 0; i < kItems.size(); ++i)
        FUZZ_REQUIRE(settings.ReadString(kItems[i].Name) == (i == written ? value : before[i]));
    return 0;
}
