#include "export/mld_writer.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <span>

#include "platform/message_box.h"
#include "song/song_timing.h"

namespace plume {

namespace {

constexpr std::uint32_t kWhole = 192;  // 48 ticks per quarter note
constexpr std::size_t kPartsPerChunk = 4;
constexpr std::uint8_t kRhythmPart = 1;

struct Part {
    const ExportTrack* track = nullptr;
    std::uint8_t number = 0;  // part bits 0-3
    bool rhythm = false;
    std::size_t group = 0;  // next group to write; the end when done
    std::uint32_t next = 0;  // time of that group
    DurationRule rule{kWhole};  // each part keeps the tuplet base type of its own tuplets

    bool done() const { return group >= track->records.size(); }
};

// The first group from `group` on that takes time (notes, rests); bar lines, line breaks, meta
// records and effect-only groups are passed over.
std::size_t nextTimed(Records records, std::size_t group) {
    while (group < records.size() && !records[group].takesTime()) group = nextGroup(records, group);
    return group;
}

bool holdsNoteOrWholeRest(Records records) {
    for (std::size_t g = 0; g < records.size(); g = nextGroup(records, g)) {
        const std::uint8_t type = records[g].type();
        if (type >= type::kWhole && type <= type::kWholeRest) return true;
    }
    return false;
}

std::uint8_t noteNumber(const SongRecord& record, bool rhythm) {
    if (record.isRest()) return 0;  // a rest keeps its part's bits: 0x40 in a rhythm part
    const int key = record.key();
    if (rhythm) return std::uint8_t(std::clamp(key - 35, 0, 63));
    int n = key < 33 ? key - 21 : key - 33;
    while (n > 63) n -= 12;
    while (n < 0) n += 12;  // keys below 21 go up by octaves, as keys above the range come down
    return std::uint8_t(n);
}

std::uint8_t gateOf(const SongRecord& record, std::uint32_t length) {
    if (record.isRest()) return 0;
    std::uint32_t gate = std::uint32_t(std::uint64_t(length) * record.gate() / 100);
    if (gate == length && gate > 0) --gate;
    if (record.tie() == mark::kTieBegin || record.tie() == mark::kTieMiddle) gate = length + 2;
    // A gate is one byte: a longer note sounds 255 ticks; the deltas keep the time exact.
    return std::uint8_t(std::min<std::uint32_t>(gate, 255));
}

// The file format is byte-defined: a volume above 63 is OR-ed in whole and may reach the part bits.
std::uint8_t partVolume(Records records) {
    const std::size_t end = groupEnd(records, 0);
    for (std::size_t i = 0; i < end; ++i) {
        if (records[i].isEffect() && records[i].effectNumber() == effect::kVolume && records[i].value() != 0)
            return records[i].value();
    }
    return 50;
}

class MldBuilder {
public:
    explicit MldBuilder(const ExportProject& project) : m_project(project) {}
    std::vector<std::uint8_t> build();

private:
    void chunk(std::span<Part> parts);
    // A delta above 255 ticks is carried by rest events of 255 (rest byte `rest`) before the event.
    void delta(std::uint32_t ticks, std::uint8_t rest);
    void put(std::initializer_list<std::uint8_t> bytes) { m_out.insert(m_out.end(), bytes); }
    void put32(std::uint32_t v) {
        put({std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)});
    }
    void patch32(std::size_t at, std::uint32_t v) {
        for (std::size_t i = 0; i < 4; ++i) m_out[at + i] = std::uint8_t(v >> (24 - 8 * i));
    }

    const ExportProject& m_project;
    std::vector<std::uint8_t> m_out;
    bool m_tempoWritten = false;
};

std::vector<std::uint8_t> MldBuilder::build() {
    const std::string& title = m_project.title;
    const std::size_t n = std::min<std::size_t>(title.size(), 0xFFFF - 26);
    put({'m', 'e', 'l', 'o'});
    put32(0);
    put({0, 0, 1, 1, 0});
    put({'s', 'o', 'r', 'c', 0, 1, 0});
    put({'t', 'i', 't', 'l', std::uint8_t(n >> 8), std::uint8_t(n)});
    m_out.insert(m_out.end(), title.begin(), title.begin() + std::ptrdiff_t(n));
    put({'v', 'e', 'r', 's', 0, 4, '0', '3', '0', '0'});

    std::vector<Part> melody;
    std::vector<Part> rhythm;
    for (const ExportTrack& track : m_project.tracks) {
        if (!track.used() || !holdsNoteOrWholeRest(track.records)) continue;
        Part part;
        part.track = &track;
        part.rhythm = track.info.isRhythm();
        part.group = nextTimed(track.records, 0);
        (part.rhythm ? rhythm : melody).push_back(part);
    }
    std::size_t chunks = 0;
    for (std::size_t first = 0; first < melody.size(); first += kPartsPerChunk) {
        const std::size_t count = std::min(kPartsPerChunk, melody.size() - first);
        for (std::size_t k = 0; k < count; ++k) melody[first + k].number = std::uint8_t(k);
        chunk(std::span<Part>(melody).subspan(first, count));
        ++chunks;
    }
    if (!rhythm.empty()) {
        put({'t', 'r', 'a', 'c', 0, 0, 0, 4, 0x30, 0xFF, 0xDF, 0x00});
        ++chunks;
    }
    for (Part& part : rhythm) {
        part.number = kRhythmPart;
        chunk(std::span<Part>(&part, 1));
        ++chunks;
    }
    patch32(4, std::uint32_t(m_out.size() - 8));
    m_out[8] = std::uint8_t((26 + n) >> 8);
    m_out[9] = std::uint8_t(26 + n);
    m_out[12] = std::uint8_t(chunks);
    return std::move(m_out);
}

void MldBuilder::chunk(std::span<Part> parts) {
    put({'t', 'r', 'a', 'c'});
    const std::size_t lengthAt = m_out.size();
    put32(0);
    // The tempo goes into the first chunk that carries parts, so a file of rhythm members has one too.
    if (!m_tempoWritten) put({0x00, 0xFF, 0xC3, std::uint8_t(m_project.startTempo & 0xFF)});
    m_tempoWritten = true;
    for (const Part& part : parts) {
        const std::uint8_t k = std::uint8_t(part.number << 6);
        if (part.rhythm) {
            put({0x00, 0xFF, 0xE1, 0x42, 0x00, 0xFF, 0xE0, 0x40});
        } else {
            const std::uint8_t b = part.track->info.initialProgram();
            put({0x00, 0xFF, 0xE1, std::uint8_t((b >> 7) | 2 | k), 0x00, 0xFF, 0xE0, std::uint8_t((b & 0x3F) | k)});
        }
        put({0x00, 0xFF, 0xE2, std::uint8_t(partVolume(part.track->records) | k)});
    }
    std::uint32_t previous = 0;
    std::uint32_t end = 0;
    for (;;) {
        std::uint32_t now = UINT32_MAX;
        for (const Part& part : parts) {
            if (!part.done()) now = std::min(now, part.next);
        }
        if (now == UINT32_MAX) break;
        bool first = true;
        for (Part& part : parts) {
            if (part.done() || part.next != now) continue;
            const Records records = part.track->records;
            const std::uint32_t length = part.rule.groupLength(records, part.group);
            const std::uint8_t bits = std::uint8_t((part.rhythm ? kRhythmPart : part.number) << 6);
            const std::size_t groupEndAt = groupEnd(records, part.group);
            for (std::size_t i = part.group; i < groupEndAt; ++i) {
                if (!records[i].takesTime()) continue;
                delta(first ? now - previous : 0, bits);
                first = false;
                put({std::uint8_t(bits | noteNumber(records[i], part.rhythm)), gateOf(records[i], length)});
            }
            part.next += length;
            end = std::max(end, part.next);
            part.group = nextTimed(records, nextGroup(records, part.group));
        }
        previous = now;
    }
    // The end comes when the longest part's last group is over, so every part keeps its time.
    delta(std::max(end, previous) - previous, std::uint8_t(parts.front().number << 6));
    put({0xFF, 0xDF, 0x00});
    patch32(lengthAt, std::uint32_t(m_out.size() - lengthAt - 4));
}

void MldBuilder::delta(std::uint32_t ticks, std::uint8_t rest) {
    for (; ticks > 255; ticks -= 255) put({255, rest, 0});
    put({std::uint8_t(ticks)});
}

}  // namespace

std::vector<std::uint8_t> buildMldFile(const ExportProject& project) { return MldBuilder(project).build(); }

ExportResult writeMldFile(const ExportProject& project, const std::filesystem::path& path) {
    const ExportResult result = writeExportFile(path, [&] { return buildMldFile(project); }, false);
    if (result == ExportResult::Ok)
        platform::messageBox().show(platform::formatMessage("%sを作成しました。", path.string().c_str()));
    return result;
}

std::filesystem::path mldFileName(const std::filesystem::path& project) { return exportFileName(project, "mld"); }

}  // namespace plume
