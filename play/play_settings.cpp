#include "play/play_settings.h"

#include <algorithm>
#include <array>

#include "platform/message_box.h"
#include "platform/profile.h"

namespace plume {

namespace {

constexpr const char* kMidiConfig = "MIDI Config";

constexpr std::array<ResetChoice, 4> kResetChoices = {{
    {"GM System ON", 2},
    {"GS", 3},
    {"リセットをしない", 0},
    {"データにより自動選択", 1},
}};

constexpr std::array<const char*, 3> kInterruptChoices = {"1 ms", "2 ms", "5 ms"};

}  // namespace

PlaySettings PlaySettings::load(const platform::Profile& profile) {
    PlaySettings s;
    s.showLevel = profile.getInt(kMidiConfig, "ShowLevel", 1);
    s.interrupt = std::clamp(profile.getInt(kMidiConfig, "Interrupt", 1), 0, 2);
    s.playBeginReset = profile.getInt(kMidiConfig, "Play Begin Reset", 1);
    s.device = profile.getInt(kMidiConfig, "Device", kMidiMapperId);
    s.deviceName = profile.getString(kMidiConfig, "Device Name", "");
    s.mainVolumeControl = profile.getInt(kMidiConfig, "MainVolCtrl", 1);
    s.repeatInterval = profile.getInt(kMidiConfig, "Rep Play Interval", 1000);
    s.soundFont = profile.getString(kMidiConfig, "SoundFont", "");
    return s;
}

void PlaySettings::save(platform::Profile& profile) const {
    profile.writeInt(kMidiConfig, "ShowLevel", showLevel);
    profile.writeInt(kMidiConfig, "Interrupt", interrupt);
    profile.writeInt(kMidiConfig, "Device", device);
    profile.writeString(kMidiConfig, "Device Name", device == kMidiMapperId ? std::string() : deviceName);
    profile.writeInt(kMidiConfig, "MainVolCtrl", mainVolumeControl);
}

void PlaySettings::savePlayBeginReset(platform::Profile& profile) const {
    profile.writeInt(kMidiConfig, "Play Begin Reset", playBeginReset);
}

bool playCommandEnabled(const PlayMenuState& state) {
    if (state.mode != PlayMode::Stopped || state.vokatoMode || state.activeMinimised) return false;
    switch (state.active) {
    case ActiveWindow::Mixer: return state.projectSet;
    case ActiveWindow::Song: return state.songRecordCount > 0;
    case ActiveWindow::None: return false;
    }
    return false;
}

bool stopCommandEnabled(PlayMode mode) { return mode != PlayMode::Stopped; }

bool playSettingsCommandEnabled(PlayMode mode) { return mode == PlayMode::Stopped; }

std::span<const ResetChoice> resetChoices() { return kResetChoices; }

std::size_t resetChoiceOf(int mode) {
    for (std::size_t i = 0; i < kResetChoices.size(); ++i) {
        if (kResetChoices[i].mode == mode) return i;
    }
    return 3;
}

std::span<const char* const> interruptChoices() { return kInterruptChoices; }

int resolveDevice(std::span<const std::string> ports, int device, const std::string& deviceName) {
    if (device == PlaySettings::kMidiMapperId) return device;
    if (!deviceName.empty()) {
        const auto it = std::find(ports.begin(), ports.end(), deviceName);
        return it == ports.end() ? PlaySettings::kMidiMapperId : int(it - ports.begin());
    }
    return device >= 0 && std::size_t(device) < ports.size() ? device : PlaySettings::kMidiMapperId;
}

DeviceChoices deviceChoices(std::span<const std::string> ports, int device, const std::string& deviceName) {
    DeviceChoices choices;
    choices.names.assign(ports.begin(), ports.end());
    choices.names.emplace_back(kMidiMapperName);
    const int id = resolveDevice(ports, device, deviceName);
    choices.selected = id == PlaySettings::kMidiMapperId ? ports.size() : std::size_t(id);
    return choices;
}

void applyDeviceChoice(PlaySettings& settings, std::span<const std::string> ports, std::size_t chosen,
                       bool mainVolumeControl) {
    if (chosen < ports.size()) {
        settings.device = int(chosen);
        settings.deviceName = ports[chosen];
    } else {
        settings.device = PlaySettings::kMidiMapperId;
        settings.deviceName.clear();
    }
    settings.mainVolumeControl = mainVolumeControl ? 1 : 0;
}

bool refusedByWinGroove(std::span<const std::string> ports, int device) {
    if (device < 0 || std::size_t(device) >= ports.size() || ports[std::size_t(device)] != "WinGroove") return false;
    platform::messageBox().show("WinGrooveではこの機能は使えません！");
    return true;
}

}  // namespace plume
