#include "app/qt/palette_window.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QMouseEvent>
#include <QToolButton>

namespace plume {

PaletteWindow::PaletteWindow(int showCommand, const QString& title, QWidget* frame)
    : QWidget(frame, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      m_command(showCommand) {
    setWindowTitle(title);
    setAttribute(Qt::WA_ShowWithoutActivating);
    hide();
}

void PaletteWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    hide();
    Q_EMIT closedByFrame(m_command);
}

void PaletteWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_placed) return;
    m_placed = true;
    placeFirst();
}

PaletteButtonGrid addPaletteButtonGrid(PaletteWindow& window, const QString& kind, std::span<const int> ids,
                                       int columns, const std::function<void(int)>& press) {
    window.setObjectName(kind + QStringLiteral("Palette"));
    window.setWindowFlag(Qt::WindowDoesNotAcceptFocus);
    // Flat buttons whose checked state stands out.
    window.setStyleSheet(QStringLiteral(
        "QToolButton { border: 1px solid #b4b4b4; border-radius: 2px; background: #fbfbfb; }"
        "QToolButton:hover { background: #eaf2fb; }"
        "QToolButton:checked { background: #b9d5f5; border: 1px solid #2f6db5; }"
        "QToolButton:pressed { background: #9fc3ee; }"
        "QToolButton:disabled { color: #a8a8a8; background: #f0f0f0; }"));
    PaletteButtonGrid result{new QGridLayout(&window), {}};
    result.grid->setContentsMargins(3, 3, 3, 3);
    result.grid->setSpacing(1);
    int slot = 0;
    for (const int id : ids) {
        auto* button = new QToolButton(&window);
        button->setObjectName(kind + QString::number(id));
        button->setCheckable(true);
        button->setFocusPolicy(Qt::NoFocus);
        QObject::connect(button, &QToolButton::clicked, &window, [press, id] { press(id); });
        result.grid->addWidget(button, slot / columns, slot % columns);
        result.buttons.insert(id, button);
        ++slot;
    }
    return result;
}

void WindowDrag::start(const QWidget& window, const QMouseEvent& press) {
    m_dragging = true;
    m_offset = press.globalPosition().toPoint() - window.pos();
}

bool WindowDrag::follow(QWidget& window, const QMouseEvent& move) const {
    if (m_dragging) window.move(move.globalPosition().toPoint() - m_offset);
    return m_dragging;
}

}  // namespace plume
