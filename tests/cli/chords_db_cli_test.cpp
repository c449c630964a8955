#include <gtest/gtest.h>

#include <sstream>

#include "cli/commands.h"
#include "database/song_database.h"
#include "platform/cp932.h"
#include "support/song_builder.h"
#include "support/cli_run.h"

namespace plume {
namespace {

using namespace test;

std::string sjis(std::string_view utf8) { return platform::utf8ToCp932(utf8).value(); }

using ChordsDbCli = CliTest;

TEST_F(ChordsDbCli, ChordsPrintsTheThreeListsOfARange) {
    std::vector<SongRecord> records;
    addGroup(records, {rest(9)});                                     // 0
    addGroup(records, {note(3, 48), note(3, 64)});                    // 1: C and E
    addGroup(records, {note(3, 67), effectValue(effect::kVolume, 9)});  // 3: G
    addGroup(records, {barLine()});                                   // 5
    addGroup(records, {note(2, 71)});                                 // 6: B
    const std::string path = dir.write("c.PLM", serializeSong(songOf(records))).string();

    const CliRun seventh = run({"chords", path, "--from", "1", "--to", "6"});
    ASSERT_EQ(seventh.status, 0) << seventh.err;
    EXPECT_TRUE(seventh.out.starts_with("1 CM7\n2 C E G C7 E7 G7 A7 EM7 FM7 ")) << seventh.out;
    EXPECT_EQ(std::count(seventh.out.begin(), seventh.out.end(), '\n'), 3);
    EXPECT_NE(seventh.out.find("\n3 "), std::string::npos);

    const CliRun triad = run({"chords", path, "--to", "3", "--from", "1"});
    EXPECT_TRUE(triad.out.starts_with("1\n2 C ")) << triad.out;
    EXPECT_EQ(run({"chords", path, "--from", "0", "--to", "0"}).out, "1\n2\n3\n");

    EXPECT_EQ(run({"chords", path, "--from", "2", "--to", "6"}).status, 1);  // inside a group
    EXPECT_EQ(run({"chords", path, "--from", "x", "--to", "1"}).status, 1);
}

TEST_F(ChordsDbCli, DbListsAndSearchesRecords) {
    const std::vector<DbRecord> records = {
        DbRecord::of("a.PLM", "pop", "first"),
        DbRecord::of(sjis("曲.PLM"), sjis("ジャズ"), sjis("メモ")),
        DbRecord::of("c.PLM", "pops", ""),
    };
    const std::string path = dir.write("d.QDB", serializeDatabase(records)).string();

    const CliRun list = run({"db", path});
    EXPECT_EQ(list.status, 0);
    EXPECT_EQ(list.out,
              "count 3\n"
              "0\ta.PLM\tpop\tfirst\n"
              "1\t曲.PLM\tジャズ\tメモ\n"
              "2\tc.PLM\tpops\t\n");

    EXPECT_EQ(run({"db", path, "--find", "category", "ャズ"}).out, "1\n");
    EXPECT_EQ(run({"db", path, "--find", "category", "pop", "--from", "0"}).out, "2\n");
    EXPECT_EQ(run({"db", path, "--find", "category", "pops", "--exact"}).out, "2\n");
    EXPECT_EQ(run({"db", path, "--find", "file", "a.", "--backward", "--from", "1"}).out, "0\n");
    const CliRun miss = run({"db", path, "--find", "memo", "first", "--from", "0"});
    EXPECT_EQ(miss.status, 1);
    EXPECT_NE(miss.err.find("検索条件と一致するレコードはありません。"), std::string::npos);
}

}  // namespace
}  // namespace plume
