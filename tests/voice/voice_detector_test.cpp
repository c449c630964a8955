#include <gtest/gtest.h>

#include "platform/clock.h"
#include "voice/pitch_shift.h"
#include "voice/tones.h"
#include "voice/voice_detector.h"
#include "voice/wav_file_driver.h"

namespace plume::voice {
namespace {

using namespace test;

// What a note is made of, to compare whole lists: start, end, note, length code, dots.
using Row = std::tuple<std::uint32_t, std::uint32_t, int, int, int>;
std::vector<Row> rows(const std::vector<NoteSegment>& notes) {
    std::vector<Row> r;
    for (const NoteSegment& s : notes) r.emplace_back(s.start, s.end, s.note, s.lengthCode, s.dots);
    return r;
}

// A detector holding `take` as if it had just been recorded through the WAV-file device.
class Detector : public testing::Test, protected test::Profiles {
protected:
    platform::ManualClock clock;
    std::unique_ptr<WavFileDriver> driver;
    std::unique_ptr<CVoiceDetector> detector;  // destroyed before its driver

    // A new detector on a device that hears `take`, recording for `seconds`.
    void start(const Take& take, double seconds, int bufferSeconds = 60) {
        detector.reset();  // it closes its device on the old driver
        driver = std::make_unique<WavFileDriver>(take, clock);
        detector = std::make_unique<CVoiceDetector>(*driver);
        EXPECT_TRUE(detector->Allocate(bufferSeconds));
        EXPECT_EQ(detector->OpenInput(nullptr), mm::kNoError);
        EXPECT_EQ(detector->StartRecording(seconds), 0);
    }
    std::uint32_t record(const Take& take, int bufferSeconds = 60) {
        start(take, double(take.size()) / 22050.0 + 0.001, bufferSeconds);
        clock.advanceMillis(std::int64_t(take.size()) * 1000 / 22050 + 10);
        return detector->GetInputPosition();
    }
    // The note of the whole of `take`, its frequency left in `frequency`.
    int measure(const Take& take, int& frequency) {
        record(take);
        return detector->MeasureRange(0, std::uint32_t(take.size()), frequency);
    }
    std::vector<NoteSegment> analyseAll(const Take& take, std::uint16_t tempo = 120) {
        const std::uint32_t samples = record(take);
        const int count = detector->Analyse(tempo, samples, 1);
        const auto s = detector->GetSegments().first(std::size_t(count));
        return {s.begin(), s.end()};
    }
    // The take analysed every 50 ms, 3307 samples behind the card, then flushed; the counts never drop.
    std::vector<NoteSegment> analyseLive(const Take& take) {
        start(take, double(take.size()) / 22050.0);
        int last = 0;
        for (std::size_t ms = 0; ms < take.size() * 1000 / 22050; ms += 50) {
            clock.advanceMillis(50);
            const std::int64_t behind = std::int64_t(detector->GetInputPosition()) - 3307;
            if (behind <= 0) continue;
            const int n = detector->Analyse(120, std::uint32_t(behind), 0);
            EXPECT_GE(n, last);
            last = n;
        }
        const auto s = detector->GetSegments().first(std::size_t(detector->Analyse(120, std::uint32_t(take.size()), 1)));
        return {s.begin(), s.end()};
    }
};

// A take of a loud note, one block at a third of its level, then the tone again at `after`.
Take dipTake(std::uint32_t firstBlocks, double after) {
    return takeOf({{0, 5}, {69, firstBlocks}, {69, 1, 4000.0}, {69, 20, after}, {0, 10}});
}

TEST_F(Detector, EveryToneGivesItsNote) {
    int measured = 0;
    for (int key : {69, 45, 52, 60, 64, 67, 72, 79}) EXPECT_EQ(measure(takeOf({{key, 20}}), measured), key) << measured;
}

TEST_F(Detector, DetectWay1FollowsTonesRichInHarmonics) {
    plm.writeInt("Voice Detect Parameters", "Detect Way", 1);
    for (int key : {45, 50, 57, 62, 69, 76, 81}) {
        const double hz = hzOf(key);
        Take t;
        for (std::uint32_t i = 0; i < 25 * kBlock; ++i) {
            const double x = 2.0 * std::numbers::pi * hz * double(i) / 22050.0;
            t.push_back(std::int16_t(5000.0 * std::sin(x) + 6000.0 * std::sin(2 * x) + 3000.0 * std::sin(3 * x)));
        }
        int frequency = 0;
        EXPECT_EQ(measure(t, frequency), key) << frequency;
        EXPECT_NEAR(frequency, hz, hz * 0.01);
    }
    // Noise has no period.
    Take noise;
    addNoise(noise, 25, 10000);
    record(noise);
    EXPECT_EQ(detector->periodPitch(0, std::uint32_t(noise.size())), 0);
}

TEST_F(Detector, DcOrTooShortARangeGivesNoPitchUnlessTheSilenceLevelTakesTheOffsetAway) {
    const Take plain = takeOf({{69, 20, 2000.0}});
    Take offset = plain;
    for (auto& s : offset) s = std::int16_t(s + 20000);
    int frequency = -1;
    EXPECT_EQ(measure(offset, frequency), 0);
    EXPECT_EQ(frequency, 0);
    app.writeInt("WAV Config", "GrandLevel", 20000);
    EXPECT_EQ(measure(offset, frequency), 69);
    // A range shorter than the attack skip has none.
    EXPECT_EQ(detector->MeasureRange(0, kAttackSkip, frequency), 0);
}

TEST(LengthQuantisation, EachLengthStartsAtItsThresholdAtTempo120) {
    const std::tuple<std::uint32_t, int, int> lengths[] = {{250, 4, 0},     {300, 4, 0},     {320, 4, 0x40},
                                                           {1900, 1, 0},    {1874, 2, 0x80}, {10, 6, 0}};
    for (const auto& [ms, code, dots] : lengths)
        EXPECT_EQ(quantiseLength(ms, 120), std::make_pair(std::uint8_t(code), std::uint8_t(dots))) << ms;
    EXPECT_EQ(std::vector({noteOfFrequency(440), noteOfFrequency(261), noteOfFrequency(0)}),
              std::vector<std::uint8_t>({69, 60, 0}));
}

TEST_F(Detector, NotesAreCutAtSilenceAndTimedOnsetToOnsetAndANoteSoundingAtTheEndIsLost) {
    // GIVEN C4 for 30 blocks, a 10-block rest, E4 for 20 blocks, a rest, G4 for 20 blocks, a rest, and A4
    // still sounding when the take ends
    const auto notes = analyseAll(takeOf({{0, 5}, {60, 30}, {0, 10}, {64, 20}, {0, 5}, {67, 20}, {0, 20}, {69, 30}}));
    // 800 ms onset to onset: dotted quarter; 500 ms: quarter; the last kept, 400 ms × 1.25 = 500: quarter.
    EXPECT_EQ(rows(notes), (std::vector<Row>{{5 * kBlock, 35 * kBlock, 60, 3, 0x40},
                                             {45 * kBlock, 65 * kBlock, 64, 3, 0},
                                             {70 * kBlock, 90 * kBlock, 67, 3, 0}}));
    for (const NoteSegment& n : notes) EXPECT_NEAR(n.frequency, hzOf(n.note), 6.0) << int(n.note);
}

TEST_F(Detector, ShortNotesOneSidedPeaksAndQuietSoundsNeverBecomeNotes) {
    // 120 ms of a tone (dropped), then a tone below the noise cut
    Take take = takeOf({{0, 3}, {62, 6}, {0, 5}, {62, 20, 2500.0}, {0, 5}});
    for (std::uint32_t i = 0; i < 20 * kBlock; ++i) take.push_back(std::int16_t(i % 100 < 5 ? 12000 : 0));  // positive only
    addSilence(take, 5);
    addNoise(take, 20, 2000);
    addSilence(take, 5);
    EXPECT_TRUE(analyseAll(take).empty());
    // A lower noise cut takes the quiet tone (and the noise) as notes.
    plm.writeInt("Voice Detect Parameters", "Noise Cut Level", 1000);
    EXPECT_EQ(analyseAll(take).size(), 2u);
}

TEST_F(Detector, ADipSplitsAndAWeakSwellAfterItIsDiscarded) {
    // GIVEN a loud note, one block at a third of its level, and a second loud part
    auto notes = analyseAll(dipTake(20, 12000.0));
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(std::tie(notes[0].start, notes[0].end, notes[1].start, notes[1].end),
              std::make_tuple(5 * kBlock, 24 * kBlock, 25 * kBlock, 46 * kBlock));
    // WHEN the part after the dip swells only to 5000 (5000 × 0.6 is not above the dip's 4000)
    notes = analyseAll(dipTake(20, 5000.0));
    // THEN it is the tail of the first note
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].end, 24 * kBlock);
    EXPECT_EQ(analyseAll(dipTake(5, 12000.0)).size(), 1u) << "a dip before 7 blocks does not split";
}

// Sung legato: a soft attack, then three keys with no dip in level between them.
TEST_F(Detector, DetectWay1StartsAtTheSoftAttackAndCutsWhereTheKeyChanges) {
    const Take take = takeOf({{0, 5}, {57, 4, 1500.0}, {57, 20}, {64, 20}, {60, 20}, {0, 10}});
    const auto plain = analyseAll(take);
    ASSERT_EQ(plain.size(), 1u);
    EXPECT_EQ(plain[0].start, 9 * kBlock);

    plm.writeInt("Voice Detect Parameters", "Detect Way", 1);
    const auto sung = analyseAll(take);
    ASSERT_EQ(sung.size(), 3u);
    const std::pair<int, std::uint32_t> expected[] = {{57, 5 * kBlock}, {64, 29 * kBlock}, {60, 49 * kBlock}};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(sung[i].note, expected[i].first) << i;
        EXPECT_LE(std::abs(int(sung[i].start) - int(expected[i].second)), int(3 * kBlock)) << i;
    }
    // The notes cut into the table while the take is analysed live are the ones one pass finds.
    EXPECT_EQ(rows(analyseLive(take)), rows(sung));
}

TEST_F(Detector, AFullSegmentTableAndALongTakeAreNeverOverrun) {
    Take take;
    for (int i = 0; i < 160; ++i) {
        addTone(take, 220.0 + i, 8);
        addSilence(take, 4);
    }
    EXPECT_EQ(analyseAll(take).size(), kSegmentCapacity);
    // Longer than the envelope: the analysis stops at 3000 blocks.
    Take noise;
    addNoise(noise, 3100, 20000);
    const std::uint32_t samples = record(noise, 65);
    EXPECT_LE(detector->Analyse(120, samples, 1), int(kSegmentCapacity));
    // Detect Way 1 cutting legato runs into more notes than the table holds: it stays in order.
    plm.writeInt("Voice Detect Parameters", "Detect Way", 1);
    Take legato;
    for (int run = 0; run < 30; ++run) {
        for (int key : {57, 60, 64, 67, 62}) addTone(legato, hzOf(key), 12);
        addSilence(legato, 4);
    }
    const auto cut = analyseAll(legato);
    ASSERT_LE(cut.size(), kSegmentCapacity);
    ASSERT_GE(cut.size(), kSegmentCapacity - 1);  // the last slot may be kept for the note under way
    for (std::size_t i = 1; i < cut.size(); ++i) {
        EXPECT_LT(cut[i - 1].start, cut[i - 1].end) << i;
        EXPECT_LE(cut[i - 1].end, cut[i].start) << i;
    }
}

TEST_F(Detector, PitchShiftTwoSemitonesUpMoves220HzTo246HzInTheSameLengthWithSilenceAfterTheHeadsRunOut) {
    const Take take = takeOf({{57, 100}});  // 220 Hz for 2 s
    Take shifted = take;
    pitchShift(shifted, std::pow(2.0, 2.0 / 12.0));
    ASSERT_EQ(shifted.size(), take.size());
    // The detector hears B3 (246.9 Hz) wherever it listens, at the start, inside a block and across a crossfade
    ASSERT_GE(record(shifted), take.size());
    for (std::uint32_t from : {0u, 5000u, 11025u, 30000u}) {
        int frequency = 0;
        EXPECT_EQ(detector->MeasureRange(from, from + 4096, frequency), 59) << from;
        EXPECT_NEAR(frequency, 246.9, 2 * 22050.0 / 4096) << from;  // within two bins of the spectrum
    }
    // The leading head passes the end before the output does: the tail is silent, what precedes it is not
    const auto lastSound = std::find_if(shifted.rbegin(), shifted.rend(), [](std::int16_t s) { return s != 0; });
    const auto silentTail = std::size_t(lastSound - shifted.rbegin());
    EXPECT_GT(silentTail, 100u);
    EXPECT_LT(silentTail, kShiftBlock);
    // A ratio of 1 gives the samples back, but for the truncation of the crossfade and the last sample
    Take same = take;
    pitchShift(same, 1.0);
    for (std::size_t i = 0; i + 1 < same.size(); ++i) ASSERT_LE(std::abs(same[i] - take[i]), 1) << i;
    EXPECT_EQ(same.back(), 0);
}

TEST_F(Detector, ParametersLoadWithinTheirLimitsAndSaveAsDecimals) {
    plm.writeInt("Voice Detect Parameters", "Note Low", 10);
    plm.writeInt("Voice Detect Parameters", "Note High", 120);
    plm.writeInt("Voice Detect Parameters", "Detect Way", 1);
    record({});
    DetectParameters expected = DetectParameters::defaults();
    expected[DetectParameters::kDetectWay] = 1;
    EXPECT_EQ(detector->GetParameters(), expected);
    expected[DetectParameters::kFTypeLow] = 7;
    detector->SetParameters(expected);
    detector->SaveParameters();
    EXPECT_EQ(plm.getString("Voice Detect Parameters", "F type Low", ""), "7");
    EXPECT_EQ(plm.getString("Voice Detect Parameters", "Note Low", ""), "24");
}

}  // namespace
}  // namespace plume::voice
