#include "score/effect_forms.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "platform/message_box.h"
#include "score/score_view.h"
#include "song/plm_doc.h"

namespace plume {

EffectBounds effectBounds(std::uint8_t number) {
    switch (number) {
    case effect::kPitchBend: return {-8192, 8191, 1000};
    case effect::kTempo: return {1, 250, 10};
    default: return {0, 127, 10};
    }
}

EffectCommandAction effectCommandAction(std::uint8_t number, bool hasRange) {
    if (hasRange) return takesCurves(number) ? EffectCommandAction::FunctionSheet : EffectCommandAction::Nothing;
    return number == effect::kProgram ? EffectCommandAction::InstrumentDialog : EffectCommandAction::EffectDialog;
}

bool takeEffectSnapshot(ScoreView& view, const CPlmDoc& doc, UndoKind kind) {
    return view.undoRing().take(kind, doc, view.undoPositions());
}

// ---- "効果の設定" ---------------------------------------------------------------------------------

EffectDialogForm::EffectDialogForm(const CPlmDoc& doc, std::size_t group, std::uint8_t number)
    : m_doc(doc), m_group(group), m_number(number) {
    readValue();
}

void EffectDialogForm::readValue() {
    m_text.clear();
    const std::size_t found = m_doc.findEffect(m_group, m_number);
    if (found == kNoRecord) return;
    const SongRecord r = m_doc.record(found);
    if (!r.isEffect()) m_text = kCurveText;
    else m_text = std::to_string(m_number == effect::kPitchBend ? int(r.value16()) : int(r.value()));
}

void EffectDialogForm::setNumber(std::uint8_t number) {
    m_number = number;
    readValue();
}

void EffectDialogForm::setValue(int value) { m_text = std::to_string(bounds().clamp(value)); }

std::optional<int> EffectDialogForm::parsed() const {
    std::string_view t = m_text;
    while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
    while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
    int v = 0;
    const auto [end, error] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (t.empty() || error != std::errc() || end != t.data() + t.size()) return std::nullopt;
    return bounds().clamp(v);
}

int EffectDialogForm::sliderValue() const { return parsed().value_or(bounds().minimum); }

bool EffectDialogForm::apply(CPlmDoc& doc) const {
    if (m_delete) return doc.removeEffect(m_group, m_number);
    const auto v = parsed();
    return v && doc.setEffect(m_group, m_number, *v);
}

bool EffectDialogForm::accept(CPlmDoc& doc, ScoreView& view) const {
    if (!m_delete && !parsed()) {
        platform::messageBox().show(kEnterNumberMessage, platform::Buttons::Ok);
        return false;
    }
    if (!takeEffectSnapshot(view, doc, UndoKind::Effect)) return true;
    apply(doc);
    view.rebuild();
    return true;
}

// ---- the function sheet ---------------------------------------------------------------------------

FunctionSheetForm::FunctionSheetForm(RecordRange range, CurveTiming timing, std::uint8_t number)
    : m_range(range), m_timing(std::move(timing)) {
    m_request.effect = number;
    const EffectBounds b = effectBounds(number);
    m_request.start = number == effect::kPitchBend ? 0 : b.minimum;
    m_request.end = b.maximum;
}

std::optional<FunctionSheetForm> FunctionSheetForm::open(const CPlmDoc& doc, RecordRange range,
                                                         std::uint8_t number, const RecordAllocator& allocate) {
    const std::size_t to = std::min(range.to, doc.recordCount());
    const std::size_t count = to > range.from ? to - range.from : 0;
    // The work copy the graph and the timing are taken from.
    auto work = allocate(count);
    if (!work) {
        platform::messageBox().show(kSheetMemoryMessage, platform::Buttons::Ok);
        return std::nullopt;
    }
    work->assign(doc.records().begin() + std::ptrdiff_t(range.from), doc.records().begin() + std::ptrdiff_t(to));
    CurveTiming timing = curveTiming(doc.records(), doc.tempoAt(range.from), range.from, to);
    return FunctionSheetForm(range, std::move(timing), number);
}

void FunctionSheetForm::setChoice(Choice c) {
    m_choice = c;
    if (c != Choice::Delete) m_request.function = CurveFunction(int(c) + 1);
}

int FunctionSheetForm::stepIndex() const {
    for (int i = 0; i < int(std::size(kCurveSteps)); ++i)
        if (kCurveSteps[i] == m_request.step) return i;
    return 0;
}

void FunctionSheetForm::setStepIndex(int index) {
    m_request.step = std::uint8_t(kCurveSteps[std::clamp(index, 0, int(std::size(kCurveSteps)) - 1)]);
}

std::string FunctionSheetForm::stepText(int index) {
    char text[16];
    std::snprintf(text, sizeof text, "%dms", kCurveSteps[std::clamp(index, 0, int(std::size(kCurveSteps)) - 1)]);
    return text;
}

void FunctionSheetForm::setGraphWidth(int width) {
    const int old = m_width;
    m_width = std::max(width, 2);
    m_shapeX = m_shapeX * m_width / old;
    m_peakX = std::clamp(m_peakX * m_width / old, 1, m_width);
    m_phaseX = m_phaseX * m_width / old;
}

void FunctionSheetForm::dragShapePoint(int x) { m_shapeX = std::clamp(x, 0, m_width); }
void FunctionSheetForm::dragPeakPoint(int x) { m_peakX = std::clamp(x, 1, m_width); }
void FunctionSheetForm::dragPhasePoint(int x) { m_phaseX = std::clamp(x, 0, m_width); }

CurveShape FunctionSheetForm::shape() const {
    const double w = m_width;
    return {(w - m_shapeX) / w, m_peakX / w, m_phaseX / w};
}

CurveRequest FunctionSheetForm::request() const {
    CurveRequest r = m_request;
    r.shape = shape();
    return r;
}

long long FunctionSheetForm::valueAtColumn(int x) const {
    const CurveRequest r = request();
    const CurveCoefficients c = curveCoefficients(r.function, r.start, r.end, m_timing.length, r.shape);
    return curveValue(r.function, c, double(x) * m_timing.length / m_width);
}

std::vector<Point> FunctionSheetForm::graphPoints(const Rect& area) const {
    std::vector<Point> points;
    if (m_choice == Choice::Delete || area.width() <= 0 || area.height() <= 1) return points;
    const EffectBounds b = bounds();
    const double span = b.maximum - b.minimum;
    for (int x = 0; x < area.width(); ++x) {
        const long long column = (long long)x * m_width / area.width();
        const double v = std::clamp(double(valueAtColumn(int(column))), double(b.minimum), double(b.maximum));
        const int y = area.bottom - 1 - int(std::lround((v - b.minimum) / span * (area.height() - 1)));
        points.push_back({area.left + x, y});
    }
    return points;
}

bool FunctionSheetForm::apply(CPlmDoc& doc) const {
    if (m_choice == Choice::Delete) return deleteCurve(doc, m_range.from, m_range.to, m_request.effect) > 0;
    return writeCurve(doc, m_range.from, m_range.to, request());
}

bool FunctionSheetForm::accept(CPlmDoc& doc, ScoreView& view) const {
    if (!takeEffectSnapshot(view, doc, UndoKind::Effect)) return false;
    const bool changed = apply(doc);
    view.rebuild();
    return changed;
}

// ---- the effect bar -------------------------------------------------------------------------------

const std::array<EffectBarEntry, 19> kEffectBarEntries = {{
    {"全効果", 18, 0, 127, {255, 255, 255}},
    {"ﾍﾞﾛｼﾃｨｰ", 9, 0, 127, {255, 255, 255}},
    {"ｹﾞｰﾄｵﾝ", 8, 0, 100, {255, 255, 255}},
    {"ﾃﾞｨﾚｰ", 11, 0, 100, {255, 255, 255}},
    {"ﾎﾞﾘｭｰﾑ", 0, 0, 127, {53, 255, 255}},
    {"ﾘﾊﾞｰﾌﾞ", 4, 0, 127, {47, 205, 238}},
    {"ｺｰﾗｽ", 5, 0, 127, {87, 191, 247}},
    {"ﾓｼﾞｭﾚｰｼｮﾝ", 2, 0, 127, {249, 85, 138}},
    {"ﾊﾟﾝﾎﾟｯﾄ", 1, 0, 127, {192, 192, 192}},
    {"ﾎｰﾙﾄﾞ", 3, 0, 127, {255, 0, 0}},
    {"ｴｸｽﾌﾟﾚｯｼｮﾝ", 12, 0, 127, {255, 128, 64}},
    {"ﾊｰﾓﾆｯｸ ｺﾝﾃﾝﾄ", 13, 0, 127, {255, 211, 168}},
    {"ﾘﾘｰｽ ﾀｲﾑ", 14, 0, 127, {243, 241, 139}},
    {"ｱﾀｯｸ ﾀｲﾑ", 15, 0, 127, {255, 255, 0}},
    {"ﾌﾞﾗｲﾄﾈｽ", 16, 0, 127, {64, 255, 80}},
    {"ﾊﾞﾘｴｰｼｮﾝ ｴﾌｪｸﾄ", 17, 0, 127, {128, 255, 128}},
    {"ﾋﾟｯﾁﾍﾞﾝﾄﾞ", 6, -8192, 8191, {255, 0, 128}},
    {"ﾃﾝﾎﾟ", 7, 1, 250, {128, 128, 255}},
    {"演奏楽器", 10, 0, 127, {255, 255, 255}},
}};

const EffectBarEntry* effectBarEntry(std::uint8_t number) {
    for (const EffectBarEntry& e : kEffectBarEntries)
        if (e.number == number) return &e;
    return nullptr;
}

namespace {
constexpr const char* kPitchClassNames[12] = {"C", "C# Db", "D", "D# Eb", "E", "F",
                                              "F# Gb", "G", "G# Ab", "A", "A# Bb", "B"};

// Note record indices of the group, last record first.
std::vector<std::size_t> notesLastFirst(const CPlmDoc& doc, std::size_t group) {
    std::vector<std::size_t> notes;
    for (std::size_t i = doc.groupEnd(group); i-- > group;)
        if (doc.record(i).isNote()) notes.push_back(i);
    return notes;
}
}  // namespace

std::vector<std::string> noteListTexts(const CPlmDoc& doc, std::size_t group,
                                       const std::function<std::string(std::uint8_t)>& drumSoundName) {
    std::vector<std::string> texts;
    if (group >= doc.recordCount()) return texts;
    const bool rhythm = doc.songInfo().isRhythm();
    for (const std::size_t i : notesLastFirst(doc, group)) {
        const std::uint8_t key = doc.record(i).key();
        if (rhythm && drumSoundName) {
            texts.push_back(drumSoundName(key));
        } else {
            char text[32];
            std::snprintf(text, sizeof text, "%3d-%s", int(key), kPitchClassNames[key % 12]);
            texts.push_back(text);
        }
    }
    return texts;
}

bool applyBarValue(CPlmDoc& doc, std::size_t group, std::uint8_t number, int value, std::optional<std::size_t> note) {
    const EffectBarEntry* entry = effectBarEntry(number);
    if (!entry || group >= doc.recordCount()) return false;
    const int v = std::clamp(value, entry->minimum, entry->maximum);
    if (number == 8 || number == 9 || number == 11) {
        std::vector<std::size_t> notes = notesLastFirst(doc, group);
        if (note) {
            if (*note >= notes.size()) return false;
            notes = {notes[*note]};
        }
        bool any = false;
        for (const std::size_t i : notes) {
            const auto b = std::uint8_t(v);
            if (number == 9) any = doc.setVelocity(i, std::max<std::uint8_t>(b, 1)) || any;
            else if (number == 8) any = doc.setDelayGate(i, {kKeep, std::max<std::uint8_t>(b, 1)}) || any;
            else any = doc.setDelayGate(i, {std::min<std::uint8_t>(b, 99), kKeep}) || any;
        }
        return any;
    }
    if (number == effect::kProgram || number == 18) return false;
    return doc.setEffect(group, number, v);
}

bool removeBarEffect(CPlmDoc& doc, std::size_t group, std::uint8_t number) {
    if (number == 18) {
        bool any = false;
        for (std::uint8_t n = 0; n < 18; ++n) {
            if (n == 8 || n == 9 || n == 11) continue;
            while (doc.removeEffect(group, n)) any = true;
        }
        if (any) doc.propagateProgram(group);
        return any;
    }
    if (!doc.removeEffect(group, number)) return false;
    if (number == effect::kProgram) doc.propagateProgram(group);
    return true;
}

Tone toneAt(const CPlmDoc& doc, std::size_t group) {
    const Records records = doc.records();
    for (std::size_t i = group < records.size() ? doc.groupEnd(group) : records.size(); i-- > 0;) {
        const SongRecord& r = records[i];
        if (r.isEffect() && r.effectNumber() == effect::kProgram)
            return {r.programModule(), r.programBank(), r.programNumber()};
    }
    const SongInfo& info = doc.songInfo();
    return {info.initialModule(), info.initialBank(), info.initialProgram()};
}

bool applyInstrumentEffect(CPlmDoc& doc, ScoreView& view, std::size_t group, std::optional<Tone> tone) {
    if (group >= doc.recordCount() || doc.record(group).groupSize() == 0) return false;
    if (!tone && doc.findEffect(group, effect::kProgram) == kNoRecord) return false;
    if (!takeEffectSnapshot(view, doc, UndoKind::Effect)) return false;
    const bool changed = tone ? doc.setProgram(group, tone->module, tone->bank, tone->program)
                              : doc.removeEffect(group, effect::kProgram);
    if (!changed) return false;
    doc.propagateProgram(group);
    view.rebuild();
    return true;
}

}  // namespace plume
