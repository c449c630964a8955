#include "score/qt/function_sheet.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "platform/message_box.h"
#include "score/score_view.h"
#include "song/qt/song_fields_widget.h"

namespace plume {

namespace {
constexpr int kMargin = 6;
constexpr int kHandle = 4;  // half the side of a shape point's square
constexpr const char* kFunctionTexts[] = {"直線", "放物線", "exp", "sin", "削除"};
}  // namespace

// ---- the graph -------------------------------------------------------------------------------------

CurveGraph::CurveGraph(FunctionSheetForm& form, QWidget* parent) : QWidget(parent), m_form(form) {
    setMinimumSize(200, 100);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
}

Rect CurveGraph::area() const { return {kMargin, kMargin, width() - kMargin, height() - kMargin}; }

int CurveGraph::yOf(long long value) const {
    const EffectBounds b = m_form.bounds();
    const Rect a = area();
    const double v = std::clamp(double(value), double(b.minimum), double(b.maximum));
    return a.bottom - 1 - int((v - b.minimum) / (b.maximum - b.minimum) * (a.height() - 1));
}

std::vector<QPoint> CurveGraph::handles() const {
    const Rect a = area();
    const int mid = (a.top + a.bottom) / 2;
    switch (m_form.choice()) {
    case FunctionSheetForm::Choice::Exponential:
        return {{a.left + m_form.shapePoint(), yOf(m_form.valueAtColumn(m_form.shapePoint()))}};
    case FunctionSheetForm::Choice::Sine:
        return {{a.left + m_form.peakPoint(), a.top + kHandle}, {a.left + m_form.phasePoint(), mid}};
    default: return {};
    }
}

void CurveGraph::resizeEvent(QResizeEvent* event) {
    m_form.setGraphWidth(std::max(area().width(), 2));
    QWidget::resizeEvent(event);
}

void CurveGraph::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const Rect a = area();
    painter.setPen(QColor(192, 192, 192));
    painter.drawRect(a.left, a.top, a.width() - 1, a.height() - 1);
    const std::vector<Point> points = m_form.graphPoints(a);
    painter.setPen(QPen(Qt::blue, 1));
    for (std::size_t i = 1; i < points.size(); ++i)
        painter.drawLine(points[i - 1].x, points[i - 1].y, points[i].x, points[i].y);
    painter.setPen(Qt::black);
    painter.setBrush(Qt::red);
    for (const QPoint& h : handles()) painter.drawRect(h.x() - kHandle, h.y() - kHandle, 2 * kHandle, 2 * kHandle);
}

void CurveGraph::mousePressEvent(QMouseEvent* event) {
    const std::vector<QPoint> h = handles();
    m_dragging = -1;
    for (std::size_t i = 0; i < h.size(); ++i) {
        const QPoint d = event->position().toPoint() - h[i];
        if (std::abs(d.x()) <= kHandle + 2 && std::abs(d.y()) <= kHandle + 2) m_dragging = int(i);
    }
}

void CurveGraph::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging < 0 || !(event->buttons() & Qt::LeftButton)) return;
    const int x = event->position().toPoint().x() - area().left;
    if (m_form.choice() == FunctionSheetForm::Choice::Exponential) m_form.dragShapePoint(x);
    else if (m_dragging == 0) m_form.dragPeakPoint(x);
    else m_form.dragPhasePoint(x);
    update();
    Q_EMIT shapeChanged();
}

// ---- the sheet -------------------------------------------------------------------------------------

FunctionSheet::FunctionSheet(CPlmDoc& doc, ScoreView& view, FunctionSheetForm form, QWidget* parent)
    : QDialog(parent), m_doc(doc), m_view(view), m_form(std::move(form)) {
    setWindowTitle(QStringLiteral("関数"));
    auto* page = new QWidget;
    m_functions = new QButtonGroup(this);
    auto* buttons = new QHBoxLayout;
    for (int i = 0; i < 5; ++i) {
        auto* b = new QPushButton(QString::fromUtf8(kFunctionTexts[i]), page);
        b->setCheckable(true);
        m_functions->addButton(b, i);
        buttons->addWidget(b);
    }
    m_functions->button(int(m_form.choice()))->setChecked(true);
    m_steps = new QComboBox(page);
    for (int i = 0; i < int(std::size(kCurveSteps)); ++i)
        m_steps->addItem(QString::fromStdString(FunctionSheetForm::stepText(i)));
    m_steps->setCurrentIndex(m_form.stepIndex());
    const EffectBounds b = m_form.bounds();
    m_start = new QSpinBox(page);
    m_end = new QSpinBox(page);
    for (QSpinBox* s : {m_start, m_end}) s->setRange(b.minimum, b.maximum);
    m_start->setValue(m_form.start());
    m_end->setValue(m_form.end());
    m_graph = new CurveGraph(m_form, page);

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("間隔"), m_steps);
    fields->addRow(QStringLiteral("開始値"), m_start);
    fields->addRow(QStringLiteral("終了値"), m_end);
    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->addLayout(buttons);
    pageLayout->addWidget(m_graph, 1);
    pageLayout->addLayout(fields);
    auto* tabs = new QTabWidget(this);
    tabs->addTab(page, QStringLiteral("関数"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(makeOkCancelButtons(this));

    connect(m_functions, &QButtonGroup::idClicked, this, [this](int id) {
        m_form.setChoice(FunctionSheetForm::Choice(id));
        m_graph->update();
    });
    connect(m_steps, &QComboBox::currentIndexChanged, this, [this](int i) { m_form.setStepIndex(i); });
    connect(m_start, &QSpinBox::valueChanged, this, [this](int v) {
        m_form.setStart(v);
        m_graph->update();
    });
    connect(m_end, &QSpinBox::valueChanged, this, [this](int v) {
        m_form.setEnd(v);
        m_graph->update();
    });
}

void FunctionSheet::accept() {
    m_form.accept(m_doc, m_view);
    QDialog::accept();
}

bool showFunctionSheet(QWidget* parent, CPlmDoc& doc, ScoreView& view, std::uint8_t number, bool effectDisplay) {
    if (!view.hasRange()) {
        if (effectDisplay) platform::messageBox().show(kCurveNeedsRangeMessage, platform::Buttons::Ok);
        return false;
    }
    auto form = FunctionSheetForm::open(doc, selectedRecords(view), number);
    if (!form) return false;
    FunctionSheet sheet(doc, view, std::move(*form), parent);
    return sheet.exec() == QDialog::Accepted;
}

}  // namespace plume
