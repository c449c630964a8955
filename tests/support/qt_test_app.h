#pragma once
// The one QApplication of a GUI test binary (offscreen: the test main sets QT_QPA_PLATFORM).

#include <QApplication>
#include <QPoint>
#include <functional>

class QWidget;

namespace plume::test {

QApplication& qtApp();

// Mouse input delivered straight to a widget, with the button held during the move.
void pressMouse(QWidget* widget, QPoint at);
void moveMouse(QWidget* widget, QPoint to);
void releaseMouse(QWidget* widget, QPoint at);
void turnWheel(QWidget* widget, QPoint at, int delta);

// Runs the event loop until `done` holds or the time is up; returns `done()`.
bool waitUntil(const std::function<bool()>& done, int timeoutMs = 5000);

}  // namespace plume::test
