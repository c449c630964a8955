#pragma once
// The effect palette ("効果パレット"): what the cursor group carries, shown again each time the
// score view places its caret: the instrument ("演奏楽器"), the notes and eight effect values.

#include <array>

#include "app/effect_palette_content.h"
#include "app/qt/palette_window.h"

class QLineEdit;
class QListWidget;

namespace plume {

class CMainFrame;
class CPlmView;
class ScoreView;

// The records of the group at the cursor (empty at the end of the song), as the palettes that
// follow the caret read them.
struct CursorGroup {
    Records records;
    bool atEnd = true;
};
CursorGroup cursorGroupOf(const ScoreView& view);

// Where a window that follows the caret first shows: along the top of the frame's client area, from
// the right, left of the note palette: the effect, gate-time and velocity palettes.
void placeAlongFrameTop(QWidget& window, const CMainFrame& frame, int showCommand);

class EffectPaletteWindow final : public PaletteWindow {
    Q_OBJECT

public:
    explicit EffectPaletteWindow(CMainFrame& frame);

    QString instrumentText() const;
    QStringList noteTexts() const;
    QString valueText(EffectField field) const;

protected:
    void placeFirst() override;

private:
    void showCursorGroup(CPlmView* view);
    void display(const EffectPaletteContent& content);

    CMainFrame& m_frame;
    QLineEdit* m_instrument;
    QListWidget* m_notes;
    std::array<QLineEdit*, kEffectFieldCount> m_values{};
};

}  // namespace plume
