// Database files of the shapes that matter; with PLUME_FUZZ_SEED_DIR set, the reader's seed corpus.
#include <gtest/gtest.h>

#include <map>

#include "database/song_database.h"
#include "platform/seed_corpus.h"

namespace plume {
namespace {

std::map<std::string, std::vector<std::uint8_t>> seedFiles() {
    std::vector<DbRecord> few = {DbRecord::of("C:\\music\\a.PLM", "pop", "first"),
                                 DbRecord::of("\x8B\xC8.PLM", "\x83\x57\x83\x83\x83\x59", "\x83\x81\x83\x82"),
                                 DbRecord::of("", "", "memo only")};
    std::vector<DbRecord> many(250, few[0]);
    auto oldVersion = serializeDatabase(few);
    oldVersion[4] = 9;
    return {
        {"empty", serializeDatabase({})},
        {"few", serializeDatabase(few)},
        {"many", serializeDatabase(many)},
        {"version9", oldVersion},
    };
}

TEST(FuzzSeeds, EveryDatabaseParses) {
    for (const auto& [name, bytes] : seedFiles()) {
        const DbReadResult read = parseDatabase(bytes);
        EXPECT_TRUE(read.ok()) << name;
        EXPECT_EQ(read.records.size() * kDbRecordSize + kDbHeaderSize, bytes.size()) << name;
        EXPECT_TRUE(test::writeSeed("fuzz_database_reader", name + ".QDB", bytes)) << name;
    }
}

}  // namespace
}  // namespace plume
