#include "app/qt/frame_actions.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QStatusBar>
#include <QTimer>
#include <QWhatsThis>

#include "app/command_registry.h"
#include "app/qt/command_ui.h"
#include "app/qt/midi_open.h"
#include "app/qt/database_link.h"
#include "app/qt/entry_tool_control.h"
#include "app/qt/main_frame.h"
#include "app/qt/palette_host.h"
#include "app/qt/play_controller.h"
#include "app/qt/plm_app.h"
#include "app/qt/plm_child_wnd.h"
#include "app/qt/song_commands.h"
#include "app/qt/vokato_host.h"
#include "app/qt/status_panes.h"
#include "export/midi_file_writer.h"
#include "export/mld_writer.h"
#include "export/qt/midi_export_dialog.h"
#include "platform/profile.h"
#include "play/qt/instrument_dialogs.h"
#include "play/qt/mixer_window.h"
#include "print/qt/print_song.h"
#include "score/effect_forms.h"
#include "score/chord_identify.h"
#include "score/qt/chord_dialog.h"
#include "score/qt/chord_help.h"
#include "score/qt/effect_dialog.h"
#include "score/qt/function_sheet.h"
#include "score/qt/plm_view_widget.h"
#include "score/range_edit.h"
#include "song/qt/project_dialog.h"
#include "song/song_document.h"
#include "voice/qt/trainer_dialogs.h"
#include "voice/qt/voice_dialogs.h"

namespace plume {

namespace {

bool shiftHeld() { return QGuiApplication::keyboardModifiers() & Qt::ShiftModifier; }

// Runs a move on the active view and shows it again.
template <typename Move>
auto onView(CMainFrame& frame, Move move) {
    return [&frame, move] {
        CPlmView* view = frame.activeView();
        if (!view) return;
        move(view->logic());
        view->refresh();
    };
}

void openSong(CMainFrame& frame) {
    if (const auto path = frame.app().fileDialog().askOpenName("開く", kOpenFileFilter)) openSongOrMidi(frame, *path);
}

void openRecentFile(CMainFrame& frame, int index) {
    RecentFileList& recent = frame.app().recentFiles();
    if (std::size_t(index) >= recent.paths().size()) return;
    const std::filesystem::path path = recent.paths()[std::size_t(index)];
    if (!frame.openSongWindow(path, false)) recent.remove(std::size_t(index));
}

void editProject(CMainFrame& frame) {
    ProjectDialog dialog(frame.app().project().data(), frame.app().fileDialog(), &frame);
    if (dialog.exec() != QDialog::Accepted || !dialog.result()) return;
    frame.app().project().applyEdit(*dialog.result());
    frame.projectChanged();
}

void exportMidi(CMainFrame& frame) {
    MidiExportDialog dialog(&frame);
    if (dialog.exec() != QDialog::Accepted) return;
    MidiExportOptions options = dialog.options();
    // Written from the event loop, so that the window repaints without the dialog first.
    QTimer::singleShot(0, &frame, [&frame, options]() mutable {
        PlaySlots slots;
        ExportProject project;
        if (!loadExportProject(frame.app().project().data(), frame, slots, 0, project)) return;
        StatusPanes& panes = frame.statusPanes();
        panes.startProgress(QStringLiteral("MIDI ﾌｧｲﾙ 作成中..."));
        options.progress = [&panes](int percent) {
            panes.setProgress(percent);
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        };
        writeMidiFile(project, options, midiFileName(frame.app().project().path()));
        panes.finishProgress();
    });
}

void exportMld(CMainFrame& frame) {
    PlaySlots slots;
    ExportProject project;
    if (!loadExportProject(frame.app().project().data(), frame, slots, 0, project)) return;
    writeMldFile(project, mldFileName(frame.app().project().path()));
}

void toggleGrandStaff(CMainFrame& frame) {
    CPlmApp& app = frame.app();
    app.setGrandStaff(!app.grandStaff());
    for (CPlmChildWnd* child : frame.childWindows()) child->view().setGrandStaff(app.grandStaff());
}

void toggleInsert(CMainFrame& frame) {
    bool& insert = frame.entryState().insert;
    insert = !insert;
    for (CPlmChildWnd* child : frame.childWindows()) child->view().setInsertMode(insert);
}

void toggleKeyboardPaletteSize(CMainFrame& frame) {
    int& size = frame.settings().pianoPaletteSize;
    size = size ? 0 : 1;
    platform::plmProfile().writeInt("Piano Pal", "size", size);
    frame.palettes().setLargeKeyboard(size != 0);
}

// Minimised windows in a row along the bottom of the client area.
void arrangeIcons(QMdiArea& area) {
    int x = 0;
    for (QMdiSubWindow* window : area.subWindowList()) {
        if (!window->isMinimized()) continue;
        window->move(x, area.viewport()->height() - window->height());
        x += window->width();
    }
}

// What the active song window prints: its view's song, title, path, and the project it may be a member of.
PrintSource activePrintSource(CMainFrame& frame) {
    CPlmChildWnd& child = *frame.activeChild();
    const ProjectState& project = frame.app().project();
    return printSourceOf(child.view().logic(), child.path(), child.title(), project.isSet() ? &project.data() : nullptr);
}

// An effect command of the Edit menu: the effect dialog at the cursor, or the function sheet over a range.
// "演奏楽器" at the cursor group: the instrument dialogs open on the tone sounding there.
bool chooseInstrumentEffect(CMainFrame& frame, CPlmDoc& doc, ScoreView& view) {
    const std::size_t group = cursorRecord(view);
    if (group >= doc.recordCount() || doc.record(group).groupSize() == 0) return false;
    const Tone now = toneAt(doc, group);
    const SongInfo& info = doc.songInfo();
    std::optional<Tone> chosen;
    if (info.isRhythm()) {
        SongInfo at = info;
        at.setInitialTone(now.module, now.bank, now.program);
        DrumSetDialog dialog(at, &frame);
        if (dialog.exec() != QDialog::Accepted) return false;
        const SongInfo set = dialog.result().info;
        if (!dialog.result().remove) chosen = Tone{info.soundModule(), set.initialBank(), set.initialProgram()};
    } else {
        MelodyInstrumentDialog dialog(now, std::max<int>(info.tempo(), 1), frame.player(), &frame);
        if (dialog.exec() != QDialog::Accepted) return false;
        if (!dialog.result().remove) chosen = dialog.result().tone;
    }
    return applyInstrumentEffect(doc, view, group, chosen);
}

// The frame's player as the trainer dialogs use it: a test play whose end and notes reach the dialog.
class TrainerPlayerOfFrame final : public voice::TrainerPlayer {
public:
    explicit TrainerPlayerOfFrame(PlayController& player) : m_player(player) {}
    bool startPlay(const TestPlay& play, PlayReportListener& listener) override {
        return m_player.startTest(
            play, [&listener] { listener.playReport({PlayReport::Kind::Ended}); },
            [&listener](const PlayReport& report) { listener.playReport(report); });
    }
    void stopPlay() override { m_player.stopTest(); }

private:
    PlayController& m_player;
};

// "聴音", "発声基礎" and "発声実践" (the last on the frame's clipboard, never while the frame plays).
void runTrainer(CMainFrame& frame, int id) {
    TrainerPlayerOfFrame player(frame.player());
    voice::FeedbackSounds& sounds = frame.feedbackSounds();
    if (id == cmd::kEarTraining) return voice::showEarTrainingDialog(&frame, player, sounds);
    if (id == cmd::kSingingBasics) return voice::showSingingBasicsDialog(&frame, CMainFrame::waveDriver(), player, sounds);
    if (frame.isPlaying()) return;
    const ClipboardBlock* block = frame.clipboard().lend();
    voice::showSingingPracticeDialog(&frame, CMainFrame::waveDriver(), player, sounds, frame.app().fileDialog(),
                                     block ? Records(block->records) : Records{},
                                     block ? block->info : SongInfo::defaults());
}

void editEffect(CMainFrame& frame, std::uint8_t number) {
    CPlmChildWnd* child = frame.activeChild();
    if (!child) return;
    CPlmView& view = child->view();
    bool changed = false;
    switch (effectCommandAction(number, view.logic().hasRange())) {
    case EffectCommandAction::EffectDialog:
        changed = showEffectDialog(&frame, child->document(), view.logic(), number);
        break;
    case EffectCommandAction::FunctionSheet:
        changed = showFunctionSheet(&frame, child->document(), view.logic(), number, false);
        break;
    case EffectCommandAction::InstrumentDialog:
        changed = chooseInstrumentEffect(frame, child->document(), view.logic());
        break;
    case EffectCommandAction::Nothing:
        break;
    }
    if (changed) view.songChanged();
    view.setFocus(Qt::OtherFocusReason);
}

void toggleEffectDisplay(CMainFrame& frame) {
    CPlmApp& app = frame.app();
    app.setDisplayMode(app.displayMode() == 1 ? 0 : 1);
    for (CPlmChildWnd* child : frame.childWindows()) child->setDisplayMode(app.displayMode());
}

void runChordIdentification(CMainFrame& frame) {
    CPlmChildWnd* child = frame.activeChild();
    if (!child) return;
    const ScoreView& view = child->view().logic();
    showChordDialog(&frame, view.records(), child->document().songInfo(), selectedRecords(view), frame.player());
}

void showAbout(CMainFrame& frame) {
    QMessageBox::about(&frame, QStringLiteral("バージョン情報"),
                       QStringLiteral("<b>Plume</b> %1<br>MIDI ソングエディタ").arg(QStringLiteral(PLUME_VERSION)));
}

}  // namespace

void bindFrameActions(CMainFrame& frame, CommandRegistry& commands) {
    CMainFrame* f = &frame;
    const auto projectStep = [f](auto step) { return [f, step] { step(); f->projectChanged(); }; };
    // File.
    commands.bind(cmd::kFileOpen, [f] { openSong(*f); });
    commands.bind(cmd::kFileClose, [f] { f->activeChild()->close(); });
    commands.bind(cmd::kFileSave, [f] { f->activeChild()->saveOrAsk(); });
    commands.bind(cmd::kFileSaveAs, [f] { f->activeChild()->saveAsAsking(); });
    commands.bind(cmd::kExportMidi, [f] { exportMidi(*f); });
    commands.bind(cmd::kExportMld, [f] { exportMld(*f); });
    commands.bind(cmd::kRecentFile1, CommandRegistry::Action([f](int index) { openRecentFile(*f, index); }));
    commands.bind(cmd::kAppExit, [f] { f->close(); });
    commands.bind(cmd::kFilePrint, [f] { printSong(f, activePrintSource(*f)); });
    commands.bind(cmd::kFilePrintPreview, [f] { previewSong(f, activePrintSource(*f)); });
    commands.bind(cmd::kPageLayout, [f] { showPageLayoutDialog(f); });
    commands.bind(cmd::kDatabase, [f] { f->app().database().show(); });
    // Edit and view.
    commands.bind(cmd::kEditSelectAll, onView(frame, [](ScoreView& v) { v.selectAll(); }));
    commands.bind(cmd::kClearRange, onView(frame, [](ScoreView& v) { v.clearRange(); }));
    commands.bind(cmd::kFirstLine, onView(frame, [](ScoreView& v) { v.firstLine(shiftHeld()); }));
    commands.bind(cmd::kLastLine, onView(frame, [](ScoreView& v) { v.lastLine(shiftHeld()); }));
    commands.bind(cmd::kLineMark, onView(frame, [](ScoreView& v) { v.toggleLineMark(); }));
    commands.bind(cmd::kLineMarkUp, onView(frame, [](ScoreView& v) { v.findMarkAbove(shiftHeld()); }));
    commands.bind(cmd::kLineMarkDown, onView(frame, [](ScoreView& v) { v.findMarkBelow(shiftHeld()); }));
    commands.bind(cmd::kLineMarkClear, onView(frame, [](ScoreView& v) { v.clearLineMarks(); }));
    commands.bind(cmd::kInsertSwitch, [f] { toggleInsert(*f); });
    commands.bind(cmd::kChordIdentification, [f] { runChordIdentification(*f); });
    // The curve effects and the single-value ones; the instrument entry opens nothing yet.
    for (std::uint8_t number = 0; number < 8; ++number)
        commands.bind(cmd::kEffectVolume + number, [f, number] { editEffect(*f, number); });
    for (int bar : {cmd::kNumericInput, cmd::kLyricInput, cmd::kChordNameInput})
        commands.bind(bar, [f, bar] { f->toggleEntryBar(bar); });
    commands.bind(cmd::kKeyboardPaletteLarge, [f] { toggleKeyboardPaletteSize(*f); });
    commands.bind(cmd::kViewToolBar, [f] { f->commandUi().setToolBarsShown(!f->commandUi().toolBarsShown()); });
    commands.bind(cmd::kViewStatusBar, [f] { f->statusBar()->setVisible(f->statusBar()->isHidden()); });
    commands.bind(cmd::kGrandStaff, [f] { toggleGrandStaff(*f); });
    commands.bind(cmd::kOneLineDisplay, [f] { toggleEffectDisplay(*f); });
    for (int i = 0; i < int(std::size(kZoomSteps)); ++i)
        commands.bind(cmd::kZoom100 + i, [f, i] {
            f->settings().zoom = kZoomSteps[i];
            platform::plmProfile().writeInt("Draw", "Zoom", kZoomSteps[i]);
            for (CPlmChildWnd* child : f->childWindows()) child->view().setZoom(kZoomSteps[i]);
        });
    commands.bind(cmd::kMixer, [f] {
        f->mixer()->showNormal();
        f->mdiArea()->setActiveSubWindow(f->mixer());
    });
    // Project.
    commands.bind(cmd::kProjectNew, projectStep([f] { f->app().project().newProject(); }));
    commands.bind(cmd::kProjectOpen, projectStep([f] { f->app().project().open(); }));
    commands.bind(cmd::kProjectEdit, [f] { editProject(*f); });
    commands.bind(cmd::kProjectClose, projectStep([f] { f->app().project().close(); }));
    commands.bind(cmd::kRecentProject1, CommandRegistry::Action([f](int index) {
                      f->app().project().openRecent(std::size_t(index));
                      f->projectChanged();
                  }));
    // Play.
    commands.bind(cmd::kPlay, [f] { f->player().play(); });
    commands.bind(cmd::kStop, [f] { f->player().stop(); });
    commands.bind(cmd::kDeviceReset, [f] { f->player().chooseReset(); });
    commands.bind(cmd::kMidiDevice, [f] { f->player().chooseDevice(); });
    commands.bind(cmd::kInterruptPeriod, [f] { f->player().chooseInterrupt(); });
    commands.bind(cmd::kAllTracks, [f] { f->player().setAllTracks(!f->player().allTracks()); });
    commands.bind(cmd::kRepeat, [f] { f->player().setRepeat(!f->player().repeat()); });
    commands.bind(cmd::kLevelMeter, [f] {
        int& show = f->settings().play.showLevel;
        show = show ? 0 : 1;
    });
    commands.bind(cmd::kTroubleshooting, [f] { voice::showSilenceLevelDialog(f, CMainFrame::waveDriver()); });
    commands.bind(cmd::kWavDevice, [f] { voice::showWaveDeviceDialog(f, CMainFrame::waveDriver()); });
    // The hum-to-score window and the singing trainer.
    commands.bind(cmd::kVokato, [f] { f->vokato().toggle(); });
    for (int id = cmd::kVokatoAdjust; id <= cmd::kVokatoTransfer; ++id)
        commands.bind(id, [f, id] { f->vokato().command(id); });
    for (int trainer : {cmd::kEarTraining, cmd::kSingingBasics, cmd::kSingingPractice})
        commands.bind(trainer, [f, trainer] { runTrainer(*f, trainer); });
    commands.bind(cmd::kNewMouseInput, [f] {
        int& on = f->settings().newMouseInput;
        on = on ? 0 : 1;
        f->entryTools().refreshCursors(cursor_refresh::kView | cursor_refresh::kPalettes);
    });
    // Windows and help.
    commands.bind(cmd::kWindowCascade, [f] { f->mdiArea()->cascadeSubWindows(); });
    commands.bind(cmd::kWindowTile, [f] { f->mdiArea()->tileSubWindows(); });
    commands.bind(cmd::kWindowArrange, [f] { arrangeIcons(*f->mdiArea()); });
    commands.bind(cmd::kContextHelp, [] { QWhatsThis::enterWhatsThisMode(); });
    commands.bind(cmd::kChordHelp, [f] { showChordHelp(f); });
    commands.bind(cmd::kAppAbout, [f] { showAbout(*f); });
    bindSongCommands(frame, commands);
}

}  // namespace plume
