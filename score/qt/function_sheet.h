#pragma once
// The function sheet `CEffectSheet` with its page `CFuncPage`: a curve over the range drawn in a
// graph whose shape points the mouse drags, over FunctionSheetForm.

#include <QDialog>
#include <QWidget>

#include "score/effect_forms.h"

class QButtonGroup;
class QComboBox;
class QSpinBox;

namespace plume {

// The graph: the curve over the range, the exponential's shape point or the sine's peak and phase
// points as small squares that follow the mouse.
class CurveGraph : public QWidget {
    Q_OBJECT

public:
    explicit CurveGraph(FunctionSheetForm& form, QWidget* parent = nullptr);
    QSize sizeHint() const override { return {400, 160}; }
    // Where the draggable points stand, in widget pixels.
    std::vector<QPoint> handles() const;

Q_SIGNALS:
    void shapeChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    Rect area() const;
    int yOf(long long value) const;

    FunctionSheetForm& m_form;
    int m_dragging = -1;  // index into handles()
};

class FunctionSheet : public QDialog {
    Q_OBJECT

public:
    FunctionSheet(CPlmDoc& doc, ScoreView& view, FunctionSheetForm form, QWidget* parent = nullptr);

    FunctionSheetForm& form() { return m_form; }
    QButtonGroup* functionButtons() const { return m_functions; }
    QComboBox* stepList() const { return m_steps; }
    QSpinBox* startField() const { return m_start; }
    QSpinBox* endField() const { return m_end; }
    CurveGraph* graph() const { return m_graph; }

public Q_SLOTS:
    void accept() override;

private:
    CPlmDoc& m_doc;
    ScoreView& m_view;
    FunctionSheetForm m_form;
    QButtonGroup* m_functions = nullptr;
    QComboBox* m_steps = nullptr;
    QSpinBox* m_start = nullptr;
    QSpinBox* m_end = nullptr;
    CurveGraph* m_graph = nullptr;
};

// The effect commands with a range (volume, modulation, pitch bend) and the effect bar's "関数":
// without a range nothing happens, and in the effect-edit display kCurveNeedsRangeMessage is shown
// first; without memory for the sheet kSheetMemoryMessage. Returns whether the song changed.
bool showFunctionSheet(QWidget* parent, CPlmDoc& doc, ScoreView& view, std::uint8_t number, bool effectDisplay);

}  // namespace plume
