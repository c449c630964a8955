#pragma once
// `CDataBase`: the song database's own top-level window with its menu, tool bar and record list.

#include <QMainWindow>
#include <map>
#include <memory>

#include "database/database_session.h"

class QAction;
class QTreeWidget;

namespace plume {

namespace platform {
class FileDialog;
class Profile;
}  // namespace platform

class CDataBase : public QMainWindow {
    Q_OBJECT

public:
    // Loads the search settings and the database last used from `profile` (the application's).
    CDataBase(DatabaseHost& host, platform::Profile& profile, platform::FileDialog& files,
              QWidget* parent = nullptr);
    ~CDataBase() override;

    DatabaseSession& session() { return *m_session; }
    QAction* action(DbCommand command) const { return m_actions.at(command); }
    QTreeWidget* recordList() const { return m_list; }
    // Runs a command as its menu item does (refused while disabled).
    void run(DbCommand command);
    // The main frame's play-finished message for a file play this window started.
    void playEnded();
    // The record list, the title and every command's enabled state from the session.
    void refresh();

protected:
    // Asks to save a modified database; the window stays when the user cancels.
    void closeEvent(QCloseEvent* event) override;

private:
    void addRecord();
    void editRecord();
    void chooseSearch();

    platform::FileDialog& m_files;
    std::unique_ptr<DatabaseSession> m_session;
    std::map<DbCommand, QAction*> m_actions;
    QTreeWidget* m_list = nullptr;
    bool m_refreshing = false;
};

// Creates the window (deleted when it closes); the caller keeps a QPointer to know when it is gone.
CDataBase* createDatabaseWindow(DatabaseHost& host, platform::Profile& profile, platform::FileDialog& files,
                                QWidget* parent = nullptr);

}  // namespace plume
