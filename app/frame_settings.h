#pragma once
// The main frame's settings in plm.ini: read when the frame is made, most of them written back when
// it is destroyed. The "MIDI Config" keys are the player's (PlaySettings).

#include "play/play_settings.h"

namespace plume {

namespace platform {
class Profile;
}

struct FrameSettings {
    PlaySettings play;            // "MIDI Config"
    int pianoPaletteSize = 0;     // "Piano Pal" / "size": written when toggled
    int viewMode = 0;             // "Draw" / "ViewMode": 0 score, 1 effect edit (the application's)
    int newMouseInput = 0;        // "MouseWheelFunc" / "valid"
    int zoom = 100;               // "Draw" / "Zoom": one of kZoomSteps, in percent

    static FrameSettings load(const platform::Profile& profile);
    // The keys written when the frame is destroyed.
    void save(platform::Profile& profile) const;
};

}  // namespace plume
