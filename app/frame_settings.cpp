#include "app/frame_settings.h"

#include "platform/profile.h"

namespace plume {

FrameSettings FrameSettings::load(const platform::Profile& profile) {
    FrameSettings s;
    s.play = PlaySettings::load(profile);
    s.pianoPaletteSize = profile.getInt("Piano Pal", "size", 0);
    s.viewMode = profile.getInt("Draw", "ViewMode", 0);
    s.newMouseInput = profile.getInt("MouseWheelFunc", "valid", 0);
    return s;
}

void FrameSettings::save(platform::Profile& profile) const {
    play.save(profile);
    profile.writeInt("Draw", "ViewMode", viewMode);
    profile.writeInt("MouseWheelFunc", "valid", newMouseInput);
}

}  // namespace plume
