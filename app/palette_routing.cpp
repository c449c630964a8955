#include "app/palette_routing.h"

#include <algorithm>
#include <array>

#include "app/frame_commands.h"

namespace plume {

namespace {

template <typename... Kind>
bool isOneOf(const EntryRequest& request) {
    return (std::holds_alternative<Kind>(request) || ...);
}

// The floating palettes; the entry bars are the frame's docks and follow their own visibility.
constexpr std::array<int, 8> kShowCommands = {
    cmd::kNotePalette,   cmd::kChordPalette, cmd::kEditPalette,  cmd::kKeyboardPalette,
    cmd::kEffectPalette, cmd::kDrumPalette,  cmd::kGatePalette,  cmd::kVelocityPalette,
};

}  // namespace

PaletteTarget paletteTarget(const RoutingState& state) {
    if (state.vokatoMode) return PaletteTarget::HumToScore;
    if (state.editPaletteShown && state.viewAllowsEditPalette) return PaletteTarget::EnlargedEditPalette;
    return PaletteTarget::View;
}

std::optional<PaletteTarget> routeEntryRequest(const EntryRequest& request, const RoutingState& state) {
    if (isOneOf<entry::EnterGroup, entry::EnterDrums>(request))
        return state.playing ? std::nullopt : std::optional(paletteTarget(state));
    if (isOneOf<entry::SetLyric, entry::SetChordName>(request))
        return state.playing || state.vokatoMode ? std::nullopt : std::optional(PaletteTarget::View);
    if (isOneOf<entry::SetDelayGates, entry::SetVelocities>(request))
        return state.vokatoMode ? std::nullopt : std::optional(PaletteTarget::View);
    return paletteTarget(state);
}

std::optional<int> PaletteVisibility::slot(int command) const {
    const auto it = std::find(kShowCommands.begin(), kShowCommands.end(), command);
    if (it == kShowCommands.end()) return std::nullopt;
    return int(it - kShowCommands.begin());
}

bool PaletteVisibility::isShown(int command) const {
    const auto s = slot(command);
    return s && (m_shown >> *s & 1u) != 0;
}

void PaletteVisibility::toggle(int command) {
    const auto s = slot(command);
    if (!s) return;
    m_shown ^= 1u << *s;
}

void PaletteVisibility::closed(int command) {
    if (const auto s = slot(command)) m_shown &= ~(1u << *s);
}

bool PaletteVisibility::showCommandEnabled(const FrameState& state) {
    return state.active == ActiveChild::Song && !state.activeMinimised;
}

}  // namespace plume
