#include "app/frame_settings.h"

#include <algorithm>
#include <iterator>

#include "platform/profile.h"
#include "score/score_geometry.h"

namespace plume {

FrameSettings FrameSettings::load(const platform::Profile& profile) {
    FrameSettings s;
    s.play = PlaySettings::load(profile);
    s.pianoPaletteSize = profile.getInt("Piano Pal", "size", 0);
    s.viewMode = profile.getInt("Draw", "ViewMode", 0);
    s.newMouseInput = profile.getInt("MouseWheelFunc", "valid", 0);
    const int zoom = profile.getInt("Draw", "Zoom", 100);
    if (std::find(std::begin(kZoomSteps), std::end(kZoomSteps), zoom) != std::end(kZoomSteps)) s.zoom = zoom;
    return s;
}

void FrameSettings::save(platform::Profile& profile) const {
    play.save(profile);
    profile.writeInt("Draw", "ViewMode", viewMode);
    profile.writeInt("MouseWheelFunc", "valid", newMouseInput);
    profile.writeInt("Draw", "Zoom", zoom);
}

}  // namespace plume
