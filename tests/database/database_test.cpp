#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "database/database_session.h"
#include "platform/cp932.h"
#include "platform/message_box.h"
#include "platform/profile.h"
#include "platform/seed_corpus.h"
#include "support/scripted_file_dialog.h"
#include "support/temp_dir.h"

namespace plume {
namespace {

namespace fs = std::filesystem;
using platform::Answer;

std::string sjis(std::string_view utf8) { return platform::utf8ToCp932(utf8).value(); }

DbRecord numbered(std::size_t i) {
    return DbRecord::of("C:\\songs\\" + std::to_string(i) + ".PLM", sjis("分類") + std::to_string(i % 7),
                        sjis("メモ") + std::to_string(i));
}

class RecordingHost : public DatabaseHost {
public:
    std::vector<fs::path> opened, played;
    int stops = 0;
    bool openSong(const fs::path& path) override {
        opened.push_back(path);
        return true;
    }
    bool playFile(const fs::path& path) override {
        played.push_back(path);
        return true;
    }
    void stopPlay() override { ++stops; }
};

class Database : public testing::Test {
protected:
    test::TempDir dir;
    platform::ScriptedMessageBox messages;
    platform::MemoryProfile profile;
    test::ScriptedFileDialog dialogs;
    RecordingHost host;

    DatabaseSession session() { return DatabaseSession(profile, dialogs, host); }
    fs::path saved(std::size_t count, const std::string& name = "a.QDB") {
        std::vector<DbRecord> records;
        for (std::size_t i = 0; i < count; ++i) records.push_back(numbered(i));
        EXPECT_TRUE(writeDatabase(dir / name, records));
        return dir / name;
    }
};

TEST_F(Database, AThousandRecordsSaveAndReopenByteForByte) {
    DatabaseSession s = session();
    for (std::size_t i = 0; i < kDbCapacity; ++i) {
        s.select(i);
        ASSERT_TRUE(s.add(numbered(i)));
    }
    EXPECT_FALSE(s.add(numbered(0)));  // full: refused without a message
    EXPECT_EQ(s.database().count(), kDbCapacity);
    dialogs.answers = {dir / "all.QDB"};
    ASSERT_TRUE(s.save());
    EXPECT_FALSE(s.database().modified());

    const auto bytes = platform::readFile(dir / "all.QDB").value();
    ASSERT_EQ(bytes.size(), 8 + 1000u * 322);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 8),
              (std::vector<std::uint8_t>{'Q', 'D', 'B', 0, 10, 0, 0xE8, 0x03}));
    DatabaseSession reopened = session();
    ASSERT_TRUE(reopened.openPath(dir / "all.QDB"));
    EXPECT_EQ(serializeDatabase(reopened.database().records()), bytes);
    EXPECT_EQ(reopened.database().record(999), numbered(999));
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(Database, RefusedFilesLeaveTheOpenDatabaseAlone) {
    DatabaseSession s = session();
    ASSERT_TRUE(s.openPath(saved(3)));
    s.select(2);
    const auto before = serializeDatabase(s.database().records());

    auto full = platform::readFile(saved(5, "five.QDB")).value();
    full.resize(full.size() - 1);
    const fs::path shortFile = dir.write("short.QDB", full);
    full[0] = 'X';
    const fs::path foreign = dir.write("foreign.QDB", full);
    const std::pair<fs::path, std::string> refusals[] = {{shortFile, "バージョンが違います。"},
                                                         {foreign, "Plumeのデータベースファイルではありません。"},
                                                         {dir / "missing.QDB", "ファイルが読めません。"}};
    for (const auto& [path, why] : refusals) {
        EXPECT_FALSE(s.openPath(path));
        EXPECT_EQ(messages.shown().back(), path.string() + "\n" + why);
        EXPECT_EQ(serializeDatabase(s.database().records()), before);
        EXPECT_EQ(s.path(), dir / "a.QDB");
        EXPECT_EQ(s.current(), 2u);
    }

    // A header alone, half a magic and a count past the capacity are refused the same way.
    EXPECT_EQ(parseDatabase(std::vector<std::uint8_t>{'Q', 'D', 'B', 0, 10}).status, DbReadStatus::WrongVersion);
    EXPECT_EQ(parseDatabase(std::vector<std::uint8_t>{'Q', 'D'}).status, DbReadStatus::NotDatabase);
    std::vector<std::uint8_t> huge = serializeDatabase(std::vector<DbRecord>(kDbCapacity));
    huge.resize(huge.size() + kDbRecordSize);
    huge[6] = 0xE9;  // 1001 records announced and present
    EXPECT_EQ(parseDatabase(huge).status, DbReadStatus::WrongVersion);
}

TEST_F(Database, SavingAsksAndFailsWithoutLosingTheChanges) {
    DatabaseSession s = session();
    s.add(numbered(1));
    messages.script({Answer::Cancel});
    s.newDatabase();  // cancelled: the record stays
    EXPECT_EQ(s.database().count(), 1u);
    EXPECT_EQ(messages.shown().back(), "UNTITLED\nデータは変更されました。保存しますか？");

    const fs::path nowhere = dir / "no-such-folder" / "x.QDB";
    dialogs.answers = {nowhere, nowhere};
    EXPECT_FALSE(s.save());
    EXPECT_EQ(messages.shown().back(), nowhere.string() + "\nファイルが作成できません。");
    EXPECT_TRUE(s.database().modified());
    EXPECT_TRUE(s.untitled());
    messages.script({Answer::Yes});  // a wanted save that fails keeps the window
    EXPECT_FALSE(s.close());

    dialogs.answers = {dir / "x.QDB"};
    ASSERT_TRUE(s.saveAs());
    EXPECT_EQ(s.title(), "PlumeＤＢ - " + (dir / "x.QDB").string());
    s.search().field = DbField::Memo;
    s.search().method = DbMatch::Exact;
    s.search().remember(sjis("メモ1"));
    s.search().remember("old");
    EXPECT_TRUE(s.close());
    EXPECT_EQ(profile.getString("Data Base", "DB File", ""), (dir / "x.QDB").string());

    DatabaseSession next = session();
    EXPECT_EQ(std::tuple(next.path(), next.database().count(), next.search().field, next.search().method),
              std::tuple(dir / "x.QDB", 1u, DbField::Memo, DbMatch::Exact));
    EXPECT_EQ(next.search().history, (std::vector<std::string>{"old", sjis("メモ1")}));
}

TEST_F(Database, RecordDialogCountsHalfWidthBytes) {
    RecordForm form{"song.PLM", std::string(20, 'c'), std::string(40, 'm')};
    EXPECT_EQ(form.problem(), std::nullopt);
    EXPECT_EQ(std::tuple(form.record().category(), form.record().memo()),
              std::tuple(std::string(20, 'c'), std::string(40, 'm')));
    form.category = "ジャズ・スタンダード" "A";  // ten double-byte characters and one: 21
    EXPECT_EQ(form.problem(), "分類は半角で数えて20文字以内にして下さい。");
    form.category = "ジャズ・スタンダード";
    EXPECT_EQ(form.problem(), std::nullopt);
    EXPECT_EQ(form.record().category(), sjis("ジャズ・スタンダード"));
    form.memo = std::string(41, 'm');
    EXPECT_EQ(form.problem(), "メモは半角で数えて40文字以内にして下さい。");

    // A stored field never ends in half a character.
    DbRecord r;
    r.setField(DbField::Category, std::string(19, 'x') + sjis("譜"));
    EXPECT_EQ(r.category(), std::string(19, 'x'));
    EXPECT_EQ(RecordForm::of(DbRecord::of(sjis("曲.PLM"), "", "")).fileName, "曲.PLM");
}

TEST_F(Database, PartialSearchStartsOnlyAtCharacters) {
    // "ｃア" is 82 83 83 41: its middle bytes 83 83 spell "ャ".
    const std::string field = sjis("ｃア");
    const std::string ya = sjis("ャ");
    ASSERT_EQ(field.find(ya), 1u);
    EXPECT_FALSE(fieldMatches(field, ya, DbMatch::Partial));
    EXPECT_TRUE(fieldMatches(field, sjis("ア"), DbMatch::Partial));
    EXPECT_FALSE(fieldMatches("abc", "bc", DbMatch::Exact));
    EXPECT_FALSE(fieldMatches("abc", "", DbMatch::Partial));

    std::vector<DbRecord> records = {DbRecord::of("a.PLM", field, ""), DbRecord::of("b.PLM", "pop", ya),
                                     DbRecord::of("c.PLM", sjis("ャ"), ""), DbRecord::of("d.PLM", "pops", "")};
    EXPECT_EQ(searchRecords(records, kBeforeFirst, DbField::Category, DbMatch::Partial, ya, true), 2u);
    EXPECT_EQ(searchRecords(records, 0, DbField::FileName, DbMatch::Partial, "a.", true), std::nullopt);
    EXPECT_EQ(searchRecords(records, 3, DbField::Category, DbMatch::Exact, "pop", false), 1u);
    EXPECT_EQ(searchRecords(records, 1, DbField::Category, DbMatch::Exact, "pop", false), std::nullopt);
    EXPECT_EQ(searchRecords(records, 1, DbField::Category, DbMatch::Partial, "pop", true), 3u);
}

TEST_F(Database, CommandsFollowTheCurrentRecord) {
    DatabaseSession s = session();
    ASSERT_TRUE(s.add(DbRecord::of("", "only", "")));
    EXPECT_FALSE(s.add(DbRecord{}));  // all three fields empty
    for (DbCommand c : {DbCommand::Edit, DbCommand::Delete, DbCommand::Send}) EXPECT_TRUE(s.enabled(c));

    EXPECT_FALSE(s.send());  // no file name
    s.play();
    EXPECT_EQ(messages.shown(), (std::vector<std::string>{"ファイル名がありません。", "ファイル名がありません。"}));
    EXPECT_TRUE(host.opened.empty() && host.played.empty());

    messages.script({Answer::No});
    EXPECT_FALSE(s.deleteCurrent());
    EXPECT_EQ(messages.shown().back(), "ﾚｺｰﾄﾞNo1を削除します。\nよろしいですか？");
    messages.script({Answer::Yes});
    EXPECT_TRUE(s.deleteCurrent());
    EXPECT_EQ(s.database().count(), 0u);
    for (DbCommand c : {DbCommand::Edit, DbCommand::Delete, DbCommand::Send}) EXPECT_FALSE(s.enabled(c));

    s.add(DbRecord::of("z.PLM", "pop", ""));
    s.add(DbRecord::of(sjis("曲.PLM"), "jazz", ""));  // inserted before: now record 0
    s.search().text = "pop";
    EXPECT_TRUE(s.find(true));
    EXPECT_EQ(s.current(), 1u);
    EXPECT_FALSE(s.find(false));
    EXPECT_EQ(messages.shown().back(), "検索条件と一致するレコードはありません。");
    EXPECT_EQ(s.current(), 1u);

    s.select(0);
    EXPECT_TRUE(s.send());
    EXPECT_EQ(host.opened, std::vector<fs::path>{fs::path("曲.PLM")});
    s.play();
    EXPECT_TRUE(s.playing());
    s.playEnded();
    EXPECT_FALSE(s.playing());
    s.play();
    s.stop();
    EXPECT_EQ(host.stops, 1);
    EXPECT_FALSE(s.playing());
    s.select(2);  // the place after the last record
    EXPECT_FALSE(s.enabled(DbCommand::Send));
    EXPECT_TRUE(s.enabled(DbCommand::Last));
    s.add(DbRecord::of("end.PLM", "", ""));
    EXPECT_EQ(s.database().record(2).fileName(), "end.PLM");
}

// Database files of the shapes that matter; with PLUME_FUZZ_SEED_DIR set, the reader's seed corpus.
TEST(FuzzSeeds, EveryDatabaseParses) {
    const std::vector<DbRecord> few = {DbRecord::of("C:\\music\\a.PLM", "pop", "first"),
                                       DbRecord::of("\x8B\xC8.PLM", "\x83\x57\x83\x83\x83\x59", "\x83\x81\x83\x82"),
                                       DbRecord::of("", "", "memo only")};
    auto oldVersion = serializeDatabase(few);
    oldVersion[4] = 9;
    const std::map<std::string, std::vector<std::uint8_t>> seeds = {
        {"empty", serializeDatabase({})},
        {"few", serializeDatabase(few)},
        {"many", serializeDatabase(std::vector<DbRecord>(250, few[0]))},
        {"version9", oldVersion},
    };
    for (const auto& [name, bytes] : seeds) {
        const DbReadResult read = parseDatabase(bytes);
        EXPECT_TRUE(read.ok()) << name;
        EXPECT_EQ(read.records.size() * kDbRecordSize + kDbHeaderSize, bytes.size()) << name;
        EXPECT_TRUE(test::writeSeed("fuzz_database_reader", name + ".QDB", bytes)) << name;
    }
}

}  // namespace
}  // namespace plume
