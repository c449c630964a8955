#pragma once
// The tool-bar images, drawn by code.

#include <QIcon>

namespace plume {

inline constexpr int kToolIconSize = 20;

// The image of a tool-bar command; a framed short text for commands without a drawing.
QIcon toolIcon(int id);
// The program's own icon: a note on a staff.
QIcon appIcon();

}  // namespace plume
