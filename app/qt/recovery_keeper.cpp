#include "app/qt/recovery_keeper.h"

#include <chrono>
#include <set>

#include "app/qt/main_frame.h"
#include "app/qt/plm_child_wnd.h"
#include "platform/message_box.h"
#include "song/plm_doc.h"

namespace plume {

namespace {

std::int64_t secondsNow() {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

}  // namespace

RecoveryKeeper::RecoveryKeeper(CMainFrame& frame, std::filesystem::path folder, int intervalMs)
    : m_frame(frame), m_store(std::move(folder)) {
    connect(&m_timer, &QTimer::timeout, this, [this] { update(); });
    m_timer.start(intervalMs);
}

RecoveryKeeper::~RecoveryKeeper() { m_store.dropAll(); }

std::uint64_t RecoveryKeeper::idOf(const CPlmChildWnd& window) {
    const auto [found, added] = m_ids.try_emplace(&window, m_nextId);
    if (added) ++m_nextId;
    return found->second;
}

void RecoveryKeeper::update() {
    std::set<std::uint64_t> modified;
    for (CPlmChildWnd* window : m_frame.childWindows()) {
        if (!window->isModified()) continue;
        const std::uint64_t id = idOf(*window);
        if (m_store.keep(id, window->path(), window->document().toSongData(), secondsNow())) modified.insert(id);
    }
    for (const std::uint64_t id : m_store.keptWindows())
        if (!modified.contains(id)) m_store.drop(id);
}

void RecoveryKeeper::forget(const CPlmChildWnd& window) {
    const auto found = m_ids.find(&window);
    if (found == m_ids.end()) return;
    m_store.drop(found->second);
    m_ids.erase(found);
}

void RecoveryKeeper::offerRecovered() {
    const std::vector<RecoveredSong> songs = m_store.claimOrphans();
    if (songs.empty()) return;
    if (platform::messageBox().show(recoveryOfferText(songs), platform::Buttons::YesNo) == platform::Answer::Yes) {
        for (const RecoveredSong& song : songs) {
            const auto data = readRecoveredSong(song);
            auto document = data ? CPlmDoc::create() : nullptr;
            if (!document || !document->load(*data)) continue;
            document->setModified();
            const bool pathFree = !song.original.empty() && !m_frame.findDocument(song.original);
            m_frame.newSongWindow(std::move(document), pathFree ? song.original : std::filesystem::path());
        }
        update();  // the reopened songs have copies of this editor before the old ones go
    }
    m_store.releaseClaimed();
}

}  // namespace plume
