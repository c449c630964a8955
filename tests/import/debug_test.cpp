#include <gtest/gtest.h>
#include <cstdlib>
#include <fstream>
#include "export/export_fixture.h"
#include "export/midi_file_writer.h"
#include "import/midi_import.h"
#include "song/song_file.h"
namespace plume { test::TestProject generatedProjectForDebug(std::uint32_t seed); }
namespace plume { namespace {
TEST(Debug, Dump) {
    const char* s = std::getenv("SEED"); if (!s) return;
    const test::TestProject p = generatedProjectForDebug(std::uint32_t(std::atoi(s)));
    MidiExportOptions o; o.format = std::atoi(std::getenv("FMT")); o.timeBase = std::uint32_t(std::atoi(std::getenv("TB"))); o.restBar = false; o.reset = DeviceReset::None;
    auto a = buildMidiFile(p.view(), o);
    auto music = transcribeSmf(readSmf(a));
    auto b = buildMidiFile(exportProjectOf(music), o);
    std::ofstream("/tmp/dbg/a.mid", std::ios::binary).write((const char*)a.data(), long(a.size()));
    std::ofstream("/tmp/dbg/b.mid", std::ios::binary).write((const char*)b.data(), long(b.size()));
    for (int i = 0; i < 16; ++i) if (!p.songs[i].empty()) { SongData d; d.records = p.songs[i]; d.info = p.infos[i]; writeSong("/tmp/dbg/o" + std::to_string(i) + ".PLM", d); }
    for (auto& song : music.songs) { SongData d; d.records = song.records; d.info = song.info; writeSong("/tmp/dbg/i" + std::to_string(song.slot) + ".PLM", d); }
}
}}
