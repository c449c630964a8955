#pragma once
// Projects (*.PRJ): up to sixteen songs as the tracks of one piece, with the piece-wide settings
// and the list of song windows that were open; and the application's current project.

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace plume {

namespace platform {
class FileDialog;
class Profile;
}  // namespace platform

class CPlmDoc;

inline constexpr std::size_t kProjectSize = 9450;
inline constexpr std::size_t kProjectSizeNoDenominator = 9448;  // older layout: stops before the denominator
inline constexpr std::size_t kProjectSizeNoSettings = 9442;     // older layout: stops after the key
inline constexpr std::size_t kMemberCount = 16;
inline constexpr std::size_t kOpenWindowLimit = 20;
inline constexpr std::size_t kProjectPathBytes = 260;  // CP932 bytes, zero-terminated
inline constexpr std::size_t kProjectTitleBytes = 41;

inline constexpr const char* kSoundModuleNames[] = {"GM", "SC-55", "SC-88", "SC-88Pro"};

// The 9,450-byte project block, exactly as stored in the file; the accessors name the fields.
class ProjectData {
public:
    // A new project: all zero, key 0, time code 5, 4/4, tempo 120, sound module GM.
    static ProjectData fresh();
    // Only a block of exactly kProjectSize bytes.
    static std::optional<ProjectData> fromBytes(std::span<const std::uint8_t> bytes);
    // A new project whose first bytes are replaced by `prefix` (at most kProjectSize of them).
    static ProjectData withPrefix(std::span<const std::uint8_t> prefix);

    std::span<const std::uint8_t, kProjectSize> bytes() const { return m_bytes; }

    // Members 0-15 (Track 1 to Track 16). The stored CP932 bytes, and the same as a file-system
    // path (bytes that are not CP932 are taken as they are).
    std::string memberBytes(std::size_t i) const;
    bool hasMember(std::size_t i) const { return m_bytes[memberAt(i)] != 0; }
    std::filesystem::path memberPath(std::size_t i) const;
    // False (nothing changed) when the path has no CP932 form or needs more than 259 bytes.
    bool setMemberPath(std::size_t i, const std::filesystem::path& path);

    // Open-window list, entries 0-19; an empty path ends it.
    std::filesystem::path windowPath(std::size_t j) const;
    bool windowMinimised(std::size_t j) const;
    bool setWindow(std::size_t j, const std::filesystem::path& path, bool minimised);
    void clearWindows();

    // UTF-8; the title is cut to 40 CP932 bytes on a character boundary.
    std::string title() const;
    bool setTitle(std::string_view utf8);

    std::uint8_t key() const { return m_bytes[kKeyAt]; }
    void setKey(std::uint8_t key) { m_bytes[kKeyAt] = key; }
    std::uint8_t timeCode() const { return m_bytes[kTimeCodeAt]; }
    void setTimeCode(std::uint8_t code) { m_bytes[kTimeCodeAt] = code; }
    std::uint16_t tempo() const { return std::uint16_t(m_bytes[kTempoAt] | (m_bytes[kTempoAt + 1] << 8)); }
    void setTempo(std::uint16_t tempo) {
        m_bytes[kTempoAt] = std::uint8_t(tempo & 0xFF);
        m_bytes[kTempoAt + 1] = std::uint8_t(tempo >> 8);
    }
    std::uint8_t soundModule() const { return m_bytes[kModuleAt]; }
    void setSoundModule(std::uint8_t module) { m_bytes[kModuleAt] = module; }
    std::uint8_t numerator() const { return m_bytes[kNumeratorAt]; }
    void setNumerator(std::uint8_t numerator) { m_bytes[kNumeratorAt] = numerator; }
    std::uint8_t denominatorPower() const { return m_bytes[kDenominatorAt]; }
    void setDenominatorPower(std::uint8_t power) { m_bytes[kDenominatorAt] = power; }

    friend bool operator==(const ProjectData&, const ProjectData&) = default;

    static constexpr std::size_t kMembersAt = 0;
    static constexpr std::size_t kWindowsAt = 4160;
    static constexpr std::size_t kWindowEntrySize = 262;  // path, then the 16-bit minimised flag
    static constexpr std::size_t kTitleAt = 9400;
    static constexpr std::size_t kKeyAt = 9441;
    static constexpr std::size_t kTimeCodeAt = 9442;
    static constexpr std::size_t kTempoAt = 9444;
    static constexpr std::size_t kModuleAt = 9446;
    static constexpr std::size_t kNumeratorAt = 9447;
    static constexpr std::size_t kDenominatorAt = 9448;

private:
    static std::size_t memberAt(std::size_t i) { return kMembersAt + i * kProjectPathBytes; }
    static std::size_t windowAt(std::size_t j) { return kWindowsAt + j * kWindowEntrySize; }
    std::string zeroTerminated(std::size_t at, std::size_t size) const;
    bool setZeroTerminated(std::size_t at, std::size_t size, std::string_view bytes);

    std::array<std::uint8_t, kProjectSize> m_bytes{};
};

enum class ProjectReadStatus { Ok, NoPath, Missing, Broken };

struct ProjectReadResult {
    ProjectReadStatus status = ProjectReadStatus::NoPath;
    ProjectData data = ProjectData::fresh();
    std::size_t fileSize = 0;
    std::vector<std::size_t> missingMembers;  // reported, paths left as stored
    bool ok() const { return status == ProjectReadStatus::Ok; }
};

// Reads a project and shows its messages: "プロジェクトファイル\n%sは存在しません。",
// "プロジェクトファイルが壊れています。" for any size but 9,450, 9,448 or 9,442 bytes, and
// "プロジェクトメンバーファイル\n%sは存在しません。" for each member found neither at its path nor in
// the project's folder. Older layouts start from the new-project values and take settings from
// the members' songs (the last readable member wins); member files are never written.
ProjectReadResult readProject(const std::filesystem::path& path);

enum class ProjectWriteStatus { Written, CannotCreate, Failed };
// The 9,450 bytes, written beside and renamed over the target. No message.
ProjectWriteStatus writeProjectFile(const std::filesystem::path& path, const ProjectData& data);

// The part of a path after its last "\" or "/".
std::string fileNameOf(std::string_view path);
std::string utf8Of(const std::filesystem::path& path);
std::filesystem::path pathFromUtf8(std::string_view utf8);

// "Plume", "Plume - NAME" or "Plume - NAME <TITLE>".
std::string mainWindowTitle(std::optional<std::filesystem::path> projectPath, std::string_view title);

// At most `limit` characters for a menu: a longer path keeps its file name and as much of its
// beginning as fits, with "..." in place of the middle ("/home/user/.../song.PRJ"); a file
// name that alone is too long keeps its beginning and end around "...".
std::string shortenForMenu(std::string_view utf8Path, std::size_t limit = 30);

// Most recently used first; a path is listed once; kept in a profile section, keys "File1" up.
class RecentList {
public:
    RecentList(std::string section, std::size_t limit) : m_section(std::move(section)), m_limit(limit) {}

    // A path already listed moves to the top; the oldest falls off past the limit.
    void add(const std::filesystem::path& path);
    void remove(std::size_t index);
    const std::vector<std::filesystem::path>& paths() const { return m_paths; }
    std::string menuName(std::size_t index) const { return shortenForMenu(utf8Of(m_paths.at(index))); }

    void load(const platform::Profile& profile);
    bool save(platform::Profile& profile) const;

private:
    std::string m_section;
    std::size_t m_limit;
    std::vector<std::filesystem::path> m_paths;
};

// Section "Recent Project List", keys "File1" to "File8".
class RecentProjectList : public RecentList {
public:
    static constexpr std::size_t kLimit = 8;
    RecentProjectList() : RecentList("Recent Project List", kLimit) {}
};

// One open song window, as the GUI shows it.
class SongWindow {
public:
    virtual ~SongWindow() = default;
    virtual std::filesystem::path path() const = 0;  // empty for a song never saved
    virtual std::string title() const = 0;
    virtual bool isModified() const = 0;
    virtual bool isMinimised() const = 0;
    virtual bool save() = 0;
    virtual bool saveAs(const std::filesystem::path& path) = 0;
    // Closes the window and its document without asking anything.
    virtual void close() = 0;
};

// The main frame's song windows.
class SongWindows {
public:
    virtual ~SongWindows() = default;
    virtual std::vector<SongWindow*> songWindows() = 0;
    // Opens a song in a window; a minimised one is not activated.
    virtual bool openSongWindow(const std::filesystem::path& path, bool minimised) = 0;
    virtual void addToRecentFiles(const std::filesystem::path& path) = 0;
    // The open document of a song, or nullptr.
    virtual CPlmDoc* findDocument(const std::filesystem::path& path) = 0;
};

// Either a member's path or the reason why there is none.
struct MemberPath {
    std::optional<std::filesystem::path> path;
    std::string reason;  // "プロジェクト(*.PRJ)が設定されていません。" or "メンバーファイルが設定されていません。"
};

enum class ProjectSwitch {
    Done,
    Unchanged,   // the chosen project is the current one, or the dialog was cancelled
    Cancelled,   // a song's save question was cancelled: the current project stays
    ReadFailed,  // the previous project is saved and closed; no project is set
};

// The application's current project, the recent project list and the project commands. Saving
// writes the "Project File" entry of section "Project" in the application profile.
class ProjectState {
public:
    ProjectState(SongWindows& windows, platform::FileDialog& dialog, platform::Profile& profile);

    bool isSet() const { return m_set; }
    const std::filesystem::path& path() const { return m_path; }
    const ProjectData& data() const { return m_data; }
    std::string title() const { return m_data.title(); }
    std::string mainWindowTitle() const;
    std::size_t openWindowCount() const { return m_windowCount; }
    // True while the open-window list is being reopened: those songs stay off the recent-file list.
    bool isReopening() const { return m_reopening; }
    RecentProjectList& recent() { return m_recent; }

    // --- commands ------------------------------------------------------------------------------
    // Each asks for the file name first.
    ProjectSwitch newProject();
    ProjectSwitch open();
    ProjectSwitch newProject(const std::filesystem::path& path);
    ProjectSwitch open(const std::filesystem::path& path);
    // A project that cannot be read leaves the list.
    ProjectSwitch openRecent(std::size_t index);
    // Enabled only while a project is set; false when a save question was cancelled.
    bool close();
    // Takes the dialog's values (a key of 255 keeps the current key), applies them to the members
    // and writes the project, so an accepted dialog is on disk at once.
    void applyEdit(const ProjectData& edited);
    // Tempo, sound module, numerator, denominator and key (unless 255) to each member, leaving the
    // project's own settings as they are: open songs through their document, closed ones on disk.
    void applyToMembers(std::uint16_t tempo, std::uint8_t soundModule, std::uint8_t denominatorPower,
                        std::uint8_t numerator, std::uint8_t key);

    // Reads the recent list and reopens the project of the "Project File" entry.
    void startUp();
    // Closes the song windows, saves the project and the recent list; false when cancelled.
    bool exit();

    // --- operations ----------------------------------------------------------------------------
    // Without a project: an empty "Project File" entry. A failed write clears the entry and shows
    // "プロジェクトの保存が正常にできませんでした。"; a file that cannot be created is not reported.
    bool save();
    // Asks about every modified song and closes each as soon as it is dealt with, recording the
    // open-window list (minimised windows first). False when the user cancelled.
    bool closeAllSongWindows();
    void reopenWindows();

    MemberPath memberPath(std::size_t i) const;
    // Shows the reason as a message box when there is no member.
    bool openMember(std::size_t i);

    // Without a project: tempo 120, GM, no key, 4/4.
    std::uint16_t tempo() const { return settings().tempo(); }
    std::uint8_t soundModule() const { return settings().soundModule(); }
    std::uint8_t key() const { return settings().key(); }
    std::uint8_t numerator() const { return settings().numerator(); }
    std::uint8_t denominatorPower() const { return settings().denominatorPower(); }

private:
    const ProjectData& settings() const;
    // Close the song windows, save the current project, then read `path`.
    ProjectSwitch switchTo(const std::filesystem::path& path);
    bool readAndReopen(const std::filesystem::path& path);
    void unset();

    SongWindows& m_windows;
    platform::FileDialog& m_dialog;
    platform::Profile& m_profile;
    std::filesystem::path m_path;
    bool m_set = false;
    std::size_t m_windowCount = 0;
    bool m_reopening = false;
    ProjectData m_data = ProjectData::fresh();
    RecentProjectList m_recent;
};

}  // namespace plume
