#include "app/palette_window.h"

#include <QCloseEvent>

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

}  // namespace plume
