// The masters written as files and read back: what an import plans, what it
// refuses (changing nothing), and what it writes. On either engine.
#include "mastersfixture.h"

#include "core/cp932.h"
#include "core/csv.h"
#include "core/format.h"
#include "core/lineswatcher.h"
#include "masters/masterfiles.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

using namespace pelanova;
using namespace pelanova::masters;
using pelanova::test::MastersDatabase;

namespace {

// ｱｵﾊﾞ ｼｮｳｼﾞ padded to its field, as the import of a transfer file stores it.
const std::string kKanaName = cp932::decode("\xB1\xB5\xCA\xDE \xBC\xAE\xB3\xBC\xDE    ");

class RecordingWatcher : public LinesWatcher
{
public:
    void before(const std::string &code, std::optional<int>) override { events.push_back("before " + code); }
    void after(const std::string &code, std::optional<int>) override { events.push_back("after " + code); }
    std::vector<std::string> events;
};

class MasterFilesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m.addConsignor("0000012345", "ｲﾀｸｼﾔ");
        m.addConsignor("0000099999", "ﾍﾞﾂ");
        m.addRecipient("0000012345", 1, 23, "0012345", kKanaName, 1, 30000);
        m.addRecipient("0000012345", 5, 123, "7654321", "ﾔﾏﾀﾞ ﾀﾛｳ", 0, 0, 2, "三菱");
        m.addFacility(1, "本社", "HONSHA");
        m.addFacility(2, "北工場");
    }

    std::string exported(MasterKind kind)
    {
        const std::string path = dir.file("out.csv");
        exportMaster(m.db, kind, path);
        return test::readBytes(path);
    }

    ImportPlan plan(MasterKind kind, const std::string &text) { return planImport(m.db, kind, text, defaults); }

    // The refusal's text; empty when the file was accepted.
    std::string refusal(MasterKind kind, const std::string &text)
    {
        try {
            plan(kind, text);
        } catch (const MasterFileError &error) {
            return error.what();
        }
        return {};
    }

    std::string snapshot()
    {
        std::string all;
        for (const MasterKind kind : {MasterKind::Facilities, MasterKind::Consignors, MasterKind::Recipients})
            all += exported(kind);
        return all;
    }

    void apply(const ImportPlan &p, LinesWatcher *watcher = nullptr)
    {
        applyImport(m.db, p, [this] { ++backups; }, watcher);
    }

    test::TempDir dir;
    MastersDatabase m;
    ImportDefaults defaults{true, 50000};
    int backups = 0;
};

const std::string kRecipientHeader = "委託者コード,銀行番号,支店番号,預金種別,口座番号,手数料区分,手数料金額\r\n";

} // namespace

TEST_F(MasterFilesTest, EachMasterGoesThroughCsvAndComesBackUnchanged)
{
    const std::string recipients = exported(MasterKind::Recipients);
    // CP932, CR LF, leading zeros, and the name's bytes with their padding.
    EXPECT_EQ(recipients.substr(0, recipients.find("\r\n")),
              *cp932::encode("委託者コード,銀行番号,銀行名,銀行名漢字,支店番号,支店名,支店名漢字,預金種別,口座番号,"
                             "受取人名,手数料区分,手数料金額"));
    EXPECT_NE(recipients.find("0000012345,0001,"), std::string::npos);
    EXPECT_NE(recipients.find(",023,"), std::string::npos);
    EXPECT_NE(recipients.find(",1,0012345,\"\xB1\xB5\xCA\xDE \xBC\xAE\xB3\xBC\xDE    \",1,30000\r\n"), std::string::npos);
    EXPECT_NE(exported(MasterKind::Consignors).find("0000012345"), std::string::npos);

    for (const MasterKind kind : {MasterKind::Facilities, MasterKind::Consignors, MasterKind::Recipients}) {
        const ImportPlan p = plan(kind, exported(kind));
        EXPECT_EQ(p.added + p.changed, 0) << sheetName(kind);
        EXPECT_EQ(p.unchanged, 2);
        EXPECT_TRUE(p.changeLines().empty());
    }
}

TEST_F(MasterFilesTest, ReadsCp932Utf8AndUtf8WithBomAlike)
{
    const std::string utf8 = "委託者コード,銀行番号,支店番号,預金種別,口座番号,受取人名,手数料区分\r\n"
                             "0000012345,0005,123,2,7654321,ﾔﾏﾀﾞ ｼﾞﾛｳ,1\r\n";
    const ImportPlan fromUtf8 = plan(MasterKind::Recipients, utf8);
    EXPECT_EQ(plan(MasterKind::Recipients, "\xEF\xBB\xBF" + utf8).rows, fromUtf8.rows);
    EXPECT_EQ(plan(MasterKind::Recipients, *cp932::encode(utf8)).rows, fromUtf8.rows);
    ASSERT_EQ(fromUtf8.changed, 1);
    EXPECT_EQ(fromUtf8.changeLines(),
              std::vector<std::string>{"変更 2行目 0000012345 0005-123 当座 7654321 ﾔﾏﾀﾞ ｼﾞﾛｳ：受取人名 ﾔﾏﾀﾞ ﾀﾛｳ→ﾔﾏﾀﾞ ｼﾞﾛｳ、"
                                       "手数料区分 0→1"});
}

TEST_F(MasterFilesTest, EveryRefusalNamesItsFaultAndChangesNothing)
{
    const std::string before = snapshot();
    const std::string good = "0000012345,1,23,1,12345,1,30000\r\n";
    struct Case
    {
        std::string text;
        std::string expected;
    };
    const Case cases[] = {
        {kRecipientHeader + good + "0000012345,1,23,1,0012345,2,0\r\n", "3行目 手数料区分「2」は0か1のどちらかです。"},
        {kRecipientHeader + "0000012345,1,23,1,12345678,1,-5\r\n",
         "2行目 口座番号「12345678」は7桁の数字です。\n\r2行目 手数料金額「-5」は9桁までの0以上の整数です。"},
        {kRecipientHeader + good + good, "3行目 2行目と同じ口座の行です。"},
        {kRecipientHeader + "0000012345,1,23,2,0012345,1,0\r\n", "2行目 口座番号「0012345」は預金種別「普通」で登録されています。"},
        {kRecipientHeader + "0000077777,1,23,1,0012345,1,0\r\n", "2行目 委託者コード「0000077777」の委託者は登録されていません。"},
        {"委託者コード,銀行番号,口座番号,備考\r\n0000012345,1,0012345,x\r\n",
         "列「備考」は受取人マスタにない列です。\n\r必須の列「支店番号」がありません。\n\r必須の列「預金種別」がありません。"},
        {kRecipientHeader + "0000012345,1,23\r\n", "2行目 列の数（3）が見出しの列の数（7）と合いません。"},
        {"", "ファイルが空です。"},
        {"\r\n , \r\n", "ファイルが空です。"},
        {kRecipientHeader, "見出しのほかに行がありません。"},
        {std::string("\xFF\xFE\x31\x00", 4), "文字コードが読めません。"},
    };
    for (const Case &c : cases) {
        const std::string text = refusal(MasterKind::Recipients, c.text);
        EXPECT_NE(text.find(c.expected), std::string::npos) << text;
        EXPECT_EQ(text.rfind("取り込めませんでした（何も変更していません）。", 0), 0u) << text;
    }
    EXPECT_NE(refusal(MasterKind::Facilities, "施設コード,施設名\r\n12345,x\r\n3,\r\n4,y\r\n").find(
                  "2行目 施設コード「12345」は4桁までの数字です。\n\r3行目 施設名を入力してください。"),
              std::string::npos);
    EXPECT_NE(refusal(MasterKind::Facilities, "施設コード,総合振込データファイル名\r\n9,ABC\r\n").find(
                  "2行目 施設名を入力してください。"),
              std::string::npos);
    EXPECT_EQ(snapshot(), before);
}

TEST_F(MasterFilesTest, ListsTwentyFaultsAndCountsTheRest)
{
    std::string text = kRecipientHeader;
    for (int i = 0; i < 25; ++i)
        text += "0000012345,1,23,1,0012345,7,0\r\n";
    const std::string message = refusal(MasterKind::Recipients, text);
    EXPECT_NE(message.find("誤りが 25 件あります。"), std::string::npos) << message;
    EXPECT_NE(message.find("21行目 手数料区分「7」"), std::string::npos);
    EXPECT_EQ(message.find("22行目"), std::string::npos);
    EXPECT_NE(message.find("ほか 5 件の誤りがあります。"), std::string::npos);
}

TEST_F(MasterFilesTest, AppliesOnlyTheEditedCellsAndNewRowsWithTheirDefaults)
{
    // Columns in another order; a missing column keeps the stored value; an
    // account written without its leading zeros is the same account;
    // padding blanks are no change; an empty amount is 0.
    const std::string text = "手数料金額,口座番号,預金種別,支店番号,銀行番号,委託者コード,受取人名\r\n"
                             "\"40,000\",12345,1,23,1,0000012345,\"" + std::string(trimFieldBlanks(kKanaName)) + "\"\r\n"
                             ",7654321,2,123,5,0000012345,ﾔﾏﾀﾞ ﾀﾛｳ\r\n"
                             "100,1111111,1,1,9,0000099999,ｼﾝｷ\r\n";
    const ImportPlan p = plan(MasterKind::Recipients, text);
    EXPECT_EQ(p.countsText(), "追加 1 件 / 変更 1 件 / 変更なし 1 件");
    EXPECT_EQ(p.changeLines(), (std::vector<std::string>{
                                   "変更 2行目 0000012345 0001-023 普通 0012345 ｱｵﾊﾞ ｼｮｳｼﾞ：手数料金額 30,000→40,000",
                                   "追加 4行目 0000099999 0009-001 普通 1111111 ｼﾝｷ"}));
    EXPECT_EQ(p.consignors, (std::vector<std::string>{"0000012345", "0000099999"}));

    RecordingWatcher watcher;
    apply(p, &watcher);
    EXPECT_EQ(backups, 1);
    EXPECT_EQ(watcher.events, (std::vector<std::string>{"before 0000012345", "before 0000099999", "after 0000012345",
                                                        "after 0000099999"}));
    EXPECT_EQ(m.value("M_受取人", "手数料金額", "口座番号 = '0012345'"), 40000);
    EXPECT_EQ(m.value("M_受取人", "手数料区分", "口座番号 = '0012345'"), 1);
    // The new recipient: the settings' fee category, its amount from the file.
    EXPECT_EQ(m.value("M_受取人", "手数料区分", "口座番号 = '1111111'"), 1);
    EXPECT_EQ(m.value("M_受取人", "手数料金額", "口座番号 = '1111111'"), 100);
    EXPECT_EQ(m.count("M_受取人"), 3);
    // The name keeps its stored bytes.
    const ImportPlan again = plan(MasterKind::Recipients, exported(MasterKind::Recipients));
    EXPECT_EQ(again.added + again.changed, 0);
    EXPECT_NE(exported(MasterKind::Recipients).find("\xB1\xB5\xCA\xDE \xBC\xAE\xB3\xBC\xDE    "), std::string::npos);
}

TEST_F(MasterFilesTest, NewConsignorsGetTheDefaultFeeTableAndFacilitiesTheirNames)
{
    apply(plan(MasterKind::Consignors, "委託者コード,委託者名,他銀行1未満電信手数料\r\n"
                                       "0000012345,ｲﾀｸｼﾔ,440\r\n0000055555,ｼﾝｷ,\r\n"));
    EXPECT_EQ(m.value("M_銀行", "他銀行1未満電信手数料", "委託者コード = '0000012345'"), 440);
    EXPECT_EQ(m.value("M_銀行", "他銀行1未満電信手数料", "委託者コード = '0000055555'"), 0);
    EXPECT_EQ(m.value("M_銀行", "他銀行2未満電信手数料", "委託者コード = '0000055555'"), 420);
    EXPECT_EQ(m.value("M_銀行", "当銀行1未満", "委託者コード = '0000055555'"), 10000);

    const ImportPlan facilities = plan(MasterKind::Facilities, "施設名,施設コード,総合振込データファイル名\r\n"
                                                               "本社,1,\"  \"\r\n南倉庫,7,MINAMI\r\n");
    EXPECT_EQ(facilities.countsText(), "追加 1 件 / 変更 1 件 / 変更なし 0 件");
    apply(facilities);
    EXPECT_EQ(m.value("M_施設", "COUNT(*)", "総合振込データファイル名 IS NULL"), 2); // blanks only: none
    EXPECT_EQ(m.value("M_施設", "施設コード", "総合振込データファイル名 = 'MINAMI'"), 7);
}

TEST_F(MasterFilesTest, AnImportPlannedBeforeTheDataChangedIsRefusedWhole)
{
    const ImportPlan p = plan(MasterKind::Recipients, kRecipientHeader + "0000012345,1,23,1,0012345,0,0\r\n"
                                                                         "0000012345,5,123,2,7654321,1,1000\r\n");
    const auto shown = masters::findRecipient(m.db, "0000012345", 5, 123, "7654321");
    masters::saveRecipientFee(m.db, "0000012345", 5, 123, "7654321", {shown->category, shown->threshold}, {1, 2000});
    const std::string before = snapshot();
    EXPECT_THROW(apply(p), MasterFileError);
    EXPECT_EQ(snapshot(), before);
    // Nothing to change: no backup, no transaction.
    backups = 0;
    apply(plan(MasterKind::Facilities, exported(MasterKind::Facilities)));
    EXPECT_EQ(backups, 0);
}

TEST_F(MasterFilesTest, CsvRefusesNamesCp932CannotHoldWhileXlsxTakesThem)
{
    m.addFacility(3, "寿司🍣");
    try {
        exportMaster(m.db, MasterKind::Facilities, dir.file("f.csv"));
        FAIL();
    } catch (const MasterFileError &error) {
        EXPECT_NE(std::string(error.what()).find("4行目 施設名「寿司🍣」には Shift-JIS（CP932）で書けない文字があります。"),
                  std::string::npos)
            << error.what();
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("f.csv")));
    exportMaster(m.db, MasterKind::Facilities, dir.file("f.xlsx"));
    EXPECT_TRUE(std::filesystem::exists(dir.file("f.xlsx")));
    EXPECT_THROW(exportMaster(m.db, MasterKind::Facilities, dir.file("f.txt")), MasterFileError);
}

TEST_F(MasterFilesTest, TheRecipientListCsvHasThePrintedListsColumns)
{
    const std::string list = cp932::decode(exported(MasterKind::RecipientList));
    EXPECT_EQ(list, "銀行・支店番号,銀行名,支店名,預金種別,口座番号,振込先,相手先手数料\r\n"
                    "0001-023,\"ﾐｽﾞﾎ  \",\"ﾎﾝﾃﾝ \",普通,0012345,\"" + kKanaName + "\",\"30,000円以上\"\r\n"
                    "0005-123,三菱,\"ﾎﾝﾃﾝ \",当座,7654321,ﾔﾏﾀﾞ ﾀﾛｳ,\r\n");
}
