#pragma once
// CMainFrame: the MDI main window. It lays out the menus, the tool bars and the status bar from the
// command tables, keeps the song windows, carries out the frame's commands and applies their
// enabling rules.

#include <QLabel>
#include <QMainWindow>
#include <QMap>
#include <QProgressBar>
#include <filesystem>
#include <functional>
#include <vector>

#include "app/frame_commands.h"
#include "app/frame_settings.h"
#include "play/play_slot.h"
#include "song/project.h"

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;

namespace plume {

class CPlmApp;
class CPlmChildWnd;
class CPlmView;

class CMainFrame : public QMainWindow, public SongWindows, public OpenDocumentLookup {
    Q_OBJECT

public:
    // Reads the frame's settings.
    explicit CMainFrame(CPlmApp& app);
    // Writes the frame's settings back.
    ~CMainFrame() override;

    CPlmApp& app() { return m_app; }

    // --- song windows ----------------------------------------------------------------------------
    std::vector<SongWindow*> songWindows() override;
    // An open song is activated instead of being opened twice; a new one enters the recent-file
    // list unless the project is reopening its windows.
    bool openSongWindow(const std::filesystem::path& path, bool minimised) override;
    void addToRecentFiles(const std::filesystem::path& path) override;
    CPlmDoc* findDocument(const std::filesystem::path& path) override;
    const CPlmDoc* findOpenDocument(const std::filesystem::path& path) const override;
    std::vector<CPlmChildWnd*> childWindows() const;
    CPlmChildWnd* activeChild() const;
    CPlmView* activeView() const;
    QMdiArea* mdiArea() const { return m_mdi; }

    // --- commands ----------------------------------------------------------------------------------
    // Carries out a command as its menu item or tool button does.
    void runCommand(int id);
    QAction* action(int id) const { return m_actions.value(id); }
    FrameState state() const;
    // Applies the enabling rules to every command and refreshes the status panes.
    void updateCommands();
    // After the project changed: the window title and the commands.
    void projectChanged();

    // --- state other windows ask for ---------------------------------------------------------------
    bool isPlaying() const { return m_playing; }
    // PlayMode other than Stopped (set by playback).
    void setPlaying(bool playing);
    bool insertMode() const { return m_insert; }
    const FrameSettings& settings() const { return m_settings; }

    // --- status bar --------------------------------------------------------------------------------
    // "%3d行" and "%3d小節"; a line of -1 empties the line pane.
    void setLinePane(int line, int bar);
    // The two free panes.
    void setFreePanes(const QString& line, const QString& bar);
    QString paneText(int pane) const;  // 0 message .. 5 bar, in the order shown

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createActions();
    void createMenus();
    void createToolBars();
    void createStatusBar();
    void fillRecentFiles(QMenu* menu);
    void fillRecentProjects(QMenu* menu);
    void fillWindowList(QMenu* menu);
    void addMenuEntries(QMenu* menu, std::span<const MenuEntry> entries);
    void childActivated(QMdiSubWindow* window);
    void placeNewWindow(QMdiSubWindow* window);
    void viewMoved(CPlmView* view);
    void withActiveView(const std::function<bool(CPlmView&)>& move);

    void openSong();
    void openRecentFile(int index);
    void openRecentProject(int index);
    void editProject();
    void exportMidi();
    void exportMld();
    void toggleGrandStaff();
    void toggleInsert();
    void showAbout();

    CPlmApp& m_app;
    FrameSettings m_settings;
    QMdiArea* m_mdi = nullptr;
    QMap<int, QAction*> m_actions;
    std::vector<QMenu*> m_submenus;
    QToolBar* m_mainToolBar = nullptr;
    QToolBar* m_vokatoToolBar = nullptr;
    std::array<QLabel*, 6> m_panes{};
    QProgressBar* m_progress = nullptr;
    bool m_playing = false;
    bool m_insert = true;
    bool m_allTracks = false;
    bool m_repeat = false;
};

}  // namespace plume
