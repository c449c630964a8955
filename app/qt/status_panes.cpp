#include "app/qt/status_panes.h"

#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>

#include "app/frame_commands.h"

namespace plume {

namespace {

QString qs(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

StatusPanes::StatusPanes(QStatusBar& bar) {
    const QFontMetrics metrics(bar.font());
    const std::array<QString, Count> widest = {QString(), QString::fromUtf8(kOverwritePaneText), qs(linePaneText(888)),
                                               qs(barPaneText(8888)), qs(linePaneText(888)), qs(barPaneText(8888))};
    for (std::size_t i = 0; i < m_panes.size(); ++i) {
        auto* pane = new QLabel(&bar);
        m_panes[i] = pane;
        if (i == Message) {
            bar.addWidget(pane, 1);
            m_progress = new QProgressBar(&bar);
            m_progress->setRange(0, 100);
            m_progress->setMaximumWidth(200);
            m_progress->hide();
            bar.addWidget(m_progress);
            continue;
        }
        pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        pane->setAlignment(Qt::AlignCenter);
        pane->setMinimumWidth(metrics.horizontalAdvance(widest[i]) + 12);
        bar.addPermanentWidget(pane);
    }
}

void StatusPanes::setLine(int line, int bar) {
    m_panes[Line]->setText(qs(linePaneText(line)));
    m_panes[Bar]->setText(qs(barPaneText(bar)));
}

void StatusPanes::setFree(const QString& line, const QString& bar) {
    m_panes[FreeLine]->setText(line);
    m_panes[FreeBar]->setText(bar);
}

void StatusPanes::clearPosition() {
    setLine(-1, 0);
    m_panes[Bar]->clear();
    setFree({}, {});
}

void StatusPanes::setInsert(bool insert) {
    m_panes[Insert]->setText(insert ? QString() : QString::fromUtf8(kOverwritePaneText));
}

void StatusPanes::setPositionEnabled(bool enabled) {
    for (Pane pane : {FreeLine, FreeBar, Line, Bar}) m_panes[pane]->setEnabled(enabled);
}

QString StatusPanes::text(int pane) const {
    return pane >= 0 && pane < Count ? m_panes[std::size_t(pane)]->text() : QString();
}

void StatusPanes::startProgress(const QString& message) {
    m_panes[Message]->setText(message);
    m_progress->setValue(0);
    m_progress->show();
}

void StatusPanes::setProgress(int percent) { m_progress->setValue(percent); }

void StatusPanes::finishProgress() {
    m_progress->hide();
    m_progress->reset();
    m_panes[Message]->clear();
}

}  // namespace plume
