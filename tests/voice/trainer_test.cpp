#include <gtest/gtest.h>

#include <deque>

#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/window_timers.h"
#include "voice/ear_training.h"
#include "voice/singing_basics.h"
#include "voice/singing_practice.h"
#include "voice/tones.h"
#include "voice/trainer_fakes.h"
#include "voice/wav_file_driver.h"

namespace plume::voice {
namespace {

using namespace test;
using Strings = std::vector<std::string>;

// rand() replaced by the numbers a test lists, in order; the last one repeats.
RandomSource numbers(std::deque<int> list) {
    return [list]() mutable {
        const int n = list.front();
        if (list.size() > 1) list.pop_front();
        return n;
    };
}

class Trainer : public testing::Test, protected Profiles {
protected:
    platform::ScriptedMessageBox box;
    platform::ManualClock clock;
    platform::ManualTimers timers{&clock};
    FakePlayer player;
    RecordingSounds sounds;
    std::unique_ptr<WavFileDriver> driver;
    std::unique_ptr<CVoiceDetector> detector;  // destroyed before its driver

    // One question of the ear training, its note played out, answered with `letter`.
    void answer(EarTraining& ear, char letter) {
        ASSERT_TRUE(ear.ask());
        player.end();
        ear.pressNote(letter);
        ear.decide();
    }

    // A microphone that hears `take` from the start of the recording.
    void listen(const Take& take, int seconds) {
        detector.reset();
        driver = std::make_unique<WavFileDriver>(take, clock);
        detector = std::make_unique<CVoiceDetector>(*driver);
        ASSERT_TRUE(detector->Allocate(seconds));
    }

    // Lets `ms` pass for the timers and the WAV-file device.
    template <typename Logic>
    void pass(Logic& logic, int ms) {
        for (int t = 0; t < ms; t += 10) {
            timers.advanceMillis(10);
            logic.service();
        }
    }
};

TEST_F(Trainer, EarTrainingComparesPitchClassesSoSharpSpellingsOfNaturalsCount) {
    // GIVEN white-key questions: F (index 3) and then C (index 0), both in the middle octave
    EarTraining ear(player, sounds, numbers({3, 0, 0, 0}));
    ASSERT_TRUE(ear.ask());
    EXPECT_EQ(ear.question(), 65);
    EXPECT_EQ(sounds.played, Strings{"prob.wav"});
    player.end();
    EXPECT_FALSE(ear.sharpEnabled()) << "# needs 派生音";
    // WHEN "E" with "#" is answered THEN it reads "E#" and is right
    ear.pressNote('E');
    ear.setSharp(true);
    EXPECT_EQ(ear.answerName(), "E#");
    ear.decide();
    EXPECT_EQ(std::make_tuple(ear.score().correct, ear.correctName()), std::make_tuple(1, "F"));
    EXPECT_EQ(sounds.played.back(), "pinpon.wav");
    // and "B#" (12) answers C
    ASSERT_TRUE(ear.ask());
    player.end();
    ear.pressNote('B');
    EXPECT_EQ(ear.answer(), 12);
    ear.decide();
    EXPECT_EQ(std::make_tuple(ear.score().correct, ear.score().rate()), std::make_tuple(2, "100%"));
}

TEST_F(Trainer, EarTrainingCheersAfterThreeWrongAnswersAndEveryRightAnswerRestartsTheRun) {
    EarTraining ear(player, sounds, [] { return 0; });  // always C4
    for (char letter : {'D', 'D', 'C', 'D', 'D'}) answer(ear, letter);  // the right C starts the run again
    EXPECT_EQ(sounds.count("ganba.wav"), 0);
    answer(ear, 'D');
    EXPECT_EQ(sounds.played.back(), "ganba.wav");
    answer(ear, 'D');
    answer(ear, 'D');
    EXPECT_EQ(sounds.count("ganba.wav"), 1) << "the cheer starts the run again";
    EXPECT_EQ(std::make_tuple(ear.score().attempts, ear.score().rate()), std::make_tuple(8, "12%"));  // 1 × 100 / 8
}

TEST_F(Trainer, EarTrainingDrawsFromTheTickedRangesAndRepeatsAWaitingQuestion) {
    EarTraining ear(player, sounds, numbers({13, 5, 7, 1}));
    ear.setRange(1, false);
    // Black keys with 派生音; the base is the second of the ticked boxes (72 and 48): 13 % 12 + 48
    ear.setRange(0, true);
    ear.setRange(2, true);
    ear.setDerived(true);
    ASSERT_TRUE(ear.ask());
    EXPECT_EQ(player.lastKey(), 49);
    player.end();
    EXPECT_TRUE(ear.sharpEnabled());
    // "出題" while waiting plays the same note; "ヒント" the C of its octave
    ASSERT_TRUE(ear.ask());
    EXPECT_EQ(player.lastKey(), 49);
    player.end();
    ASSERT_TRUE(ear.hint());
    EXPECT_EQ(player.plays.back().records[0].bytes, (std::array<std::uint8_t, 10>{1, 0, 2, 0, 0, 48, 127, 0, 100, 0}));
    // A player that cannot start leaves the dialog waiting
    player.end();
    player.starts = false;
    EXPECT_FALSE(ear.hint());
    EXPECT_EQ(ear.state(), EarTraining::State::Waiting);
}

TEST(KeyboardPicture, BlackKeysOnlyInTheirBandAndWhiteKeysEightPixelsWide) {
    // C#2 spans x 5..10 of the first octave in the band, below it the same x is C; Bb of the second
    // octave ends at 56 + 50; the last key is B6 (95); the mark row and everything outside set nothing
    const std::tuple<int, int, std::optional<int>> cases[] = {
        {5, 21, 25}, {10, 40, 25}, {4, 30, 24},  {5, 41, 24},           {56 + 50, 30, 46},
        {56 + 51, 30, 47}, {335, 60, 95}, {336, 60, std::nullopt}, {20, 20, std::nullopt}};
    for (const auto& [x, y, key] : cases) EXPECT_EQ(keyboard_picture::noteAt(x, y), key) << x << "," << y;
}

class SingleNote : public Trainer {
protected:
    std::unique_ptr<SingingBasics> basics;

    // The dialog over a microphone that hears `take`.
    void make(const Take& take, std::deque<int> random = {0}) {
        basics.reset();
        listen(take, SingingBasics::kSeconds);
        basics = std::make_unique<SingingBasics>(*detector, player, sounds, timers, numbers(random));
        basics->load();
    }
    // One question and the take that answers it.
    void askAndSing() {
        ASSERT_TRUE(basics->ask());
        player.end();
        pass(*basics, 200);
        ASSERT_EQ(basics->state(), SingingBasics::State::Recording);
        pass(*basics, 2600);
    }
    static Take sung(int key) { return takeOf({{0, 10}, {key, 60}, {0, 30}}); }
};

TEST_F(SingleNote, TheSameNoteAnOctaveOffIsWrongAndSoIsSilence) {
    // GIVEN the range 60..60 and a singer an octave low
    plm.writeInt("Cantavo", "low", 60);
    plm.writeInt("Cantavo", "high", 60);
    make(sung(48));
    askAndSing();
    EXPECT_EQ(std::make_tuple(basics->question(), basics->sung(), basics->score().correct), std::make_tuple(60, 48, 0));
    EXPECT_EQ(sounds.played, (Strings{"prob.wav", "buu.wav"}));
    // and silence is no answer: wrong
    make(Take(22050, 0));
    askAndSing();
    EXPECT_EQ(basics->sung(), std::nullopt);
    EXPECT_EQ(sounds.played.back(), "buu.wav");
}

TEST_F(SingleNote, TheRangeComesFromTheProfileWithinLimitsIsSwappedAndSaved) {
    plm.writeInt("Cantavo", "low", 80);
    plm.writeInt("Cantavo", "high", 20);  // out of 24..95: the default 72
    plm.writeInt("User Data for Transpose", "User Data", 96);
    make({}, {5});
    EXPECT_EQ(std::make_tuple(basics->ownNote(), basics->low(), basics->high()), std::make_tuple(60, 80, 72));
    // "出題" swaps the ends: 72 + 5 % 9
    ASSERT_TRUE(basics->ask());
    EXPECT_EQ(std::make_tuple(basics->low(), basics->question()), std::make_tuple(72, 77));
    basics->setOwnNote(55);
    basics->save();
    EXPECT_EQ(std::make_tuple(plm.getInt("Cantavo", "low", 0), plm.getInt("Cantavo", "high", 0),
                              plm.getInt("User Data for Transpose", "User Data", 0)),
              std::make_tuple(72, 80, 55));
}

TEST_F(SingleNote, ABusyInputIsRetriedSilentlyForFiveSecondsThenReported) {
    make(sung(60));
    ASSERT_EQ(driver->openInput(kWaveMapper, WaveFormatRecord{}), mm::kNoError);  // someone else holds it
    ASSERT_TRUE(basics->ask());
    player.end();
    pass(*basics, 5000);
    EXPECT_TRUE(box.shown().empty());
    pass(*basics, 100);
    EXPECT_EQ(box.shown(), Strings{"指定されたリソースはすでに割り当てられています。"});
    EXPECT_FALSE(timers.isSet(*basics, SingingBasics::kRetryTimer));
    EXPECT_EQ(basics->state(), SingingBasics::State::Idle);
    // Another failure is shown at once
    driver->closeInput();
    driver->failOpeningWith(mm::kNoDriver);
    ASSERT_TRUE(basics->ask());
    player.end();
    pass(*basics, 100);
    EXPECT_EQ(box.shown().back(), "ドライバがインストールされていません。");
    EXPECT_EQ(basics->score().attempts, 0);
}

SongRecord note(std::uint8_t type, std::uint8_t key) { return SongRecord{{1, 0, type, 0, 0, key, 100, 0, 80, 0}}; }
SongRecord bar(std::uint8_t type = type::kBarLine) { return SongRecord{{1, 0, type, 0, 0, 0, 0, 0, 0, 0}}; }

class SongPractice : public Trainer {
protected:
    std::unique_ptr<SingingPractice> practice;

    void make(const Take& take, const std::vector<SongRecord>& song, std::int16_t tempo = 120) {
        practice.reset();
        listen(take, SingingPractice::kSeconds);
        practice = std::make_unique<SingingPractice>(*detector, player, sounds, timers);
        SongInfo info = SongInfo::defaults();
        info.setTempo(tempo);
        practice->open(song, info);
    }
    // "Rec" through the count-in to the song and the take.
    void startTake() {
        ASSERT_TRUE(practice->record());
        pass(*practice, 1500);
        ASSERT_EQ(practice->state(), SingingPractice::State::Recording);
        pass(*practice, 200);
    }
    // The player reports a note sounding from now for `ms`.
    void sound(int key, int ms) {
        player.report(PlayReport::Kind::NoteStart, key);
        pass(*practice, ms);
        player.report(PlayReport::Kind::NoteEnd, key);
    }
};

TEST_F(SongPractice, TranspositionKeepsEveryNoteWithin24To94AndRefusedMovesLeaveTheBars) {
    make({}, {note(3, 30), bar(type::kLineBreak), note(3, 80)});
    EXPECT_EQ(practice->source()[1].type(), type::kBarLine);
    EXPECT_EQ(std::make_pair(practice->octaveLow(), practice->octaveHigh()), std::make_pair(0, 1));  // -6/12, 15/12
    EXPECT_TRUE(practice->setSemitone(-5));
    EXPECT_FALSE(practice->setSemitone(-6)) << "the bar ends at -5";
    EXPECT_TRUE(practice->setSemitone(0));
    EXPECT_TRUE(practice->setOctave(1));                      // 92 is fine
    EXPECT_FALSE(practice->setSemitone(3));                   // 95 is not
    EXPECT_EQ(practice->semitone(), 0);
    EXPECT_TRUE(practice->setSemitone(2));                    // 94 is
    EXPECT_EQ(practice->transposition(), 14);
    make({}, {note(3, 26), note(3, 60)});
    EXPECT_TRUE(practice->setSemitone(-2));                   // 24 is fine
    EXPECT_FALSE(practice->setSemitone(-3));                  // 23 is not
    EXPECT_FALSE(practice->setOctave(-1));
    // Without notes both bars stay at 0
    make({}, {bar(), note(9, 0)});
    EXPECT_EQ(std::make_pair(practice->octaveLow(), practice->octaveHigh()), std::make_pair(0, 0));
    EXPECT_FALSE(practice->setSemitone(1));
}

TEST_F(SongPractice, HalfSpeedPlaysAtHalfTheTempoAfterTheCountIn) {
    make({}, {note(3, 60)}, 125);
    practice->setSpeed(200);
    EXPECT_EQ(practice->tempo(), 250);
    practice->setSpeed(20);  // below half speed: half speed
    EXPECT_EQ(std::make_pair(practice->speed(), practice->tempo()), std::make_pair(50, 62));
    ASSERT_TRUE(practice->record());
    pass(*practice, 1490);
    EXPECT_EQ(sounds.count("stick.wav"), 3);
    EXPECT_TRUE(player.plays.empty());
    pass(*practice, 10);
    ASSERT_EQ(player.plays.size(), 1u);
    EXPECT_EQ(std::make_tuple(player.plays[0].tempo, player.plays[0].midiChannel), std::make_tuple(62, 0));
    // A player that cannot start: the message, and back to idle
    practice->stop();
    player.starts = false;
    make({}, {note(3, 60)});
    ASSERT_TRUE(practice->record());
    pass(*practice, 1500);
    EXPECT_EQ(box.shown(), Strings{"MIDI演奏が出来ません。"});
    EXPECT_EQ(practice->state(), SingingPractice::State::Idle);
}

TEST_F(SongPractice, EachNoteIsMeasuredInItsWindowAndAnUndetectedNoteBecomesAWrongRest) {
    // GIVEN G4 E4 | C4 transposed up an octave and sung as G5, a breath and B4
    Take take = takeOf({{0, 10}, {79, 40}, {0, 25}, {71, 40}, {0, 40}});
    std::fill_n(take.begin() + 50 * kBlock, 25 * kBlock, 3000);  // a breath: no pitch to be found
    make(take, {note(3, 67), note(3, 64), bar(), note(2, 60), note(9, 0)});
    ASSERT_TRUE(practice->setOctave(1));
    startTake();
    pass(*practice, 150);  // the take is now 200 ms (10 blocks) long
    sound(79, 800);
    sound(76, 500);
    sound(72, 800);
    player.end();
    pass(*practice, 20);
    ASSERT_EQ(practice->windows().size(), 3u);
    EXPECT_NEAR(practice->windows()[1].start, 22050 * 1000 / 1000, 441);
    // THEN the G is right; the mumble is a rest, the B a wrong note, both shown in the written key
    const auto& sung = practice->sung();
    ASSERT_EQ(sung.size(), 5u);
    EXPECT_EQ(sung[0].key(), 67);
    EXPECT_EQ(sung[1].type(), 9);  // a quarter rest
    EXPECT_EQ(std::make_tuple(sung[3].type(), sung[3].key()), std::make_tuple(2, 59));
    EXPECT_EQ(practice->marks(), (std::vector<std::uint8_t>{1, 0, 0, 0, 1}));
    EXPECT_EQ(std::make_tuple(practice->correct(), practice->wrong(), practice->rate()), std::make_tuple(1, 2, "33%"));
    EXPECT_TRUE(practice->reliefEnabled());
    // WHEN "音痴救済" runs THEN only the B's window moves up a semitone, and the rest is left alone
    const std::vector<std::int16_t> before(detector->GetBufferHandle().begin(),
                                           detector->GetBufferHandle().begin() + detector->GetSampleCount());
    ASSERT_TRUE(practice->relief());
    const auto after = detector->GetBufferHandle();
    const NoteWindow b = practice->windows()[2];
    EXPECT_TRUE(std::equal(before.begin(), before.begin() + b.start, after.begin()));
    int frequency = 0;
    EXPECT_EQ(detector->MeasureRange(b.start, b.end, frequency), 72);
}

TEST_F(SongPractice, ASongLongerThanTheTakeIsDiscardedAndStopLeavesTheTakeUnusable) {
    make(Take(22050, 0), {note(1, 60)});
    startTake();
    pass(*practice, 16100);
    EXPECT_EQ(box.shown(), Strings{"演奏時間を１６秒以内にして下さい。"});
    EXPECT_FALSE(player.playing);
    EXPECT_EQ(detector->GetSampleCount(), 0u);
    // Stop while recording: the take comes back but is not judged, and "Play" plays the song only
    startTake();
    practice->stop();
    pass(*practice, 20);
    EXPECT_TRUE(practice->takeUnusable());
    EXPECT_EQ(practice->practices(), 0);
    practice->play(false);
    EXPECT_EQ(practice->state(), SingingPractice::State::SongOnly);
    player.end();
    // The voice alone plays what was recorded
    practice->play(true);
    pass(*practice, 300);
    EXPECT_EQ(practice->state(), SingingPractice::State::Idle);
    EXPECT_EQ(driver->played().size(), detector->GetSampleCount());
}

TEST_F(SongPractice, PlayingSongAndVoiceFollowsBothEnds) {
    make(Take(22050, 100), {note(3, 60)});
    startTake();
    sound(60, 400);
    player.end();
    pass(*practice, 20);
    practice->play(false);
    EXPECT_EQ(practice->state(), SingingPractice::State::SongAndVoice);
    // The song ends first: the wave stops too, then its end brings the dialog back
    player.end();
    EXPECT_EQ(practice->state(), SingingPractice::State::VoiceOnly);
    pass(*practice, 10);
    EXPECT_EQ(practice->state(), SingingPractice::State::Idle);
    // The wave ends first: the song plays on
    practice->play(false);
    pass(*practice, 1000);
    EXPECT_EQ(practice->state(), SingingPractice::State::SongOnly);
    practice->stop();
    EXPECT_EQ(practice->state(), SingingPractice::State::Idle);
    EXPECT_FALSE(player.playing);
    // A wave output that cannot open stops the song
    driver->failOpeningWith(mm::kNoDriver);
    practice->play(false);
    EXPECT_EQ(box.shown().back(), "Wave再生デバイスがオープンできません。");
    EXPECT_FALSE(player.playing);
    EXPECT_EQ(practice->state(), SingingPractice::State::Idle);
}

}  // namespace
}  // namespace plume::voice
