#pragma once
// The main frame's floating palettes: it makes them, binds their show commands, keeps which are
// shown, routes their entry requests (to the active view, or the enlarged edit palette while it takes
// them) and hooks the score views to the wheel window and the edit-key bar.

#include <QMap>
#include <QObject>

#include "app/entry_request.h"
#include "app/palette_routing.h"

namespace plume {

class CMainFrame;
class CommandRegistry;
class CPlmView;
class EditKeyToolBar;
class EntryToolControl;
class PaletteReceiver;
class PaletteWindow;
class TestPlayer;

class PaletteHost : public QObject {
    Q_OBJECT

public:
    // Makes every palette (hidden) and binds its show command in `commands`; the frame refreshes the
    // entry tools' cursors once it holds the host.
    PaletteHost(CMainFrame& frame, CommandRegistry& commands);

    PaletteWindow* palette(int showCommand) const { return m_palettes.value(showCommand); }
    const PaletteVisibility& shown() const { return m_shown; }
    void toggle(int showCommand);
    RoutingState routingState() const;
    // Sends a palette's entry request where the routing rules send it (nowhere, while they hold it back).
    void post(const EntryRequest& request);
    EntryToolControl& entryTools() { return *m_entryTools; }
    EditKeyToolBar* editKeyBar() const { return m_editKeyBar; }
    // A new score view: the wheel turns the entry tools, a right click shows the edit-key bar.
    void hookView(CPlmView& view);
    void setLargeKeyboard(bool large);
    // The drum palette, made once the player that its setup dialog's test plays on exists.
    void addDrumPalette(CommandRegistry& commands, TestPlayer& player);

private:
    void add(PaletteWindow* palette, CommandRegistry& commands);

    CMainFrame& m_frame;
    PaletteVisibility m_shown;
    QMap<int, PaletteWindow*> m_palettes;
    PaletteReceiver* m_receiver = nullptr;
    EntryToolControl* m_entryTools = nullptr;
    EditKeyToolBar* m_editKeyBar = nullptr;
};

}  // namespace plume
