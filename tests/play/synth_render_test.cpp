// The built-in synthesiser rendering into WAV files, and `plume-cli play`. Needs the SoundFonts
// of the Debian packages timgm6mb-soundfont and fluid-soundfont-gm; a test skips without them.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "cli/commands.h"
#include "platform/file_io.h"
#include "play/devices/fluidsynth_out.h"
#include "play/devices/system_devices.h"
#include "play/play_fixture.h"
#include "song/song_file.h"
#include "support/song_builder.h"
#include "support/temp_dir.h"
#include "voice/wave_file.h"

namespace plume {
namespace {

namespace fs = std::filesystem;

std::optional<fs::path> installed(const char* name) {
    const fs::path path = fs::path("/usr/share/sounds/sf2") / name;
    std::error_code ec;
    if (fs::is_regular_file(path, ec)) return path;
    return std::nullopt;
}

using Wav = voice::WavData;  // the channels mixed down to mono

std::optional<Wav> readWav(const fs::path& path) {
    const auto bytes = platform::readFile(path);
    if (!bytes || !voice::parseWav(*bytes).ok()) return std::nullopt;
    return voice::parseWav(*bytes);
}

int peak(const Wav& wav) {
    int p = 0;
    for (std::int16_t s : wav.samples) p = std::max(p, std::abs(int(s)));
    return p;
}

MidiMessage message(std::initializer_list<std::uint8_t> bytes, std::int64_t ms) {
    return MidiMessage::of(std::vector<std::uint8_t>(bytes), ms * 1000);
}

// The first frame louder than the dither noise of silence.
std::size_t firstSound(const Wav& wav) {
    const auto it = std::find_if(wav.samples.begin(), wav.samples.end(), [](std::int16_t s) { return std::abs(int(s)) > 64; });
    return std::size_t(it - wav.samples.begin());
}

// One note rendered into a file: down at `onMs`, up half a second later, the file ending at 1.5 s.
std::optional<Wav> renderNote(const fs::path& font, const fs::path& path, std::int64_t onMs) {
    SynthOptions options;
    options.soundFont = font;
    options.wav = path;
    options.tailMs = 0;
    {
        auto synth = FluidSynthOut::create(options);
        if (!synth || !synth->rendersToFile()) return std::nullopt;
        synth->send(message({0xC0, 0}, 0));
        synth->send(message({0x90, 60, 100}, onMs));
        synth->service();
        synth->send(message({0x90, 60, 0}, onMs + 500));
        synth->send(message({0xB0, 7, 100}, 1500));
    }
    return readWav(path);
}

TEST(BuiltInSynth, RendersEachMessageAtItsOwnTime) {
    const auto font = installed("TimGM6mb.sf2");
    if (!font) GTEST_SKIP() << "TimGM6mb.sf2 is not installed";
    test::TempDir folder;
    const auto early = renderNote(*font, folder / "a.wav", 500);
    const auto late = renderNote(*font, folder / "b.wav", 510);
    ASSERT_TRUE(early && late);
    EXPECT_EQ(std::tie(early->sampleRate, early->channels, early->bitsPerSample), std::make_tuple(44100u, 2, 16));
    EXPECT_EQ(early->samples.size(), 66150u);
    // Silent up to the note, which sounds within the synthesiser's 64-frame block and its attack;
    // 10 ms later is 441 frames later, give or take that block.
    const std::size_t at = firstSound(*early);
    EXPECT_GE(at, 22050u);
    EXPECT_LT(at, 22050u + 64 + 256);
    EXPECT_NEAR(double(firstSound(*late)) - double(at), 441.0, 64.0);
}

// Renders one note of `program` in `bank` through `plume-cli play` with the installed fonts.
std::optional<Wav> renderProgram(const test::TempDir& folder, std::uint8_t bank, std::uint8_t program) {
    const SongInfo info = test::infoWith(120, 1, bank, program);  // SC-55: bank select is sent
    const fs::path in = folder / ("bank" + std::to_string(bank) + ".PLM");
    const fs::path out = folder / ("bank" + std::to_string(bank) + ".wav");
    if (!writeSong(in, test::songOf(test::notes(2, {60}), info))) return std::nullopt;
    std::ostringstream o, e;
    if (cli::runCli({"play", in.string(), "--wav", out.string()}, o, e) != 0) return std::nullopt;
    return readWav(out);
}

TEST(BuiltInSynth, Bank8Program4IsAnotherSoundThanBank0) {
    if (!installed("FluidR3_GM.sf2")) GTEST_SKIP() << "FluidR3_GM.sf2 is not installed";
    test::TempDir folder;
    const auto variation = renderProgram(folder, 8, 4);
    const auto capital = renderProgram(folder, 0, 4);
    ASSERT_TRUE(variation && capital);
    ASSERT_EQ(variation->samples.size(), capital->samples.size());
    double energy = 0, difference = 0;
    for (std::size_t i = 0; i < capital->samples.size(); ++i) {
        energy += double(capital->samples[i]) * capital->samples[i];
        const double d = double(variation->samples[i]) - capital->samples[i];
        difference += d * d;
    }
    ASSERT_GT(energy, 0);
    EXPECT_GT(peak(*variation), 1000);
    EXPECT_GT(difference / energy, 0.1);
}

TEST(BuiltInSynth, ThePlayCommandWritesEventsAndAWavAndTheSynthesiserIsTheMapper) {
    const auto font = installed("TimGM6mb.sf2");
    if (!font) GTEST_SKIP() << "TimGM6mb.sf2 is not installed";
    test::TempDir folder;
    std::vector<SongRecord> song = test::group({test::note(3, 60), test::effectValue(effect::kVolume, 100)});
    test::addGroup(song, {test::note(3, 64)});
    const fs::path in = folder / "song.PLM";
    ASSERT_TRUE(writeSong(in, test::songOf(song)));
    const fs::path events = folder / "ev.txt";
    const fs::path wavPath = folder / "x.wav";
    std::ostringstream out, err;
    ASSERT_EQ(cli::runCli({"play", in.string(), "--events", events.string(), "--wav", wavPath.string(),
                           "--soundfont", font->string(), "--interrupt", "5", "--reset", "gs"},
                          out, err),
              0)
        << err.str();
    EXPECT_EQ(out.str().rfind("played 1.", 0), 0u) << out.str();
    const auto text = platform::readFile(events);
    ASSERT_TRUE(text);
    const std::string lines(text->begin(), text->end());
    EXPECT_EQ(lines.rfind("0.000 F0 41 10 42 12 40 00 7F 00 41 F7\n300.000 F0 7F 7F 04 01 00 7F F7\n", 0), 0u);
    const auto wav = readWav(wavPath);
    ASSERT_TRUE(wav);
    EXPECT_GT(peak(*wav), 1000);

    std::ostringstream o2, e2;
    EXPECT_EQ(cli::runCli({"play", in.string(), "--interrupt", "3"}, o2, e2), cli::kUsage);
    EXPECT_EQ(cli::runCli({"play", (folder / "none.PLM").string()}, o2, e2), cli::kBadData);

    // The built-in synthesiser is the mapper, and a port that is not there does not open.
    SynthOptions options;
    options.soundFont = *font;
    SystemMidiDevices devices(options, folder / "nocard.wav");
    const auto ports = devices.portNames();
    EXPECT_EQ(devices.open(int(ports.size())), nullptr);
    EXPECT_NE(devices.open(kMidiMapper), nullptr);  // the sound card, or the file without one
}

// A stopped play is silent on the built-in synthesiser, not only in the messages: an organ held for
// four seconds is stopped after one and a half, and the file runs on for a second after the stop.
TEST(BuiltInSynth, StoppingAPlaySilencesAHeldNote) {
    const auto font = installed("TimGM6mb.sf2");
    if (!font) GTEST_SKIP() << "TimGM6mb.sf2 is not installed";
    test::TempDir folder;
    SynthOptions options;
    options.soundFont = *font;
    options.wav = folder / "stop.wav";
    options.tailMs = 1000;
    auto synth = FluidSynthOut::create(options);
    ASSERT_TRUE(synth && synth->rendersToFile());
    const auto document = test::documentOf(test::notes(1, {60, 64}), test::infoWith(60, 0, 0, 16));
    std::int64_t stoppedMs = 0;
    {
        test::PlayRig rig({}, PlaybackEngine::ClockMode::Simulated, nullptr, synth.get());
        rig.start(*document);
        rig.engine.runFor(1500);
        ASSERT_FALSE(rig.noteOns().empty());
        rig.sequencer().StopPlay();
        const std::vector<std::string> timed = rig.timed();
        stoppedMs = std::llround(std::stod(timed.back()));
    }
    synth.reset();
    const auto wav = readWav(folder / "stop.wav");
    ASSERT_TRUE(wav);
    auto peakBetween = [&](std::int64_t fromMs, std::int64_t toMs) {
        int p = 0;
        for (std::size_t i = std::size_t(fromMs * 441 / 10); i < std::min(wav->samples.size(), std::size_t(toMs * 441 / 10)); ++i)
            p = std::max(p, std::abs(int(wav->samples[i])));
        return p;
    };
    EXPECT_GE(wav->samples.size(), std::size_t((stoppedMs + 900) * 441 / 10));
    EXPECT_GT(peakBetween(stoppedMs - 500, stoppedMs), 1000);
    EXPECT_LT(peakBetween(stoppedMs + 300, stoppedMs + 1000), 64);
}

}  // namespace
}  // namespace plume
