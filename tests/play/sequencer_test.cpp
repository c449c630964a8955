#include <gtest/gtest.h>

#include "play/play_fixture.h"
#include "song/song_file.h"
#include "support/song_builder.h"
#include "support/temp_dir.h"

namespace plume {
namespace {

using namespace test;
using Lines = std::vector<std::string>;

constexpr std::uint8_t kQuarter = 3;

struct MemberFiles : TempDir {
    std::filesystem::path write(const std::string& name, const std::vector<SongRecord>& records, SongInfo info) {
        return TempDir::write(name, serializeSong(songOf(records, info)));
    }
};

// A project of the given members, first on track 1.
ProjectData projectOf(std::initializer_list<std::filesystem::path> members) {
    ProjectData project = ProjectData::fresh();
    std::size_t track = 0;
    for (const auto& path : members) EXPECT_TRUE(project.setMemberPath(track++, path));
    return project;
}

TEST(Sequencer, StartSendsResetPauseInitialStateAndChaseBeforeTheNotes) {
    // GIVEN an SC-55 song (bank 8, program 4) whose effects stand before its first note
    std::vector<SongRecord> song = group({effectValue(effect::kVolume, 90), effectValue(effect::kPan, 30)});
    addGroups(song, {note(kQuarter, 60), note(kQuarter, 62)});
    const auto document = documentOf(song, infoWith(120, 1, 8, 4));
    PlayRig rig;

    // WHEN it is played to its end with the reset chosen by the data
    ASSERT_TRUE(rig.play(*document));

    // THEN the GS reset; 300 ms later master volume, module, bank, program, the chased values; 50 ms later the notes
    const Lines timed = rig.timed();
    ASSERT_GE(timed.size(), 8u);
    EXPECT_EQ(Lines(timed.begin(), timed.begin() + 8),
              (Lines{"0.000 F0 41 10 42 12 40 00 7F 00 41 F7", "300.000 F0 7F 7F 04 01 00 7F F7",
                     "300.000 B0 20 01", "300.000 B0 00 08", "300.000 C0 04", "300.000 B0 07 5A",
                     "300.000 B0 0A 1E", "350.000 90 3C 64"}));
    EXPECT_FALSE(rig.engine.component().isOpen());
}

TEST(Sequencer, TheResetModeChoosesTheMessageAndThePause) {
    // (the data's choice is the start test's; GS chosen in the dialog is the GUI's)
    const auto sc55Song = documentOf(notes(kQuarter, {60}), infoWith(120, 1));
    const std::pair<int, Lines> cases[] = {{0, {"1.000 F0 7F 7F 04 01 00 7F F7", "1.000 B0 20 01"}},
                                           {2, {"0.000 F0 7E 7F 09 01 F7", "300.000 F0 7F 7F 04 01 00 7F F7"}}};
    for (const auto& [mode, firstTwo] : cases) {
        PlaySettings settings;
        settings.playBeginReset = mode;
        PlayRig rig(settings);
        ASSERT_TRUE(rig.play(*sc55Song));
        const Lines timed = rig.timed();
        ASSERT_GE(timed.size(), 2u);
        EXPECT_EQ(Lines(timed.begin(), timed.begin() + 2), firstTwo) << "mode " << mode;
    }
}

TEST(Sequencer, ASelectionPlaysThroughItsLastChordWithTheEffectsBeforeItChasedAndTheirTempo) {
    // GIVEN C with volume 80 and tempo 60, D with pan 20, E, a chord F-A-F', G; E to the chord selected
    std::vector<SongRecord> song =
        group({note(kQuarter, 60), effectValue(effect::kVolume, 80), effectValue(effect::kTempo, 60)});
    addGroup(song, {note(kQuarter, 62), effectValue(effect::kPan, 20)});
    const std::size_t e = song.size();
    addGroup(song, {note(kQuarter, 64)});
    const std::size_t chord = song.size();
    addGroup(song, {note(kQuarter, 77), note(kQuarter, 69), note(kQuarter, 65)});
    addGroup(song, {note(kQuarter, 67)});
    const auto document = documentOf(song, infoWith(120));
    PlayRig rig;
    rig.host.selection = RecordSelection{e, chord};
    ASSERT_TRUE(rig.play(*document));
    // THEN E and all three notes of the chord sound (the chord's last record first), C, D and G do not
    EXPECT_EQ(rig.noteOns(), (Lines{"90 40 64", "90 41 64", "90 45 64", "90 4D 64"}));
    // and volume and pan are sent before the clock starts, and E lasts a second (60/min)
    const Lines timed = rig.timed();
    EXPECT_LT(indexOf(timed, "300.000 B0 07 50"), indexOf(timed, "300.000 B0 0A 14"));
    EXPECT_LT(indexOf(timed, "300.000 B0 0A 14"), indexOf(timed, "350.000 90 40 64"));
    EXPECT_TRUE(has(timed, "1100.000 90 40 00"));
    EXPECT_TRUE(has(timed, "1350.000 90 41 64"));
    // and the mixer hears the song's tempo, then the chased one the play starts at
    EXPECT_EQ(rig.mixer.tempos, (std::vector<int>{120, 60}));
}

TEST(Sequencer, ARhythmSongPlaysOnChannelTen) {
    const auto document = documentOf(notes(kQuarter, {36, 38}), infoWith(120, 0, 0, 16, true));
    PlayRig rig;
    ASSERT_TRUE(rig.play(*document));
    EXPECT_TRUE(has(rig.messages(), "C9 10"));
    EXPECT_EQ(rig.noteOns(), (Lines{"99 24 64", "99 26 64"}));
}

TEST(Sequencer, AProjectMemberOpenInAWindowPlaysItsUnsavedContents) {
    // GIVEN two members on disk, the first of them open and changed from C5 to E5
    MemberFiles files;
    const auto first = files.write("a.PLM", notes(kQuarter, {72}), infoWith(120));
    const ProjectData project = projectOf({first, files.write("b.PLM", notes(kQuarter, {48}), infoWith(120))});
    const auto edited = documentOf(notes(kQuarter, {76}), infoWith(120));
    PlayRig rig;
    rig.host.open[first] = edited.get();
    rig.startProject(project);
    EXPECT_TRUE(rig.sequencer().plays(*edited));  // so its window refuses to close
    ASSERT_TRUE(rig.playToEnd());
    EXPECT_FALSE(rig.sequencer().plays(*edited));
    // THEN the window's E5 sounds, and the closed member as read from disk
    EXPECT_EQ(rig.noteOns(), (Lines{"90 4C 64", "91 30 64"}));
    // and the loaded buffers are gone after the end
    EXPECT_FALSE(rig.engine.slots()[1].used());
}

TEST(Sequencer, AllTracksPlaysEachMemberFromTheGroupAtTheSelectionsTime) {
    // GIVEN the active member at 120/min (quarters: 500 ms) and another at 60/min (eighths: 500 ms)
    MemberFiles files;
    const std::vector<SongRecord> activeSong = notes(kQuarter, {60, 62, 64, 65, 67});
    const auto activePath = files.write("lead.PLM", activeSong, infoWith(120));
    const ProjectData project =
        projectOf({activePath, files.write("bass.PLM", notes(4, {36, 38, 40, 41, 43}), infoWith(60))});
    const auto active = documentOf(activeSong, infoWith(120));
    PlayRig rig;
    rig.host.document = active.get();
    rig.host.path = activePath;
    rig.host.open[activePath] = active.get();
    rig.host.projectData = &project;
    rig.host.selection = RecordSelection{2, 4};  // E to G: from 1000 ms to 2000 ms
    rig.sequencer().setAllTracks(true);
    rig.sequencer().PlayCurrent();
    EXPECT_EQ(rig.sequencer().playMode(), PlayMode::Project);
    ASSERT_TRUE(rig.playToEnd());
    // THEN each member plays its groups from 1000 ms to 2000 ms, all at the last member's tempo (60/min)
    EXPECT_EQ(rig.noteOns(), (Lines{"90 40 64", "91 28 64", "91 29 64", "90 41 64"}));
}

TEST(Sequencer, WithRepeatOnThePlayRestartsAfterThePauseAndStoppingCancelsIt) {
    const auto document = documentOf(notes(kQuarter, {60}), infoWith(120));
    PlayRig rig;
    rig.profile.writeInt("MIDI Config", "Rep Play Interval", 700);
    rig.host.document = document.get();
    rig.sequencer().setRepeat(true);
    rig.sequencer().PlayCurrent();
    // WHEN the song (0.5 s after 350 ms) has ended
    rig.engine.runFor(900);
    const std::size_t once = rig.messages().size();
    EXPECT_EQ(rig.sequencer().playMode(), PlayMode::Track);
    // THEN nothing happens during the pause, and after it the same play starts again
    rig.engine.runFor(600);
    EXPECT_EQ(rig.messages().size(), once);
    rig.engine.runFor(200);
    const Lines timed = rig.timed();
    ASSERT_GT(timed.size(), once);
    EXPECT_EQ(timed[once].substr(timed[once].find(' ')), " F0 7E 7F 09 01 F7");

    // WHEN it is stopped while the next restart is pending
    rig.engine.runFor(1000);
    ASSERT_FALSE(rig.engine.component().isOpen());
    const std::size_t twice = rig.messages().size();
    rig.sequencer().StopPlay();
    rig.engine.runFor(3000);
    // THEN it stays stopped
    EXPECT_EQ(rig.sequencer().playMode(), PlayMode::Stopped);
    EXPECT_EQ(rig.messages().size(), twice);
}

TEST(Sequencer, StoppingDuringTheResetPauseNeverStartsTheClock) {
    const auto document = documentOf(notes(kQuarter, {60}), infoWith(120));
    PlayRig rig;
    rig.start(*document);
    rig.engine.runFor(100);  // in the reset pause
    rig.sequencer().StopPlay();
    rig.engine.runFor(2000);
    EXPECT_EQ(rig.noteOns(), Lines{});
    EXPECT_EQ(rig.sequencer().playMode(), PlayMode::Stopped);
}

TEST(Sequencer, TestPlaysReportTheirNoteStartsAndEndsAndTheEndToTheirWindow) {
    // GIVEN a dialog listening for the reports of its window, and a test of two notes on a drum channel
    const std::vector<SongRecord> song = notes(kQuarter, {60, 64});
    PlayRig rig;
    RecordingListener dialog;
    rig.engine.addReportListener(2, dialog);
    ASSERT_EQ(rig.sequencer().PlayTest(2, {song, kRhythmMidiChannel, {1, 8, 0}, 240}), PlayStart::Started);
    ASSERT_TRUE(rig.engine.runUntil([&] { return dialog.count(PlayReport::Kind::Ended) == 1; }, 5000));
    // THEN the notes sound on that channel with the test's instrument
    EXPECT_EQ(rig.noteOns(), (Lines{"99 3C 64", "99 40 64"}));
    // and the dialog saw each note start and end with its key, in order, then the end
    using K = PlayReport::Kind;
    std::vector<PlayReport> noteReports = dialog.reports;
    std::erase_if(noteReports, [](const PlayReport& r) { return r.kind != K::NoteStart && r.kind != K::NoteEnd; });
    EXPECT_EQ(noteReports, (std::vector<PlayReport>{{K::NoteStart, 0, 60}, {K::NoteEnd, 0, 60},
                                                    {K::NoteStart, 0, 64}, {K::NoteEnd, 0, 64}}));
    // and the frame plays on until the window stops it
    EXPECT_EQ(rig.sequencer().playMode(), PlayMode::DeviceOnly);
    rig.sequencer().StopPlay();

    // WHEN the next test names entries: a note on 0 and one on 1 with their own tones, and one past the block
    const std::vector<SongRecord> written = notes(kQuarter, {60});
    std::vector<SongRecord> chord = notes(kQuarter, {64});
    const std::vector<TestChannel> channels = {{0, written, 0, 1, true, {1, 2, 3}},
                                               {1, chord, 0, 1, true, {0, 0, 50}},
                                               {kPlayChannels, chord, 0, 1, true, {}}};
    ASSERT_EQ(rig.sequencer().PlayTestChannels(2, channels, 90), PlayStart::Started);
    // THEN the block holds both entries as named, several tracks at the test's tempo
    const PlayBlock& block = rig.block();
    EXPECT_EQ(std::tie(block.playType, block.startTempo), std::make_tuple(PlayType::SeveralTracks, 90));
    EXPECT_EQ(std::tie(block.channels[0].initialBank, block.channels[0].initialProgram), std::make_tuple(2, 3));
    EXPECT_EQ(std::tie(block.channels[1].midiChannel, block.channels[1].initialProgram), std::make_tuple(1, 50));
    EXPECT_EQ(block.channels[1].track.data(), chord.data());
    // and the notes sound together, each on its channel, before the end reaches the test's window
    ASSERT_TRUE(rig.engine.runUntil([&] { return dialog.count(PlayReport::Kind::Ended) == 2; }, 5000));
    EXPECT_EQ(rig.noteOns(), (Lines{"99 3C 64", "99 40 64", "90 3C 64", "91 40 64"}));
    rig.sequencer().StopPlay();
}

TEST(Sequencer, FailuresLeaveTheModeAsItWas) {
    // No note or rest anywhere: nothing plays, no message.
    const auto barOnly = documentOf(group({barLine(), effectValue(effect::kVolume, 10)}));
    PlayRig silent;
    silent.start(*barOnly);
    EXPECT_EQ(silent.sequencer().playMode(), PlayMode::Stopped);
    EXPECT_TRUE(silent.box.shown().empty());
    EXPECT_FALSE(silent.engine.component().isOpen());

    // A song file that is not there.
    EXPECT_EQ(silent.sequencer().PlayFile("/nonexistent/x.PLM"), PlayStart::NotStarted);
    EXPECT_EQ(silent.box.shown(), (std::vector<std::string>{"/nonexistent/x.PLM\nファイルがありません。"}));
}

TEST(Sequencer, AFilePlayEndsStoppedAndTellsTheDatabaseAlsoWithRepeatOn) {
    MemberFiles files;
    const auto path = files.write("one.PLM", notes(kQuarter, {67}), infoWith(200));
    PlayRig rig;
    rig.sequencer().setRepeat(true);
    ASSERT_EQ(rig.sequencer().PlayFile(path), PlayStart::Started);
    ASSERT_TRUE(rig.playToEnd());
    EXPECT_EQ(rig.host.filePlaysEnded, 1);
}

TEST(MidiOutput, MixerChangesWhilePlayingReachTheNextMessages) {
    // GIVEN quarters C D E F G A B C at 120/min (8 x 62 ms): note i down at 350 + 496 i ms, up 372 ms later
    const auto document = documentOf(notes(3, {60, 62, 64, 65, 67, 69, 71, 72}), infoWith(120));
    PlayRig rig;
    rig.start(*document);
    rig.engine.runFor(1000);  // D sounds since 846 ms
    // WHEN the mixer shifts the key up two, pulls the volume to 50 and the master to 100
    setLiveKeyShift(rig.block(), 2);
    setLiveMixerValue(rig.block(), 0, kLiveVolume, 50);
    setLiveMasterVolume(rig.block(), 100);
    rig.engine.runFor(1000);
    const Lines timed = rig.timed();
    // THEN they are sent once at the next tick, and E sounds an F sharp
    EXPECT_TRUE(has(timed, "1001.000 F0 7F 7F 04 01 00 64 F7"));
    EXPECT_TRUE(has(timed, "1342.000 90 42 64"));
    EXPECT_EQ(std::count(timed.begin(), timed.end(), "1001.000 B0 07 32"), 1);

    // WHEN the tempo is halved at 2400 ms, while G (down at 2334) sounds
    rig.engine.runFor(400);
    setLiveTempo(rig.block(), 60);
    ASSERT_TRUE(rig.playToEnd());
    const Lines after = rig.timed();
    // THEN from the next group on a quarter lasts a second
    EXPECT_TRUE(has(after, "2830.000 90 47 64"));  // A, after G at the old tempo
    EXPECT_TRUE(has(after, "3830.000 90 49 64"));  // B, a second later
}

TEST(MidiOutput, TempoEffectsAndSongValuesAreReportedToTheWindow) {
    std::vector<SongRecord> song =
        group({note(3, 60), effectValue(effect::kVolume, 70), effectValue(effect::kPan, 10)});
    addGroup(song, {note(3, 62), effectValue(effect::kTempo, 90), effectValue(effect::kReverb, 40),
                    effectValue(effect::kChorus, 20)});
    addGroup(song, {note(3, 64)});
    PlayRig rig;
    ASSERT_TRUE(rig.play(*documentOf(song, infoWith(120))));
    // The mixer was told the start tempo, then the tempo effect; each song value on its control.
    EXPECT_EQ(rig.mixer.tempos, (std::vector<int>{120, 120, 90}));
    EXPECT_EQ(rig.mixer.values,
              (std::vector<std::string>{"pan 0 10", "volume 0 70", "chorus 0 20", "reverb 0 40"}));
    EXPECT_EQ(rig.block().currentTempo, 90);
}

TEST(MidiOutput, TheShiftTableMovesSingleKeysAndDrumsNeverMove) {
    const std::vector<SongRecord> song = notes(3, {60, 62});
    PlayRig rig;
    rig.mixer.shift = 1;  // the mixer's key shift at the reset
    rig.sequencer().ResetPlayBlock(PlaybackEngine::kFrameWindow, 0);
    rig.block().shiftTable[0][62] = -5;
    for (std::size_t ch : {0u, 9u}) {
        ChannelState& c = rig.block().channels[ch];
        c.track = song;
        c.count = song.size();
        c.muted = false;
        c.midiChannel = std::uint8_t(ch);
    }
    ASSERT_EQ(rig.sequencer().PlayBlockAsFilled(), PlayStart::Started);
    ASSERT_TRUE(rig.playToEnd());
    const Lines messages = rig.messages();
    for (const char* on : {"90 3D 64", "90 39 64", "99 3C 64", "99 3E 64"})  // 60 + 1, 62 - 5, drums as they are
        EXPECT_TRUE(has(messages, on)) << on;
}

}  // namespace
}  // namespace plume
