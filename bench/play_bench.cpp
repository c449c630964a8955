// Playback: how late the real-time thread wakes against its deadlines while it plays sixteen
// channels to the event recorder (3 s for each period; PLUME_BENCH_LONG=1 runs the full 10 s),
// and the cost of one PlayTick with sixteen busy channels.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

#include "platform/clock.h"
#include "platform/periodic_thread.h"
#include "platform/window_messages.h"
#include "play/event_recorder.h"
#include "play/midi_output.h"
#include "play/performer_songs.h"

namespace plume {
namespace {

const std::array<std::vector<SongRecord>, 16>& benchSongs() {
    static const auto songs = [] {
        std::array<std::vector<SongRecord>, 16> s;
        for (std::size_t i = 0; i < s.size(); ++i) s[i] = test::variedSong(std::uint32_t(2000 + i), 4000, i == 9);
        return s;
    }();
    return songs;
}

void fillBlock(PlayBlock& block, int periodMs) {
    block = PlayBlock{};
    block.window = 1;
    block.interruptPeriod = std::uint16_t(periodMs);
    for (std::uint8_t ch = 0; ch < 16; ++ch) {
        SongInfo info = SongInfo::defaults();
        if (ch == 9) info.setFileKind(0);
        block.channels[ch] = ChannelState::forSong(benchSongs()[ch], info, ch);
    }
}

// The real-time thread, measuring each call's lateness against its deadline before the tick.
class MeasuredTimer final : public PlayTimer {
public:
    explicit MeasuredTimer(std::size_t capacity) : m_lateness(capacity) {}
    bool start(int periodMs, Tick tick, void* context) override {
        m_tick = tick;
        m_context = context;
        return m_thread.start(std::chrono::milliseconds(periodMs), &MeasuredTimer::call, this);
    }
    void stop() override { m_thread.stop(); }
    bool running() const override { return m_thread.running(); }
    bool realtime() const { return m_thread.realtime(); }
    // After stop(): the lateness of each call in microseconds.
    std::vector<double> lateness() const { return {m_lateness.begin(), m_lateness.begin() + std::ptrdiff_t(m_count)}; }

private:
    static void call(void* self) {
        auto* t = static_cast<MeasuredTimer*>(self);
        const auto late = std::chrono::steady_clock::now() - t->m_thread.deadline();
        if (t->m_count < t->m_lateness.size())
            t->m_lateness[t->m_count++] = std::chrono::duration<double, std::micro>(late).count();
        t->m_tick(t->m_context);
    }

    platform::PeriodicThread m_thread;
    std::vector<double> m_lateness;
    std::size_t m_count = 0;
    Tick m_tick = nullptr;
    void* m_context = nullptr;
};

double percentile(std::vector<double> sorted, double p) {
    if (sorted.empty()) return 0;
    std::sort(sorted.begin(), sorted.end());
    return sorted[std::min(sorted.size() - 1, std::size_t(p * double(sorted.size())))];
}

void PlayTickLateness(benchmark::State& state) {
    const int periodMs = int(state.range(0));
    const char* longRun = std::getenv("PLUME_BENCH_LONG");
    const auto duration = std::chrono::seconds(longRun && *longRun == '1' ? 10 : 3);
    auto block = std::make_unique<PlayBlock>();
    auto recorder = std::make_unique<EventRecorder>();
    auto port = std::make_unique<platform::MessagePort>();
    FixedDevices devices({recorder.get()});
    platform::SteadyClock clock;
    platform::WindowRouter nobody;
    std::vector<double> lateness;
    bool realtime = false;
    for (auto _ : state) {
        fillBlock(*block, periodMs);
        MeasuredTimer timer(std::size_t(std::chrono::milliseconds(duration).count() / periodMs + 100));
        MidiOutputComponent component(*block, devices, *port, clock, timer);
        MidiHandle handle = 0;
        component.OpenMidiOutput(handle, 1, kMidiMapper);
        component.startClock();
        const auto end = std::chrono::steady_clock::now() + duration;
        while (std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            port->drain(nobody);
            recorder->clear();
        }
        component.stopClock();
        component.CloseMidiOutput(handle);
        lateness = timer.lateness();
        realtime = timer.realtime();
    }
    const auto ms = [](double us) { return us / 1000.0; };
    state.counters["p50_ms"] = ms(percentile(lateness, 0.50));
    state.counters["p99_ms"] = ms(percentile(lateness, 0.99));
    state.counters["max_ms"] = ms(lateness.empty() ? 0 : *std::max_element(lateness.begin(), lateness.end()));
    state.counters["ticks"] = double(lateness.size());
    state.counters["realtime"] = realtime ? 1 : 0;
    state.counters["lost"] = double(recorder->lost());
    state.SetLabel("goal: p99 <= 0.3 ms, max <= 1 ms");
}
BENCHMARK(PlayTickLateness)->Arg(1)->Arg(2)->Arg(5)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void PlayTick16Channels(benchmark::State& state) {
    const int periodMs = int(state.range(0));
    auto block = std::make_unique<PlayBlock>();
    auto recorder = std::make_unique<EventRecorder>();
    auto port = std::make_unique<platform::MessagePort>();
    FixedDevices devices({recorder.get()});
    platform::ManualClock clock;
    SimulatedPlayTimer ticks(clock);
    platform::WindowRouter nobody;
    fillBlock(*block, periodMs);
    MidiOutputComponent component(*block, devices, *port, clock, ticks);
    MidiHandle handle = 0;
    component.OpenMidiOutput(handle, 1, kMidiMapper);
    component.startClock();
    std::size_t sinceDrain = 0;
    for (auto _ : state) {
        ticks.fire();
        if (++sinceDrain == 256) {
            state.PauseTiming();
            sinceDrain = 0;
            recorder->clear();
            port->drain(nobody);
            // A song that has ended starts again, so that every tick plays sixteen channels.
            bool ended = false;
            for (const ChannelState& c : block->channels) ended |= c.finished;
            if (ended) {
                component.stopClock();
                fillBlock(*block, periodMs);
                component.startClock();
            }
            state.ResumeTiming();
        }
    }
    state.counters["lost"] = double(recorder->lost());
    state.SetLabel("16 busy channels, " + std::to_string(periodMs) + " ms per tick");
}
BENCHMARK(PlayTick16Channels)->Arg(1)->Arg(5)->Unit(benchmark::kNanosecond);

}  // namespace
}  // namespace plume
