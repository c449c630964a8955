#include "app/qt/palette_host.h"

#include <QMdiArea>
#include <algorithm>

#include "app/command_registry.h"
#include "app/qt/chord_palette_window.h"
#include "app/qt/drum_palette_window.h"
#include "app/qt/edit_key_toolbar.h"
#include "app/qt/edit_palette_window.h"
#include "app/qt/effect_palette_window.h"
#include "app/qt/entry_tool_control.h"
#include "app/qt/keyboard_palette_window.h"
#include "app/qt/main_frame.h"
#include "app/qt/note_palette_window.h"
#include "app/qt/plm_app.h"
#include "app/qt/plm_child_wnd.h"
#include "app/qt/value_palette_windows.h"
#include "app/qt/vokato_host.h"
#include "platform/profile.h"
#include "play/instrument_tables.h"
#include "score/qt/plm_view_widget.h"
#include "song/plm_doc.h"

namespace plume {

PaletteHost::PaletteHost(CMainFrame& frame, CommandRegistry& commands) : QObject(&frame), m_frame(frame) {
    auto* keyboard = new KeyboardPaletteWindow(frame, frame.settings().pianoPaletteSize);
    for (PaletteWindow* palette : std::initializer_list<PaletteWindow*>{
             new NotePaletteWindow(frame, frame.app().glyphs()), new ChordPaletteWindow(frame, frame.app().glyphs()),
             keyboard})
        add(palette, commands);
    auto* editPalette = new EditPaletteWindow(frame);
    for (PaletteWindow* palette : std::initializer_list<PaletteWindow*>{
             editPalette, new EffectPaletteWindow(frame), new ValuePaletteWindow(frame, NoteValueKind::DelayGate),
             new ValuePaletteWindow(frame, NoteValueKind::Velocity)})
        add(palette, commands);
    m_receiver = editPalette;
    m_editKeyBar = new EditKeyToolBar(frame);
    m_entryTools = new EntryToolControl(frame);
    keyboard->setEntryToolWheel(&m_entryTools->wheel());
}

void PaletteHost::addDrumPalette(CommandRegistry& commands, TestPlayer& player) {
    // The active song's settings, the defaults without one.
    const auto songSettings = [this] {
        const CPlmChildWnd* child = m_frame.activeChild();
        return child ? child->document().songInfo() : SongInfo::defaults();
    };
    const CPlmChildWnd* child = m_frame.activeChild();
    const int module = child ? child->document().songInfo().soundModule() : sound_module::kGm;
    DrumPaletteHooks hooks{[this](const EntryRequest& request) { m_frame.postRequest(request); }, songSettings,
                           [songSettings] { return std::max<int>(songSettings().tempo(), 1); }, &player};
    DrumPaletteWindow* drums = createDrumPalette(&m_frame, platform::plmProfile(), module, std::move(hooks));
    // The caret is placed again when another song becomes active and after a song's settings change.
    connect(&m_frame, &CMainFrame::caretPlaced, drums, [drums](CPlmView* view) {
        drums->setModule(view->document().songInfo().soundModule());
    });
    connect(&m_frame, &CMainFrame::noSongActive, drums, [drums] { drums->setModule(sound_module::kGm); });
    add(drums, commands);
}

void PaletteHost::add(PaletteWindow* palette, CommandRegistry& commands) {
    const int command = palette->showCommand();
    m_palettes.insert(command, palette);
    commands.bind(command, [this, command] { toggle(command); });
    // The MDI area as context: the connection ends before the frame's teardown closes the palettes.
    connect(palette, &PaletteWindow::closedByFrame, m_frame.mdiArea(), [this](int closed) {
        m_shown.closed(closed);
        m_frame.updateCommands();
    });
}

void PaletteHost::toggle(int showCommand) {
    PaletteWindow* window = palette(showCommand);
    if (!window) return;
    m_shown.toggle(showCommand);
    window->setVisible(m_shown.isShown(showCommand));
}

RoutingState PaletteHost::routingState() const {
    RoutingState r;
    r.playing = m_frame.isPlaying();
    r.vokatoMode = m_frame.vokato().isOpen();
    r.editPaletteShown = m_receiver && m_shown.isShown(cmd::kEditPalette);
    // The view lets the palette take its requests while no range is selected in it.
    const CPlmView* view = m_frame.activeView();
    r.viewAllowsEditPalette = view && !view->logic().hasRange();
    return r;
}

void PaletteHost::post(const EntryRequest& request) {
    const auto target = routeEntryRequest(request, routingState());
    if (!target) return;
    if (*target == PaletteTarget::EnlargedEditPalette) m_receiver->receive(request);
    else if (*target == PaletteTarget::View) m_frame.deliverToActiveView(request);
    else if (*target == PaletteTarget::HumToScore) m_frame.vokato().receive(request);
}

void PaletteHost::hookView(CPlmView& view) {
    view.setWheelHook([this](int delta) { return m_entryTools->wheelTurned(delta); });
    connect(&view, &CPlmView::rightButtonPressed, this, [this](QPoint global) { m_editKeyBar->showNear(global); });
    m_entryTools->refreshCursors(cursor_refresh::kView);
}

void PaletteHost::setLargeKeyboard(bool large) {
    if (auto* keyboard = qobject_cast<KeyboardPaletteWindow*>(palette(cmd::kKeyboardPalette)))
        keyboard->setPaletteSize(large ? 1 : 0);
}

}  // namespace plume
