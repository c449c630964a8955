#include "score/score_painter.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/cp932.h"
#include "score/pitch_spelling.h"

namespace plume {

namespace {

// Horizontal offsets within a score position of kColumnWidth, from its left edge x.
constexpr int kStaffLeft = 4;        // staff lines, their join and the clef, from the line's left
constexpr int kTimeSignatureGap = 8; // line 0: from the line's left, after the clef-and-key width
constexpr int kNoteX = 7;            // note glyphs, chord heads and rests, right of the accidental column
constexpr int kDotX = kNoteX + 10;
constexpr int kStemX = kNoteX + glyph::kStemUpColumn;  // a chord's stem, on either side
constexpr int kLedgerFrom = 2;
constexpr int kLedgerTo = 18;
constexpr int kKeyChangeInset = kKeyChangeMargin / 2;
constexpr int kTieX = 10;

// Vertical, from the line's top (before a bass-only line's shift where the names say so).
constexpr int kTrebleTopLine = kTrebleStaffLines.front();
constexpr int kGrandBassTopLine = kGrandBassStaffLines.front();
constexpr int kBassOnlyTopLine = kBassOnlyStaffLines.front();
constexpr int kClusterDistance = 5;     // heads closer than this are a second apart
constexpr int kDotOffLine = 3;
constexpr int kRestDotBelowTop = 8;     // a rest's dots, below the rest's top (the staff's top line)
constexpr int kNumeratorBelowTop = 1;   // time-signature digits, below the staff's top line
constexpr int kDenominatorBelowTop = 13;
constexpr int kLyricAboveBottom = 14;
constexpr int kChordNameBelowTop = 5;

// Ledger lines, unshifted y: above the treble staff, below the bass staff of a grand staff.
constexpr std::array<int, 5> kLedgersAbove = {35, 29, 23, 17, 11};
constexpr std::array<int, 5> kLedgersAboveFrom = {31, 33, 35, 37, 39};  // drawn for steps above these
constexpr std::array<int, 6> kLedgersBelow = {107, 113, 119, 125, 131, 137};
constexpr std::array<int, 6> kLedgersBelowFrom = {10, 8, 6, 4, 2, 0};   // drawn for steps below these
constexpr int kLedgerStep = 6;

// Tuplet brackets and ties.
constexpr int kTupletRise = 2;
constexpr int kTupletFromX = 7;
constexpr int kTupletToX = 14;
constexpr int kTupletTick = 7;
constexpr int kTupletGap = 16;
constexpr int kTupletNumberRise = 14;  // number glyph's top above the ticks' ends
constexpr int kTieSlots = 10;

constexpr Pen kStaffPen{kStaffGray, 1};
constexpr Pen kStemPen{kBlack, 1};
constexpr Pen kTiePen{kBlack, 1};
constexpr Pen kTupletPen{kBlack, 2};

// Unshifted y of every ledger line a step needs on a staff of this kind.
template <class F>
void forEachLedgerLine(int step, StaffKind kind, F&& draw) {
    const int y = stepY(step, StaffKind::Grand);
    if (kind != StaffKind::Bass) {
        for (std::size_t i = 0; i < kLedgersAbove.size(); ++i)
            if (step > kLedgersAboveFrom[i]) draw(kLedgersAbove[i]);
    }
    switch (kind) {
    case StaffKind::Grand:
        if (step == kMiddleCStep) draw(kMiddleCY);
        for (std::size_t i = 0; i < kLedgersBelow.size(); ++i)
            if (step < kLedgersBelowFrom[i]) draw(kLedgersBelow[i]);
        break;
    case StaffKind::Treble:  // below the staff down to the note, where a grand staff has its bass staff
        for (int ly = kMiddleCY; ly <= y; ly += kLedgerStep) draw(ly);
        break;
    case StaffKind::Bass:
        for (std::size_t i = 0; i < kLedgersBelow.size(); ++i)
            if (step < kLedgersBelowFrom[i]) draw(kLedgersBelow[i]);
        for (int ly = kMiddleCY; ly >= y; ly -= kLedgerStep) draw(ly);
        break;
    }
}

// Every odd step lies on a staff line or a ledger line.
bool onLine(int step) { return (step & 1) != 0; }

struct TieNote {
    int key = 0;
    int x = 0;       // the group's x
    int y = 0;       // the step's y
    bool stemDown = false;
    std::uint8_t tie = 0;
};

struct TupletGroup {
    int x = 0;
    int highest = 0;  // top of the group's notes (stem end or head) or of its rest
    std::uint8_t position = 0;
    int number = 0;
};

struct TextGroup {
    std::size_t record = 0;
    int x = 0;
};

// Draws one line; holds what the later passes (tuplets, ties, texts) collect from the groups.
class LinePainter {
public:
    LinePainter(Canvas& canvas, const GlyphSet& glyphs, Surface surface, Records records, const ScoreLine& line,
                const LinePaint& paint)
        : m_canvas(canvas), m_glyphs(glyphs), m_surface(surface), m_records(records), m_line(line),
          m_paint(paint), m_kind(line.staffKind), m_left(paint.rect.left), m_right(paint.rect.right),
          m_top(paint.rect.top), m_scrollX(kColumnWidth * paint.scroll), m_measure(line.key) {}

    void run() {
        measureLine();
        background();
        staff();
        clefAndKey();
        if (m_paint.firstLine) timeSignature(m_left + kTimeSignatureGap + clefKeyWidth(m_line.key) - m_scrollX,
                                             m_line.beats, m_line.beatUnit, false);
        groups();
        tuplets();
        ties();
        textsAndMarkers();
        endOfSong();
    }

private:
    bool hasTreble() const { return m_kind != StaffKind::Bass; }
    bool hasBass() const { return m_kind != StaffKind::Treble; }
    int yOf(int step) const { return m_top + stepY(step, m_kind); }
    // y of the top line of the line's first staff, and of a grand staff's bass staff.
    int firstStaffTop() const { return m_top + (m_kind == StaffKind::Bass ? kBassOnlyTopLine : kTrebleTopLine); }
    int bassStaffTop() const { return m_top + (m_kind == StaffKind::Bass ? kBassOnlyTopLine : kGrandBassTopLine); }
    int bassClefTop() const { return m_top + glyph::kGrandBassClefY + staffShift(m_kind); }

    void blit(const Glyph& g, int x, int y) { m_canvas.blit(g, {x, y}, g.bounds()); }

    void measureLine() {
        m_endX = columnZeroX(m_line, m_paint.scroll);
        for (const PlacedGroup& g : LineGroups(m_records, m_line, m_paint.scroll)) {
            m_endX = g.x + g.width;
            m_endedWithBreak = m_records[g.record].type() == type::kLineBreak;
        }
    }

    void background() { m_canvas.fillRect(m_paint.rect, m_line.marked ? kMarkYellow : kWhite); }

    void staff() {
        if (m_endX <= 0) return;
        const int from = m_left + kStaffLeft - m_scrollX;
        const int to = std::min(m_left + m_endX, m_right);
        auto lines = [&](const std::array<int, 5>& ys) {
            for (int y : ys) m_canvas.line({from, m_top + y}, {to, m_top + y}, kStaffPen);
        };
        if (m_kind == StaffKind::Bass) {
            lines(kBassOnlyStaffLines);
        } else {
            lines(kTrebleStaffLines);
            if (m_kind == StaffKind::Grand) lines(kGrandBassStaffLines);
        }
        if (m_paint.scroll != 0) return;
        const int first = m_kind == StaffKind::Bass ? kBassOnlyStaffLines.front() : kTrebleStaffLines.front();
        const int last = m_kind == StaffKind::Treble ? kTrebleStaffLines.back()
                         : m_kind == StaffKind::Bass ? kBassOnlyStaffLines.back()
                                                     : kGrandBassStaffLines.back();
        m_canvas.line({from, m_top + first}, {from, m_top + last + 1}, kStaffPen);
    }

    void clefAndKey() {
        const int x = m_left + kStaffLeft - m_scrollX;
        if (hasTreble()) blit(m_glyphs.clefKey(Clef::Treble, m_line.key), x, m_top + glyph::kTrebleClefY);
        if (hasBass()) blit(m_glyphs.clefKey(Clef::Bass, m_line.key), x, bassClefTop());
    }

    // Numerator over denominator, the narrower centred over the wider, from x (or centred in a
    // time-signature meta record's width); in both staves of a grand staff.
    void timeSignature(int x, int beats, int unitPower, bool centred) {
        const std::array<std::string, 2> numbers = {std::to_string(std::clamp(beats, 0, 999)),
                                                    std::to_string(1 << std::clamp(unitPower, 0, 6))};
        constexpr int pitch = glyph::kTimeDigitWidth + 1;
        auto widthOf = [](const std::string& n) { return int(n.size()) * pitch - 1; };
        const int widest = std::max(widthOf(numbers[0]), widthOf(numbers[1]));
        const int left = centred ? x + (kTimeSignatureWidth - widest) / 2 : x;
        auto draw = [&](int staffTop) {
            for (std::size_t i = 0; i < numbers.size(); ++i) {
                int digitX = left + (widest - widthOf(numbers[i])) / 2;
                const int y = staffTop + (i == 0 ? kNumeratorBelowTop : kDenominatorBelowTop);
                for (char digit : numbers[i]) {
                    blit(m_glyphs.timeDigit(digit - '0'), digitX, y);
                    digitX += pitch;
                }
            }
        };
        draw(firstStaffTop());
        if (m_kind == StaffKind::Grand) draw(bassStaffTop());
    }

    void groups() {
        for (const PlacedGroup& g : LineGroups(m_records, m_line, m_paint.scroll)) {
            const int x = m_left + g.x;
            if (x >= m_right) break;
            const bool visible = x + g.width > m_left;
            const SongRecord& first = m_records[g.record];
            const std::uint8_t t = first.type();
            if (first.isNote()) {
                if (noteCount(m_records, g.record) >= 2) chord(g.record, x, visible);
                else singleNote(first, x, visible);
            } else if (first.isRest()) {
                rest(first, x, visible);
            } else if (visible && (t == type::kBarLine || t == type::kLineBreak)) {
                barLike(t == type::kBarLine ? m_glyphs.barLine() : m_glyphs.lineBreak(), x);
            } else if (visible && first.isMeta() && first.metaType() == meta::kKeySignature) {
                keyChange(g, x);
            } else if (visible && first.isMeta() && first.metaType() == meta::kTimeSignature) {
                timeSignature(x, first.metaNumerator(), first.metaDenominatorPower(), true);
            }
            if (visible) m_textGroups.push_back({g.record, x});
            m_measure.passGroup(first);
        }
    }

    // `y` unshifted, as forEachLedgerLine gives it.
    void ledgerLine(int y, int x) {
        const int ly = m_top + y + staffShift(m_kind);
        m_canvas.line({x + kLedgerFrom, ly}, {x + kLedgerTo, ly}, kStaffPen);
    }

    void accidentalAt(int code, int x, int y) {
        if (code != accidental::kNone) blit(m_glyphs.accidental(code), x, y - glyph::kAccidentalCentre);
    }

    void dotsAt(const SongRecord& r, int x, int step) {
        if (r.dots() == 0) return;
        const int y = yOf(step) - (onLine(step) ? kDotOffLine : 0);
        blit(m_glyphs.dots(r.dots()), x + kDotX, y - glyph::kDotHeight / 2);
    }

    void tupletMark(const SongRecord& r, int x, int highest) {
        if (r.tupletNumber() != 0)
            m_tuplets.push_back({x, highest, r.tupletPosition(), r.tupletNumber()});
    }

    void singleNote(const SongRecord& r, int x, bool visible) {
        const PlacedPitch pitch = m_measure.place(r);
        const int y = yOf(pitch.step);
        const bool down = stemDown(pitch.step, m_kind);
        const int glyphTop = y - (down ? glyph::kStemDownHeadCentre : glyph::kStemUpHeadCentre);
        const int highest = r.type() == type::kWhole ? y - glyph::kHeadHeight / 2 : glyphTop;
        if (visible) {
            forEachLedgerLine(pitch.step, m_kind, [&](int ly) { ledgerLine(ly, x); });
            accidentalAt(pitch.accidental, x, y);
            blit(m_glyphs.note(r.type(), down), x + kNoteX, glyphTop);
            dotsAt(r, x, pitch.step);
        }
        m_ties.push_back({r.key(), x, y, down, r.tie()});
        tupletMark(r, x, highest);
    }

    void chord(std::size_t group, int x, bool visible) {
        const std::size_t end = groupEnd(m_records, group);
        std::size_t last = group;
        const SongRecord* lowest = &m_records[group];
        std::vector<int> ledgers;  // each line once, however many notes need it
        for (std::size_t i = group; i < end && m_records[i].isNote(); ++i) {
            const SongRecord& r = m_records[i];
            last = i + 1;
            if (r.key() < lowest->key()) lowest = &r;
            const int step = spellPitch(r.key(), r.accidental(), m_measure.keySignature()).step;
            forEachLedgerLine(step, m_kind, [&](int y) {
                if (std::find(ledgers.begin(), ledgers.end(), y) == ledgers.end()) ledgers.push_back(y);
            });
        }
        const int lowestStep = spellPitch(lowest->key(), lowest->accidental(), m_measure.keySignature()).step;
        const bool down = stemDown(lowestStep, m_kind);
        if (visible) {
            for (int y : ledgers) ledgerLine(y, x);
        }

        const int type = m_records[group].type();
        int highestY = 0;
        int lowestY = 0;
        int previousY = 0;
        bool previousShifted = false;
        for (std::size_t i = group; i < last; ++i) {
            const SongRecord& r = m_records[i];
            const PlacedPitch pitch = m_measure.place(r);
            const int y = yOf(pitch.step);
            const bool shifted = i != group && std::abs(y - previousY) < kClusterDistance && !previousShifted;
            if (visible) {
                accidentalAt(pitch.accidental, x, y);
                blit(m_glyphs.chordHead(type, shifted), x + kNoteX, y - glyph::kHeadHeight / 2);
                dotsAt(r, x, pitch.step);
            }
            highestY = i == group ? y : std::min(highestY, y);
            lowestY = i == group ? y : std::max(lowestY, y);
            previousY = y;
            previousShifted = shifted;
            m_ties.push_back({r.key(), x, y, down, r.tie()});
        }

        const int highestPoint = down || type == type::kWhole ? highestY - glyph::kStemDownHeadCentre
                                                              : highestY - glyph::kStemUpHeadCentre;
        tupletMark(m_records[group], x, highestPoint);
        if (!visible || type == type::kWhole) return;
        // The stem joins the outer heads; the note glyph's stem and flags, without its head, go on
        // at the far end.
        const Glyph& note = m_glyphs.note(type, down);
        const int stemX = x + kStemX;
        const int headRows = glyph::kHeadHeight;
        if (down) {
            m_canvas.line({stemX, highestY}, {stemX, lowestY + glyph::kHeadHeight / 2 + 1}, kStemPen);
            m_canvas.blit(note, {stemX - glyph::kStemDownColumn, lowestY - glyph::kStemDownHeadCentre + headRows},
                          {0, headRows, note.width, note.height});
        } else {
            const int partRows = glyph::kNoteHeight - headRows;
            m_canvas.line({stemX, lowestY}, {stemX, highestY - glyph::kHeadHeight / 2 - 1}, kStemPen);
            m_canvas.blit(note, {stemX - glyph::kStemUpColumn, highestY - glyph::kStemUpHeadCentre},
                          {0, 0, note.width, partRows});
        }
    }

    void rest(const SongRecord& r, int x, bool visible) {
        const int top = firstStaffTop();
        if (visible) {
            const Glyph& g = m_glyphs.rest(r.type());
            blit(g, x + kNoteX, top);
            if (r.dots() != 0) blit(m_glyphs.dots(r.dots()), x + kDotX, top + kRestDotBelowTop);
            if (m_kind == StaffKind::Grand) {
                blit(g, x + kNoteX, bassStaffTop());
                if (r.dots() != 0) blit(m_glyphs.dots(r.dots()), x + kDotX, bassStaffTop() + kRestDotBelowTop);
            }
        }
        tupletMark(r, x, top);
    }

    // Bar lines, line breaks and the end-of-song mark: one staff high, or both staves of a grand staff.
    void barLike(const Glyph& g, int x) {
        const int rows = m_kind == StaffKind::Grand ? glyph::kBarHeight : glyph::kBarSingleHeight;
        m_canvas.blit(g, {x, firstStaffTop()}, {0, 0, g.width, rows});
    }

    // A change to key 0 shows naturals where the old key's accidentals stood.
    void keyChange(const PlacedGroup& g, int x) {
        auto glyphFor = [&](Clef clef) -> const Glyph& {
            return g.key == 0 ? m_glyphs.keyCancel(clef, g.keyBefore) : m_glyphs.keyChange(clef, g.key);
        };
        if (hasTreble()) blit(glyphFor(Clef::Treble), x + kKeyChangeInset, m_top + glyph::kTrebleClefY);
        if (hasBass()) blit(glyphFor(Clef::Bass), x + kKeyChangeInset, bassClefTop());
    }

    void tuplets() {
        bool open = false;
        TupletGroup start;
        int highest = 0;
        for (const TupletGroup& t : m_tuplets) {
            if (t.position == mark::kTupletFirst) {
                open = true;
                start = t;
                highest = t.highest;
            } else if (open) {
                highest = std::min(highest, t.highest);
            }
            if (open && t.position == mark::kTupletLast) {
                bracket(start.x + kTupletFromX, t.x + kTupletToX, highest - kTupletRise, start.number);
                open = false;
            }
        }
    }

    void bracket(int from, int to, int y, int number) {
        const int middle = (from + to) / 2;
        m_canvas.line({from, y}, {middle - kTupletGap / 2, y}, kTupletPen);
        m_canvas.line({middle + kTupletGap / 2, y}, {to, y}, kTupletPen);
        m_canvas.line({from, y}, {from, y + kTupletTick}, kTupletPen);
        m_canvas.line({to, y}, {to, y + kTupletTick}, kTupletPen);
        if (const Glyph* digit = m_glyphs.tupletDigit(number))
            blit(*digit, middle - digit->width / 2, y + kTupletTick - kTupletNumberRise);
    }

    // A tie start waits in one of kTieSlots slots for the next note of its key; ties whose start
    // lies on an earlier line are not drawn, and an eleventh open tie is dropped.
    void ties() {
        struct Slot {
            bool used = false;
            int key = 0;
            int x = 0;
        };
        std::array<Slot, kTieSlots> slots{};
        auto find = [&](int key) -> Slot* {
            for (Slot& s : slots)
                if (s.used && s.key == key) return &s;
            return nullptr;
        };
        auto take = [&](int key, int x) {
            Slot* s = find(key);
            if (!s) {
                const auto free = std::find_if(slots.begin(), slots.end(), [](const Slot& f) { return !f.used; });
                if (free == slots.end()) return;
                s = &*free;
            }
            *s = {true, key, x};
        };
        for (const TieNote& n : m_ties) {
            if (n.tie == mark::kTieBegin) {
                take(n.key, n.x);
            } else if (n.tie == mark::kTieMiddle || n.tie == mark::kTieEnd) {
                if (Slot* s = find(n.key)) {
                    arc(s->x, n);
                    s->used = false;
                }
                if (n.tie == mark::kTieMiddle) take(n.key, n.x);
            }
        }
    }

    void arc(int fromX, const TieNote& to) {
        const int y = to.y - glyph::kHeadHeight / 2;
        const int left = fromX + kTieX;
        const int right = to.x + kTieX;
        if (to.stemDown) m_canvas.arc({left, y - 5, right, y + 7}, kArcUpperHalfStart, kArcHalfSpan, kTiePen);
        else m_canvas.arc({left, y - 1, right, y + 11}, kArcLowerHalfStart, kArcHalfSpan, kTiePen);
    }

    void textsAndMarkers() {
        const Glyph& marker = m_glyphs.effectMarker();
        const int half = marker.width / 2;
        for (const TextGroup& g : m_textGroups) {
            bool value = false;
            bool curve = false;
            const std::size_t end = groupEnd(m_records, g.record);
            for (std::size_t i = g.record; i < end; ++i) {
                const SongRecord& r = m_records[i];
                const std::uint8_t k = r.kind();
                if (k == kind::kLyric) text(r, {g.x, m_paint.rect.bottom - kLyricAboveBottom});
                else if (k == kind::kChordName) text(r, {g.x, m_top + kChordNameBelowTop});
                else if (k == kind::kEffect) value = true;
                else if (k == kind::kVolumeCurve || k == kind::kModulationCurve || k == kind::kPitchBendCurve) curve = true;
            }
            if (m_surface != Surface::Screen) continue;
            if (value) m_canvas.blit(marker, {g.x, m_top}, {0, 0, half, marker.height});
            if (curve) m_canvas.blit(marker, {g.x + half, m_top}, {half, 0, marker.width, marker.height});
        }
    }

    void text(const SongRecord& r, Point at) {
        const std::size_t length = std::min<std::size_t>(r.textLength(), r.bytes.size() - 3);
        std::string_view bytes(reinterpret_cast<const char*>(r.bytes.data()) + 3, length);
        bytes = bytes.substr(0, bytes.find('\0'));
        if (!bytes.empty()) m_canvas.text(at, platform::cp932ToUtf8Lossy(bytes));
    }

    void endOfSong() {
        const int x = m_left + m_endX;
        if (!m_endedWithBreak && x < m_right) barLike(m_glyphs.endOfSong(), x);
    }

    Canvas& m_canvas;
    const GlyphSet& m_glyphs;
    Surface m_surface;
    Records m_records;
    const ScoreLine& m_line;
    const LinePaint& m_paint;
    StaffKind m_kind;
    int m_left;
    int m_right;
    int m_top;
    int m_scrollX;
    MeasureAccidentals m_measure;
    int m_endX = 0;  // after the last group, relative to the line's left
    bool m_endedWithBreak = false;
    std::vector<TieNote> m_ties;
    std::vector<TupletGroup> m_tuplets;
    std::vector<TextGroup> m_textGroups;
};

}  // namespace

std::optional<ColumnSpan> selectedColumns(const LineTable& table, int line, ScorePosition anchor,
                                          ScorePosition cursor) {
    if (anchor == cursor) return std::nullopt;
    auto before = [](ScorePosition a, ScorePosition b) { return a.line < b.line || (a.line == b.line && a.column < b.column); };
    const ScorePosition start = before(anchor, cursor) ? anchor : cursor;
    const ScorePosition end = before(anchor, cursor) ? cursor : anchor;
    if (line < start.line || line > end.line) return std::nullopt;
    const ColumnSpan span{line == start.line ? start.column : 0,
                          line == end.line ? end.column : table.line(line).groupCount};
    if (span.first >= span.last) return std::nullopt;
    return span;
}

ScorePainter::ScorePainter(const GlyphSet& glyphs, Surface surface) : m_glyphs(glyphs), m_surface(surface) {}

void ScorePainter::paint(Canvas& canvas, Records records, const LineTable& table, const ScoreViewState& view) const {
    const int count = visibleLineCount(table, view.topLine, view.height);
    for (int i = view.topLine; i < view.topLine + count; ++i) {
        const ScoreLine& line = table.line(i);
        const int top = lineY(table, view.topLine, i);
        const LinePaint paint{{0, top, view.width, top + line.height}, view.scroll, i == 0};
        paintLine(canvas, records, line, paint);
        paintSelection(canvas, records, table, i, paint, view.anchor, view.cursor);
    }
}

void ScorePainter::paintLine(Canvas& canvas, Records records, const ScoreLine& line, const LinePaint& paint) const {
    if (!line.isUsed()) return;
    LinePainter(canvas, m_glyphs, m_surface, records, line, paint).run();
}

void ScorePainter::paintSelection(Canvas& canvas, Records records, const LineTable& table, int line,
                                  const LinePaint& paint, ScorePosition anchor, ScorePosition cursor) const {
    const std::optional<ColumnSpan> span = selectedColumns(table, line, anchor, cursor);
    if (!span) return;
    const ScoreLine& entry = table.line(line);
    const int left = paint.rect.left + columnX(records, entry, span->first, paint.scroll);
    const int right = paint.rect.left + columnX(records, entry, span->last, paint.scroll);
    canvas.invertRect({left, paint.rect.top, right, paint.rect.top + hitBandHeight(entry)});
}

Rect ScorePainter::caretRect(CaretPosition position, bool insert) {
    const int width = insert ? glyph::kInsertCaretWidth : glyph::kOverwriteCaretWidth;
    return {position.x, position.y, position.x + width, position.y + glyph::kCaretHeight};
}

void ScorePainter::paintCaret(Canvas& canvas, CaretPosition position, bool insert) const {
    canvas.invertRect(caretRect(position, insert));
}

}  // namespace plume
