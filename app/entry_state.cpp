#include "app/entry_state.h"

#include <string_view>

namespace plume {

namespace {

// (key, accidental) byte pairs; the list ends at kNoKey or with the data.
std::vector<NotePair> notePairs(const std::vector<std::uint8_t>& data) {
    std::vector<NotePair> pairs;
    for (std::size_t i = 0; i + 1 < data.size() && data[i] != kNoKey; i += 2) pairs.push_back({data[i], data[i + 1]});
    return pairs;
}

std::vector<DelayGate> delayGates(const PaletteMessage& m) {
    std::vector<DelayGate> pairs;
    for (std::size_t i = 0; i < m.wParam && 2 * i + 1 < m.data.size(); ++i)
        pairs.push_back({m.data[2 * i], m.data[2 * i + 1]});
    return pairs;
}

std::string_view text(const PaletteMessage& m) {
    const std::string_view all(reinterpret_cast<const char*>(m.data.data()), m.data.size());
    return all.substr(0, all.find('\0'));
}

}  // namespace

EntryResult deliverToView(CPlmDoc& doc, ScoreView& view, const EntrySettings& settings, const PaletteMessage& m) {
    switch (m.message) {
    case palette_msg::kEnterRest:
        return enterRest(doc, view, settings, std::uint8_t(m.wParam));
    case palette_msg::kEnterChord:
        return enterNotes(doc, view, settings, notePairs(m.data));
    case palette_msg::kSetLength:
        return changeLength(doc, view, settings);
    case palette_msg::kSetDots:
        return changeDots(doc, view, settings);
    case palette_msg::kEnterGroup: {
        const std::vector<SongRecord> group = groupRecords(m.data);
        return enterGroup(doc, view, settings, group);
    }
    case palette_msg::kSetDelayGate:
        return setDelayGates(doc, view, delayGates(m));
    case palette_msg::kSetVelocity: {
        const std::vector<std::uint8_t> velocities(m.data.begin(),
                                                   m.data.begin() + std::ptrdiff_t(std::min(m.wParam, m.data.size())));
        return setVelocities(doc, view, velocities);
    }
    case palette_msg::kEnterDrums:
        return enterDrums(doc, view, settings, std::uint8_t(m.wParam), notePairs(m.data));
    case palette_msg::kSetLyric:
        return setLyric(doc, view, text(m));
    case palette_msg::kSetChordName:
        return setChordName(doc, view, text(m));
    default:
        return EntryResult::none();
    }
}

}  // namespace plume
