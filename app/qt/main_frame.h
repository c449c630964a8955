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
#include <memory>
#include <vector>

#include "app/entry_state.h"
#include "app/frame_commands.h"
#include "app/frame_settings.h"
#include "app/palette_routing.h"
#include "play/play_slot.h"
#include "score/range_edit.h"
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
class EditKeyToolBar;
class EntryToolControl;
class NumericInputWidget;
class PlayController;
class PaletteReceiver;
class PaletteWindow;
struct NoteName;
class TextEntryWidget;

class CMainFrame : public QMainWindow, public SongWindows, public OpenDocumentLookup, public EntryHost {
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
    // A window for a new song, which has no path yet.
    CPlmChildWnd* newSongWindow(std::unique_ptr<CPlmDoc> document);
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
    bool insertMode() const { return m_entry.insert; }
    // The score views' clipboard, shared by every song window.
    ScoreClipboard& clipboard() { return m_clipboard; }
    // Stops whatever plays, through the hook that playback installs.
    void stopPlayback();
    void setStopPlaybackHook(std::function<void()> hook) { m_stopPlayback = std::move(hook); }
    // The song the hum-to-score window works on, or nullptr; such a song may not close.
    void setVokatoDocument(const CPlmDoc* document) { m_vokatoDocument = document; }
    bool vokatoWorksOn(const CPlmDoc& document) const { return m_vokatoDocument == &document; }
    const FrameSettings& settings() const { return m_settings; }
    // The player: playback, the "演奏" menu's dialogs, the instrument dialogs.
    PlayController& player() { return *m_player; }

    // --- entry: the state the palettes drive and what the score views ask ------------------------
    EntryState& entryState() { return m_entry; }
    bool mayEdit() const override { return !m_playing; }
    EntrySettings entrySettings() const override { return m_entry.settings(); }
    bool passKey(char key, bool shift) override;
    bool passNoteName(char letter) override;
    // Carries out an entry request on the active view.
    void deliverToActiveView(const PaletteMessage& message);
    NumericInputWidget* numericInputBar() const { return m_numericBar; }
    TextEntryWidget* lyricBar() const { return m_lyricBar; }
    TextEntryWidget* chordNameBar() const { return m_chordNameBar; }

    // --- palettes ----------------------------------------------------------------------------------
    // The frame owns the window (a child), toggles it with its show command and keeps the check mark.
    void addPalette(PaletteWindow* palette);
    PaletteWindow* palette(int showCommand) const { return m_palettes.value(showCommand); }
    void togglePalette(int showCommand);
    // The enlarged edit palette, which takes the entry requests while it is shown and the view lets it.
    void setPaletteReceiver(PaletteReceiver* receiver) { m_paletteReceiver = receiver; }
    RoutingState routingState() const;
    // The new mouse input's wheel window and the tool it chose.
    EntryToolControl& entryTools() { return *m_entryTools; }
    // The edit-key tool bar a right click in a score view shows.
    EditKeyToolBar* editKeyBar() const { return m_editKeyBar; }
    // Posts a palette's entry request where the routing rules send it (nowhere, while they hold it back).
    void postPaletteMessage(const PaletteMessage& message);
    // Sounds the notes of an entry while the monitor is on; playback installs it.
    void setNoteSounder(std::function<void(const std::vector<SongRecord>&)> sounder) {
        m_noteSounder = std::move(sounder);
    }

    // --- status bar --------------------------------------------------------------------------------
    // "%3d行" and "%3d小節"; a line of -1 empties the line pane.
    void setLinePane(int line, int bar);
    // The two free panes.
    void setFreePanes(const QString& line, const QString& bar);
    QString paneText(int pane) const;  // 0 message .. 5 bar, in the order shown

Q_SIGNALS:
    // The active view placed its caret (after a move, an entry or a change of window): the windows
    // that show the cursor group refresh.
    void caretPlaced(CPlmView* view);
    // A key passed by a view changed the entry choice (length, dot).
    void entryChanged();

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
    CPlmChildWnd* addSongWindow(std::unique_ptr<CPlmDoc> document, const std::filesystem::path& path, bool minimised);
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
    void createEntryBars();
    void createPalettes();
    // The enlarged edit, effect, gate-time and velocity palettes, the edit-key bar and the wheel.
    void createValuePalettes();
    void hookView(CPlmView& view);
    void toggleKeyboardPaletteSize();
    // Shows a hidden bar, hides a shown one; the lyric and chord-name bars never show together.
    void toggleEntryBar(int command);
    void enterTypedNotes(const std::vector<NoteName>& notes);
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
    EntryState m_entry;
    NumericInputWidget* m_numericBar = nullptr;
    TextEntryWidget* m_lyricBar = nullptr;
    TextEntryWidget* m_chordNameBar = nullptr;
    std::function<void()> m_stopPlayback;
    std::unique_ptr<PlayController> m_player;
    ScoreClipboard m_clipboard{[this] { stopPlayback(); }};
    const CPlmDoc* m_vokatoDocument = nullptr;
    PaletteVisibility m_paletteShown;
    QMap<int, PaletteWindow*> m_palettes;
    PaletteReceiver* m_paletteReceiver = nullptr;
    EntryToolControl* m_entryTools = nullptr;
    EditKeyToolBar* m_editKeyBar = nullptr;
    std::function<void(const std::vector<SongRecord>&)> m_noteSounder;
};

}  // namespace plume
