#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "play/performer.h"
#include "play/performer_songs.h"
#include "support/song_builder.h"

namespace plume {
namespace {

using namespace test;
using Lines = std::vector<std::string>;

// Remembers every message as "unit text".
class Log final : public PerformerSink {
public:
    explicit Log(std::function<std::int64_t()> now) : m_now(std::move(now)) {}
    void noteOn(std::uint8_t ch, std::uint8_t key, std::uint8_t velocity) override { add("on", ch, key, velocity); }
    void noteOff(std::uint8_t ch, std::uint8_t key) override { add("off", ch, key); }
    void controller(std::uint8_t ch, std::uint8_t number, std::uint8_t value) override { add("cc", ch, number, value); }
    void pitchBend(std::uint8_t ch, std::uint8_t lsb, std::uint8_t msb) override { add("bend", ch, lsb, msb); }
    void programChange(std::uint8_t ch, std::uint8_t program) override { add("program", ch, program); }
    void tempo(int bpm) override { add("tempo", bpm); }
    void timeSignature(std::uint8_t n, std::uint8_t d) override { add("time", n, d); }
    void keySignature(std::uint8_t k) override { add("key", k); }

    Lines lines;

private:
    template <typename... Values>
    void add(const char* what, Values... values) {
        std::ostringstream line;
        line << m_now() << ' ' << what;
        ((line << ' ' << int(values)), ...);
        lines.push_back(line.str());
    }
    std::function<std::int64_t()> m_now;
};

// One channel stepped unit by unit from unit 0 until it is finished.
struct Solo {
    explicit Solo(const std::vector<SongRecord>& song, PerformerClock startClock = PerformerClock::ticks(96, 120),
                  std::uint8_t channel = 0)
        : clock(startClock), state(ChannelState::forSong(song, SongInfo::defaults(), channel)) {
        performer.begin();
    }

    // Steps from the current unit on.
    Lines play() {
        for (;; ++now) {
            performer.step();
            if (performer.finished() || now > 1000000) break;
        }
        return log.lines;
    }

    std::int64_t now = 0;
    PerformerClock clock;
    ChannelState state;
    Log log{[this] { return now; }};
    Performer performer{state, clock, log};
};

TEST(Performer, NotesRestsTiesAndChordsKeepTheirTime) {
    std::vector<SongRecord> song =
        test::groups({playedNote(3, 60, 0, 75), playedNote(3, 62, 25, 50), rest(9), test::barLine(),
                      playedNote(3, 64, 10, 80, mark::kTieBegin), playedNote(4, 64, 0, 80, mark::kTieMiddle),
                      playedNote(3, 64, 10, 50, mark::kTieEnd)});
    addGroup(song, {playedNote(3, 67, 0, 100, mark::kTieBegin), playedNote(3, 60, 0, 50)});
    addGroup(song, {playedNote(3, 67, 0, 50, mark::kTieEnd), playedNote(3, 62, 0, 100)});
    Solo solo(song);
    EXPECT_EQ(solo.play(), (Lines{"0 on 0 60 100", "72 off 0 60",     // gate 72 of 96, then a tail of 24
                                  "120 on 0 62 100", "168 off 0 62",  // delay 24, gate 48, tail 24
                                  // after the rest (bar lines take no time) a tie: down after its first
                                  // delay (9), up after the last note's delay + gate (432 + 9 + 48)
                                  "297 on 0 64 100", "489 off 0 64",
                                  // a group's records are taken last first; a full gate hands over
                                  "528 on 0 60 100", "528 on 0 67 100", "576 off 0 60", "624 on 0 62 100",
                                  "672 off 0 67", "720 off 0 62"}));
    EXPECT_EQ(solo.now, 720);  // finished when the last group's time is up
}

TEST(Performer, EffectsBecomeMessagesLastRecordFirst) {
    // GIVEN a note carrying every kind of effect value
    SongRecord bend = effectValue(effect::kPitchBend, 0);
    bend.setValue16(-8192);
    SongRecord bendUp = bend;
    bendUp.setValue16(8191);
    std::vector<SongRecord> song =
        test::group({playedNote(3, 60, 0, 100), effectValue(effect::kVolume, 100), effectValue(effect::kPan, 20),
                     programChange(1, 8, 5), bend, effectValue(effect::kGateTime, 50), effectValue(effect::kVelocity, 50),
                     effectValue(effect::kNone, 1), effectValue(13, 70), effectValue(effect::kVariation, 3)});
    addGroup(song, {playedNote(3, 62, 0, 100), bendUp, programChange(0, 0, 9), effectValue(effect::kHold, 127),
                    effectValue(effect::kReverb, 40), effectValue(effect::kChorus, 30),
                    effectValue(effect::kModulation, 5)});
    // THEN controllers, bank, program and bend go out before the note; gate, velocity and "none" send nothing
    Solo solo(song);
    EXPECT_EQ(solo.play(), (Lines{"0 cc 0 94 3", "0 cc 0 71 70", "0 bend 0 0 0", "0 cc 0 32 1", "0 cc 0 0 8",
                                  "0 program 0 5", "0 cc 0 10 20", "0 cc 0 7 100", "0 on 0 60 100",
                                  "96 off 0 60", "96 cc 0 1 5", "96 cc 0 93 30", "96 cc 0 91 40",
                                  "96 cc 0 64 127", "96 program 0 9", "96 bend 0 127 127", "96 on 0 62 100",
                                  "192 off 0 62"}));
}

TEST(Performer, TempoEffectSetsTheClockAndRemeasuresItsOwnGroup) {
    // GIVEN quarters at time base 960, the second carrying tempo 60
    std::vector<SongRecord> song = test::groups({playedNote(3, 60, 0, 100)});
    addGroup(song, {playedNote(3, 62, 0, 100), effectValue(effect::kTempo, 60)});
    Solo solo(song, PerformerClock::ticks(960, 120));
    // THEN the first lasts 952 ticks (32nd 119) and the second 960 (32nd 120)
    EXPECT_EQ(solo.play(), (Lines{"0 on 0 60 100", "952 off 0 60", "952 tempo 60", "952 on 0 62 100",
                                  "1912 off 0 62"}));
}

TEST(Performer, CurvesStepAtTheirIntervalUntilTheirGroupEnds) {
    // GIVEN, in milliseconds at 120 (an eighth is 248 ms), eighths carrying curve pieces
    std::vector<SongRecord> song;
    auto withCurve = [&](std::array<SongRecord, 3> piece) {
        addGroup(song, {playedNote(4, 60, 0, 50), piece[0], piece[1], piece[2]});
    };
    withCurve(curvePiece(kind::kVolumeCurve, 1, 50, 0, 20, 0, 0.1f));           // line
    withCurve(curvePiece(kind::kModulationCurve, 2, 50, 0, 10, 0, 0.001f));     // parabola
    withCurve(curvePiece(kind::kVolumeCurve, 3, 100, 0, 0, 100, 0.01f));        // exponential
    withCurve(curvePiece(kind::kPitchBendCurve, 4, 60, 0, 0, 1000, std::numbers::pi_v<float> / 400));  // sine
    withCurve(curvePiece(kind::kVolumeCurve, 1, 0, 0, 20, 0, 0.1f));            // interval 0: no steps
    SongRecord value = effectValue(effect::kVolume, 90);
    const auto cut = curvePiece(kind::kVolumeCurve, 1, 50, 1000, 0, 0, 0.1f);
    addGroup(song, {playedNote(4, 60, 0, 50), value, cut[0], cut[1], cut[2]});  // loaded, then ended by the value
    addGroup(song, {playedNote(4, 60, 0, 50)});
    Solo solo(song, PerformerClock::milliseconds(120));
    Lines steps = solo.play();
    std::erase_if(steps, [](const std::string& l) { return l.find(" on ") != l.npos || l.find(" off ") != l.npos; });
    // THEN each step's value is the function of the units since its group began (its own unit counts 1)
    EXPECT_EQ(steps, (Lines{"49 cc 0 7 25", "99 cc 0 7 30", "149 cc 0 7 35", "199 cc 0 7 40",
                            "297 cc 0 1 12", "347 cc 0 1 20", "397 cc 0 1 32", "447 cc 0 1 50",
                            "595 cc 0 7 63", "695 cc 0 7 86",
                            "803 bend 0 69 67", "863 bend 0 41 70", "923 bend 0 91 71", "983 bend 0 55 71",
                            "1240 cc 0 7 90"}));
}

TEST(Performer, TranspositionSparesChannel9AndMutingSilencesNoteOns) {
    std::vector<SongRecord> song = test::group({playedNote(3, 36, 0, 50), effectValue(effect::kPan, 3)});
    addGroup(song, {playedNote(3, 38, 0, 50)});
    Solo melody(song);
    melody.performer.setTransposition(5);
    Solo rhythm(song, PerformerClock::ticks(96, 120), 9);
    rhythm.performer.setTransposition(5);
    // WHEN the transposition changes while a note sounds THEN its release goes to the key that went down
    melody.performer.step();
    ++melody.now;
    melody.performer.setTransposition(-3);
    EXPECT_EQ(melody.play(), (Lines{"0 cc 0 10 3", "0 on 0 41 100", "48 off 0 41", "96 on 0 35 100", "144 off 0 35"}));
    EXPECT_EQ(rhythm.play(), (Lines{"0 cc 9 10 3", "0 on 9 36 100", "48 off 9 36", "96 on 9 38 100", "144 off 9 38"}));
    Solo muted(song);
    muted.state.muted = true;
    EXPECT_EQ(muted.play(), (Lines{"0 cc 0 10 3", "48 off 0 36", "144 off 0 38"}));
}

// Sixteen channels of varied songs on one clock; `chunk` > 0 runs them so many units at a time, as a timer does.
Lines ensembleLog(std::uint32_t seed, std::size_t groups, std::uint32_t timeBase, Stepping stepping,
                  std::int64_t chunk = 0) {
    std::vector<std::vector<SongRecord>> songs;
    for (std::uint32_t i = 0; i < 16; ++i) songs.push_back(test::variedSong(seed + i, groups + i * 7, i % 5 == 4));
    PerformerClock clock = PerformerClock::ticks(timeBase, 100);
    std::unique_ptr<Ensemble> ensemble;
    Log log([&] { return ensemble->now(); });
    std::vector<ChannelState> states(16);
    std::vector<std::unique_ptr<Performer>> performers;
    std::vector<Performer*> pointers;
    for (std::size_t i = 0; i < 16; ++i) {
        const std::uint8_t channel = i % 5 == 4 ? 9 : std::uint8_t(i);
        states[i] = ChannelState::forSong(songs[i], SongInfo::defaults(), channel);
        performers.push_back(std::make_unique<Performer>(states[i], clock, log));
        performers.back()->setTransposition(2);
        performers.back()->setWritesMeta(i == 0);
        performers.back()->begin();
        pointers.push_back(performers.back().get());
    }
    ensemble = std::make_unique<Ensemble>(pointers, clock, 1, stepping);
    if (chunk == 0) ensemble->runToEnd();
    while (!ensemble->finished()) ensemble->runUntil(ensemble->now() + chunk);
    log.lines.push_back("end " + std::to_string(ensemble->now()));
    return log.lines;
}

TEST(Ensemble, SkippingQuietUnitsSendsWhatEveryUnitSends) {
    // GIVEN sixteen varied channels (see variedSong; rhythm channels among them) at several time bases
    for (const std::uint32_t timeBase : {48u, 96u, 480u}) {
        for (const std::uint32_t seed : {1u, 77u}) {
            // WHEN they run unit by unit, skipping quiet units, and in timer-sized chunks
            const Lines reference = ensembleLog(seed, 120, timeBase, Stepping::EveryUnit);
            const Lines fast = ensembleLog(seed, 120, timeBase, Stepping::SkipQuiet);
            const Lines chunked = ensembleLog(seed, 120, timeBase, Stepping::SkipQuiet, 5);
            // THEN the messages, their units and the end are the same
            ASSERT_GT(reference.size(), 2000u);
            EXPECT_EQ(fast, reference) << "time base " << timeBase << " seed " << seed;
            EXPECT_EQ(chunked, reference) << "time base " << timeBase << " seed " << seed;
        }
    }
}

}  // namespace
}  // namespace plume
