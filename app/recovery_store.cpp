#include "app/recovery_store.h"

#include <algorithm>
#include <charconv>
#include <ctime>
#include <set>
#include <string_view>

#include "platform/file_io.h"
#include "song/project.h"

namespace plume {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kIndexHeader = "Plume recovery";
constexpr std::string_view kIndexEnd = ".idx";
constexpr std::size_t kLongestNamePart = 100;  // bytes of the original name kept in a copy's name

std::uint64_t fnv1a(std::string_view bytes) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : bytes) hash = (hash ^ std::uint8_t(c)) * 1099511628211ull;
    return hash;
}

std::string hex(std::uint64_t value, int digits) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text(std::size_t(digits), '0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4) text[std::size_t(i)] = kDigits[value & 15];
    return text;
}

// Tabs, line ends and backslashes in a path are written as \t, \n and \\.
std::string escaped(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '\\') out += "\\\\";
        else if (c == '\t') out += "\\t";
        else if (c == '\n') out += "\\n";
        else out += c;
    }
    return out;
}

std::string unescaped(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[++i];
        out += next == 't' ? '\t' : next == 'n' ? '\n' : next;
    }
    return out;
}

// A name an index may list: a plain file in the folder, never a way out of it, and nothing that
// would break the index's lines.
bool isCopyName(std::string_view name) {
    return !name.empty() && name.front() != '.' &&
           std::none_of(name.begin(), name.end(), [](char c) { return c == '/' || c == '\\' || std::uint8_t(c) < 0x20; });
}

struct IndexLine {
    std::string file;
    fs::path original;
    std::int64_t time = 0;
};

std::vector<IndexLine> readIndex(const fs::path& path) {
    std::vector<IndexLine> lines;
    const auto bytes = platform::readFile(path);
    if (!bytes) return lines;
    const std::string text(bytes->begin(), bytes->end());
    std::size_t at = text.find('\n');
    if (at == std::string::npos || std::string_view(text).substr(0, at) != kIndexHeader) return lines;
    while (++at < text.size()) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        const std::string_view line = std::string_view(text).substr(at, end - at);
        at = end;
        const std::size_t tab1 = line.find('\t');
        const std::size_t tab2 = tab1 == std::string_view::npos ? tab1 : line.find('\t', tab1 + 1);
        if (tab2 == std::string_view::npos) continue;
        IndexLine entry{std::string(line.substr(0, tab1)), {}, 0};
        if (!isCopyName(entry.file)) continue;
        const std::string_view time = line.substr(tab1 + 1, tab2 - tab1 - 1);
        const auto [stop, error] = std::from_chars(time.data(), time.data() + time.size(), entry.time);
        if (error != std::errc() || stop != time.data() + time.size()) continue;
        const std::string original = unescaped(line.substr(tab2 + 1));
        if (!original.empty()) entry.original = pathFromUtf8(original);
        lines.push_back(std::move(entry));
    }
    return lines;
}

bool isIndexName(const std::string& name) { return name.ends_with(kIndexEnd); }

std::vector<fs::path> folderFiles(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_regular_file(ec)) files.push_back(it->path());
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

RecoveryStore::RecoveryStore(fs::path folder, platform::ProcessIdentity self)
    : m_folder(std::move(folder)), m_self(self), m_tag(platform::processTag(self)) {}

std::string RecoveryStore::copyName(std::uint64_t window, const fs::path& original) const {
    if (original.empty()) return m_tag + "-u" + std::to_string(window) + ".PLM";
    std::error_code ec;
    const fs::path absolute = fs::absolute(original, ec).lexically_normal();
    const std::string key = utf8Of(ec ? original : absolute);
    std::string stem = utf8Of(original.stem());
    if (stem.size() > kLongestNamePart || !isCopyName(stem)) stem.clear();
    return m_tag + "-" + hex(fnv1a(key), 16) + "-" + stem + ".PLM";
}

bool RecoveryStore::keep(std::uint64_t window, const fs::path& original, const SongData& song, std::int64_t time) {
    const std::vector<std::uint8_t> bytes = serializeSong(song);
    const std::uint64_t hash = fnv1a(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    const std::string name = copyName(window, original);
    const auto found = m_entries.find(window);
    if (found != m_entries.end() && found->second.file == name && found->second.hash == hash) return true;
    std::error_code ec;
    fs::create_directories(m_folder, ec);
    if (!platform::writeFileAtomically(m_folder / name, bytes)) return false;
    const std::string previous = found != m_entries.end() ? found->second.file : std::string();
    m_entries[window] = Entry{name, original, time, hash};
    const bool listed = writeIndex();
    if (!previous.empty() && previous != name) fs::remove(m_folder / previous, ec);
    return listed;
}

void RecoveryStore::drop(std::uint64_t window) {
    const auto found = m_entries.find(window);
    if (found == m_entries.end()) return;
    const std::string file = found->second.file;
    m_entries.erase(found);
    writeIndex();
    std::error_code ec;
    fs::remove(m_folder / file, ec);
}

void RecoveryStore::dropAll() {
    std::error_code ec;
    fs::remove(m_folder / (m_tag + std::string(kIndexEnd)), ec);
    for (const auto& [window, entry] : m_entries) fs::remove(m_folder / entry.file, ec);
    m_entries.clear();
}

std::vector<std::uint64_t> RecoveryStore::keptWindows() const {
    std::vector<std::uint64_t> windows;
    for (const auto& [window, entry] : m_entries) windows.push_back(window);
    return windows;
}

bool RecoveryStore::writeIndex() {
    const fs::path index = m_folder / (m_tag + std::string(kIndexEnd));
    std::error_code ec;
    if (m_entries.empty()) return fs::remove(index, ec) || !ec;
    std::string text(kIndexHeader);
    text += '\n';
    for (const auto& [window, entry] : m_entries)
        text += entry.file + '\t' + std::to_string(entry.time) + '\t' + escaped(utf8Of(entry.original)) + '\n';
    return platform::writeFileAtomically(index, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

std::vector<RecoveredSong> RecoveryStore::claimOrphans() {
    std::vector<RecoveredSong> songs;
    std::error_code ec;
    if (!fs::is_directory(m_folder, ec)) return songs;
    // Claiming and the removal of stale files are one step for all processes, so that no file is
    // taken for unlisted while its index is being renamed.
    const platform::ExclusiveLock lock(m_folder / "lock");
    int claims = 0;
    for (const fs::path& file : folderFiles(m_folder)) {
        const std::string name = file.filename().string();
        const auto owner = platform::parseProcessTag(name);
        if (!isIndexName(name) || !owner || *owner == m_self || platform::isRunning(*owner)) continue;
        fs::path claimed;
        do claimed = m_folder / (m_tag + "~" + std::to_string(claims++) + std::string(kIndexEnd));
        while (fs::exists(claimed, ec));
        fs::rename(file, claimed, ec);
        if (ec) continue;
        m_claimed.push_back(claimed);
        for (const IndexLine& line : readIndex(claimed)) {
            RecoveredSong song{m_folder / line.file, line.original, line.time};
            m_claimed.push_back(song.copy);
            if (readRecoveredSong(song)) songs.push_back(std::move(song));
        }
    }
    removeStaleFiles();
    std::stable_sort(songs.begin(), songs.end(), [](const auto& a, const auto& b) { return a.time < b.time; });
    return songs;
}

void RecoveryStore::removeStaleFiles() {
    std::set<std::string> listed;
    const std::vector<fs::path> files = folderFiles(m_folder);
    for (const fs::path& file : files)
        if (isIndexName(file.filename().string()))
            for (const IndexLine& line : readIndex(file)) listed.insert(line.file);
    for (const fs::path& file : files) {
        const std::string name = file.filename().string();
        const auto owner = platform::parseProcessTag(name);
        if (isIndexName(name) || !owner || *owner == m_self || listed.contains(name) || platform::isRunning(*owner))
            continue;
        std::error_code ec;
        fs::remove(file, ec);
    }
}

void RecoveryStore::releaseClaimed() {
    std::error_code ec;
    for (const fs::path& file : m_claimed) fs::remove(file, ec);
    m_claimed.clear();
}

std::optional<SongData> readRecoveredSong(const RecoveredSong& song) {
    const auto bytes = platform::readFile(song.copy);
    if (!bytes) return std::nullopt;
    SongReadResult result = parseSong(*bytes);
    if (!result.ok()) return std::nullopt;
    return std::move(result.song);
}

std::string recoveryOfferText(const std::vector<RecoveredSong>& songs) {
    std::string text = "前回、保存されずに終了した曲があります。\n\n";
    for (const RecoveredSong& song : songs) {
        const std::time_t time = std::time_t(song.time);
        std::tm local{};
        localtime_r(&time, &local);
        char when[32] = "";
        std::strftime(when, sizeof when, "%Y/%m/%d %H:%M", &local);
        text += "  " + (song.original.empty() ? std::string("(無題)") : utf8Of(song.original)) + "  (" + when + ")\n";
    }
    return text + "\n復元しますか？";
}

}  // namespace plume
