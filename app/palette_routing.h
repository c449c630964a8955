#pragma once
// Where the palettes' requests go, which of them the frame lets through while something plays, and
// which palettes are shown.

#include <optional>

#include "app/entry_request.h"

namespace plume {

struct FrameState;

enum class PaletteTarget { View, EnlargedEditPalette, HumToScore };

struct RoutingState {
    bool playing = false;
    bool vokatoMode = false;
    bool editPaletteShown = false;
    bool viewAllowsEditPalette = false;  // the active view reports that the palette may be used
};

// The hum-to-score window in Vokato mode; else the enlarged edit palette when it is shown and the
// view allows it; else the active view.
PaletteTarget paletteTarget(const RoutingState& state);
// Where the frame sends a palette's request, or nothing: the group, drum, lyric and chord-name relays
// stop while playing; the value windows and the texts reach only the view, never in Vokato mode.
std::optional<PaletteTarget> routeEntryRequest(const EntryRequest& request, const RoutingState& state);

// The show commands' flags (each toggles its palette and carries a check mark while it is shown).
class PaletteVisibility {
public:
    bool isShown(int command) const;
    // Ids other than the floating palettes' show commands are ignored.
    void toggle(int command);
    // The palette was closed by its own frame.
    void closed(int command);
    // The check of a show command is enabled only while an MDI child other than the mixer is active
    // and not minimised.
    static bool showCommandEnabled(const FrameState& state);

private:
    std::optional<int> slot(int command) const;

    unsigned m_shown = 0;
};

}  // namespace plume
