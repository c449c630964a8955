#include "app/vokato_entry.h"

#include <algorithm>

namespace plume {

namespace {

// What a transcribed note carries: velocity 100, delay 0, gate 75 and the song's program.
SongRecord noteModel(const SongInfo& info) {
    return SongRecord{{1, kind::kScore, type::kWhole, 0, 0, 0, 100, 0, 75, info.initialProgram()}};
}

bool enterNotes(voice::VokatoNotes& notes, std::span<const NotePair> pairs, const EntrySettings& settings,
                const SongInfo& info) {
    std::vector<SongRecord> group = chordRecords(noteModel(info), settings, pairs);
    if (group.empty()) return false;
    std::sort(group.begin(), group.end(), [](const SongRecord& a, const SongRecord& b) { return a.key() < b.key(); });
    for (SongRecord& r : group) r.setGroupSize(0);
    return notes.insertGroup(group, settings.insert);
}

}  // namespace

bool applyEntryToVokato(voice::VokatoNotes& notes, const EntryRequest& request, const EntrySettings& settings,
                        const SongInfo& info) {
    return std::visit(
        [&](const auto& r) -> bool {
            using R = std::decay_t<decltype(r)>;
            if constexpr (std::is_same_v<R, entry::EnterRest>) {
                SongRecord rest = noteModel(info);
                rest.setTypeAndDots(r.type);
                rest.setKey(0);
                return notes.insertGroup({&rest, 1}, settings.insert);
            } else if constexpr (std::is_same_v<R, entry::EnterChord>) {
                return enterNotes(notes, r.notes, settings, info);
            } else if constexpr (std::is_same_v<R, entry::EnterDrums>) {
                if (!enterNotes(notes, r.notes, settings, info)) return false;
                for (SongRecord& record : notes.editableRecords()) record.setProgramInForce(r.drumSet);
                return true;
            } else if constexpr (std::is_same_v<R, entry::SetLength>) {
                const std::span<SongRecord> group = notes.cursorGroup();
                if (group.empty() || !group.front().isNote()) return false;
                for (SongRecord& record : group)
                    if (record.isNote()) record.setTypeAndDots(std::uint8_t(settings.length | settings.dots));
                return true;
            } else if constexpr (std::is_same_v<R, entry::SetDots>) {
                const std::span<SongRecord> group = notes.cursorGroup();
                if (group.empty() || !group.front().takesTime()) return false;
                const std::uint8_t dots = r.dot == 1 ? mark::kDotted : r.dot == 2 ? mark::kDoubleDotted : 0;
                for (SongRecord& record : group)
                    if (record.takesTime()) record.setDots(dots);
                return true;
            } else if constexpr (std::is_same_v<R, entry::EnterGroup>) {
                return notes.insertGroup(r.records, settings.insert, true);
            } else {
                return false;
            }
        },
        request);
}

}  // namespace plume
