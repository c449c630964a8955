#pragma once
// The main frame's status bar: the message pane with its progress bar, the insert pane, the two free
// panes and the line and bar of the caret.

#include <QString>
#include <array>

class QLabel;
class QProgressBar;
class QStatusBar;

namespace plume {

class StatusPanes {
public:
    enum Pane { Message, Insert, FreeLine, FreeBar, Line, Bar, Count };

    explicit StatusPanes(QStatusBar& bar);

    // "%3d行" and "%3d小節"; a line of -1 empties the line pane.
    void setLine(int line, int bar);
    void setFree(const QString& line, const QString& bar);
    // No caret to show: the line, bar and free panes empty.
    void clearPosition();
    void setInsert(bool insert);
    // The position panes are shown enabled only while a song window can show its caret.
    void setPositionEnabled(bool enabled);
    QString text(int pane) const;
    // A long job: its message and a progress bar from 0; `percent` moves it; `finish` clears both.
    void startProgress(const QString& message);
    void setProgress(int percent);
    void finishProgress();

private:
    std::array<QLabel*, Count> m_panes{};
    QProgressBar* m_progress = nullptr;
};

}  // namespace plume
