#pragma once
// The Qt side of the command registry: an action per command, the menu bar and the tool bars built
// from the registry's entries, and its rules applied to them.

#include <QMap>
#include <QObject>
#include <functional>
#include <span>
#include <vector>

#include "app/command_registry.h"

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;

namespace plume {

class CommandUi : public QObject {
    Q_OBJECT

public:
    // Makes an action for every command id; triggering one calls `run` with its id.
    CommandUi(QMainWindow& window, std::function<void(int)> run);

    QAction* action(int id) const { return m_actions.value(id); }
    // The menus in the menu bar. `aboutToShow` runs before any menu opens; `listShown` before a
    // menu holding a list (a recent list's first id, or CommandEntry::kWindowList) opens.
    void buildMenus(const std::function<void()>& aboutToShow, const std::function<void(int, QMenu*)>& listShown);
    // A tool bar at the top of the window from a registry list; with `shownWhile` it shows only
    // while the rule holds (and the tool bars are shown).
    QToolBar* addToolBar(const QString& title, const QString& objectName, std::span<const int> ids,
                         bool (*shownWhile)(const FrameState&) = nullptr);
    bool toolBarsShown() const;
    void setToolBarsShown(bool shown);
    // Enables and checks every action by the registry; a submenu without an enabled command is
    // disabled, the recent projects' excepted.
    void update(const CommandRegistry& registry, const FrameState& state);

private:
    QMainWindow& m_window;
    QMap<int, QAction*> m_actions;
    std::vector<QMenu*> m_submenus;
    struct Bar {
        QToolBar* bar;
        bool (*shownWhile)(const FrameState&);
    };
    std::vector<Bar> m_toolBars;
    bool m_toolBarsShown = true;
};

}  // namespace plume
