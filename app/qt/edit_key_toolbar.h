#pragma once
// The edit-key tool bar: ten buttons in two rows, shown floating where the score view was clicked
// with the right button and hidden again after each use. The keys go to the active view (also while
// the enlarged edit palette takes the palettes' requests), the commands to the frame.

#include <QWidget>

#include "app/edit_key_bar.h"

class QToolButton;

namespace plume {

class CMainFrame;
class CPlmView;

// An editing key (vk:: Back Space, Tab, Return or Delete) as if it had been typed in the view.
void typeKey(CPlmView& view, int virtualKey);

class EditKeyToolBar final : public QWidget {
    Q_OBJECT

public:
    explicit EditKeyToolBar(CMainFrame& frame);

    // Shown with its top-left corner at a screen point, kept on the screen.
    void showNear(QPoint global);
    // The button of an id (edit_key_button:: or a command), nullptr for other ids.
    QToolButton* button(int id) const;
    void press(int id);

private:
    CMainFrame& m_frame;
    EditKeyBar m_bar;
    std::vector<QToolButton*> m_buttons;
};

}  // namespace plume
