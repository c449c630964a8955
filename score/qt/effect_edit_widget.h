#pragma once
// The effect-edit display ("効果編集表示形式") of a song window: paints the core's effect display
// through QtCanvas, scrolls it sideways, and hands clicks and Back Space to the core's rules.

#include <QAbstractScrollArea>
#include <vector>

#include "score/effect_display.h"

namespace plume {

namespace platform {
class GlyphImages;
}

class EffectEditWidget : public QAbstractScrollArea {
    Q_OBJECT

public:
    EffectEditWidget(CPlmDoc& doc, ScoreView& view, QWidget* parent = nullptr);

    int zoom() const { return m_zoom; }
    // "音符の間隔" of the effect bar.
    void setZoom(int zoom);
    int cursor() const { return m_cursor; }
    const std::vector<EffectItem>& items() const { return m_items; }
    // After the song changed elsewhere: lays the row out again and repaints.
    void songChanged();

Q_SIGNALS:
    // The song was edited from this display.
    void edited();
    // The effect-edit cursor was placed before `record` (the song's end after the last item).
    void cursorPlaced(std::size_t record);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void layOut();
    void placeCursor(int cursor);

    CPlmDoc& m_doc;
    ScoreView& m_view;
    std::vector<EffectItem> m_items;
    int m_zoom = 0;
    int m_cursor = 0;
};

}  // namespace plume
