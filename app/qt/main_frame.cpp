#include "app/qt/main_frame.h"

#include <QApplication>
#include <algorithm>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScreen>
#include <QStatusBar>

#include "app/qt/command_ui.h"
#include "app/qt/database_link.h"
#include "app/qt/entry_tool_control.h"
#include "app/qt/frame_actions.h"
#include "app/qt/numeric_input_widget.h"
#include "app/qt/palette_host.h"
#include "app/qt/play_controller.h"
#include "app/qt/plm_app.h"
#include "app/qt/plm_child_wnd.h"
#include "app/qt/status_panes.h"
#include "app/qt/text_entry_widget.h"
#include "app/qt/tool_icons.h"
#include "app/qt/vokato_host.h"
#include "platform/message_box.h"
#include "platform/profile.h"
#include "play/qt/mixer_window.h"
#include "score/chord_identify.h"
#include "score/qt/plm_view_widget.h"
#include "voice/devices/portaudio_driver.h"
#include "voice/feedback_sound.h"
#include "voice/qt/trainer_dialogs.h"
#include "song/plm_doc.h"

namespace plume {

namespace {

QString qs(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

}  // namespace

CMainFrame::CMainFrame(CPlmApp& app) : m_app(app), m_settings(FrameSettings::load(platform::plmProfile())) {
    m_app.setDisplayMode(m_settings.viewMode);
    setWindowTitle(QStringLiteral("Plume"));
    setWindowIcon(appIcon());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) resize(screen->availableGeometry().size() * 0.9);

    m_mdi = new QMdiArea(this);
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setBackground(QColor(128, 128, 128));
    setCentralWidget(m_mdi);
    connect(m_mdi, &QMdiArea::subWindowActivated, this, &CMainFrame::childActivated);
    m_songs = std::make_unique<SongWindowList>(*this, *m_mdi, [this](CPlmChildWnd& child) {
        connect(&child.view(), &CPlmView::cursorMoved, this, [this, view = &child.view()] { viewMoved(view); });
        m_palettes->hookView(child.view());
    });

    m_commandUi = new CommandUi(*this, [this](int id) { runCommand(id); });
    m_commandUi->buildMenus([this] { updateCommands(); }, [this](int list, QMenu* menu) { listShown(list, menu); });
    m_commandUi->addToolBar(QStringLiteral("標準"), QStringLiteral("mainToolBar"), mainToolBar());
    m_commandUi->addToolBar(QStringLiteral("Vokato"), QStringLiteral("vokatoToolBar"), vokatoToolBar(),
                            [](const FrameState& s) { return s.vokatoMode; });
    m_panes = std::make_unique<StatusPanes>(*statusBar());
    createEntryBars();
    m_palettes = new PaletteHost(*this, m_commands);
    m_palettes->entryTools().refreshCursors(cursor_refresh::kPalettes);
    bindFrameActions(*this, m_commands);
    m_mixer = createMixer(*m_mdi, [this]() -> const ProjectData* {
        return m_app.hasProject() && m_app.project().isSet() ? &m_app.project().data() : nullptr;
    });
    // Focus leaving a hidden bar goes on to a song window, never to the minimised mixer.
    m_mixer->setFocusPolicy(Qt::ClickFocus);
    m_player = std::make_unique<PlayController>(*this, m_settings.play);
    m_palettes->addDrumPalette(m_commands, *m_player);
    m_sounds = std::make_unique<voice::WaveFeedbackSounds>(waveDriver(), voice::trainerSoundFolders());
    m_vokato = std::make_unique<VokatoHost>(*this, waveDriver(), *m_sounds);
    setNoteSounder([this](const std::vector<SongRecord>& notes) { m_player->soundNotes(notes); });
}

CMainFrame::~CMainFrame() {
    m_vokato.reset();
    m_player.reset();  // playing stops before the songs it plays go
    m_settings.viewMode = m_app.displayMode();
    m_settings.save(platform::plmProfile());
    // The windows go before the frame's own parts, and tell it nothing on the way.
    disconnect(m_mdi, nullptr, this, nullptr);
    for (QMdiSubWindow* window : m_mdi->subWindowList())
        if (auto* child = qobject_cast<CPlmChildWnd*>(window)) disconnect(&child->view(), nullptr, this, nullptr);
    delete m_mdi;
}

namespace {
std::unique_ptr<voice::WaveDriver>& waveDriverSlot() {
    static std::unique_ptr<voice::WaveDriver> driver;
    return driver;
}
}  // namespace

voice::WaveDriver& CMainFrame::waveDriver() {
    std::unique_ptr<voice::WaveDriver>& driver = waveDriverSlot();
    if (!driver) driver = voice::makeSystemWaveDriver();
    return *driver;
}

void CMainFrame::setWaveDriver(std::unique_ptr<voice::WaveDriver> driver) { waveDriverSlot() = std::move(driver); }

// ---- commands ------------------------------------------------------------------------------------

void CMainFrame::runCommand(int id) {
    if (m_commands.run(id, state())) updateCommands();
    returnFocusToScore();
}

void CMainFrame::returnFocusToScore() {
    CPlmView* view = activeView();
    if (!view || QApplication::activeModalWidget()) return;
    QWidget* focus = QApplication::focusWidget();
    const bool elsewhere = !focus || !isAncestorOf(focus) || focus == activeChild();
    if (!elsewhere || focus == view) return;
    activateWindow();
    view->setFocus(Qt::OtherFocusReason);
}

QAction* CMainFrame::action(int id) const { return m_commandUi->action(id); }

FrameState CMainFrame::state() const {
    FrameState s;
    s.playing = m_playing;
    s.playMode = m_player ? m_player->playMode() : PlayMode::Stopped;
    s.projectSet = m_app.hasProject() && m_app.project().isSet();
    if (CPlmChildWnd* child = activeChild()) {
        s.active = ActiveChild::Song;
        s.activeMinimised = child->isMinimized();
        s.songEmpty = child->document().recordCount() == 0;
        const ScoreView& view = child->view().logic();
        s.hasRange = view.hasRange();
        s.canUndo = view.undoRing().canUndo();
        s.tupletCount = tupletCount(view.records(), selectedRecords(view));
        s.chordsIdentifiable =
            canIdentifyChords(view.records(), selectedRecords(view), child->document().songInfo(), m_playing);
    } else if (mixerActive()) {
        s.active = ActiveChild::Mixer;
        s.activeMinimised = m_mixer->isMinimized();
    }
    s.grandStaff = m_app.grandStaff();
    s.effectDisplay = m_app.displayMode() == 1;
    s.zoom = m_settings.zoom;
    s.allTracks = m_player && m_player->allTracks();
    s.repeat = m_player && m_player->repeat();
    s.clipboardFull = m_clipboard.hasData();
    s.showLevel = m_settings.play.showLevel != 0;
    s.newMouseInput = m_settings.newMouseInput != 0;
    s.largeKeyboardPalette = m_settings.pianoPaletteSize != 0;
    if (m_vokato) m_vokato->fillState(s);
    s.numericBarShown = m_numericBar && m_numericBar->isVisible();
    s.lyricBarShown = m_lyricBar && m_lyricBar->isVisible();
    s.chordNameBarShown = m_chordNameBar && m_chordNameBar->isVisible();
    if (m_palettes) s.palettes = m_palettes->shown();
    s.toolBarShown = m_commandUi && m_commandUi->toolBarsShown();
    s.statusBarShown = !statusBar()->isHidden();
    return s;
}

bool CMainFrame::mixerActive() const { return m_mixer && m_mdi->currentSubWindow() == m_mixer; }

void CMainFrame::updateCommands() {
    const FrameState s = state();
    m_commandUi->update(m_commands, s);
    const auto& recent = m_app.recentFiles().paths();
    for (int i = 0; i < kRecentFileCount; ++i) {
        QAction* a = action(cmd::kRecentFile1 + i);
        a->setVisible(std::size_t(i) < recent.size() || i == 0);
        a->setEnabled(std::size_t(i) < recent.size());
        a->setText(std::size_t(i) < recent.size() ? qs(m_app.recentFiles().menuText(std::size_t(i)))
                                                   : qs(commandText(cmd::kRecentFile1)));
    }
    m_panes->setInsert(m_entry.insert);
    const bool panes = positionPanesEnabled(s);
    m_panes->setPositionEnabled(panes);
    CPlmView* view = activeView();
    action(cmd::kEditUndo)->setText(qs(view ? view->logic().undoRing().menuText() : commandText(cmd::kEditUndo)));
    if (!panes || !view) {
        m_panes->clearPosition();
        return;
    }
    const ScoreView& logic = view->logic();
    const StatusNumbers cursor = logic.cursorNumbers();
    m_panes->setLine(cursor.line, cursor.measure);
    if (const auto other = logic.rangeEndNumbers())
        m_panes->setFree(qs(linePaneText(other->line)), qs(barPaneText(other->measure)));
    else
        m_panes->setFree({}, {});
}

// The recent projects' texts and the list of windows, as their menu opens.
void CMainFrame::listShown(int list, QMenu* menu) {
    if (list == cmd::kRecentFile1) {
        updateCommands();
    } else if (list == cmd::kRecentProject1) {
        const RecentProjectList& recent = m_app.project().recent();
        for (int i = 0; i < kRecentProjectCount; ++i) {
            QAction* a = action(cmd::kRecentProject1 + i);
            const bool listed = std::size_t(i) < recent.paths().size();
            a->setVisible(listed || i == 0);
            a->setEnabled(listed);
            a->setText(listed ? QStringLiteral("&%1 ").arg(i + 1) + qs(recent.menuName(std::size_t(i)))
                              : qs(commandText(cmd::kRecentProject1)));
        }
    } else if (list == CommandEntry::kWindowList) {
        for (QAction* a : menu->actions()) {
            if (!a->property("windowList").toBool()) continue;
            menu->removeAction(a);
            a->deleteLater();
        }
        int number = 1;
        for (QMdiSubWindow* window : m_mdi->subWindowList(QMdiArea::CreationOrder)) {
            QAction* a = menu->addAction(QStringLiteral("&%1 ").arg(number++) + window->windowTitle());
            a->setProperty("windowList", true);
            a->setCheckable(true);
            a->setChecked(window == m_mdi->currentSubWindow());
            connect(a, &QAction::triggered, this, [this, window] { m_mdi->setActiveSubWindow(window); });
        }
    }
}

QString CMainFrame::paneText(int pane) const { return m_panes->text(pane); }

void CMainFrame::projectChanged() {
    setWindowTitle(qs(m_app.project().mainWindowTitle()));
    updateCommands();
}

void CMainFrame::stopPlayback() {
    if (m_stopPlayback) m_stopPlayback();
}

void CMainFrame::setPlaying(bool playing) {
    m_playing = playing;
    updateCommands();
}

void CMainFrame::childActivated(QMdiSubWindow* window) {
    // A closing song hands the activation on; the minimised mixer does not take it from a song.
    if (m_songClosing && window && window == m_mixer && m_mixer->isMinimized()) {
        const QList<QMdiSubWindow*> recent = m_mdi->subWindowList(QMdiArea::ActivationHistoryOrder);
        for (auto it = recent.rbegin(); it != recent.rend(); ++it) {
            auto* child = qobject_cast<CPlmChildWnd*>(*it);
            if (!child || child->isClosing() || child->isMinimized()) continue;
            m_mdi->setActiveSubWindow(child);
            return;
        }
    }
    if (CPlmView* view = activeView()) {
        viewMoved(view);
    } else {
        updateCommands();
        if (childWindows().empty()) Q_EMIT noSongActive();  // (not while the mixer is merely in front)
    }
}

void CMainFrame::viewMoved(CPlmView* view) {
    if (view != activeView()) return;
    updateCommands();
    Q_EMIT caretPlaced(view);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (const auto refusal = closeRefusal(state())) {
        platform::messageBox().show(*refusal);
        event->ignore();
        return;
    }
    if (!m_app.database().closeWindow() || !m_app.project().exit()) {
        event->ignore();
        updateCommands();
        return;
    }
    m_app.recentFiles().save(platform::appProfile());
    event->accept();
}

// ---- palettes ------------------------------------------------------------------------------------

PaletteWindow* CMainFrame::palette(int showCommand) const {
    return m_palettes ? m_palettes->palette(showCommand) : nullptr;
}

EntryToolControl& CMainFrame::entryTools() { return m_palettes->entryTools(); }

EditKeyToolBar* CMainFrame::editKeyBar() const { return m_palettes->editKeyBar(); }

void CMainFrame::postRequest(const EntryRequest& request) {
    m_palettes->post(request);
    returnFocusToScore();
}

// ---- entry ---------------------------------------------------------------------------------------

void CMainFrame::createEntryBars() {
    m_numericBar = new NumericInputWidget(platform::plmProfile(), this);
    m_lyricBar = new TextEntryWidget(QStringLiteral("歌詞入力"), QStringLiteral("歌詞"), this);
    m_lyricBar->setObjectName(QStringLiteral("lyricBar"));
    m_chordNameBar = new TextEntryWidget(QStringLiteral("コード名入力"), QStringLiteral("コード名"), this);
    m_chordNameBar->setObjectName(QStringLiteral("chordNameBar"));
    for (QDockWidget* bar : std::initializer_list<QDockWidget*>{m_numericBar, m_lyricBar, m_chordNameBar}) {
        addDockWidget(Qt::BottomDockWidgetArea, bar);
        bar->hide();
        // The MDI area as context: the connection ends before the frame's teardown hides the bars.
        connect(bar, &QDockWidget::visibilityChanged, m_mdi, [this] { updateCommands(); });
    }
    m_numericBar->setEntryHandler([this](const std::vector<NoteName>& notes) { enterTypedNotes(notes); });
    connect(m_numericBar, &NumericInputWidget::dismissed, this, [this] { hideEntryBar(m_numericBar); });
    m_lyricBar->setEntryHandler([this](const std::string& text) { postRequest(entry::SetLyric{text}); });
    m_chordNameBar->setEntryHandler([this](const std::string& text) { postRequest(entry::SetChordName{text}); });
}

void CMainFrame::toggleEntryBar(int command) {
    if (command == cmd::kNumericInput) {
        if (m_numericBar->isVisible()) hideEntryBar(m_numericBar);
        else m_numericBar->openWith({});
        return;
    }
    TextEntryWidget* bar = command == cmd::kLyricInput ? m_lyricBar : m_chordNameBar;
    TextEntryWidget* other = bar == m_lyricBar ? m_chordNameBar : m_lyricBar;
    if (bar->isVisible()) {
        hideEntryBar(bar);
        return;
    }
    other->hide();
    bar->open();
}

void CMainFrame::hideEntryBar(QWidget* bar) {
    // A hidden bar's focus would go to the MDI's first window and bring that song to the front.
    if (bar->isAncestorOf(QApplication::focusWidget()))
        if (CPlmView* view = activeView()) view->setFocus();
    bar->hide();
}

namespace {

bool entersNotes(const EntryRequest& request) {
    return std::holds_alternative<entry::EnterChord>(request) || std::holds_alternative<entry::EnterGroup>(request) ||
           std::holds_alternative<entry::EnterDrums>(request);
}

// The note records of the first note group at or after `position`: what an entry wrote there.
std::vector<SongRecord> notesFrom(Records records, std::size_t position) {
    for (std::size_t g = position; g < records.size(); g = nextGroup(records, g)) {
        if (!records[g].isNote()) continue;
        std::vector<SongRecord> notes;
        for (std::size_t i = g; i < groupEnd(records, g); ++i)
            if (records[i].isNote()) notes.push_back(records[i]);
        return notes;
    }
    return {};
}

}  // namespace

void CMainFrame::deliverToActiveView(const EntryRequest& request) {
    CPlmView* view = activeView();
    if (!view) return;
    // A chord entered over a range repitches the range from its first group; else the cursor's.
    const bool overRange = !std::holds_alternative<entry::EnterGroup>(request) && view->logic().hasRange();
    const std::size_t at = overRange ? selectedRecords(view->logic()).from : cursorRecord(view->logic());
    const EntryResult result = deliverToView(view->document(), view->logic(), m_entry.settings(), request);
    view->showEntry(result);
    if (result.changed && m_entry.choice.monitor && m_noteSounder && entersNotes(request))
        m_noteSounder(notesFrom(view->document().records(), at));
}

void CMainFrame::enterTypedNotes(const std::vector<NoteName>& notes) {
    CPlmView* view = activeView();
    if (!view) return;
    const ScoreView& logic = view->logic();
    const int key = keyInForce(logic.records(), view->document().songInfo(), cursorRecord(logic));
    const std::vector<SongRecord> group = typedNoteGroup(notes, key, m_entry.settings());
    if (!group.empty()) postRequest(entry::EnterGroup{group});
}

bool CMainFrame::passKey(char key, bool shift) {
    if (m_lyricBar->isVisible() || m_chordNameBar->isVisible()) return false;
    const NoteKeyOutcome outcome = passNoteKey(m_entry.choice, key, shift, m_playing);
    if (outcome.taken) Q_EMIT entryChanged();
    if (outcome.post) postRequest(*outcome.post);
    return outcome.taken;
}

bool CMainFrame::passNoteName(char letter) {
    if (!mayEdit() || !activeView()) return false;
    m_numericBar->openWith(QString(QChar(letter)));
    return true;
}

}  // namespace plume
