#pragma once
// The database window's logic without the window: the open database, its file, the record and
// search commands with their enabling rules, the record dialog's rules and the saved settings.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "database/song_database.h"

namespace plume {

namespace platform {
class FileDialog;
class Profile;
}  // namespace platform

// Menu and tool-bar command ids of the database window.
enum class DbCommand : int {
    New = 32837,
    Open = 32838,
    Exit = 32839,
    Save = 32840,
    SaveAs = 32841,
    FindCondition = 32842,
    FindEarlier = 32843,  // "前方検索"
    FindLater = 32844,    // "後方検索"
    First = 32845,
    Last = 32846,
    Add = 32847,
    Edit = 32849,
    Delete = 32851,
    Send = 32853,
    Play = 32855,
    Stop = 32857,
};

inline constexpr std::size_t kDbHistoryLimit = 20;
inline constexpr const char* kDbUntitled = "UNTITLED";
inline constexpr const char* kDbFilter = "ﾃﾞｰﾀﾍﾞｰｽﾌｧｲﾙ (*.QDB)";
inline constexpr const char* kDbSongFilter = "Plumeﾌｧｲﾙ (*.PLM)";

// What the window asks of the application and the main frame.
class DatabaseHost {
public:
    virtual ~DatabaseHost() = default;
    // The application's open-document operation; true when the song is open.
    virtual bool openSong(const std::filesystem::path& path) = 0;
    // The main frame's file play; true when playing started.
    virtual bool playFile(const std::filesystem::path& path) = 0;
    virtual void stopPlay() = 0;
};

// Search text, field, method and the history, as Shift-JIS bytes; kept in the application profile.
struct DbSearchSettings {
    std::string text;
    DbField field = DbField::Category;
    DbMatch method = DbMatch::Partial;
    std::vector<std::string> history;  // latest first

    // Puts a text at the top of the history, once, keeping at most 20.
    void remember(std::string_view cp932);
    static DbSearchSettings load(const platform::Profile& profile);
    void save(platform::Profile& profile) const;
};

// "レコード入力": the three texts as typed (UTF-8).
struct RecordForm {
    std::string fileName;
    std::string category;
    std::string memo;

    static RecordForm of(const DbRecord& record);
    // The message that keeps the dialog open, or nullopt when the texts fit.
    std::optional<std::string> problem() const;
    // Only after problem() gave nullopt.
    DbRecord record() const;
};

class DatabaseSession {
public:
    // Loads the search settings and opens the database last used (a missing file gives "UNTITLED").
    DatabaseSession(platform::Profile& profile, platform::FileDialog& dialogs, DatabaseHost& host);

    const SongDatabase& database() const { return m_db; }
    std::size_t current() const { return m_current; }
    // 0 to count: the place after the last record is where "新規登録" appends.
    void select(std::size_t index);
    bool hasCurrent() const { return m_current < m_db.count(); }
    bool untitled() const { return m_path.empty(); }
    const std::filesystem::path& path() const { return m_path; }
    // "PlumeＤＢ - %s" with the path or "UNTITLED".
    std::string title() const;
    bool playing() const { return m_playing; }
    DbSearchSettings& search() { return m_search; }
    const DbSearchSettings& search() const { return m_search; }

    bool enabled(DbCommand command) const;

    // --- file ----------------------------------------------------------------------------------
    void newDatabase();
    void open();
    // A refused file shows its message and leaves the open database as it was.
    bool openPath(const std::filesystem::path& path);
    bool save();
    bool saveAs();
    // The save prompt; false when the user cancels (or a wanted save fails): the window stays.
    bool confirmDiscard();
    // Writes the last database and the search settings; false when the window must stay open.
    bool close();

    // --- records -------------------------------------------------------------------------------
    void first();
    void last();
    // "新規登録" after OK: inserted at the current index unless all three fields are empty.
    bool add(const DbRecord& record);
    void edit(const DbRecord& record);
    // Asks first; true when the record was deleted.
    bool deleteCurrent();
    // "前方検索" (earlier) and "後方検索" (later): true when a record matched.
    bool find(bool later);

    // --- the song --------------------------------------------------------------------------------
    // "発送": true when the song opened and the window is to close.
    bool send();
    void play();
    void stop();
    // The main frame's play-finished message.
    void playEnded() { m_playing = false; }

    // The current record's file as a path (empty without one).
    std::filesystem::path songPath() const;

private:
    bool writeTo(const std::filesystem::path& path);

    platform::Profile& m_profile;
    platform::FileDialog& m_dialogs;
    DatabaseHost& m_host;
    SongDatabase m_db;
    std::size_t m_current = 0;
    std::filesystem::path m_path;  // empty: "UNTITLED"
    DbSearchSettings m_search;
    bool m_playing = false;
};

}  // namespace plume
