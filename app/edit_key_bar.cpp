#include "app/edit_key_bar.h"

#include <algorithm>
#include <array>

#include "app/frame_commands.h"

namespace plume {

namespace {

constexpr std::array<int, 10> kButtons = {
    edit_key_button::kInsert, edit_key_button::kBackSpace, edit_key_button::kDelete, edit_key_button::kBarLine,
    edit_key_button::kLineBreak, cmd::kEditCut, cmd::kEditCopy, cmd::kEditPaste, cmd::kFirstLine, cmd::kLastLine,
};

EntryRequest keyDown(int key) { return entry::KeyDown{key}; }

}  // namespace

std::span<const int> editKeyBarButtons() { return kButtons; }

void EditKeyBar::showAt(int x, int y) {
    m_shown = true;
    m_x = x;
    m_y = y;
}

std::vector<EntryRequest> EditKeyBar::press(int button, bool playing) {
    if (std::find(kButtons.begin(), kButtons.end(), button) == kButtons.end()) return {};
    if (playing && button != edit_key_button::kInsert) return {};
    std::vector<EntryRequest> posts;
    switch (button) {
    case edit_key_button::kInsert:
        posts = {keyDown(vk::kInsert), entry::KeyUp{vk::kInsert}};
        break;
    case edit_key_button::kBackSpace: posts = {keyDown(vk::kBack)}; break;
    case edit_key_button::kDelete: posts = {keyDown(vk::kDelete)}; break;
    case edit_key_button::kBarLine: posts = {keyDown(vk::kTab)}; break;
    case edit_key_button::kLineBreak: posts = {keyDown(vk::kReturn)}; break;
    default: posts = {entry::RunCommand{button}}; break;
    }
    hide();
    return posts;
}

}  // namespace plume
