#include "app/qt/song_commands.h"

#include <QDialog>

#include "app/frame_commands.h"
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

bool runSongCommand(CMainFrame& frame, int id) {
    if (id >= cmd::kTriplet && id < cmd::kTriplet + 5) {
        edit(frame, [id](RangeEditor& editor) { return editor.makeTuplet(3 + id - cmd::kTriplet); });
        return true;
    }
    switch (id) {
    case cmd::kEditCut:
        edit(frame, [&frame](RangeEditor& editor) { return editor.cut(frame.clipboard()); });
        return true;
    case cmd::kEditCopy:
        edit(frame, [&frame](RangeEditor& editor) { return editor.copy(frame.clipboard()); });
        return true;
    case cmd::kEditPaste:
        edit(frame, [&frame](RangeEditor& editor) { return editor.paste(frame.clipboard()); });
        return true;
    case cmd::kEditUndo:
        edit(frame, [](RangeEditor& editor) { return editor.undo(); });
        return true;
    case cmd::kTranspose:
        transpose(frame);
        return true;
    case cmd::kNotesToRests:
        edit(frame, [](RangeEditor& editor) { return editor.notesToRests(); });
        return true;
    case cmd::kTupletClear:
        edit(frame, [](RangeEditor& editor) { return editor.clearTuplet(); });
        return true;
    case cmd::kTie:
        tie(frame);
        return true;
    case cmd::kKeyChange:
        changeKey(frame);
        return true;
    case cmd::kTimeChange:
        changeTime(frame);
        return true;
    case cmd::kGoToLine:
        goToLine(frame);
        return true;
    case cmd::kFileNew:
        newSong(frame);
        return true;
    case cmd::kProperties:
        properties(frame);
        return true;
    case cmd::kCheckActive:
        checkActive(frame);
        return true;
    case cmd::kCheckAll:
        checkAll(frame);
        return true;
    default:
        return false;
    }
}

}  // namespace plume
