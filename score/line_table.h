#pragma once
// The song cut into score lines ("行") at its line-break records, and where each group of a line
// stands horizontally. Rebuilt from the records before every repaint and after every edit.

#include <cstddef>
#include <iterator>
#include <span>
#include <vector>

#include "score/score_geometry.h"
#include "song/song_record.h"

namespace plume {

// One entry of the line table.
struct ScoreLine {
    std::size_t firstGroup = kNoGroup;  // record index of the line's first group; kNoGroup in unused entries
    int groupCount = 0;                 // groups in the line, the closing line break included
    int staffX0 = 0;                    // x of column 0 before scrolling
    bool marked = false;                // line mark set by the user; survives rebuilding
    int barsBefore = 0;                 // bar-line and line-break groups before the line
    int key = 0;                        // key-signature number in force at the line's start
    int beats = 0;                      // SongInfo numerator
    int beatUnit = 0;                   // SongInfo denominator as a power of two
    StaffKind staffKind = StaffKind::Grand;
    int top = 0;                        // y of the line's top, from the top of line 0
    int height = 0;

    bool isUsed() const { return firstGroup != kNoGroup; }
    int bottom() const { return top + height; }
};

struct LayoutOptions {
    bool grandStaff = false;  // "大譜表表示": every line laid out as a grand staff
};

// A line and a column in it (column == group count: after the line's last group).
struct ScorePosition {
    int line = 0;
    int column = 0;
    friend bool operator==(const ScorePosition&, const ScorePosition&) = default;
};

class LineTable {
public:
    static constexpr int kTableLines = 300;  // entries kept even for shorter songs
    // A song with more line breaks than kTableLines grows the table: every line break opens a line.

    LineTable();

    // Lays the records out again. Line marks are kept; everything else is recomputed.
    void rebuild(Records records, const SongInfo& info, LayoutOptions options = {});

    int lineCount() const { return m_lineCount; }  // at least 1 after a rebuild
    int lastLine() const { return m_lineCount - 1; }
    // Entry `index`, clamped to the table; entries from lineCount() on are unused.
    const ScoreLine& line(int index) const;
    std::span<const ScoreLine> lines() const { return {m_lines.data(), std::size_t(m_lineCount)}; }
    int tableSize() const { return int(m_lines.size()); }
    bool grandStaff() const { return m_options.grandStaff; }

    void setMarked(int line, bool marked);
    void clearMarks();

    // The line and column of the group holding `record`; the end of the song gives the last line's
    // group count.
    ScorePosition positionOf(Records records, std::size_t record) const;
    // Record index of the group at a column; a column at or past the line's end gives the record
    // after the line's last group.
    std::size_t recordAt(Records records, int line, int column) const;

private:
    void closeLine(int index, int lowest, int highest, bool final);
    ScoreLine emptyEntry(const SongInfo& info) const;

    std::vector<ScoreLine> m_lines;
    int m_lineCount = 1;
    LayoutOptions m_options;
};

// Horizontal width of a group whose first record is `first`, with `keyBefore` in force before it.
int groupWidth(const SongRecord& first, int keyBefore);
// Key-signature number in force after a group: a "Y" sets it, every other group keeps it.
int keyAfter(const SongRecord& first, int keyBefore);

// One group of a line as it stands on the score.
struct PlacedGroup {
    std::size_t record = 0;  // index of the group's first record
    int column = 0;
    int x = 0;               // left edge, horizontal scroll applied
    int width = 0;
    int keyBefore = 0;       // key in force before the group
    int key = 0;             // key in force from the group on (differs from keyBefore only at a "Y")
};

// The groups of one line, left to right: for (const PlacedGroup& g : LineGroups(records, line, scroll)).
class LineGroups {
public:
    LineGroups(Records records, const ScoreLine& line, int scroll = 0);

    class Iterator {
    public:
        using iterator_category = std::input_iterator_tag;
        using value_type = PlacedGroup;
        using difference_type = std::ptrdiff_t;

        Iterator() = default;
        const PlacedGroup& operator*() const { return m_group; }
        const PlacedGroup* operator->() const { return &m_group; }
        Iterator& operator++();
        void operator++(int) { ++*this; }
        friend bool operator==(const Iterator& it, std::default_sentinel_t) { return it.m_left <= 0; }

    private:
        friend class LineGroups;
        void measure();

        Records m_records;
        int m_left = 0;  // groups still to visit, the current one included
        PlacedGroup m_group;
    };

    Iterator begin() const;
    std::default_sentinel_t end() const { return {}; }

private:
    Records m_records;
    ScoreLine m_line;
    int m_scroll;
};

// x of column 0 of a line: staff x0 less kColumnWidth per horizontal scroll step.
int columnZeroX(const ScoreLine& line, int scroll);
// x where a column stands (column == group count: after the last group).
int columnX(Records records, const ScoreLine& line, int column, int scroll);
// The column a click at x places the cursor on: the left half of a position is the position, the
// right half the one after it.
int columnAt(Records records, const ScoreLine& line, int x, int scroll);

}  // namespace plume
