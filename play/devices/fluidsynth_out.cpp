#include "play/devices/fluidsynth_out.h"

#include <fluidsynth.h>

#include <array>
#include <atomic>
#include <cstdio>
#include <system_error>

#include "platform/spsc_queue.h"

namespace plume {

namespace fs = std::filesystem;

namespace {

constexpr std::array<const char*, 3> kFontFolders = {"/usr/share/sounds/sf2", "/usr/share/soundfonts",
                                                      "/usr/local/share/soundfonts"};
constexpr std::array<const char*, 4> kAudioDrivers = {"pipewire", "pulseaudio", "alsa", "sdl2"};

std::optional<fs::path> installedFont(const char* name) {
    for (const char* folder : kFontFolders) {
        std::error_code ec;
        const fs::path path = fs::path(folder) / name;
        if (fs::is_regular_file(path, ec)) return path;
    }
    return std::nullopt;
}

void quiet(int, const char*, void*) {}

// FluidSynth reports to stderr; the program reports through its own messages.
void silenceLog() {
    for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
        fluid_set_log_function(level, quiet, nullptr);
}

void put16(std::FILE* f, std::uint16_t v) {
    const std::array<unsigned char, 2> b = {std::uint8_t(v), std::uint8_t(v >> 8)};
    std::fwrite(b.data(), 1, b.size(), f);
}
void put32(std::FILE* f, std::uint32_t v) {
    put16(f, std::uint16_t(v));
    put16(f, std::uint16_t(v >> 16));
}

}  // namespace

std::vector<fs::path> soundFontStack(const fs::path& chosen) {
    if (!chosen.empty()) return {chosen};
    if (const auto gm = installedFont("FluidR3_GM.sf2")) {
        std::vector<fs::path> stack = {*gm};
        if (const auto gs = installedFont("FluidR3_GS.sf2")) stack.push_back(*gs);
        return stack;
    }
    if (const auto small = installedFont("TimGM6mb.sf2")) return {*small};
    return {};
}

struct FluidSynthOut::Impl {
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    fluid_audio_driver_t* driver = nullptr;
    double gain = 0.4;  // room for sixteen channels without clipping
    platform::SpscQueue<MidiMessage, 8192> queue;
    std::atomic<std::size_t> lost{0};

    // Rendering into a file.
    std::FILE* file = nullptr;
    fs::path target;
    fs::path temporary;
    int sampleRate = 44100;
    int tailMs = 0;
    std::int64_t rendered = 0;  // frames written
    std::array<std::int16_t, 2 * 1024> block{};

    ~Impl() {
        if (driver) delete_fluid_audio_driver(driver);
        if (synth) delete_fluid_synth(synth);
        if (settings) delete_fluid_settings(settings);
        if (file) {
            std::fclose(file);
            std::error_code ec;
            fs::remove(temporary, ec);
        }
    }

    void apply(const MidiMessage& m) {
        const auto* b = m.bytes.data();
        if (m.size == 0) return;
        const int ch = b[0] & 0x0F;
        switch (b[0] & 0xF0) {
        case 0x80:
            if (m.size >= 2) fluid_synth_noteoff(synth, ch, b[1]);
            break;
        case 0x90:
            if (m.size < 3) break;
            if (b[2] == 0) fluid_synth_noteoff(synth, ch, b[1]);
            else fluid_synth_noteon(synth, ch, b[1], b[2]);
            break;
        case 0xB0:
            if (m.size >= 3) fluid_synth_cc(synth, ch, b[1], b[2]);
            break;
        case 0xC0:
            if (m.size >= 2) fluid_synth_program_change(synth, ch, b[1]);
            break;
        case 0xE0:
            if (m.size >= 3) fluid_synth_pitch_bend(synth, ch, b[1] | (b[2] << 7));
            break;
        case 0xF0: sysex(m); break;
        default: break;
        }
    }

    void sysex(const MidiMessage& m) {
        const auto* b = m.bytes.data();
        if (m.size < 4 || b[0] != 0xF0 || b[m.size - 1] != 0xF7) return;
        // Universal real-time master volume; the synthesiser leaves it to its host.
        if (m.size == 8 && b[1] == 0x7F && b[3] == 0x04 && b[4] == 0x01) {
            fluid_synth_set_gain(synth, float(gain * b[6] / 127.0));
            return;
        }
        int handled = 0;
        fluid_synth_sysex(synth, reinterpret_cast<const char*>(b + 1), m.size - 2, nullptr, nullptr, &handled, 0);
    }

    void renderTo(std::int64_t frame) {
        while (rendered < frame) {
            const int n = int(std::min<std::int64_t>(frame - rendered, std::int64_t(block.size() / 2)));
            fluid_synth_write_s16(synth, n, block.data(), 0, 2, block.data(), 1, 2);
            std::fwrite(block.data(), sizeof(std::int16_t), std::size_t(n) * 2, file);
            rendered += n;
        }
    }

    std::int64_t frameAt(std::int64_t micros) const { return (micros * sampleRate + 500000) / 1000000; }

    void renderQueued() {
        MidiMessage m;
        while (queue.pop(m)) {
            renderTo(frameAt(m.micros));
            apply(m);
        }
    }

    static int audio(void* data, int len, int nfx, float* fx[], int nout, float* out[]) {
        auto* self = static_cast<Impl*>(data);
        MidiMessage m;
        while (self->queue.pop(m)) self->apply(m);
        return fluid_synth_process(self->synth, len, nfx, fx, nout, out);
    }

    // The header of a 16-bit stereo PCM file of `frames` frames.
    void writeHeader(std::int64_t frames) {
        const auto dataBytes = std::uint32_t(frames * 4);
        std::fseek(file, 0, SEEK_SET);
        std::fwrite("RIFF", 1, 4, file);
        put32(file, 36 + dataBytes);
        std::fwrite("WAVEfmt ", 1, 8, file);
        put32(file, 16);
        put16(file, 1);
        put16(file, 2);
        put32(file, std::uint32_t(sampleRate));
        put32(file, std::uint32_t(sampleRate) * 4);
        put16(file, 4);
        put16(file, 16);
        std::fwrite("data", 1, 4, file);
        put32(file, dataBytes);
    }
};

FluidSynthOut::FluidSynthOut(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

std::unique_ptr<FluidSynthOut> FluidSynthOut::create(const SynthOptions& options, std::string* error) {
    auto fail = [error](std::string why) -> std::unique_ptr<FluidSynthOut> {
        if (error) *error = std::move(why);
        return nullptr;
    };
    silenceLog();
    const std::vector<fs::path> fonts = soundFontStack(options.soundFont);
    if (fonts.empty()) return fail("no SoundFont found");

    auto impl = std::make_unique<Impl>();
    impl->settings = new_fluid_settings();
    if (!impl->settings) return fail("cannot create the synthesiser's settings");
    fluid_settings_setstr(impl->settings, "synth.midi-bank-select", "gs");
    fluid_settings_setint(impl->settings, "synth.device-id", 16);  // the GS reset is addressed to device 16
    fluid_settings_setnum(impl->settings, "synth.sample-rate", options.sampleRate);
    fluid_settings_setint(impl->settings, "synth.threadsafe-api", 0);  // one thread at a time uses it
    fluid_settings_setint(impl->settings, "audio.period-size", 64);
    fluid_settings_setint(impl->settings, "audio.periods", 2);
    fluid_settings_setnum(impl->settings, "synth.gain", impl->gain);
    impl->synth = new_fluid_synth(impl->settings);
    if (!impl->synth) return fail("cannot create the synthesiser");
    for (const fs::path& font : fonts) {
        if (fluid_synth_sfload(impl->synth, font.c_str(), 1) == FLUID_FAILED)
            return fail("cannot load the SoundFont " + font.string());
    }

    if (options.wav) {
        impl->target = *options.wav;
        impl->temporary = impl->target;
        impl->temporary += ".part";
        impl->sampleRate = options.sampleRate;
        impl->tailMs = options.tailMs;
        impl->file = std::fopen(impl->temporary.c_str(), "wb");
        if (!impl->file) return fail("cannot create " + impl->target.string());
        impl->writeHeader(0);
        return std::unique_ptr<FluidSynthOut>(new FluidSynthOut(std::move(impl)));
    }
    for (const char* driver : kAudioDrivers) {
        fluid_settings_setstr(impl->settings, "audio.driver", driver);
        impl->driver = new_fluid_audio_driver2(impl->settings, &Impl::audio, impl.get());
        if (impl->driver) return std::unique_ptr<FluidSynthOut>(new FluidSynthOut(std::move(impl)));
    }
    return fail("no sound card");
}

FluidSynthOut::~FluidSynthOut() {
    Impl& d = *m_impl;
    if (!d.file) return;
    d.renderQueued();
    d.renderTo(d.rendered + std::int64_t(d.sampleRate) * d.tailMs / 1000);
    d.writeHeader(d.rendered);
    const bool ok = std::fflush(d.file) == 0 && !std::ferror(d.file);
    std::fclose(d.file);
    d.file = nullptr;
    std::error_code ec;
    if (ok) fs::rename(d.temporary, d.target, ec);
    if (!ok || ec) fs::remove(d.temporary, ec);
}

void FluidSynthOut::send(const MidiMessage& message) {
    if (!m_impl->queue.push(message)) m_impl->lost.fetch_add(1, std::memory_order_relaxed);
}

void FluidSynthOut::service() {
    if (m_impl->file) m_impl->renderQueued();
}

bool FluidSynthOut::rendersToFile() const { return m_impl->file != nullptr; }

std::size_t FluidSynthOut::lost() const { return m_impl->lost.load(std::memory_order_relaxed); }

}  // namespace plume
