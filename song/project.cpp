#include "song/project.h"

#include <algorithm>
#include <fstream>

#include "platform/cp932.h"
#include "platform/file_dialog.h"
#include "platform/file_io.h"
#include "platform/message_box.h"
#include "platform/profile.h"
#include "song/plm_doc.h"
#include "song/song_file.h"

namespace plume {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kProjectSection = "Project";
constexpr std::string_view kProjectFileKey = "Project File";
constexpr std::string_view kProjectFilter = "ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙ (*.PRJ)";
constexpr std::string_view kSongFilter = "Plumeﾌｧｲﾙ (*.PLM)";

bool isCp932Lead(std::uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// The longest prefix of at most `limit` bytes that does not split a double-byte character.
std::string_view cp932Prefix(std::string_view s, std::size_t limit) {
    std::size_t cut = 0;
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t length = isCp932Lead(std::uint8_t(s[i])) ? 2 : 1;
        if (i + length > limit) break;
        i += length;
        cut = std::min(i, s.size());
    }
    return s.substr(0, cut);
}

fs::path pathFromCp932(std::string_view bytes) {
    const auto utf8 = platform::cp932ToUtf8(bytes);
    return pathFromUtf8(utf8 ? std::string_view(*utf8) : bytes);
}

bool canOpen(const fs::path& path) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) return false;
    std::ifstream in(path, std::ios::binary);
    return in.is_open();
}

// Settings of a member song, without converting the file on disk.
std::optional<SongInfo> memberSettings(const fs::path& path) {
    const auto bytes = platform::readFile(path);
    if (!bytes) return std::nullopt;
    const SongReadResult song = parseSong(*bytes);
    if (!song.ok()) return std::nullopt;
    return song.song.info;
}

void show(const std::string& text) { platform::messageBox().show(text); }

// UTF-8 text as a list of characters (a malformed byte counts as one).
std::vector<std::string_view> characters(std::string_view s) {
    std::vector<std::string_view> out;
    for (std::size_t i = 0; i < s.size();) {
        std::size_t length = 1;
        while (i + length < s.size() && (std::uint8_t(s[i + length]) & 0xC0) == 0x80 && length < 4) ++length;
        out.push_back(s.substr(i, length));
        i += length;
    }
    return out;
}

std::string joined(const std::vector<std::string_view>& chars, std::size_t from, std::size_t to) {
    std::string out;
    for (std::size_t i = from; i < to; ++i) out += chars[i];
    return out;
}

}  // namespace

// ---- ProjectData ---------------------------------------------------------------------------------

ProjectData ProjectData::fresh() {
    ProjectData data;
    data.setKey(0);
    data.setTimeCode(5);
    data.setNumerator(4);
    data.setDenominatorPower(2);
    data.setTempo(120);
    data.setSoundModule(0);
    return data;
}

std::optional<ProjectData> ProjectData::fromBytes(std::span<const std::uint8_t> bytes) {
    if (bytes.size() != kProjectSize) return std::nullopt;
    ProjectData data;
    std::copy(bytes.begin(), bytes.end(), data.m_bytes.begin());
    return data;
}

ProjectData ProjectData::withPrefix(std::span<const std::uint8_t> prefix) {
    ProjectData data = fresh();
    std::copy_n(prefix.begin(), std::min(prefix.size(), kProjectSize), data.m_bytes.begin());
    return data;
}

std::string ProjectData::zeroTerminated(std::size_t at, std::size_t size) const {
    const auto begin = m_bytes.begin() + std::ptrdiff_t(at);
    return std::string(begin, std::find(begin, begin + std::ptrdiff_t(size), 0));
}

bool ProjectData::setZeroTerminated(std::size_t at, std::size_t size, std::string_view bytes) {
    if (bytes.size() >= size || bytes.find('\0') != std::string_view::npos) return false;
    std::fill_n(m_bytes.begin() + std::ptrdiff_t(at), size, 0);
    std::copy(bytes.begin(), bytes.end(), m_bytes.begin() + std::ptrdiff_t(at));
    return true;
}

std::string ProjectData::memberBytes(std::size_t i) const {
    return i < kMemberCount ? zeroTerminated(memberAt(i), kProjectPathBytes) : std::string();
}

fs::path ProjectData::memberPath(std::size_t i) const { return pathFromCp932(memberBytes(i)); }

bool ProjectData::setMemberPath(std::size_t i, const fs::path& path) {
    const auto bytes = platform::utf8ToCp932(utf8Of(path));
    return i < kMemberCount && bytes && setZeroTerminated(memberAt(i), kProjectPathBytes, *bytes);
}

fs::path ProjectData::windowPath(std::size_t j) const {
    return j < kOpenWindowLimit ? pathFromCp932(zeroTerminated(windowAt(j), kProjectPathBytes)) : fs::path();
}

bool ProjectData::windowMinimised(std::size_t j) const {
    if (j >= kOpenWindowLimit) return false;
    const std::size_t at = windowAt(j) + kProjectPathBytes;
    return (m_bytes[at] | (m_bytes[at + 1] << 8)) != 0;
}

bool ProjectData::setWindow(std::size_t j, const fs::path& path, bool minimised) {
    const auto bytes = platform::utf8ToCp932(utf8Of(path));
    if (j >= kOpenWindowLimit || !bytes || !setZeroTerminated(windowAt(j), kProjectPathBytes, *bytes)) return false;
    m_bytes[windowAt(j) + kProjectPathBytes] = minimised ? 1 : 0;
    m_bytes[windowAt(j) + kProjectPathBytes + 1] = 0;
    return true;
}

void ProjectData::clearWindows() {
    std::fill_n(m_bytes.begin() + std::ptrdiff_t(kWindowsAt), kOpenWindowLimit * kWindowEntrySize, 0);
}

std::string ProjectData::title() const {
    // A field without its zero holds no more than a title can be written with.
    const std::string stored = zeroTerminated(kTitleAt, kProjectTitleBytes);
    return platform::cp932ToUtf8Lossy(cp932Prefix(stored, kProjectTitleBytes - 1));
}

bool ProjectData::setTitle(std::string_view utf8) {
    const auto bytes = platform::utf8ToCp932(utf8);
    return bytes && setZeroTerminated(kTitleAt, kProjectTitleBytes, cp932Prefix(*bytes, kProjectTitleBytes - 1));
}

// ---- files -------------------------------------------------------------------------------------

ProjectReadResult readProject(const fs::path& path) {
    ProjectReadResult result;
    if (path.empty()) return result;
    std::error_code ec;
    // One byte past the current size shows a longer file, which is as broken as a shorter one.
    const auto bytes = fs::is_directory(path, ec) ? std::nullopt : platform::readFilePrefix(path, kProjectSize + 1);
    if (!bytes) {
        show(platform::formatMessage("プロジェクトファイル\n%sは存在しません。", utf8Of(path).c_str()));
        result.status = ProjectReadStatus::Missing;
        return result;
    }
    result.fileSize = bytes->size();
    if (result.fileSize != kProjectSize && result.fileSize != kProjectSizeNoDenominator &&
        result.fileSize != kProjectSizeNoSettings) {
        show("プロジェクトファイルが壊れています。");
        result.status = ProjectReadStatus::Broken;
        return result;
    }
    ProjectData& data = result.data;
    data = ProjectData::withPrefix(*bytes);

    for (std::size_t i = 0; i < kMemberCount; ++i) {
        if (!data.hasMember(i)) continue;
        const fs::path member = data.memberPath(i);
        if (canOpen(member)) continue;
        const std::string name = fileNameOf(utf8Of(member));
        const fs::path beside = path.parent_path() / pathFromUtf8(name);
        // A path that the block cannot hold counts as not found.
        if (!name.empty() && canOpen(beside) && data.setMemberPath(i, beside)) continue;
        show(platform::formatMessage("プロジェクトメンバーファイル\n%sは存在しません。", utf8Of(member).c_str()));
        result.missingMembers.push_back(i);
    }

    if (result.fileSize != kProjectSize) {
        for (std::size_t i = 0; i < kMemberCount; ++i) {
            if (!data.hasMember(i)) continue;
            const auto info = memberSettings(data.memberPath(i));
            if (!info) continue;
            if (result.fileSize == kProjectSizeNoSettings) {
                data.setKey(info->keySignature());
                data.setTimeCode(info->timeCode());
                data.setTempo(std::uint16_t(info->tempo()));
                data.setSoundModule(info->soundModule());
            }
            data.setNumerator(info->numerator());
            data.setDenominatorPower(info->denominatorPower());
        }
    }
    result.status = ProjectReadStatus::Ok;
    return result;
}

ProjectWriteStatus writeProjectFile(const fs::path& path, const ProjectData& data) {
    std::error_code ec;
    const bool existed = fs::exists(path, ec);
    {
        // Opening for append creates a missing file and leaves an existing one as it is.
        std::ofstream probe(path, std::ios::binary | std::ios::app);
        if (!probe) return ProjectWriteStatus::CannotCreate;
    }
    if (!platform::writeFileAtomically(path, data.bytes())) {
        if (!existed) fs::remove(path, ec);
        return ProjectWriteStatus::Failed;
    }
    return ProjectWriteStatus::Written;
}

// ---- names -------------------------------------------------------------------------------------

std::string fileNameOf(std::string_view path) {
    const auto slash = path.find_last_of("\\/");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string utf8Of(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

fs::path pathFromUtf8(std::string_view utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

std::string mainWindowTitle(std::optional<fs::path> projectPath, std::string_view title) {
    if (!projectPath) return "Plume";
    std::string text = "Plume - " + fileNameOf(utf8Of(*projectPath));
    if (!title.empty()) text += " <" + std::string(title) + ">";
    return text;
}

std::string shortenForMenu(std::string_view utf8Path, std::size_t limit) {
    const auto chars = characters(utf8Path);
    if (chars.size() <= limit || limit < 4) return std::string(utf8Path);
    std::size_t separator = chars.size();
    for (std::size_t i = chars.size(); i-- > 0;) {
        if (chars[i] == "/" || chars[i] == "\\") {
            separator = i;
            break;
        }
    }
    const std::size_t nameLength = separator < chars.size() ? chars.size() - separator - 1 : chars.size();
    if (separator < chars.size() && nameLength + 4 <= limit) {
        const std::size_t head = limit - 4 - nameLength;
        return joined(chars, 0, head) + "..." + joined(chars, separator, chars.size());
    }
    const std::size_t nameStart = chars.size() - nameLength;
    const std::size_t tail = (limit - 3) / 2;
    const std::size_t head = limit - 3 - tail;
    return joined(chars, nameStart, nameStart + head) + "..." + joined(chars, chars.size() - tail, chars.size());
}

// ---- RecentList --------------------------------------------------------------------------------

void RecentList::add(const fs::path& path) {
    if (path.empty()) return;
    std::erase(m_paths, path);
    m_paths.insert(m_paths.begin(), path);
    if (m_paths.size() > m_limit) m_paths.resize(m_limit);
}

void RecentList::remove(std::size_t index) {
    if (index < m_paths.size()) m_paths.erase(m_paths.begin() + std::ptrdiff_t(index));
}

void RecentList::load(const platform::Profile& profile) {
    m_paths.clear();
    for (std::size_t k = 1; k <= m_limit; ++k) {
        const std::string entry = profile.getString(m_section, "File" + std::to_string(k), "");
        const fs::path path = pathFromUtf8(entry);
        if (!entry.empty() && std::find(m_paths.begin(), m_paths.end(), path) == m_paths.end())
            m_paths.push_back(path);
    }
}

bool RecentList::save(platform::Profile& profile) const {
    bool ok = profile.removeSection(m_section);
    for (std::size_t k = 0; k < m_paths.size(); ++k)
        ok = profile.writeString(m_section, "File" + std::to_string(k + 1), utf8Of(m_paths[k])) && ok;
    return ok;
}

// ---- ProjectState ------------------------------------------------------------------------------

ProjectState::ProjectState(SongWindows& windows, platform::FileDialog& dialog, platform::Profile& profile)
    : m_windows(windows), m_dialog(dialog), m_profile(profile) {}

std::string ProjectState::mainWindowTitle() const {
    return plume::mainWindowTitle(m_set ? std::optional(m_path) : std::nullopt, m_data.title());
}

const ProjectData& ProjectState::settings() const {
    static const ProjectData kNone = ProjectData::fresh();
    return m_set ? m_data : kNone;
}

ProjectSwitch ProjectState::newProject() {
    const auto path = m_dialog.askSaveName("新規プロジェクトの作成", kProjectFilter, "");
    return path ? newProject(*path) : ProjectSwitch::Unchanged;
}

ProjectSwitch ProjectState::open() {
    const auto path = m_dialog.askOpenName("プロジェクトを開く", kProjectFilter);
    return path ? open(*path) : ProjectSwitch::Unchanged;
}

ProjectSwitch ProjectState::newProject(const fs::path& path) {
    if (!closeAllSongWindows()) return ProjectSwitch::Cancelled;
    save();
    m_path = path;
    m_set = true;
    m_data = ProjectData::fresh();
    m_windowCount = 0;
    save();
    return ProjectSwitch::Done;
}

ProjectSwitch ProjectState::open(const fs::path& path) {
    if (m_set && path == m_path) return ProjectSwitch::Unchanged;
    return switchTo(path);
}

ProjectSwitch ProjectState::openRecent(std::size_t index) {
    if (index >= m_recent.paths().size()) return ProjectSwitch::Unchanged;
    const fs::path path = m_recent.paths()[index];
    if (m_set && path == m_path) return ProjectSwitch::Unchanged;
    const ProjectSwitch result = switchTo(path);
    if (result == ProjectSwitch::ReadFailed) {
        const auto& paths = m_recent.paths();
        m_recent.remove(std::size_t(std::find(paths.begin(), paths.end(), path) - paths.begin()));
    }
    return result;
}

ProjectSwitch ProjectState::switchTo(const fs::path& path) {
    if (!closeAllSongWindows()) return ProjectSwitch::Cancelled;
    save();
    return readAndReopen(path) ? ProjectSwitch::Done : ProjectSwitch::ReadFailed;
}

bool ProjectState::readAndReopen(const fs::path& path) {
    m_path = path;
    ProjectReadResult read = readProject(path);
    if (!read.ok()) {
        // The previous project is already saved and closed, so nothing is left to reopen at start-up.
        unset();
        m_profile.writeString(kProjectSection, kProjectFileKey, "");
        return false;
    }
    m_data = read.data;
    m_set = true;
    m_windowCount = 0;
    while (m_windowCount < kOpenWindowLimit && !m_data.windowPath(m_windowCount).empty()) ++m_windowCount;
    reopenWindows();
    m_recent.add(path);
    return true;
}

void ProjectState::unset() {
    m_path.clear();
    m_set = false;
    m_data = ProjectData::fresh();
    m_windowCount = 0;
}

bool ProjectState::close() {
    if (!m_set || !closeAllSongWindows()) return false;
    save();
    unset();
    m_profile.writeString(kProjectSection, kProjectFileKey, "");
    return true;
}

void ProjectState::applyEdit(const ProjectData& edited) {
    const std::uint8_t key = edited.key();
    const std::uint8_t oldKey = m_data.key();
    m_data = edited;
    if (key == kKeep) m_data.setKey(oldKey);
    applyToMembers(m_data.tempo(), m_data.soundModule(), m_data.denominatorPower(), m_data.numerator(), key);
    save();
}

void ProjectState::applyToMembers(std::uint16_t tempo, std::uint8_t soundModule, std::uint8_t denominatorPower,
                                  std::uint8_t numerator, std::uint8_t key) {
    for (std::size_t i = 0; i < kMemberCount; ++i) {
        if (!m_data.hasMember(i)) continue;
        const fs::path member = m_data.memberPath(i);
        if (CPlmDoc* document = m_windows.findDocument(member))
            document->applySettings(std::int16_t(tempo), soundModule, denominatorPower, numerator, key);
        else
            updateSongSettings(member, std::int16_t(tempo), soundModule, numerator, denominatorPower, key);
    }
}

void ProjectState::startUp() {
    m_recent.load(m_profile);
    const std::string path = m_profile.getString(kProjectSection, kProjectFileKey, "");
    if (!path.empty()) readAndReopen(pathFromUtf8(path));
}

bool ProjectState::exit() {
    if (!closeAllSongWindows()) return false;
    save();
    m_recent.save(m_profile);
    return true;
}

bool ProjectState::save() {
    if (!m_set) {
        m_profile.writeString(kProjectSection, kProjectFileKey, "");
        return true;
    }
    m_profile.writeString(kProjectSection, kProjectFileKey, utf8Of(m_path));
    switch (writeProjectFile(m_path, m_data)) {
    case ProjectWriteStatus::Written:
        return true;
    case ProjectWriteStatus::CannotCreate:
        return false;
    case ProjectWriteStatus::Failed:
        break;
    }
    m_profile.writeString(kProjectSection, kProjectFileKey, "");
    show("プロジェクトの保存が正常にできませんでした。");
    return false;
}

bool ProjectState::closeAllSongWindows() {
    struct Entry {
        fs::path path;
        bool minimised;
    };
    std::vector<Entry> entries;
    bool completed = true;
    for (SongWindow* window : m_windows.songWindows()) {
        const fs::path path = window->path();
        std::optional<fs::path> listed;
        if (window->isModified() && !path.empty()) {
            const auto answer = platform::messageBox().show(
                platform::formatMessage("%sは変更されています。\n内容を保存しますか？", utf8Of(path).c_str()),
                platform::Buttons::YesNoCancel);
            // A save that fails stops the switch like Cancel, so that nothing is lost.
            if (answer == platform::Answer::Cancel || (answer == platform::Answer::Yes && !window->save())) {
                completed = false;
                break;
            }
            listed = path;
        } else if (window->isModified()) {
            const std::string title = window->title();
            const auto answer = platform::messageBox().show(
                platform::formatMessage("%sは新規作成です。内容を保存しますか？", title.c_str()),
                platform::Buttons::YesNoCancel);
            if (answer == platform::Answer::Cancel) {
                completed = false;
                break;
            }
            if (answer == platform::Answer::Yes) {
                const auto name = m_dialog.askSaveName("名前を付けて保存", kSongFilter, title + ".PLM");
                if (!name || !window->saveAs(*name)) {
                    completed = false;
                    break;
                }
                m_windows.addToRecentFiles(*name);
                listed = *name;
            }
        } else if (!path.empty()) {
            listed = path;
        }
        if (listed) entries.push_back({*listed, window->isMinimised()});
        window->close();
    }

    std::stable_partition(entries.begin(), entries.end(), [](const Entry& e) { return e.minimised; });
    m_data.clearWindows();
    m_windowCount = 0;
    for (const Entry& entry : entries) {
        if (m_windowCount == kOpenWindowLimit) break;
        if (m_data.setWindow(m_windowCount, entry.path, entry.minimised)) ++m_windowCount;
    }
    return completed;
}

void ProjectState::reopenWindows() {
    m_reopening = true;
    for (std::size_t j = 0; j < kOpenWindowLimit; ++j) {
        const fs::path path = m_data.windowPath(j);
        if (path.empty()) break;
        m_windows.openSongWindow(path, m_data.windowMinimised(j));
    }
    m_reopening = false;
}

MemberPath ProjectState::memberPath(std::size_t i) const {
    if (!m_set) return {std::nullopt, "プロジェクト(*.PRJ)が設定されていません。"};
    if (i >= kMemberCount || !m_data.hasMember(i)) return {std::nullopt, "メンバーファイルが設定されていません。"};
    return {m_data.memberPath(i), {}};
}

bool ProjectState::openMember(std::size_t i) {
    const MemberPath member = memberPath(i);
    if (!member.path) {
        show(member.reason);
        return false;
    }
    return m_windows.openSongWindow(*member.path, false);
}

}  // namespace plume
