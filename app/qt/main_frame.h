#pragma once
// CMainFrame: the MDI main window. It holds the command registry with its menus and tool bars, the
// song windows, the palettes, the entry bars and the status bar, and applies the enabling rules.

#include <QMainWindow>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "app/command_registry.h"
#include "app/entry_state.h"
#include "app/frame_settings.h"
#include "app/qt/song_window_list.h"
#include "score/range_edit.h"

class QMdiArea;
class QAction;
class QMenu;
class QMdiSubWindow;

namespace plume {

class CMixer;
class CommandUi;
class CPlmApp;
class CPlmChildWnd;
class CPlmView;
class EditKeyToolBar;
class EntryToolControl;
class NumericInputWidget;
class PaletteHost;
class PaletteWindow;
class PlayController;
class StatusPanes;
class TextEntryWidget;
class VokatoHost;
struct NoteName;
namespace voice {
class FeedbackSounds;
class WaveDriver;
}

class CMainFrame : public QMainWindow, public SongWindows, public OpenDocumentLookup, public EntryHost {
    Q_OBJECT

public:
    // Reads the frame's settings.
    explicit CMainFrame(CPlmApp& app);
    // Writes the frame's settings back.
    ~CMainFrame() override;

    CPlmApp& app() { return m_app; }

    // --- song windows (see SongWindowList) ---------------------------------------------------------
    std::vector<SongWindow*> songWindows() override { return m_songs->songWindows(); }
    bool openSongWindow(const std::filesystem::path& path, bool minimised) override {
        return m_songs->openSongWindow(path, minimised);
    }
    CPlmChildWnd* newSongWindow(std::unique_ptr<CPlmDoc> document, const std::filesystem::path& path = {}) {
        return m_songs->newSongWindow(std::move(document), path);
    }
    void addToRecentFiles(const std::filesystem::path& path) override { m_songs->addToRecentFiles(path); }
    CPlmDoc* findDocument(const std::filesystem::path& path) override { return m_songs->findDocument(path); }
    const CPlmDoc* findOpenDocument(const std::filesystem::path& path) const override {
        return m_songs->findOpenDocument(path);
    }
    std::vector<CPlmChildWnd*> childWindows() const { return m_songs->childWindows(); }
    CPlmChildWnd* activeChild() const { return m_songs->activeChild(); }
    CPlmView* activeView() const { return m_songs->activeView(); }
    QMdiArea* mdiArea() const { return m_mdi; }

    // --- commands ----------------------------------------------------------------------------------
    // Carries out a command as its menu item or tool button does, when it is enabled.
    void runCommand(int id);
    // After a command or a palette request: the keyboard goes back to the active song's score
    // unless an entry bar of the frame holds it or a modal dialog is open.
    void returnFocusToScore();
    QAction* action(int id) const;
    CommandUi& commandUi() { return *m_commandUi; }
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
    // The hum-to-score window's keeper.
    VokatoHost& vokato() { return *m_vokato; }
    // The sound card's wave driver, opened on first use; tests put a file driver in its place
    // before the frame is made.
    static voice::WaveDriver& waveDriver();
    static void setWaveDriver(std::unique_ptr<voice::WaveDriver> driver);
    // The count-in and the trainers' feedback sounds, over the wave driver.
    voice::FeedbackSounds& feedbackSounds() { return *m_sounds; }
    // The song the hum-to-score window works on, or nullptr; such a song may not close.
    void setVokatoDocument(const CPlmDoc* document) { m_vokatoDocument = document; }
    bool vokatoWorksOn(const CPlmDoc& document) const { return m_vokatoDocument == &document; }
    // While a song window closes (the area then activates another window).
    void setSongClosing(bool closing) { m_songClosing = closing; }
    const FrameSettings& settings() const { return m_settings; }
    FrameSettings& settings() { return m_settings; }
    // The player: playback, the "演奏" menu's dialogs, the instrument dialogs.
    PlayController& player() { return *m_player; }
    // The mixer window: made with the frame, minimised instead of closed.
    CMixer* mixer() const { return m_mixer; }
    bool mixerActive() const;
    StatusPanes& statusPanes() { return *m_panes; }
    QString paneText(int pane) const;  // 0 message .. 5 bar, in the order shown

    // --- entry: the state the palettes drive and what the score views ask ------------------------
    EntryState& entryState() { return m_entry; }
    bool mayEdit() const override { return !m_playing; }
    EntrySettings entrySettings() const override { return m_entry.settings(); }
    bool passKey(char key, bool shift) override;
    bool passNoteName(char letter) override;
    // Carries out an entry request on the active view.
    void deliverToActiveView(const EntryRequest& request);
    NumericInputWidget* numericInputBar() const { return m_numericBar; }
    TextEntryWidget* lyricBar() const { return m_lyricBar; }
    TextEntryWidget* chordNameBar() const { return m_chordNameBar; }
    // Shows a hidden bar, hides a shown one; the lyric and chord-name bars never show together.
    void toggleEntryBar(int command);
    // Sounds the notes of an entry while the monitor is on; playback installs it.
    void setNoteSounder(std::function<void(const std::vector<SongRecord>&)> sounder) {
        m_noteSounder = std::move(sounder);
    }

    // --- palettes (see PaletteHost) ----------------------------------------------------------------
    PaletteHost& palettes() { return *m_palettes; }
    PaletteWindow* palette(int showCommand) const;
    EntryToolControl& entryTools();
    EditKeyToolBar* editKeyBar() const;
    // Sends a palette's, bar's or key's request where the routing rules send it.
    void postRequest(const EntryRequest& request);

Q_SIGNALS:
    // The active view placed its caret (after a move, an entry or a change of window): the windows
    // that show the cursor group refresh.
    void caretPlaced(CPlmView* view);
    // The last song window has closed: the windows that follow the active song show none.
    void noSongActive();
    // A key passed by a view changed the entry choice (length, dot).
    void entryChanged();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void hideEntryBar(QWidget* bar);
    void createEntryBars();
    void listShown(int list, QMenu* menu);
    void childActivated(QMdiSubWindow* window);
    void viewMoved(CPlmView* view);
    void enterTypedNotes(const std::vector<NoteName>& notes);

    CPlmApp& m_app;
    FrameSettings m_settings;
    QMdiArea* m_mdi = nullptr;
    CommandRegistry m_commands;
    CommandUi* m_commandUi = nullptr;
    std::unique_ptr<StatusPanes> m_panes;
    std::unique_ptr<SongWindowList> m_songs;
    PaletteHost* m_palettes = nullptr;
    bool m_playing = false;
    EntryState m_entry;
    NumericInputWidget* m_numericBar = nullptr;
    TextEntryWidget* m_lyricBar = nullptr;
    TextEntryWidget* m_chordNameBar = nullptr;
    std::function<void()> m_stopPlayback;
    CMixer* m_mixer = nullptr;
    std::unique_ptr<PlayController> m_player;
    ScoreClipboard m_clipboard{[this] { stopPlayback(); }};
    const CPlmDoc* m_vokatoDocument = nullptr;
    bool m_songClosing = false;
    std::unique_ptr<voice::FeedbackSounds> m_sounds;  // before the windows that play them
    std::unique_ptr<VokatoHost> m_vokato;
    std::function<void(const std::vector<SongRecord>&)> m_noteSounder;
};

}  // namespace plume
