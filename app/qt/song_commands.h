#pragma once
// The main frame's commands on songs: the Edit menu's range editing and undo with their dialogs,
// "指定行", and the document commands "新規作成", "ﾌﾟﾛﾊﾟﾃｨｰ" and "ﾃﾞｰﾀﾁｪｯｸ".

namespace plume {

class CMainFrame;
class CommandRegistry;

// Binds these commands' actions in `commands`.
void bindSongCommands(CMainFrame& frame, CommandRegistry& commands);

}  // namespace plume
