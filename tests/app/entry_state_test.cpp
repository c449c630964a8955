// Palette requests delivered to a view with the frame's entry state.
#include <gtest/gtest.h>

#include "app/entry_state.h"
#include "score/score_view.h"
#include "support/song_builder.h"

namespace plume {
namespace {

using namespace test;

TEST(EntryState, ADrumRequestEntersItsNotesWithTheDrumSetAsProgram) {
    // GIVEN a quarter note and the quarter-rest length chosen, dotted: entries use a dotted quarter
    std::unique_ptr<CPlmDoc> doc = CPlmDoc::create();
    doc->load(songOf(notes(3, {60})));
    ScoreView view(*doc);
    EntryState state;
    state.choice.lengthIndex = 8;
    state.choice.dot = 1;
    // WHEN the drum palette sends set 16 with two keys
    deliverToView(*doc, view, state.settings(), entry::EnterDrums{16, {{36, 0}, {42, 0}}});
    // THEN a two-note group stands before the note, with the set as its program and a program record
    EXPECT_EQ(doc->record(0).groupSize(), 3);
    EXPECT_EQ(doc->record(0).key(), 42);
    EXPECT_EQ(doc->record(0).bytes[2], 3 | mark::kDotted);
    EXPECT_EQ(doc->record(1).programInForce(), 16);
    EXPECT_NE(doc->findEffect(0, effect::kProgram), kNoRecord);
    // AND the following note gets its own program back
    EXPECT_NE(doc->findEffect(3, effect::kProgram), kNoRecord);
    // AND the unassigned chord button changes nothing
    EXPECT_FALSE(deliverToView(*doc, view, state.settings(), entry::ChordSpare{}).changed);
}

}  // namespace
}  // namespace plume
