#pragma once
// The main frame's settings in plm.ini: read when the frame is made, most of them written back when
// it is destroyed.

namespace plume {

namespace platform {
class Profile;
}

struct FrameSettings {
    int showLevel = 1;            // "MIDI Config" / "ShowLevel"
    int interrupt = 1;            // "Interrupt": 0 = 1 ms, 1 = 2 ms, 2 = 5 ms
    int playBeginReset = 1;       // "Play Begin Reset": written by its own dialog only
    int device = -1;              // "Device": -1 is the default device
    int mainVolumeControl = 1;    // "MainVolCtrl"
    int repeatInterval = 1000;    // "Rep Play Interval": read, never written
    int pianoPaletteSize = 0;     // "Piano Pal" / "size": written when toggled
    int viewMode = 0;             // "Draw" / "ViewMode": 0 score, 1 effect edit (the application's)
    int newMouseInput = 0;        // "MouseWheelFunc" / "valid"

    // Missing keys take the defaults above; an interrupt index above 2 becomes 2.
    static FrameSettings load(const platform::Profile& profile);
    // The keys written when the frame is destroyed.
    void save(platform::Profile& profile) const;
};

}  // namespace plume
