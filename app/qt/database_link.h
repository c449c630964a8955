#pragma once
// The song database window as the application keeps it: at most one, opened from the menu and
// raised when it is already there, with the frame's song windows and player behind it.

#include <QPointer>

#include "database/database_session.h"

namespace plume {

class CDataBase;
class CMainFrame;

class DatabaseLink final : public DatabaseHost {
public:
    explicit DatabaseLink(CMainFrame& frame);
    // Takes a window still open away without its save prompt.
    ~DatabaseLink() override;
    DatabaseLink(const DatabaseLink&) = delete;
    DatabaseLink& operator=(const DatabaseLink&) = delete;

    // Creates the window hidden unless it exists.
    void create();
    // "ﾃﾞｰﾀﾍﾞｰｽ": the window created when gone, shown and raised.
    void show();
    // Null once the window has closed.
    CDataBase* window() const;
    // At exit: the window closes with its save prompt; false when the user keeps it.
    bool closeWindow();
    // The frame's file play ended.
    void playEnded();

    bool openSong(const std::filesystem::path& path) override;
    bool playFile(const std::filesystem::path& path) override;
    void stopPlay() override;

private:
    CMainFrame& m_frame;
    QPointer<CDataBase> m_window;
};

}  // namespace plume
