#pragma once
// The main frame's command registry: one entry per command with its menu, text, shortcut,
// status-bar prompt and the rules that enable and check it over the frame's state, and the actions
// the window binds to them. Menus, tool bars, prompts, enabling and dispatch all read it; a command
// whose action is not bound is shown disabled.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "app/frame_commands.h"

namespace plume {

enum class MenuId : std::uint8_t { File, Edit, View, Project, Play, Vokato, Window, Help };
inline constexpr int kMenuCount = 8;

// A rule over the frame's state; `id` is the command asked about.
using CommandRule = bool (*)(const FrameState& state, int id);

struct CommandEntry {
    static constexpr int kSeparator = 0;
    static constexpr int kWindowList = -1;  // the open windows are listed here

    int id = kSeparator;
    MenuId menu = MenuId::File;
    const char* text = "";
    const char* shortcut = "";      // as QKeySequence reads it
    CommandRule enabled = nullptr;  // none: enabled whenever its action is bound
    CommandRule checked = nullptr;  // none: the command shows no check mark
    const char* submenu = nullptr;  // the submenu of `menu` the entry sits in
    int count = 1;                  // ids id .. id + count - 1 share the entry (the recent lists)
    const char* prompt = nullptr;   // the status-bar prompt; none: the text without its mnemonic
};

// Every entry, menu by menu in the order the menus show them.
std::span<const CommandEntry> commandEntries();
// The entry that holds `id`, or nullptr.
const CommandEntry* findCommand(int id);
std::string_view menuTitle(MenuId menu);
// The text of a command as its menu shows it (without the shortcut); empty for an unknown id.
std::string_view commandText(int id);
std::string commandPrompt(const CommandEntry& entry);
// Tool bars in order; 0 is a separator.
std::span<const int> mainToolBar();
std::span<const int> vokatoToolBar();

class CommandRegistry {
public:
    // `index` is the id's offset in its entry (0 but for the recent lists).
    using Action = std::function<void(int index)>;

    void bind(int id, Action action);
    void bind(int id, std::function<void()> action);
    bool isBound(int id) const;
    // Bound, and allowed by the entry's rule.
    bool enabled(int id, const FrameState& state) const;
    // Whether the command shows its check mark; nullopt for commands that are no toggle.
    std::optional<bool> checked(int id, const FrameState& state) const;
    // Runs the command's action when it is enabled; false when it was not.
    bool run(int id, const FrameState& state) const;

private:
    std::map<int, Action> m_actions;  // by the entry's first id
};

}  // namespace plume
