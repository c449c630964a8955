#pragma once
// The built-in synthesiser (FluidSynth): the default device. It plays through the sound card,
// or renders into a WAV file (44.1 kHz, stereo, 16-bit) with the audio rendered up to each
// message's own sample before the message is applied (FluidSynth then starts it with its next
// 64-frame block, 1.5 ms at most).

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "play/midi_out.h"

namespace plume {

struct SynthOptions {
    std::filesystem::path soundFont;            // empty: the installed fonts (see soundFontStack)
    std::optional<std::filesystem::path> wav;   // render into this file instead of the sound card
    int sampleRate = 44100;
    int tailMs = 1000;  // rendered after the device closes, so that reverb dies away
};

// The fonts to load, bottom first: the chosen one; else FluidR3_GM.sf2 with FluidR3_GS.sf2 (its
// sound effects) on top; else TimGM6mb.sf2. Empty when none is found.
std::vector<std::filesystem::path> soundFontStack(const std::filesystem::path& chosen = {});

class FluidSynthOut final : public MidiOut {
public:
    // Null, with the reason in `error`, when the synthesiser, its fonts or its output cannot be had.
    static std::unique_ptr<FluidSynthOut> create(const SynthOptions& options, std::string* error = nullptr);
    // Rendering into a file: renders what is left and the tail, then completes the file.
    ~FluidSynthOut() override;

    // Queued without a lock; played at the start of the next sound-card buffer, or at its own
    // time when rendering into a file.
    void send(const MidiMessage& message) override;
    // Rendering into a file: renders up to each queued message and applies it.
    void service() override;
    bool rendersToFile() const;
    std::size_t lost() const;

    struct Impl;

private:
    explicit FluidSynthOut(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

}  // namespace plume
