#include "app/qt/song_commands.h"

#include <QDialog>

#include "app/command_registry.h"
#include "app/qt/main_frame.h"
#include "app/qt/plm_app.h"
#include "app/qt/play_controller.h"
#include "app/qt/plm_child_wnd.h"
#include "play/instrument_tables.h"
#include "score/qt/go_to_line_dialog.h"
#include "score/qt/key_signature_dialog.h"
#include "score/qt/plm_view_widget.h"
#include "score/range_edit.h"
#include "score/qt/tie_dialog.h"
#include "score/qt/time_signature_dialog.h"
#include "score/qt/transpose_dialog.h"
#include "song/plm_doc.h"
#include "song/qt/properties_dialog.h"
#include "song/song_document.h"

namespace plume {

namespace {

// Runs one editing step on the active song window and shows the song again when it changed.
template <typename Step>
void edit(CMainFrame& frame, Step step) {
    CPlmChildWnd* child = frame.activeChild();
    if (!child) return;
    RangeEditor editor(child->document(), child->view().logic());
    if (step(editor)) child->view().songChanged();
}

void transpose(CMainFrame& frame) {
    edit(frame, [&frame](RangeEditor& editor) {
        const auto span = editor.transposeSpan();
        if (!span) return false;
        TransposeDialog dialog(TransposeForm(*span), &frame);
        return dialog.exec() == QDialog::Accepted && editor.transpose(*dialog.semitones());
    });
}

void tie(CMainFrame& frame) {
    edit(frame, [&frame](RangeEditor& editor) {
        TieDialog dialog(TieForm(editor.noteKeys()), &frame);
        return dialog.exec() == QDialog::Accepted &&
               editor.tie(dialog.form().markedKeys(), dialog.form().setsTies());
    });
}

void changeKey(CMainFrame& frame) {
    edit(frame, [&frame](RangeEditor& editor) {
        KeySignatureDialog dialog(KeySignatureForm(editor.keyAtCursor()), &frame);
        return dialog.exec() == QDialog::Accepted && editor.changeKey(dialog.key(), frame.insertMode());
    });
}

void changeTime(CMainFrame& frame) {
    edit(frame, [&frame](RangeEditor& editor) {
        TimeSignatureDialog dialog(TimeSignatureForm(editor.timeAtCursor()), &frame);
        return dialog.exec() == QDialog::Accepted && editor.changeTime(dialog.result(), frame.insertMode());
    });
}

void goToLine(CMainFrame& frame) {
    CPlmView* view = frame.activeView();
    if (!view) return;
    GoToLineDialog dialog(GoToLineForm(view->logic().lines().lastLine()), &frame);
    if (dialog.exec() != QDialog::Accepted) return;
    view->logic().goToLine(*dialog.line(), false);
    view->refresh();
}

std::optional<PropertiesForm::Result> askProperties(CMainFrame& frame, const SongInfo& info) {
    const bool projectSet = frame.app().project().isSet();
    PropertiesDialog dialog(
        PropertiesForm(info, instrumentTitle, projectSet),
        [&frame](const SongInfo& current, QWidget* parent) { return frame.player().chooseInstrument(current, parent); },
        &frame);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.result();
}

void newSong(CMainFrame& frame) {
    ProjectState& project = frame.app().project();
    const auto result = askProperties(frame, newSongSettings(project.tempo(), project.soundModule()));
    if (!result) return;
    auto document = newSongDocument(result->info);
    if (!document) return;
    if (result->allTracks) applyToAllTracks(result->info, project);
    frame.newSongWindow(std::move(document));
}

void properties(CMainFrame& frame) {
    CPlmChildWnd* child = frame.activeChild();
    if (!child) return;
    const auto result = askProperties(frame, child->document().songInfo());
    if (!result) return;
    applyProperties(child->document(), *result, frame.app().project());
    child->settingsChanged();
}

void checkActive(CMainFrame& frame) {
    CPlmChildWnd* child = frame.activeChild();
    if (!child) return;
    checkActiveSong(child->document(), child->title());
    child->view().songChanged();
}

void checkAll(CMainFrame& frame) {
    const auto titleOf = [&frame](const CPlmDoc& document) {
        for (CPlmChildWnd* child : frame.childWindows())
            if (&child->document() == &document) return child->title();
        return std::string();
    };
    checkAllTracks(frame.app().project().data(), frame, titleOf);
    for (CPlmChildWnd* child : frame.childWindows()) child->view().songChanged();
}

}  // namespace

void bindSongCommands(CMainFrame& frame, CommandRegistry& commands) {
    const auto editStep = [&frame](auto step) { return [&frame, step] { edit(frame, step); }; };
    commands.bind(cmd::kEditCut, editStep([&frame](RangeEditor& editor) { return editor.cut(frame.clipboard()); }));
    commands.bind(cmd::kEditCopy, editStep([&frame](RangeEditor& editor) { return editor.copy(frame.clipboard()); }));
    commands.bind(cmd::kEditPaste,
                  editStep([&frame](RangeEditor& editor) { return editor.paste(frame.clipboard()); }));
    commands.bind(cmd::kEditUndo, editStep([](RangeEditor& editor) { return editor.undo(); }));
    commands.bind(cmd::kNotesToRests, editStep([](RangeEditor& editor) { return editor.notesToRests(); }));
    commands.bind(cmd::kTupletClear, editStep([](RangeEditor& editor) { return editor.clearTuplet(); }));
    for (int notes = 3; notes <= 7; ++notes)
        commands.bind(cmd::kTriplet + notes - 3,
                      editStep([notes](RangeEditor& editor) { return editor.makeTuplet(notes); }));
    commands.bind(cmd::kTranspose, [&frame] { transpose(frame); });
    commands.bind(cmd::kTie, [&frame] { tie(frame); });
    commands.bind(cmd::kKeyChange, [&frame] { changeKey(frame); });
    commands.bind(cmd::kTimeChange, [&frame] { changeTime(frame); });
    commands.bind(cmd::kGoToLine, [&frame] { goToLine(frame); });
    commands.bind(cmd::kFileNew, [&frame] { newSong(frame); });
    commands.bind(cmd::kProperties, [&frame] { properties(frame); });
    commands.bind(cmd::kCheckActive, [&frame] { checkActive(frame); });
    commands.bind(cmd::kCheckAll, [&frame] { checkAll(frame); });
}

}  // namespace plume
