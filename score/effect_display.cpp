#include "score/effect_display.h"

#include <algorithm>
#include <bit>

#include "score/effect_curve.h"
#include "score/effect_forms.h"
#include "score/score_view.h"
#include "song/plm_doc.h"
#include "song/song_timing.h"

namespace plume {

namespace {

constexpr Rgb kRowBackground{0, 0, 0};
constexpr Rgb kRowRule{64, 64, 64};
constexpr Rgb kHeaderRule{192, 192, 192};

std::int32_t int32At(const SongRecord& r, std::size_t at) {
    std::uint32_t v = 0;
    for (std::size_t k = 0; k < 4; ++k) v |= std::uint32_t(r.bytes[at + k]) << (8 * k);
    return std::int32_t(v);
}

std::int16_t int16At(const SongRecord& r, std::size_t at) { return std::int16_t(r.bytes[at] | (r.bytes[at + 1] << 8)); }

int rowTop(std::size_t row) { return kEffectHeaderHeight + int(row) * kEffectRowHeight; }

Rgb rowColour(std::uint8_t number) {
    const EffectBarEntry* e = effectBarEntry(number);
    return e ? e->colour : kWhite;
}

}  // namespace

int effectUnitPixels(int zoom) {
    static constexpr int kPixels[kEffectZoomCount] = {28, 14, 7, 4};
    return kPixels[std::clamp(zoom, 0, kEffectZoomCount - 1)];
}

std::vector<EffectItem> effectLayout(Records records, int zoom) {
    std::vector<EffectItem> items;
    // A 32nd note is one unit, a whole note 32.
    DurationRule rule(std::uint32_t(32 * effectUnitPixels(zoom)));
    int x = kEffectAreaLeft;
    for (std::size_t g = 0; g < records.size(); g = nextGroup(records, g)) {
        const SongRecord& first = records[g];
        if (first.type() == type::kSpacer) continue;
        const int width = first.takesTime() ? int(rule.groupLength(records, g)) : kEffectMarkWidth;
        items.push_back({g, x, width});
        x += width;
    }
    return items;
}

int effectLayoutEnd(const std::vector<EffectItem>& items) {
    return items.empty() ? kEffectAreaLeft : items.back().x + items.back().width;
}

EffectHit effectHit(const std::vector<EffectItem>& items, int scroll, int x, int y) {
    EffectHit hit;
    if (x < kEffectAreaLeft || y < 0 || y >= kEffectDisplayHeight) return hit;
    const int rowX = x + scroll;
    const auto under = std::find_if(items.begin(), items.end(),
                                    [rowX](const EffectItem& i) { return rowX >= i.x && rowX < i.x + i.width; });
    if (y < kEffectHeaderHeight) {
        hit.kind = EffectHit::Kind::Cursor;
        if (under == items.end()) {
            hit.cursor = rowX < kEffectAreaLeft ? 0 : int(items.size());
        } else {
            hit.cursor = int(under - items.begin());
            if (rowX - under->x >= under->width / 2) ++hit.cursor;
        }
        return hit;
    }
    if (under == items.end()) return hit;
    const std::size_t row = std::size_t((y - kEffectHeaderHeight) / kEffectRowHeight);
    const std::uint8_t number = kEffectRows[row].number;
    const EffectBarEntry* entry = effectBarEntry(number);
    const int minimum = entry->minimum;
    const int maximum = entry->maximum;
    const int fromTop = y - rowTop(row);
    hit.kind = EffectHit::Kind::Value;
    hit.group = under->group;
    hit.number = number;
    hit.value = maximum - int((long long)fromTop * (maximum - minimum) / (kEffectRowHeight - 1));
    return hit;
}

bool effectRowValue(Records records, std::size_t group, std::uint8_t number, int& value) {
    const std::size_t end = groupEnd(records, group);
    for (std::size_t i = group; i < end; ++i) {
        const SongRecord& r = records[i];
        if (number == effect::kGateTime || number == effect::kVelocity) {
            if (!r.isNote()) continue;
            value = number == effect::kGateTime ? r.gate() : r.velocity();
            return true;
        }
        if (r.isEffect() && r.effectNumber() == number) {
            value = number == effect::kPitchBend ? r.value16() : number == effect::kProgram ? r.key() : r.value();
            return true;
        }
        const bool curve = takesCurves(number) && r.kind() == curveKind(number);
        if (curve && i + 2 < end) {
            const SongRecord& values = records[i + 1];
            const SongRecord& floats = records[i + 2];
            const CurveCoefficients c{int16At(values, 2), int16At(values, 4),
                                      std::bit_cast<float>(std::uint32_t(int32At(floats, 2))),
                                      std::bit_cast<float>(std::uint32_t(int32At(floats, 6)))};
            const std::uint8_t function = r.bytes[2];
            if (function < 1 || function > 4) return false;
            value = int(curveValue(CurveFunction(function), c, int32At(r, 4)));
            return true;
        }
    }
    return false;
}

void paintEffectDisplay(Canvas& canvas, Records records, const std::vector<EffectItem>& items,
                        const EffectPaintState& state) {
    const int right = std::max(state.width, kEffectAreaLeft);
    canvas.fillRect({0, 0, right, kEffectDisplayHeight}, kWhite);
    canvas.line({kEffectAreaLeft, kEffectHeaderHeight - 1}, {right, kEffectHeaderHeight - 1}, {kHeaderRule, 1});
    for (std::size_t row = 0; row < kEffectRows.size(); ++row) {
        const int top = rowTop(row);
        canvas.fillRect({kEffectAreaLeft, top, right, top + kEffectRowHeight}, kRowBackground);
        canvas.line({kEffectAreaLeft, top + kEffectRowHeight - 1}, {right, top + kEffectRowHeight - 1}, {kRowRule, 1});
    }

    for (const EffectItem& item : items) {
        const int left = item.x - state.scroll;
        if (left + item.width <= kEffectAreaLeft) continue;
        if (left >= right) break;
        const SongRecord& first = records[item.group];
        // The strip: a mark for each group, notes black, rests grey, bar lines full height.
        if (first.isNote() || first.isRest()) {
            const int w = std::clamp(item.width - 2, 1, 6);
            canvas.fillRect({left + 1, 10, left + 1 + w, 22}, first.isNote() ? kBlack : kHeaderRule);
        } else if (first.type() == type::kBarLine || first.type() == type::kLineBreak) {
            canvas.line({left + item.width / 2, 2}, {left + item.width / 2, kEffectHeaderHeight - 2}, {kBlack, 1});
        } else {
            canvas.fillRect({left + 2, 4, left + item.width - 2, 8}, kHeaderRule);
        }
        for (std::size_t row = 0; row < kEffectRows.size(); ++row) {
            const std::uint8_t number = kEffectRows[row].number;
            int value = 0;
            if (!effectRowValue(records, item.group, number, value)) continue;
            const EffectBarEntry* entry = effectBarEntry(number);
            const int span = entry->maximum - entry->minimum;
            const int inner = kEffectRowHeight - 2;
            const int top = rowTop(row) + 1;
            const int h = int((long long)(std::clamp(value, entry->minimum, entry->maximum) - entry->minimum) *
                              inner / span);
            const int w = std::max(item.width - 1, 1);
            if (number == effect::kPitchBend) {
                // Bend grows up or down from the centre line.
                const int mid = top + inner / 2;
                const int y = top + inner - h;
                canvas.fillRect({left, std::min(y, mid), left + w, std::max(y, mid) + 1}, entry->colour);
            } else {
                canvas.fillRect({left, top + inner - std::max(h, 1), left + w, top + inner}, rowColour(number));
            }
        }
    }

    // Labels on the left, over anything scrolled under them.
    canvas.fillRect({0, 0, kEffectAreaLeft, kEffectDisplayHeight}, kWhite);
    for (std::size_t row = 0; row < kEffectRows.size(); ++row) canvas.text({2, rowTop(row) + 2}, kEffectRows[row].label);
    canvas.line({kEffectAreaLeft - 1, 0}, {kEffectAreaLeft - 1, kEffectDisplayHeight}, {kBlack, 1});

    if (state.showCursor) {
        const int c = std::clamp(state.cursor, 0, int(items.size()));
        const int x = (c < int(items.size()) ? items[std::size_t(c)].x : effectLayoutEnd(items)) - state.scroll;
        if (x >= kEffectAreaLeft && x < right) canvas.invertRect({x, 0, x + 2, kEffectDisplayHeight});
    }
}

bool applyEffectHit(CPlmDoc& doc, ScoreView& view, const EffectHit& hit) {
    if (hit.kind != EffectHit::Kind::Value) return false;
    if ((hit.number == effect::kGateTime || hit.number == effect::kVelocity) && !doc.record(hit.group).isNote())
        return false;
    if (!takeEffectSnapshot(view, doc, UndoKind::Effect)) return false;
    bool changed;
    if (hit.number == effect::kProgram) {
        changed = doc.setProgram(hit.group, std::uint8_t(std::clamp(hit.value, 0, 127)));
        if (changed) doc.propagateProgram(hit.group);
    } else {
        changed = applyBarValue(doc, hit.group, hit.number, hit.value);
    }
    view.rebuild();
    return changed;
}

bool effectBackSpace(CPlmDoc& doc, ScoreView& view, const std::vector<EffectItem>& items, int& cursor) {
    if (cursor <= 0 || cursor > int(items.size())) return false;
    if (!takeEffectSnapshot(view, doc, UndoKind::BackSpace)) return false;
    const bool deleted = doc.deleteGroup(items[std::size_t(cursor - 1)].group);
    if (deleted) --cursor;
    view.rebuild();
    return deleted;
}

}  // namespace plume
