#pragma once
// The mixer ("ミキサー") apart from its window: sixteen channel strips and the common strip, what a
// mouse press, move and release on them does, and what reaches the PlayBlock. Every change the
// user makes is written into the block at once (live fields only, through play_block.h's setters),
// so the player hears it on its next tick; the component's reports come back through PlayMixer.
//
// User-interface thread only.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/window_timers.h"
#include "play/play_block.h"
#include "play/sequencer.h"

namespace plume {

inline constexpr int kMixerTempoMin = 10;
inline constexpr int kMixerTempoMax = 250;
inline constexpr int kMixerTempoStart = 130;
inline constexpr int kMixerShiftMin = -12;
inline constexpr int kMixerShiftMax = 12;
inline constexpr int kMixerLevelMax = 9;  // a level report of 127 gives 9

// The drag modes, numbered as the window keeps them.
enum class MixerDrag : std::uint8_t {
    None = 0, Pan = 1, Chorus = 2, Reverb = 3, Volume = 4, Master = 5,
    TempoUp = 6, TempoDown = 7, ShiftUp = 8, ShiftDown = 9,
};

// What is under a point of the window (hit test order: solo, mute, pan, chorus, reverb, volume
// fader, master fader, spinners), or a strip's number, where the track hint shows.
struct MixerHit {
    enum class Kind { Nothing, Solo, Mute, Slider, Fader, Spinner, TrackNumber };
    Kind kind = Kind::Nothing;
    MixerDrag control = MixerDrag::None;  // the slider, fader or spinner arrow
    int channel = -1;                     // 0..15 for a strip's control
};

struct MixerRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool contains(int px, int py) const { return px >= x && px < x + width && py >= y && py < y + height; }
};

// The window's pixel layout: the label strip, sixteen channel strips and the master strip.
namespace mixer_layout {
inline constexpr int kFaderTravel = 61;   // pixels from value 0 to 127
inline constexpr int kSliderTravel = 18;
inline constexpr int kLabelWidth = 48;
inline constexpr int kStripWidth = 32;
inline constexpr int kMasterWidth = 40;
inline constexpr int kHeight = 232;
inline constexpr int kWidth = kLabelWidth + 16 * kStripWidth + kMasterWidth;
inline constexpr int kSliderKnobWidth = 8;
inline constexpr int kFaderKnobHeight = 8;
inline constexpr int kMeterStep = 12;  // pixels per level step
inline constexpr int kMeterBottom = 226;

// Where a value is drawn: pixels above the fader's bottom, or right of the slider's left end.
inline int faderOffset(int value) { return value * kFaderTravel / 127; }
inline int sliderOffset(int value) { return value * kSliderTravel / 127; }
// The inverse, clamped to 0..127.
int faderValue(int offset);
int sliderValue(int offset);

int stripLeft(int channel);
MixerRect trackNumber(int channel);
MixerRect soloButton(int channel);
MixerRect muteButton(int channel);
// The track a slider's knob moves along (Pan, Chorus or Reverb).
MixerRect sliderTrack(int channel, MixerDrag slider);
MixerRect faderTrack(int channel);  // channel -1: the master fader
MixerRect meter(int channel);
// The spinner arrows in the label strip (TempoUp .. ShiftDown), and where the figures are drawn.
MixerRect spinnerArrow(MixerDrag arrow);
MixerRect tempoFigure();
MixerRect shiftFigure();

MixerHit hitTest(int x, int y, bool masterControl);
}  // namespace mixer_layout

struct MixerChannel {
    int volume = 100;
    int pan = 64;
    int chorus = 0;
    int reverb = 0;
    bool mute = false;
};

// What the window redraws when a value changed.
class MixerView {
public:
    virtual ~MixerView() = default;
    virtual void channelChanged(std::size_t channel) = 0;  // a value, the solo or the mute of a strip
    virtual void commonChanged() = 0;                       // tempo, key shift or master volume
    virtual void levelChanged(std::size_t channel) = 0;
};

class MixerState final : public PlayMixer, public platform::TimerTarget {
public:
    static constexpr int kSpinnerTimer = 19;
    static constexpr int kSpinnerRepeatMs = 100;

    explicit MixerState(platform::WindowTimers& timers);
    ~MixerState() override;
    MixerState(const MixerState&) = delete;
    MixerState& operator=(const MixerState&) = delete;

    // The block the player reads; until it is set the mixer only keeps its values.
    void setBlock(PlayBlock* block) { m_block = block; }
    void setView(MixerView* view) { m_view = view; }
    // The frame's master-volume-control setting: 1 lets the master fader be dragged.
    void setMasterControl(bool on) { m_masterControl = on; }

    const MixerChannel& channel(std::size_t ch) const { return m_channels[ch & 0x0F]; }
    int value(MixerDrag control, std::size_t ch) const;
    int solo() const { return m_solo; }
    int master() const { return m_master; }
    int tempo() const { return m_tempo; }
    int shift() const { return m_shift; }
    int level(std::size_t ch) const { return m_levels[ch & 0x0F]; }
    MixerDrag drag() const { return m_drag; }
    int dragChannel() const { return m_dragChannel; }
    // Whether channel `ch` plays silent: its own mute, or another channel's solo.
    bool silenced(std::size_t ch) const;

    // --- the mouse ---------------------------------------------------------------------------------
    // True when the press starts a drag or a spinner (the window captures the mouse).
    bool mouseDown(int x, int y);
    void mouseMove(int x, int y);
    void mouseUp();

    // --- the same actions by name ------------------------------------------------------------------
    void clickSolo(std::size_t ch);
    void clickMute(std::size_t ch);
    // A slider or fader set to `value` (0..127) as a drag sets it; `ch` is ignored for the master.
    void moveControl(MixerDrag control, std::size_t ch, int value);
    // One step of a spinner arrow, as pressing it does; the step repeats every 100 ms until release.
    void pressSpinner(MixerDrag arrow);
    void onTimer(int id) override;

    // --- PlayMixer: the sequencer and the component's reports --------------------------------------
    std::uint8_t masterVolume() const override { return std::uint8_t(m_master); }
    std::int16_t keyShift() const override { return std::int16_t(m_shift); }
    void setTempo(int tempo) override;
    void setChannelValue(MixerControl control, std::size_t channel, int value) override;
    void prepareMeters() override;
    void drawLevel(std::size_t channel, int level) override;
    void applyMuteSolo(PlayBlock& block) override;

private:
    void applyTo(PlayBlock& block, std::size_t ch) const;
    void step(MixerDrag arrow);
    void endDrag();
    int& field(MixerDrag control, std::size_t ch);

    platform::WindowTimers& m_timers;
    PlayBlock* m_block = nullptr;
    MixerView* m_view = nullptr;
    bool m_masterControl = false;
    std::array<MixerChannel, kPlayChannels> m_channels{};
    std::array<int, kPlayChannels> m_levels{};
    int m_solo = -1;
    int m_master = 127;
    int m_tempo = kMixerTempoStart;
    int m_shift = 0;
    MixerDrag m_drag = MixerDrag::None;
    int m_dragChannel = -1;
    int m_grab = 0;  // pointer minus knob position when the drag began
};

// The hint window's contents for a strip ("CTrackInfo"): the project member's file, its kind
// ("メロディー" or "リズム") and its instrument name, or the message for a bad track or a missing file.
struct TrackInfo {
    std::optional<std::string> problem;  // "トラック番号が不正な値です。" or "ファイルが存在しません。"
    std::string fileName;
    std::string kind;
    std::string instrument;
};
TrackInfo trackInfo(const ProjectData* project, int track);

}  // namespace plume
