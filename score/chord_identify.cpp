#include "score/chord_identify.h"

#include <algorithm>
#include <new>

#include "score/range_edit.h"

namespace plume {

namespace {

constexpr std::array<ChordQuality, kCandidateQualityCount> kQualities = {{
    {"", {60, 64, 67, kNoTone}},
    {"7", {60, 64, 67, 70}},
    {"M7", {60, 64, 67, 71}},
    {"6", {60, 64, 67, 69}},
    {"sus4", {60, 65, 67, kNoTone}},
    {"add2", {60, 62, 67, kNoTone}},
    {"alt", {60, 64, 66, kNoTone}},
    {"aug", {60, 64, 68, kNoTone}},
    {"m", {60, 63, 67, kNoTone}},
    {"m7", {60, 63, 67, 70}},
    {"mM7", {60, 63, 67, 71}},
    {"m6", {60, 63, 67, 69}},
    {"msus4", {60, 63, 65, kNoTone}},
    {"dim", {60, 63, 66, kNoTone}},
    {"m7-5", {60, 63, 66, 70}},
}};

constexpr std::array<std::array<int, 7>, 15> kRoots = {{
    {0, 2, 4, 5, 7, 9, 11},
    {7, 9, 11, 0, 2, 4, 6},
    {2, 4, 6, 7, 9, 11, 1},
    {9, 11, 1, 2, 4, 6, 8},
    {4, 6, 8, 9, 11, 1, 3},
    {11, 1, 3, 4, 6, 8, 10},
    {6, 8, 10, 11, 1, 3, 5},
    {1, 3, 5, 6, 8, 10, 0},
    {5, 7, 9, 10, 0, 2, 4},
    {0, 2, 3, 5, 7, 9, 10},
    {3, 5, 7, 8, 10, 0, 2},
    {8, 10, 0, 1, 3, 5, 7},
    {0, 1, 3, 5, 6, 8, 10},
    {6, 8, 10, 11, 1, 3, 5},
    {11, 1, 3, 4, 6, 8, 10},
}};

constexpr std::array<const char*, 12> kSharpNames = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
constexpr std::array<const char*, 12> kFlatNames = {"C", "Db", "D", "Eb", "E", "F", "Gb", "G", "Ab", "A", "Bb", "B"};

constexpr std::uint8_t kFirstFlatKey = 8;

// A key number outside 0-14 is read as no key signature.
std::uint8_t knownKey(std::uint8_t keySignature) { return keySignature < kRoots.size() ? keySignature : 0; }

const std::array<const char*, 12>& rootNames(std::uint8_t keySignature) {
    return knownKey(keySignature) < kFirstFlatKey ? kSharpNames : kFlatNames;
}

// Group starts from the range's first group through its last, never past the song.
template <typename Visit>
void forEachGroup(Records song, ChordRange range, Visit visit) {
    for (std::size_t g = range.first; g <= range.last && g < song.size(); g = nextGroup(song, g)) visit(g);
}

bool contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

int ChordQuality::toneCount() const {
    return int(std::find(tones.begin(), tones.end(), kNoTone) - tones.begin());
}

const std::array<ChordQuality, kCandidateQualityCount>& chordQualities() { return kQualities; }

const std::array<int, 7>& candidateRoots(std::uint8_t keySignature) { return kRoots[knownKey(keySignature)]; }

const char* rootName(int pitchClass, std::uint8_t keySignature) {
    return rootNames(keySignature)[std::size_t(((pitchClass % 12) + 12) % 12)];
}

std::string chordName(int root, int quality, std::uint8_t keySignature) {
    return std::string(rootName(root, keySignature)) + kQualities[std::size_t(quality)].suffix;
}

std::optional<ChordRange> chordRangeOf(Records song, const RecordRange& range) {
    if (range.empty() || range.from >= song.size()) return std::nullopt;
    std::size_t last = range.from;
    for (std::size_t g = range.from; g < range.to && g < song.size(); g = nextGroup(song, g)) last = g;
    return ChordRange{range.from, last};
}

std::size_t rangeRecordCount(Records song, ChordRange range) {
    if (range.last >= song.size() || range.last < range.first) return 0;
    return std::min(range.last - range.first + song[range.last].groupSize(), song.size() - range.first);
}

std::uint16_t pitchClassSet(Records song, ChordRange range) {
    std::uint16_t set = 0;
    const std::size_t end = range.first + rangeRecordCount(song, range);
    for (std::size_t i = range.first; i < end; ++i) {
        if (song[i].isNote()) set = std::uint16_t(set | (1u << (song[i].key() % 12)));
    }
    return set;
}

bool rangeHasNote(Records song, ChordRange range) {
    const std::size_t end = range.first + rangeRecordCount(song, range);
    for (std::size_t i = range.first; i < end; ++i) {
        if (song[i].isNote()) return true;
    }
    return false;
}

bool canIdentifyChords(Records song, const RecordRange& range, const SongInfo& info, bool busy) {
    if (busy || info.fileKind() != 1) return false;
    const auto chordRange = chordRangeOf(song, range);
    return chordRange && rangeHasNote(song, *chordRange);
}

ChordCandidates identifyChords(std::uint16_t pitchClasses, std::uint8_t keySignature) {
    ChordCandidates lists;
    // Each list is filled by its own pass, so that a later list can leave out the earlier ones.
    auto pass = [&](auto accept) {
        for (int q = 0; q < int(kCandidateQualityCount); ++q) {
            for (int root : candidateRoots(keySignature)) {
                int hits = 0;
                for (int tone : kQualities[std::size_t(q)].tones) {
                    if (tone != kNoTone && (pitchClasses >> ((tone + root) % 12) & 1)) ++hits;
                }
                accept(hits, chordName(root, q, keySignature));
            }
        }
    };
    pass([&](int hits, std::string name) {
        if (hits == 4) lists.first.push_back(std::move(name));
    });
    pass([&](int hits, std::string name) {
        if (hits >= 2 && !contains(lists.first, name)) lists.second.push_back(std::move(name));
    });
    pass([&](int hits, std::string name) {
        if (hits >= 1 && !contains(lists.first, name) && !contains(lists.second, name))
            lists.third.push_back(std::move(name));
    });
    return lists;
}

std::optional<ParsedChord> parseChordName(std::string_view name, std::uint8_t keySignature) {
    if (name.empty()) return std::nullopt;
    const std::size_t rootLength = name.size() > 1 && (name[1] == '#' || name[1] == 'b') ? 2 : 1;
    const std::string_view root = name.substr(0, rootLength);
    const auto& names = rootNames(keySignature);
    const auto found = std::find_if(names.begin(), names.end(), [&](const char* n) { return root == n; });
    if (found == names.end()) return std::nullopt;
    const std::string_view rest = name.substr(rootLength);
    for (std::size_t q = 0; q < kCandidateQualityCount; ++q) {
        if (rest == kQualities[q].suffix) return ParsedChord{int(found - names.begin()), int(q)};
    }
    return std::nullopt;
}

ChordAudition::ChordAudition(Records song, ChordRange range)
    : m_song(song), m_range(range), m_capacity(rangeRecordCount(song, range) * 4 + 1),
      m_buffer(new (std::nothrow) SongRecord[m_capacity]) {}

std::size_t ChordAudition::build(ParsedChord chord, std::uint8_t velocity) {
    m_count = 0;
    if (!m_buffer) return 0;
    const ChordQuality& quality = kQualities[std::size_t(chord.quality) % kCandidateQualityCount];
    const int tones = quality.toneCount();
    const std::size_t end = m_range.first + rangeRecordCount(m_song, m_range);
    // Every group adds at most four records, and a range has no more groups than records.
    forEachGroup(m_song, m_range, [&](std::size_t g) {
        if (g >= end) return;
        const SongRecord& head = m_song[g];
        if (!head.isNote()) {
            SongRecord copy = head;
            copy.setGroupSize(1);
            m_buffer[m_count++] = copy;
            return;
        }
        for (int t = 0; t < tones; ++t) {
            SongRecord tone = head;
            tone.setGroupSize(t == 0 ? std::uint8_t(tones) : 0);
            tone.setKey(std::uint8_t(quality.tones[std::size_t(t)] + chord.root));
            tone.setVelocity(velocity);
            tone.setGate(100);
            m_buffer[m_count++] = tone;
        }
    });
    m_buffer[m_count] = SongRecord{};
    return m_count;
}

Records ChordAudition::played() const { return m_buffer ? Records(m_buffer.get(), m_count) : Records(); }

Records ChordAudition::written() const { return m_buffer ? Records(m_buffer.get(), m_count + 1) : Records(); }

namespace {

AuditionChannel writtenChannel(Records song, const SongInfo& info, ChordRange range, std::size_t index) {
    AuditionChannel channel;
    channel.index = index;
    channel.track = song;
    channel.start = range.first;
    channel.count = rangeRecordCount(song, range);
    channel.melodic = index != kRhythmChannelIndex;
    channel.module = info.initialModule();
    channel.bank = info.initialBank();
    channel.program = info.initialProgram();
    return channel;
}

}  // namespace

AuditionPlay chordAuditionPlay(Records song, const SongInfo& info, ChordRange range, Records chord) {
    AuditionPlay play;
    play.tempo = info.tempo();
    play.channels.push_back(writtenChannel(song, info, range, 0));
    AuditionChannel voiced;
    voiced.index = 1;
    voiced.track = chord;
    voiced.count = chord.size();
    voiced.program = kAuditionProgram;
    play.channels.push_back(voiced);
    return play;
}

AuditionPlay rangeAuditionPlay(Records song, const SongInfo& info, ChordRange range) {
    AuditionPlay play;
    play.tempo = info.tempo();
    play.channels.push_back(writtenChannel(song, info, range, info.fileKind() == 0 ? kRhythmChannelIndex : 0));
    return play;
}

}  // namespace plume
