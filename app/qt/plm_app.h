#pragma once
// CPlmApp: the application object. It owns the glyphs, the current project, the recent-file list,
// the grand-staff and display-mode toggles and the main frame, and runs the start-up sequence.

#include <filesystem>
#include <memory>

#include "app/recent_file_list.h"
#include "app/startup_options.h"
#include "score/qt/qt_canvas.h"
#include "platform/qt/qt_file_dialog.h"
#include "platform/qt/qt_message_box.h"
#include "score/glyphs.h"
#include "song/project.h"

namespace plume {

class CMainFrame;
class CPlmChildWnd;
class DatabaseLink;
class RecoveryKeeper;

class CPlmApp {
public:
    // Loads the glyphs; the frame comes with startUp().
    CPlmApp();
    ~CPlmApp();
    CPlmApp(const CPlmApp&) = delete;
    CPlmApp& operator=(const CPlmApp&) = delete;

    // Creates the main frame and shows it maximised (or at its normal size when `maximised` is
    // false, as the tests want), opens the command line's song, then reopens the last project (or
    // the command line's project).
    void startUp(const StartupOptions& options, bool maximised = true);

    CMainFrame& frame() { return *m_frame; }
    ProjectState& project() { return *m_project; }
    bool hasProject() const { return m_project != nullptr; }
    RecentFileList& recentFiles() { return m_recentFiles; }
    const GlyphSet& glyphs() const { return m_glyphs; }
    platform::GlyphImages& glyphImages() { return m_images; }
    platform::FileDialog& fileDialog() { return *m_fileDialog; }
    // The song database window's keeper; its window is created hidden at start-up.
    DatabaseLink& database() { return *m_database; }
    // The frame's file play ended: the database window is told.
    void databasePlayEnded();
    // Keeps recovery copies of modified songs in `folder` every `intervalMs` and offers what an
    // editor that ended without saving left there; after startUp().
    void startRecovery(const std::filesystem::path& folder, int intervalMs);
    // A song window saved its song or closes: its recovery copy goes.
    void songSettled(const CPlmChildWnd& window);

    bool grandStaff() const { return m_grandStaff; }
    void setGrandStaff(bool on) { m_grandStaff = on; }
    int displayMode() const { return m_displayMode; }
    void setDisplayMode(int mode) { m_displayMode = mode; }

private:
    GlyphSet m_glyphs;
    platform::GlyphImages m_images;
    platform::QtMessageBox m_messageBox;
    RecentFileList m_recentFiles;
    bool m_grandStaff = false;
    int m_displayMode = 0;
    std::unique_ptr<CMainFrame> m_frame;
    std::unique_ptr<platform::QtFileDialog> m_fileDialog;
    std::unique_ptr<ProjectState> m_project;
    std::unique_ptr<DatabaseLink> m_database;
    std::unique_ptr<RecoveryKeeper> m_recovery;
};

}  // namespace plume
