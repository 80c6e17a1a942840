#include "screenshotfiles.h"

#include "clicontext.h"
#include "core/cp932.h"
#include "core/datamodule.h"
#include "core/records.h"
#include "import/importengine.h"

#include <cstdio>
#include <stdexcept>

namespace pelanova::screenshots {
namespace {

// Writes bytes over a record at a 1-based position.
void put(std::string &record, size_t pos, const std::string &bytes)
{
    record.replace(pos - 1, bytes.size(), bytes);
}

std::string sjis(const char *utf8) { return cp932::encode(utf8).value_or(std::string()); }

std::string blankRecord(char kind)
{
    std::string r(zengin::kRecordSize, ' ');
    r[0] = kind;
    return r;
}

} // namespace

// A header of the demo's head office for a day in December with the given account.
std::string headOfficeHeader(const char *mmdd, const char *account)
{
    std::string r = blankRecord('1');
    put(r, 2, "210");
    put(r, 5, "1234567890");
    put(r, 15, sjis("ｶ)ﾍﾟﾗﾉﾊﾞｻﾝｷﾞﾖｳ"));
    put(r, 55, mmdd);
    put(r, 59, "0001");
    put(r, 78, "100");
    put(r, 96, std::string("1") + account);
    return r;
}

std::string transfer(const char *bank, const char *account, const char *name, const char *amount)
{
    std::string r = blankRecord('2');
    put(r, 2, bank);
    put(r, 6, sjis("ﾐﾂﾋﾞｼﾕ-ｴﾌｼﾞｴｲ"));
    put(r, 21, "103");
    put(r, 24, sjis("ﾁﾖﾀﾞ"));
    put(r, 43, std::string("1") + account);
    put(r, 51, sjis(name));
    put(r, 81, std::string(amount) + "0");
    return r;
}

std::string trailerAndEnd(const char *countAndTotal)
{
    std::string r = blankRecord('8');
    put(r, 2, countAndTotal);
    return r + blankRecord('9');
}

// A facility's file with three faults the bank would refuse: the
// consignor's account, a letter in a bank code, a voiced mark after ｱ.
std::string faultyFile()
{
    return headOfficeHeader("1216", "-654321") + transfer("00A5", "1234567", "ﾀｱﾞﾝ ﾀﾛｳ", "0000030000")
           + trailerAndEnd("000001000000030000");
}

// 15 December: the head office's file holds a name in small kana and a
// transfer that the recipient's fee makes 0 yen.
void importNoteDay(TDM1 &dm, const std::string &folder)
{
    const std::string bytes = headOfficeHeader("1215", "1234567")
                              + transfer("0005", "7000001", "ｼｮｳｼﾞ ﾊﾅｺ", "0000025000")
                              + transfer("0005", "7000002", "ﾐﾔｹ ｼﾞﾛｳ", "0000000420")
                              + trailerAndEnd("000002000000025420");
    const std::string path = folder + "/HONSHA_1215_ok.txt";
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        throw std::runtime_error(path);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    cli::ConsoleMessageBoxes boxes;
    SilentProgress progress;
    ImportEngine engine(dm.ADOConFurikomi, &dm.ADOConBank, boxes, progress);
    if (engine.ImportTransferFile(path, 1, 20261215, 20261213) != ImportEngine::Outcome::Stored)
        throw std::runtime_error("the day of notes was not imported");
    // The second recipient bears every fee.
    dm.ADOConFurikomi.exec("UPDATE M_受取人 SET 手数料区分 = 1, 手数料金額 = 0 WHERE 口座番号 = '7000002'");
}

// A file the branch office sends for 15 December after the head office's
// day was made.
void importLateFile(TDM1 &dm, const std::string &folder)
{
    const std::string bytes = headOfficeHeader("1215", "1234567")
                              + transfer("0005", "7000003", "ﾓﾘ ｻﾁｺ", "0000018000") + trailerAndEnd("000001000000018000");
    const std::string path = folder + "/KITA_1215.txt";
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        throw std::runtime_error(path);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    cli::ConsoleMessageBoxes boxes;
    SilentProgress progress;
    ImportEngine engine(dm.ADOConFurikomi, &dm.ADOConBank, boxes, progress);
    if (engine.ImportTransferFile(path, 2, 20261215, 20261214) != ImportEngine::Outcome::Stored)
        throw std::runtime_error("the late file was not imported");
}

} // namespace pelanova::screenshots
