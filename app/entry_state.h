#pragma once
// The main frame's entry state: the note palette's choice (length, dot, accidental, monitor) and the
// insert switch, which the score view reads at the moment of entry; and the delivery of a palette's
// entry request to a score view.

#include "app/note_palette_logic.h"
#include "app/entry_request.h"
#include "score/note_entry.h"

namespace plume {

class CPlmDoc;
class ScoreView;

struct EntryState {
    NoteChoice choice;
    bool insert = true;  // "挿入／上書き": the status bar shows "上書" while it is off

    EntrySettings settings() const { return {noteLengthType(choice.lengthIndex), dotBits(choice.dot), insert}; }
};

// Carries out an entry request on a score view with the entry settings of this moment; the requests
// that are no entry (the chord palette's spare button, keys, commands) do nothing.
EntryResult deliverToView(CPlmDoc& doc, ScoreView& view, const EntrySettings& settings, const EntryRequest& request);

}  // namespace plume
