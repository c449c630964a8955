#include "song/data_check.h"

#include "platform/message_box.h"

namespace plume {

namespace {

// Calls `repair(record, first)` on every record after the first of each note group; counts the
// groups in which it returned true at least once.
template <typename Repair>
int repairNoteGroups(MutableRecords records, Repair repair) {
    int groups = 0;
    for (std::size_t g = 0; g < records.size(); g = nextGroup(records, g)) {
        if (!records[g].isNote()) continue;
        const std::size_t end = groupEnd(records, g);
        bool repaired = false;
        for (std::size_t i = g; i < end; ++i) {
            if (records[i].isNote() && repair(records[i], records[g])) repaired = true;
        }
        groups += repaired;
    }
    return groups;
}

}  // namespace

DataCheckCounts checkRecords(MutableRecords records) {
    DataCheckCounts counts;
    for (std::size_t g = 0; g < records.size(); g = nextGroup(records, g)) {
        const std::size_t end = groupEnd(records, g);
        bool repaired = false;
        for (std::size_t i = g + 1; i < end; ++i) {
            if (records[i].groupSize() != 0) {
                records[i].setGroupSize(0);
                repaired = true;
            }
        }
        counts.bySize += repaired;
    }
    counts.rf = repairNoteGroups(records, [](SongRecord& r, const SongRecord& first) {
        if (r.tuplet() == first.tuplet()) return false;
        r.setTuplet(first.tuplet());
        return true;
    });
    counts.gt = repairNoteGroups(records, [](SongRecord& r, const SongRecord&) {
        if (r.gate() != 0 && r.delay() + r.gate() <= 100) return false;
        r.setDelay(0);
        r.setGate(75);
        return true;
    });
    counts.velocity = repairNoteGroups(records, [](SongRecord& r, const SongRecord&) {
        if (r.velocity() != 0 && r.velocity() < 128) return false;
        r.setVelocity(100);
        return true;
    });
    return counts;
}

std::vector<std::string> dataCheckMessages(std::string_view name, const DataCheckCounts& counts) {
    using platform::formatMessage;
    const std::string n(name);
    std::vector<std::string> messages;
    if (counts.bySize) messages.push_back(formatMessage("%s\nエラー修復　bySize = %d", n.c_str(), counts.bySize));
    if (counts.rf) messages.push_back(formatMessage("%s\nエラー修復　RF = %d", n.c_str(), counts.rf));
    if (counts.gt) messages.push_back(formatMessage("%s\nエラー修復　GT = %d", n.c_str(), counts.gt));
    if (counts.velocity)
        messages.push_back(formatMessage("%s\nエラー修復　Velcity = %d", n.c_str(), counts.velocity));
    if (counts.total() == 0) messages.push_back(formatMessage("%s\nNo Error", n.c_str()));
    return messages;
}

DataCheckCounts runDataCheck(MutableRecords records, std::string_view name) {
    const DataCheckCounts counts = checkRecords(records);
    for (const std::string& message : dataCheckMessages(name, counts)) platform::messageBox().show(message);
    return counts;
}

}  // namespace plume
