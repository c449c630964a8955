#include "export/smf_reader.h"

#include <cstdio>

namespace plume::test {

namespace {

std::uint32_t big(const std::vector<std::uint8_t>& b, std::size_t at, int n) {
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i) v = (v << 8) | (at + std::size_t(i) < b.size() ? b[at + std::size_t(i)] : 0);
    return v;
}

// The events of one chunk's data [at, end); an error text when they break the rules.
std::string readEvents(const std::vector<std::uint8_t>& b, std::size_t at, std::size_t end, std::vector<SmfEvent>& out) {
    std::uint32_t tick = 0;
    auto quantity = [&] {
        std::uint32_t v = 0;
        while (at < end && (b[at] & 0x80)) v = (v << 7) | (b[at++] & 0x7F);
        return at < end ? (v << 7) | b[at++] : v;
    };
    while (at < end) {
        if (!out.empty() && out.back().isMeta(0x2F)) return "events after the end of track";
        tick += quantity();
        SmfEvent e{tick, {at < end ? b[at++] : std::uint8_t(0)}};
        const std::uint8_t status = e.bytes[0];
        std::uint32_t data = 0;
        if (status == 0xFF) {
            e.bytes.push_back(at < end ? b[at++] : 0);
            data = quantity();
            e.bytes.push_back(std::uint8_t(data));
        } else if (status == 0xF0) {
            data = quantity();
            e.bytes.push_back(std::uint8_t(data));
        } else if (status >= 0x80 && status < 0xF0) {
            data = (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2;
        } else {
            return "running status or a bad status at tick " + std::to_string(tick);
        }
        for (std::uint32_t i = 0; i < data; ++i) {
            if (at >= end) return "event cut short";
            if (status < 0xF0 && (b[at] & 0x80)) return "data byte above 127";
            e.bytes.push_back(b[at++]);
        }
        out.push_back(e);
    }
    return out.empty() || !out.back().isMeta(0x2F) ? "no end of track" : "";
}

}  // namespace

Smf readSmf(const std::vector<std::uint8_t>& bytes) {
    Smf smf;
    if (bytes.size() < 14 || std::string(bytes.begin(), bytes.begin() + 4) != "MThd" || big(bytes, 4, 4) != 6) {
        smf.error = "no header chunk";
        return smf;
    }
    smf.format = int(big(bytes, 8, 2));
    smf.trackCount = int(big(bytes, 10, 2));
    smf.division = int(big(bytes, 12, 2));
    for (std::size_t at = 14; at < bytes.size();) {
        const std::size_t end = at + 8 + big(bytes, at + 4, 4);
        if (std::string(bytes.begin() + long(at), bytes.begin() + long(std::min(at + 4, bytes.size()))) != "MTrk" ||
            end > bytes.size()) {
            smf.error = "bad track chunk at " + std::to_string(at);
            return smf;
        }
        smf.chunks.emplace_back(bytes.begin() + long(at), bytes.begin() + long(end));
        smf.tracks.emplace_back();
        smf.error = readEvents(bytes, at + 8, end, smf.tracks.back());
        if (!smf.error.empty()) return smf;
        at = end;
    }
    smf.ok = int(smf.tracks.size()) == smf.trackCount;
    if (!smf.ok) smf.error = "track count differs from the chunks";
    return smf;
}

std::string hex(const std::vector<std::uint8_t>& bytes) {
    std::string out;
    char buffer[4];
    for (std::uint8_t b : bytes) {
        std::snprintf(buffer, sizeof buffer, out.empty() ? "%02X" : " %02X", b);
        out += buffer;
    }
    return out;
}

std::vector<std::uint32_t> noteOnTicks(const std::vector<SmfEvent>& track) {
    std::vector<std::uint32_t> ticks;
    for (const SmfEvent& e : track) {
        if (e.isNoteOn()) ticks.push_back(e.tick);
    }
    return ticks;
}

}  // namespace plume::test
