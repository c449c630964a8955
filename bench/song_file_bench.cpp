// The song file at the size a document can reach: 19,999 records.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/message_box.h"
#include "song/song_file.h"
#include "song/song_timing.h"
#include "support/song_builder.h"

namespace plume {
namespace {

constexpr std::size_t kBenchRecords = 19999;

const SongData& benchSong() {
    static const SongData song = test::songOf(test::filledSong(kBenchRecords));
    return song;
}

// A folder of its own for the file benchmarks, removed when the process ends.
class BenchDir {
public:
    BenchDir() : m_path(std::filesystem::temp_directory_path() / ("plume-bench-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(m_path);
    }
    ~BenchDir() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    std::filesystem::path file(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

const BenchDir& benchDir() {
    static const BenchDir dir;
    return dir;
}

void setBytes(benchmark::State& state) {
    state.SetBytesProcessed(std::int64_t(state.iterations()) *
                            std::int64_t(kSongHeaderSize + kRecordSize * kBenchRecords));
}

void parse19999(benchmark::State& state) {
    const std::vector<std::uint8_t> bytes = serializeSong(benchSong());
    for (auto _ : state) {
        SongReadResult read = parseSong(bytes);
        if (!read.ok()) state.SkipWithError("the song did not parse");
        benchmark::DoNotOptimize(read);
    }
    setBytes(state);
    state.SetLabel("in-memory part of a read");
}
BENCHMARK(parse19999)->Name("SongFile/Parse19999")->Unit(benchmark::kMicrosecond);

void serialize19999(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<std::uint8_t> bytes = serializeSong(benchSong());
        benchmark::DoNotOptimize(bytes);
    }
    setBytes(state);
    state.SetLabel("in-memory part of a write");
}
BENCHMARK(serialize19999)->Name("SongFile/Serialize19999")->Unit(benchmark::kMicrosecond);

void read19999(benchmark::State& state) {
    const auto path = benchDir().file("read.PLM");
    if (!writeSong(path, benchSong())) state.SkipWithError("cannot write the song file");
    for (auto _ : state) {
        SongReadResult read = readSong(path);
        if (!read.ok()) state.SkipWithError("the song file did not read");
        benchmark::DoNotOptimize(read);
    }
    setBytes(state);
    state.SetLabel("goal < 5 ms");
}
BENCHMARK(read19999)->Name("SongFile/Read19999")->Unit(benchmark::kMicrosecond);

// Saving includes the flush to disk that keeps the previous file safe.
void write19999(benchmark::State& state) {
    const auto path = benchDir().file("write.PLM");
    for (auto _ : state) {
        if (!writeSong(path, benchSong())) state.SkipWithError("cannot write the song file");
    }
    setBytes(state);
    state.SetLabel("goal < 5 ms");
}
BENCHMARK(write19999)->Name("SongFile/Write19999")->Unit(benchmark::kMicrosecond);

// A layout-24 file of 2,000 old chords, each becoming a group of three notes.
void convertLayout24(benchmark::State& state) {
    test::OldRecord chord(120, 3);
    for (int key : {60, 64, 67}) chord.setKey(key);
    std::vector<std::uint8_t> image = test::layout24({chord});
    const std::vector<std::uint8_t> one(image.end() - 128, image.end());
    constexpr std::uint16_t kOldRecords = 2000;
    for (int i = 1; i < kOldRecords; ++i) image.insert(image.end(), one.begin(), one.end());
    image[6] = std::uint8_t(kOldRecords & 0xFF);
    image[7] = std::uint8_t(kOldRecords >> 8);
    for (auto _ : state) {
        SongReadResult read = parseSong(image);
        if (!read.ok()) state.SkipWithError("the old song did not convert");
        benchmark::DoNotOptimize(read);
    }
    state.SetItemsProcessed(std::int64_t(state.iterations()) * kOldRecords);
}
BENCHMARK(convertLayout24)->Name("SongFile/ConvertLayout24x2000")->Unit(benchmark::kMicrosecond);

// The walk every player and exporter makes: each group measured at 48 ticks per quarter note.
void durationWalk19999(benchmark::State& state) {
    const Records records(benchSong().records);
    for (auto _ : state) {
        DurationRule rule(192);
        std::uint64_t ticks = 0;
        for (std::size_t g = 0; g < records.size(); g = nextGroup(records, g)) ticks += rule.groupLength(records, g);
        benchmark::DoNotOptimize(ticks);
    }
    state.SetItemsProcessed(std::int64_t(state.iterations()) * std::int64_t(kBenchRecords));
}
BENCHMARK(durationWalk19999)->Name("SongFile/DurationWalk19999")->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace plume
