#pragma once
// The main frame's entry state: the note palette's choice (length, dot, accidental, monitor) and the
// insert switch, which the score view reads at the moment of entry; and the delivery of a palette's
// entry request to a score view.

#include "app/note_palette_logic.h"
#include "app/palette_messages.h"
#include "score/note_entry.h"

namespace plume {

class CPlmDoc;
class ScoreView;

struct EntryState {
    NoteChoice choice;
    bool insert = true;  // "挿入／上書き": the status bar shows "上書" while it is off

    EntrySettings settings() const { return {noteLengthType(choice.lengthIndex), dotBits(choice.dot), insert}; }
};

// Carries out a request posted to a score view (0x852 .. 0x869) with the entry settings of this
// moment; 0x857, 0x85C and unknown messages do nothing. The texts of 0x868 and 0x869 are UTF-8.
EntryResult deliverToView(CPlmDoc& doc, ScoreView& view, const EntrySettings& settings, const PaletteMessage& message);

}  // namespace plume
