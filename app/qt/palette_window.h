#pragma once
// A floating tool window of the main frame, shown and hidden by its show command. Closing it from
// its own title bar tells the frame, which clears the command's check mark.

#include <QMap>
#include <QPoint>
#include <QWidget>
#include <functional>
#include <span>

#include "app/entry_request.h"

class QGridLayout;
class QMouseEvent;
class QToolButton;

namespace plume {


class PaletteWindow : public QWidget {
    Q_OBJECT

public:
    PaletteWindow(int showCommand, const QString& title, QWidget* frame);

    int showCommand() const { return m_command; }

Q_SIGNALS:
    void closedByFrame(int command);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // Where the window goes when it is first shown; after that it stays where the user leaves it.
    virtual void placeFirst() {}
    bool isPlaced() const { return m_placed; }

private:
    int m_command;
    bool m_placed = false;
};

// A window that takes the palettes' entry requests in the active view's stead (the enlarged edit
// palette) while it is shown and the view lets it.
class PaletteReceiver {
public:
    virtual ~PaletteReceiver() = default;
    virtual void receive(const EntryRequest& message) = 0;
};

// The tool buttons of a button palette by id, and the grid that holds them.
struct PaletteButtonGrid {
    QGridLayout* grid;
    QMap<int, QToolButton*> buttons;
};

// Lays `window` out as a grid of checkable tool buttons, `columns` to a row in the order of `ids`,
// named "<kind>Palette" and "<kind><id>". Neither the window nor its buttons take the keyboard
// focus, which stays with the score; a click calls `press` with the button's id. The faces are
// the caller's.
PaletteButtonGrid addPaletteButtonGrid(PaletteWindow& window, const QString& kind, std::span<const int> ids,
                                       int columns, const std::function<void(int)>& press);

// Moves a window that has no title bar by the pointer, from a press on its drag band on.
class WindowDrag {
public:
    void start(const QWidget& window, const QMouseEvent& press);
    // False when no drag runs; otherwise the window follows the pointer.
    bool follow(QWidget& window, const QMouseEvent& move) const;
    void stop() { m_dragging = false; }

private:
    bool m_dragging = false;
    QPoint m_offset;  // the press point's offset from the window's corner
};

}  // namespace plume
