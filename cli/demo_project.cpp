#include "cli/demo_project.h"

#include <cstring>
#include <initializer_list>
#include <system_error>

#include "platform/cp932.h"
#include "song/project.h"

namespace plume {

namespace {

namespace fs = std::filesystem;

// Note lengths by type.
constexpr std::uint8_t kWhole = 1, kHalf = 2, kQuarter = 3, kEighth = 4, k16th = 5, k32nd = 6;
constexpr std::uint8_t kDot = mark::kDotted, kDoubleDot = mark::kDoubleDotted;

// Appends groups to a song, one call a group.
class SongWriter {
public:
    SongWriter(std::uint8_t key, std::uint8_t fileKind, std::uint8_t program, std::int16_t tempo) {
        m_song.info = SongInfo::defaults();
        m_song.info.setKeySignature(key);
        m_song.info.setFileKind(fileKind);
        m_song.info.setTempo(tempo);
        m_song.info.setInitialProgram(program);
        m_program = program;
    }

    SongWriter& note(std::uint8_t type, std::uint8_t key, std::uint8_t dots = 0, std::uint8_t marks = 0,
                     std::uint8_t accidental = 0) {
        return chord(type, {key}, dots, marks, accidental);
    }
    // Keys highest first, as chords are stored.
    SongWriter& chord(std::uint8_t type, std::initializer_list<std::uint8_t> keys, std::uint8_t dots = 0,
                      std::uint8_t marks = 0, std::uint8_t accidental = 0) {
        startGroup();
        for (std::uint8_t key : keys)
            add({0, kind::kScore, std::uint8_t(type | dots), marks, accidental, key, 96, 0, 80, m_program});
        return *this;
    }
    SongWriter& rest(std::uint8_t type, std::uint8_t dots = 0) {
        startGroup();
        add({0, kind::kScore, std::uint8_t((type + 6) | dots), 0, 0, 0, 0, 0, 0, m_program});
        return *this;
    }
    SongWriter& bar() { return mark(type::kBarLine); }
    SongWriter& lineBreak() { return mark(type::kLineBreak); }
    SongWriter& keyChange(std::uint8_t key) {
        startGroup();
        add({0, kind::kMeta, meta::kKeySignature, 2, key, 0, 0, 0, 0, m_program});
        return *this;
    }
    SongWriter& timeChange(std::uint8_t numerator, std::uint8_t denominatorPower) {
        startGroup();
        add({0, kind::kMeta, meta::kTimeSignature, 4, denominatorPower, numerator, 0, 0, 0, m_program});
        return *this;
    }
    // Attached to the last group.
    SongWriter& effect(std::uint8_t number, std::uint8_t value) {
        add({0, kind::kEffect, number, value, 0, 0, 0, 0, 0, m_program});
        return *this;
    }
    SongWriter& lyric(const char* utf8) { return text(kind::kLyric, utf8); }
    SongWriter& chordName(const char* utf8) { return text(kind::kChordName, utf8); }

    // The last n groups become one tuplet of n.
    SongWriter& tuplet(std::uint8_t n) {
        for (std::size_t k = 0; k < n; ++k) {
            const std::size_t g = m_groups[m_groups.size() - n + k];
            const std::uint8_t position = k == 0 ? mark::kTupletFirst : k + 1 == n ? mark::kTupletLast : mark::kTupletInner;
            for (std::size_t r = g; r < m_song.records.size() && (r == g || m_song.records[r].groupSize() == 0); ++r)
                if (m_song.records[r].isScore()) m_song.records[r].setTuplet(std::uint8_t(position | n));
        }
        return *this;
    }

    SongData take() { return std::move(m_song); }

private:
    SongWriter& mark(std::uint8_t type) {
        startGroup();
        add({0, kind::kScore, type, 0, 0, 0, 0, 0, 0, m_program});
        return *this;
    }
    SongWriter& text(std::uint8_t textKind, const char* utf8) {
        const std::string bytes = platform::utf8ToCp932(utf8).value_or("");
        SongRecord r;
        r.setKind(textKind);
        r.setText(bytes);
        m_song.records.push_back(r);
        ++m_song.records[m_groups.back()].bytes[0];
        return *this;
    }
    void startGroup() { m_groups.push_back(m_song.records.size()); }
    void add(std::array<std::uint8_t, kRecordSize> bytes) {
        m_song.records.push_back(SongRecord{bytes});
        ++m_song.records[m_groups.back()].bytes[0];
    }

    SongData m_song;
    std::vector<std::size_t> m_groups;
    std::uint8_t m_program = 0;
};

constexpr std::uint8_t kTie = mark::kTieBegin, kTieEnd = mark::kTieEnd;

// A melody in G major with solfa lyrics and chord names; it turns to F major in 3/4 time.
SongData melody() {
    SongWriter w(1, 1, 73, 112);  // flute
    w.note(kQuarter, 67).effect(effect::kTempo, 112).effect(effect::kVolume, 100).lyric("ソ").chordName("G");
    w.note(kQuarter, 67).lyric("ソ").note(kQuarter, 74).lyric("レ").note(kQuarter, 74).lyric("レ").bar();
    w.note(kQuarter, 76).lyric("ミ").chordName("C").note(kQuarter, 76).lyric("ミ");
    w.note(kHalf, 74).lyric("レ").chordName("G").bar();
    w.note(kQuarter, 72).lyric("ド").chordName("C").note(kQuarter, 72).lyric("ド");
    w.note(kQuarter, 71).lyric("シ").chordName("G").note(kQuarter, 71).lyric("シ").bar();
    w.note(kQuarter, 69, kDot).lyric("ラ").chordName("D7").note(kEighth, 69).lyric("ラ");
    w.note(kHalf, 67).lyric("ソ").chordName("G").lineBreak();

    w.note(kEighth, 74).lyric("レ").chordName("G").note(kEighth, 76).note(kEighth, 74).tuplet(3);
    w.note(kQuarter, 72).lyric("ド").note(kHalf, 71).lyric("シ").bar();
    w.note(kQuarter, 73).lyric("ド").chordName("A7").note(kQuarter, 72, 0, 0, 3).lyric("ド");
    w.note(kHalf, 69, 0, kTie).lyric("ラ").chordName("D").bar();
    w.note(kQuarter, 69, 0, kTieEnd).note(k16th, 71).note(k16th, 72).note(kEighth, 74);
    w.note(kQuarter, 79, kDot).lyric("ソ").chordName("Em").note(kEighth, 78).lyric("ファ").bar();
    w.note(kWhole, 79).lyric("ソ").chordName("G").lineBreak();

    w.keyChange(8).timeChange(3, 2);
    w.note(kQuarter, 65).lyric("ファ").chordName("F").note(kQuarter, 69).lyric("ラ").note(kQuarter, 72).lyric("ド").bar();
    w.note(kHalf, 70, kDot).lyric("シ").chordName("B♭").bar();
    w.note(kQuarter, 72).lyric("ド").chordName("C7").note(kQuarter, 71).lyric("シ").note(kQuarter, 72).lyric("ド").bar();
    w.note(kHalf, 65, kDot).lyric("ファ").chordName("F");
    return w.take();
}

// The bass line under the melody: a bass staff of its own.
SongData bass() {
    SongWriter w(1, 1, 32, 112);  // acoustic bass
    w.note(kHalf, 43).effect(effect::kVolume, 90).note(kHalf, 50).bar();
    w.note(kHalf, 48).note(kHalf, 43).bar();
    w.note(kHalf, 45).note(kHalf, 43).bar();
    w.note(kHalf, 38, kDot).rest(kQuarter).lineBreak();
    w.note(kQuarter, 43).rest(kQuarter).note(kHalf, 47).bar();
    w.note(kHalf, 45).note(kHalf, 38, 0, kTie).bar();
    w.note(kHalf, 38, 0, kTieEnd).note(kHalf, 40).bar();
    w.note(kWhole, 43).lineBreak();
    w.keyChange(8).timeChange(3, 2);
    w.note(kHalf, 41, kDot).bar();
    w.note(kHalf, 46, kDot).bar();
    w.note(kHalf, 48).rest(kQuarter).bar();
    w.note(kHalf, 41, kDot);
    return w.take();
}

// Chords across both staves: a grand staff, with clustered heads where the chord holds a second.
SongData piano() {
    SongWriter w(1, 1, 0, 112);  // piano
    w.chord(kWhole, {71, 67, 62, 55, 43}).effect(effect::kVolume, 80).bar();
    w.chord(kHalf, {76, 72, 67, 48}).chord(kHalf, {74, 71, 67, 43}).bar();
    w.chord(kQuarter, {72, 69, 64, 45}).chord(kQuarter, {72, 67, 64, 48});
    w.chord(kHalf, {71, 67, 62, 43}).bar();
    w.chord(kHalf, {72, 69, 66, 50}, kDot).chord(kQuarter, {72, 70, 69, 38}).lineBreak();
    w.chord(kWhole, {74, 71, 67, 43}, 0, kTie).bar();
    w.chord(kHalf, {74, 71, 67, 43}, 0, kTieEnd).chord(kHalf, {76, 74, 69, 45}).bar();
    w.chord(kHalf, {73, 69, 64, 57, 45}).chord(kQuarter, {74, 69, 66, 50}).rest(kQuarter).bar();
    w.chord(kWhole, {79, 74, 71, 55, 43}).lineBreak();
    w.keyChange(8).timeChange(3, 2);
    w.chord(kHalf, {72, 69, 65, 41}, kDot).bar();
    w.chord(kHalf, {74, 70, 65, 46}, kDot).bar();
    w.chord(kHalf, {72, 70, 67, 48}).chord(kQuarter, {72, 70, 64, 48}).bar();
    w.chord(kHalf, {77, 72, 69, 65, 41}, kDot);
    return w.take();
}

// Drums (a rhythm song): eighths, sixteenths and thirty-seconds, rests and a double-dotted note.
SongData drums() {
    SongWriter w(0, 0, 0, 112);  // standard drum set
    for (int m = 0; m < 3; ++m) {
        w.chord(kEighth, {42, 36}).note(kEighth, 42).chord(kEighth, {42, 38}).note(kEighth, 42);
        w.chord(kEighth, {42, 36}).note(k16th, 36).note(k16th, 36).chord(kEighth, {42, 38}).note(kEighth, 42).bar();
    }
    w.note(kQuarter, 49, kDoubleDot).note(k32nd, 38).note(k32nd, 38);
    w.rest(kQuarter).note(kQuarter, 38).lineBreak();
    for (int m = 0; m < 3; ++m) {
        w.chord(kQuarter, {42, 36}).chord(kQuarter, {42, 38}).chord(kQuarter, {42, 36}).chord(kQuarter, {42, 38}).bar();
    }
    w.note(kWhole, 49);
    return w.take();
}

}  // namespace

std::vector<DemoSong> demoSongs() {
    return {
        {"melody.PLM", melody(), true},
        {"bass.PLM", bass(), false},
        {"piano.PLM", piano(), true},
        {"drums.PLM", drums(), true},
    };
}

std::optional<fs::path> writeDemoProject(const fs::path& folder, std::ostream& err) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(folder, ec);
    const fs::path base = ec ? folder : absolute;
    // Every member path must fit the project's fields before anything is created.
    for (const DemoSong& demo : demoSongs()) {
        const fs::path path = base / demo.fileName;
        if (!platform::utf8ToCp932(utf8Of(path))) {
            err << "plume-cli: " << utf8Of(path) << ": a project can only hold paths written in Shift_JIS (CP932)\n";
            return std::nullopt;
        }
        if (!ProjectData::fresh().setMemberPath(0, path)) {
            err << "plume-cli: " << utf8Of(path) << ": the path is too long for a project\n";
            return std::nullopt;
        }
    }
    fs::create_directories(folder, ec);
    if (ec) {
        err << "plume-cli: " << utf8Of(folder) << ": cannot create the folder\n";
        return std::nullopt;
    }
    ProjectData project = ProjectData::fresh();
    project.setTitle("Plume デモ");
    project.setKey(1);
    project.setTempo(112);
    std::size_t track = 0;
    std::size_t window = 0;
    for (const DemoSong& demo : demoSongs()) {
        const fs::path path = base / demo.fileName;
        if (!writeSong(path, demo.song)) return std::nullopt;
        project.setMemberPath(track++, path);
        if (demo.openWindow) project.setWindow(window++, path, false);
    }
    const fs::path projectPath = base / kDemoProjectName;
    if (writeProjectFile(projectPath, project) != ProjectWriteStatus::Written) {
        err << "plume-cli: " << utf8Of(projectPath) << ": cannot write the project\n";
        return std::nullopt;
    }
    return projectPath;
}

}  // namespace plume
