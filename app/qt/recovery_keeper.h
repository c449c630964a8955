#pragma once
// RecoveryKeeper: while a song window is modified, a copy of its song is written into the recovery
// folder at every tick of its timer; saved, closed and clean-exit songs leave nothing there. At
// start-up it offers the songs an editor that ended without saving left behind.

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <filesystem>
#include <map>

#include "app/recovery_store.h"

namespace plume {

class CMainFrame;
class CPlmChildWnd;

class RecoveryKeeper : public QObject {
public:
    RecoveryKeeper(CMainFrame& frame, std::filesystem::path folder, int intervalMs);
    // A clean exit: the copies of this process go.
    ~RecoveryKeeper() override;

    // Asks whether to reopen what editors that no longer run left behind; on Yes each song opens as
    // a modified window under its original path (untitled when it had none or is open already).
    void offerRecovered();
    // Writes the copies of the modified windows and removes those of the others.
    void update();
    // The window's song was saved or the window closes: its copy goes now.
    void forget(const CPlmChildWnd& window);

private:
    std::uint64_t idOf(const CPlmChildWnd& window);

    CMainFrame& m_frame;
    RecoveryStore m_store;
    QTimer m_timer;
    std::map<const CPlmChildWnd*, std::uint64_t> m_ids;
    std::uint64_t m_nextId = 1;
};

}  // namespace plume
