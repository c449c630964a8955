#pragma once
// The frame's side of the new mouse input ("マウス入力を新機能にする"): the wheel over the score
// steps the entry tool while the wheel window is open (timer 24), the status bar names the tool,
// and the score views and the enlarged edit and keyboard palettes show it as their cursor.

#include <QCursor>
#include <QObject>
#include <QString>
#include <QTimer>

#include "app/entry_tool_wheel.h"

namespace plume {

class CMainFrame;

class EntryToolControl final : public QObject, private platform::WindowTimers {
    Q_OBJECT

public:
    explicit EntryToolControl(CMainFrame& frame);

    const EntryToolWheel& wheel() const { return m_wheel; }
    // A wheel turn over a score view. False when the new mouse input is off: the view scrolls.
    bool wheelTurned(int delta);
    // The cursors of the windows named by cursor_refresh:: bits: the tool's with the new mouse
    // input on, the windows' own otherwise.
    void refreshCursors(unsigned windows);

    static QString toolName(int tool);
    // A pointer with the tool's glyph beside it; the hot spot is the pointer's tip.
    QCursor toolCursor(int tool) const;

private:
    // Timer 24 is the only timer the wheel sets: one single-shot QTimer.
    void setTimer(platform::TimerTarget& target, int id, int ms) override;
    void killTimer(platform::TimerTarget& target, int id) override;
    void showTool();

    CMainFrame& m_frame;
    QTimer m_timer;
    platform::TimerTarget* m_target = nullptr;
    EntryToolWheel m_wheel;  // after the timer: its destructor kills the timer
    int m_pending = 0;       // wheel units short of a notch
};

}  // namespace plume
