#pragma once
// The analyser of a take: an amplitude envelope in 20 ms blocks, a state machine that finds where
// notes start and end, and for each finished note a pitch from a 4096-point spectrum and a length
// quantised against the tempo.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "voice/fourier_transform.h"
#include "voice/wave_device.h"

namespace plume::voice {

inline constexpr std::uint32_t kBlockSamples = 441;       // 20 ms
inline constexpr std::uint32_t kAttackSkip = 1102;        // 50 ms passed over before a pitch
inline constexpr std::size_t kSegmentCapacity = 100;
inline constexpr std::size_t kEnvelopeBlocks = 3000;      // 60 s
inline constexpr std::uint32_t kMinNoteBlocks = 7;        // 140 ms

// One detected note.
struct NoteSegment {
    std::uint8_t lengthCode = 0;  // 1 whole .. 6 thirty-second, as a song record's note type
    std::uint8_t dots = 0;        // 0, 0x40 dotted, 0x80 double-dotted
    std::uint8_t note = 0;        // MIDI note number; 0 when no pitch was found
    std::int16_t frequency = 0;   // Hz; 0 when none
    std::uint32_t start = 0;      // sample index, a multiple of 441
    std::uint32_t end = 0;
};

// The parameter block of "Voice Detect Parameters", in its order.
struct DetectParameters {
    enum Index {
        kAplox, kNoteLow, kNoteHigh, kNoiseCutLevel, kRiseMelody, kFallMelody, kRiseRhythm, kFallRhythm,
        kNextDataPercent, kDetectWay, kFTypeSample, kFTypeLow, kCount
    };
    std::array<std::uint16_t, kCount> values{};

    std::uint16_t operator[](Index i) const { return values[i]; }
    std::uint16_t& operator[](Index i) { return values[i]; }
    static DetectParameters defaults();
    // The profile key of each value.
    static const char* key(Index i);
    friend bool operator==(const DetectParameters&, const DetectParameters&) = default;
};

// A quarter note's thresholds at a tempo: T[1..12] of the length table (T[0] unused).
std::array<std::uint32_t, 13> lengthThresholds(std::uint16_t tempo);
// Length code and dot bits for a duration in milliseconds.
std::pair<std::uint8_t, std::uint8_t> quantiseLength(std::uint32_t durationMs, std::uint16_t tempo);
// 69 + 12·log2(f/440) rounded, halves up; 0 for 0 Hz.
std::uint8_t noteOfFrequency(int frequency);

class CVoiceDetector : public CWaveDevice {
public:
    explicit CVoiceDetector(WaveDriver& driver);

    bool Allocate(int seconds) override;
    void Free() override;
    bool IsReady() const override;
    int StartRecording(double seconds) override;

    std::span<const NoteSegment> GetSegments() const { return m_segments; }
    int GetSegmentCount() const { return m_analysedCount; }
    // Reads "Voice Detect Parameters" of plm.ini with the load limits.
    void LoadParameters();
    void SaveParameters() const;
    void SetParameters(const DetectParameters& parameters) { m_parameters = parameters; }
    DetectParameters GetParameters() const { return m_parameters; }
    // Runs the envelope, the segmentation and the pitch and length of closed notes over the
    // first `position` samples; `final` 1 flushes the last closed note. Returns the analysed count.
    int Analyse(std::uint16_t tempo, std::uint32_t position, int final);
    // The pitch of a sample range: the note number, the frequency in Hz written to `frequency`.
    std::uint8_t MeasureRange(std::uint32_t start, std::uint32_t end, int& frequency);

    // Back to the start of a take without recording: a kept take can be analysed again.
    void ResetSegmentation();
    std::span<const std::array<std::int16_t, 2>> envelope() const { return m_envelope; }
    // The frequency by the spectrum of the range (Detect Way 0).
    int spectrumPitch(std::uint32_t start, std::uint32_t end);
    // The frequency by the time-domain estimator (Detect Way 1).
    int periodPitch(std::uint32_t start, std::uint32_t end);
    // Detect Way 1's period of the `span` samples from `first`, looked at every `stride` samples;
    // in samples, 0 when aperiodic.
    double periodAt(std::uint32_t first, std::uint32_t span, std::uint32_t stride);
    // A coarse period made exact at the full rate.
    double finePeriod(std::uint32_t first, std::uint32_t window, double period);

private:
    void buildEnvelope(std::uint32_t position);
    void segment(std::uint32_t position);
    void analyseSegment(std::size_t i, std::uint32_t pitchEnd, std::uint32_t durationMs);
    // Detect Way 1 before a closed note is analysed: its start moved back over a soft attack, and
    // the note cut where the sung pitch moves to another key without a dip in level.
    void refineSegment(std::size_t i);
    void pullBackAdjacentStart(std::size_t i);
    std::int16_t sampleAt(std::uint32_t i) const;

    DetectParameters m_parameters = DetectParameters::defaults();
    std::vector<NoteSegment> m_segments;
    std::vector<std::array<std::int16_t, 2>> m_envelope;
    int m_analysedCount = 0;
    std::uint16_t m_tempo = 120;

    // Segmentation state of the take under way.
    std::uint32_t m_enveloped = 0;
    std::uint32_t m_nextBlock = 1;
    std::size_t m_open = 0;
    std::size_t m_analysed = 0;
    int m_state = 0;
    bool m_reattack = false;
    std::int16_t m_runningPeak = 0;
    std::int16_t m_dipPeak = 0;
    std::int16_t m_noiseCut = 3000;

    const SpectrumTables& m_tables;
    std::vector<double> m_re, m_im, m_level;
    std::vector<float> m_scratch;
};

}  // namespace plume::voice
