#pragma once
// The sound card through PortAudio: one stream at a time, in the capture format. With no card it
// lists no device and every opening fails with "no driver".

#include <memory>

#include "voice/wave_device.h"

namespace plume::voice {

// The machine's wave devices.
std::unique_ptr<WaveDriver> makeSystemWaveDriver();

}  // namespace plume::voice
