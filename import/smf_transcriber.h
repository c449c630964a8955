#pragma once
// A Standard MIDI File read into songs: one song per channel that has notes (per track and channel
// in format 1), quantised to the song model's lengths. A file written by our own MIDI export is
// recognised (its header track, reset message and leading rest bar) and read on the exporter's own
// grid, so that exporting the songs again with the same options gives the same file.

#include <cstdint>
#include <string>
#include <vector>

#include "export/export_project.h"
#include "import/smf_reader.h"
#include "song/song_record.h"

namespace plume {

// How a tie is checked against the ticks of our own files: the reference is kept for the test
// that shows the default gives the same songs.
enum class TieCheck {
    PartByPart,  // the reference: each part laid out on the clock at its own start
    OneClock,    // a tie under no clock change counted on one clock, from ticks kept per value
};

struct ImportOptions {
    int grid = 16;          // finest straight length: 32, 16 or 8
    bool triplets = true;   // a beat whose onsets fit triplets better is written as triplets
    TieCheck ties = TieCheck::OneClock;
};

struct ImportedSong {
    std::vector<SongRecord> records;
    SongInfo info = SongInfo::defaults();
    std::string name;       // the track name (CP932 bytes as stored), or empty
    int track = 0;          // file track it came from
    int channel = 0;        // MIDI channel 0-15
    int slot = -1;          // project track 0-15 it belongs on; -1 when there is no room
    int part = 0;           // 0, or 1.. for the continuations of a channel split at the record limit
};

struct ImportedMusic {
    std::vector<ImportedSong> songs;
    std::string title;      // CP932 bytes, at most 40
    int tempo = 120;
    std::uint8_t key = 0;
    std::uint8_t numerator = 4;
    std::uint8_t denominatorPower = 2;
    // Recognised as our own export: the options that file was written with.
    bool ownExport = false;
    int format = 1;
    std::uint32_t timeBase = 96;
    int reset = 2;          // DeviceReset: 0 GM System ON, 1 GS Reset, 2 none
    bool restBar = false;
    std::vector<std::string> notices;  // what the user should be told (UTF-8)
    std::string error;      // why nothing was read from a file that is otherwise sound (UTF-8)
};

// A file recognised as our own export whose songs do not export to its events again is read
// again other ways, voice by voice, and the reading that gives a voice back kept.
ImportedMusic transcribeSmf(const SmfFile& file, const ImportOptions& options = {});

// The songs as the exporters see a project: each on the track it was given, settings from the file.
ExportProject exportProjectOf(const ImportedMusic& music);

}  // namespace plume
