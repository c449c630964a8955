#pragma once
// The mixer window "ミキサー" (CMixer): an MDI child drawing the MixerState's strips, meters and
// common strip, handing it the mouse, and showing the track hint (CTrackInfo) over a strip's
// number. Closing it minimises it; it lives as long as the frame.

#include <QFrame>
#include <QMdiSubWindow>
#include <QTimer>
#include <functional>

#include "play/mixer_state.h"

class QMdiArea;

namespace plume {

// The hint window: a track's "ファイル名", "種別" and "楽器名", or what is wrong with the track.
class CTrackInfo : public QFrame {
    Q_OBJECT

public:
    explicit CTrackInfo(QWidget* parent = nullptr);
    void showTrack(const TrackInfo& info, const QPoint& globalPos);
    const TrackInfo& shown() const { return m_info; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TrackInfo m_info;
};

// The strips, drawn from mixer_layout, with the mixer's repeat timer on a QTimer.
class MixerPanel : public QWidget, public MixerView, private platform::WindowTimers {
    Q_OBJECT

public:
    // `project` gives the open project for the track hint (null without one).
    MixerPanel(std::function<const ProjectData*()> project, QWidget* parent = nullptr);
    ~MixerPanel() override;

    MixerState& state() { return m_state; }
    CTrackInfo* trackInfo() const { return m_info; }

    void channelChanged(std::size_t channel) override;
    void commonChanged() override;
    void levelChanged(std::size_t channel) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void setTimer(platform::TimerTarget& target, int id, int ms) override;
    void killTimer(platform::TimerTarget& target, int id) override;
    void showHint(const QPoint& pos);

    std::function<const ProjectData*()> m_project;
    CTrackInfo* m_info;
    QTimer m_repeat;
    platform::TimerTarget* m_timerTarget = nullptr;
    int m_timerId = 0;
    MixerState m_state{*this};  // last: its end kills the repeat timer above
};

class CMixer : public QMdiSubWindow {
    Q_OBJECT

public:
    CMixer(std::function<const ProjectData*()> project, QWidget* parent = nullptr);

    MixerState& state() { return m_panel->state(); }
    MixerPanel* panel() const { return m_panel; }

protected:
    // Closing minimises.
    void closeEvent(QCloseEvent* event) override;

private:
    MixerPanel* m_panel;
};

// Creates the mixer in `area` (once, with the frame), shown minimised until the user opens it.
CMixer* createMixer(QMdiArea& area, std::function<const ProjectData*()> project);

}  // namespace plume
