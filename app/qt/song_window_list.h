#pragma once
// The song windows of the main frame's MDI area: opening a song once, new windows, the active one,
// and the lookups the project and the player make by path.

#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "play/play_slot.h"
#include "song/project.h"

class QMdiArea;
class QMdiSubWindow;

namespace plume {

class CMainFrame;
class CPlmChildWnd;
class CPlmDoc;
class CPlmView;

class SongWindowList final : public SongWindows, public OpenDocumentLookup {
public:
    // `added` runs for every new window before it shows.
    SongWindowList(CMainFrame& frame, QMdiArea& area, std::function<void(CPlmChildWnd&)> added);

    // Windows that are not closing, in the order they were made.
    std::vector<CPlmChildWnd*> childWindows() const;
    CPlmChildWnd* activeChild() const;
    CPlmView* activeView() const;

    std::vector<SongWindow*> songWindows() override;
    // An open song is activated instead of being opened twice; a new one enters the recent-file
    // list unless the project is reopening its windows.
    bool openSongWindow(const std::filesystem::path& path, bool minimised) override;
    // A window for a new song, which has no path yet (or a recovered song's original path).
    CPlmChildWnd* newSongWindow(std::unique_ptr<CPlmDoc> document, const std::filesystem::path& path = {});
    void addToRecentFiles(const std::filesystem::path& path) override;
    CPlmDoc* findDocument(const std::filesystem::path& path) override;
    const CPlmDoc* findOpenDocument(const std::filesystem::path& path) const override;

private:
    CPlmChildWnd* addSongWindow(std::unique_ptr<CPlmDoc> document, const std::filesystem::path& path, bool minimised);
    void placeNewWindow(QMdiSubWindow* window);

    CMainFrame& m_frame;
    QMdiArea& m_area;
    std::function<void(CPlmChildWnd&)> m_added;
};

}  // namespace plume
