#pragma once
// The edit-key tool bar: ten buttons shown near a point the score view chooses, each passing an
// editing key or command to the palettes' target, after which the bar hides itself.

#include <span>
#include <vector>

#include "app/entry_request.h"

namespace plume {

namespace edit_key_button {
inline constexpr int kBarLine = 620;      // "縦線"
inline constexpr int kLineBreak = 621;    // "改行"
inline constexpr int kBackSpace = 622;    // "Back Space"
inline constexpr int kInsert = 623;       // "挿入／上書き"
inline constexpr int kDelete = 624;       // "Delete"
}  // namespace edit_key_button

// The bar's buttons in order, five to a row.
std::span<const int> editKeyBarButtons();

class EditKeyBar {
public:
    bool isShown() const { return m_shown; }
    int x() const { return m_x; }
    int y() const { return m_y; }
    // Shown floating with its top left corner at the point (screen coordinates).
    void showAt(int x, int y);
    void hide() { m_shown = false; }

    // What to post to the target, in order; the bar then hides. While playing every button but
    // insert/overwrite does nothing and the bar stays.
    std::vector<EntryRequest> press(int button, bool playing);

private:
    bool m_shown = false;
    int m_x = 0;
    int m_y = 0;
};

}  // namespace plume
