#include "app/entry_state.h"

#include <type_traits>

namespace plume {

EntryResult deliverToView(CPlmDoc& doc, ScoreView& view, const EntrySettings& settings, const EntryRequest& request) {
    return std::visit(
        [&](const auto& r) -> EntryResult {
            using R = std::decay_t<decltype(r)>;
            if constexpr (std::is_same_v<R, entry::EnterRest>) return enterRest(doc, view, settings, r.type);
            else if constexpr (std::is_same_v<R, entry::EnterChord>) return enterNotes(doc, view, settings, r.notes);
            else if constexpr (std::is_same_v<R, entry::SetLength>) return changeLength(doc, view, settings);
            else if constexpr (std::is_same_v<R, entry::SetDots>) return changeDots(doc, view, settings);
            else if constexpr (std::is_same_v<R, entry::EnterGroup>) return enterGroup(doc, view, settings, r.records);
            else if constexpr (std::is_same_v<R, entry::SetDelayGates>) return setDelayGates(doc, view, r.pairs);
            else if constexpr (std::is_same_v<R, entry::SetVelocities>) return setVelocities(doc, view, r.values);
            else if constexpr (std::is_same_v<R, entry::EnterDrums>)
                return enterDrums(doc, view, settings, r.drumSet, r.notes);
            else if constexpr (std::is_same_v<R, entry::SetLyric>) return setLyric(doc, view, r.text);
            else if constexpr (std::is_same_v<R, entry::SetChordName>) return setChordName(doc, view, r.text);
            else return EntryResult::none();
        },
        request);
}

}  // namespace plume
