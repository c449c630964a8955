#include "import/smf_transcriber.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>
#include <limits>
#include <map>
#include <numeric>
#include <optional>
#include <span>
#include <tuple>
#include <unordered_map>

#include "export/midi_file_writer.h"
#include "play/performer.h"
#include "song/song_timing.h"

namespace plume {

namespace {

// Positions are counted in 384ths of a whole note: every plain, dotted and double-dotted length
// down to the 32nd and every triplet down to the 32nd triplet is a whole number of them.
constexpr int kWhole = 384;
constexpr int kBeat = kWhole / 4;
constexpr int kNoEnd = std::numeric_limits<int>::max();
constexpr std::size_t kMaxSongRecords = kRecordLimit - 1;
constexpr int kBarsPerLine = 4;
constexpr std::uint64_t kLongestQuarters = 320000;  // sixteen channels of almost three hours at 120

const std::array<std::uint8_t, 7> kGmSystemOn = {0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
const std::array<std::uint8_t, 12> kGsReset = {0xF0, 0x0A, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};

struct Note {
    std::uint32_t on = 0;
    std::uint32_t off = 0;
    std::uint8_t key = 0;
    std::uint8_t velocity = 0;
    int order = 0;  // place in the file, to keep the order of notes struck together
    int offOrder = 0;  // place of its release in the file
    std::uint32_t start = 0;  // our own files: the tick its group starts at (earlier when delayed)
    int pOn = 0;
    int end = 0;    // written end position
    double rawOn = 0;
    double rawOff = 0;
};

struct Effect {
    std::uint32_t tick = 0;
    SongRecord record;  // the effect record as written
    int pos = 0;
};

SongRecord effectRecord(std::uint8_t number) {
    SongRecord r;
    r.setKind(kind::kEffect);
    r.setEffectNumber(number);
    return r;
}

Effect valueEffect(std::uint32_t tick, std::uint8_t number, std::uint8_t value) {
    Effect e{tick, effectRecord(number)};
    e.record.setValue(value);
    return e;
}

struct Lyric {
    std::uint32_t tick = 0;
    std::string text;
};

struct Voice {
    int track = 0;
    int channel = 0;
    int slot = -1;
    std::vector<Note> notes;
    std::vector<Effect> effects;
    std::vector<Lyric> lyrics;
    bool hasInitial = false;
    std::uint8_t module = 0, bank = 0, program = 0;
    std::uint32_t endTick = 0;
    bool conductor = false;
};

// The key of a voice: its track in format 1 (every track is one in format 0), and its channel.
int voiceKey(int format, int track, int channel) { return (format == 0 ? 0 : track) * 16 + channel; }

struct Change {
    std::uint32_t tick = 0;
    std::uint8_t a = 0, b = 0;  // tempo: a; time signature: numerator a, power b; key: a
    int order = 0;              // place in the file
};

// A stable sort for the few members of a group, without the buffer std::stable_sort takes.
template <typename T, typename Less>
void insertionSort(std::vector<T>& list, Less less) {
    for (std::size_t i = 1; i < list.size(); ++i) {
        for (std::size_t k = i; k > 0 && less(list[k], list[k - 1]); --k) std::swap(list[k], list[k - 1]);
    }
}

// A length the song model writes as one record.
struct Value {
    int length = 0;
    std::uint8_t type = 0;  // 1 whole .. 6 32nd
    std::uint8_t dots = 0;
    bool triplet = false;
};

// A triplet of `type` in ticks: {cut, first}; the first of a tuplet takes its remainder of 0-2 ticks.
std::array<std::uint64_t, 2> tripletTicks(std::uint8_t type, std::uint64_t unit) {
    const std::uint64_t plain = (32 * unit) >> (type - 1);
    return {2 * plain / 3, 2 * plain / 3 + 2 * plain % 3};
}

// The ticks the exporter gives a value at the clock's 32nd `unit`: a triplet's as an inner one and as
// the first of its tuplet.
std::array<std::uint64_t, 2> ticksOfValue(const Value& v, std::uint64_t unit) {
    if (v.triplet) return tripletTicks(v.type, unit);
    const std::uint64_t plain = (32 * unit) >> (v.type - 1);
    const std::uint64_t dotted = v.dots & mark::kDoubleDotted ? plain * 7 / 4 : v.dots & mark::kDotted ? plain * 3 / 2 : plain;
    return {dotted, dotted};
}

// std::partition_point of [first, last) for a point mostly at or a little after `near`: steps of 1,
// 2, 4 and on from there, then a binary search.
template <typename It, typename Pred>
It nearPartitionPoint(It first, It near, It last, Pred pred) {
    if (near != first && !pred(near[-1])) return std::partition_point(first, near, pred);
    for (std::ptrdiff_t step = 1;; step *= 2) {
        if (last - near <= step || !pred(near[step - 1])) return std::partition_point(near, near + std::min(step, last - near), pred);
        near += step;
    }
}

// Answers kept for the first keys asked (a few are asked again and again); later keys are computed.
template <typename Key, typename Answer>
class FewAnswers {
public:
    template <typename Compute>
    Answer get(Key key, Compute compute) {
        for (std::size_t i = 0; i < m_count; ++i) {
            if (m_kept[i].first == key) return m_kept[i].second;
        }
        const Answer answer = compute();
        if (m_count < m_kept.size()) m_kept[m_count++] = {key, answer};
        return answer;
    }

private:
    std::array<std::pair<Key, Answer>, 32> m_kept{};
    std::size_t m_count = 0;
};

// A yes or no kept per value index (the value table holds at most 24 values).
class AnswerPerValue {
public:
    template <typename Compute>
    bool get(std::uint8_t index, Compute compute) {
        if (m_kept[index] < 0) m_kept[index] = compute() ? 1 : 0;
        return m_kept[index] == 1;
    }

private:
    std::array<std::int8_t, 32> m_kept = filled();
    static constexpr std::array<std::int8_t, 32> filled() {
        std::array<std::int8_t, 32> a{};
        a.fill(-1);
        return a;
    }
};

std::vector<Value> valueTable(bool triplets, bool doubleDots) {
    std::vector<Value> values;
    for (std::uint8_t t = 1; t <= 6; ++t) {
        const int plain = kWhole >> (t - 1);
        values.push_back({plain, t, 0, false});
        values.push_back({plain * 3 / 2, t, mark::kDotted, false});
        if (doubleDots) values.push_back({plain * 7 / 4, t, mark::kDoubleDotted, false});
        if (triplets) values.push_back({(kWhole * 2 / 3) >> (t - 1), t, 0, true});
    }
    std::sort(values.begin(), values.end(), [](const Value& a, const Value& b) { return a.length > b.length; });
    return values;
}

// Fewest records for every length up to a limit, straight lengths before triplets.
// Our own files tie a note over at most this many whole notes and still export it to the tick.
constexpr int kLongestExactTie = 64 * kWhole;

class Decomposer {
public:
    explicit Decomposer(std::vector<Value> values) : m_values(std::move(values)) {
        constexpr int kLimit = 4 * kWhole;
        m_index.assign(2 * kWhole + 1, -1);
        for (std::size_t i = 0; i < m_values.size(); ++i) {
            if (m_values[i].length <= 2 * kWhole && m_index[std::size_t(m_values[i].length)] < 0) m_index[std::size_t(m_values[i].length)] = int(i);
        }
        m_cost.assign(kLimit + 1, kUnreachable);
        m_pick.assign(kLimit + 1, -1);
        m_cost[0] = 0;
        for (int l = 1; l <= kLimit; ++l) {
            for (std::size_t i = 0; i < m_values.size(); ++i) {
                const int v = m_values[i].length;
                if (v > l || m_cost[std::size_t(l - v)] == kUnreachable) continue;
                const int cost = m_cost[std::size_t(l - v)] + (m_values[i].triplet ? 1001 : 1000);
                if (cost < m_cost[std::size_t(l)]) {
                    m_cost[std::size_t(l)] = cost;
                    m_pick[std::size_t(l)] = int(i);
                }
            }
        }
    }
    // Longest first; a remainder no length covers is left out (less than a 32nd triplet). Built
    // once per length: the transcription asks for the same lengths many times over.
    const std::vector<Value>& split(int length) const {
        auto [known, added] = m_splits.try_emplace(length);
        if (added) known->second = splitOnce(length);
        return known->second;
    }
    const std::vector<Value>& values() const { return m_values; }
    // The index in values() of the value of exactly `length`, which must be one.
    std::uint8_t indexOf(int length) const { return std::uint8_t(find(length) - m_values.data()); }
    // The value of exactly `length`, or null.
    const Value* find(int length) const {
        return length >= 0 && length <= 2 * kWhole && m_index[std::size_t(length)] >= 0 ? &m_values[std::size_t(m_index[std::size_t(length)])] : nullptr;
    }
    // True when one record holds the length (without building its split).
    bool single(int length) const {
        return length > 0 && length < int(m_cost.size()) && m_cost[std::size_t(length)] <= 1001;
    }
    // True when the length is a sum of lengths the song model holds.
    bool whole(int length) const {
        return length > int(m_cost.size()) - 1 || (length >= 0 && m_cost[std::size_t(length)] != kUnreachable);
    }
    // The shortest single length of at least `length`, plain before dotted.
    int atLeast(double length) const {
        for (int v = kWhole >> 5; v <= kWhole * 64; v *= 2) {
            if (v + 0.5 >= length) return v;
        }
        return kWhole * 64;
    }

    // True when the length is written without triplets.
    bool straight(int length) const {
        if (!whole(length)) return false;
        const std::vector<Value>& parts = split(length);
        return std::none_of(parts.begin(), parts.end(), [](const Value& v) { return v.triplet; });
    }

    // The orders of the parts of a tie of `n` 32nds without triplets (none when it has triplets),
    // of two parts or more, grouped by their first part and then by their last, longest last first.
    struct TieOrders {
        struct Ends {
            std::uint8_t first = 0, last = 0;  // value indexes
            std::vector<const std::vector<Value>*> orders;
        };
        std::vector<std::vector<Ends>> byFirst;
    };
    const TieOrders& tieOrders(std::uint32_t n) const {
        constexpr int k32nd = kWhole / 32;
        if (m_tieOrders.size() <= n) m_tieOrders.resize(n + 1);
        std::optional<TieOrders>& ties = m_tieOrders[n];
        if (!ties) {
            ties.emplace();
            if (!straight(int(n) * k32nd)) return *ties;
            for (const std::vector<Value>& order : orders(int(n) * k32nd, true)) {
                if (order.size() < 2) continue;
                const std::uint8_t first = indexOf(order.front().length), last = indexOf(order.back().length);
                auto byFirst = std::find_if(ties->byFirst.begin(), ties->byFirst.end(), [&](const auto& g) { return g.front().first == first; });
                if (byFirst == ties->byFirst.end()) byFirst = ties->byFirst.insert(byFirst, std::vector<TieOrders::Ends>{});
                // (longest last first: the ticks of straight values rise with their lengths)
                auto ends = std::find_if(byFirst->begin(), byFirst->end(), [&](const auto& e) { return m_values[e.last].length <= m_values[last].length; });
                if (ends == byFirst->end() || ends->last != last) ends = byFirst->insert(ends, TieOrders::Ends{first, last, {}});
                ends->orders.push_back(&order);
            }
        }
        return *ties;
    }

    // The values' ticks at the clock's 32nd `unit`, built once per unit: ticksOfValue by value
    // index, and every value's ticks (a triplet's both) fewest first.
    struct Ticked {
        std::uint64_t ticks = 0;
        std::uint8_t index = 0;  // in values()
    };
    struct UnitTicks {
        std::vector<std::array<std::uint64_t, 2>> byValue;
        std::vector<Ticked> ordered;
    };
    const UnitTicks& ticksAt(std::uint32_t unit) const {
        auto [known, added] = m_unitTicks.try_emplace(unit);
        UnitTicks& ticks = known->second;
        if (added) {
            for (const Value& v : m_values) ticks.byValue.push_back(ticksOfValue(v, unit));
            for (std::size_t i = 0; i < ticks.byValue.size(); ++i) {
                ticks.ordered.push_back({ticks.byValue[i][0], std::uint8_t(i)});
                if (ticks.byValue[i][1] != ticks.byValue[i][0]) ticks.ordered.push_back({ticks.byValue[i][1], std::uint8_t(i)});
            }
            std::sort(ticks.ordered.begin(), ticks.ordered.end(), [](const Ticked& a, const Ticked& b) { return a.ticks < b.ticks; });
        }
        return ticks;
    }

    // The orders(length, firstParts) whose parts come to the ticks of the fewest records' at the clock's
    // 32nd `unit` (dotted parts of an odd clock lose their half ticks), each with the position of its
    // last part; built once per length and unit.
    struct KeptOrder {
        const std::vector<Value>* parts = nullptr;
        int lastStart = 0;  // from the first part's start
    };
    const std::vector<KeptOrder>& ordersKeepingTicks(int length, bool firstParts, std::uint32_t unit) const {
        const std::uint64_t key = std::uint64_t(unit) << 33 | std::uint64_t(std::uint32_t(length)) << 1 | (firstParts ? 1 : 0);
        auto [known, added] = m_keptOrders.try_emplace(key);
        if (added) {
            const std::uint64_t segment = splitTicks(length, unit);
            for (const std::vector<Value>& order : orders(length, firstParts)) {
                if (partsTicks(order, unit) != segment) continue;
                const int lastStart = std::accumulate(order.begin(), order.end() - 1, 0, [](int total, const Value& v) { return total + v.length; });
                known->second.push_back({&order, lastStart});
            }
        }
        return known->second;
    }

    // The ticks the exporter gives these parts at the clock's 32nd `unit` (each as an inner one).
    std::uint64_t partsTicks(std::span<const Value> parts, std::uint32_t unit) const {
        const std::vector<std::array<std::uint64_t, 2>>& ticks = ticksAt(unit).byValue;
        std::uint64_t total = 0;
        for (const Value& v : parts) total += ticks[indexOf(v.length)][0];
        return total;
    }

    // The ticks of split(length) at the clock's 32nd `unit`, kept per length and unit.
    std::uint64_t splitTicks(int length, std::uint32_t unit) const {
        auto [known, added] = m_splitTicks.try_emplace(std::uint64_t(unit) << 32 | std::uint32_t(length));
        if (added) known->second = partsTicks(split(length), unit);
        return known->second;
    }

    // partOrders of the fewest records for `length`, built once per length.
    const std::vector<std::vector<Value>>& orders(int length, bool firstParts) const {
        auto [known, added] = m_orders.try_emplace({length, firstParts});
        if (added) known->second = partOrders(split(length), firstParts);
        return known->second;
    }

private:
    static constexpr int kUnreachable = std::numeric_limits<int>::max();
    // The orders to try for the parts of a tie whose last part gives its release: shortest first,
    // longest first, each with its last part halved, then any straight last part, longest first,
    // after the fewest records for the rest (a chain of equal parts ends in one of them); with
    // `firstParts`, for a delayed note, any straight first part too.
    std::vector<std::vector<Value>> partOrders(const std::vector<Value>& parts, bool firstParts) const {
        std::vector<std::vector<Value>> candidates;
        std::vector<Value> ascending(parts.rbegin(), parts.rend());
        candidates.push_back(ascending);
        candidates.push_back(parts);
        for (const std::vector<Value>& order : std::vector<std::vector<Value>>{ascending, parts}) {
            const Value& last = order.back();
            if (last.dots != 0 || last.triplet || last.type >= 6) continue;
            std::vector<Value> halves(order.begin(), order.end() - 1);
            const Value half{last.length / 2, std::uint8_t(last.type + 1), 0, false};
            halves.push_back(half);
            halves.push_back(half);
            candidates.push_back(halves);
        }
        const int length = std::accumulate(parts.begin(), parts.end(), 0, [](int sum, const Value& v) { return sum + v.length; });
        for (const Value& last : values()) {
            if (last.triplet || last.length >= length || !whole(length - last.length)) continue;
            std::vector<Value> order = split(length - last.length);
            if (std::any_of(order.begin(), order.end(), [](const Value& v) { return v.triplet; })) continue;
            order.push_back(last);
            candidates.push_back(std::move(order));
        }
        if (!firstParts) return candidates;
        for (const Value& first : values()) {
            if (first.triplet || first.length >= length) continue;
            for (const Value& last : values()) {
                const int middle = length - first.length - last.length;
                if (last.triplet || middle < 0 || !whole(middle)) continue;
                const std::vector<Value>& between = split(middle);
                if (std::any_of(between.begin(), between.end(), [](const Value& v) { return v.triplet; })) continue;
                std::vector<Value> order{first};
                order.insert(order.end(), between.begin(), between.end());
                order.push_back(last);
                candidates.push_back(std::move(order));
            }
        }
        return candidates;
    }

    std::vector<Value> splitOnce(int length) const {
        std::vector<Value> out;
        const int limit = int(m_cost.size()) - 1;
        while (length > limit) {
            out.push_back(m_values[wholeIndex()]);
            length -= kWhole;
        }
        while (length > 0 && m_cost[std::size_t(length)] == kUnreachable) --length;
        for (int l = length; l > 0; l -= m_values[std::size_t(m_pick[std::size_t(l)])].length)
            out.push_back(m_values[std::size_t(m_pick[std::size_t(l)])]);
        std::stable_sort(out.begin(), out.end(), [](const Value& a, const Value& b) { return a.length > b.length; });
        return out;
    }
    std::size_t wholeIndex() const {
        for (std::size_t i = 0; i < m_values.size(); ++i) {
            if (m_values[i].length == kWhole) return i;
        }
        return 0;
    }
    std::vector<Value> m_values;
    std::vector<int> m_index;  // value index by length
    std::vector<int> m_cost;
    std::vector<int> m_pick;
    mutable std::unordered_map<int, std::vector<Value>> m_splits;
    mutable std::map<std::pair<int, bool>, std::vector<std::vector<Value>>> m_orders;
    mutable std::unordered_map<std::uint64_t, std::vector<KeptOrder>> m_keptOrders;
    mutable std::unordered_map<std::uint64_t, std::uint64_t> m_splitTicks;
    mutable std::deque<std::optional<TieOrders>> m_tieOrders;  // by 32nds; a deque keeps references
    mutable std::unordered_map<std::uint32_t, UnitTicks> m_unitTicks;
};

std::uint8_t keyNumberOf(int sharps) {
    if (sharps > 0 && sharps <= 7) return std::uint8_t(sharps);
    if (sharps < 0 && sharps >= -7) return std::uint8_t(7 - sharps);
    return 0;
}

int tempoOf(std::span<const std::uint8_t> data) {
    if (data.size() < 3) return 120;
    const std::uint32_t us = std::uint32_t(data[0]) << 16 | std::uint32_t(data[1]) << 8 | data[2];
    if (us == 0) return 255;
    return int(std::clamp<std::uint32_t>((60000000u + us / 2) / us, 1, 255));
}

bool isEvent(const SmfEvent& e, std::span<const std::uint8_t> bytes) {
    return std::equal(e.bytes.begin(), e.bytes.end(), bytes.begin(), bytes.end());
}

// What our own export puts at the head of its first track; nullopt for any other file.
struct OwnHeader {
    std::size_t after = 0;   // first event of the conductor's own part
    std::uint32_t start = 0; // the tick the song starts at (after the rest bar)
    int reset = 2;
    std::string title;
    int tempo = 120;
    std::uint8_t key = 0, numerator = 4, power = 2;
};

std::optional<OwnHeader> ownHeader(const SmfFile& file) {
    if (!((file.format == 0 && file.tracks.size() == 1) || (file.format == 1 && file.tracks.size() == 17)))
        return std::nullopt;
    const std::vector<SmfEvent>& e = file.tracks[0].events;
    OwnHeader h;
    std::size_t i = 0;
    auto at = [&](std::uint32_t tick) { return i < e.size() && e[i].tick == tick; };
    if (!at(0) || !e[i].isMeta(0x03)) return std::nullopt;
    h.title.assign(e[i].data().begin(), e[i].data().end());
    ++i;
    if (at(0) && isEvent(e[i], kGmSystemOn)) h.reset = 0, ++i;
    else if (at(0) && isEvent(e[i], kGsReset)) h.reset = 1, ++i;
    const std::array<std::uint8_t, 6> tempo120 = {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20};
    const std::array<std::uint8_t, 7> fourFour = {0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08};
    if (!at(0) || !isEvent(e[i++], tempo120)) return std::nullopt;
    if (!at(0) || !isEvent(e[i++], fourFour)) return std::nullopt;
    if (!at(0) || !e[i].isMeta(0x59) || e[i].data().size() != 2) return std::nullopt;
    h.key = keyNumberOf(std::int8_t(e[i].data()[0]));
    ++i;
    if (i + 1 >= e.size() || !e[i].isMeta(0x51) || !e[i + 1].isMeta(0x58) || e[i].tick != e[i + 1].tick ||
        e[i + 1].data().size() != 4)
        return std::nullopt;
    h.start = e[i].tick;
    h.tempo = tempoOf(e[i].data());
    h.numerator = e[i + 1].data()[0];
    h.power = e[i + 1].data()[1];
    h.after = i + 2;
    return h;
}

std::uint8_t percentFor(std::uint64_t length, std::int64_t target, int lo, int hi) {
    if (hi < lo) hi = lo;
    if (length == 0) return std::uint8_t(lo);
    const std::int64_t guess = std::clamp<std::int64_t>(target * 100 / std::int64_t(length), lo, hi);
    int best = int(guess);
    std::int64_t bestError = std::numeric_limits<std::int64_t>::max();
    for (std::int64_t p = std::max<std::int64_t>(lo, guess - 2); p <= std::min<std::int64_t>(hi, guess + 2); ++p) {
        const std::int64_t error = std::abs(std::int64_t(length * std::uint64_t(p) / 100) - target);
        if (error < bestError) bestError = error, best = int(p);
    }
    return std::uint8_t(best);
}

// The percentage from `lo` to `hi` of `length` that gives `target` ticks exactly, the smallest (the
// one `percentFor` picks), or -1.
int exactPercent(std::uint64_t length, std::int64_t target, int lo, int hi) {
    if (hi < lo) hi = lo;
    if (length == 0) return target == 0 ? lo : -1;
    if (target < 0) return -1;
    const std::int64_t p = std::max<std::int64_t>(lo, (target * 100 + std::int64_t(length) - 1) / std::int64_t(length));
    return p <= hi && std::int64_t(length * std::uint64_t(p) / 100) == target ? int(p) : -1;
}

// True when a gate of a length of `ticks` sounds exactly `target` ticks.
bool gateGives(std::uint64_t ticks, std::int64_t target) { return exactPercent(ticks, target, 1, 100) >= 0; }

// True when a delay of a length of `ticks` holds its note back exactly `late` ticks.
bool delayGives(std::uint64_t ticks, std::int64_t late) { return exactPercent(ticks, late, 0, 99) >= 0; }

// True when a record of `ticks` delays its note by `late` ticks and then sounds `sounding`, both to
// the tick, with the percentages the import writes.
bool soundsExactly(std::uint64_t ticks, std::int64_t late, std::int64_t sounding) {
    if (late == 0) return gateGives(ticks, sounding);
    const int d = exactPercent(ticks, late, 1, 99);
    return d >= 0 && exactPercent(ticks, sounding, 1, 100 - d) >= 0;
}

// Delay and gate of a tie's last note, which holds its key for delay + gate of its length.
std::pair<std::uint8_t, std::uint8_t> tieEndPercents(std::uint64_t length, std::int64_t target) {
    for (int d = 0; d < 100; ++d) {
        const std::int64_t delay = std::int64_t(length * std::uint64_t(d) / 100);
        if (delay >= target) break;
        if (const int g = exactPercent(length, target - delay, 1, 100 - d); g >= 0) return {std::uint8_t(d), std::uint8_t(g)};
    }
    return {0, percentFor(length, target, 1, 100)};
}

bool tieEndExact(std::uint64_t length, std::int64_t target) {
    // (the ticks of a delay and a gate whose percentages sum to s are those of s, or one fewer: a
    // target that no sum up to 100 % comes near is out without the search)
    if (length == 0) return false;
    const auto ofSum = [&](std::int64_t sum) { return std::int64_t(length * std::uint64_t(sum) / 100); };
    bool near = false;
    for (std::int64_t sum = std::max<std::int64_t>(1, 100 * target / std::int64_t(length) - 1); sum <= 100 && ofSum(sum) <= target + 1; ++sum)
        near = near || ofSum(sum) >= target;
    if (!near) return false;
    const auto [d, g] = tieEndPercents(length, target);
    return std::int64_t(length * d / 100 + length * g / 100) == target;
}

// The first change after `tick` of a timeline sorted by tick.
std::vector<Change>::const_iterator changeAfter(const std::vector<Change>& timeline, std::uint32_t tick) {
    return std::upper_bound(timeline.begin(), timeline.end(), tick, [](std::uint32_t t, const Change& c) { return t < c.tick; });
}

// The first change after `from` and before `to` of a timeline sorted by tick, or its end.
std::vector<Change>::const_iterator firstChange(const std::vector<Change>& timeline, std::uint32_t from, std::uint32_t to) {
    const auto after = changeAfter(timeline, from);
    return after != timeline.end() && after->tick < to ? after : timeline.end();
}

// The exporter's 32nd in ticks at a tempo.
std::uint32_t unitOfTempo(std::uint32_t timeBase, int tempo) {
    return std::max<std::uint32_t>(PerformerClock::ticks(timeBase, tempo).thirtySecond(), 1);
}

// The tempo changes at which the exporter's 32nd changes its ticks; the others leave every tick as it was.
std::vector<Change> clockChanges(const std::vector<Change>& tempos, std::uint32_t timeBase, int startTempo) {
    std::vector<Change> out;
    std::uint32_t unit = unitOfTempo(timeBase, startTempo);
    for (const Change& c : tempos) {
        const std::uint32_t next = unitOfTempo(timeBase, c.a);
        if (next == unit) continue;
        unit = next;
        out.push_back(c);
    }
    return out;
}

// The exporter's 32nd in ticks at `tick`, under tempo changes sorted by tick (a change at the
// tick counts).
std::uint32_t clockUnit(const std::vector<Change>& timeline, int startTempo, std::uint32_t timeBase, std::uint32_t tick) {
    const auto after = changeAfter(timeline, tick);
    return unitOfTempo(timeBase, after == timeline.begin() ? startTempo : std::prev(after)->a);
}

// The ways our own files are read, tried in turn where the first does not export to the same file.
enum class Reading : std::uint8_t {
    Plain,
    // After another track's tempo change, where the grid is not known, an onset off the grid of
    // the last start is a note struck late in a group from there on (else a group of its own).
    LateOffUnknownGrid,
    // A span over a change is searched first without the release of the notes it starts with.
    ReleaseLast,
    // A delayed note's group is looked for from the earliest start, not the latest.
    EarliestGroup,
    // An onset on the triplet grid only, not the straight one, after a delayed note's group is
    // taken as struck late in a group of its own (else as a triplet's place).
    LateOnTripletGrid,
    // A delayed note's group is looked for at a tuplet's places first, and an onset inside a
    // tuplet's third place, after its second, is struck late in the third (also where the first
    // is late onto the straight grid).
    LateThirdPlace,
    // An onset after another track's tempo change, off the new clock's grid from the change, is a
    // note struck late in a group on that grid (a group of this voice starting at the change).
    LateOffChangeGrid,
    // A delayed note tied on may end in a segment after the one it starts in (its first segment is
    // cut where a part gives the delay; see cutsForDelay).
    DelayCutBefore,
    // A note just after a group without notes (an effect's or a change's), on the grid or on
    // another clock, is struck late in that group wherever the group can give it.
    LateInEmptyGroup,
    // A stretch of groups over another track's tempo change ends a segment where it ends.
    StretchEndsSegment,
    // A delayed note's group starts only where the group before, of notes, is one value whose
    // gates give their releases.
    BeforeStaysExact,
    // An onset after another track's tempo change, off the old clock's grid from the last straight
    // start, is a note struck late in a group on that grid (where the group over the change ended).
    LateOffOldGrid,
    // After another track's tempo change since the last straight start (where the grid may have moved
    // under this voice's rests), an onset is a note struck late in a group on the grid of the next
    // start, counted back on the clock there (the onset's own, if on it).
    LateBeforeNextStart,
    // The same, the group also looked for where a tuplet would begin whose second or third place
    // is the next start, latest first.
    LateBeforeNextPlace,
};
constexpr int kReadings = int(Reading::LateBeforeNextPlace) + 1;  // (the last above)

struct Context {
    bool exact = false;
    Reading reading = Reading::Plain;
    std::uint32_t origin = 0;
    std::uint32_t timeBase = 96;
    int startTempo = 120;
    int grid = 16;
    bool triplets = true;
    TieCheck ties = TieCheck::OneClock;
    std::vector<Change> tempoTimeline;  // clock changes this voice follows
    std::vector<Change> tempoRecords;   // tempo effects written into this voice
    std::vector<Change> signatures;     // time-signature changes after the start
    std::vector<Change> keys;           // key changes after the start
    bool signaturesAreGroups = true;    // the signatures stand between groups here (else drawn only)
    bool endsTrack = true;              // rests after the last notes reach the end of the track
    std::uint8_t numerator = 4, power = 2;
    const Decomposer* decomposer = nullptr;
};

// One record group of the transcription before it is written.
struct Piece {
    int pos = 0;
    Value value;
    bool rest = true;
    std::vector<std::pair<std::size_t, std::uint8_t>> notes;  // note index, tie mark
    std::vector<std::size_t> effects;
    bool firstOfSegment = false;
    std::uint8_t tuplet = 0;  // tuplet marks of byte 3
};

class VoiceTranscriber {
public:
    VoiceTranscriber(Voice& voice, const Context& context) : m_voice(voice), m_c(context) {
        m_units.push_back(unitOfTempo(m_c.timeBase, m_c.startTempo));
        for (const Change& c : m_c.tempoTimeline) m_units.push_back(unitOfTempo(m_c.timeBase, c.a));
    }

    std::vector<SongRecord> run() {
        if (m_c.exact) anchor();
        else decideBeats();
        placeNotes();
        segments();
        markTuplets();
        return records();
    }

    // In our own files, the tick at which the last group ends, as the exporter counts it.
    std::uint32_t endTick() const { return m_end; }

private:
    // The exporter's 32nd in ticks at `tick` (a change at the tick counts).
    std::uint32_t unitAt(std::uint32_t tick) const {
        return m_units[stretchAt(tick).index];
    }

    // The decomposer's ticks at the clock's 32nd `unit`, kept for the unit asked last.
    const Decomposer::UnitTicks& ticksAt(std::uint32_t unit) const {
        if (unit != m_ticksUnit) m_ticksUnit = unit, m_ticks = &m_c.decomposer->ticksAt(unit);
        return *m_ticks;
    }

    // True when a clock change of this voice falls after `from` and before `to`.
    bool changesBetween(std::uint32_t from, std::uint32_t to) const {
        const Stretch& s = stretchAt(from);
        return s.index < m_c.tempoTimeline.size() && s.to < to;
    }

    // The ticks between two clock changes, [from, to), and the index of the change that ends them
    // (the timeline's size after the last). Kept for the last tick asked: lookups come near one another.
    struct Stretch {
        std::uint32_t from = 1, to = 0;
        std::size_t index = 0;
    };
    const Stretch& stretchAt(std::uint32_t tick) const {
        if (tick >= m_stretch.from && tick < m_stretch.to) return m_stretch;
        const std::vector<Change>& timeline = m_c.tempoTimeline;
        // (the stretch after or before the one kept, else a search)
        const std::size_t kept = m_stretch.index;
        std::size_t index = 0;
        if (m_stretch.from <= m_stretch.to && tick >= m_stretch.to && kept < timeline.size() &&
            (kept + 1 == timeline.size() || tick < timeline[kept + 1].tick))
            index = kept + 1;
        else if (m_stretch.from <= m_stretch.to && tick < m_stretch.from && kept >= 1 && (kept == 1 || tick >= timeline[kept - 2].tick))
            index = kept - 1;
        else
            index = std::size_t(changeAfter(timeline, tick) - timeline.begin());
        m_stretch.index = index;
        m_stretch.from = index == 0 ? 0 : timeline[index - 1].tick;
        m_stretch.to = index == timeline.size() ? std::numeric_limits<std::uint32_t>::max() : timeline[index].tick;
        return m_stretch;
    }

    // Our own files: positions measured from group start to group start on the exporter's grid.
    void anchor() {
        std::vector<std::uint32_t> ticks = {m_c.origin};
        for (const Effect& e : m_voice.effects) ticks.push_back(e.tick);
        for (const auto* list : {&m_c.tempoRecords, &m_c.signatures, &m_c.keys}) {
            if (!m_c.signaturesAreGroups && (list == &m_c.signatures || list == &m_c.keys)) continue;
            for (const Change& c : *list) ticks.push_back(c.tick);
        }
        if (m_voice.endTick != 0 && m_c.endsTrack) ticks.push_back(m_voice.endTick);
        std::erase_if(ticks, [&](std::uint32_t t) { return t < m_c.origin; });
        std::sort(ticks.begin(), ticks.end());
        ticks.erase(std::unique(ticks.begin(), ticks.end()), ticks.end());
        for (Note& n : m_voice.notes) n.start = n.on;
        const std::vector<std::uint32_t> fixed = ticks;
        ticks = groupStarts(ticks);
        std::vector<std::vector<Sound>> sounds(ticks.size());  // per group start: its notes' onsets and releases
        for (const Note& n : m_voice.notes) {
            const auto at = std::lower_bound(ticks.begin(), ticks.end(), n.start);
            if (at != ticks.end() && *at == n.start) sounds[std::size_t(at - ticks.begin())].push_back({n.on, n.off});
        }
        int pos = 0, last = 0;
        std::vector<std::size_t> byStart;  // the notes by group start, once a group moves earlier
        for (std::size_t i = 0; i < ticks.size(); ++i) {
            if (i > 0) {
                // (a place of a tuplet lies a whole number of 32nd triplets off the 32nd grid)
                const int phase = pos % (kWhole / 32) % (kWhole / 96) == 0 ? pos % (kWhole / 32) : 0;
                // (a group of effects or changes starts where they stand)
                const bool lateAllowed = !std::binary_search(fixed.begin(), fixed.end(), ticks[i]);
                const Span found = span(ticks[i - 1], ticks[i], {sounds[i - 1]}, phase, last, lateAllowed);
                last = found.length;
                if (found.late != 0) {
                    if (byStart.empty()) {
                        byStart.resize(m_voice.notes.size());
                        std::iota(byStart.begin(), byStart.end(), std::size_t(0));
                        std::stable_sort(byStart.begin(), byStart.end(), [&](std::size_t x, std::size_t y) { return m_voice.notes[x].start < m_voice.notes[y].start; });
                    }
                    // (the notes of the group move to its start, which stays before the next group's)
                    auto first = std::lower_bound(byStart.begin(), byStart.end(), ticks[i], [&](std::size_t k, std::uint32_t t) { return m_voice.notes[k].start < t; });
                    for (; first != byStart.end() && m_voice.notes[*first].start == ticks[i]; ++first) m_voice.notes[*first].start -= found.late;
                    ticks[i] -= found.late;
                }
                // A group known to start on a new clock anchors the positions after it.
                for (const auto& [start, tick] : found.clockStarts) {
                    m_clockStarts.push_back(pos + start);
                    m_anchors.push_back({tick, pos + start});
                }
                for (const auto& [lo, hi] : found.closed) m_closed.push_back({pos + lo, pos + hi});
                if (found.tieEnd != 0) m_tieEnds.push_back({pos, pos + found.tieEnd});
                pos += found.length;
            }
            m_anchors.push_back({ticks[i], pos});
        }
    }

    // The group starts of our own files: `fixed` (where effects and changes stand) and the onsets,
    // except an onset off the grid of the last straight start, or on it while the whole chord before
    // sounds, which is a note delayed in a group that starts earlier (see delayedStart). An onset no
    // such group explains stays a start.
    std::vector<std::uint32_t> groupStarts(const std::vector<std::uint32_t>& fixed) {
        // The notes struck at each onset, in the order read: runs of `byOnset`.
        std::vector<std::size_t> byOnset;
        for (std::size_t i = 0; i < m_voice.notes.size(); ++i) {
            if (m_voice.notes[i].on >= m_c.origin) byOnset.push_back(i);
        }
        auto earlier = [&](std::size_t x, std::size_t y) { return m_voice.notes[x].on < m_voice.notes[y].on; };
        if (!std::is_sorted(byOnset.begin(), byOnset.end(), earlier)) std::stable_sort(byOnset.begin(), byOnset.end(), earlier);
        std::vector<std::uint32_t> ticks = fixed;
        for (const std::size_t k : byOnset) ticks.push_back(m_voice.notes[k].on);
        std::inplace_merge(ticks.begin(), ticks.begin() + std::ptrdiff_t(fixed.size()), ticks.end());  // (both sorted)
        ticks.erase(std::unique(ticks.begin(), ticks.end()), ticks.end());
        std::size_t nextStruck = 0;  // the first of byOnset not struck before the tick at hand
        auto struckAt = [&](std::uint32_t t) {
            while (nextStruck < byOnset.size() && m_voice.notes[byOnset[nextStruck]].on < t) ++nextStruck;
            std::size_t end = nextStruck;
            while (end < byOnset.size() && m_voice.notes[byOnset[end]].on == t) ++end;
            return std::span<const std::size_t>(byOnset).subspan(nextStruck, end - nextStruck);
        };
        std::vector<std::size_t> members;  // the notes of the group at the last start (starts only grow)
        std::vector<std::uint32_t> starts;
        std::uint32_t straight = 0;  // the last start a whole number of 32nds after the one before
        // Whether `straight` is known to lie on the grid; not after another track's tempo change,
        // where groups on the new clock start wherever the group over the change ends (known when a
        // start lies on the old clock's grid past one change: where that group ended).
        bool known = true;
        auto isFixed = [&](std::uint32_t t) { return std::binary_search(fixed.begin(), fixed.end(), t); };
        auto push = [&](std::uint32_t t) {
            // (known again at two starts a whole number of 32nds apart on one clock)
            if (!known && !starts.empty() && !changesBetween(starts.back(), t + 1) &&
                (t - starts.back()) % unitAt(t) == 0) {
                known = true;
                straight = starts.back();
            }
            const auto change = starts.empty() ? m_c.tempoTimeline.end() : firstChange(m_c.tempoTimeline, straight, t + 1);
            const bool changed = change != m_c.tempoTimeline.end();
            const bool endsOver = changed && std::next(change) == changeAfter(m_c.tempoTimeline, t) && (t - straight) % unitAt(straight) == 0;
            // (a later place of a tuplet from `straight` over a change keeps the tuplet's grid)
            const bool laterPlace = known && changed && !isFixed(t) && (t - straight) % unitAt(straight) != 0 && continuesTuplet(straight, starts.back(), t);
            if (!laterPlace && (starts.empty() || isFixed(t) || changed || (t - straight) % unitAt(straight) == 0)) {
                known = isFixed(t) || (known && (!changed || endsOver));
                straight = t;
            }
            starts.push_back(t);
        };
        for (std::size_t i = 0; i < ticks.size(); ++i) {
            if (!starts.empty() && starts.back() == straight) m_head = {straight, members};
            const std::uint32_t t = ticks[i];
            const std::span<const std::size_t> notes = struckAt(t);
            if (starts.empty() || isFixed(t) || notes.empty()) {
                push(t);
                members.assign(notes.begin(), notes.end());
                continue;
            }
            const std::uint32_t a = starts.back();
            const std::vector<std::size_t>& before = members;
            // struck while every note of `list` sounds: on the grid or not, possibly a delayed member
            auto held = [&](std::span<const std::size_t> list, std::uint32_t tick) {
                return !list.empty() && std::all_of(list.begin(), list.end(), [&](std::size_t k) { return m_voice.notes[k].off > tick; });
            };
            // A triplet's onset, off the straight grid, is followed by one on the grid (or a start).
            const bool straightGrid = (t - straight) % unitAt(straight) == 0;
            const bool oneClock = !changesBetween(straight, t + 1);
            const bool tripletFits = i + 1 == ticks.size() || isFixed(ticks[i + 1]) || onGrid(straight, ticks[i + 1]);
            const bool offGrid = (!onGrid(straight, t) && !continuesTuplet(straight, a, t)) || (!straightGrid && !tripletFits);
            // on the triplet grid, not in a sounding chord: a triplet of its own tuplet, else maybe delayed
            const bool tripletPlace = !offGrid && !straightGrid && oneClock && !held(before, t);
            std::optional<std::uint32_t> start;
            // (where the grid is not known, after another track's tempo change, an onset while the chord
            // before sounds may still be a delayed member of it, its group measured from its own start)
            const bool heldUnknown = !known && held(before, t);
            const std::uint32_t grid = known ? straight : a;
            // The next effect or change, or onset while these notes do not all sound (`onTheGrid`: on
            // the grid of `from`); the largest tick if none.
            auto boundAfter = [&](bool onTheGrid, std::uint32_t from) {
                for (std::size_t j = i + 1; j < ticks.size(); ++j) {
                    if (isFixed(ticks[j]) || ((!onTheGrid || onGrid(from, ticks[j])) && !held(notes, ticks[j]))) return ticks[j];
                }
                return std::numeric_limits<std::uint32_t>::max();
            };
            // (on the grid after a group without notes, an effect's: maybe struck late in it)
            const bool lateInEmpty = m_c.reading == Reading::LateInEmptyGroup;
            const bool afterEmpty = known && (straightGrid || lateInEmpty) && before.empty() && !starts.empty();
            const bool offUnknown = m_c.reading == Reading::LateOffUnknownGrid && !known && !heldUnknown && !changesBetween(a, t + 1) && !onGrid(a, t);
            if ((known && (offGrid || tripletPlace || held(before, t) || afterEmpty)) || heldUnknown || offUnknown) {
                // Where the group must end: at the next effect or change, or onset while these notes
                // do not all sound (else it may be delayed in their group); failing that, at the next
                // such onset on the grid (an onset off it may be delayed in a group of its own yet).
                std::optional<std::uint32_t> tried;
                for (const bool onTheGrid : {false, true}) {
                    const std::uint32_t bound = boundAfter(onTheGrid, grid);
                    if (tried == bound) break;  // (the same search again)
                    tried = bound;
                    if (offUnknown) {
                        start = delayedStart(a, a, t, bound, before, notes);
                    } else if (heldUnknown) {
                        std::vector<std::size_t> chord = before;
                        chord.insert(chord.end(), notes.begin(), notes.end());
                        if (fitsOneGroup(a, a, bound, chord)) start = a;
                    } else if (tripletPlace) {
                        start = fitsOneGroup(straight, t, bound, notes, false)
                                    ? t
                                    : delayedStart(straight, a, t, bound, before, notes);
                    } else if (offGrid) {
                        start = delayedStart(straight, a, t, bound, before, notes);
                    } else if (afterEmpty) {  // (only where no group of their own gives the notes)
                        if ((lateInEmpty || !fitsOneGroup(straight, t, bound, notes)) && fitsOneGroup(straight, a, bound, notes)) start = a;
                    } else {  // on the grid, but maybe a delayed member of the chord that sounds
                        std::vector<std::size_t> chord = before;
                        chord.insert(chord.end(), notes.begin(), notes.end());
                        if (fitsOneGroup(straight, a, bound, chord)) start = a;
                    }
                    if (start) break;
                }
            }
            // A triplet's first note late by a 32nd or more lands on the straight grid: the next onset,
            // off the grid from it, is the tuplet's second place from an earlier start.
            if (!start && known && straightGrid && oneClock && !held(before, t) && i + 1 < ticks.size() && !isFixed(ticks[i + 1]) &&
                !onGrid(t, ticks[i + 1])) {
                const std::uint32_t after = i + 2 < ticks.size() ? ticks[i + 2] : std::numeric_limits<std::uint32_t>::max();
                start = lateTripletStart(straight, a, t, ticks[i + 1], after, before, notes);
            }
            // Its second note so late: the group before is its first place and the next onset, off the
            // grid from this one, its third.
            if (!start && known && straightGrid && oneClock && !held(before, t) && a == straight && i + 1 < ticks.size() &&
                !onGrid(t, ticks[i + 1]))
                start = lateSecondPlace(a, t, ticks[i + 1], notes);
            if (!start && m_c.reading == Reading::LateOffChangeGrid && !held(before, t) && changesBetween(a, t + 1)) {
                const auto change = std::prev(changeAfter(m_c.tempoTimeline, t));
                const std::uint32_t c = change->tick;
                if (c > a && c < t && (t - c) % unitAt(c) != 0) start = delayedStart(c, a, t, boundAfter(false, c), before, notes);
            }
            if (!start && m_c.reading == Reading::LateOffOldGrid && known && !oneClock && !straightGrid && !held(before, t))
                start = delayedStart(straight, a, t, boundAfter(false, straight), before, notes);
            if (!start && (m_c.reading == Reading::LateBeforeNextStart || m_c.reading == Reading::LateBeforeNextPlace) && (!known || !oneClock) &&
                !held(before, t))
                start = lateBeforeNextStart(a, t, boundAfter(false, a), before, notes);
            if (!start && m_c.reading == Reading::LateThirdPlace && known && !held(before, t))
                start = lateThirdPlace(straight, a, t, i + 1 < ticks.size() ? ticks[i + 1] : std::numeric_limits<std::uint32_t>::max(), notes);
            if (!start) start = t;
            if (*start != a) {
                push(*start);
                members.clear();
            }
            for (const std::size_t k : notes) {
                m_voice.notes[k].start = *start;
                members.push_back(k);
            }
        }
        return starts;
    }

    // The start of the group in which the notes `struck` at `t` are delayed, after the group
    // at `a` of notes `before` and on the grid of the straight start `straight`, before `bound`;
    // nullopt when none gives every note to the tick.
    std::optional<std::uint32_t> delayedStart(std::uint32_t straight, std::uint32_t a, std::uint32_t t, std::uint32_t bound,
                                              const std::vector<std::size_t>& before, std::span<const std::size_t> struck) const {
        std::vector<std::size_t> chord = before;
        chord.insert(chord.end(), struck.begin(), struck.end());
        const bool sounds = std::any_of(before.begin(), before.end(), [&](std::size_t k) { return m_voice.notes[k].off > t; });
        if (sounds && fitsOneGroup(straight, a, bound, chord)) return a;
        const std::uint32_t released = releasedAfter(a, before);
        // The group before if it has no notes (an effect's or a change's), then the 32nds and 16th
        // triplets from `straight`, latest first; a delay is less than its group, which is at most a
        // dotted whole.
        const std::uint32_t unit = unitAt(a), lowest = std::max(released, t - std::min(t, 48 * unit));
        std::vector<std::uint32_t> candidates;
        if (before.empty()) candidates.push_back(a);
        for (std::uint32_t k = (t - straight) / unit + 1; k-- > 0 && straight + k * unit >= lowest;) candidates.push_back(straight + k * unit);
        // (a tuplet's first value takes its remainder, so a triplet may start a tick or two late)
        for (std::uint64_t k = 3 * std::uint64_t(t - straight) / (4 * unit) + 1; k-- > 0 && straight + k * 4 * unit / 3 + 2 >= lowest;) {
            for (std::uint32_t late = 0; late <= 2; ++late) {
                const std::uint32_t s = std::uint32_t(straight + k * 4 * unit / 3 + late);
                if (s <= t && s >= lowest && (s - straight) % unit != 0 && onGrid(straight, s)) candidates.push_back(s);
            }
        }
        std::sort(candidates.begin() + (before.empty() ? 1 : 0), candidates.end(), std::greater<>());
        if (m_c.reading == Reading::EarliestGroup) std::reverse(candidates.begin() + (before.empty() ? 1 : 0), candidates.end());
        if (m_c.reading == Reading::LateThirdPlace)
            std::stable_partition(candidates.begin(), candidates.end(), [&](std::uint32_t s) { return (s - straight) % unit != 0; });
        candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
        // (after the second note of a tuplet begun at `straight`, its third place first: it must close)
        for (std::uint8_t type = 2; type <= 6; ++type) {
            const std::array<std::uint64_t, 3> places = tupletPlaces(type, straight);
            const std::uint64_t third = places[1];
            if (a == places[0]) std::stable_partition(candidates.begin(), candidates.end(), [&](std::uint32_t s) { return s == third; });
        }
        // (the latest sixteen: a group found further back is rare, and failing searches are many)
        if (candidates.size() > 17) candidates.resize(17);
        for (const bool ties : {false, true}) {  // one value anywhere before a tie
            for (std::size_t i = 0; i < candidates.size() && (!ties || i < 4); ++i) {  // (a tie at the latest four)
                const std::uint32_t s = candidates[i];
                if (s >= released && onGrid(straight, s) && fitsOneGroup(straight, s, bound, struck, ties) &&
                    (m_c.reading != Reading::BeforeStaysExact || beforeStaysExact(a, s, before)))
                    return s;
            }
        }
        return std::nullopt;
    }

    // True when the group at `a` of notes `before`, ending at `s`, has none or is one value whose
    // gates give their releases.
    bool beforeStaysExact(std::uint32_t a, std::uint32_t s, const std::vector<std::size_t>& before) const {
        if (before.empty()) return true;
        const std::uint64_t ticks = s - a;
        const std::vector<Decomposer::Ticked>& values = ticksAt(unitAt(a)).ordered;
        const auto value = std::lower_bound(values.begin(), values.end(), ticks, [](const auto& v, std::uint64_t x) { return v.ticks < x; });
        return value != values.end() && value->ticks == ticks && std::all_of(before.begin(), before.end(), [&](std::size_t k) {
            const Note& n = m_voice.notes[k];
            return soundsExactly(ticks, std::int64_t(n.on) - std::int64_t(n.start), sounding(n));
        });
    }

    // The earliest start after the group at `a` of notes `before`: once they have been released, or
    // `a` itself if it has none (a group of an effect or a change may hold the notes that follow).
    std::uint32_t releasedAfter(std::uint32_t a, const std::vector<std::size_t>& before) const {
        std::uint32_t released = before.empty() ? a : a + 1;
        for (const std::size_t k : before) released = std::max(released, m_voice.notes[k].off);
        return released;
    }

    // The start on the straight grid, after the group at `a` of notes `before`, of a tuplet whose first
    // value holds the notes `struck` late at `t`, whose second place is the onset `next` and whose third
    // the onset `after` or a rest; nullopt if none.
    std::optional<std::uint32_t> lateTripletStart(std::uint32_t straight, std::uint32_t a, std::uint32_t t, std::uint32_t next,
                                                  std::uint32_t after, const std::vector<std::size_t>& before,
                                                  std::span<const std::size_t> struck) const {
        const std::uint32_t released = releasedAfter(a, before);
        const std::uint32_t unit = unitAt(straight);
        for (std::uint8_t type = 2; type <= 6; ++type) {
            const auto [cut, first] = tripletTicks(type, unit);
            if (next < first) continue;
            const std::uint32_t s = std::uint32_t(next - first);
            const bool third = after == next + cut || after >= next + 2 * cut ||
                               (m_c.reading == Reading::LateThirdPlace && after > next + cut && after < next + 2 * cut);
            if (s < t && s >= released && third && (s - straight) % unit == 0 && fitsOneGroup(straight, s, next, struck, false)) return s;
        }
        return std::nullopt;
    }

    // The second place of a tuplet that begins at the straight start `a` and whose third place is the
    // onset `next`, where the notes `struck` at `t`, between the two, are late; nullopt if none.
    std::optional<std::uint32_t> lateSecondPlace(std::uint32_t a, std::uint32_t t, std::uint32_t next, std::span<const std::size_t> struck) const {
        for (std::uint8_t type = 2; type <= 6; ++type) {
            const auto [cut, first] = tripletTicks(type, unitAt(a));
            const std::uint64_t second = a + first;
            if (t > second && t < second + cut && next == second + cut && fitsOneGroup(a, std::uint32_t(second), next, struck, false))
                return std::uint32_t(second);
        }
        return std::nullopt;
    }

    // The start of a group, after the group at `a` of notes `before` and since the last clock change,
    // on the grid of the next start `bound` counted back on the clock there (in the second of the
    // readings, also where a tuplet would begin whose later place `bound` is), in which the notes
    // `struck` at `t` are delayed; nullopt when none gives every note to the tick.
    std::optional<std::uint32_t> lateBeforeNextStart(std::uint32_t a, std::uint32_t t, std::uint32_t bound,
                                                     const std::vector<std::size_t>& before, std::span<const std::size_t> struck) const {
        if (bound == std::numeric_limits<std::uint32_t>::max() || changesBetween(t, bound + 1)) return std::nullopt;
        const auto change = changeAfter(m_c.tempoTimeline, t);
        const std::uint32_t lowest = std::max({releasedAfter(a, before), a + 1, change == m_c.tempoTimeline.begin() ? 0u : std::prev(change)->tick});
        const std::uint32_t unit = unitAt(t);
        std::vector<std::uint32_t> candidates;
        for (std::uint32_t s = bound - (bound - t + unit - 1) / unit * unit, n = 0; s >= lowest && s <= t && n < 17; s -= unit, ++n) {
            candidates.push_back(s);
            if (s < unit) break;
        }
        if (m_c.reading == Reading::LateBeforeNextPlace) {
            for (std::uint8_t type = 2; type <= 6; ++type) {
                const auto [inner, first] = tripletTicks(type, unit);
                for (const std::uint64_t back : {first, first + inner}) {
                    if (back <= bound && bound - back >= lowest && bound - back <= t) candidates.push_back(std::uint32_t(bound - back));
                }
            }
            std::sort(candidates.begin(), candidates.end(), std::greater<>());
            candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
        }
        for (const std::uint32_t s : candidates) {
            if (fitsOneGroup(s, s, bound, struck)) return s;
        }
        return std::nullopt;
    }

    // The third place of a tuplet that begins at the straight start `straight` and whose second place
    // is the group at `a`, where the notes `struck` at `t`, inside the third, are late; nullopt if none.
    std::optional<std::uint32_t> lateThirdPlace(std::uint32_t straight, std::uint32_t a, std::uint32_t t, std::uint32_t bound,
                                                std::span<const std::size_t> struck) const {
        for (std::uint8_t type = 2; type <= 6; ++type) {
            const auto [second, third, end] = tupletPlaces(type, straight);
            if (a == second && t > third && t < end && fitsOneGroup(straight, std::uint32_t(third), bound, struck, false))
                return std::uint32_t(third);
        }
        return std::nullopt;
    }

    // True when one value from `start`, or a tie of straight values (if `ties`), ending by `bound` on the grid of
    // the straight start `base`, gives each note its delay (in the first part) and release (in the last).
    bool fitsOneGroup(std::uint32_t base, std::uint32_t start, std::uint32_t bound, std::span<const std::size_t> chord,
                      bool ties = true) const {
        std::uint32_t release = start;
        for (const std::size_t k : chord) release = std::max(release, m_voice.notes[k].off);
        auto lateBy = [&](const Note& n) { return std::int64_t(n.on) - std::int64_t(start); };
        // A group off the straight grid is a triplet inside its tuplet; one on it may begin a tuplet.
        const bool inTuplet = (start - base) % unitAt(base) != 0;
        // An end on the grid (or a triplet's from its own straight start), with rests after it that
        // reach the next start (a bound off the grid is a delayed onset, whose own group starts
        // somewhere before it).
        const bool boundStarts = bound != std::numeric_limits<std::uint32_t>::max() && onGrid(base, bound) &&
                                 (m_c.reading != Reading::LateOnTripletGrid || (bound - base) % unitAt(base) == 0 || changesBetween(base, bound + 1)) &&
                                 !(m_c.reading == Reading::LateThirdPlace && inTuplet);
        const bool boundDelayed = bound != std::numeric_limits<std::uint32_t>::max() && !boundStarts && !onGrid(start, bound);
        auto fits = [&](std::uint32_t end) {
            return (onGrid(base, end) || (!inTuplet && onGrid(start, end))) && (!boundStarts || onGrid(end, bound));
        };
        const std::uint32_t unit = unitAt(start);
        const std::vector<Value>& values = m_c.decomposer->values();
        const Decomposer::UnitTicks& unitTicks = ticksAt(unit);
        const std::vector<std::array<std::uint64_t, 2>>& valueTicks = unitTicks.byValue;
        // (the values that end from the release to the bound)
        const std::vector<Decomposer::Ticked>& byTicks = unitTicks.ordered;
        auto ticked = std::lower_bound(byTicks.begin(), byTicks.end(), release - start, [](const auto& t, std::uint64_t x) { return t.ticks < x; });
        for (; ticked != byTicks.end() && start + ticked->ticks <= bound; ++ticked) {
            const Value& v = values[ticked->index];
            if (inTuplet && (!v.triplet || !closesTuplet(base, start, v, bound))) continue;
            if (!inTuplet && v.triplet && !opensTuplet(start, v, bound, boundDelayed)) continue;
            const std::uint64_t ticks = ticked->ticks;
            if (!fits(std::uint32_t(start + ticks))) continue;
            const bool exact = std::all_of(chord.begin(), chord.end(), [&](std::size_t k) {
                return soundsExactly(ticks, lateBy(m_voice.notes[k]), sounding(m_voice.notes[k]));
            });
            if (exact) return true;
        }
        // Ties: whole 32nds, their parts in the orders a tie's ending is looked for in.
        if (!ties || inTuplet) return false;
        AnswerPerValue firstGives;  // (a first part gives the delays or not whatever the tie's length)
        const auto [shortest, longest] = tieLengths(start, release, bound, unit);
        if (longest >= shortest && (m_c.ties == TieCheck::PartByPart ||
                                    changesBetween(start, std::uint32_t(std::min<std::uint64_t>(bound, start + std::uint64_t(longest) * unit)))))
            return tieOverChange(start, release, bound, chord, shortest, longest, fits) != nullptr;
        for (std::uint32_t n = shortest; n <= longest; ++n) {
            const std::uint64_t total = std::uint64_t(n) * unit;
            if (!fits(std::uint32_t(start + total))) continue;
            // (the first part must give every delay, the last every release)
            AnswerPerValue lastGives;
            for (const std::vector<Decomposer::TieOrders::Ends>& byFirst : m_c.decomposer->tieOrders(n).byFirst) {
                const bool delays = firstGives.get(byFirst.front().first, [&] {
                    const std::uint64_t first = valueTicks[byFirst.front().first][0];
                    return std::all_of(chord.begin(), chord.end(), [&](std::size_t k) { return delayGives(first, lateBy(m_voice.notes[k])); });
                });
                if (!delays) continue;
                for (const Decomposer::TieOrders::Ends& ends : byFirst) {
                    const std::uint64_t last = valueTicks[ends.last][0];
                    if (start + total - last >= release) break;  // (this last part and the shorter ones end before the release)
                    const bool gives = lastGives.get(ends.last, [&] {
                        return std::all_of(chord.begin(), chord.end(), [&](std::size_t k) {
                            const std::int64_t target = std::int64_t(m_voice.notes[k].off) - std::int64_t(start + total - last);
                            return target >= 1 && target <= std::int64_t(last) && tieEndExact(last, target);
                        });
                    });
                    // (dotted parts of an odd clock lose their half ticks: the tie must keep its own)
                    if (gives && std::any_of(ends.orders.begin(), ends.orders.end(), [&](const auto* order) { return m_c.decomposer->partsTicks(*order, unit) == total; }))
                        return true;
                }
            }
        }
        return false;
    }

    // fitsOneGroup's ties where the clock changes under them (and all of them in the reference the
    // one-clock loop is tested against), and a song's last notes over a change: each part counts on
    // the clock at its own start (a part already sounding keeps its length), so every order is laid
    // out part by part. The order found, or null.
    template <typename Fits>
    const std::vector<Value>* tieOverChange(std::uint32_t start, std::uint32_t release, std::uint32_t bound, std::span<const std::size_t> chord,
                                            std::uint32_t shortest, std::uint32_t longest, const Fits& fits) const {
        const Decomposer& d = *m_c.decomposer;
        const std::vector<std::array<std::uint64_t, 2>>& atStart = d.ticksAt(unitAt(start)).byValue;
        for (std::uint32_t n = shortest; n <= longest; ++n) {
            for (const std::vector<Decomposer::TieOrders::Ends>& byFirst : d.tieOrders(n).byFirst) {
                const std::uint64_t first = atStart[byFirst.front().first][0];
                if (!std::all_of(chord.begin(), chord.end(), [&](std::size_t k) { return delayGives(first, std::int64_t(m_voice.notes[k].on) - std::int64_t(start)); }))
                    continue;
                for (const Decomposer::TieOrders::Ends& ends : byFirst) {
                    for (const std::vector<Value>* order : ends.orders) {
                        std::uint64_t at = start;
                        for (std::size_t p = 0; p + 1 < order->size(); ++p) at += valueTicks((*order)[p].length, std::uint32_t(at))[0];
                        const std::uint64_t last = d.ticksAt(unitAt(std::uint32_t(at))).byValue[ends.last][0];
                        if (at >= release || at + last > bound || !fits(std::uint32_t(at + last))) continue;
                        const bool gives = std::all_of(chord.begin(), chord.end(), [&](std::size_t k) {
                            const std::int64_t target = std::int64_t(m_voice.notes[k].off) - std::int64_t(at);
                            return target >= 1 && target <= std::int64_t(last) && tieEndExact(last, target);
                        });
                        if (gives) return order;
                    }
                }
            }
        }
        return nullptr;
    }

    // The clock's coarsest and finest 32nd in ticks from `from` to before `to`.
    std::pair<std::uint32_t, std::uint32_t> unitRange(std::uint32_t from, std::uint32_t to) const {
        std::uint32_t coarsest = unitAt(from), finest = coarsest;
        for (auto c = changeAfter(m_c.tempoTimeline, from); c != m_c.tempoTimeline.end() && c->tick < to; ++c) {
            coarsest = std::max(coarsest, unitAt(c->tick));
            finest = std::min(finest, unitAt(c->tick));
        }
        return {coarsest, finest};
    }

    // tieLengths for a tie whose parts each count on the clock at their own start: the shortest on
    // the coarsest clock on the way, the longest on the finest.
    std::pair<std::uint32_t, std::uint32_t> tieLengthsOverChanges(std::uint32_t start, std::uint32_t release, std::uint32_t limit) const {
        const auto [coarsest, finest] = unitRange(start, limit);
        return {tieLengths(start, release, limit, coarsest).first, tieLengths(start, release, limit, finest).second};
    }

    // The lengths in 32nds, shortest and longest, of a tie from `start` whose last part holds
    // `release` and that ends by `limit` (no part is longer than a dotted whole, at most two wholes);
    // none when the longest is the shorter.
    static std::pair<std::uint32_t, std::uint32_t> tieLengths(std::uint32_t start, std::uint32_t release, std::uint64_t limit, std::uint32_t unit) {
        const std::uint32_t shortest = (release - start + unit - 1) / unit;
        if (limit < start) return {1, 0};
        const std::uint64_t longest = std::min<std::uint64_t>({64, (limit - start) / unit, std::uint64_t(shortest) + 47});
        return {shortest, std::uint32_t(longest)};
    }

    // Where a note whose first part, `firstLength` long, ends at `start` can be tied on to from there,
    // by the orders of parts the writer tries that begin with that part, each counted on the clock at
    // its own start, so that its last part gives the release and all end by `limit`: the parts' length
    // after the first, the tick they end at, and (from `start`) where each part after the first starts
    // with its tick and which parts sound over a change; shortest first.
    struct TieEnd {
        int length = 0;
        std::uint32_t tick = 0;
        std::vector<std::pair<int, std::uint32_t>> starts;
        std::vector<std::pair<int, int>> closed;
    };
    std::vector<TieEnd> tieEnds(int firstLength, std::uint32_t start, std::uint32_t release, std::uint32_t limit) const {
        constexpr int k32nd = kWhole / 32;
        const Decomposer& d = *m_c.decomposer;
        std::vector<TieEnd> ends;
        if (firstLength % k32nd != 0 || !d.find(firstLength)) return ends;
        const std::uint8_t first = d.indexOf(firstLength);
        const auto [shortest, longest] = tieLengthsOverChanges(start, release, limit);
        // (on the finest clock on the way, the parts before a last part too short to hold the release
        // end after it however they fall)
        const std::uint32_t finest = unitRange(start, limit).second;
        for (std::uint32_t n = shortest; n <= longest; ++n) {
            const Decomposer::TieOrders& ties = d.tieOrders(std::uint32_t(firstLength / k32nd) + n);
            const auto byFirst = std::find_if(ties.byFirst.begin(), ties.byFirst.end(), [&](const auto& g) { return g.front().first == first; });
            if (byFirst == ties.byFirst.end()) continue;
            for (const Decomposer::TieOrders::Ends& group : *byFirst) {
                // (longest last first: once the parts before the last reach the release, so do the rest's)
                const std::int64_t before = std::int64_t(n) - d.values()[group.last].length / k32nd;
                if (before > 0 && std::int64_t(start) + before * std::int64_t(finest) - 2 * std::int64_t(n) >= std::int64_t(release)) break;
                for (const std::vector<Value>* order : group.orders) {
                    // (every part after the first starts before the release, on the clock at its start)
                    std::uint64_t at = start, lastStart = start, last = 0;
                    std::size_t p = 1;
                    for (; p < order->size() && at < release; ++p) {
                        lastStart = at;
                        last = valueTicks((*order)[p].length, std::uint32_t(at))[0];
                        at += last;
                    }
                    if (p < order->size() || at < release || at > limit || !tieEndExact(last, std::int64_t(release - lastStart))) continue;
                    if (std::any_of(ends.begin(), ends.end(), [&](const TieEnd& e) { return e.length == int(n) * k32nd && e.tick == at; })) continue;
                    TieEnd tie{int(n) * k32nd, std::uint32_t(at), {}, {}};
                    at = start;
                    int pos = 0;
                    for (p = 1; p < order->size(); ++p) {
                        const std::uint64_t ticks = valueTicks((*order)[p].length, std::uint32_t(at))[0];
                        tie.starts.push_back({pos, std::uint32_t(at)});
                        if (changesClock(std::uint32_t(at), std::uint32_t(at + ticks))) tie.closed.push_back({pos, pos + (*order)[p].length});
                        at += ticks;
                        pos += (*order)[p].length;
                    }
                    ends.push_back(std::move(tie));
                }
            }
        }
        return ends;
    }

    // True when the triplet `v` at `start` is the second or third of a tuplet of its own values that
    // begins at the straight start `base` and the next start `bound` leaves it room to close (a
    // delayed note is read in a tuplet of equal values only).
    bool closesTuplet(std::uint32_t base, std::uint32_t start, const Value& v, std::uint32_t bound) const {
        const std::uint64_t first = tripletTicks(v.type, unitAt(base))[1];
        // (the group at `base` takes the first value: its notes sound to the tick within it)
        if (m_head.tick == base && !std::all_of(m_head.notes.begin(), m_head.notes.end(), [&, ticks = first](std::size_t k) {
                const Note& n = m_voice.notes[k];
                return soundsExactly(ticks, std::int64_t(n.on - base), sounding(n));
            }))
            return false;
        const auto [second, third, end] = tupletPlaces(v.type, base);
        if (start == third) return true;
        // (the second: the next start is the third, or after the tuplet, or a delayed onset in between)
        return start == second && (bound == third || bound >= end || !onGrid(base, bound) ||
                                   (m_c.reading == Reading::LateThirdPlace && bound > third && bound < end));
    }

    // True when the triplet `v` at the straight start `start` can begin its tuplet: the next start
    // `bound` is the tuplet's second or third place, or after it, or (`delayed`, an onset off every
    // grid) struck late in the second place.
    bool opensTuplet(std::uint32_t start, const Value& v, std::uint32_t bound, bool delayed) const {
        const auto [second, third, end] = tupletPlaces(v.type, start);
        return bound == second || bound == third || bound >= end || (delayed && bound > second && bound < third);
    }

    // True when a group at `a` and one at `t` are the first and second, or second and third, of a
    // tuplet of one value that starts at the straight start `straight` (its first value takes the
    // tuplet's remainder, so the later ones lie a tick or two after the triplet grid).
    bool continuesTuplet(std::uint32_t straight, std::uint32_t a, std::uint32_t t) const {
        for (std::uint8_t type = 2; type <= 6; ++type) {
            const auto [second, third, end] = tupletPlaces(type, straight);
            if ((a == straight && t == second) || (a == second && t == third)) return true;
        }
        return false;
    }

    // The second and third places of a tuplet of three `type` triplets begun at `base`, and its end:
    // each value counts on the clock at its own start (the first also takes the tuplet's remainder).
    std::array<std::uint64_t, 3> tupletPlaces(std::uint8_t type, std::uint32_t base) const {
        const Stretch& stretch = stretchAt(base);
        const auto [cut, first] = tripletTicks(type, m_units[stretch.index]);
        const std::uint64_t second = base + first;
        if (second + cut < stretch.to) return {second, second + cut, second + 2 * cut};  // (one clock)
        const std::uint64_t third = second + tripletTicks(type, unitAt(std::uint32_t(second)))[0];
        return {second, third, third + tripletTicks(type, unitAt(std::uint32_t(third)))[0]};
    }

    // True when `t` can be a group start after the straight one at `a`: a whole number of the
    // exporter's 32nds away, or of 16th triplets within a tick, or up to 4/3 tick after them when the
    // 32nd is not a whole number of thirds (a tuplet's first value takes the remainder of up to two
    // ticks), or on another clock.
    bool onGrid(std::uint32_t a, std::uint32_t t) const {
        if (changesBetween(a, t + 1)) return true;
        const std::uint64_t unit = unitAt(a), gap = t - a;
        if (gap % unit == 0) return true;
        const std::uint64_t k = (3 * gap + 2 * unit) / (4 * unit);  // 16th triplets, rounded
        const std::int64_t thirds = std::int64_t(3 * gap) - std::int64_t(4 * unit * k);  // of a tick, past the triplet
        return k > 0 && thirds > -3 && thirds <= (unit % 3 == 0 ? 2 : 4);
    }

    // Positions from one group start of this voice to the next, and where groups on a new clock
    // start within them. A tempo change of another track between them (format 0) sets the clock
    // for the groups that start after it, while a group already sounding keeps the length it began
    // with: the groups before the change are taken to end on the old clock's 32nd grid (or to be
    // one value, a triplet sounding over it), after the release of the notes struck at `from`,
    // where the rest of the way, change by change, comes to a whole number of positions; failing
    // that (`lateAllowed`), to a group that starts a little before `to` and strikes its notes late.
    // `phase` and `own`: see fitSpan.
    struct Span {
        int length = 0;
        std::vector<std::pair<int, std::uint32_t>> clockStarts;  // from `from`, and tick; where the clock counts otherwise
        std::vector<std::pair<int, int>> closed;  // from `from`: stretches over a change, kept whole
        std::uint32_t late = 0;  // ticks the notes at `to` are struck after their group's start
        int tieEnd = 0;  // from `from`: where the latest release at `from` is tied to, if it is (0)
    };

    // The notes struck where a search starts (none further on), each from its onset to its release.
    struct Sound {
        std::uint32_t on = 0, off = 0;
    };
    struct Struck {
        std::span<const Sound> notes;
        std::uint32_t release() const {
            std::uint32_t latest = 0;
            for (const Sound& n : notes) latest = std::max(latest, n.off);
            return latest;
        }
    };

    Span span(std::uint32_t from, std::uint32_t to, const Struck& struck, int phase, int own, bool lateAllowed) {
        constexpr double k32nd = kWhole / 32.0;
        const bool changes = changesBetween(from, to);
        if (!changes) return {int(std::lround(double(to - from) * k32nd / unitAt(from))), {}, {}};
        // A note held over many changes is not searched for ever, nor a file of such notes.
        int budget = std::min(5000, m_searchLeft);
        // Each search with the release in the group over the change or in a tie from its end that the
        // writer can end there exactly (the nearer end first), then without the release.
        std::array<std::pair<Struck, bool>, 2> releases = {{{struck, true}, {Struck{}, false}}};
        if (m_c.reading == Reading::ReleaseLast) std::swap(releases[0], releases[1]);
        auto search = [&](const SpanWay& way) -> std::optional<Span> {
            SpanAnswers answers;  // (the release counts only at `from`: the ways on are the same)
            for (const auto& [sounding, tied] : releases) {
                const int before = budget;
                auto found = fitSpan(from, to, sounding, way, budget, answers, phase, true, tied, own);
                m_searchLeft -= before - budget;
                if (found) return found;
            }
            return std::nullopt;
        };
        // Straight rests after the change first, then any.
        for (const auto& [grid, values] : {std::pair{int(k32nd), false}, {int(k32nd), true}, {1, false}, {1, true}}) {
            if (auto found = search({grid, values, 0})) return *found;
        }
        // Else the notes at `to` may be struck late in a group that starts earlier on the new clock.
        if (lateAllowed) {
            for (const bool values : {false, true}) {
                if (auto found = search({int(k32nd), values, 13 * unitAt(to)})) return *found;
            }
        }
        // Nothing fits: each stretch between changes on its own clock.
        double length = 0;
        std::uint32_t at = from;
        for (const Change& c : m_c.tempoTimeline) {
            if (c.tick <= from || c.tick >= to) continue;
            length += double(c.tick - at) * k32nd / unitAt(at);
            at = c.tick;
        }
        length += double(to - at) * k32nd / unitAt(at);
        return {int(std::lround(length)), {}, {}};
    }

    // The answers of one search (one `to`, `grid` and `values`) for the rest of the way from a tick,
    // with or without a tuplet open there, and the budget each took: the search reaches the same
    // ticks along many ways. An answer counts only where the budget left would not have cut it short.
    struct SpanAnswer {
        std::optional<Span> span;
        int cost = 0;
    };
    using SpanAnswers = std::unordered_map<std::uint64_t, SpanAnswer>;

    // What one search looks for besides its ends: the rests after a change on a grid of `grid`
    // positions (a 32nd or any), values other than straight rests or not, and up to how many ticks
    // the notes at the end may be struck late in a group that starts before it (0: none).
    struct SpanWay {
        int grid = kWhole / 32;
        bool values = false;
        std::uint32_t lateLimit = 0;
    };

    // `phase`: the position of `from` past the 32nd grid (a tuplet the group there must close).
    // `tupletOpen`: a triplet at `from` may continue a tuplet (else it is the first of its own).
    // `tied`: the notes struck at `from` may release in a tie from the end of the group over the change.
    // `own`: off the grid, the length of the tuplet's values (the way from the group before), tried first.
    std::optional<Span> fitSpan(std::uint32_t from, std::uint32_t to, const Struck& struck, const SpanWay& way,
                                int& budget, SpanAnswers& answers, int phase, bool tupletOpen = true, bool tied = false,
                                int own = 0) const {
        if (!struck.notes.empty()) return searchSpan(from, to, struck, way, budget, answers, phase, tupletOpen, tied, own);
        const std::uint64_t key = std::uint64_t(from) << 5 | std::uint64_t(phase) << 1 | (tupletOpen ? 1 : 0);
        if (const auto known = answers.find(key); known != answers.end() && budget - known->second.cost >= 1) {
            budget -= known->second.cost;
            return known->second.span;
        }
        const int start = budget;
        std::optional<Span> found = searchSpan(from, to, struck, way, budget, answers, phase, tupletOpen, false, own);
        // (with a budget left at the end, no check of it on the way cut the search short)
        if (budget >= 1) answers[key] = {found, start - budget};
        return found;
    }

    std::optional<Span> searchSpan(std::uint32_t from, std::uint32_t to, const Struck& struck, const SpanWay& way,
                                   int& budget, SpanAnswers& answers, int phase, bool tupletOpen, bool tied, int own) const {
        constexpr double k32nd = kWhole / 32.0;
        if (--budget < 0) return std::nullopt;
        const std::uint32_t before = unitAt(from);
        const auto change = firstChange(m_c.tempoTimeline, from, to);
        if (change == m_c.tempoTimeline.end()) {
            const double rest = double(to - from) * k32nd / before;
            const long whole = std::lround(rest);
            // The groups there (rests, tied parts) come to the ticks exactly, as the exporter counts them.
            if (std::abs(rest - double(whole)) * before / k32nd < 0.5 && whole % way.grid == 0 &&
                m_c.decomposer->splitTicks(int(whole), before) == to - from)
                return Span{int(whole), {}, {}};
            // (or up to the start of a group whose notes are struck late)
            for (long k = long(rest / k32nd) * long(k32nd), n = 0; way.lateLimit != 0 && k >= 0 && n < 13; k -= long(k32nd), ++n) {
                const std::uint64_t ticks = m_c.decomposer->splitTicks(int(k), before);
                if (ticks < to - from && to - from - ticks <= way.lateLimit)
                    return Span{int(k), {}, {}, std::uint32_t(to - from - ticks)};
            }
            return std::nullopt;
        }
        const std::uint32_t release = struck.release();
        const std::uint32_t earliest = tied ? change->tick : std::max(change->tick, release);
        const std::vector<std::array<std::uint64_t, 2>>& atClock = ticksAt(before).byValue;  // by value index
        // The groups up to `ticks` on this clock, `length` long, then the rest of the way (after the
        // parts the notes struck at `from` are tied on by, where they sound on).
        auto then = [&](std::uint64_t ticks, int length, bool open = false) -> std::optional<Span> {
            if (from + ticks < earliest || from + ticks > to) return std::nullopt;
            const std::uint32_t end = std::uint32_t(from + ticks);
            // The rest of the way from the end of the tie the note is held by, if any.
            auto after = [&](const TieEnd& tie) -> std::optional<Span> {
                auto rest = fitSpan(tie.tick, to, Struck{}, way, budget, answers, (phase + length + tie.length) % int(k32nd), open && tie.length == 0);
                if (!rest) return std::nullopt;
                const int more = length + tie.length;
                Span found{more + rest->length, {}, {}, rest->late};
                const bool newClock = unitAt(end) != before;
                // (each part of a tie is a group of its own, anchored at its tick: its parts are
                // counted so, and the note ends where the tie does)
                if (newClock && tie.length == 0) found.clockStarts.push_back({length, end});
                for (const auto& [start, tick] : tie.starts) found.clockStarts.push_back({length + start, tick});
                if (tie.length != 0) {
                    found.clockStarts.push_back({more, tie.tick});
                    found.tieEnd = more;
                }
                // No bar line splits a stretch over a change of clock (even one changed back by its
                // end): a part starting after the change would count on the new clock.
                if (newClock || changesClock(from, end)) found.closed.push_back({0, length});
                for (const auto& [lo, hi] : tie.closed) found.closed.push_back({length + lo, length + hi});
                for (const auto& [start, tick] : rest->clockStarts) found.clockStarts.push_back({more + start, tick});
                for (const auto& [lo, hi] : rest->closed) found.closed.push_back({more + lo, more + hi});
                return found;
            };
            if (!tied || end >= release) return after({0, end, {}, {}});
            for (const TieEnd& tie : tieEnds(length, end, release, to)) {
                if (auto found = after(tie)) return found;
            }
            return std::nullopt;
        };
        // One value over the change first (one whose delays and gates give every note struck at
        // `from` before any; then any, for notes tied on from it plain values before dotted before
        // double-dotted), then stretches of several whose parts can all start on this clock
        // (shortest first, the last part starts earliest): a part starting after the change would
        // count on the new clock.
        // (off the 32nd grid, triplets only, the first closing its tuplet or going on with it)
        auto dotsRank = [&](int length) {
            const std::uint8_t dots = m_c.decomposer->find(length)->dots;
            return dots == 0 ? 0 : dots == mark::kDotted ? 1 : 2;
        };
        for (const int pass : {0, 1, 2, 3, 4}) {
            if (phase != 0) break;
            const bool single = pass < 4;
            if ((pass == 0 && release <= from) || (!tied && (pass == 2 || pass == 3))) continue;
            for (std::uint32_t k = (earliest - from + before - 1) / before; from + k * before <= to && budget > 0; ++k) {
                const int length = int(k) * int(k32nd);
                if (m_c.decomposer->single(length) != single) continue;
                // (one that holds the release must give it: the first pass tried those)
                if (tied && single && pass > 0 && (dotsRank(length) != pass - 1 || from + k * before >= release)) continue;
                if (pass == 0 && !std::all_of(struck.notes.begin(), struck.notes.end(), [&](const Sound& n) {
                        return soundsExactly(k * before, std::int64_t(n.on) - std::int64_t(from), std::int64_t(n.off) - std::int64_t(n.on));
                    }))
                    continue;
                if (!single && from + k * before - atClock[m_c.decomposer->indexOf(m_c.decomposer->split(length).front().length)][0] >= change->tick) continue;
                if (auto found = then(k * before, length)) return found;
            }
        }
        // (longest first, after the tuplet's own value off the grid)
        const Value* ownValue = phase != 0 ? m_c.decomposer->find(own) : nullptr;
        const std::size_t count = m_c.decomposer->values().size();
        for (std::size_t n = ownValue ? 0 : 1; way.values && n <= count; ++n) {
            const std::size_t i = n == 0 ? m_c.decomposer->indexOf(own) : n - 1;
            if (n > 0 && ownValue && i == m_c.decomposer->indexOf(own)) continue;
            const Value& v = m_c.decomposer->values()[i];
            if (phase != 0 && !v.triplet) continue;
            const std::array<std::uint64_t, 2> both = atClock[i];
            for (const std::uint64_t ticks : both) {
                // A triplet after straight groups is the first of its tuplet, which takes its remainder.
                if (v.triplet && !tupletOpen && ticks != both[1]) continue;
                if (auto found = then(ticks, v.length, v.triplet)) return found;
                if (!v.triplet || (phase != 0 && (phase + v.length) % int(k32nd) != 0)) continue;
                for (std::uint32_t k = 1; from + ticks + k * before <= to && budget > 0; ++k) {
                    if (auto found = then(ticks + k * before, v.length + int(k) * int(k32nd))) return found;
                }
            }
        }
        return std::nullopt;
    }

    double raw(std::uint32_t tick) const {
        if (tick <= m_c.origin) return 0;
        if (!m_c.exact) return double(tick - m_c.origin) * kBeat / m_c.timeBase;
        const auto& [at, pos] = m_anchors[anchorBefore(tick, &Anchor::first, m_tickHint)];
        return pos + double(tick - at) * (kWhole / 32.0) / unitAt(at);
    }

    // The index of the last anchor whose `key` (tick or position: both rise) is at most `k`, or none;
    // `hint` keeps the answer for the next lookup, which mostly falls near it.
    using Anchor = std::pair<std::uint32_t, int>;
    static constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();
    template <typename Key>
    std::size_t anchorBefore(Key k, Key Anchor::*key, std::size_t& hint) const {
        const std::vector<Anchor>& list = m_anchors;
        if (hint < list.size() && list[hint].*key <= k && (hint + 1 == list.size() || k < list[hint + 1].*key)) return hint;
        const auto after = std::upper_bound(list.begin(), list.end(), k, [&](Key x, const Anchor& a) { return x < a.*key; });
        hint = after == list.begin() ? kNone : std::size_t(after - list.begin()) - 1;
        return hint;
    }

    int straightUnit() const { return kWhole / m_c.grid; }
    int tripletUnit() const { return straightUnit() * 2 / 3; }

    // Each beat is straight or triplet, whichever its onsets fit twice as well (a loose swing too).
    void decideBeats() {
        if (!m_c.triplets) return;
        std::map<int, std::pair<double, double>> errors;
        for (const Note& n : m_voice.notes) {
            const double x = raw(n.on);
            const int beat = int(std::floor(x / kBeat));
            const double inBeat = x - beat * kBeat;
            auto error = [&](int unit) {
                const double r = std::fmod(inBeat, unit);
                return std::min(r, unit - r);
            };
            errors[beat].first += error(straightUnit());
            errors[beat].second += error(tripletUnit());
        }
        for (const auto& [beat, e] : errors) {
            if (e.second * 2 < e.first) m_tripletBeats.push_back(beat);
        }
    }

    bool tripletBeat(int beat) const { return std::binary_search(m_tripletBeats.begin(), m_tripletBeats.end(), beat); }

    int snap(double x) const {
        if (m_c.exact) return int(std::lround(x));
        const int beat = int(std::floor(x / kBeat));
        const int unit = tripletBeat(beat) ? tripletUnit() : straightUnit();
        const double inBeat = x - beat * kBeat;
        return beat * kBeat + int(std::lround(inBeat / unit)) * unit;
    }

    int position(std::uint32_t tick) const { return snap(raw(tick)); }

    void placeNotes() {
        std::vector<Note>& notes = m_voice.notes;
        for (Note& n : notes) {
            n.rawOn = raw(n.on);
            n.rawOff = raw(n.off);
            n.pOn = m_c.exact ? position(n.start) : snap(n.rawOn);
        }
        std::stable_sort(notes.begin(), notes.end(), [](const Note& a, const Note& b) { return a.pOn < b.pOn; });
        m_endPos = m_voice.endTick != 0 && m_c.exact ? position(m_voice.endTick) : kNoEnd;
        // A song that does not end the track must not reach past its end (which may fall after an
        // inner tuplet value, whose ticks the exporter truncates by up to 2/3 of a tick: up to the
        // next position within that).
        if (m_endPos != kNoEnd && !m_c.endsTrack) {
            const std::size_t a = anchorBefore(m_voice.endTick, &Anchor::first, m_tickHint);
            const std::uint32_t at = a == kNone ? m_c.origin : m_anchors[a].first;
            const double slack = changesBetween(at, m_voice.endTick + 1) ? 0 : 2.0 / 3 * (kWhole / 32.0) / unitAt(at);
            const double end = raw(m_voice.endTick);
            m_endPos = int(std::min(std::ceil(end - 1e-6), std::floor(end + slack + 1e-6)));
        }
        // Groups of their own: a note kept to the next onset must not reach over one.
        for (const Effect& e : m_voice.effects) m_fixed.push_back(position(e.tick));
        for (const Change& c : m_c.tempoRecords) m_fixed.push_back(position(c.tick));
        for (const auto* list : {&m_c.signatures, &m_c.keys}) {
            for (const Change& c : *list) {
                if (m_c.signaturesAreGroups) m_fixed.push_back(position(c.tick));
            }
        }
        std::sort(m_fixed.begin(), m_fixed.end());
        std::vector<int> onsets;
        for (const Note& n : notes) onsets.push_back(n.pOn);
        // A group that begins on a new clock ends the notes before it like an onset.
        onsets.insert(onsets.end(), m_clockStarts.begin(), m_clockStarts.end());
        std::sort(onsets.begin() + std::ptrdiff_t(notes.size()), onsets.end());
        std::inplace_merge(onsets.begin(), onsets.begin() + std::ptrdiff_t(notes.size()), onsets.end());  // (notes by onset)
        onsets.erase(std::unique(onsets.begin(), onsets.end()), onsets.end());
        auto nextOnset = [&](int pos) {
            const auto it = std::upper_bound(onsets.begin(), onsets.end(), pos);
            return it == onsets.end() ? m_endPos : *it;
        };
        const int unit = m_c.exact ? 1 : straightUnit();
        for (std::size_t i = 0; i < notes.size();) {
            std::size_t j = i;
            while (j < notes.size() && notes[j].pOn == notes[i].pOn) ++j;
            const int p = notes[i].pOn;
            const int next = nextOnset(p);
            int tiedEnd = 0;
            bool chordEnds = true;
            // (where the notes were found tied on over a change, the latest release ends with the tie)
            const auto spanTie = std::lower_bound(m_tieEnds.begin(), m_tieEnds.end(), std::pair{p, 0});
            std::uint32_t latest = 0;
            for (std::size_t k = i; k < j; ++k) latest = std::max(latest, notes[k].off);
            double sound = 0;
            for (std::size_t k = i; k < j; ++k) {
                // (from the group's start: a delayed note sounds to its release from there)
                sound = std::max(sound, notes[k].rawOff - (m_c.exact ? notes[k].pOn : notes[k].rawOn));
                if (notes[k].rawOff > next + 0.5) chordEnds = false;
            }
            for (std::size_t k = i; k < j; ++k) {
                Note& n = notes[k];
                if (chordEnds) {
                    n.end = m_c.exact ? p + m_c.decomposer->atLeast(sound) : std::max(snap(p + sound), p + unit);
                    // The last notes of a file have no onset to reach: they reach the next beat instead.
                    const int beat = int(std::ceil((p + sound) / kBeat - 1e-9)) * kBeat;
                    if (!m_c.exact && next == kNoEnd && 4 * sound >= 3 * (beat - p)) n.end = std::max(n.end, beat);
                    n.end = std::min(n.end, next);
                    const bool reach = isOnset(next);
                    if (reach && keepsLength(next - p, sound, notes, i, j)) n.end = next;
                    else if (k == i && reach && 2 * sound + 0.5 >= next - p && tiesExactlyTo(next, notes, i, j)) tiedEnd = next;
                    else if (const int exact = exactLength(next - p, sound, notes, i, j)) n.end = p + exact;
                    else if (k == i) {
                        if (!reach) tiedEnd = tieLastNotesOverChanges(i, j);
                        if (tiedEnd == 0) tiedEnd = exactTie(next, sound, notes, i, j);
                    }
                    if (tiedEnd != 0) n.end = tiedEnd;
                    if (m_c.exact && k == i) splitForGate(n.end - p, notes, i, j);
                } else {
                    // Held past the next onset: its end is counted from the last onset it sounds over.
                    if (spanTie != m_tieEnds.end() && spanTie->first == p && n.off == latest) {
                        n.end = spanTie->second;
                        continue;
                    }
                    const double off = n.rawOff;
                    // (in our own files, the onsets before its release tick)
                    // (looked for from its own onset: the release is mostly near)
                    const auto last = m_c.exact
                        ? nearPartitionPoint(onsets.begin(), std::upper_bound(onsets.begin(), onsets.end(), p), onsets.end(), [&](int q) { return tickAt(q) < n.off; })
                        : std::upper_bound(onsets.begin(), onsets.end(), int(std::floor(off - 0.5)));
                    const int from = last == onsets.begin() ? p : *(last - 1);
                    const int after = last == onsets.end() ? m_endPos : *last;
                    n.end = m_c.exact ? from + m_c.decomposer->atLeast(off - from) : snap(off);
                    // A gate holds at most its length: the length must reach the release tick.
                    const std::uint32_t fromTick = m_c.exact ? tickAt(from) : 0;
                    while (m_c.exact && n.end - from < kWhole * 64 && fromTick + ticksOf(n.end - from, fromTick) < n.off)
                        n.end = from + m_c.decomposer->atLeast(n.end - from + 1);
                    n.end = std::max(n.end, from + unit);
                    if (after != kNoEnd) {
                        n.end = std::min(n.end, after);
                        // (in our own files, not where only the shorter end gives the release exactly)
                        const bool longer = (m_c.exact ? 2 : 4.0 / 3) * (off - from) + 0.5 >= after - from;
                        bool exact = false;
                        if (!m_c.exact) {
                            if (longer) n.end = after;
                        } else if (longer && releasesExactly({k}, from, after)) {
                            n.end = after, exact = true;
                        } else {
                            // (a rest after it must not start on another clock than the stretch it is in)
                            const bool newClock = endPastChange(n.end, after);
                            exact = !newClock && releasesExactly({k}, from, n.end);
                            if ((longer || newClock) && !exact) n.end = after;
                        }
                        // (else the shortest end on the 32nd grid that does, with a straight rest to the next onset)
                        if (m_c.exact && !exact) {
                            constexpr int k32nd = kWhole / 32;
                            const int limit = int(std::min<double>(after, from + 2 * (off - from) + kWhole));
                            for (int end = from + int(std::ceil((off - from) / k32nd)) * k32nd; end < limit; end += k32nd) {
                                if (m_c.decomposer->straight(after - end) && !endPastChange(end, after) && releasesExactly({k}, from, end)) {
                                    n.end = end;
                                    break;
                                }
                            }
                        }
                    }
                }
            }
            i = j;
        }
    }

    // A chord that sounds at least three quarters of the time to the next onset is written that long;
    // a shorter one is followed by a rest. In our own files a gate must give its sounding ticks
    // exactly, and then one length to the next onset is kept however short the sound: a note and a
    // rest would count their ticks apart, which a triplet or a dotted 32nd truncates differently.
    bool keepsLength(int length, double sound, std::vector<Note>& notes, std::size_t from, std::size_t to) const {
        // Drum hits are short: in a rhythm song they are written to the next onset.
        if (!m_c.exact) return m_voice.channel == 9 || 4 * sound + 0.5 >= 3 * length;
        const bool single = m_c.decomposer->split(length).size() == 1;
        if (2 * sound + 0.5 < length && !single) return false;
        const int p = notes[from].pOn;
        const auto fixed = std::upper_bound(m_fixed.begin(), m_fixed.end(), p);
        if (fixed != m_fixed.end() && *fixed < p + length) return false;
        // A length of several values is a tie, whose last part must give the releases.
        return single ? gatesExact(length, notes, from, to) : tiesExactlyTo(p + length, notes, from, to);
    }

    // The ticks the exporter gives one length at the tempo of `tick`: a triplet's as an inner one
    // and as the first of its tuplet, which also takes the remainder of the tuplet's span.
    std::array<std::uint64_t, 2> valueTicks(int length, std::uint32_t tick) const {
        if (m_c.decomposer->find(length)) return ticksAt(unitAt(tick)).byValue[m_c.decomposer->indexOf(length)];
        const std::uint64_t ticks = ticksOf(length, tick);
        return {ticks, ticks};
    }

    // True when one delay and gate for each note of the chord give its onset and sounding ticks over
    // `length`.
    bool gatesExact(int length, const std::vector<Note>& notes, std::size_t from, std::size_t to) const {
        for (const std::uint64_t ticks : valueTicks(length, notes[from].start)) {
            bool exact = true;
            for (std::size_t k = from; k < to && exact; ++k) exact = soundsExactly(ticks, late(notes[k]), sounding(notes[k]));
            if (exact) return true;
        }
        return false;
    }

    // In our own files: a chord sounding most of the way to the next onset is tied there when the
    // last part of the tie gives every release exactly (in its own tempo).
    bool tiesExactlyTo(int next, std::vector<Note>& notes, std::size_t from, std::size_t to) const {
        const int p = notes[from].pOn;
        if (!m_c.exact || !m_c.decomposer->straight(next - p)) return false;
        const auto fixed = std::upper_bound(m_fixed.begin(), m_fixed.end(), p);
        if (fixed != m_fixed.end() && *fixed < next) return false;
        std::vector<std::size_t> chord(to - from);
        std::iota(chord.begin(), chord.end(), from);
        return releasesExactly(chord, p, next);
    }

    // In our own files: whether the notes `chord`, sounding in the segment from `a`, release to the
    // tick when they end at `end`, their last parts in that segment.
    bool releasesExactly(const std::vector<std::size_t>& chord, int a, int end) const {
        std::vector<int> ends;
        for (const std::size_t k : chord) {
            ends.push_back(m_voice.notes[k].end);
            m_voice.notes[k].end = end;
        }
        const bool exact = exactEnding(end - a, a, chord).has_value();
        for (std::size_t i = 0; i < chord.size(); ++i) m_voice.notes[chord[i]].end = ends[i];
        return exact;
    }

    // True when `next`, the position after some notes, is where something follows them: not the end
    // of the song, unless the song ends the track (a format 0 track that another song ends).
    bool isOnset(int next) const { return next != kNoEnd && (next != m_endPos || m_c.endsTrack); }

    // In our own files, the last notes of a song, struck at `from` to `to`, sounding over a change of
    // clock with nothing after them: a tie whose parts each count on the clock at their own start
    // (the first gives every delay, the last every release) within the track. Each part becomes a
    // group of its own, anchored at its tick; 0 when none fits.
    int tieLastNotesOverChanges(std::size_t from, std::size_t to) {
        const std::vector<Note>& notes = m_voice.notes;
        const int p = notes[from].pOn;
        if (!m_c.exact || m_voice.endTick == 0 || std::upper_bound(m_fixed.begin(), m_fixed.end(), p) != m_fixed.end()) return 0;
        // (the anchors added below would move the ends of earlier notes still sounding)
        if (std::any_of(notes.begin(), notes.begin() + std::ptrdiff_t(from), [&](const Note& n) { return n.end > p; })) return 0;
        const std::uint32_t start = tickAt(p);
        std::uint32_t release = start;
        for (std::size_t k = from; k < to; ++k) release = std::max(release, notes[k].off);
        if (!changesClock(start, release)) return 0;
        std::vector<std::size_t> chord(to - from);
        std::iota(chord.begin(), chord.end(), from);
        const auto [shortest, longest] = tieLengthsOverChanges(start, release, m_voice.endTick);
        const std::vector<Value>* order = longest >= shortest ? tieOverChange(start, release, m_voice.endTick, chord, shortest, longest, [](std::uint32_t) { return true; }) : nullptr;
        if (!order) return 0;
        int pos = p;
        std::uint64_t at = start;
        for (const Value& v : *order) {
            if (pos != p) {
                m_splits.push_back(pos);
                m_anchors.push_back({std::uint32_t(at), pos});
            }
            at += valueTicks(v.length, std::uint32_t(at))[0];
            pos += v.length;
        }
        m_closed.push_back({p, pos});  // (no bar line cuts the parts)
        return pos;
    }

    // In our own files, failing one length: the shortest tie on the 32nd grid, up to the next onset,
    // whose last part gives every release; 0 when none does.
    int exactTie(int next, double sound, std::vector<Note>& notes, std::size_t from, std::size_t to) const {
        constexpr int k32nd = kWhole / 32;
        const int p = notes[from].pOn;
        if (!m_c.exact || p % k32nd != 0) return 0;
        const int limit = int(std::min<std::int64_t>(next, p + 2 * std::int64_t(std::ceil(sound)) + kWhole));
        // The rest after the tie should be straight, unless no rest follows: the song's last notes
        // in a format 0 track that another song ends.
        const bool restAfter = isOnset(next);
        for (int end = p + (int(std::ceil(sound)) + k32nd - 1) / k32nd * k32nd; end <= limit; end += k32nd) {
            if (restAfter && end != next && !m_c.decomposer->straight(next - end)) continue;
            if (endPastChange(end, next)) continue;
            if (tiesExactlyTo(end, notes, from, to)) return end;
        }
        return 0;
    }

    // In our own files: the shortest length up to `room` whose gate gives every note of the chord its
    // sounding ticks, ending on the 32nd grid so that the rest after it is straight however bar lines
    // cut it (a triplet only closes its tuplet so); 0 when none does.
    int exactLength(int room, double sound, const std::vector<Note>& notes, std::size_t from, std::size_t to) const {
        constexpr int k32nd = kWhole / 32;
        const int p = notes[from].pOn;
        if (!m_c.exact || room == kNoEnd) return 0;
        // An effect or a change starts a group of its own: the note ends there at the latest.
        const auto fixed = std::upper_bound(m_fixed.begin(), m_fixed.end(), p);
        if (fixed != m_fixed.end() && *fixed < p + room) room = *fixed - p;
        // The last notes of a song that another ends the format 0 track after: no rest follows them,
        // so the plain length that holds their sound will do.
        if (!m_c.endsTrack && p + room >= m_endPos) {
            // (a chord at a tuplet's place closes it first)
            for (const Value& v : m_c.decomposer->values()) {
                if (p % k32nd != 0 && v.triplet && (p + v.length) % k32nd == 0 && v.length <= room && v.length + 0.5 >= sound &&
                    gatesExact(v.length, notes, from, to))
                    return v.length;
            }
            const int plain = m_c.decomposer->atLeast(sound);
            if (plain <= room && gatesExact(plain, notes, from, to)) return plain;
            // Else any length that does: nothing follows for the grid to matter.
            const std::vector<Value>& values = m_c.decomposer->values();
            for (auto v = values.rbegin(); v != values.rend() && v->length <= room; ++v) {
                if (!v->triplet && v->length + 0.5 >= sound && gatesExact(v->length, notes, from, to)) return v->length;
            }
        }
        const std::vector<Value>& values = m_c.decomposer->values();
        if ((p + room) % k32nd != 0) {
            // (a next start off the grid is the second or third of a tuplet this chord begins)
            for (auto v = values.rbegin(); v != values.rend(); ++v) {
                if (v->triplet && (room == v->length || room == 2 * v->length) && v->length + 0.5 >= sound &&
                    !barWithin(p, p + 3 * v->length) && gatesExact(v->length, notes, from, to))
                    return v->length;
            }
            return 0;
        }
        for (auto v = values.rbegin(); v != values.rend(); ++v) {
            if (v->length + 0.5 < sound || (p + v->length) % k32nd != 0) continue;
            if (v->length > room) break;
            if (endPastChange(p + v->length, p + room)) continue;
            if (gatesExact(v->length, notes, from, to)) return v->length;
        }
        return 0;
    }

    // The bar lines up to `to` at least: counted on as far as asked, twice as far each time.
    const std::vector<int>& barsTo(int to) const {
        if (to > m_barsCounted) {
            m_barsCounted = std::max(to, m_barsCounted < kNoEnd / 2 ? 2 * m_barsCounted : kNoEnd);
            m_bars = barPositions(m_barsCounted);
        }
        return m_bars;
    }

    // True when a bar line falls after `from` and before `to`.
    bool barWithin(int from, int to) const {
        const std::vector<int>& bars = barsTo(to);
        const auto bar = std::upper_bound(bars.begin(), bars.end(), from);
        return bar != bars.end() && *bar < to;
    }

    static std::int64_t late(const Note& n) { return std::int64_t(n.on) - std::int64_t(n.start); }
    static std::int64_t sounding(const Note& n) { return std::int64_t(n.off) - std::int64_t(n.on); }

    std::uint64_t ticksOf(int length, std::uint32_t tick) const {
        return std::uint64_t(length) * unitAt(tick) / (kWhole / 32);
    }

    // A chord written as one length whose gate cannot give its sounding ticks is tied from a first
    // part to a last one, whose delay and gate together can.
    void splitForGate(int length, const std::vector<Note>& notes, std::size_t from, std::size_t to) {
        const std::uint32_t at = notes[from].start;
        auto single = [&](int l) { return m_c.decomposer->split(l).size() == 1; };
        if (!single(length) || length % 3 != 0) return;  // triplet lengths are not measured here
        if (barWithin(notes[from].pOn, notes[from].pOn + length)) return;  // (a bar line splits it already)
        bool exact = true, delayed = false;
        for (std::size_t k = from; k < to; ++k) {
            exact = exact && soundsExactly(ticksOf(length, at), late(notes[k]), sounding(notes[k]));
            delayed = delayed || late(notes[k]) != 0;
        }
        if (exact || delayed) return;  // (a delay is given by the first part, a release by the last: not split here)
        for (const int first : {length * 3 / 4, length / 2, length / 4, length * 7 / 8}) {
            if (first <= 0 || !single(first) || !single(length - first) || closed(notes[from].pOn + first)) continue;
            // Double-dotted halves of an odd clock lose a tick between them.
            if (valueTicks(first, at)[0] + valueTicks(length - first, at)[0] != valueTicks(length, at)[0]) continue;
            bool fits = true;
            for (std::size_t k = from; k < to && fits; ++k) {
                const std::int64_t target = std::int64_t(notes[k].off) - std::int64_t(notes[k].on) - std::int64_t(ticksOf(first, at));
                fits = target >= 1 && tieEndExact(ticksOf(length - first, at), target);
            }
            if (fits) {
                m_splits.push_back(notes[from].pOn + first);
                return;
            }
        }
    }

    std::vector<int> barPositions(int last) const {
        std::vector<int> bars;
        int from = 0;
        std::uint8_t num = m_c.numerator, power = m_c.power;
        std::vector<std::pair<int, Change>> sigs;
        for (const Change& c : m_c.signatures) sigs.push_back({position(c.tick), c});
        std::size_t s = 0;
        for (;;) {
            const int length = std::max(1, int(num) * (kWhole >> std::min<int>(power, 5)));
            int bar = from + length;
            while (s < sigs.size() && sigs[s].first <= bar) {
                if (sigs[s].first > from) bars.push_back(sigs[s].first);
                from = sigs[s].first;
                num = sigs[s].second.a, power = sigs[s].second.b;
                ++s;
                bar = from + std::max(1, int(num) * (kWhole >> std::min<int>(power, 5)));
            }
            if (bar > last) break;
            bars.push_back(bar);
            from = bar;
        }
        return bars;
    }

    void segments() {
        std::vector<int> bounds = {0};
        bounds.insert(bounds.end(), m_splits.begin(), m_splits.end());
        bounds.insert(bounds.end(), m_clockStarts.begin(), m_clockStarts.end());
        int last = 0;
        for (const Note& n : m_voice.notes) {
            bounds.push_back(n.pOn);
            bounds.push_back(n.end);
            last = std::max(last, n.end);
        }
        for (Effect& e : m_voice.effects) {
            e.pos = position(e.tick);
            bounds.push_back(e.pos);
        }
        auto addChanges = [&](const std::vector<Change>& list) {
            for (const Change& c : list) bounds.push_back(position(c.tick));
        };
        addChanges(m_c.tempoRecords);
        // Effects after the notes are held by one rest of the finest length; signatures need none.
        int tail = -1;
        for (std::size_t i = 1 + m_splits.size() + m_clockStarts.size() + 2 * m_voice.notes.size(); i < bounds.size(); ++i) tail = std::max(tail, bounds[i]);
        if (m_c.signaturesAreGroups) {
            const std::size_t from = bounds.size();
            addChanges(m_c.signatures);
            addChanges(m_c.keys);
            // A change after the notes is reached by rests; nothing need follow it.
            for (std::size_t i = from; i < bounds.size(); ++i) last = std::max(last, bounds[i]);
        }
        if (m_endPos != kNoEnd && m_c.endsTrack) last = std::max(last, m_endPos);
        if (tail >= last) last = tail + (m_c.exact ? kWhole / 32 : straightUnit());
        barsTo(last);
        m_bars.erase(std::upper_bound(m_bars.begin(), m_bars.end(), last), m_bars.end());
        m_barsCounted = last;
        // Notes are tied across bar lines, except in our own files where a note's sound ends before
        // the line: tied, its first part would sound to the line; the line falls after the group.
        // Nor where the tied last part could not give the note's release to the tick.
        std::vector<std::vector<std::size_t>> crossing(m_c.exact ? m_bars.size() : 0);
        for (std::size_t i = 0; m_c.exact && i < m_voice.notes.size(); ++i) {
            const Note& n = m_voice.notes[i];
            for (auto bar = std::upper_bound(m_bars.begin(), m_bars.end(), n.pOn); bar != m_bars.end() && *bar < n.end; ++bar)
                crossing[std::size_t(bar - m_bars.begin())].push_back(i);
        }
        for (std::size_t b = 0; b < m_bars.size(); ++b) {
            if (!m_c.exact || (tiesExactly(m_bars[b], crossing[b]) && !closed(m_bars[b]))) bounds.push_back(m_bars[b]);
        }
        for (int beat : m_tripletBeats) {
            bounds.push_back(beat * kBeat);
            bounds.push_back((beat + 1) * kBeat);
        }
        if (m_c.reading == Reading::StretchEndsSegment) {
            for (const auto& [from, to] : m_closed) bounds.push_back(to);
        }
        std::erase_if(bounds, [&](int b) { return b < 0 || b > last; });
        bounds.push_back(last);
        std::sort(bounds.begin(), bounds.end());
        bounds.erase(std::unique(bounds.begin(), bounds.end()), bounds.end());
        if (m_c.exact) cutsForDelay(bounds);

        // Notes sounding in each segment, swept in order of onset.
        const std::vector<Note>& notes = m_voice.notes;
        std::vector<std::size_t> active;
        std::size_t nextNote = 0;
        // (a note sounds in every piece from its first to its last: the pieces between are its own)
        std::vector<std::pair<std::size_t, std::size_t>> notePieces(notes.size(), {0, 0});  // first, past the last
        for (std::size_t s = 0; s + 1 < bounds.size(); ++s) {
            const int a = bounds[s], b = bounds[s + 1];
            while (nextNote < notes.size() && notes[nextNote].pOn <= a) active.push_back(nextNote++);
            std::erase_if(active, [&](std::size_t i) { return notes[i].end <= a; });
            bool first = true;
            int pos = a;
            const std::vector<Value>& split = m_c.decomposer->split(b - a);
            std::optional<std::vector<Value>> reordered;
            if (std::any_of(active.begin(), active.end(), [&](std::size_t i) { return notes[i].end == b; }))
                reordered = exactEnding(b - a, a, active).value_or(std::vector<Value>(split.rbegin(), split.rend()));
            else if (closed(a + 1) || closed(b - 1))
                reordered.emplace(split.rbegin(), split.rend());  // a rest or tie in or into a stretch over a change starts its last part early
            for (const Value& v : reordered ? *reordered : split) {
                Piece piece;
                piece.pos = pos;
                piece.value = v;
                piece.rest = active.empty();
                piece.firstOfSegment = first;
                piece.notes.reserve(active.size());
                for (std::size_t i : active) {
                    piece.notes.push_back({i, 0});
                    if (notePieces[i].second == 0) notePieces[i].first = m_pieces.size();
                    notePieces[i].second = m_pieces.size() + 1;
                }
                // The notes struck last come first, as the export plays a group from its last record.
                insertionSort(piece.notes, [&](const auto& x, const auto& y) {
                    const bool xNew = notes[x.first].pOn == a, yNew = notes[y.first].pOn == a;
                    if (xNew != yNew) return !xNew;
                    return notes[x.first].order > notes[y.first].order;
                });
                if (m_c.exact) placeDelayed(piece.notes, a);
                m_pieces.push_back(std::move(piece));
                first = false;
                pos += v.length;
            }
        }
        // A note over several pieces is tied from its first to its last.
        for (std::size_t i = 0; i < notes.size(); ++i) {
            const auto [first, end] = notePieces[i];
            for (std::size_t k = first; end - first > 1 && k < end; ++k) {
                const std::uint8_t tie = k == first ? mark::kTieBegin : k + 1 == end ? mark::kTieEnd : mark::kTieMiddle;
                for (auto& [index, mark] : m_pieces[k].notes) {
                    if (index == i) mark = tie;
                }
            }
        }
    }

    // A delayed note's first part gives its delay. Where its notes go on past their first segment
    // (no order of parts is chosen for their ending there), a segment whose first part cannot is
    // cut after a shorter straight part that can, before any change of clock.
    void cutsForDelay(std::vector<int>& bounds) const {
        const std::vector<Note>& notes = m_voice.notes;
        std::vector<std::int64_t> lates;
        std::size_t added = 0;
        for (std::size_t i = 0; i < notes.size();) {
            std::size_t j = i;
            int end = kNoEnd;
            lates.clear();
            for (; j < notes.size() && notes[j].pOn == notes[i].pOn; ++j) {
                end = std::min(end, notes[j].end);
                if (late(notes[j]) != 0) lates.push_back(late(notes[j]));
            }
            const int a = notes[i].pOn;
            i = j;
            if (lates.empty()) continue;
            const auto next = std::upper_bound(bounds.begin(), bounds.end() - std::ptrdiff_t(added), a);
            if (next == bounds.end() - std::ptrdiff_t(added) || *next >= end) continue;
            const int length = *next - a;
            const std::vector<Value>& split = m_c.decomposer->split(length);
            if (split.empty()) continue;
            const Value& first = closed(a + 1) || closed(*next - 1) ? split.back() : split.front();
            const std::uint32_t unit = unitAt(tickAt(a));
            const std::uint64_t ticks = m_c.decomposer->ticksAt(unit).byValue[m_c.decomposer->indexOf(first.length)][0];
            if (first.triplet || std::all_of(lates.begin(), lates.end(), [&](std::int64_t l) { return delayGives(ticks, l); })) continue;
            const int part = firstPartForDelay(length, unit, lates);
            if (part != 0 && !pastChange(a + part)) bounds.push_back(a + part), ++added;
        }
        if (added == 0) return;
        std::sort(bounds.begin(), bounds.end());
        bounds.erase(std::unique(bounds.begin(), bounds.end()), bounds.end());
    }

    // The longest straight part shorter than `length`, with a straight rest of it, whose ticks on
    // the clock's 32nd `unit` give every delay of `lates`; 0 if none.
    int firstPartForDelay(int length, std::uint32_t unit, std::span<const std::int64_t> lates) const {
        const Decomposer& d = *m_c.decomposer;
        const std::vector<std::array<std::uint64_t, 2>>& ticks = d.ticksAt(unit).byValue;
        for (std::size_t i = 0; i < d.values().size(); ++i) {
            const Value& v = d.values()[i];
            if (v.triplet || v.length >= length || !d.straight(length - v.length)) continue;
            if (std::all_of(lates.begin(), lates.end(), [&](std::int64_t l) { return delayGives(ticks[i][0], l); })) return v.length;
        }
        return 0;
    }

    // With a delayed note among those struck at `a`, the records' order shows where two notes start
    // or end at one tick, or one starts where another ends: the export plays a group from its last
    // record, so the later in the file comes first. The order kept is the nearest to the one given
    // that honours every such pair.
    void placeDelayed(std::vector<std::pair<std::size_t, std::uint8_t>>& list, int a) const {
        const std::vector<Note>& notes = m_voice.notes;
        if (std::none_of(list.begin(), list.end(), [&](const auto& e) { return notes[e.first].pOn == a && late(notes[e.first]) != 0; })) return;
        auto first = [&](std::size_t x, std::size_t y) {
            const Note& p = notes[x];
            const Note& q = notes[y];
            return p.pOn == a && q.pOn == a &&
                   ((p.on == q.on && p.order > q.order) || (p.off == q.off && p.offOrder > q.offOrder) ||
                    (p.on == q.off && p.order > q.offOrder) || (p.off == q.on && p.offOrder > q.order));
        };
        std::vector<std::pair<std::size_t, std::uint8_t>> placed;
        while (!list.empty()) {
            auto next = std::find_if(list.begin(), list.end(), [&](const auto& e) {
                return std::none_of(list.begin(), list.end(), [&](const auto& other) { return first(other.first, e.first); });
            });
            if (next == list.end()) next = list.begin();  // (not from our export: keep the order given)
            placed.push_back(*next);
            list.erase(next);
        }
        list = std::move(placed);
    }


    // True inside a stretch of groups over which another track's tempo change falls: a bar line
    // there would start a part on the new clock.
    bool closed(int pos) const { return closedStretch(pos) != nullptr; }

    // The stretch over a change that `pos` lies inside, or null.
    const std::pair<int, int>* closedStretch(int pos) const {
        // The stretches come in order and do not overlap.
        const auto after = std::upper_bound(m_closed.begin(), m_closed.end(), pos, [](int p, const auto& range) { return p <= range.first; });
        return after != m_closed.begin() && pos < std::prev(after)->second ? &*std::prev(after) : nullptr;
    }

    // True when a group starting at `pos` would start on another clock than the stretch it is in:
    // inside a stretch over another track's tempo change, after the change.
    bool pastChange(int pos) const {
        const std::pair<int, int>* stretch = closedStretch(pos);
        return stretch && changesClock(tickAt(stretch->first), tickAt(pos) + 1);
    }

    // True when the rest from `end` to the next group at `next` (its parts shortest first in a stretch
    // over a change, as segments() writes them) would start a part on another clock than the stretch.
    bool restPastChange(int end, int next) const {
        if (pastChange(end)) return true;
        if (end >= next || !(closed(end + 1) || closed(next - 1))) return false;
        const std::vector<Value>& parts = m_c.decomposer->split(next - end);
        return !parts.empty() && pastChange(next - parts.front().length);
    }

    // True when notes ending at `end` would leave a group starting on another clock than the stretch
    // it is in: a rest up to `next`, if something follows there.
    bool endPastChange(int end, int next) const { return isOnset(next) ? restPastChange(end, next) : pastChange(end); }

    // True when the clock of this voice counts otherwise somewhere after `from` and before `to`.
    bool changesClock(std::uint32_t from, std::uint32_t to) const {
        const std::uint32_t unit = unitAt(from);
        for (auto c = changeAfter(m_c.tempoTimeline, from); c != m_c.tempoTimeline.end() && c->tick < to; ++c) {
            if (unitAt(c->tick) != unit) return true;
        }
        return false;
    }

    // True when the notes sounding over a bar line can be tied across it, each part giving its ticks.
    // Triplet parts cannot: a tuplet's ticks are counted from its shortest value, which the cut changes.
    bool tiesExactly(int bar, const std::vector<std::size_t>& crossing) const {
        std::map<int, std::vector<std::size_t>> byEnd;
        for (std::size_t i : crossing) {
            const Note& n = m_voice.notes[i];
            // Every bar line of a note held for minutes (a lost note-off) would split it whole again.
            if (n.end - n.pOn > kLongestExactTie) return false;
            if (n.rawOff < bar + 0.5 || !m_c.decomposer->straight(bar - n.pOn) || !m_c.decomposer->straight(n.end - bar)) return false;
            // A part starting after another track's tempo change would count on the new clock.
            if (changesClock(n.on, tickAt(n.end))) return false;
            byEnd[n.end].push_back(i);
        }
        for (const auto& [end, held] : byEnd) {
            if (!exactEnding(end - bar, bar, held)) return false;
        }
        return true;
    }

    // The parts of a segment of `length` in which notes end: the release must fall in the last part, whose
    // delay and gate give it (exactly, in our own files). Longest last first, then other orders;
    // nullopt when no order gives every release exactly.
    std::optional<std::vector<Value>> exactEnding(int length, int a, const std::vector<std::size_t>& active) const {
        const std::vector<Value>& parts = m_c.decomposer->split(length);
        if (parts.size() < 1 || !m_c.exact) return std::vector<Value>(parts.rbegin(), parts.rend());
        const std::vector<Note>& notes = m_voice.notes;
        const bool delayedTie = std::any_of(active.begin(), active.end(), [&](std::size_t i) { return notes[i].pOn == a && late(notes[i]) != 0; });
        const std::uint32_t at = tickAt(a);
        std::optional<bool> crossing;  // (asked only of orders of three parts or more)
        auto crosses = [&] {
            if (!crossing) crossing = changesClock(at, tickAt(a + length) + 1);
            return *crossing;
        };
        FewAnswers<int, std::uint32_t> lastStarts;  // (the orders end in few last parts)
        // (the segment must keep its own ticks)
        for (const Decomposer::KeptOrder& kept : m_c.decomposer->ordersKeepingTicks(length, delayedTie, unitAt(at))) {
            const std::vector<Value>& order = *kept.parts;
            // Nor may a part start on another clock than the stretch over a change it lies in; nor, where
            // the segment reaches over a change (the last of a song), a part before the last (the ticks
            // counted to the last part's start keep this clock).
            bool onNewClock = false;
            for (int start = a + order.front().length, i = 1; (order.size() > 2 || !m_closed.empty()) && i < int(order.size()) && !onNewClock; start += order[std::size_t(i++)].length)
                onNewClock = pastChange(start) || (i + 1 < int(order.size()) && crosses() && changesClock(at, tickAt(start) + 1));
            if (onNewClock) continue;
            const int lastStart = a + kept.lastStart;
            const std::uint32_t startTick = lastStarts.get(lastStart, [&] { return tickAt(lastStart); });
            bool fits = true;
            for (std::size_t i : active) {
                const Note& n = notes[i];
                if (n.end != a + (lastStart - a) + order.back().length) continue;
                const std::int64_t target = std::int64_t(n.off) - std::int64_t(n.pOn >= lastStart ? n.on : startTick);
                const std::uint64_t ticks = ticksOf(order.back().length, startTick);
                if (n.pOn >= lastStart) fits = fits && soundsExactly(ticks, late(n), target);
                else fits = fits && target >= 1 && tieEndExact(ticks, target);
                // A tied note's delay is given by its first part, here only if it starts in this segment.
                if (n.pOn < lastStart && late(n) != 0 && (n.pOn == a || m_c.reading != Reading::DelayCutBefore))
                    fits = fits && n.pOn == a && delayGives(ticksOf(order.front().length, at), late(n));
            }
            if (fits) return order;
        }
        return std::nullopt;
    }

    // The tick of a position in our own files, from the anchor before it.
    std::uint32_t tickAt(int pos) const {
        const std::size_t index = anchorBefore(pos, &Anchor::second, m_positionHint);
        if (index == kNone) return m_c.origin;
        const auto& [at, from] = m_anchors[index];
        return at + std::uint32_t(std::uint64_t(pos - from) * unitAt(at) / (kWhole / 32));
    }

    // Runs of triplet lengths become tuplets of three: closed when they fill three of their shortest.
    void markTuplets() {
        for (std::size_t i = 0; i < m_pieces.size();) {
            if (!m_pieces[i].value.triplet) {
                ++i;
                continue;
            }
            std::size_t j = i;
            int sum = 0, shortest = kNoEnd;
            bool changed = false;
            while (j < m_pieces.size() && m_pieces[j].value.triplet) {
                // A note reaching past where its tuplet would close was kept over a rest.
                if (j > i && sum < 3 * shortest && sum + m_pieces[j].value.length > 3 * shortest &&
                    (changed = closeWithRest(i, j + 1, shortest)))
                    break;
                sum += m_pieces[j].value.length;
                shortest = std::min(shortest, m_pieces[j].value.length);
                ++j;
                if (sum == 3 * shortest) break;
            }
            if (changed || (sum != 3 * shortest && closeWithRest(i, j, shortest))) continue;
            for (std::size_t k = i; k < j; ++k) {
                const std::uint8_t place = k == i ? mark::kTupletFirst : k + 1 == j ? mark::kTupletLast : mark::kTupletInner;
                m_pieces[k].tuplet = std::uint8_t(place | 3);
            }
            i = j;
        }
    }

    // A run of triplets that does not fill three of its shortest because its last note was kept
    // over the rest after it: the exporter counts that note's ticks from the shortest value, so it
    // ends where the tuplet closes and the rest follows. True when the pieces were changed.
    bool closeWithRest(std::size_t from, std::size_t to, int shortest) {
        Piece& last = m_pieces[to - 1];
        if (!m_c.exact || to - from < 2 || last.rest || last.value.length <= shortest) return false;
        if (std::any_of(last.notes.begin(), last.notes.end(), [](const auto& n) { return n.second != 0; })) return false;
        int before = 0;
        for (std::size_t k = from; k + 1 < to; ++k) before += m_pieces[k].value.length;
        const int close = 3 * shortest - before;
        const auto value = std::find_if(m_c.decomposer->values().begin(), m_c.decomposer->values().end(),
                                        [&](const Value& v) { return v.triplet && v.length == close; });
        if (close <= 0 || value == m_c.decomposer->values().end() || !m_c.decomposer->straight(last.value.length - close)) return false;
        std::vector<Piece> rests;
        int pos = last.pos + close;
        for (const Value& v : m_c.decomposer->split(last.value.length - close)) {
            Piece rest;
            rest.pos = pos;
            rest.value = v;
            rests.push_back(rest);
            pos += v.length;
        }
        last.value = *value;
        m_pieces.insert(m_pieces.begin() + std::ptrdiff_t(to), rests.begin(), rests.end());
        return true;
    }

    std::vector<SongRecord> records() {
        std::vector<SongRecord> out;
        out.reserve(m_pieces.size() * 2 + m_bars.size() * 2 + 8);
        struct Meta {
            int pos;
            bool key;
            Change change;
        };
        std::vector<Meta> metas;
        for (const Change& c : m_c.signatures) metas.push_back({position(c.tick), false, c});
        for (const Change& c : m_c.keys) metas.push_back({position(c.tick), true, c});
        std::stable_sort(metas.begin(), metas.end(), [](const Meta& x, const Meta& y) {
            return x.pos != y.pos ? x.pos < y.pos : x.change.order < y.change.order;
        });
        std::vector<std::pair<int, int>> tempos;
        for (const Change& c : m_c.tempoRecords) tempos.push_back({position(c.tick), c.a});
        std::vector<std::pair<int, const Lyric*>> lyrics;
        for (const Lyric& l : m_voice.lyrics) lyrics.push_back({position(l.tick), &l});
        std::sort(lyrics.begin(), lyrics.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
        std::size_t bar = 0, meta = 0, tempo = 0, lyric = 0, effect = 0, bars = 0;
        std::vector<Effect>& effects = m_voice.effects;
        std::stable_sort(effects.begin(), effects.end(), [](const Effect& x, const Effect& y) { return x.pos < y.pos; });
        const std::vector<Note>& notes = m_voice.notes;
        auto single = [&](SongRecord r) {
            r.setGroupSize(1);
            out.push_back(r);
        };
        // (no line is begun for rests alone: those carrying effects after the last notes)
        std::size_t lastNotes = 0;
        for (std::size_t p = 0; p < m_pieces.size(); ++p) {
            if (!m_pieces[p].rest) lastNotes = p;
        }
        for (std::size_t p = 0; p < m_pieces.size(); ++p) {
            const Piece& piece = m_pieces[p];
            while (bar < m_bars.size() && m_bars[bar] <= piece.pos) {
                // every few bars a line break, which is a bar line that begins a line
                SongRecord line;
                line.setType(++bars % kBarsPerLine == 0 && p <= lastNotes ? type::kLineBreak : type::kBarLine);
                single(line);
                ++bar;
            }
            while (meta < metas.size() && metas[meta].pos <= piece.pos) {
                single(metaRecord(metas[meta].key, metas[meta].change));
                ++meta;
            }
            const std::size_t start = out.size();
            const std::uint8_t typeAndDots = std::uint8_t((piece.value.type + (piece.rest ? 6 : 0)) | piece.value.dots);
            if (piece.rest) {
                SongRecord r;
                r.setTypeAndDots(typeAndDots);
                r.setMarks(piece.tuplet);
                out.push_back(r);
            }
            for (const auto& [index, tie] : piece.notes) {
                SongRecord r;
                r.setTypeAndDots(typeAndDots);
                r.setMarks(std::uint8_t(tie | piece.tuplet));
                r.setKey(notes[index].key);
                r.setVelocity(notes[index].velocity);
                r.setGate(100);
                m_noteRecords.push_back({out.size(), index, tie});
                out.push_back(r);
            }
            if (piece.firstOfSegment) {
                // Effects of one position in reverse: the export plays a group from its last record.
                std::size_t e = effect;
                while (e < effects.size() && effects[e].pos <= piece.pos) ++e;
                for (std::size_t k = e; k-- > effect;) {
                    out.push_back(effects[k].record);
                }
                effect = e;
                while (tempo < tempos.size() && tempos[tempo].first <= piece.pos) {
                    SongRecord r = effectRecord(effect::kTempo);
                    r.setValue(std::uint8_t(tempos[tempo].second));
                    out.insert(out.begin() + std::ptrdiff_t(start + (piece.rest ? 1 : piece.notes.size())), r);
                    ++tempo;
                }
            }
            while (lyric < lyrics.size() && lyrics[lyric].first < piece.pos) ++lyric;
            if (!piece.rest && lyric < lyrics.size() && lyrics[lyric].first == piece.pos &&
                (piece.notes.empty() || piece.notes.front().second == 0 || piece.notes.front().second == mark::kTieBegin)) {
                SongRecord r;
                r.setKind(kind::kLyric);
                std::string text = lyrics[lyric].second->text;
                std::size_t cut = 0;
                while (cut < text.size()) {
                    const unsigned char c = static_cast<unsigned char>(text[cut]);
                    const std::size_t width = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC) ? 2 : 1;
                    if (cut + width > 6) break;
                    cut += width;
                }
                r.setText(std::string_view(text).substr(0, cut));
                out.push_back(r);
                ++lyric;
            }
            out[start].setGroupSize(std::uint8_t(out.size() - start));
        }
        // (changes after the last group are kept where they are written out: elsewhere they show nothing)
        for (; meta < metas.size() && m_c.signaturesAreGroups; ++meta) single(metaRecord(metas[meta].key, metas[meta].change));
        playValues(out);
        return out;
    }

    static SongRecord metaRecord(bool key, const Change& c) {
        SongRecord r;
        r.setKind(kind::kMeta);
        if (key) {
            r.setMetaType(meta::kKeySignature);
            r.setValue(2);
            r.setMetaKeySignature(c.a);
        } else {
            r.setMetaType(meta::kTimeSignature);
            r.setValue(4);
            r.setMetaTimeSignature(c.a, c.b);
        }
        return r;
    }

    // Velocity is the note's; delay and gate are the percentages that give its sounding ticks.
    void playValues(std::vector<SongRecord>& out) {
        const Records records(out);
        std::vector<std::uint32_t> groupTick(out.size(), 0), groupLength(out.size(), 0);
        if (m_c.exact) {
            std::uint32_t tick = m_c.origin;
            DurationRule rule(32 * unitAt(0));
            for (std::size_t g = 0; g < out.size(); g = nextGroup(records, g)) {
                if (!isTimedGroup(records, g)) continue;
                // A group keeps the clock it starts with: a change at its start tick counts.
                rule.setWhole(32 * unitAt(tick));
                groupTick[g] = tick;
                groupLength[g] = rule.groupLength(records, g);
                tick += groupLength[g];
            }
            m_end = tick;
        } else {
            int pos = 0;
            for (std::size_t g = 0; g < out.size(); g = nextGroup(records, g)) {
                if (!isTimedGroup(records, g)) continue;
                groupTick[g] = m_c.origin + std::uint32_t(std::lround(double(pos) * m_c.timeBase / kBeat));
                const int length = nominal(out[g]);
                groupLength[g] = std::uint32_t(std::lround(double(length) * m_c.timeBase / kBeat));
                pos += length;
            }
        }
        std::size_t g = 0;
        for (const NoteRecord& nr : m_noteRecords) {
            while (nextGroup(records, g) <= nr.record) g = nextGroup(records, g);
            const Note& n = m_voice.notes[nr.note];
            SongRecord& r = out[nr.record];
            const std::uint32_t length = groupLength[g];
            if (nr.tie == 0 || nr.tie == mark::kTieBegin) {
                const std::int64_t late = std::int64_t(n.on) - std::int64_t(groupTick[g]);
                r.setDelay(late > 0 ? percentFor(length, late, 0, 99) : 0);
            }
            if (nr.tie == 0) {
                r.setGate(percentFor(length, std::int64_t(n.off) - std::int64_t(n.on), 1, 100 - r.delay()));
            } else if (nr.tie == mark::kTieEnd) {
                const auto [delay, gate] = tieEndPercents(length, std::int64_t(n.off) - std::int64_t(groupTick[g]));
                r.setDelay(delay);
                r.setGate(gate);
            }
        }
    }

    static int nominal(const SongRecord& r) {
        const int t = r.isRest() ? r.type() - 6 : r.type();
        int length = r.tupletNumber() == 3 ? (kWhole * 2 / 3) >> (t - 1) : kWhole >> (t - 1);
        if (r.dots() & mark::kDoubleDotted) length = length * 7 / 4;
        else if (r.dots() & mark::kDotted) length = length * 3 / 2;
        return length;
    }

    struct NoteRecord {
        std::size_t record;
        std::size_t note;
        std::uint8_t tie;
    };

    Voice& m_voice;
    const Context& m_c;
    std::vector<std::uint32_t> m_units;  // the clock's 32nd before the first tempo change and after each
    mutable Stretch m_stretch;
    mutable std::uint32_t m_ticksUnit = 0;
    mutable const Decomposer::UnitTicks* m_ticks = nullptr;
    // The group at the last straight start while group starts are found, as the first of a tuplet.
    struct Head {
        std::uint32_t tick = 0;
        std::vector<std::size_t> notes;
    } m_head;
    std::vector<std::pair<std::uint32_t, int>> m_anchors;  // tick, position: where positions are counted from
    mutable std::size_t m_tickHint = kNone, m_positionHint = kNone;
    std::vector<int> m_tripletBeats;
    mutable std::vector<int> m_bars;  // up to `m_barsCounted` (see barsTo); from segments(), to the last group
    mutable int m_barsCounted = 0;
    std::vector<int> m_splits;  // extra group starts inside a note
    std::vector<int> m_clockStarts;  // the first group after a tempo change that another track made
    std::vector<std::pair<int, int>> m_closed;  // where no bar line splits a group (see closed())
    std::vector<std::pair<int, int>> m_tieEnds;  // group start, and where its latest release is tied to (found by span)
    std::vector<int> m_fixed;   // positions of effects and changes, which start groups
    std::vector<Piece> m_pieces;
    std::vector<NoteRecord> m_noteRecords;
    int m_endPos = kNoEnd;
    int m_searchLeft = 200000;  // span searches left for this voice
    std::uint32_t m_end = 0;
};

// Controllers the song model holds as effect records.
std::optional<std::uint8_t> effectOfController(std::uint8_t cc) {
    switch (cc) {
    case 7: return effect::kVolume;
    case 10: return effect::kPan;
    case 1: return effect::kModulation;
    case 64: return effect::kHold;
    case 91: return effect::kReverb;
    case 93: return effect::kChorus;
    case 11: return effect::kExpression;
    case 71: return std::uint8_t(13);
    case 72: return std::uint8_t(14);
    case 73: return std::uint8_t(15);
    case 74: return std::uint8_t(16);
    case 94: return effect::kVariation;
    default: return std::nullopt;
    }
}

class FileTranscriber {
public:
    // `only`: the keys of the voices to read (voiceKey), all when empty; the others are left
    // empty. `ender`: with `only`, the key of the voice that an earlier reading of the whole file
    // wrote again to end a one-track file (-1: none).
    FileTranscriber(const SmfFile& file, const ImportOptions& options, Reading reading, std::span<const int> only = {}, int ender = -1)
        : m_file(file), m_options(options), m_reading(reading), m_only(only), m_givenEnder(ender) {}

    // After run(): the key of the voice written again to end a one-track file, or -1.
    int ender() const { return m_ender; }

    ImportedMusic run() {
        m_header = ownHeader(m_file);
        m_music.ownExport = m_header.has_value();
        m_music.format = m_file.format == 0 ? 0 : 1;
        m_music.timeBase = m_file.division;
        if (m_header) {
            m_origin = m_header->start + (m_file.format == 0 ? 1 : 0);
            m_music.title = m_header->title;
            m_music.tempo = m_header->tempo;
            m_music.key = m_header->key;
            m_music.numerator = m_header->numerator;
            m_music.denominatorPower = m_header->power;
            m_music.reset = m_header->reset;
            m_music.restBar = m_header->start != 0;
        }
        collect();
        // Days of silence (a corrupt delta time) would be written out as thousands of songs of rests.
        std::uint64_t quarters = 0;
        for (const Voice& v : m_voices) {
            if (v.notes.empty()) continue;
            const std::size_t track = m_file.format == 0 ? 0 : std::size_t(v.track);
            quarters += (track < m_trackEnds.size() ? m_trackEnds[track] : 0) / std::max<std::uint32_t>(m_file.division, 1);
        }
        if (quarters > kLongestQuarters) {
            m_music.error = "曲が長すぎます。全チャンネルの長さの合計は4分音符" + std::to_string(kLongestQuarters) + "拍までです。";
            return std::move(m_music);
        }
        assignSlots();
        transcribe();
        return std::move(m_music);
    }

private:
    Voice& voiceFor(int track, int channel) {
        const int key = voiceKey(m_file.format, track, channel);
        auto [it, added] = m_voiceIndex.try_emplace(key, m_voices.size());
        if (added) {
            m_voices.emplace_back();
            m_voices.back().track = track;
            m_voices.back().channel = channel;
        }
        return m_voices[it->second];
    }

    void collect() {
        int order = 0;
        bool titleSeen = m_header.has_value();
        for (std::size_t t = 0; t < m_file.tracks.size(); ++t) {
            const std::vector<SmfEvent>& events = m_file.tracks[t].events;
            std::map<int, std::array<int, 2>> bankSelect;  // channel: CC 32 and CC 0 waiting for a program
            std::map<int, std::vector<std::size_t>> open;  // channel * 128 + key: notes sounding
            std::uint32_t lastTick = 0;
            const std::size_t from = t == 0 && m_header ? m_header->after : 0;
            for (std::size_t i = from; i < events.size(); ++i) {
                const SmfEvent& e = events[i];
                lastTick = e.tick;
                ++order;
                if (e.status() == 0xFF && e.bytes.size() >= 3) {
                    meta(e, int(t), order, titleSeen);
                    continue;
                }
                if (!e.isChannel()) continue;
                Voice& v = voiceFor(int(t), e.channel());
                const int ch = e.channel();
                if (e.isNoteOn() || e.isNoteOff()) {
                    auto& sounding = open[ch * 128 + e.bytes[1]];
                    // A key struck again before its release ends the earlier note there.
                    for (std::size_t k : sounding) v.notes[k].off = e.tick, v.notes[k].offOrder = order;
                    sounding.clear();
                    if (e.isNoteOn()) {
                        sounding.push_back(v.notes.size());
                        v.notes.push_back({e.tick, e.tick, e.bytes[1], e.bytes[2], order});
                    }
                    continue;
                }
                const std::uint8_t command = e.command();
                if (command == 0xB0 && (e.bytes[1] == 0 || e.bytes[1] == 32)) {
                    auto& pending = bankSelect.try_emplace(ch, std::array<int, 2>{-1, -1}).first->second;
                    pending[e.bytes[1] == 32 ? 0 : 1] = e.bytes[2];
                } else if (command == 0xB0) {
                    if (const auto number = effectOfController(e.bytes[1]))
                        v.effects.push_back(valueEffect(e.tick, *number, e.bytes[2]));
                } else if (command == 0xE0) {
                    Effect bend{e.tick, effectRecord(effect::kPitchBend)};
                    bend.record.setValue16(std::int16_t(((e.bytes[2] << 7) | e.bytes[1]) - 8192));
                    v.effects.push_back(bend);
                } else if (command == 0xC0) {
                    auto pending = bankSelect.try_emplace(ch, std::array<int, 2>{-1, -1}).first->second;
                    bankSelect[ch] = {-1, -1};
                    const int bank = std::max(pending[1], 0);
                    int module = pending[0] > 0 ? pending[0] : 0;
                    if (!m_header && module == 0 && bank != 0) module = 1;  // a bank needs a module to be sent
                    // The first program before the first note is the song's instrument (in our own
                    // files the one at the start tick; a program of the first group follows it).
                    if (!v.hasInitial && v.notes.empty() && (!m_header || e.tick <= m_origin)) {
                        v.hasInitial = true;
                        v.module = std::uint8_t(std::min(module, 3));
                        v.bank = std::uint8_t(bank);
                        v.program = e.bytes[1];
                        m_initialOrder.push_back(&v - m_voices.data());
                    } else {
                        Effect change{e.tick, effectRecord(effect::kProgram)};
                        change.record.setProgram(std::uint8_t(module), std::uint8_t(bank), e.bytes[1]);
                        v.effects.push_back(change);
                    }
                }
            }
            for (auto& [key, sounding] : open) {
                for (std::size_t k : sounding) m_voices[m_voiceIndex[voiceKey(m_file.format, int(t), key / 128)]].notes[k].off = lastTick;
            }
            m_trackEnds.push_back(lastTick);
        }
    }

    void meta(const SmfEvent& e, int track, int order, bool& titleSeen) {
        const std::uint8_t type = e.bytes[1];
        const auto data = e.data();
        if (type == 0x51) {
            m_tempos.push_back({e.tick, std::uint8_t(tempoOf(data)), 0, order});
        } else if (type == 0x58 && data.size() >= 2) {
            m_signatures.push_back({e.tick, std::uint8_t(std::clamp<int>(data[0], 1, 63)), std::uint8_t(std::clamp<int>(data[1], 0, 5)), order});
        } else if (type == 0x59 && data.size() >= 1) {
            m_keys.push_back({e.tick, keyNumberOf(std::int8_t(data[0])), 0, order});
        } else if (type == 0x03) {
            std::string name(data.begin(), data.end());
            if (!titleSeen) {
                m_music.title = name.substr(0, 40);
                titleSeen = true;
            }
            m_trackNames.try_emplace(track, name);
        } else if (type == 0x05) {
            m_lyrics.push_back({track, Lyric{e.tick, std::string(data.begin(), data.end())}});
        }
    }

    void assignSlots() {
        std::vector<Voice*> voices;
        for (Voice& v : m_voices) {
            if (!v.notes.empty()) voices.push_back(&v);
        }
        std::array<bool, 16> taken{};
        if (m_header && m_file.format == 1) {
            for (Voice* v : voices) {
                if (v->track >= 1 && v->track <= 16 && !taken[std::size_t(v->track - 1)]) {
                    v->slot = v->track - 1;
                    taken[std::size_t(v->slot)] = true;
                }
            }
        } else if (m_header) {
            // Melodic members play on their own track's channel; a rhythm member sits after the
            // member whose instrument came before it.
            int previous = -1;
            for (std::ptrdiff_t index : m_initialOrder) {
                Voice& v = m_voices[std::size_t(index)];
                if (v.notes.empty()) continue;
                if (v.channel != 9 && !taken[std::size_t(v.channel)]) v.slot = v.channel;
                for (int s = previous + 1; v.slot < 0 && s < 16; ++s) {
                    if (!taken[std::size_t(s)]) v.slot = s;
                }
                if (v.slot >= 0) taken[std::size_t(v.slot)] = true, previous = v.slot;
            }
        }
        std::stable_sort(voices.begin(), voices.end(), [](const Voice* a, const Voice* b) {
            return a->track != b->track ? a->track < b->track : a->channel < b->channel;
        });
        for (Voice* v : voices) {
            for (std::size_t s = 0; v->slot < 0 && s < 16; ++s) {
                if (!taken[s]) v->slot = int(s), taken[s] = true;
            }
        }
        std::stable_sort(voices.begin(), voices.end(), [](const Voice* a, const Voice* b) {
            const int sa = a->slot < 0 ? 99 : a->slot, sb = b->slot < 0 ? 99 : b->slot;
            return sa < sb;
        });
        m_ordered = voices;
        if (!voices.empty()) voices.front()->conductor = true;
    }

    void transcribe() {
        // Settings at the start come from the file's first events; later ones become records.
        const std::uint32_t startTick = m_origin;
        if (!m_header) {
            for (const Change& c : m_tempos) if (c.tick <= startTick) m_music.tempo = c.a;
            for (const Change& c : m_signatures) if (c.tick <= startTick) m_music.numerator = c.a, m_music.denominatorPower = c.b;
            for (const Change& c : m_keys) if (c.tick <= startTick) m_music.key = c.a;
        }
        // Our own files keep the project's settings in their header; what follows is the songs'.
        auto later = [&](const std::vector<Change>& list) {
            std::vector<Change> out;
            for (const Change& c : list) {
                if (m_header ? c.tick >= startTick : c.tick > startTick) out.push_back(c);
            }
            return out;
        };
        std::vector<Change> tempos = later(m_tempos);
        std::stable_sort(tempos.begin(), tempos.end(), [](const Change& a, const Change& b) { return a.tick < b.tick; });
        const std::vector<Change> clocks = clockChanges(tempos, m_file.division, m_music.tempo);
        const bool exact = m_header.has_value();
        // (one of our own one-track files: the song ending latest may be written again, from its notes as read)
        const bool rewritten = exact && m_file.format == 0;
        const Decomposer decomposer(valueTable(exact || m_options.triplets, exact));
        struct Transcribed {
            Voice* voice;
            Context context;
            Voice original;
            std::vector<SongRecord> records;
            std::uint32_t end;
        };
        std::vector<Transcribed> voices;
        for (Voice* v : m_ordered) {
            Context c;
            c.exact = exact;
            c.origin = m_origin;
            c.timeBase = m_file.division;
            c.startTempo = m_music.tempo;
            c.grid = m_options.grid == 32 || m_options.grid == 8 ? m_options.grid : 16;
            c.triplets = m_options.triplets;
            c.ties = m_options.ties;
            c.reading = m_reading;
            c.signatures = later(m_signatures);
            // (a drum staff has no key: only the conductor's key changes are kept there, for the export)
            if (v->channel != 9 || v->conductor) c.keys = later(m_keys);
            c.numerator = m_music.numerator;
            c.power = m_music.denominatorPower;
            c.decomposer = &decomposer;
            if (v->conductor) c.tempoRecords = tempos;
            // Our exporter writes only the conductor's signatures: elsewhere they fall between groups.
            c.signaturesAreGroups = !exact || v->conductor;
            // The exporter's clock: shared by every track in format 0, the conductor's own in format 1.
            if (exact && (m_file.format == 0 || v->conductor)) c.tempoTimeline = clocks;
            if (exact && m_file.format == 1 && v->track < int(m_trackEnds.size())) v->endTick = m_trackEnds[std::size_t(v->track)];
            if (exact && m_file.format == 0) v->endTick = m_trackEnds.empty() ? 0 : m_trackEnds[0];
            for (const auto& [track, lyric] : m_lyrics) {
                if (track == v->track && isFirstOfTrack(*v)) v->lyrics.push_back(lyric);
            }
            // One track holds every song in format 0: it ends with the song that plays last. Each
            // ends with its last group at first; then the one that ends latest, if short of the end
            // of the track, is written again with rests up to it.
            c.endsTrack = m_file.format == 1;
            Voice original = rewritten ? *v : Voice{};
            std::vector<SongRecord> records;
            std::uint32_t end = 0;
            if (!m_only.empty() && std::find(m_only.begin(), m_only.end(), voiceKey(m_file.format, v->track, v->channel)) == m_only.end()) {
                voices.push_back({v, std::move(c), std::move(original), std::move(records), end});
                continue;
            }
            {
                VoiceTranscriber transcriber(*v, c);
                records = transcriber.run();
                end = transcriber.endTick();
            }
            voices.push_back({v, std::move(c), std::move(original), std::move(records), end});
        }
        if (rewritten && !voices.empty() && !m_trackEnds.empty()) {
            // The rests that end the track: written by the song ending latest whose way to the end
            // fills whole 32nds on one clock, else by the one ending latest.
            const std::uint32_t trackEnd = m_trackEnds[0];
            auto fills = [&](const Transcribed& t) {
                if (t.end > trackEnd || firstChange(tempos, t.end, trackEnd) != tempos.end()) return false;
                return (trackEnd - t.end) % clockUnit(tempos, m_music.tempo, m_file.division, t.end) == 0;
            };
            std::vector<Transcribed*> order;
            for (Transcribed& t : voices) {
                // (reading some voices only: the one an earlier reading of them all chose, if among them)
                if (m_only.empty() || voiceKey(m_file.format, t.voice->track, t.voice->channel) == m_givenEnder) order.push_back(&t);
            }
            std::stable_sort(order.begin(), order.end(), [&](const Transcribed* a, const Transcribed* b) {
                return std::pair(fills(*a), a->end) > std::pair(fills(*b), b->end);
            });
            if (!order.empty() && order.front()->end < trackEnd) {
                // The first in that order, or the second if only it reaches the end to the tick when
                // written again with rests up to it (writing a song again costs as much as the first
                // time, so no more are tried).
                using Again = std::tuple<Voice, std::vector<SongRecord>, std::uint32_t>;
                auto again = [&](const Transcribed& t) {
                    Context context = t.context;
                    context.endsTrack = true;
                    Voice voice = t.original;
                    VoiceTranscriber transcriber(voice, context);
                    std::vector<SongRecord> records = transcriber.run();
                    return Again(std::move(voice), std::move(records), transcriber.endTick());
                };
                Transcribed* ender = order.front();
                Again written = again(*ender);
                const auto next = std::find_if(order.begin() + 1, order.end(), [&](const Transcribed* t) { return t->end <= trackEnd; });
                if (std::get<2>(written) != trackEnd && next != order.end()) {
                    Again second = again(**next);
                    if (std::get<2>(second) == trackEnd) ender = *next, written = std::move(second);
                }
                *ender->voice = std::move(std::get<0>(written));
                ender->records = std::move(std::get<1>(written));
                m_ender = voiceKey(m_file.format, ender->voice->track, ender->voice->channel);
            }
        }
        for (const Transcribed& t : voices) addSongs(*t.voice, t.records);
    }

    bool isFirstOfTrack(const Voice& v) const {
        for (const Voice* other : m_ordered) {
            if (other->track == v.track) return other == &v;
        }
        return false;
    }

    void addSongs(const Voice& v, const std::vector<SongRecord>& records) {
        SongInfo info = SongInfo::defaults();
        info.setTimeCode(5);
        info.setKeySignature(v.channel == 9 ? 0 : m_music.key);
        info.setFileKind(v.channel == 9 ? 0 : 1);
        info.setTempo(std::int16_t(m_music.tempo));
        info.setInitialTone(v.module, v.bank, v.program);
        info.setSoundModule(v.module);
        info.setNumerator(m_music.numerator);
        info.setDenominatorPower(m_music.denominatorPower);
        const auto name = m_trackNames.find(v.track);
        const Records all(records);
        std::size_t part = 0;
        for (std::size_t g = 0; g < all.size() || part == 0;) {
            ImportedSong song;
            song.info = info;
            song.track = v.track;
            song.channel = v.channel;
            song.slot = part == 0 ? v.slot : -1;
            song.part = int(part);
            if (name != m_trackNames.end()) song.name = name->second;
            while (g < all.size()) {
                const std::size_t end = groupEnd(all, g);
                if (song.records.size() + (end - g) > kMaxSongRecords && !song.records.empty()) break;
                song.records.insert(song.records.end(), all.begin() + std::ptrdiff_t(g), all.begin() + std::ptrdiff_t(end));
                g = end;
            }
            m_music.songs.push_back(std::move(song));
            ++part;
        }
        if (part > 1)
            m_music.notices.push_back("チャンネル" + std::to_string(v.channel + 1) + "は" + std::to_string(kRecordLimit) +
                                      "レコードを超えるため、" + std::to_string(part) + "曲に分けました。");
    }

    const SmfFile& m_file;
    const ImportOptions& m_options;
    const Reading m_reading;
    const std::span<const int> m_only;
    const int m_givenEnder;
    int m_ender = -1;
    ImportedMusic m_music;
    std::optional<OwnHeader> m_header;
    std::uint32_t m_origin = 0;
    std::vector<Voice> m_voices;
    std::map<int, std::size_t> m_voiceIndex;
    std::vector<std::ptrdiff_t> m_initialOrder;
    std::vector<Voice*> m_ordered;
    std::vector<Change> m_tempos, m_signatures, m_keys;
    std::map<int, std::string> m_trackNames;
    std::vector<std::pair<int, Lyric>> m_lyrics;
    std::vector<std::uint32_t> m_trackEnds;
};

// The events of each voice, keyed as the transcription keys its voices (by track in format 1, and
// channel); the others under -1.
std::map<int, std::vector<const SmfEvent*>> eventsByVoice(const SmfFile& file) {
    std::map<int, std::vector<const SmfEvent*>> voices;
    for (std::size_t t = 0; t < file.tracks.size(); ++t) {
        for (const SmfEvent& e : file.tracks[t].events)
            voices[e.isChannel() ? voiceKey(file.format, int(t), e.channel()) : -1].push_back(&e);
    }
    return voices;
}

int voiceKey(const ImportedMusic& music, const ImportedSong& song) { return voiceKey(music.format, song.track, song.channel); }

}  // namespace

ExportProject exportProjectOf(const ImportedMusic& music) {
    ExportProject project;
    for (const ImportedSong& song : music.songs) {
        if (song.slot >= 0 && song.slot < 16) project.tracks[std::size_t(song.slot)] = {song.records, song.info};
    }
    project.title = music.title;
    project.tempo = music.tempo;
    project.startTempo = music.tempo;
    project.key = music.key;
    project.numerator = music.numerator;
    project.denominatorPower = music.denominatorPower;
    return project;
}

ImportedMusic transcribeSmf(const SmfFile& file, const ImportOptions& options) {
    if (!file.ok()) return {};
    FileTranscriber first(file, options, Reading::Plain);
    ImportedMusic music = first.run();
    // Our own file with every song on a track of its own: the songs must export to the same events.
    // A voice whose events differ is read the next ways, and the first that gives them back kept.
    if (!music.ownExport || !music.error.empty() ||
        std::any_of(music.songs.begin(), music.songs.end(), [](const ImportedSong& s) { return s.slot < 0 || s.part != 0; }))
        return music;
    MidiExportOptions written;
    written.format = music.format;
    written.timeBase = music.timeBase;
    written.reset = DeviceReset(music.reset);
    written.restBar = music.restBar;
    const auto original = eventsByVoice(file);
    // The keys of the voices whose events the songs export otherwise, and -1 first where the
    // other events (tempo, signatures, lyrics: the conductor's and the first songs') differ.
    auto differing = [&](const ImportedMusic& m) {
        const SmfFile again = readSmf(buildMidiFile(exportProjectOf(m), written));
        const auto voices = eventsByVoice(again);
        std::vector<int> keys;
        std::vector<int> all = {-1};
        for (const ImportedSong& song : m.songs) all.push_back(voiceKey(m, song));
        for (const int key : all) {
            const auto a = original.find(key), b = voices.find(key);
            const bool same = a != original.end() && b != voices.end() &&
                              std::equal(a->second.begin(), a->second.end(), b->second.begin(), b->second.end(),
                                         [](const SmfEvent* x, const SmfEvent* y) { return x->tick == y->tick && x->bytes == y->bytes; });
            if (!same && (key != -1 || a != original.end() || b != voices.end())) keys.push_back(key);
        }
        return keys;
    };
    std::vector<int> left = differing(music);
    // (the voices read again may hold twice the file's notes in all, or 20,000 notes: a large
    // file whose every voice differs, its curves come back as values, is not read ten times over)
    std::map<int, std::size_t> notesOf;  // by voice key
    std::size_t notes = 0;
    for (const auto& [key, events] : original) {
        for (const SmfEvent* e : events) notesOf[key] += e->isNoteOn() ? 1 : 0;
        notes += notesOf[key];
    }
    std::size_t budget = std::max<std::size_t>(2 * notes, 20'000);
    auto voicesLeft = [&] { return std::any_of(left.begin(), left.end(), [](int key) { return key != -1; }); };
    for (int r = 1; r < kReadings && voicesLeft(); ++r) {
        std::size_t cost = 0;
        for (const int key : left) cost += notesOf[key];
        if (cost > budget) break;
        budget -= cost;
        ImportedMusic other = FileTranscriber(file, options, Reading(r), left, first.ender()).run();
        if (other.songs.size() != music.songs.size()) continue;
        // The voices read again in place of the first reading's (the others are not read again), and
        // those that then give their events back kept.
        auto isLeft = [&](const ImportedSong& song) { return std::find(left.begin(), left.end(), voiceKey(music, song)) != left.end(); };
        ImportedMusic mixed = music;
        for (std::size_t i = 0; i < mixed.songs.size(); ++i) {
            if (isLeft(music.songs[i])) mixed.songs[i] = std::move(other.songs[i]);
        }
        std::vector<int> mixedLeft = differing(mixed);
        bool reverted = false;
        for (std::size_t i = 0; i < mixed.songs.size(); ++i) {
            const int key = voiceKey(music, music.songs[i]);
            if (isLeft(music.songs[i]) && std::find(mixedLeft.begin(), mixedLeft.end(), key) != mixedLeft.end())
                mixed.songs[i] = music.songs[i], reverted = true;
        }
        // (the voices are read apart, but in one track the tempo changes are one song's)
        if (reverted) mixedLeft = differing(mixed);
        // (never at the cost of the other events)
        const bool othersKept = mixedLeft.empty() || mixedLeft.front() != -1 || (!left.empty() && left.front() == -1);
        if (othersKept && mixedLeft.size() < left.size()) music = std::move(mixed), left = std::move(mixedLeft);
    }
    return music;
}


}  // namespace plume
