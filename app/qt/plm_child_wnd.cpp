#include "app/qt/plm_child_wnd.h"

#include <QCloseEvent>

#include "app/qt/main_frame.h"
#include "app/qt/play_controller.h"
#include "app/qt/plm_app.h"
#include "play/instrument_tables.h"
#include "score/qt/plm_view_widget.h"
#include "song/plm_doc.h"
#include "song/song_document.h"

namespace plume {

CPlmChildWnd::CPlmChildWnd(std::unique_ptr<CPlmDoc> document, std::filesystem::path path, CMainFrame& frame)
    : m_frame(frame), m_document(std::move(document)), m_path(std::move(path)) {
    setAttribute(Qt::WA_DeleteOnClose);
    CPlmApp& app = frame.app();
    m_view = new CPlmView(*m_document, app.glyphs(), app.glyphImages(), this);
    m_view->logic().setGrandStaff(app.grandStaff());
    m_view->setZoom(frame.settings().zoom);
    m_view->setInsertMode(frame.insertMode());
    m_view->setEntryHost(&frame);
    setWidget(m_view);
    updateTitle();
    m_document->setSettingsObserver([this] { settingsChanged(); });
}

void CPlmChildWnd::settingsChanged() {
    updateTitle();
    m_view->songChanged();
}

CPlmChildWnd::~CPlmChildWnd() = default;

std::string CPlmChildWnd::title() const {
    return documentTitle(m_path.empty() ? std::string() : utf8Of(m_path.filename()), m_document->songInfo());
}

bool CPlmChildWnd::isModified() const { return m_document->isModified(); }

void CPlmChildWnd::updateTitle() { setWindowTitle(QString::fromStdString(title())); }

bool CPlmChildWnd::save() { return saveOrAsk(); }

bool CPlmChildWnd::saveAs(const std::filesystem::path& path) {
    if (!saveSongDocument(*m_document, path)) return false;
    m_path = path;
    updateTitle();
    m_frame.app().songSettled(*this);
    return true;
}

bool CPlmChildWnd::saveOrAsk() { return m_path.empty() ? saveAsAsking() : saveAs(m_path); }

bool CPlmChildWnd::saveAsAsking() {
    const auto name =
        m_frame.app().fileDialog().askSaveName("名前を付けて保存", kSongFileFilter, proposedSongFileName(m_path, title()));
    if (!name || !saveAs(*name)) return false;
    m_frame.addToRecentFiles(*name);
    return true;
}

void CPlmChildWnd::closeWithoutAsking() {
    m_closeWithoutAsking = true;
    close();
}

void CPlmChildWnd::closeEvent(QCloseEvent* event) {
    if (!m_closeWithoutAsking &&
        !mayCloseSong(*m_document, title(), m_frame.player().plays(*m_document), m_frame.vokatoWorksOn(*m_document),
                      [this] { return saveOrAsk(); })) {
        event->ignore();
        return;
    }
    m_closing = true;
    m_frame.app().songSettled(*this);
    m_document->setSettingsObserver({});
    QMdiSubWindow::closeEvent(event);
}

}  // namespace plume
