#include "app/qt/command_ui.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <algorithm>

#include "app/qt/tool_icons.h"

namespace plume {

namespace {

QString qs(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

}  // namespace

CommandUi::CommandUi(QMainWindow& window, std::function<void(int)> run) : QObject(&window), m_window(window) {
    for (const CommandEntry& entry : commandEntries()) {
        for (int id = entry.id; id > 0 && id < entry.id + entry.count; ++id) {
            auto* action = new QAction(qs(entry.text), &window);
            if (*entry.shortcut) action->setShortcut(QKeySequence(QString::fromLatin1(entry.shortcut)));
            if (entry.count == 1) {
                action->setStatusTip(qs(commandPrompt(entry)));
                action->setToolTip(action->statusTip());
            }
            action->setCheckable(entry.checked != nullptr);
            action->setEnabled(false);
            connect(action, &QAction::triggered, this, [run, id] { run(id); });
            m_actions.insert(id, action);
        }
    }
}

void CommandUi::buildMenus(const std::function<void()>& aboutToShow,
                           const std::function<void(int, QMenu*)>& listShown) {
    const auto entries = commandEntries();
    for (int m = 0; m < kMenuCount; ++m) {
        const auto menuId = MenuId(m);
        QMenu* menu = m_window.menuBar()->addMenu(qs(menuTitle(menuId)));
        connect(menu, &QMenu::aboutToShow, this, aboutToShow);
        QMenu* submenu = nullptr;
        const char* submenuTitle = nullptr;
        for (const CommandEntry& e : entries) {
            if (e.menu != menuId) continue;
            if (e.submenu != submenuTitle) {
                submenuTitle = e.submenu;
                submenu = e.submenu ? menu->addMenu(qs(e.submenu)) : nullptr;
                if (submenu) m_submenus.push_back(submenu);
            }
            QMenu* target = submenu ? submenu : menu;
            if (e.id == CommandEntry::kSeparator) {
                target->addSeparator();
                continue;
            }
            if (e.count > 1 || e.id == CommandEntry::kWindowList)
                connect(target, &QMenu::aboutToShow, this, [listShown, id = e.id, target] { listShown(id, target); });
            for (int id = e.id; id > 0 && id < e.id + e.count; ++id) target->addAction(m_actions.value(id));
        }
    }
}

QToolBar* CommandUi::addToolBar(const QString& title, const QString& objectName, std::span<const int> ids,
                                bool (*shownWhile)(const FrameState&)) {
    auto* bar = new QToolBar(title, &m_window);
    bar->setObjectName(objectName);
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
    m_window.addToolBar(Qt::TopToolBarArea, bar);
    m_toolBars.push_back({bar, shownWhile});
    if (shownWhile) bar->hide();
    return bar;
}

bool CommandUi::toolBarsShown() const { return m_toolBarsShown; }

void CommandUi::setToolBarsShown(bool shown) {
    m_toolBarsShown = shown;
    for (const Bar& b : m_toolBars)
        if (!b.shownWhile) b.bar->setVisible(shown);
}

void CommandUi::update(const CommandRegistry& registry, const FrameState& state) {
    for (const Bar& b : m_toolBars)
        if (b.shownWhile) b.bar->setVisible(m_toolBarsShown && b.shownWhile(state));
    for (auto it = m_actions.begin(); it != m_actions.end(); ++it) {
        it.value()->setEnabled(registry.enabled(it.key(), state));
        if (const auto checked = registry.checked(it.key(), state)) it.value()->setChecked(*checked);
    }
    const QAction* recentProjects = m_actions.value(cmd::kRecentProject1);
    for (QMenu* submenu : m_submenus) {
        const auto actions = submenu->actions();
        const bool any = std::any_of(actions.begin(), actions.end(),
                                     [](const QAction* a) { return !a->isSeparator() && a->isEnabled(); });
        submenu->menuAction()->setEnabled(any || actions.contains(recentProjects));
    }
}

}  // namespace plume
