// Any bytes through the WAV reader; whatever it accepts, written as a take and read again, gives
// the same samples.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "voice/wave_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const plume::voice::WavData first = plume::voice::parseWav(std::span(data, size));
    if (!first.ok()) return 0;
    if (first.samples.size() > size) std::abort();
    const plume::voice::WavData second = plume::voice::parseWav(plume::voice::wavFileBytes(first.samples));
    if (!second.ok() || second.samples != first.samples || second.sampleRate != plume::voice::kSampleRate) std::abort();
    (void)plume::voice::toCaptureRate(first.samples, first.sampleRate);
    return 0;
}
