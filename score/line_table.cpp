#include "score/line_table.h"

#include <algorithm>

namespace plume {

namespace {

constexpr int kTrebleLowestKey = 53;  // a line with a lower note needs the bass staff
constexpr int kBassHighestKey = 68;   // ... and with this note or a higher one the grand staff

}  // namespace

LineTable::LineTable() : m_lines(kTableLines) {}

const ScoreLine& LineTable::line(int index) const {
    return m_lines[std::size_t(std::clamp(index, 0, tableSize() - 1))];
}

ScoreLine LineTable::emptyEntry(const SongInfo& info) const {
    ScoreLine entry;
    entry.key = validKey(info.keySignature());
    entry.beats = info.numerator();
    entry.beatUnit = info.denominatorPower();
    return entry;
}

void LineTable::rebuild(Records records, const SongInfo& info, LayoutOptions options) {
    m_options = options;
    const ScoreLine empty = emptyEntry(info);
    for (ScoreLine& entry : m_lines) {
        const bool marked = entry.marked;
        entry = empty;
        entry.marked = marked;
    }

    int current = 0;
    m_lines[0].firstGroup = 0;
    m_lines[0].staffX0 = clefKeyWidth(empty.key) + kStaffX0Margin + kTimeSignatureSpace;
    int key = empty.key;
    int bars = 0;
    int lowest = 127;
    int highest = 0;

    for (std::size_t g = 0; g < records.size(); g = nextGroup(records, g)) {
        const SongRecord& first = records[g];
        ++m_lines[std::size_t(current)].groupCount;
        key = keyAfter(first, key);
        const std::uint8_t t = first.type();
        if (first.isNote()) {
            const std::size_t end = groupEnd(records, g);
            for (std::size_t i = g; i < end && records[i].isNote(); ++i) {
                lowest = std::min<int>(lowest, records[i].key());
                highest = std::max<int>(highest, records[i].key());
            }
        } else if (t == type::kBarLine) {
            ++bars;
        } else if (t == type::kLineBreak) {
            ++bars;
            closeLine(current, lowest, highest, false);
            const ScoreLine& closed = m_lines[std::size_t(current)];
            const int nextTop = closed.top + closed.height;
            ++current;
            if (current == tableSize()) m_lines.push_back(empty);
            ScoreLine& next = m_lines[std::size_t(current)];
            next.firstGroup = nextGroup(records, g);
            next.top = nextTop;
            next.key = key;
            next.staffX0 = clefKeyWidth(key) + kStaffX0Margin;
            next.barsBefore = bars;
            lowest = 127;
            highest = 0;
        }
    }

    ScoreLine& last = m_lines[std::size_t(current)];
    if (last.groupCount > 0) {
        closeLine(current, lowest, highest, true);
    } else if (current == 0) {
        last.staffKind = StaffKind::Grand;
        last.height = kFinalGrandStaffHeight;
    } else {
        last.staffKind = m_lines[std::size_t(current - 1)].staffKind;
        last.height = m_lines[std::size_t(current - 1)].height;
    }
    m_lineCount = current + 1;
}

// The grand-staff setting makes every line a grand staff; the final one keeps its shorter height.
void LineTable::closeLine(int index, int lowest, int highest, bool final) {
    ScoreLine& entry = m_lines[std::size_t(index)];
    const int grandHeight = final ? kFinalGrandStaffHeight : kGrandStaffHeight;
    if (m_options.grandStaff || (lowest < kTrebleLowestKey && highest >= kBassHighestKey)) {
        entry.staffKind = StaffKind::Grand;
        entry.height = grandHeight;
    } else if (lowest < kTrebleLowestKey) {
        entry.staffKind = StaffKind::Bass;
        entry.height = kSingleStaffHeight;
    } else {
        entry.staffKind = StaffKind::Treble;
        entry.height = kSingleStaffHeight;
    }
}

void LineTable::setMarked(int line, bool marked) {
    if (line >= 0 && line < tableSize()) m_lines[std::size_t(line)].marked = marked;
}

void LineTable::clearMarks() {
    for (ScoreLine& entry : m_lines) entry.marked = false;
}

ScorePosition LineTable::positionOf(Records records, std::size_t record) const {
    const auto used = lines();
    const auto after = std::upper_bound(used.begin(), used.end(), record,
                                        [](std::size_t r, const ScoreLine& l) { return r < l.firstGroup; });
    const int index = after == used.begin() ? 0 : int(after - used.begin()) - 1;
    const ScoreLine& entry = used[std::size_t(index)];
    int column = 0;
    std::size_t g = entry.firstGroup;
    while (column < entry.groupCount && g < records.size()) {
        const std::size_t next = nextGroup(records, g);
        if (record < next) return {index, column};
        g = next;
        ++column;
    }
    return {index, column};
}

std::size_t LineTable::recordAt(Records records, int lineIndex, int column) const {
    const ScoreLine& entry = line(lineIndex);
    if (!entry.isUsed()) return records.size();
    std::size_t g = std::min(entry.firstGroup, records.size());
    for (int c = 0; c < column && c < entry.groupCount && g < records.size(); ++c) g = nextGroup(records, g);
    return g;
}

int keyAfter(const SongRecord& first, int keyBefore) {
    if (first.isMeta() && first.metaType() == meta::kKeySignature) return validKey(first.metaKeySignature());
    return keyBefore;
}

// A key change to key 0 is as wide as the old key's signature, so that the cancelling naturals fit.
int groupWidth(const SongRecord& first, int keyBefore) {
    if (first.isMeta()) {
        if (first.metaType() == meta::kTimeSignature) return kTimeSignatureWidth;
        if (first.metaType() == meta::kKeySignature) {
            const int newKey = keyAfter(first, keyBefore);
            return keyChangeWidth(newKey == 0 ? keyBefore : newKey) + kKeyChangeMargin;
        }
    }
    return kColumnWidth;
}

LineGroups::LineGroups(Records records, const ScoreLine& line, int scroll)
    : m_records(records), m_line(line), m_scroll(scroll) {}

LineGroups::Iterator LineGroups::begin() const {
    Iterator it;
    it.m_records = m_records;
    it.m_left = m_line.isUsed() ? m_line.groupCount : 0;
    it.m_group.record = m_line.firstGroup;
    it.m_group.column = 0;
    it.m_group.x = columnZeroX(m_line, m_scroll);
    it.m_group.key = m_line.key;
    it.measure();
    return it;
}

void LineGroups::Iterator::measure() {
    if (m_group.record >= m_records.size()) m_left = 0;
    if (m_left <= 0) return;
    const SongRecord& first = m_records[m_group.record];
    m_group.keyBefore = m_group.key;
    m_group.key = keyAfter(first, m_group.keyBefore);
    m_group.width = groupWidth(first, m_group.keyBefore);
}

LineGroups::Iterator& LineGroups::Iterator::operator++() {
    --m_left;
    m_group.x += m_group.width;
    ++m_group.column;
    m_group.record = nextGroup(m_records, m_group.record);
    measure();
    return *this;
}

int columnZeroX(const ScoreLine& line, int scroll) { return line.staffX0 - kColumnWidth * scroll; }

int columnX(Records records, const ScoreLine& line, int column, int scroll) {
    int x = columnZeroX(line, scroll);
    for (const PlacedGroup& g : LineGroups(records, line, scroll)) {
        if (g.column >= column) return g.x;
        x = g.x + g.width;
    }
    return x;
}

int columnAt(Records records, const ScoreLine& line, int x, int scroll) {
    int column = 0;
    for (const PlacedGroup& g : LineGroups(records, line, scroll)) {
        const SongRecord& first = records[g.record];
        int hit = kScoreHitHalf;
        if (first.isMeta() && first.metaType() == meta::kTimeSignature) hit = kTimeSignatureHitHalf;
        else if (first.isMeta() && first.metaType() == meta::kKeySignature) hit = g.width / 2;
        if (x < g.x + hit) return g.column;
        column = g.column + 1;
    }
    return column;
}

}  // namespace plume
