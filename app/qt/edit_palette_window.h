#pragma once
// The enlarged edit palette ("拡大編集パレット"): a small pop-up that holds one group of its own and
// shows it large on a grand staff. While it is shown (and the view lets it) the palettes' entry
// requests change this group instead of the song; its enter button enters the group at the cursor.
// Below the drag bar a left click adds a note at the clicked pitch (or selects the note there), a
// right click removes the nearest note, and the wheel moves the selected note a semitone.

#include <QImage>
#include <QPoint>

#include "app/enlarged_edit_group.h"
#include "app/qt/palette_window.h"

namespace plume {

class CMainFrame;
class CPlmView;

class EditPaletteWindow final : public PaletteWindow, public PaletteReceiver {
    Q_OBJECT

public:
    static constexpr int kFrame = 3;     // the dialog frame drawn around the client area
    static constexpr int kStaffTop = 17; // client y of the enlarged staff's first row
    static constexpr int kScale = 2;

    explicit EditPaletteWindow(CMainFrame& frame);

    void receive(const EntryRequest& message) override;
    const EnlargedEditGroup& group() const { return m_group; }

    // Client y (below the frame) where a key stands on the enlarged staff, which shows every
    // accidental at its note; and the key a click at client y names: the pitch of that line or
    // space in the key signature in force at the cursor.
    int keyY(int key) const;
    int keyAt(int clientY) const;
    // A point of the client area in widget coordinates.
    static QPoint clientToWidget(QPoint client) { return client + QPoint(kFrame, kFrame); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void followCursor(CPlmView* view);
    static int stepClientY(int step);
    // The group drawn by the score painter at its own size, the part around the group's column.
    QImage staffImage() const;
    // staffImage(), drawn again only after the group changed.
    const QImage& staff();
    void paintButton(QPainter& painter, EditPaletteArea area) const;

    CMainFrame& m_frame;
    EnlargedEditGroup m_group;
    std::vector<SongRecord> m_staffGroup;  // the group m_staff shows
    QImage m_staff;
    int m_keySignature = 0;
    WindowDrag m_drag;
    EditPaletteArea m_pressed = EditPaletteArea::Body;
    bool m_pressedInside = false;
    int m_wheel = 0;           // wheel units not yet taken as a semitone
};

}  // namespace plume
