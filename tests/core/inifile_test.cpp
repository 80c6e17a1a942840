#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

#include "core/cp932.h"
#include "core/inifile.h"
#include "support/scriptedmessageboxes.h"
#include "support/tempdir.h"

using namespace pelanova;
using pelanova::test::readBytes;
using pelanova::test::ScriptedMessageBoxes;
using pelanova::test::TempDir;
using pelanova::test::writeBytes;

TEST(SettingsFile, PathFollowsTheExecutable)
{
    EXPECT_EQ(IniFile::pathForExecutable("/opt/app/pelanova"), "/opt/app/pelanova.ini");
    EXPECT_EQ(IniFile::pathForExecutable("/opt/app/pelanova.exe"), "/opt/app/pelanova.ini");
    EXPECT_EQ(IniFile::pathForExecutable("/opt/app/furikomi2"), "/opt/app/furikomi2.ini");
}

TEST(SettingsFile, ReadsWithoutRegardToCase)
{
    TempDir dir;
    const std::string path = dir.file("app.ini");
    writeBytes(path, "; comment\r\n[datafiles]\r\n  bankdata = C:\\x\\bank.mdb  \r\nOther=\"quoted\"\r\n"
                     "[Tesuuryou]\r\nTesuuryouKingaku=220\r\n");
    IniFile ini(path);
    EXPECT_EQ(ini.readString("DataFiles", "BankData"), "C:\\x\\bank.mdb");
    EXPECT_EQ(ini.readString("DATAFILES", "other"), "quoted");
    EXPECT_EQ(ini.readString("Tesuuryou", "TesuuryouKingaku"), "220");
    EXPECT_EQ(ini.readString("Tesuuryou", "BankData", "def"), "def");
    EXPECT_EQ(ini.readString("Nothing", "BankData", "def"), "def");
    EXPECT_EQ(IniFile(dir.file("none.ini")).readString("DataFiles", "BankData", "def"), "def");
}

TEST(SettingsFile, WriteKeepsEverythingElse)
{
    TempDir dir;
    const std::string path = dir.file("app.ini");
    const std::string before = "; 設定\r\n[DataFiles]\r\nLEDRADATA=old\r\nBankData=b\r\n\r\n[Output]\r\nFileName=f\r\n";
    writeBytes(path, *cp932::encode(before));
    IniFile ini(path);
    ini.writeString("datafiles", "LedraData", "new");
    EXPECT_EQ(cp932::decode(readBytes(path)),
              "; 設定\r\n[DataFiles]\r\nLEDRADATA=new\r\nBankData=b\r\n\r\n[Output]\r\nFileName=f\r\n");

    ini.writeString("Output", "Extra", "e");
    ini.writeString("Tesuuryou", "TesuuryouKubun", "1");
    EXPECT_EQ(cp932::decode(readBytes(path)),
              "; 設定\r\n[DataFiles]\r\nLEDRADATA=new\r\nBankData=b\r\n\r\n[Output]\r\nFileName=f\r\nExtra=e\r\n"
              "\r\n[Tesuuryou]\r\nTesuuryouKubun=1\r\n");
    // No temporary file is left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()), 1);
}

TEST(SettingsFile, JapaneseValuesAreShiftJisOnDisk)
{
    TempDir dir;
    const std::string path = dir.file("app.ini");
    IniFile ini(path);
    ini.writeString("DataFiles", "BankData", "C:\\データ\\銀行マスタ.MDB");
    const std::string bytes = readBytes(path);
    EXPECT_EQ(bytes, "[DataFiles]\r\nBankData=" + *cp932::encode("C:\\データ\\銀行マスタ.MDB") + "\r\n");
    EXPECT_EQ(ini.readString("DataFiles", "BankData"), "C:\\データ\\銀行マスタ.MDB");
    // A value that Shift-JIS cannot hold is refused, not written as '?'.
    EXPECT_THROW(ini.writeString("DataFiles", "BankData", "😀"), SettingsWriteError);
    EXPECT_EQ(readBytes(path), bytes);
}

TEST(SettingsFile, RefusedWriteNamesThePath)
{
    TempDir dir;
    const std::string nowhere = dir.file("no-such-folder/app.ini");
    try {
        IniFile(nowhere).writeString("Output", "FileName", "b");
        FAIL() << "write into a missing folder succeeded";
    } catch (const SettingsWriteError &e) {
        EXPECT_EQ(std::string(e.what()), nowhere + " に書き込めません");
    }
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes to read-only files";
    const std::string path = dir.file("app.ini");
    writeBytes(path, "[Output]\r\nFileName=a\r\n");
    ::chmod(path.c_str(), 0444);
    try {
        IniFile(path).writeString("Output", "FileName", "b");
        FAIL() << "write to a read-only file succeeded";
    } catch (const SettingsWriteError &e) {
        EXPECT_EQ(std::string(e.what()), path + " に書き込めません");
    }
    EXPECT_EQ(IniFile(path).readString("Output", "FileName"), "a");
}

TEST(SettingsItems, TextBooleanAndInteger)
{
    TempDir dir;
    const std::string path = dir.file("app.ini");
    ScriptedMessageBoxes boxes;
    TSettings importItems(path, {settings::TesuuryouKubun.withDefault("False"), settings::TesuuryouKingaku}, &boxes);
    TSettings screenItems(path, {settings::TesuuryouKubun, settings::TesuuryouKingaku, settings::LedraData,
                                 settings::BankData, settings::FileName}, &boxes);

    EXPECT_FALSE(importItems.ReadBool("TesuuryouKubun"));
    EXPECT_EQ(importItems.ReadInteger("TesuuryouKingaku"), 0);
    EXPECT_EQ(screenItems.ReadString("FileName"), "");
    EXPECT_FALSE(std::filesystem::exists(path)) << "reading created the settings file";

    TSettings onByDefault(path, {settings::TesuuryouKubun.withDefault("yes")});
    EXPECT_TRUE(onByDefault.ReadBool("TesuuryouKubun"));

    screenItems.WriteBool("TesuuryouKubun", true);
    EXPECT_EQ(IniFile(path).readString("Tesuuryou", "TesuuryouKubun"), "1");
    EXPECT_TRUE(importItems.ReadBool("TesuuryouKubun"));
    for (const char *off : {"0", "TRUE", "true", ""}) {
        IniFile(path).writeString("Tesuuryou", "TesuuryouKubun", off);
        EXPECT_FALSE(importItems.ReadBool("TesuuryouKubun")) << off;
    }

    screenItems.WriteString("TesuuryouKingaku", "330");
    EXPECT_EQ(importItems.ReadInteger("TesuuryouKingaku"), 330);
    screenItems.WriteString("TesuuryouKingaku", "abc");
    EXPECT_EQ(importItems.ReadInteger("TesuuryouKingaku"), 0);
    screenItems.WriteString("TesuuryouKingaku", "99999999999");
    EXPECT_EQ(importItems.ReadInteger("TesuuryouKingaku"), 0);

    // Item names match without regard to case.
    screenItems.WriteString("Bankdata", "/x/bank.db");
    EXPECT_EQ(screenItems.ReadString("BANKDATA"), "/x/bank.db");
    EXPECT_EQ(IniFile(path).readString("DataFiles", "BankData"), "/x/bank.db");
    EXPECT_TRUE(boxes.empty());
}

TEST(SettingsItems, UndeclaredNameIsReportedAndIgnored)
{
    TempDir dir;
    const std::string path = dir.file("app.ini");
    writeBytes(path, "[Output]\r\nFileName=f\r\n");
    ScriptedMessageBoxes boxes;
    TSettings items(path, {settings::TesuuryouKingaku}, &boxes);

    EXPECT_EQ(items.ReadString("FileName"), "");
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(boxes.last().text, "[' FileName '] is invalid.");
    EXPECT_EQ(boxes.last().buttons, MessageButtons::Ok);
    EXPECT_EQ(boxes.last().icon, MessageIcon::Error);

    EXPECT_EQ(items.ReadInteger("FileName"), 0);
    EXPECT_FALSE(items.ReadBool("FileName"));
    items.WriteString("FileName", "x");
    EXPECT_EQ(boxes.count(), 4u);
    EXPECT_EQ(readBytes(path), "[Output]\r\nFileName=f\r\n");
}
