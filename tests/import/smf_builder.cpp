#include "import/smf_builder.h"

#include <algorithm>
#include <tuple>

namespace plume::test {

namespace {
void quantity(std::vector<std::uint8_t>& out, std::uint32_t v) {
    std::vector<std::uint8_t> septets;
    do {
        septets.push_back(std::uint8_t(v & 0x7F));
        v >>= 7;
    } while (v != 0);
    for (std::size_t i = septets.size(); i-- > 0;) out.push_back(std::uint8_t(septets[i] | (i != 0 ? 0x80 : 0)));
}
void big32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 3; i >= 0; --i) out.push_back(std::uint8_t(v >> (8 * i)));
}
}  // namespace

SmfTrackBuilder& SmfTrackBuilder::at(std::uint32_t delta, std::vector<std::uint8_t> bytes) {
    quantity(m_data, delta);
    m_data.insert(m_data.end(), bytes.begin(), bytes.end());
    return *this;
}

SmfTrackBuilder& SmfTrackBuilder::noteOn(std::uint32_t delta, int channel, int key, int velocity) {
    return at(delta, {std::uint8_t(0x90 | channel), std::uint8_t(key), std::uint8_t(velocity)});
}

SmfTrackBuilder& SmfTrackBuilder::noteOff(std::uint32_t delta, int channel, int key) {
    return at(delta, {std::uint8_t(0x80 | channel), std::uint8_t(key), 0x40});
}

SmfTrackBuilder& SmfTrackBuilder::meta(std::uint32_t delta, std::uint8_t type, const std::string& data) {
    std::vector<std::uint8_t> bytes = {0xFF, type};
    quantity(bytes, std::uint32_t(data.size()));
    bytes.insert(bytes.end(), data.begin(), data.end());
    return at(delta, bytes);
}

SmfTrackBuilder& SmfTrackBuilder::tempo(std::uint32_t delta, int quarterNotesPerMinute) {
    const std::uint32_t us = 60000000u / std::uint32_t(quarterNotesPerMinute);
    return at(delta, {0xFF, 0x51, 0x03, std::uint8_t(us >> 16), std::uint8_t(us >> 8), std::uint8_t(us)});
}

std::vector<std::uint8_t> SmfTrackBuilder::chunk() const {
    std::vector<std::uint8_t> out = {'M', 'T', 'r', 'k'};
    big32(out, std::uint32_t(m_data.size() + 4));
    out.insert(out.end(), m_data.begin(), m_data.end());
    out.insert(out.end(), {0x00, 0xFF, 0x2F, 0x00});
    return out;
}

std::vector<std::uint8_t> smfFile(int format, int division, const std::vector<std::vector<std::uint8_t>>& chunks) {
    std::vector<std::uint8_t> out = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, std::uint8_t(format), 0, std::uint8_t(chunks.size()),
                                     std::uint8_t(division >> 8), std::uint8_t(division)};
    for (const auto& c : chunks) out.insert(out.end(), c.begin(), c.end());
    return out;
}

std::vector<std::uint8_t> notesTrack(int channel, std::vector<TimedNote> notes, const std::string& name) {
    std::vector<std::tuple<std::uint32_t, int, int, int>> events;  // tick, off-before-on, key, velocity
    for (const TimedNote& n : notes) {
        events.emplace_back(n.on, 1, n.key, n.velocity);
        events.emplace_back(n.off, 0, n.key, 0);
    }
    std::stable_sort(events.begin(), events.end(), [](const auto& a, const auto& b) {
        return std::get<0>(a) != std::get<0>(b) ? std::get<0>(a) < std::get<0>(b) : std::get<1>(a) < std::get<1>(b);
    });
    SmfTrackBuilder track;
    if (!name.empty()) track.meta(0, 0x03, name);
    std::uint32_t last = 0;
    for (const auto& [tick, on, key, velocity] : events) {
        if (on) track.noteOn(tick - last, channel, key, velocity);
        else track.noteOff(tick - last, channel, key);
        last = tick;
    }
    return track.chunk();
}

}  // namespace plume::test
