#pragma once
// The actions of the main frame's own commands (files, project, view, play, windows, help), bound in
// its command registry.

namespace plume {

class CMainFrame;
class CommandRegistry;

void bindFrameActions(CMainFrame& frame, CommandRegistry& commands);

}  // namespace plume
