#pragma once
// The palettes' requests while the hum-to-score window is open: they edit its note list at its
// cursor as they would edit the score.

#include "app/entry_request.h"
#include "voice/vokato.h"

namespace plume {

// Rests and notes are inserted at the cursor (or replace its group in overwrite mode before the
// end), lengths and dots change the group at the cursor, a complete group keeps the replaced
// group's byte 3, drums write their set into byte 9 of every record. False when the request is
// not one the window takes or changes nothing.
bool applyEntryToVokato(voice::VokatoNotes& notes, const EntryRequest& request, const EntrySettings& settings,
                        const SongInfo& info);

}  // namespace plume
