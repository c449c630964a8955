#include "voice/voice_detector.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "platform/profile.h"

namespace plume::voice {

namespace {

constexpr const char* kSection = "Voice Detect Parameters";
constexpr std::size_t kLowBin = kSpectrumSize * 50 / kSampleRate;    // 9, about 54 Hz
constexpr std::size_t kHighBin = kSpectrumSize * 1800 / kSampleRate; // 334, about 1.8 kHz
constexpr std::uint32_t kShortestPeriod = kSampleRate / 1800;          // 12 samples
constexpr std::uint32_t kLongestPeriod = kSampleRate / 54;             // 408 samples

// Where a parabola through three equally spaced values has its vertex, from the middle one
// (within half a step either way; 0 when they do not dip).
double vertexShift(double a, double b, double c) {
    const double denominator = a - 2.0 * b + c;
    return denominator > 0.0 ? std::clamp(0.5 * (a - c) / denominator, -0.5, 0.5) : 0.0;
}

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
      m_level(kSpectrumSize),
      m_scratch(kSpectrumSize) {
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
    const bool refine = m_parameters[DetectParameters::kDetectWay] == 1;
    while (m_analysed + 1 < m_open) {
        const std::size_t i = m_analysed;
        if (refine) refineSegment(i);
        const std::uint32_t duration = (m_segments[i + 1].start - m_segments[i].start) * 1000u / kSampleRate;
        analyseSegment(i, m_segments[i + 1].end, duration);
        ++m_analysed;
    }
    if (final == 1 && refine && m_analysed + 1 == m_open) {
        refineSegment(m_analysed);
        for (; m_analysed + 1 < m_open; ++m_analysed) {
            const std::size_t i = m_analysed;
            analyseSegment(i, m_segments[i].end, (m_segments[i + 1].start - m_segments[i].start) * 1000u / kSampleRate);
        }
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

double CVoiceDetector::periodAt(std::uint32_t first, std::uint32_t span, std::uint32_t stride) {
    // A YIN-style estimate: the cumulative-mean-normalised difference of the signal with itself,
    // whose first clear dip is the period; the shortest qualifying period avoids octave-low errors.
    constexpr double kThreshold = 0.15;
    constexpr double kOctaveRatio = 0.2;
    const std::uint32_t window = span / stride;
    const std::uint32_t shortest = kShortestPeriod / stride;
    const std::uint32_t longest = kLongestPeriod / stride;
    // Every `stride` samples averaged into one: a cheaper look that keeps the fundamental.
    const int level = grandLevel() * int(stride);
    const auto buffer = GetBufferHandle();
    float* x = m_scratch.data();  // single precision: twice the sums per vector step
    for (std::uint32_t i = 0; i < window + longest; ++i) {
        int sum = 0;
        for (std::uint32_t k = 0, at = first + i * stride; k < stride; ++k, ++at) sum += at < buffer.size() ? buffer[at] : 0;
        x[i] = float(sum - level);
    }
    // The sums for every lag at once: the inner loop runs over lags, four at a time (the same
    // operations in the same order as one at a time, so the sums are the same to the bit).
    float* sums = m_scratch.data() + window + longest;
    std::fill(sums, sums + longest + 1, 0.0f);
    using Four = float __attribute__((vector_size(16)));
    for (std::uint32_t j = 0; j < window; ++j) {
        const float here = x[j];
        const Four here4 = {here, here, here, here};
        const float* later = x + j;
        std::uint32_t tau = 1;
        for (; tau + 3 <= longest; tau += 4) {
            Four after, sum;
            std::memcpy(&after, later + tau, sizeof after);
            std::memcpy(&sum, sums + tau, sizeof sum);
            const Four diff = here4 - after;
            sum += diff * diff;
            std::memcpy(sums + tau, &sum, sizeof sum);
        }
        for (; tau <= longest; ++tau) {
            const float diff = here - later[tau];
            sums[tau] += diff * diff;
        }
    }
    std::vector<double>& d = m_level;
    double running = 0.0;
    d[0] = 1.0;
    for (std::uint32_t tau = 1; tau <= longest; ++tau) {
        running += double(sums[tau]);
        d[tau] = running > 0.0 ? double(sums[tau]) * double(tau) / running : 1.0;
    }
    std::uint32_t best = 0;
    for (std::uint32_t tau = shortest; tau < longest; ++tau) {
        if (d[tau] < kThreshold) {
            while (tau + 1 < longest && d[tau + 1] < d[tau]) ++tau;
            best = tau;
            break;
        }
    }
    if (best == 0) {
        for (std::uint32_t tau = shortest; tau < longest; ++tau) {
            if (best == 0 || d[tau] < d[best]) best = tau;
        }
        if (d[best] > 0.4) return 0.0;  // no periodic sound
        // Octave low: a dip nearly as deep at half the period is the period.
        const std::uint32_t half = best / 2;
        if (half > shortest + 1) {
            std::uint32_t near = half;
            for (std::uint32_t tau = half - 2; tau <= half + 2; ++tau) near = d[tau] < d[near] ? tau : near;
            if (d[near] < d[best] + 0.1) best = near;
        }
    }
    // A parabola through the dip and its neighbours places the period between samples.
    auto vertex = [&](std::uint32_t tau) {
        const double shift = vertexShift(d[tau - 1], d[tau], d[tau + 1]);
        return std::pair{shift, d[tau] - 0.25 * (d[tau - 1] - d[tau + 1]) * shift};
    };
    auto [shift, depth] = vertex(best);
    // Octave high: a strong second harmonic dips early but not cleanly, and the true period far deeper.
    if (2 * best + 2 < longest) {
        std::uint32_t twice = 2 * best;
        for (std::uint32_t tau = 2 * best - 2; tau <= 2 * best + 2; ++tau) twice = d[tau] < d[twice] ? tau : twice;
        const auto [twiceShift, twiceDepth] = vertex(twice);
        if (depth > 0.06 && twiceDepth < kOctaveRatio * depth) best = twice, shift = twiceShift;
    }
    return (double(best) + shift) * double(stride);
}

double CVoiceDetector::finePeriod(std::uint32_t first, std::uint32_t window, double period) {
    // The plain difference at full rate over the few lags around a coarse period.
    const auto centre = std::uint32_t(std::lround(period));
    if (centre < kShortestPeriod + 2 || centre + 2 > kLongestPeriod) return period;
    const std::int16_t level = grandLevel();
    std::vector<double>& x = m_re;
    for (std::uint32_t i = 0; i < window + centre + 3; ++i) x[i] = double(sampleAt(first + i) - level);
    double d[5];
    for (std::uint32_t k = 0; k < 5; ++k) {
        const std::uint32_t tau = centre - 2 + k;
        double sum = 0.0;
        for (std::uint32_t j = 0; j < window; ++j) sum += (x[j] - x[j + tau]) * (x[j] - x[j + tau]);
        d[k] = sum;
    }
    const std::uint32_t best = std::uint32_t(std::min_element(d + 1, d + 4) - d);
    return double(centre - 2 + best) + vertexShift(d[best - 1], d[best], d[best + 1]);
}

int CVoiceDetector::periodPitch(std::uint32_t start, std::uint32_t end) {
    constexpr std::uint32_t kWindow = 512;
    constexpr int kLooks = 5;
    const std::uint32_t from = start + kAttackSkip;
    if (end <= from || end - from < kWindow / 2 + kLongestPeriod) return spectrumPitch(start, end);
    const std::uint32_t window = std::min(kWindow, end - from - kLongestPeriod);
    // Up to five looks spread over the sounding part; their median outvotes an octave error of one.
    const std::uint32_t span = end - from - window - kLongestPeriod;
    const int looks = span < kWindow ? 1 : kLooks;
    std::vector<double> periods;
    for (int k = 0; k < looks; ++k) {
        const std::uint32_t first = from + (looks == 1 ? span / 2 : span * std::uint32_t(k) / std::uint32_t(looks - 1));
        const double period = periodAt(first, window, 2);
        if (period > 0.0) periods.push_back(period);
    }
    if (periods.empty()) return 0;
    std::nth_element(periods.begin(), periods.begin() + std::ptrdiff_t(periods.size() / 2), periods.end());
    const double period = finePeriod(from + span / 2, window, periods[periods.size() / 2]);
    return int(std::lround(double(kSampleRate) / period));
}

void CVoiceDetector::pullBackAdjacentStart(std::size_t i) {
    // A note cut from the one before at its quietest block: the consonant started where the level
    // fell halfway from the earlier note's peak down to that block.
    NoteSegment& s = m_segments[i];
    NoteSegment& before = m_segments[i - 1];
    const std::uint32_t b = s.start / kBlockSamples;
    if (before.end / kBlockSamples + 1 < b || b < 2) return;
    auto level = [&](std::uint32_t block) { return std::max<int>(m_envelope[block][0], m_envelope[block][1]); };
    int peak = 0;
    for (std::uint32_t k = std::max(before.start / kBlockSamples, b > 12 ? b - 12 : 0); k < b; ++k) peak = std::max(peak, level(k));
    const int half = (peak + level(b)) / 2;
    std::uint32_t start = b;
    while (start > b - std::min<std::uint32_t>(b - before.start / kBlockSamples - kMinNoteBlocks, 4) && level(start - 1) < half) --start;
    if (start == b) return;
    s.start = start * kBlockSamples;
    before.end = std::min(before.end, (start - 1) * kBlockSamples);
}

void CVoiceDetector::refineSegment(std::size_t i) {
    NoteSegment& s = m_segments[i];
    // A soft attack (a nasal, an aspirated stop) sounds before the level reaches the noise cut:
    // the start moves back over blocks still above a quarter of it.
    const std::uint32_t floor = i > 0 ? m_segments[i - 1].end / kBlockSamples : 0;
    std::uint32_t b = s.start / kBlockSamples;
    for (int moved = 0; moved < 8 && b > floor; ++moved, --b) {
        const auto& before = m_envelope[b - 1];
        if (std::max<int>(before[0], before[1]) < m_noiseCut / 4) break;
    }
    s.start = b * kBlockSamples;
    if (i > 0) pullBackAdjacentStart(i);

    // The pitch every 40 ms from the end of the attack: a key held for two steps after another one
    // starts a new note, cut a step before it was first heard.
    constexpr std::uint32_t kStep = 2 * kBlockSamples;
    constexpr std::uint32_t kWindow = 384;
    if (s.end < s.start + 2 * kAttackSkip || m_open + 1 >= kSegmentCapacity) return;
    std::vector<std::pair<std::uint32_t, double>> keys;  // position, fractional key
    for (std::uint32_t at = s.start + kBlockSamples * 3; at + kWindow + kLongestPeriod <= s.end; at += kStep) {
        const double period = periodAt(at, kWindow, 2);
        if (period > 0.0) keys.push_back({at, 69.0 + 12.0 * std::log2(double(kSampleRate) / period / 440.0)});
    }
    // A key is three steps in a row within half a semitone; a new one cuts the note at the quietest
    // block since the held key was last heard, where the syllable's consonant is.
    std::vector<std::uint32_t> cuts;
    double held = -1.0;
    std::uint32_t lastHeld = s.start;
    for (std::size_t k = 0; k + 2 < keys.size(); ++k) {
        double run[3] = {keys[k].second, keys[k + 1].second, keys[k + 2].second};
        if (held >= 0.0 && std::abs(run[0] - held) < 0.5) lastHeld = keys[k].first;
        const double low = std::min({run[0], run[1], run[2]}), high = std::max({run[0], run[1], run[2]});
        if (high - low >= 0.5) continue;
        const double key = (run[0] + run[1] + run[2]) / 3.0;
        if (held < 0.0) {
            held = key;
            lastHeld = keys[k].first;
            continue;
        }
        if (std::abs(key - held) < 0.7 || std::lround(key) == std::lround(held)) continue;
        std::uint32_t quietest = 0;
        int quietLevel = std::numeric_limits<int>::max();
        for (std::uint32_t block = lastHeld / kBlockSamples + 1; block * kBlockSamples <= keys[k].first; ++block) {
            const int level = std::max<int>(m_envelope[block][0], m_envelope[block][1]);
            if (level < quietLevel) quietLevel = level, quietest = block;
        }
        const std::uint32_t cut = quietest * kBlockSamples;
        const std::uint32_t last = cuts.empty() ? s.start : cuts.back();
        if (quietest != 0 && cut >= last + kMinNoteBlocks * kBlockSamples / 2 && cut + 5 * kBlockSamples <= s.end) {
            cuts.push_back(cut);
            held = key;
            lastHeld = keys[k].first;
        }
    }
    if (cuts.empty()) return;
    const std::size_t room = kSegmentCapacity - 1 - m_open;
    cuts.resize(std::min(cuts.size(), room));
    const std::size_t added = cuts.size();
    // The notes after this one, the open one included, move up by the pieces added.
    for (std::size_t k = std::min(m_open, kSegmentCapacity - 1 - added) + 1; k-- > i + 1;)
        m_segments[k + added] = m_segments[k];
    const std::uint32_t end = s.end;
    for (std::size_t k = 0; k < added; ++k) {
        m_segments[i + k].end = cuts[k] - kBlockSamples;
        m_segments[i + k + 1] = NoteSegment{};
        m_segments[i + k + 1].start = cuts[k];
    }
    m_segments[i + added].end = end;
    m_open += added;
}

}  // namespace plume::voice
