#include "app/qt/plm_app.h"

#include <QGuiApplication>
#include <QScreen>

#include "app/qt/database_link.h"
#include "app/qt/main_frame.h"
#include "app/qt/midi_open.h"
#include "app/qt/recovery_keeper.h"
#include "platform/profile.h"

namespace plume {

CPlmApp::CPlmApp() { platform::installMessageBox(&m_messageBox); }

CPlmApp::~CPlmApp() {
    m_recovery.reset();  // a clean exit keeps no recovery copies
    m_database.reset();  // while the frame it plays through is there
    m_project.reset();
    m_frame.reset();
    platform::installMessageBox(nullptr);
}

void CPlmApp::startUp(const StartupOptions& options, bool maximised) {
    m_recentFiles.load(platform::appProfile());
    m_frame = std::make_unique<CMainFrame>(*this);
    m_messageBox.setParent(m_frame.get());
    m_fileDialog = std::make_unique<platform::QtFileDialog>(m_frame.get());
    m_project = std::make_unique<ProjectState>(*m_frame, *m_fileDialog, platform::appProfile());
    if (maximised) {
        // Without a window manager "maximised" means nothing: fill the screen by hand first.
        if (const QScreen* screen = QGuiApplication::primaryScreen()) m_frame->setGeometry(screen->availableGeometry());
        m_frame->showMaximized();
        m_frame->activateWindow();
    } else {
        m_frame->show();
    }
    m_database = std::make_unique<DatabaseLink>(*m_frame);
    m_database->create();

    acceptDroppedFiles(*m_frame);
    if (options.song) openSongOrMidi(*m_frame, *options.song);
    // A project named on the command line takes the place of the last one.
    if (options.project) platform::appProfile().writeString("Project", "Project File", utf8Of(*options.project));
    m_project->startUp();
    m_frame->projectChanged();
}

void CPlmApp::startRecovery(const std::filesystem::path& folder, int intervalMs) {
    m_recovery = std::make_unique<RecoveryKeeper>(*m_frame, folder, intervalMs);
    m_recovery->offerRecovered();
}

void CPlmApp::songSettled(const CPlmChildWnd& window) {
    if (m_recovery) m_recovery->forget(window);
}

void CPlmApp::databasePlayEnded() {
    if (m_database) m_database->playEnded();
}

}  // namespace plume
