#include "app/palette_routing.h"

#include <algorithm>
#include <array>

#include "app/frame_commands.h"
#include "app/palette_messages.h"

namespace plume {

namespace {

constexpr std::array<int, 11> kShowCommands = {
    cmd::kNotePalette,   cmd::kChordPalette, cmd::kEditPalette,  cmd::kKeyboardPalette,
    cmd::kEffectPalette, cmd::kDrumPalette,  cmd::kGatePalette,  cmd::kVelocityPalette,
    cmd::kNumericInput,  cmd::kLyricInput,   cmd::kChordNameInput,
};

}  // namespace

bool isPaletteWindowCommand(int command) {
    static constexpr std::array<int, 7> kWindows = {
        cmd::kNotePalette,   cmd::kChordPalette, cmd::kEditPalette,     cmd::kKeyboardPalette,
        cmd::kEffectPalette, cmd::kGatePalette,  cmd::kVelocityPalette,
    };
    return std::find(kWindows.begin(), kWindows.end(), command) != kWindows.end();
}

PaletteTarget paletteTarget(const RoutingState& state) {
    if (state.vokatoMode) return PaletteTarget::HumToScore;
    if (state.editPaletteShown && state.viewAllowsEditPalette) return PaletteTarget::EnlargedEditPalette;
    return PaletteTarget::View;
}

std::optional<PaletteTarget> routePaletteMessage(std::uint32_t message, const RoutingState& state) {
    switch (message) {
    case palette_msg::kEnterGroup:
    case palette_msg::kEnterDrums:
        if (state.playing) return std::nullopt;
        return paletteTarget(state);
    case palette_msg::kSetLyric:
    case palette_msg::kSetChordName:
        if (state.playing || state.vokatoMode) return std::nullopt;
        return PaletteTarget::View;
    case palette_msg::kSetDelayGate:
    case palette_msg::kSetVelocity:
        if (state.vokatoMode) return std::nullopt;
        return PaletteTarget::View;
    default:
        return paletteTarget(state);
    }
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
    if (!isShown(command)) return;
    if (command == cmd::kLyricInput) closed(cmd::kChordNameInput);
    if (command == cmd::kChordNameInput) closed(cmd::kLyricInput);
}

void PaletteVisibility::closed(int command) {
    if (const auto s = slot(command)) m_shown &= ~(1u << *s);
}

bool PaletteVisibility::showCommandEnabled(const FrameState& state) {
    return state.active == ActiveChild::Song && !state.activeMinimised;
}

}  // namespace plume
