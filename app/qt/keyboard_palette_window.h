#pragma once
// The keyboard palette window: a drag bar with the close box, the band that sends the collected
// group, and a piano keyboard whose clicks collect the keys. It has no title bar of its own.

#include "app/keyboard_palette_logic.h"
#include "app/qt/palette_window.h"

namespace plume {

class CMainFrame;
class EntryToolWheel;

class KeyboardPaletteWindow : public PaletteWindow {
    Q_OBJECT

public:
    // Size 0 normal, 1 large.
    KeyboardPaletteWindow(CMainFrame& frame, int size);

    void setPaletteSize(int size);
    const KeyboardPalette& keyboard() const { return m_keyboard; }
    // While the wheel window is open and the new mouse input is on, clicks are ignored.
    void setEntryToolWheel(const EntryToolWheel* wheel) { m_wheel = wheel; }
    // The close box in the drag bar, in window coordinates.
    QRect closeBox() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void placeFirst() override;

private:
    void paintDragBar(QPainter& p);
    void paintSendBand(QPainter& p);
    void paintKeys(QPainter& p);

    CMainFrame& m_frame;
    KeyboardPalette m_keyboard;
    const EntryToolWheel* m_wheel = nullptr;
    WindowDrag m_drag;
};

}  // namespace plume
