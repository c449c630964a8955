#include "app/frame_settings.h"

#include <algorithm>

#include "platform/profile.h"

namespace plume {

namespace {
constexpr const char* kMidiConfig = "MIDI Config";
}  // namespace

FrameSettings FrameSettings::load(const platform::Profile& profile) {
    FrameSettings s;
    s.showLevel = profile.getInt(kMidiConfig, "ShowLevel", 1);
    s.interrupt = std::clamp(profile.getInt(kMidiConfig, "Interrupt", 1), 0, 2);
    s.playBeginReset = profile.getInt(kMidiConfig, "Play Begin Reset", 1);
    s.device = profile.getInt(kMidiConfig, "Device", -1);
    s.mainVolumeControl = profile.getInt(kMidiConfig, "MainVolCtrl", 1);
    s.repeatInterval = profile.getInt(kMidiConfig, "Rep Play Interval", 1000);
    s.pianoPaletteSize = profile.getInt("Piano Pal", "size", 0);
    s.viewMode = profile.getInt("Draw", "ViewMode", 0);
    s.newMouseInput = profile.getInt("MouseWheelFunc", "valid", 0);
    return s;
}

void FrameSettings::save(platform::Profile& profile) const {
    profile.writeInt(kMidiConfig, "ShowLevel", showLevel);
    profile.writeInt(kMidiConfig, "Interrupt", interrupt);
    profile.writeInt(kMidiConfig, "Device", device);
    profile.writeInt(kMidiConfig, "MainVolCtrl", mainVolumeControl);
    profile.writeInt("Draw", "ViewMode", viewMode);
    profile.writeInt("MouseWheelFunc", "valid", newMouseInput);
}

}  // namespace plume
