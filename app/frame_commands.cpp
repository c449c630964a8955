#include "app/frame_commands.h"

#include "platform/message_box.h"

namespace plume {

bool positionPanesEnabled(const FrameState& state) {
    return state.active == ActiveChild::Song && !state.activeMinimised;
}

std::string linePaneText(int line) { return line == -1 ? std::string() : platform::formatMessage("%3d行", line); }

std::string barPaneText(int bar) { return platform::formatMessage("%3d小節", bar); }

std::optional<std::string> closeRefusal(const FrameState& state) {
    if (state.playing) return "演奏を止めてから、終了して下さい。";
    if (state.vokatoMode) return "Vokatoを終わりにしてから、終了して下さい。";
    return std::nullopt;
}

}  // namespace plume
