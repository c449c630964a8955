#include "app/qt/main_frame.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QRegularExpression>
#include <QScreen>
#include <QStyle>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QWhatsThis>
#include <system_error>

#include "app/qt/plm_app.h"
#include "app/qt/plm_child_wnd.h"
#include "app/qt/song_commands.h"
#include "app/qt/numeric_input_widget.h"
#include "app/qt/palette_window.h"
#include "app/qt/edit_key_toolbar.h"
#include "app/qt/edit_palette_window.h"
#include "app/qt/effect_palette_window.h"
#include "app/qt/entry_tool_control.h"
#include "app/qt/value_palette_windows.h"
#include "app/qt/chord_palette_window.h"
#include "app/qt/keyboard_palette_window.h"
#include "app/qt/note_palette_window.h"
#include "app/qt/play_controller.h"
#include "app/qt/text_entry_widget.h"
#include "app/qt/tool_icons.h"
#include "export/qt/midi_export_dialog.h"
#include "export/midi_file_writer.h"
#include "export/mld_writer.h"
#include "platform/message_box.h"
#include "platform/profile.h"
#include "score/qt/plm_view_widget.h"
#include "song/plm_doc.h"
#include "song/qt/project_dialog.h"
#include "song/song_document.h"

namespace plume {

namespace {

namespace fs = std::filesystem;

constexpr const char* kSongFilter = "Plumeﾌｧｲﾙ (*.PLM)";
constexpr int kPaneMessage = 0;
constexpr int kPaneInsert = 1;
constexpr int kPaneFreeLine = 2;
constexpr int kPaneFreeBar = 3;
constexpr int kPaneLine = 4;
constexpr int kPaneBar = 5;

QString qs(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

bool samePath(const fs::path& a, const fs::path& b) {
    if (a.empty() || b.empty()) return false;
    std::error_code ec;
    if (fs::equivalent(a, b, ec)) return true;
    return fs::absolute(a, ec).lexically_normal() == fs::absolute(b, ec).lexically_normal();
}

bool shiftHeld() { return QGuiApplication::keyboardModifiers() & Qt::ShiftModifier; }

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

    createActions();
    createMenus();
    createToolBars();
    createStatusBar();
    createEntryBars();
    createPalettes();
    createValuePalettes();
    m_player = std::make_unique<PlayController>(*this, m_settings.play);
    setNoteSounder([this](const std::vector<SongRecord>& notes) { m_player->soundNotes(notes); });
}

CMainFrame::~CMainFrame() {
    m_player.reset();  // playing stops before the songs it plays go
    m_settings.viewMode = m_app.displayMode();
    m_settings.save(platform::plmProfile());
    // The windows go before the frame's own parts, and tell it nothing on the way.
    disconnect(m_mdi, nullptr, this, nullptr);
    for (QMdiSubWindow* window : m_mdi->subWindowList())
        if (auto* child = qobject_cast<CPlmChildWnd*>(window)) disconnect(&child->view(), nullptr, this, nullptr);
    delete m_mdi;
}

// ---- layout --------------------------------------------------------------------------------------

void CMainFrame::createActions() {
    auto make = [this](int id, const char* text, const char* shortcut) {
        if (m_actions.contains(id)) return;
        auto* action = new QAction(qs(text), this);
        if (*shortcut) action->setShortcut(QKeySequence(QString::fromLatin1(shortcut)));
        static const QRegularExpression mnemonic(QStringLiteral(R"(\(&[A-Za-z]\)|&)"));
        action->setStatusTip(qs(text).remove(mnemonic));
        action->setToolTip(action->statusTip());
        action->setCheckable(commandChecked(id, FrameState{}).has_value());
        action->setEnabled(false);
        connect(action, &QAction::triggered, this, [this, id] { runCommand(id); });
        m_actions.insert(id, action);
    };
    std::function<void(std::span<const MenuEntry>)> walk = [&](std::span<const MenuEntry> entries) {
        for (const MenuEntry& e : entries) {
            if (e.id == MenuEntry::kSubmenu) walk(e.entries);
            else if (e.id > 0) make(e.id, e.text, e.shortcut);
        }
    };
    for (const Menu& menu : mainMenus()) walk(menu.entries);
    for (int i = 0; i < kRecentFileCount; ++i) make(cmd::kRecentFile1 + i, "", "");
    for (int i = 0; i < kRecentProjectCount; ++i) make(cmd::kRecentProject1 + i, "", "");
}

void CMainFrame::addMenuEntries(QMenu* menu, std::span<const MenuEntry> entries) {
    for (const MenuEntry& e : entries) {
        switch (e.id) {
        case 0:
            menu->addSeparator();
            break;
        case MenuEntry::kSubmenu: {
            QMenu* submenu = menu->addMenu(qs(e.text));
            addMenuEntries(submenu, e.entries);
            m_submenus.push_back(submenu);
            break;
        }
        case MenuEntry::kRecentFiles:
            for (int i = 0; i < kRecentFileCount; ++i) menu->addAction(m_actions.value(cmd::kRecentFile1 + i));
            connect(menu, &QMenu::aboutToShow, this, [this, menu] { fillRecentFiles(menu); });
            break;
        case MenuEntry::kRecentProjects:
            for (int i = 0; i < kRecentProjectCount; ++i) menu->addAction(m_actions.value(cmd::kRecentProject1 + i));
            connect(menu, &QMenu::aboutToShow, this, [this, menu] { fillRecentProjects(menu); });
            break;
        case MenuEntry::kWindowList:
            connect(menu, &QMenu::aboutToShow, this, [this, menu] { fillWindowList(menu); });
            break;
        default:
            menu->addAction(m_actions.value(e.id));
            break;
        }
    }
}

void CMainFrame::createMenus() {
    for (const Menu& entry : mainMenus()) {
        QMenu* menu = menuBar()->addMenu(qs(entry.title));
        addMenuEntries(menu, entry.entries);
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::updateCommands);
    }
}

void CMainFrame::createToolBars() {
    auto fill = [this](QToolBar* bar, std::span<const int> ids) {
        bar->setIconSize(QSize(kToolIconSize, kToolIconSize));
        bar->setAllowedAreas(Qt::AllToolBarAreas);
        for (int id : ids) {
            if (id == 0) {
                bar->addSeparator();
                continue;
            }
            QAction* action = m_actions.value(id);
            action->setIcon(toolIcon(id));
            bar->addAction(action);
        }
        addToolBar(Qt::TopToolBarArea, bar);
    };
    m_mainToolBar = new QToolBar(QStringLiteral("標準"), this);
    m_mainToolBar->setObjectName(QStringLiteral("mainToolBar"));
    fill(m_mainToolBar, mainToolBar());
    m_vokatoToolBar = new QToolBar(QStringLiteral("Vokato"), this);
    m_vokatoToolBar->setObjectName(QStringLiteral("vokatoToolBar"));
    fill(m_vokatoToolBar, vokatoToolBar());
}

void CMainFrame::createStatusBar() {
    QStatusBar* bar = statusBar();
    const QFontMetrics metrics(bar->font());
    const std::array<QString, 6> widest = {QString(), qs(kOverwritePaneText), qs(linePaneText(888)),
                                           qs(barPaneText(8888)), qs(linePaneText(888)), qs(barPaneText(8888))};
    for (std::size_t i = 0; i < m_panes.size(); ++i) {
        auto* pane = new QLabel(this);
        m_panes[i] = pane;
        if (i == kPaneMessage) {
            bar->addWidget(pane, 1);
            m_progress = new QProgressBar(this);
            m_progress->setRange(0, 100);
            m_progress->setMaximumWidth(200);
            m_progress->hide();
            bar->addWidget(m_progress);
            continue;
        }
        pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        pane->setAlignment(Qt::AlignCenter);
        pane->setMinimumWidth(metrics.horizontalAdvance(widest[i]) + 12);
        bar->addPermanentWidget(pane);
    }
}

// ---- song windows --------------------------------------------------------------------------------

std::vector<CPlmChildWnd*> CMainFrame::childWindows() const {
    std::vector<CPlmChildWnd*> windows;
    for (QMdiSubWindow* window : m_mdi->subWindowList(QMdiArea::CreationOrder)) {
        auto* child = qobject_cast<CPlmChildWnd*>(window);
        if (child && !child->isClosing()) windows.push_back(child);
    }
    return windows;
}

std::vector<SongWindow*> CMainFrame::songWindows() {
    std::vector<SongWindow*> windows;
    for (CPlmChildWnd* child : childWindows()) windows.push_back(&child->songWindow());
    return windows;
}

CPlmChildWnd* CMainFrame::activeChild() const {
    auto* child = qobject_cast<CPlmChildWnd*>(m_mdi->currentSubWindow());
    return child && !child->isClosing() ? child : nullptr;
}

CPlmView* CMainFrame::activeView() const {
    CPlmChildWnd* child = activeChild();
    return child ? &child->view() : nullptr;
}

bool CMainFrame::openSongWindow(const fs::path& path, bool minimised) {
    for (CPlmChildWnd* child : childWindows()) {
        if (!samePath(child->path(), path)) continue;
        if (!minimised) m_mdi->setActiveSubWindow(child);
        return true;
    }
    auto document = openSongDocument(path);
    if (!document) return false;
    addSongWindow(std::move(document), path, minimised);
    if (!m_app.project().isReopening()) addToRecentFiles(path);
    updateCommands();
    return true;
}

CPlmChildWnd* CMainFrame::newSongWindow(std::unique_ptr<CPlmDoc> document) {
    CPlmChildWnd* child = addSongWindow(std::move(document), {}, false);
    updateCommands();
    return child;
}

CPlmChildWnd* CMainFrame::addSongWindow(std::unique_ptr<CPlmDoc> document, const fs::path& path, bool minimised) {
    auto* child = new CPlmChildWnd(std::move(document), path, *this);
    child->setWindowIcon(windowIcon());
    m_mdi->addSubWindow(child);
    placeNewWindow(child);
    connect(&child->view(), &CPlmView::cursorMoved, this, [this, view = &child->view()] { viewMoved(view); });
    hookView(child->view());
    if (minimised) {
        QMdiSubWindow* previous = m_mdi->currentSubWindow();
        child->showMinimized();
        if (previous) m_mdi->setActiveSubWindow(previous);
    } else {
        child->show();
        m_mdi->setActiveSubWindow(child);
        child->view().setFocus();
    }
    return child;
}

// Cascaded from the top left, each a title bar further, three quarters of the client area wide.
void CMainFrame::placeNewWindow(QMdiSubWindow* window) {
    const QSize area = m_mdi->viewport()->size();
    int shown = 0;
    for (CPlmChildWnd* child : childWindows()) shown += child != window && !child->isMinimized();
    const int step = style()->pixelMetric(QStyle::PM_TitleBarHeight) + 4;
    const int offset = (shown % 8) * step;
    window->setGeometry(offset, offset, std::max(area.width() * 3 / 4, 400), std::max(area.height() * 3 / 5, 300));
}

void CMainFrame::addToRecentFiles(const fs::path& path) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    m_app.recentFiles().add(ec ? path : absolute.lexically_normal());
}

CPlmDoc* CMainFrame::findDocument(const fs::path& path) {
    for (CPlmChildWnd* child : childWindows())
        if (samePath(child->path(), path)) return &child->document();
    return nullptr;
}

const CPlmDoc* CMainFrame::findOpenDocument(const fs::path& path) const {
    for (CPlmChildWnd* child : childWindows())
        if (samePath(child->path(), path)) return &child->document();
    return nullptr;
}

void CMainFrame::childActivated(QMdiSubWindow*) {
    if (CPlmView* view = activeView()) viewMoved(view);
    else updateCommands();
}

void CMainFrame::viewMoved(CPlmView* view) {
    if (view != activeView()) return;
    updateCommands();
    Q_EMIT caretPlaced(view);
}

void CMainFrame::withActiveView(const std::function<bool(CPlmView&)>& move) {
    CPlmView* view = activeView();
    if (!view) return;
    move(*view);
    view->refresh();
}

// ---- enabling and the status bar -----------------------------------------------------------------

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
    }
    s.grandStaff = m_app.grandStaff();
    s.allTracks = m_player && m_player->allTracks();
    s.repeat = m_player && m_player->repeat();
    s.clipboardFull = m_clipboard.hasData();
    s.showLevel = m_settings.play.showLevel != 0;
    s.newMouseInput = m_settings.newMouseInput != 0;
    s.largeKeyboardPalette = m_settings.pianoPaletteSize != 0;
    s.palettes = m_paletteShown;
    s.toolBarShown = m_mainToolBar && !m_mainToolBar->isHidden();
    s.statusBarShown = !statusBar()->isHidden();
    return s;
}

void CMainFrame::updateCommands() {
    const FrameState s = state();
    for (auto it = m_actions.begin(); it != m_actions.end(); ++it) {
        it.value()->setEnabled(commandEnabled(it.key(), s));
        if (const auto checked = commandChecked(it.key(), s)) it.value()->setChecked(*checked);
    }
    // A submenu whose commands are all disabled is disabled itself; the recent projects always open.
    for (QMenu* submenu : m_submenus) {
        const auto actions = submenu->actions();
        const bool any = std::any_of(actions.begin(), actions.end(),
                                     [](const QAction* a) { return !a->isSeparator() && a->isEnabled(); });
        submenu->menuAction()->setEnabled(any || actions.contains(m_actions.value(cmd::kRecentProject1)));
    }
    const auto& recent = m_app.recentFiles().paths();
    for (int i = 0; i < kRecentFileCount; ++i) {
        QAction* a = m_actions.value(cmd::kRecentFile1 + i);
        a->setVisible(std::size_t(i) < recent.size() || i == 0);
        a->setEnabled(std::size_t(i) < recent.size());
        a->setText(std::size_t(i) < recent.size() ? qs(m_app.recentFiles().menuText(std::size_t(i)))
                                                   : QStringLiteral("最近使ったファイル"));
    }

    m_panes[kPaneInsert]->setText(m_entry.insert ? QString() : qs(kOverwritePaneText));
    m_actions.value(cmd::kNumericInput)->setChecked(m_numericBar->isVisible());
    m_actions.value(cmd::kLyricInput)->setChecked(m_lyricBar->isVisible());
    m_actions.value(cmd::kChordNameInput)->setChecked(m_chordNameBar->isVisible());
    const bool panes = positionPanesEnabled(s);
    for (int pane : {kPaneFreeLine, kPaneFreeBar, kPaneLine, kPaneBar}) m_panes[std::size_t(pane)]->setEnabled(panes);
    CPlmView* view = activeView();
    const std::string undoText = view ? view->logic().undoRing().menuText() : std::string(commandText(cmd::kEditUndo));
    m_actions.value(cmd::kEditUndo)->setText(qs(undoText));
    if (!panes || !view) {
        setLinePane(-1, 0);
        m_panes[kPaneBar]->clear();
        setFreePanes({}, {});
        return;
    }
    const ScoreView& logic = view->logic();
    const StatusNumbers cursor = logic.cursorNumbers();
    setLinePane(cursor.line, cursor.measure);
    if (const auto other = logic.rangeEndNumbers())
        setFreePanes(qs(linePaneText(other->line)), qs(barPaneText(other->measure)));
    else
        setFreePanes({}, {});
}

void CMainFrame::setLinePane(int line, int bar) {
    m_panes[kPaneLine]->setText(qs(linePaneText(line)));
    m_panes[kPaneBar]->setText(qs(barPaneText(bar)));
}

void CMainFrame::setFreePanes(const QString& line, const QString& bar) {
    m_panes[kPaneFreeLine]->setText(line);
    m_panes[kPaneFreeBar]->setText(bar);
}

QString CMainFrame::paneText(int pane) const {
    return pane >= 0 && pane < int(m_panes.size()) ? m_panes[std::size_t(pane)]->text() : QString();
}

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

// ---- commands ------------------------------------------------------------------------------------

void CMainFrame::runCommand(int id) {
    if (!commandEnabled(id, state())) return;
    ProjectState& project = m_app.project();
    if (id >= cmd::kRecentFile1 && id < cmd::kRecentFile1 + kRecentFileCount) {
        openRecentFile(id - cmd::kRecentFile1);
    } else if (id >= cmd::kRecentProject1 && id < cmd::kRecentProject1 + kRecentProjectCount) {
        openRecentProject(id - cmd::kRecentProject1);
    } else if (isPaletteWindowCommand(id)) {
        togglePalette(id);
    } else {
        switch (id) {
        case cmd::kFileOpen:
            openSong();
            break;
        case cmd::kFileClose:
            activeChild()->close();
            break;
        case cmd::kFileSave:
            activeChild()->saveOrAsk();
            break;
        case cmd::kFileSaveAs:
            if (CPlmChildWnd* child = activeChild()) {
                const std::string proposed =
                    child->path().empty() ? child->title() + ".PLM" : utf8Of(child->path().filename());
                const auto name = m_app.fileDialog().askSaveName("名前を付けて保存", kSongFilter, proposed);
                if (name && child->saveAs(*name)) addToRecentFiles(*name);
            }
            break;
        case cmd::kAppExit:
            close();
            break;
        case cmd::kEditSelectAll:
            withActiveView([](CPlmView& v) { return v.logic().selectAll(); });
            break;
        case cmd::kClearRange:
            withActiveView([](CPlmView& v) { return v.logic().clearRange(); });
            break;
        case cmd::kFirstLine:
            withActiveView([](CPlmView& v) { return v.logic().firstLine(shiftHeld()); });
            break;
        case cmd::kLastLine:
            withActiveView([](CPlmView& v) { return v.logic().lastLine(shiftHeld()); });
            break;
        case cmd::kLineMark:
            withActiveView([](CPlmView& v) {
                v.logic().toggleLineMark();
                return true;
            });
            break;
        case cmd::kLineMarkUp:
            withActiveView([](CPlmView& v) { return v.logic().findMarkAbove(shiftHeld()); });
            break;
        case cmd::kLineMarkDown:
            withActiveView([](CPlmView& v) { return v.logic().findMarkBelow(shiftHeld()); });
            break;
        case cmd::kLineMarkClear:
            withActiveView([](CPlmView& v) {
                v.logic().clearLineMarks();
                return true;
            });
            break;
        case cmd::kInsertSwitch:
            toggleInsert();
            break;
        case cmd::kNumericInput:
        case cmd::kLyricInput:
        case cmd::kChordNameInput:
            toggleEntryBar(id);
            break;
        case cmd::kKeyboardPaletteLarge:
            toggleKeyboardPaletteSize();
            break;
        case cmd::kViewToolBar: {
            const bool show = m_mainToolBar->isHidden();
            m_mainToolBar->setVisible(show);
            m_vokatoToolBar->setVisible(show);
            break;
        }
        case cmd::kViewStatusBar:
            statusBar()->setVisible(statusBar()->isHidden());
            break;
        case cmd::kGrandStaff:
            toggleGrandStaff();
            break;
        case cmd::kProjectNew:
            project.newProject();
            projectChanged();
            break;
        case cmd::kProjectOpen:
            project.open();
            projectChanged();
            break;
        case cmd::kProjectEdit:
            editProject();
            break;
        case cmd::kProjectClose:
            project.close();
            projectChanged();
            break;
        case cmd::kExportMidi:
            exportMidi();
            break;
        case cmd::kExportMld:
            exportMld();
            break;
        case cmd::kPlay:
            m_player->play();
            break;
        case cmd::kStop:
            m_player->stop();
            break;
        case cmd::kDeviceReset:
            m_player->chooseReset();
            break;
        case cmd::kMidiDevice:
            m_player->chooseDevice();
            break;
        case cmd::kInterruptPeriod:
            m_player->chooseInterrupt();
            break;
        case cmd::kAllTracks:
            m_player->setAllTracks(!m_player->allTracks());
            break;
        case cmd::kRepeat:
            m_player->setRepeat(!m_player->repeat());
            break;
        case cmd::kLevelMeter:
            m_settings.play.showLevel = m_settings.play.showLevel ? 0 : 1;
            break;
        case cmd::kNewMouseInput:
            m_settings.newMouseInput = m_settings.newMouseInput ? 0 : 1;
            m_entryTools->refreshCursors(cursor_refresh::kView | cursor_refresh::kPalettes);
            break;
        case cmd::kWindowCascade:
            m_mdi->cascadeSubWindows();
            break;
        case cmd::kWindowTile:
            m_mdi->tileSubWindows();
            break;
        case cmd::kWindowArrange: {
            // Minimised windows in a row along the bottom of the client area.
            int x = 0;
            for (QMdiSubWindow* window : m_mdi->subWindowList()) {
                if (!window->isMinimized()) continue;
                window->move(x, m_mdi->viewport()->height() - window->height());
                x += window->width();
            }
            break;
        }
        case cmd::kContextHelp:
            QWhatsThis::enterWhatsThisMode();
            break;
        case cmd::kAppAbout:
            showAbout();
            break;
        default:
            runSongCommand(*this, id);
            break;
        }
    }
    updateCommands();
}

void CMainFrame::openSong() {
    if (const auto path = m_app.fileDialog().askOpenName("開く", kSongFilter)) openSongWindow(*path, false);
}

void CMainFrame::openRecentFile(int index) {
    const auto& paths = m_app.recentFiles().paths();
    if (std::size_t(index) >= paths.size()) return;
    const fs::path path = paths[std::size_t(index)];
    if (!openSongWindow(path, false)) m_app.recentFiles().remove(std::size_t(index));
}

void CMainFrame::openRecentProject(int index) {
    m_app.project().openRecent(std::size_t(index));
    projectChanged();
}

void CMainFrame::fillRecentFiles(QMenu*) { updateCommands(); }

void CMainFrame::fillRecentProjects(QMenu*) {
    const RecentProjectList& recent = m_app.project().recent();
    for (int i = 0; i < kRecentProjectCount; ++i) {
        QAction* a = m_actions.value(cmd::kRecentProject1 + i);
        const bool listed = std::size_t(i) < recent.paths().size();
        a->setVisible(listed || i == 0);
        a->setEnabled(listed);
        a->setText(listed ? QStringLiteral("&%1 ").arg(i + 1) + qs(recent.menuName(std::size_t(i)))
                          : QStringLiteral("(なし)"));
    }
}

void CMainFrame::fillWindowList(QMenu* menu) {
    for (QAction* action : menu->actions()) {
        if (!action->property("windowList").toBool()) continue;
        menu->removeAction(action);
        action->deleteLater();
    }
    int number = 1;
    for (QMdiSubWindow* window : m_mdi->subWindowList(QMdiArea::CreationOrder)) {
        QAction* action = menu->addAction(QStringLiteral("&%1 ").arg(number++) + window->windowTitle());
        action->setProperty("windowList", true);
        action->setCheckable(true);
        action->setChecked(window == m_mdi->currentSubWindow());
        connect(action, &QAction::triggered, this, [this, window] { m_mdi->setActiveSubWindow(window); });
    }
}

void CMainFrame::editProject() {
    ProjectDialog dialog(m_app.project().data(), m_app.fileDialog(), this);
    if (dialog.exec() != QDialog::Accepted || !dialog.result()) return;
    m_app.project().applyEdit(*dialog.result());
    projectChanged();
}

void CMainFrame::exportMidi() {
    MidiExportDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted) return;
    MidiExportOptions options = dialog.options();
    // Written from the event loop, so that the window repaints without the dialog first.
    QTimer::singleShot(0, this, [this, options]() mutable {
        PlaySlots slots;
        ExportProject project;
        if (!loadExportProject(m_app.project().data(), *this, slots, 0, project)) return;
        m_panes[kPaneMessage]->setText(QStringLiteral("MIDI ﾌｧｲﾙ 作成中..."));
        m_progress->setValue(0);
        m_progress->show();
        options.progress = [this](int percent) {
            m_progress->setValue(percent);
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        };
        writeMidiFile(project, options, midiFileName(m_app.project().path()));
        m_progress->hide();
        m_progress->reset();
        m_panes[kPaneMessage]->clear();
    });
}

void CMainFrame::exportMld() {
    PlaySlots slots;
    ExportProject project;
    if (!loadExportProject(m_app.project().data(), *this, slots, 0, project)) return;
    writeMldFile(project, mldFileName(m_app.project().path()));
}

void CMainFrame::toggleGrandStaff() {
    m_app.setGrandStaff(!m_app.grandStaff());
    for (CPlmChildWnd* child : childWindows()) child->view().setGrandStaff(m_app.grandStaff());
}

void CMainFrame::toggleInsert() {
    m_entry.insert = !m_entry.insert;
    for (CPlmChildWnd* child : childWindows()) child->view().setInsertMode(m_entry.insert);
}

void CMainFrame::showAbout() {
    QMessageBox::about(this, QStringLiteral("バージョン情報"),
                       QStringLiteral("<b>Plume</b> %1<br>MIDI ソングエディタ").arg(QStringLiteral(PLUME_VERSION)));
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (const auto refusal = closeRefusal(state())) {
        platform::messageBox().show(*refusal);
        event->ignore();
        return;
    }
    if (!m_app.project().exit()) {
        event->ignore();
        updateCommands();
        return;
    }
    m_app.recentFiles().save(platform::appProfile());
    event->accept();
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
    connect(m_numericBar, &NumericInputWidget::dismissed, this, [this] {
        if (CPlmView* view = activeView()) view->setFocus();
    });
    const auto relayText = [this](std::uint32_t message) {
        return [this, message](const std::string& text) {
            postPaletteMessage({message, 0, {text.begin(), text.end()}});
        };
    };
    m_lyricBar->setEntryHandler(relayText(palette_msg::kSetLyric));
    m_chordNameBar->setEntryHandler(relayText(palette_msg::kSetChordName));
}

void CMainFrame::toggleEntryBar(int command) {
    if (command == cmd::kNumericInput) {
        if (m_numericBar->isVisible()) m_numericBar->hide();
        else m_numericBar->openWith({});
        return;
    }
    TextEntryWidget* bar = command == cmd::kLyricInput ? m_lyricBar : m_chordNameBar;
    TextEntryWidget* other = bar == m_lyricBar ? m_chordNameBar : m_lyricBar;
    if (bar->isVisible()) {
        bar->hide();
        return;
    }
    other->hide();
    bar->open();
}

namespace {

bool entersNotes(std::uint32_t message) {
    return message == palette_msg::kEnterChord || message == palette_msg::kEnterGroup ||
           message == palette_msg::kEnterDrums;
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

void CMainFrame::deliverToActiveView(const PaletteMessage& message) {
    CPlmView* view = activeView();
    if (!view) return;
    // A chord entered over a range repitches the range from its first group; else the cursor's.
    const bool overRange = message.message != palette_msg::kEnterGroup && view->logic().hasRange();
    const std::size_t at = overRange ? selectedRecords(view->logic()).from : cursorRecord(view->logic());
    const EntryResult result = deliverToView(view->document(), view->logic(), m_entry.settings(), message);
    view->showEntry(result);
    if (result.changed && m_entry.choice.monitor && m_noteSounder && entersNotes(message.message))
        m_noteSounder(notesFrom(view->document().records(), at));
}

void CMainFrame::enterTypedNotes(const std::vector<NoteName>& notes) {
    CPlmView* view = activeView();
    if (!view) return;
    const ScoreView& logic = view->logic();
    const int key = keyInForce(logic.records(), view->document().songInfo(), cursorRecord(logic));
    const std::vector<SongRecord> group = typedNoteGroup(notes, key, m_entry.settings());
    if (!group.empty()) postPaletteMessage({palette_msg::kEnterGroup, 0, groupBytes(group)});
}

bool CMainFrame::passKey(char key, bool shift) {
    if (m_lyricBar->isVisible() || m_chordNameBar->isVisible()) return false;
    const NoteKeyOutcome outcome = passNoteKey(m_entry.choice, key, shift, m_playing);
    if (outcome.taken) Q_EMIT entryChanged();
    if (outcome.post) postPaletteMessage(*outcome.post);
    return outcome.taken;
}

// ---- palettes ------------------------------------------------------------------------------------

void CMainFrame::addPalette(PaletteWindow* palette) {
    m_palettes.insert(palette->showCommand(), palette);
    connect(palette, &PaletteWindow::closedByFrame, m_mdi, [this](int command) {
        m_paletteShown.closed(command);
        updateCommands();
    });
}

void CMainFrame::createPalettes() {
    for (PaletteWindow* palette : std::initializer_list<PaletteWindow*>{
             new NotePaletteWindow(*this, m_app.glyphs()), new ChordPaletteWindow(*this, m_app.glyphs()),
             new KeyboardPaletteWindow(*this, m_settings.pianoPaletteSize)})
        addPalette(palette);
}

void CMainFrame::createValuePalettes() {
    auto* editPalette = new EditPaletteWindow(*this);
    for (PaletteWindow* palette : std::initializer_list<PaletteWindow*>{
             editPalette, new EffectPaletteWindow(*this), new ValuePaletteWindow(*this, NoteValueKind::DelayGate),
             new ValuePaletteWindow(*this, NoteValueKind::Velocity)})
        addPalette(palette);
    setPaletteReceiver(editPalette);
    m_editKeyBar = new EditKeyToolBar(*this);
    m_entryTools = new EntryToolControl(*this);
    if (auto* keyboard = qobject_cast<KeyboardPaletteWindow*>(palette(cmd::kKeyboardPalette)))
        keyboard->setEntryToolWheel(&m_entryTools->wheel());
    m_entryTools->refreshCursors(cursor_refresh::kPalettes);
}

void CMainFrame::hookView(CPlmView& view) {
    view.setWheelHook([this](int delta) { return m_entryTools->wheelTurned(delta); });
    connect(&view, &CPlmView::rightButtonPressed, this, [this](QPoint global) {
        m_editKeyBar->showNear(global);
    });
    m_entryTools->refreshCursors(cursor_refresh::kView);
}

void CMainFrame::toggleKeyboardPaletteSize() {
    m_settings.pianoPaletteSize = m_settings.pianoPaletteSize ? 0 : 1;
    platform::plmProfile().writeInt("Piano Pal", "size", m_settings.pianoPaletteSize);
    if (auto* keyboard = qobject_cast<KeyboardPaletteWindow*>(palette(cmd::kKeyboardPalette)))
        keyboard->setPaletteSize(m_settings.pianoPaletteSize);
}

void CMainFrame::togglePalette(int showCommand) {
    PaletteWindow* window = palette(showCommand);
    if (!window) return;
    m_paletteShown.toggle(showCommand);
    window->setVisible(m_paletteShown.isShown(showCommand));
    updateCommands();
}

RoutingState CMainFrame::routingState() const {
    RoutingState r;
    r.playing = m_playing;
    r.vokatoMode = false;
    r.editPaletteShown = m_paletteReceiver && m_paletteShown.isShown(cmd::kEditPalette);
    // The view lets the palette take its requests while no range is selected in it.
    const CPlmView* view = activeView();
    r.viewAllowsEditPalette = view && !view->logic().hasRange();
    return r;
}

void CMainFrame::postPaletteMessage(const PaletteMessage& message) {
    const auto target = routePaletteMessage(message.message, routingState());
    if (!target) return;
    if (*target == PaletteTarget::EnlargedEditPalette) m_paletteReceiver->receive(message);
    else if (*target == PaletteTarget::View) deliverToActiveView(message);
}

bool CMainFrame::passNoteName(char letter) {
    if (!mayEdit() || !activeView()) return false;
    m_numericBar->openWith(QString(QChar(letter)));
    return true;
}

}  // namespace plume
