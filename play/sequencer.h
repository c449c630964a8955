#pragma once
// The sequencer: the main frame's part that turns songs into sound. It fills the PlayBlock from
// the active song, its selection or the project, opens the device through the MIDI output
// component, sends the starting state after the device's reset pause, starts the clock, and
// reacts to the component's messages: levels, mixer values, the end of play, repeat.
//
// User-interface thread only. The windows it needs come through PlayHost and PlayMixer, time
// through the window timers, so tests drive it without a window system.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

#include "platform/window_messages.h"
#include "platform/window_timers.h"
#include "play/instrument_selection.h"
#include "play/midi_output.h"
#include "play/play_settings.h"
#include "play/play_slot.h"

namespace plume {

namespace platform {
class Profile;
}

class CPlmDoc;
class ProjectData;

// The selected range of the active view: record indices of its first and its last group.
struct RecordSelection {
    std::size_t first = 0;
    std::size_t last = 0;
};

// What the sequencer asks the windows.
class PlayHost {
public:
    virtual ~PlayHost() = default;
    virtual ActiveWindow activeWindow() const = 0;
    // The song of the active child's view, with its path; null when the child has no view.
    virtual const CPlmDoc* activeDocument() const = 0;
    virtual std::filesystem::path activeDocumentPath() const = 0;
    virtual std::optional<RecordSelection> activeSelection() const = 0;
    // Null while no project is set.
    virtual const ProjectData* project() const = 0;
    virtual const OpenDocumentLookup& openDocuments() const = 0;
    // A file play has ended (the song database is told).
    virtual void filePlayEnded() {}
};

// One channel of a test play of several (the chord audition): its entry of the block, which is also
// its MIDI channel, and what that entry plays.
struct TestChannel {
    std::size_t index = 0;
    Records track;  // from its first record, for the chase of effects
    std::size_t start = 0;
    std::size_t count = 0;
    bool melodic = true;
    Tone tone;
};

enum class MixerControl { Volume, Pan, Reverb, Chorus };

// The mixer as the sequencer sees it.
class PlayMixer {
public:
    virtual ~PlayMixer() = default;
    virtual std::uint8_t masterVolume() const = 0;
    virtual std::int16_t keyShift() const = 0;
    virtual void setTempo(int tempo) = 0;
    virtual void setChannelValue(MixerControl control, std::size_t channel, int value) = 0;
    virtual void prepareMeters() = 0;
    virtual void drawLevel(std::size_t channel, int level) = 0;
    // Writes every channel's muted flag from the mixer's mute and solo buttons.
    virtual void applyMuteSolo(PlayBlock& block) = 0;
};

// A mixer that is not there (the command line): full master volume, no key shift.
class NoMixer final : public PlayMixer {
public:
    std::uint8_t masterVolume() const override { return 127; }
    std::int16_t keyShift() const override { return 0; }
    void setTempo(int) override {}
    void setChannelValue(MixerControl, std::size_t, int) override {}
    void prepareMeters() override {}
    void drawLevel(std::size_t, int) override {}
    void applyMuteSolo(PlayBlock&) override {}
};

class Sequencer final : public platform::TimerTarget, public PlayReportListener {
public:
    static constexpr int kRepeatTimer = 13;
    static constexpr int kLevelTimer = 15;
    static constexpr int kResetPauseTimer = 17;
    static constexpr int kClockStartTimer = 18;
    static constexpr int kLevelDecayMs = 98;
    static constexpr int kResetPauseMs = 300;
    static constexpr int kNoResetPauseMs = 1;
    static constexpr int kClockStartMs = 50;

    // `window` is the main frame's id; `profile` is read for the repeat pause.
    Sequencer(PlayBlock& block, PlaySlots& slots, MidiOutputComponent& component, PlayHost& host, PlayMixer& mixer,
              platform::WindowTimers& timers, platform::Profile& profile, PlaySettings settings,
              platform::WindowId window);

    // --- commands ----------------------------------------------------------------------------
    // "演奏開始": nothing unless stopped.
    void PlayCurrent();
    // "演奏停止".
    void StopPlay();
    // One song file (the song database and others).
    PlayStart PlayFile(const std::filesystem::path& path);
    // A test of an instrument or of notes just written, on channel index 0 (PlayMode DeviceOnly);
    // its reports go to `window`.
    PlayStart PlayTest(platform::WindowId window, const TestPlay& test);
    // The same for channels that name their entries; entries past the block are skipped.
    PlayStart PlayTestChannels(platform::WindowId window, std::span<const TestChannel> channels, int tempo);
    // The block as the caller filled it after ResetPlayBlock (PlayMode DeviceOnly).
    PlayStart PlayBlockAsFilled();

    // --- the steps other windows use -----------------------------------------------------------
    void ResetPlayBlock(platform::WindowId window, std::uint8_t modeByte);
    // NotStarted after "MIDIﾃﾞﾊﾞｲｽをオープンできません。", or silently when no channel has a note or
    // a rest.
    PlayStart OpenPlayback();
    void ClosePlayback();

    // --- window ------------------------------------------------------------------------------
    void onTimer(int id) override;
    // The player's reports of the plays it started.
    void playReport(const PlayReport& report) override;

    PlayMode playMode() const { return m_mode; }
    // Whether `document` is one of the songs playing now (the song played, or an open member of
    // the project played): such a song may not close.
    bool plays(const CPlmDoc& document) const;
    PlaySettings& settings() { return m_settings; }
    const PlaySettings& settings() const { return m_settings; }
    bool repeat() const { return m_repeat; }
    void setRepeat(bool on) { m_repeat = on; }
    bool allTracks() const { return m_allTracks; }
    void setAllTracks(bool on) { m_allTracks = on; }
    const std::array<int, kPlayChannels>& levels() const { return m_levels; }
    platform::WindowId window() const { return m_window; }

private:
    void playCurrentSteps();
    void playSingleTrack(const CPlmDoc& document);
    void playProjectRange(const ProjectData& project, const CPlmDoc& active, RecordSelection selection);
    void playProjectWhole();
    void startProjectPlay();
    // Fills channel `index` with `count` records of `records` from `start`, the settings of `info`.
    void fillChannel(std::size_t index, Records records, const SongInfo& info, std::size_t start, std::size_t count);
    // The same for records on MIDI channel `midiChannel` with the instrument `tone`; the tempo is the caller's.
    void fillChannel(std::size_t index, std::uint8_t midiChannel, Records records, Tone tone, std::size_t start,
                     std::size_t count);
    bool trimLeading();
    void sendReset();
    void sendInitialSettings();
    void chaseEffects();
    void startClock();
    void playEnded();
    void startLevelMeter();
    void stopLevelMeter();
    void clearSlots();

    PlayBlock& m_block;
    PlaySlots& m_slots;
    MidiOutputComponent& m_component;
    PlayHost& m_host;
    PlayMixer& m_mixer;
    platform::WindowTimers& m_timers;
    platform::Profile& m_profile;
    PlaySettings m_settings;
    platform::WindowId m_window;

    PlayMode m_mode = PlayMode::Stopped;
    bool m_repeat = false;
    bool m_allTracks = false;
    std::array<int, kPlayChannels> m_levels{};
};

}  // namespace plume
