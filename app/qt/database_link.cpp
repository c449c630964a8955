#include "app/qt/database_link.h"

#include "app/qt/main_frame.h"
#include "app/qt/play_controller.h"
#include "app/qt/plm_app.h"
#include "database/qt/database_window.h"
#include "platform/profile.h"

namespace plume {

DatabaseLink::DatabaseLink(CMainFrame& frame) : m_frame(frame) {}

DatabaseLink::~DatabaseLink() { delete m_window.data(); }

void DatabaseLink::create() {
    if (!m_window) m_window = createDatabaseWindow(*this, platform::appProfile(), m_frame.app().fileDialog(), &m_frame);
}

void DatabaseLink::show() {
    create();
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

CDataBase* DatabaseLink::window() const { return m_window.data(); }

bool DatabaseLink::closeWindow() { return !m_window || m_window->close(); }

void DatabaseLink::playEnded() {
    if (m_window) m_window->playEnded();
}

bool DatabaseLink::openSong(const std::filesystem::path& path) { return m_frame.openSongWindow(path, false); }

bool DatabaseLink::playFile(const std::filesystem::path& path) { return m_frame.player().playFile(path); }

void DatabaseLink::stopPlay() { m_frame.player().stop(); }

}  // namespace plume
