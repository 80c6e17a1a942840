// The record of bank files: what is recorded, when a day's file counts as
// made again, and which changes leave a made file behind.
#include "output/filehistory.h"
#include "outputfixture.h"

#include "core/sha256.h"
#include "import/importengine.h"
#include "masters/masterdata.h"
#include "output/transferfile.h"
#include "support/recordingui.h"
#include "support/scriptedmessageboxes.h"
#include "support/tempdir.h"
#include "support/testdatabase.h"
#include "support/zenginfile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

using namespace pelanova;
using namespace pelanova::output;
using pelanova::testing::OutputDb;
using pelanova::testing::transferTo;
using pelanova::test::ScriptedMessageBoxes;
using pelanova::test::TempDir;

namespace {

constexpr int kDate = 20080115;
constexpr int kOtherDate = 20080125;
const std::string kCode = "0000012345";
const std::string kOther = "0000099999";

const sql::Database kNoBankMaster;

// Writes the day's file as the dialog and write-file write it; empty on success.
std::string make(sql::Database &db, const std::string &consignor, int date, const std::string &path)
{
    const BankFile file = prepareBankFile(db, kNoBankMaster, consignor, date, BuildFurikomiSql(date, consignor, -1), {});
    if (file.state() != BankFile::State::Ready)
        return file.refusal();
    return writeBankFile(db, file, path);
}

const std::string kStale = "と内容が変わりました。作成し直し、銀行への再送をご確認ください。";

} // namespace

TEST(FileHistory, AWrittenFileIsRecordedAndNothingElse)
{
    OutputDb t;
    t.addConsignor(kCode);
    t.import(kDate, 1, kCode, {transferTo("1111111", 30000), transferTo("2222222", 5000)});
    TempDir dir;
    EXPECT_EQ(dayFileState(t.db, kCode, kDate).state, DayState::NotCreated);
    EXPECT_EQ(dayStateText(dayFileState(t.db, kCode, kDate)), "未作成");

    ASSERT_EQ(make(t.db, kCode, kDate, dir.file("BANK.TXT")), "");
    const std::vector<CreatedFile> files = createdFiles(t.db);
    ASSERT_EQ(files.size(), 1u);
    const CreatedFile &f = files[0];
    EXPECT_EQ(f.consignor, kCode);
    EXPECT_EQ(f.date, kDate);
    EXPECT_TRUE(std::regex_match(f.created, std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)"))) << f.created;
    EXPECT_FALSE(f.user.empty());
    EXPECT_EQ(f.path, dir.file("BANK.TXT"));
    EXPECT_EQ(f.records, 2);
    EXPECT_EQ(f.total, 30000 + 5000 - 0); // the consignor bears the fees
    EXPECT_EQ(f.sha256, sha256OfFile(dir.file("BANK.TXT")));
    EXPECT_EQ(f.fingerprint, currentLinesFingerprint(t.db, kCode, kDate));
    EXPECT_EQ(recordState(t.db, f), RecordState::Same);

    const DayFileState state = dayFileState(t.db, kCode, kDate);
    EXPECT_EQ(state.state, DayState::Created);
    EXPECT_EQ(dayStateText(state), "作成済み（" + createdMinute(f) + "）");
    EXPECT_EQ(createdAgainQuestion(f), "この振込データは " + createdMinute(f) + " に作成済みです（2件 35,000円）。もう一度作成しますか？");

    // Nothing to transfer, a file that cannot be written: nothing recorded.
    EXPECT_EQ(make(t.db, kCode, kOtherDate, dir.file("NONE.TXT")), "この日の振込データがありません。");
    EXPECT_NE(make(t.db, kCode, kDate, dir.file("missing/BANK.TXT")), "");
    EXPECT_EQ(createdFiles(t.db).size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing")));

    // A second making is recorded beside the first, newest first.
    ASSERT_EQ(make(t.db, kCode, kDate, dir.file("AGAIN.TXT")), "");
    ASSERT_EQ(createdFiles(t.db, kCode, kDate).size(), 2u);
    EXPECT_EQ(lastCreatedFile(t.db, kCode, kDate)->path, dir.file("AGAIN.TXT"));
    EXPECT_EQ(createdFilesWithHash(t.db, f.sha256).size(), 2u); // the same bytes twice
}

TEST(FileHistory, TheFileOnDiskAndTheDataAreHeldAgainstTheRecord)
{
    OutputDb t;
    t.addConsignor(kCode);
    t.import(kDate, 1, kCode, {transferTo("1111111", 30000)});
    TempDir dir;
    ASSERT_EQ(make(t.db, kCode, kDate, dir.file("BANK.TXT")), "");
    const CreatedFile f = *lastCreatedFile(t.db, kCode, kDate);
    test::writeBytes(dir.file("BANK.TXT"), test::readBytes(dir.file("BANK.TXT")) + " ");
    EXPECT_EQ(recordStateText(recordState(t.db, f)), "ファイルが異なる");
    std::filesystem::remove(dir.file("BANK.TXT"));
    EXPECT_EQ(recordStateText(recordState(t.db, f)), "ファイルなし");
    ASSERT_EQ(make(t.db, kCode, kDate, dir.file("BANK.TXT")), "");
    t.import(kDate, 2, kCode, {transferTo("3333333", 1000)});
    EXPECT_EQ(recordStateText(recordState(t.db, *lastCreatedFile(t.db, kCode, kDate))), "変更あり");
    const DayFileState state = dayFileState(t.db, kCode, kDate);
    EXPECT_EQ(state.state, DayState::ChangedSince);
    EXPECT_EQ(dayStateText(state), "作成後に変更あり（" + createdMinute(*state.last) + "）");
}

TEST(FileHistory, AChangeOfTheLinesOfAMadeDayIsSaidAndOthersAreNot)
{
    // Two made days of one consignor, a made day of another.
    TempDir dir;
    sql::Database db;
    test::openOwnDatabase(db);
    ScriptedMessageBoxes boxes;
    testdata::RecordingProgress progress;
    ImportEngine engine(db, nullptr, boxes, progress);
    StaleFileWatcher watcher(db, boxes);
    engine.setLinesWatcher(&watcher);
    auto fileOf = [&](const std::string &name, const testdata::HeaderSpec &h, const std::string &account) {
        testdata::DataSpec d;
        d.account = account;
        testdata::writeFile(dir.file(name), testdata::header(h) + testdata::data(d)
                                                + testdata::trailer("000001", "000000012345") + testdata::end());
        return dir.file(name);
    };
    testdata::HeaderSpec late;
    late.mmdd = "0125";
    testdata::HeaderSpec other;
    other.consignorCode = kOther;
    ASSERT_EQ(engine.ImportTransferFile(fileOf("a.txt", {}, "1111111"), 1, kDate, kDate), ImportEngine::Outcome::Stored);
    ASSERT_EQ(engine.ImportTransferFile(fileOf("b.txt", late, "2222222"), 1, kOtherDate, kDate),
              ImportEngine::Outcome::Stored);
    ASSERT_EQ(engine.ImportTransferFile(fileOf("c.txt", other, "1111111"), 2, kDate, kDate),
              ImportEngine::Outcome::Stored);
    ASSERT_EQ(make(db, kCode, kDate, dir.file("A.TXT")), "");
    ASSERT_EQ(make(db, kCode, kOtherDate, dir.file("B.TXT")), "");
    ASSERT_EQ(make(db, kOther, kDate, dir.file("C.TXT")), "");
    const CreatedFile madeA = *lastCreatedFile(db, kCode, kDate);
    ASSERT_TRUE(boxes.empty());

    // An import of another facility on the made day: said, after the import.
    ASSERT_EQ(engine.ImportTransferFile(fileOf("d.txt", {}, "3333333"), 3, kDate, kDate), ImportEngine::Outcome::Stored);
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(boxes.last().text, staleSentence(madeA));
    EXPECT_EQ(boxes.last().text, "作成済みの振込データ（" + createdMinute(madeA) + "）" + kStale);
    EXPECT_EQ(boxes.last().icon, MessageIcon::Warning);

    // Made again, then the import deleted: said again.
    ASSERT_EQ(make(db, kCode, kDate, dir.file("A2.TXT")), "");
    boxes.clear();
    ASSERT_TRUE(engine.DeleteImport(3, kDate));
    ASSERT_EQ(boxes.count(), 2u);
    EXPECT_EQ(boxes.shown()[0].text, "削除しました。");
    EXPECT_NE(boxes.last().text.find(kStale), std::string::npos);

    // A change already said is not said twice; a change that brings the data
    // back to the made file says nothing.
    ASSERT_EQ(make(db, kCode, kDate, dir.file("A3.TXT")), "");
    boxes.clear();
    ASSERT_TRUE(engine.DeleteImport(1, kOtherDate)); // only the other date
    ASSERT_EQ(boxes.count(), 2u);
    EXPECT_NE(boxes.last().text.find(kStale), std::string::npos); // the other date's file
    boxes.clear();
    testdata::HeaderSpec otherLate = other;
    otherLate.mmdd = "0125";
    ASSERT_EQ(engine.ImportTransferFile(fileOf("c2.txt", otherLate, "4444444"), 5, kOtherDate, kDate),
              ImportEngine::Outcome::Stored); // another consignor's day without a file
    EXPECT_TRUE(boxes.empty());

    // A recipient's fee category: only the made days whose lines it changes.
    const auto setCategory = [&](const std::string &consignor, int64_t category) {
        const auto shown = masters::findRecipient(db, consignor, 5, 123, "1111111");
        masters::saveRecipientFee(db, consignor, 5, 123, "1111111", {shown->category, shown->threshold},
                                  {category, 0});
    };
    setCategory(kCode, 1); // outside any watch: the data as made
    ASSERT_EQ(make(db, kCode, kDate, dir.file("A4.TXT")), "");
    boxes.clear();
    changeWatched(&watcher, kCode, std::nullopt,
                  [&] { setCategory(kCode, 0); });
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(boxes.last().text, staleSentence(*lastCreatedFile(db, kCode, kDate)));
    // The other consignor's recipient of the same account: nothing of this consignor's.
    ASSERT_EQ(make(db, kCode, kDate, dir.file("A5.TXT")), "");
    boxes.clear();
    changeWatched(&watcher, kOther, std::nullopt,
                  [&] { setCategory(kOther, 1); });
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(boxes.last().text, staleSentence(*lastCreatedFile(db, kOther, kDate)));

    // A fee table: every made day of the consignor, each named by its date.
    ASSERT_EQ(engine.ImportTransferFile(fileOf("b2.txt", late, "2222222"), 1, kOtherDate, kDate),
              ImportEngine::Outcome::Stored);
    ASSERT_EQ(make(db, kCode, kDate, dir.file("A6.TXT")), "");
    ASSERT_EQ(make(db, kCode, kOtherDate, dir.file("B2.TXT")), "");
    boxes.clear();
    std::optional<ConsignorRow> row = loadConsignorRow(db, kCode);
    const ConsignorRow shown = *row;
    row->telegraphicFees[2][1] = 999;
    changeWatched(&watcher, kCode, std::nullopt, [&] { masters::saveFeeTable(db, shown, *row); });
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(boxes.last().text, "振込依頼日 2008/01/15：" + staleSentence(*lastCreatedFile(db, kCode, kDate))
                                     + "\n\r振込依頼日 2008/01/25：" + staleSentence(*lastCreatedFile(db, kCode, kOtherDate)));
}

TEST(FileHistory, AnOlderDatabaseGainsTheRecord)
{
    TempDir dir;
    sql::Database db;
    test::openOwnDatabase(db);
    db.exec("DROP TABLE T_作成履歴");
    db.setSchemaVersion(2);
    EXPECT_EQ(schema::schemaProblem(db), "");
    schema::upgrade(db);
    EXPECT_TRUE(db.hasTable("T_作成履歴"));
    EXPECT_EQ(db.schemaVersion(), schema::kSchemaVersion);
    EXPECT_TRUE(createdFiles(db).empty());
}

TEST(Sha256, KnownDigests)
{
    EXPECT_EQ(sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    Sha256 pieces;
    const std::string million(1000000, 'a');
    for (size_t i = 0; i < million.size(); i += 997)
        pieces.add(std::string_view(million).substr(i, 997));
    EXPECT_EQ(pieces.hex(), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}
