#include "voice/voice_detector.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/profile.h"

namespace plume::voice {

namespace {

constexpr const char* kSection = "Voice Detect Parameters";
constexpr std::size_t kLowBin = kSpectrumSize * 50 / kSampleRate;    // 9, about 54 Hz
constexpr std::size_t kHighBin = kSpectrumSize * 1800 / kSampleRate; // 334, about 1.8 kHz

}  // namespace

DetectParameters DetectParameters::defaults() {
    return DetectParameters{{5, 24, 95, 3000, 40, 20, 20, 10, 63, 0, 13, 15}};
}

const char* DetectParameters::key(Index i) {
    static constexpr const char* kKeys[kCount] = {
        "Aplox", "Note Low", "Note High", "Noise Cut Level", "Rise Time for Melody", "Fall Time for Melody",
        "Rise Time for Rhythm", "Fall Time for Rhythm", "Next Data Percent", "Detect Way", "F type Sample",
        "F type Low"};
    return kKeys[i];
}

std::array<std::uint32_t, 13> lengthThresholds(std::uint16_t tempo) {
    const std::uint32_t q = 60000u / std::max<std::uint32_t>(tempo, 1);
    return {0,          15 * q / 4,  13 * q / 4,  11 * q / 4, 15 * q / 8, 13 * q / 8, 11 * q / 8,
            15 * q / 16, 13 * q / 16, 10 * q / 16, 7 * q / 16, 5 * q / 16, 3 * q / 16};
}

std::pair<std::uint8_t, std::uint8_t> quantiseLength(std::uint32_t durationMs, std::uint16_t tempo) {
    static constexpr std::pair<std::uint8_t, std::uint8_t> kRows[13] = {
        {1, 0}, {2, 0x80}, {2, 0x40}, {2, 0}, {3, 0x80}, {3, 0x40}, {3, 0},
        {4, 0x80}, {4, 0x40}, {4, 0}, {5, 0x40}, {5, 0}, {6, 0}};
    const auto t = lengthThresholds(tempo);
    int k = 12;
    while (k > 0 && durationMs >= t[std::size_t(k)]) --k;
    return kRows[k];
}

std::uint8_t noteOfFrequency(int frequency) {
    if (frequency == 0) return 0;
    const double n = ((69.0 + 12.0 * std::log(double(frequency) / 440.0) / std::log(2.0)) * 10.0 + 5.0) / 10.0;
    return std::uint8_t(int(n));
}

CVoiceDetector::CVoiceDetector(WaveDriver& driver)
    : CWaveDevice(driver),
      m_tables(SpectrumTables::shared()),
      m_re(kSpectrumSize),
      m_im(kSpectrumSize),
      m_level(kSpectrumSize) {
    LoadParameters();
}

bool CVoiceDetector::Allocate(int seconds) {
    if (!CWaveDevice::Allocate(seconds)) return false;
    m_segments.assign(kSegmentCapacity, NoteSegment{});
    m_envelope.assign(kEnvelopeBlocks, {0, 0});
    return true;
}

void CVoiceDetector::Free() {
    m_segments.clear();
    m_envelope.clear();
    CWaveDevice::Free();
}

bool CVoiceDetector::IsReady() const {
    return CWaveDevice::IsReady() && m_segments.size() == kSegmentCapacity && m_envelope.size() == kEnvelopeBlocks;
}

int CVoiceDetector::StartRecording(double seconds) {
    ResetSegmentation();
    return CWaveDevice::StartRecording(seconds);
}

void CVoiceDetector::ResetSegmentation() {
    m_enveloped = 0;
    m_nextBlock = 1;
    m_open = 0;
    m_analysed = 0;
    m_analysedCount = 0;
    m_state = 0;
    m_reattack = false;
    m_runningPeak = 0;
    m_dipPeak = 0;
    m_noiseCut = std::int16_t(std::min<int>(m_parameters[DetectParameters::kNoiseCutLevel], 32767));
}

void CVoiceDetector::LoadParameters() {
    const auto& profile = platform::plmProfile();
    const DetectParameters defaults = DetectParameters::defaults();
    for (int i = 0; i < DetectParameters::kCount; ++i) {
        const auto index = DetectParameters::Index(i);
        m_parameters[index] = std::uint16_t(profile.getInt(kSection, DetectParameters::key(index), defaults[index]));
    }
    m_parameters[DetectParameters::kNoteLow] = std::max<std::uint16_t>(m_parameters[DetectParameters::kNoteLow], 24);
    m_parameters[DetectParameters::kNoteHigh] = std::min<std::uint16_t>(m_parameters[DetectParameters::kNoteHigh], 95);
}

void CVoiceDetector::SaveParameters() const {
    auto& profile = platform::plmProfile();
    for (int i = 0; i < DetectParameters::kCount; ++i) {
        const auto index = DetectParameters::Index(i);
        profile.writeInt(kSection, DetectParameters::key(index), m_parameters[index]);
    }
}

std::int16_t CVoiceDetector::sampleAt(std::uint32_t i) const {
    auto* self = const_cast<CVoiceDetector*>(this);
    const auto buffer = self->GetBufferHandle();
    return i < buffer.size() ? buffer[i] : std::int16_t(0);
}

void CVoiceDetector::buildEnvelope(std::uint32_t position) {
    const auto buffer = GetBufferHandle();
    const std::uint32_t blocks = std::min<std::uint32_t>(position / kBlockSamples, kEnvelopeBlocks);
    for (std::uint32_t b = m_enveloped / kBlockSamples; b < blocks; ++b) {
        int high = 0;
        int low = 0;
        for (std::uint32_t i = b * kBlockSamples; i < (b + 1) * kBlockSamples; ++i) {
            high = std::max<int>(high, buffer[i]);
            low = std::min<int>(low, buffer[i]);
        }
        m_envelope[b] = {std::int16_t(high), std::int16_t(std::min(-low, 32767))};
    }
    m_enveloped = std::max(m_enveloped, blocks * kBlockSamples);
}

void CVoiceDetector::segment(std::uint32_t position) {
    const std::uint32_t blocks = std::min<std::uint32_t>(position / kBlockSamples, m_enveloped / kBlockSamples);
    const int noiseCut = m_noiseCut;
    for (std::uint32_t b = m_nextBlock; b + 1 < blocks; ++b, m_nextBlock = b) {
        const int p = m_envelope[b][0];
        const int q = m_envelope[b][1];
        if (m_open >= kSegmentCapacity) break;  // the table is full: no further note is taken
        NoteSegment& open = m_segments[m_open];
        if (m_state == 0) {
            if (p >= noiseCut && q >= noiseCut) {
                open.start = b * kBlockSamples;
                m_state = 1;
                m_runningPeak = std::int16_t(p);
            }
            continue;
        }
        const std::uint32_t length = b - open.start / kBlockSamples;
        if (p >= noiseCut || q >= noiseCut) {
            const bool dip = p <= m_envelope[b - 1][0] && p <= m_envelope[b + 1][0];
            if (dip && p < int(m_runningPeak * 0.5) && length >= kMinNoteBlocks && m_open + 1 < kSegmentCapacity) {
                open.end = (b - 1) * kBlockSamples;
                ++m_open;
                m_segments[m_open].start = b * kBlockSamples;
                m_dipPeak = m_runningPeak = std::int16_t(p);
                m_reattack = true;
            }
        } else {
            if (!m_reattack) {
                if (length >= kMinNoteBlocks) {
                    open.end = b * kBlockSamples;
                    ++m_open;
                }
            } else {
                open.end = b * kBlockSamples;
                if (length >= kMinNoteBlocks && m_runningPeak * 0.6 > m_dipPeak) ++m_open;
            }
            m_state = 0;
            m_reattack = false;
            m_runningPeak = std::int16_t(p);
            continue;
        }
        if (p > m_runningPeak) m_runningPeak = std::int16_t(p);
    }
}

void CVoiceDetector::analyseSegment(std::size_t i, std::uint32_t pitchEnd, std::uint32_t durationMs) {
    NoteSegment& s = m_segments[i];
    int frequency = 0;
    // The period estimate looks at the middle of the note, so it takes the note's own end: the end
    // of the following one would put the middle inside the next note.
    if (m_parameters[DetectParameters::kDetectWay] == 1) pitchEnd = s.end;
    s.note = MeasureRange(s.start, pitchEnd, frequency);
    s.frequency = std::int16_t(frequency);
    std::tie(s.lengthCode, s.dots) = quantiseLength(durationMs, m_tempo);
}

int CVoiceDetector::Analyse(std::uint16_t tempo, std::uint32_t position, int final) {
    if (!IsReady()) return 0;
    m_tempo = tempo;
    position = std::min<std::uint32_t>(position, std::uint32_t(GetBufferHandle().size()));
    buildEnvelope(position);
    segment(position);
    while (m_analysed + 1 < m_open) {
        const std::size_t i = m_analysed;
        const std::uint32_t duration = (m_segments[i + 1].start - m_segments[i].start) * 1000u / kSampleRate;
        analyseSegment(i, m_segments[i + 1].end, duration);
        ++m_analysed;
    }
    if (final == 1 && m_analysed != m_open) {
        const std::size_t k = m_open - 1;
        const NoteSegment& s = m_segments[k];
        const auto duration = std::uint32_t(double(s.end - s.start) * 1000.0 / 22050.0 * 1.25);
        analyseSegment(k, s.end, duration);
        ++m_analysed;
    }
    m_analysedCount = int(m_analysed);
    return m_analysedCount;
}

std::uint8_t CVoiceDetector::MeasureRange(std::uint32_t start, std::uint32_t end, int& frequency) {
    frequency = m_parameters[DetectParameters::kDetectWay] == 1 ? periodPitch(start, end) : spectrumPitch(start, end);
    return noteOfFrequency(frequency);
}

int CVoiceDetector::spectrumPitch(std::uint32_t start, std::uint32_t end) {
    const std::int64_t from = std::int64_t(start) + kAttackSkip;
    if (std::int64_t(end) - from < 1) return 0;
    const std::int16_t level = grandLevel();
    std::fill(m_re.begin(), m_re.end(), 0.0);
    std::fill(m_im.begin(), m_im.end(), 0.0);
    for (std::uint32_t i = 0; i < kWindowSize; ++i) {
        const auto at = std::uint32_t(from) + i;
        const std::int16_t sample = at < end ? std::int16_t(sampleAt(at) - level) : std::int16_t(0);
        m_re[kWindowSize / 2 + i] = double(sample) * m_tables.window[i];
    }
    forwardTransform(m_tables, m_re.data(), m_im.data());
    auto levelOf = [&](std::size_t k) { return 10.0 * std::log10(m_re[k] * m_re[k] + m_im[k] * m_im[k]); };
    m_level[0] = levelOf(0);
    for (std::size_t k = kLowBin; k <= kHighBin + 2; ++k) m_level[k] = levelOf(k);
    double max = 0.0;
    for (std::size_t k = kLowBin + 1; k < kHighBin; ++k) max = std::max(max, m_level[k]);
    if (m_level[0] > max) return 0;
    for (std::size_t k = kLowBin + 1; k < kHighBin; ++k) {
        const double* l = m_level.data();
        if (l[k] > max - 17 && l[k] >= l[k - 1] && l[k] >= l[k + 1] && l[k + 1] >= l[k + 2] && l[k + 2] >= l[k + 3])
            return int(k * kSampleRate / kSpectrumSize);
    }
    return 0;
}

int CVoiceDetector::periodPitch(std::uint32_t start, std::uint32_t end) {
    // A YIN-style estimate: the cumulative-mean-normalised difference of the signal with itself,
    // whose first clear dip is the period; the shortest qualifying period avoids octave-low errors.
    constexpr std::uint32_t kShortest = kSampleRate / 1800;  // 12 samples
    constexpr std::uint32_t kLongest = kSampleRate / 54;     // 408 samples
    constexpr std::uint32_t kWindow = 512;
    constexpr double kThreshold = 0.15;
    const std::uint32_t from = start + kAttackSkip;
    if (end <= from || end - from < kWindow / 2 + kLongest) return spectrumPitch(start, end);
    const std::uint32_t window = std::min(kWindow, end - from - kLongest);
    // The middle of the sounding part, where a sung note is steadiest.
    const std::uint32_t first = from + (end - from - window - kLongest) / 2;
    const std::int16_t level = grandLevel();
    std::vector<double>& x = m_re;  // reused as scratch: N is larger than window + longest period
    for (std::uint32_t i = 0; i < window + kLongest; ++i) x[i] = double(sampleAt(first + i) - level);
    std::vector<double>& d = m_level;
    double running = 0.0;
    d[0] = 1.0;
    for (std::uint32_t tau = 1; tau <= kLongest; ++tau) {
        double sum = 0.0;
        for (std::uint32_t j = 0; j < window; ++j) {
            const double diff = x[j] - x[j + tau];
            sum += diff * diff;
        }
        running += sum;
        d[tau] = running > 0.0 ? sum * double(tau) / running : 1.0;
    }
    std::uint32_t best = 0;
    for (std::uint32_t tau = kShortest; tau < kLongest; ++tau) {
        if (d[tau] < kThreshold) {
            while (tau + 1 < kLongest && d[tau + 1] < d[tau]) ++tau;
            best = tau;
            break;
        }
    }
    if (best == 0) {
        for (std::uint32_t tau = kShortest; tau < kLongest; ++tau) {
            if (best == 0 || d[tau] < d[best]) best = tau;
        }
        if (d[best] > 0.4) return 0;  // no periodic sound
    }
    // A parabola through the dip and its neighbours places the period between samples.
    const double a = d[best - 1], b = d[best], c = d[best + 1];
    const double denominator = a - 2.0 * b + c;
    const double shift = denominator > 0.0 ? std::clamp(0.5 * (a - c) / denominator, -0.5, 0.5) : 0.0;
    return int(std::lround(double(kSampleRate) / (double(best) + shift)));
}

}  // namespace plume::voice
