#include "import/smf_reader.h"

#include <algorithm>

namespace plume {

std::span<const std::uint8_t> SmfEvent::data() const {
    if (bytes.empty()) return {};
    if (bytes[0] == 0xFF) return bytes.size() >= 3 ? std::span(bytes).subspan(3) : std::span<const std::uint8_t>{};
    if (bytes[0] == 0xF0 || bytes[0] == 0xF7) return bytes.size() >= 2 ? std::span(bytes).subspan(2) : std::span<const std::uint8_t>{};
    return {};
}

namespace {

std::uint32_t big(std::span<const std::uint8_t> b, std::size_t at, int n) {
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i) v = (v << 8) | b[at + std::size_t(i)];
    return v;
}

class TrackParser {
public:
    TrackParser(std::span<const std::uint8_t> data, SmfTrack& track) : m_data(data), m_track(track) {}

    // Empty when the chunk reads whole; otherwise why not.
    std::string parse() {
        std::uint32_t tick = 0;
        std::uint8_t running = 0;
        m_track.events.reserve(m_data.size() / 4);  // a channel event takes three or four bytes
        while (m_at < m_data.size()) {
            std::uint32_t delta = 0;
            if (!quantity(delta)) return "a delta time is cut short";
            tick += delta;
            if (m_at >= m_data.size()) return "an event is cut short";
            SmfEvent e;
            e.tick = tick;
            e.bytes.reserve(3);
            std::uint8_t status = m_data[m_at];
            if (status < 0x80) {
                if (running == 0) return "a data byte without a status at tick " + std::to_string(tick);
                status = running;
                e.runningStatus = true;
            } else {
                ++m_at;
            }
            e.bytes.push_back(status);
            if (status == 0xFF) {
                if (m_at >= m_data.size()) return "a meta event is cut short";
                e.bytes.push_back(m_data[m_at++]);
                std::uint32_t length = 0;
                if (!quantity(length)) return "a meta event is cut short";
                e.bytes.push_back(std::uint8_t(std::min<std::uint32_t>(length, 255)));
                if (!take(length, e.bytes)) return "a meta event is cut short";
                const bool end = e.bytes[1] == 0x2F;
                m_track.events.push_back(std::move(e));
                if (end) {
                    m_track.endOfTrack = m_at == m_data.size();
                    return "";  // whatever follows the end of track is not read
                }
                continue;
            }
            if (status == 0xF0 || status == 0xF7) {
                running = 0;
                std::uint32_t length = 0;
                if (!quantity(length)) return "a system-exclusive event is cut short";
                e.bytes.push_back(std::uint8_t(std::min<std::uint32_t>(length, 255)));
                if (!take(length, e.bytes)) return "a system-exclusive event is cut short";
                m_track.events.push_back(std::move(e));
                continue;
            }
            if (status >= 0xF1) return "a system message inside a track at tick " + std::to_string(tick);
            running = status;
            const std::size_t n = (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2;
            for (std::size_t i = 0; i < n; ++i) {
                if (m_at >= m_data.size()) return "an event is cut short";
                if (m_data[m_at] >= 0x80) return "a data byte above 127 at tick " + std::to_string(tick);
                e.bytes.push_back(m_data[m_at++]);
            }
            m_track.events.push_back(std::move(e));
        }
        return "";  // no end of track: the events read are kept
    }

private:
    bool quantity(std::uint32_t& value) {
        value = 0;
        for (int i = 0; i < 4; ++i) {
            if (m_at >= m_data.size()) return false;
            const std::uint8_t b = m_data[m_at++];
            value = (value << 7) | (b & 0x7Fu);
            if ((b & 0x80) == 0) return true;
        }
        return false;  // more than four bytes is no quantity
    }
    bool take(std::uint32_t length, std::vector<std::uint8_t>& out) {
        if (length > kMaxSmfEventLength || length > m_data.size() - m_at) return false;
        out.insert(out.end(), m_data.begin() + std::ptrdiff_t(m_at), m_data.begin() + std::ptrdiff_t(m_at + length));
        m_at += length;
        return true;
    }

    std::span<const std::uint8_t> m_data;
    SmfTrack& m_track;
    std::size_t m_at = 0;
};

SmfFile failed(SmfFile file, SmfStatus status, std::string error) {
    file.status = status;
    file.error = std::move(error);
    file.tracks.clear();
    return file;
}

}  // namespace

SmfFile readSmf(std::span<const std::uint8_t> bytes) {
    SmfFile file;
    if (bytes.size() < 8 || !std::equal(bytes.begin(), bytes.begin() + 4, "MThd"))
        return failed(file, SmfStatus::NotMidi, "not a Standard MIDI File");
    const std::uint32_t headerLength = big(bytes, 4, 4);
    if (headerLength < 6) return failed(file, SmfStatus::BadData, "the header chunk is too short");
    if (bytes.size() < 14 || headerLength > bytes.size() - 8)
        return failed(file, SmfStatus::Truncated, "the file ends inside its header");
    file.format = int(big(bytes, 8, 2));
    file.declaredTracks = int(big(bytes, 10, 2));
    const std::uint32_t division = big(bytes, 12, 2);
    if (division & 0x8000) return failed(file, SmfStatus::SmpteDivision, "SMPTE time division is not supported");
    if (division == 0) return failed(file, SmfStatus::BadData, "the time division is 0");
    if (file.format > 2) return failed(file, SmfStatus::BadData, "unknown format " + std::to_string(file.format));
    file.division = std::uint16_t(division);
    std::size_t at = 8 + headerLength;
    while (at < bytes.size() && int(file.tracks.size()) < file.declaredTracks) {
        if (bytes.size() - at < 8) return failed(file, SmfStatus::Truncated, "the file ends inside a chunk header");
        const std::uint32_t length = big(bytes, at + 4, 4);
        if (length > bytes.size() - at - 8)
            return failed(file, SmfStatus::Truncated,
                          "track " + std::to_string(file.tracks.size() + 1) + " is cut short");
        if (std::equal(bytes.begin() + std::ptrdiff_t(at), bytes.begin() + std::ptrdiff_t(at) + 4, "MTrk")) {
            SmfTrack& track = file.tracks.emplace_back();
            track.chunkOffset = at;
            track.chunkSize = std::size_t(length) + 8;
            const std::string error = TrackParser(bytes.subspan(at + 8, length), track).parse();
            if (!error.empty()) {
                const std::string where = "track " + std::to_string(file.tracks.size()) + ": ";
                const bool cut = error.find("cut short") != std::string::npos;
                return failed(file, cut ? SmfStatus::Truncated : SmfStatus::BadData, where + error);
            }
        }
        at += std::size_t(length) + 8;  // chunks of other kinds are skipped
    }
    if (int(file.tracks.size()) < file.declaredTracks)
        return failed(file, SmfStatus::Truncated,
                      "the file holds " + std::to_string(file.tracks.size()) + " of its " +
                          std::to_string(file.declaredTracks) + " tracks");
    file.status = SmfStatus::Ok;
    return file;
}

}  // namespace plume
