#pragma once
// The playing settings of the main frame ("MIDI Config" in plm.ini), the enabling rules of the
// "演奏" menu and the rules of its dialogs, over plain state so that the windows only show them.

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "play/midi_out.h"
#include "play/play_block.h"

namespace plume {

namespace platform {
class Profile;
}

class MidiDevices;

struct PlaySettings {
    int showLevel = 1;          // "ShowLevel": the mixer shows note levels
    int interrupt = 1;          // "Interrupt": index into kInterruptPeriods, a larger stored value becomes 2
    int playBeginReset = 1;     // "Play Begin Reset": 0 none, 1 by the data, 2 GM System On, 3 GS reset
    int device = kMidiMapperId; // "Device": a port number, or -1 for the built-in synthesiser
    std::string deviceName;     // "Device Name": the port's name, since numbers change between runs
    int mainVolumeControl = 1;  // "MainVolCtrl": send the master volume at each play start
    int repeatInterval = 1000;  // "Rep Play Interval": read, never written
    std::string soundFont;      // "SoundFont": the built-in synthesiser's font; empty for the installed ones

    static constexpr int kMidiMapperId = -1;

    static PlaySettings load(const platform::Profile& profile);
    // The keys written when the frame is destroyed: "ShowLevel", "Interrupt", "Device" (with its
    // name) and "MainVolCtrl".
    void save(platform::Profile& profile) const;
    // Written when the reset dialog is confirmed.
    void savePlayBeginReset(platform::Profile& profile) const;

    int interruptPeriodMs() const { return kInterruptPeriods[std::size_t(interrupt)]; }
};

// --- the "演奏" menu --------------------------------------------------------------------------------

enum class ActiveWindow { None, Song, Mixer };

struct PlayMenuState {
    PlayMode mode = PlayMode::Stopped;
    bool vokatoMode = false;
    ActiveWindow active = ActiveWindow::None;
    bool activeMinimised = false;
    bool projectSet = false;
    std::size_t songRecordCount = 0;  // of the active song window
};

// "演奏開始": stopped, Vokato mode off, and an active child that is either the mixer (not
// minimised, with a project open) or a song window (not minimised) whose song has a record.
bool playCommandEnabled(const PlayMenuState& state);
// "演奏停止": while something plays.
bool stopCommandEnabled(PlayMode mode);
// "音源リセット", "MIDIデバイス", "割り込み周期" and "ﾚﾍﾞﾙﾒｰﾀ表示": only while stopped.
bool playSettingsCommandEnabled(PlayMode mode);

// "演奏開始時のリセット": the radio buttons in their order and the mode each stands for.
struct ResetChoice {
    const char* text;
    int mode;
};
std::span<const ResetChoice> resetChoices();
// The button of a mode (the automatic one for a mode it does not know).
std::size_t resetChoiceOf(int mode);

// "割り込み周期": "1 ms", "2 ms", "5 ms" for the indices 0..2.
std::span<const char* const> interruptChoices();

// "MIDI デバイス": the ports, then "MIDI Mapper" last, and the entry selected for the current device.
struct DeviceChoices {
    std::vector<std::string> names;
    std::size_t selected = 0;
};
// The device is found by its name when one is kept, else by its number; a device that is no
// longer there selects "MIDI Mapper".
DeviceChoices deviceChoices(std::span<const std::string> ports, int device, const std::string& deviceName);
// The dialog's OK: the chosen entry becomes the device (the last one, -1) with its name, and the
// check box "メインボリュームコントロールを使う" the master-volume-control setting.
void applyDeviceChoice(PlaySettings& settings, std::span<const std::string> ports, std::size_t chosen,
                       bool mainVolumeControl);
// The port to open for the settings: by name when one is kept, else by number; kMidiMapperId
// when neither is there now.
int resolveDevice(std::span<const std::string> ports, int device, const std::string& deviceName);

// The check run by the commands that play and record at once: with the device "WinGroove" it
// shows "WinGrooveではこの機能は使えません！" and answers true (the command then does nothing).
bool refusedByWinGroove(std::span<const std::string> ports, int device);

}  // namespace plume
