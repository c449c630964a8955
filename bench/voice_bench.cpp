// The pitch stage's transform and the analysis of the longest take the hum-to-score window makes.
#include <benchmark/benchmark.h>

#include <cmath>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <numbers>
#include <random>

#include "platform/clock.h"
#include "platform/profile.h"
#include "voice/fourier_transform.h"
#include "voice/pitch_shift.h"
#include "voice/transcription.h"
#include "voice/voice_detector.h"
#include "voice/wave_file.h"
#include "voice/wav_file_driver.h"

namespace plume::voice {
namespace {

struct SungNote {
    std::uint32_t onset;
    int key;
};

// 59 s of sung-like notes: a fundamental with harmonics, vibrato and breath, 300-700 ms each,
// with the notes it holds.
std::vector<std::int16_t> longTake(std::vector<SungNote>* notes = nullptr) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> key(52, 76), blocks(15, 35), breath(-400, 400);
    std::vector<std::int16_t> take;
    while (take.size() < 59 * kSampleRate) {
        const int k = key(random);
        const double hz = 440.0 * std::pow(2.0, (k - 69) / 12.0);
        if (notes) notes->push_back({std::uint32_t(take.size()), k});
        const int length = blocks(random) * 441;
        double phase = 0.0;
        for (int i = 0; i < length; ++i) {
            phase += 2.0 * std::numbers::pi * hz * (1.0 + 0.01 * std::sin(2.0 * std::numbers::pi * 5.5 * i / 22050.0)) / 22050.0;
            const double envelope = std::min(1.0, std::min(i, length - i) / 800.0);
            take.push_back(std::int16_t(envelope * (7000 * std::sin(phase) + 3500 * std::sin(2 * phase) +
                                                    1500 * std::sin(3 * phase)) + breath(random)));
        }
        take.insert(take.end(), 4 * 441, 0);
    }
    take.resize(59 * kSampleRate);
    if (notes) notes->pop_back();  // cut by the end of the take
    return take;
}

void BM_ForwardTransform4096(benchmark::State& state) {
    const SpectrumTables& tables = SpectrumTables::shared();
    std::vector<double> re(kSpectrumSize), im(kSpectrumSize);
    for (auto _ : state) {
        for (std::size_t i = 0; i < kSpectrumSize; ++i) re[i] = std::sin(double(i) * 0.3), im[i] = 0.0;
        forwardTransform(tables, re.data(), im.data());
        benchmark::DoNotOptimize(re.data());
    }
}
BENCHMARK(BM_ForwardTransform4096)->Unit(benchmark::kMicrosecond);

// The window's path: live calls every 50 ms, 150 ms behind the card, then the final flush.
void BM_AnalyseLiveTake60s(benchmark::State& state) {
    platform::MemoryProfile plm, app;
    platform::installProfiles(&plm, &app);
    plm.writeInt("Voice Detect Parameters", "Detect Way", int(state.range(0)));
    const auto take = longTake();
    platform::ManualClock clock;
    WavFileDriver driver(take, clock);
    CVoiceDetector detector(driver);
    detector.Allocate(60);
    detector.OpenInput(nullptr);
    int notes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        detector.StartRecording(59.0);
        clock.advanceMillis(60000);
        detector.GetInputPosition();
        state.ResumeTiming();
        for (std::uint32_t p = 1103; p + 3307 < take.size(); p += 1102) detector.Analyse(120, p, 0);
        notes = detector.Analyse(120, std::uint32_t(take.size()), 1);
        state.PauseTiming();
        detector.StopRecording();
        driver.takeInputDone();
        state.ResumeTiming();
    }
    state.counters["notes"] = notes;
    state.SetLabel("goal: 20 ms");
    platform::installProfiles(nullptr, nullptr);
}
BENCHMARK(BM_AnalyseLiveTake60s)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

struct NoteScore {
    std::size_t expected = 0, found = 0, matched = 0;
    void add(const std::vector<SungNote>& truth, std::span<const NoteSegment> segments, std::uint32_t covered) {
        std::vector<bool> used(segments.size());
        for (const SungNote& t : truth) {
            if (t.onset > covered) break;
            ++expected;
            for (std::size_t s = 0; s < segments.size(); ++s) {
                const auto distance = std::abs(std::int64_t(segments[s].start) - std::int64_t(t.onset));
                if (!used[s] && distance <= 70 * std::int64_t(kSampleRate) / 1000 && segments[s].note == t.key) {
                    used[s] = true;
                    ++matched;
                    break;
                }
            }
        }
        found += segments.size();
    }
    double f() const {
        const double precision = found ? double(matched) / double(found) : 0.0;
        const double recall = expected ? double(matched) / double(expected) : 0.0;
        return precision + recall > 0 ? 2 * precision * recall / (precision + recall) : 0.0;
    }
};

// Note F-measure against the generated notes: onset within 70 ms and the same key.
void BM_TranscriptionAccuracy(benchmark::State& state) {
    platform::MemoryProfile plm, app;
    platform::installProfiles(&plm, &app);
    std::vector<SungNote> truth;
    const auto take = longTake(&truth);
    DetectParameters parameters = DetectParameters::defaults();
    parameters[DetectParameters::kDetectWay] = std::uint16_t(state.range(0));
    Transcription found;
    for (auto _ : state) found = transcribeTake(take, 120, parameters);
    // The segment table holds 100 notes: only the part of the take it covers is scored.
    NoteScore score;
    score.add(truth, found.segments, found.segments.empty() ? 0 : found.segments.back().end);
    state.counters["F"] = score.f();
    state.SetLabel("generated voice");
    platform::installProfiles(nullptr, nullptr);
}
BENCHMARK(BM_TranscriptionAccuracy)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

// The sung takes: PLUME_SUNG_TAKES or the build's own set, made by scripts/make-sung-takes.
std::filesystem::path sungTakesFolder() {
    if (const char* folder = std::getenv("PLUME_SUNG_TAKES")) return folder;
#ifdef PLUME_SUNG_TAKES_DIR
    return PLUME_SUNG_TAKES_DIR;
#else
    return {};
#endif
}

struct SungTake {
    std::vector<std::int16_t> samples;
    std::uint16_t tempo = 120;
    std::vector<SungNote> notes;
};

std::vector<SungTake> loadSungTakes(const std::filesystem::path& folder) {
    std::vector<SungTake> takes;
    std::error_code error;
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.path().extension() == ".notes") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    for (const auto& file : files) {
        WavData wav = readCaptureWav(std::filesystem::path(file).replace_extension(".wav"));
        if (!wav.ok()) continue;
        SungTake take{std::move(wav.samples), 120, {}};
        std::ifstream in(file);
        std::string line;
        while (std::getline(in, line)) {
            std::istringstream fields(line);
            std::string word;
            if (line.starts_with("# tempo")) {
                fields >> word >> word >> take.tempo;
                continue;
            }
            std::uint32_t ms = 0;
            int key = 0;
            if (fields >> ms >> key) take.notes.push_back({ms * kSampleRate / 1000, key});
        }
        takes.push_back(std::move(take));
    }
    return takes;
}

// Note F-measure over the sung set, every take transcribed as plume-cli transcribe does.
void BM_SungAccuracy(benchmark::State& state) {
    const auto folder = sungTakesFolder();
    const auto takes = folder.empty() ? std::vector<SungTake>{} : loadSungTakes(folder);
    if (takes.empty()) {
        state.SkipWithError("skipped: no sung takes (festival and sox make them; or set PLUME_SUNG_TAKES)");
        return;
    }
    platform::MemoryProfile plm, app;
    platform::installProfiles(&plm, &app);
    DetectParameters parameters = DetectParameters::defaults();
    parameters[DetectParameters::kDetectWay] = std::uint16_t(state.range(0));
    NoteScore score;
    for (auto _ : state) {
        score = {};
        for (const SungTake& take : takes) {
            const Transcription found = transcribeTake(take.samples, take.tempo, parameters);
            score.add(take.notes, found.segments, found.samples);
        }
    }
    state.counters["F"] = score.f();
    state.counters["takes"] = double(takes.size());
    state.counters["notes"] = double(score.expected);
    state.counters["found"] = double(score.found);
    state.counters["matched"] = double(score.matched);
    state.SetLabel(state.range(0) == 1 ? "sung; goal F >= 0.85" : "sung");
    platform::installProfiles(nullptr, nullptr);
}
BENCHMARK(BM_SungAccuracy)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

// "音痴救済" over a whole 16-second take, the most the song trainer can correct at once.
void BM_PitchShiftWholeTake(benchmark::State& state) {
    const auto take = longTake();
    std::vector<std::int16_t> window(take.begin(), take.begin() + 16 * kSampleRate);
    for (auto _ : state) {
        pitchShift(window, std::pow(2.0, 2.0 / 12.0));
        benchmark::DoNotOptimize(window.data());
    }
    state.SetItemsProcessed(std::int64_t(state.iterations()) * std::int64_t(window.size()));
}
BENCHMARK(BM_PitchShiftWholeTake)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace plume::voice
