#include "score/effect_curve.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <numbers>

#include "song/song_timing.h"

namespace plume {

namespace {

std::int16_t clamp16(double v) { return std::int16_t(std::clamp(v, -32768.0, 32767.0)); }

// The first tempo record of a group, as the players let the first one win.
int groupTempo(Records records, std::size_t group, int current) {
    for (std::size_t i = groupEnd(records, group); i-- > group;) {
        const SongRecord& r = records[i];
        if (r.isEffect() && r.effectNumber() == effect::kTempo) current = r.value();
    }
    return current;
}

}  // namespace

bool takesCurves(std::uint8_t number) {
    return number == effect::kVolume || number == effect::kModulation || number == effect::kPitchBend;
}

std::uint8_t curveKind(std::uint8_t number) {
    switch (number) {
    case effect::kVolume: return kind::kVolumeCurve;
    case effect::kModulation: return kind::kModulationCurve;
    case effect::kPitchBend: return kind::kPitchBendCurve;
    default: return 0;
    }
}

CurveCoefficients curveCoefficients(CurveFunction function, int start, int end, double lengthMs,
                                    const CurveShape& shape) {
    CurveCoefficients c;
    const double n = lengthMs > 0 ? lengthMs : 1.0;
    const double rise = double(end) - double(start);
    c.base = clamp16(start);
    switch (function) {
    case CurveFunction::Line: c.first = float(rise / n); break;
    case CurveFunction::Parabola: c.first = float(rise / (n * n)); break;
    case CurveFunction::Exponential: {
        const double x = -2.0 - 8.0 * shape.shape;
        c.second = clamp16(rise);
        c.first = float(-std::log(std::pow(10.0, x)) / n);
        break;
    }
    case CurveFunction::Sine: {
        const int amplitude = (end - start) / 2;
        c.second = clamp16(amplitude);
        c.base = clamp16(std::max(start, end) - amplitude);
        const double msPerWidth = n;  // r = N / W, so p r = (p / W) N
        const double speed = shape.peak > 0 ? std::numbers::pi / (shape.peak * msPerWidth) : 0.0;
        c.first = float(speed);
        c.secondCoefficient = float(shape.phase * msPerWidth * speed);
        break;
    }
    }
    return c;
}

long long curveValue(CurveFunction function, const CurveCoefficients& c, double t) {
    const double a = c.first;
    double v = 0;
    switch (function) {
    case CurveFunction::Line: v = std::trunc(t * a); break;
    case CurveFunction::Parabola: v = std::trunc(t * a * t); break;
    case CurveFunction::Exponential: v = std::trunc((1.0 - std::exp(-a * t)) * c.second); break;
    case CurveFunction::Sine: v = std::trunc(std::sin(t * a - double(c.secondCoefficient)) * c.second); break;
    }
    if (!std::isfinite(v)) v = 0;
    return static_cast<long long>(std::clamp(v, -1e9, 1e9)) + c.base;
}

CurveTiming curveTiming(Records records, std::int16_t tempoAtStart, std::size_t from, std::size_t to) {
    CurveTiming timing;
    int tempo = tempoAtStart;
    std::uint64_t now = 0;
    const std::size_t end = std::min(to, records.size());
    for (std::size_t g = from; g < end; g = nextGroup(records, g)) {
        tempo = groupTempo(records, g, tempo);
        if (!isTimedGroup(records, g)) continue;
        timing.groups.push_back(g);
        timing.starts.push_back(std::int32_t(std::min<std::uint64_t>(now, INT32_MAX)));
        now += GroupDuration(records, g, std::int16_t(tempo));
    }
    timing.length = std::uint32_t(std::min<std::uint64_t>(now, UINT32_MAX));
    return timing;
}

std::vector<CurveTriple> curvePieces(const CurveRequest& request, const CurveTiming& timing) {
    const CurveCoefficients c =
        curveCoefficients(request.function, request.start, request.end, timing.length, request.shape);
    std::vector<CurveTriple> pieces;
    pieces.reserve(timing.starts.size());
    for (const std::int32_t start : timing.starts) {
        CurveTriple piece{};
        piece[0].setCurveFunction(std::uint8_t(request.function));
        piece[0].setCurveInterval(request.step);
        piece[0].setCurveStartOffset(start);
        piece[1].setCurveConstant(c.base);
        piece[1].setCurveAmplitude(c.second);
        piece[2].setCurveA(c.first);
        piece[2].setCurveB(c.secondCoefficient);
        pieces.push_back(piece);
    }
    return pieces;
}

bool writeCurve(CPlmDoc& doc, std::size_t from, std::size_t to, const CurveRequest& request) {
    if (!takesCurves(request.effect)) return false;
    const CurveTiming timing = curveTiming(doc.records(), doc.tempoAt(from), from, to);
    if (timing.groups.empty()) return false;
    return doc.setCurves(from, to, request.effect, curvePieces(request, timing));
}

std::size_t deleteCurve(CPlmDoc& doc, std::size_t from, std::size_t to, std::uint8_t number) {
    if (!takesCurves(number)) return 0;
    return doc.removeEffectInRange(from, to, number);
}

}  // namespace plume
