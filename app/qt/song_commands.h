#pragma once
// The main frame's commands on songs: the Edit menu's range editing and undo with their dialogs,
// "指定行", and the document commands "新規作成", "ﾌﾟﾛﾊﾟﾃｨｰ" and "ﾃﾞｰﾀﾁｪｯｸ".

namespace plume {

class CMainFrame;

// Carries out `id` when it is one of these commands; false for any other command.
bool runSongCommand(CMainFrame& frame, int id);

}  // namespace plume
