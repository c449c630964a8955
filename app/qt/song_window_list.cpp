#include "app/qt/song_window_list.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStyle>

#include "app/qt/main_frame.h"
#include "app/qt/plm_app.h"
#include "app/qt/plm_child_wnd.h"
#include "score/qt/plm_view_widget.h"
#include "song/plm_doc.h"
#include "song/path_identity.h"
#include "song/song_document.h"

namespace plume {

namespace fs = std::filesystem;

SongWindowList::SongWindowList(CMainFrame& frame, QMdiArea& area, std::function<void(CPlmChildWnd&)> added)
    : m_frame(frame), m_area(area), m_added(std::move(added)) {}

std::vector<CPlmChildWnd*> SongWindowList::childWindows() const {
    std::vector<CPlmChildWnd*> windows;
    for (QMdiSubWindow* window : m_area.subWindowList(QMdiArea::CreationOrder)) {
        auto* child = qobject_cast<CPlmChildWnd*>(window);
        if (child && !child->isClosing()) windows.push_back(child);
    }
    return windows;
}

std::vector<SongWindow*> SongWindowList::songWindows() {
    std::vector<SongWindow*> windows;
    for (CPlmChildWnd* child : childWindows()) windows.push_back(&child->songWindow());
    return windows;
}

CPlmChildWnd* SongWindowList::activeChild() const {
    auto* child = qobject_cast<CPlmChildWnd*>(m_area.currentSubWindow());
    return child && !child->isClosing() ? child : nullptr;
}

CPlmView* SongWindowList::activeView() const {
    CPlmChildWnd* child = activeChild();
    return child ? &child->view() : nullptr;
}

bool SongWindowList::openSongWindow(const fs::path& path, bool minimised) {
    for (CPlmChildWnd* child : childWindows()) {
        if (!samePath(child->path(), path)) continue;
        if (!minimised) m_area.setActiveSubWindow(child);
        return true;
    }
    auto document = openSongDocument(path);
    if (!document) return false;
    addSongWindow(std::move(document), path, minimised);
    if (!m_frame.app().project().isReopening()) addToRecentFiles(path);
    m_frame.updateCommands();
    return true;
}

CPlmChildWnd* SongWindowList::newSongWindow(std::unique_ptr<CPlmDoc> document, const fs::path& path) {
    CPlmChildWnd* child = addSongWindow(std::move(document), path, false);
    m_frame.updateCommands();
    return child;
}

CPlmChildWnd* SongWindowList::addSongWindow(std::unique_ptr<CPlmDoc> document, const fs::path& path,
                                            bool minimised) {
    auto* child = new CPlmChildWnd(std::move(document), path, m_frame);
    child->setWindowIcon(m_frame.windowIcon());
    m_area.addSubWindow(child);
    placeNewWindow(child);
    m_added(*child);
    if (minimised) {
        QMdiSubWindow* previous = m_area.currentSubWindow();
        child->showMinimized();
        if (previous) m_area.setActiveSubWindow(previous);
    } else {
        child->show();
        m_area.setActiveSubWindow(child);
        child->view().setFocus();
    }
    return child;
}

// Cascaded from the top left, each a title bar further, three quarters of the client area wide.
void SongWindowList::placeNewWindow(QMdiSubWindow* window) {
    const QSize area = m_area.viewport()->size();
    int shown = 0;
    for (CPlmChildWnd* child : childWindows()) shown += child != window && !child->isMinimized();
    const int step = m_frame.style()->pixelMetric(QStyle::PM_TitleBarHeight) + 4;
    const int offset = (shown % 8) * step;
    window->setGeometry(offset, offset, std::max(area.width() * 3 / 4, 400), std::max(area.height() * 3 / 5, 300));
}

void SongWindowList::addToRecentFiles(const fs::path& path) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    m_frame.app().recentFiles().add(ec ? path : absolute.lexically_normal());
}

CPlmDoc* SongWindowList::findDocument(const fs::path& path) {
    for (CPlmChildWnd* child : childWindows())
        if (samePath(child->path(), path)) return &child->document();
    return nullptr;
}

const CPlmDoc* SongWindowList::findOpenDocument(const fs::path& path) const {
    for (CPlmChildWnd* child : childWindows())
        if (samePath(child->path(), path)) return &child->document();
    return nullptr;
}

}  // namespace plume
