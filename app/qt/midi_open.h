#pragma once
// Opening a Standard MIDI File in the editor: from "開く", dropped on the main window, or named on
// the command line. The file is imported beside itself; a project opens as the current project,
// a single song in its window.

#include <filesystem>

namespace plume {

class CMainFrame;

// "Plumeﾌｧｲﾙ (*.PLM)" and the MIDI files, for the open dialog.
inline constexpr const char* kOpenFileFilter = "Plumeﾌｧｲﾙ (*.PLM);;MIDIﾌｧｲﾙ (*.mid *.MID)";

// A song opens in its window; a MIDI file is imported first. False when nothing opened.
bool openSongOrMidi(CMainFrame& frame, const std::filesystem::path& path);

// Lets .mid files (and songs) be dropped onto the frame to open them.
void acceptDroppedFiles(CMainFrame& frame);

}  // namespace plume
