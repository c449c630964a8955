#pragma once
// Function curves over a range: the time of each note or rest group, the coefficients of the four
// functions and the three records of every piece, written to the song as the function sheet's OK
// does. The players and the exporter evaluate the pieces (trunc(t a) + c, trunc(t a t) + c,
// trunc((1 - e^(-a t)) A) + c, trunc(sin(t a - b) A) + c, t in milliseconds).

#include <cstddef>
#include <cstdint>
#include <vector>

#include "song/plm_doc.h"
#include "song/song_record.h"

namespace plume {

enum class CurveFunction : std::uint8_t { Line = 1, Parabola = 2, Exponential = 3, Sine = 4 };

// The graph's shape points as fractions of the graph width W, the only way they enter the formulas.
struct CurveShape {
    double shape = 0.5;  // exponential: d / W, the shape point's distance from the right edge
    double peak = 0.25;  // sine: p / W, the peak point's distance from the left edge (above 0)
    double phase = 0.0;  // sine: q / W, the phase point's distance from the left edge
};

// What one piece carries besides its function, step and start time.
struct CurveCoefficients {
    std::int16_t base = 0;    // start value; the centre for the sine
    std::int16_t second = 0;  // 0, e - s for the exponential, the amplitude for the sine
    float first = 0;
    float secondCoefficient = 0;  // the sine's phase
};

// Coefficients for start value s and end value e over a range of `lengthMs` milliseconds.
CurveCoefficients curveCoefficients(CurveFunction function, int start, int end, double lengthMs,
                                    const CurveShape& shape);

// The value of a curve t milliseconds after its start, as the players compute it.
long long curveValue(CurveFunction function, const CurveCoefficients& c, double t);

// Time of every note or rest group of the range [from, to) from its first group, each duration
// taken at the tempo in force (a tempo effect in a group counts from that group on).
struct CurveTiming {
    std::vector<std::size_t> groups;   // the note and rest groups, in order
    std::vector<std::int32_t> starts;  // their times, milliseconds
    std::uint32_t length = 0;          // N: the whole range, milliseconds
};
CurveTiming curveTiming(Records records, std::int16_t tempoAtStart, std::size_t from, std::size_t to);

inline constexpr int kCurveSteps[] = {10, 20, 30, 40, 50};  // "%dms"

struct CurveRequest {
    std::uint8_t effect = effect::kVolume;  // volume, modulation or pitch bend
    CurveFunction function = CurveFunction::Line;
    int start = 0;
    int end = 0;
    std::uint8_t step = 10;  // milliseconds
    CurveShape shape;
};

// One piece per group of the timing, kinds left for the document to fill in.
std::vector<CurveTriple> curvePieces(const CurveRequest& request, const CurveTiming& timing);

// Each note or rest group of the range loses its effect of that number and gets its piece; false
// when the range has no such group or the song has no room (nothing changed then). No snapshot.
bool writeCurve(CPlmDoc& doc, std::size_t from, std::size_t to, const CurveRequest& request);
// "削除": every group of the range loses that effect; returns how many did.
std::size_t deleteCurve(CPlmDoc& doc, std::size_t from, std::size_t to, std::uint8_t number);

// Whether the effect number takes function curves (volume, modulation, pitch bend).
bool takesCurves(std::uint8_t number);
// Kind of the first record of its curve pieces; 0 for the others.
std::uint8_t curveKind(std::uint8_t number);

}  // namespace plume
