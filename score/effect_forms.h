#pragma once
// The rules of effect editing apart from its windows: the Edit menu's effect commands, the effect
// dialog "効果の設定", the function sheet and the song window's effect bar.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "score/canvas.h"
#include "score/effect_curve.h"
#include "score/range_edit.h"
#include "song/record_allocator.h"

namespace plume {

class ScoreView;

inline constexpr const char* kEnterNumberMessage = "数値で入力してください。";
inline constexpr const char* kSheetMemoryMessage = "メモリー不足で起動できません。";
inline constexpr const char* kCurveNeedsRangeMessage = "関数で効果をセットするには、範囲を指定してください。";
inline constexpr const char* kCurveText = "f(t)";

// Bounds of an effect's value and the slider's page step.
struct EffectBounds {
    int minimum = 0;
    int maximum = 127;
    int pageStep = 10;
    int clamp(int v) const { return v < minimum ? minimum : v > maximum ? maximum : v; }
};
// Volume .. tempo (0-7) and the program (10); pitch bend -8192..8191 paged by 1000, tempo 1..250.
EffectBounds effectBounds(std::uint8_t number);

// The Edit menu's effect commands: "ﾎﾞﾘｭｰﾑ" .. "ﾃﾝﾎﾟ" (subtypes 0-7) and "演奏楽器" (10).
struct EffectCommand {
    const char* text;
    std::uint8_t number;
};
inline constexpr std::array<EffectCommand, 9> kEffectCommands = {{
    {"ﾎﾞﾘｭｰﾑ", 0}, {"ﾊﾟﾝﾎﾟｯﾄ", 1}, {"ﾓｼﾞｭﾚｰｼｮﾝ", 2}, {"ﾎｰﾙﾄﾞ", 3}, {"ﾘﾊﾞｰﾌﾞ", 4},
    {"ｺｰﾗｽ", 5}, {"ﾋﾟｯﾁﾍﾞﾝﾄﾞ", 6}, {"ﾃﾝﾎﾟ", 7}, {"演奏楽器", 10},
}};
enum class EffectCommandAction { Nothing, EffectDialog, FunctionSheet, InstrumentDialog };
// Without a range the dialog (or the instrument dialogs) at the cursor group; with one the
// function sheet for the curve effects and nothing for the others.
EffectCommandAction effectCommandAction(std::uint8_t number, bool hasRange);

// Snapshot positions of a view; taking one may be declined (then nothing changes).
bool takeEffectSnapshot(ScoreView& view, const CPlmDoc& doc, UndoKind kind);

// ---- "効果の設定" ---------------------------------------------------------------------------------

class EffectDialogForm {
public:
    // Opens on the value the group carries for `number`, "f(t)" over a curve, empty without one.
    EffectDialogForm(const CPlmDoc& doc, std::size_t group, std::uint8_t number);

    std::uint8_t number() const { return m_number; }
    // "種別": another effect of 0-7; the field shows that effect's value at the group.
    void setNumber(std::uint8_t number);
    EffectBounds bounds() const { return effectBounds(m_number); }
    const std::string& valueText() const { return m_text; }
    void setValueText(std::string text) { m_text = std::move(text); }
    // The spin button and the slider: kept within the bounds.
    void setValue(int value);
    // The slider's position: the field's number, or the minimum when it holds none.
    int sliderValue() const;
    bool deletes() const { return m_delete; }  // "削除する" rather than "設定する"
    void setDeletes(bool d) { m_delete = d; }

    // OK: false after kEnterNumberMessage when setting without a number (the dialog stays open);
    // otherwise a snapshot of kind 8, the value set or the effect removed, the view laid out again.
    bool accept(CPlmDoc& doc, ScoreView& view) const;
    // The same without a view (no snapshot), as the command line applies it.
    bool apply(CPlmDoc& doc) const;

private:
    void readValue();
    std::optional<int> parsed() const;

    const CPlmDoc& m_doc;
    std::size_t m_group;
    std::uint8_t m_number;
    std::string m_text;
    bool m_delete = false;
};

// ---- the function sheet ---------------------------------------------------------------------------

class FunctionSheetForm {
public:
    enum class Choice { Line, Parabola, Exponential, Sine, Delete };  // "直線" "放物線" "exp" "sin" "削除"

    // The sheet over [from, to) for volume, modulation or pitch bend; nullopt after
    // kSheetMemoryMessage when its work buffer cannot be had.
    static std::optional<FunctionSheetForm> open(const CPlmDoc& doc, RecordRange range, std::uint8_t number,
                                                 const RecordAllocator& allocate = defaultRecordAllocator());

    std::uint8_t number() const { return m_request.effect; }
    Choice choice() const { return m_choice; }
    void setChoice(Choice c);
    EffectBounds bounds() const { return effectBounds(m_request.effect); }
    int start() const { return m_request.start; }
    int end() const { return m_request.end; }
    void setStart(int v) { m_request.start = bounds().clamp(v); }
    void setEnd(int v) { m_request.end = bounds().clamp(v); }
    // Index into kCurveSteps.
    int stepIndex() const;
    void setStepIndex(int index);
    // "%dms"
    static std::string stepText(int index);

    // The graph: W pixels wide; the shape points are kept inside it, the peak at least 1 pixel in.
    void setGraphWidth(int width);
    int graphWidth() const { return m_width; }
    int shapePoint() const { return m_shapeX; }  // x of the exponential's shape point
    int peakPoint() const { return m_peakX; }
    int phasePoint() const { return m_phaseX; }
    void dragShapePoint(int x);
    void dragPeakPoint(int x);
    void dragPhasePoint(int x);
    // The points as fractions of W, as the formulas take them.
    CurveShape shape() const;
    const CurveTiming& timing() const { return m_timing; }
    CurveRequest request() const;
    // The curve's value under graph column x (0..W-1), for drawing.
    long long valueAtColumn(int x) const;
    // The curve over a graph of `area`, the value range upwards; the polyline's points.
    std::vector<Point> graphPoints(const Rect& area) const;

    // OK: a snapshot of kind 8, then the pieces written (or removed with "削除"); the view laid out.
    bool accept(CPlmDoc& doc, ScoreView& view) const;
    bool apply(CPlmDoc& doc) const;

private:
    FunctionSheetForm(RecordRange range, CurveTiming timing, std::uint8_t number);

    RecordRange m_range;
    CurveTiming m_timing;
    CurveRequest m_request;
    Choice m_choice = Choice::Line;
    int m_width = 400;
    int m_shapeX = 200;
    int m_peakX = 100;
    int m_phaseX = 0;
};

// ---- the effect bar -------------------------------------------------------------------------------

struct EffectBarEntry {
    const char* name;
    std::uint8_t number;
    int minimum;
    int maximum;
    Rgb colour;
};
// "効果": 18 all effects, 8 gate, 9 velocity and 11 delay of the notes, else effect records.
extern const std::array<EffectBarEntry, 19> kEffectBarEntries;
const EffectBarEntry* effectBarEntry(std::uint8_t number);

// "音": the note records of the group, last record first: "%3d-%s" with the pitch-class name, or
// the drum sound name in a rhythm song. Empty when the group holds no note (the list is disabled).
// `drumSoundName` names a key of a rhythm song (the instrument tables live with the players).
std::vector<std::string> noteListTexts(const CPlmDoc& doc, std::size_t group,
                                       const std::function<std::string(std::uint8_t)>& drumSoundName = {});

// "値" for entry `number`: 8, 9 and 11 set that field of the group's notes (every note, or the
// `note`-th of the "音" list when given), 10 sets nothing, the others the group's effect record.
bool applyBarValue(CPlmDoc& doc, std::size_t group, std::uint8_t number, int value,
                   std::optional<std::size_t> note = std::nullopt);
// "効果削除": the group loses the effect; for the program the program in force is brought up to date.
bool removeBarEffect(CPlmDoc& doc, std::size_t group, std::uint8_t number);

// ---- "演奏楽器" -----------------------------------------------------------------------------------

// The tone sounding at `group`: its own program record, else the last one before it, else the
// song's initial tone.
Tone toneAt(const CPlmDoc& doc, std::size_t group);
// The instrument dialog's OK: snapshot kind 8, then the group's program record set to `tone` (or
// removed without one) and the program in force brought up to date after it.
bool applyInstrumentEffect(CPlmDoc& doc, ScoreView& view, std::size_t group, std::optional<Tone> tone);

}  // namespace plume
