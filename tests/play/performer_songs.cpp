#include "play/performer_songs.h"

#include <random>

#include "support/song_builder.h"

namespace plume::test {

std::array<SongRecord, 3> curvePiece(std::uint8_t base, std::uint8_t function, std::uint8_t intervalMs,
                                     std::int32_t startMs, std::int16_t c, std::int16_t amplitude, float a, float b) {
    std::array<SongRecord, 3> piece{};
    piece[0].setKind(base);
    piece[0].setCurveFunction(function);
    piece[0].setCurveInterval(intervalMs);
    piece[0].setCurveStartOffset(startMs);
    piece[1].setKind(std::uint8_t(base + 1));
    piece[1].setCurveConstant(c);
    piece[1].setCurveAmplitude(amplitude);
    piece[2].setKind(std::uint8_t(base + 2));
    piece[2].setCurveA(a);
    piece[2].setCurveB(b);
    return piece;
}

SongRecord playedNote(std::uint8_t type, std::uint8_t key, std::uint8_t delay, std::uint8_t gate, std::uint8_t marks,
                      std::uint8_t dots) {
    SongRecord r = note(type, key, marks, dots);
    r.setDelay(delay);
    r.setGate(gate);
    return r;
}

namespace {

class Generator {
public:
    Generator(std::uint32_t seed, bool rhythm) : m_random(seed), m_rhythm(rhythm) {}

    std::vector<SongRecord> song(std::size_t groups) {
        while (m_groups < groups) {
            const unsigned pick = next(100);
            if (pick < 6) tieChain();
            else if (pick < 10) tuplet();
            else if (pick < 18) addGroup({rest(std::uint8_t(7 + next(6)), 0, dots())});
            else if (pick < 24) addGroup({scoreMark(type::kBarLine)});
            else if (pick < 26) addGroup({pick == 24 ? metaTime(std::uint8_t(2 + next(5)), 2) : metaKey(std::uint8_t(next(15)))});
            else noteGroup(std::uint8_t(2 + next(5)), dots(), 0);
        }
        return m_song;
    }

private:
    unsigned next(unsigned n) { return unsigned(m_random() % n); }
    std::uint8_t dots() { return next(8) == 0 ? mark::kDotted : next(16) == 0 ? mark::kDoubleDotted : 0; }
    std::uint8_t key() { return std::uint8_t(m_rhythm ? 35 + next(40) : 36 + next(60)); }

    void addGroup(std::vector<SongRecord> records) {
        records.front().setGroupSize(std::uint8_t(records.size()));
        m_song.insert(m_song.end(), records.begin(), records.end());
        ++m_groups;
    }

    // A note group with `marks` on every note, and now and then effects and a curve piece.
    void noteGroup(std::uint8_t type, std::uint8_t dotted, std::uint8_t marks) {
        std::vector<SongRecord> records;
        const unsigned voices = next(4) == 0 ? 1 + next(4) : 1;
        const std::uint8_t delay = std::uint8_t(next(3) == 0 ? next(40) : 0);
        const std::uint8_t gate = std::uint8_t(1 + next(100 - delay));
        for (unsigned v = 0; v < voices; ++v) records.push_back(playedNote(type, key(), delay, gate, marks, dotted));
        effects(records);
        addGroup(records);
    }

    void effects(std::vector<SongRecord>& records) {
        if (next(10) == 0) records.push_back(effectValue(std::uint8_t(next(18)), std::uint8_t(next(128))));
        if (next(25) == 0) records.push_back(effectValue(effect::kTempo, std::uint8_t(40 + next(200))));
        if (next(30) == 0) {
            SongRecord bend = effectValue(effect::kPitchBend, 0);
            bend.setValue16(std::int16_t(int(next(16384)) - 8192));
            records.push_back(bend);
        }
        if (next(6) == 0) {
            static constexpr std::uint8_t kBases[] = {kind::kVolumeCurve, kind::kModulationCurve, kind::kPitchBendCurve};
            const std::uint8_t function = std::uint8_t(1 + next(4));
            const auto piece = curvePiece(kBases[next(3)], function, std::uint8_t(10 * next(6)), std::int32_t(next(500)),
                                          std::int16_t(next(100)), std::int16_t(next(60)),
                                          function == 2 ? 0.0001f : 0.05f, 0.5f);
            records.insert(records.end(), piece.begin(), piece.end());
        }
    }

    // One key tied over two to four groups, lengths varying.
    void tieChain() {
        const std::uint8_t k = key();
        const unsigned length = 2 + next(3);
        for (unsigned i = 0; i < length; ++i) {
            const std::uint8_t tie = i == 0 ? mark::kTieBegin : i + 1 == length ? mark::kTieEnd : mark::kTieMiddle;
            const std::uint8_t delay = std::uint8_t(next(3) == 0 ? next(30) : 0);
            std::vector<SongRecord> records = {playedNote(std::uint8_t(2 + next(4)), k, delay, std::uint8_t(1 + next(100 - delay)), tie)};
            effects(records);
            addGroup(records);
        }
    }

    void tuplet() {
        const bool triplet = next(2) == 0;
        const std::uint8_t n = triplet ? 3 : 5;
        const std::uint8_t type = triplet ? 4 : 5;
        std::vector<std::size_t> starts;
        for (unsigned i = 0; i < n; ++i) {
            starts.push_back(m_song.size());
            if (next(4) == 0) addGroup({rest(std::uint8_t(type + 6))});
            else noteGroup(type, 0, 0);
        }
        markTuplet(m_song, starts, n);
    }

    std::mt19937 m_random;
    bool m_rhythm;
    std::vector<SongRecord> m_song;
    std::size_t m_groups = 0;
};

}  // namespace

std::vector<SongRecord> variedSong(std::uint32_t seed, std::size_t groups, bool rhythm) {
    return Generator(seed, rhythm).song(groups);
}

}  // namespace plume::test
