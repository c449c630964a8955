#include "platform/profile.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "platform/file_io.h"

namespace plume::platform {

namespace {

using Lines = std::vector<std::string>;

std::string_view trim(std::string_view s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

char foldAscii(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (foldAscii(a[i]) != foldAscii(b[i])) return false;
    return true;
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The lines after one leading byte-order mark, which join() puts back.
Lines split(std::string_view text) {
    if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
    Lines lines;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        // every carriage return before the line feed: a write ends the line with the feed alone
        while (line.ends_with('\r')) line.remove_suffix(1);
        lines.emplace_back(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

std::string join(std::string_view original, const Lines& lines) {
    std::string text(original.starts_with(kByteOrderMark) ? kByteOrderMark : "");
    for (const std::string& line : lines) text += line + '\n';
    return text;
}

// "[name]" (the closing bracket may be missing); nullopt for every other line.
std::optional<std::string_view> sectionName(std::string_view line) {
    line = trim(line);
    if (!line.starts_with('[')) return std::nullopt;
    line.remove_prefix(1);
    return trim(line.substr(0, line.find(']')));
}

// The key of a "key=value" line; comments (";") and lines without "=" hold none.
std::optional<std::string_view> entryKey(std::string_view line) {
    line = trim(line);
    if (line.empty() || line.starts_with(';') || line.starts_with('[')) return std::nullopt;
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    return trim(line.substr(0, equals));
}

std::string_view entryValue(std::string_view line) {
    std::string_view value = trim(line.substr(line.find('=') + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value;
}

struct Range {
    std::size_t header;
    std::size_t end;  // one past the section's last line
};

// The first section of that name; entries before any section belong to none.
std::optional<Range> findSection(const Lines& lines, std::string_view section) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto name = sectionName(lines[i]);
        if (!name || !sameName(*name, trim(section))) continue;
        std::size_t end = i + 1;
        while (end < lines.size() && !sectionName(lines[end])) ++end;
        return Range{i, end};
    }
    return std::nullopt;
}

std::optional<std::size_t> findKey(const Lines& lines, Range range, std::string_view key) {
    for (std::size_t i = range.header + 1; i < range.end; ++i) {
        const auto name = entryKey(lines[i]);
        if (name && sameName(*name, trim(key))) return i;
    }
    return std::nullopt;
}

// GetPrivateProfileInt's reading: spaces, an optional sign, then decimal digits up to the first
// other character; saturates instead of wrapping.
int leadingInt(std::string_view value) {
    value = trim(value);
    bool negative = false;
    if (!value.empty() && (value.front() == '+' || value.front() == '-')) {
        negative = value.front() == '-';
        value.remove_prefix(1);
    }
    long long magnitude = 0;
    for (char c : value) {
        if (c < '0' || c > '9') break;
        magnitude = std::min<long long>(magnitude * 10 + (c - '0'), 1LL << 32);
    }
    const long long signedValue = negative ? -magnitude : magnitude;
    return int(std::clamp<long long>(signedValue, INT_MIN, INT_MAX));
}

}  // namespace

std::optional<std::string> IniProfile::find(std::string_view section, std::string_view key) const {
    const Lines lines = split(loadText());
    const auto range = findSection(lines, section);
    if (!range) return std::nullopt;
    const auto at = findKey(lines, *range, key);
    if (!at) return std::nullopt;
    return std::string(entryValue(lines[*at]));
}

std::string IniProfile::getString(std::string_view section, std::string_view key, std::string_view fallback) const {
    const auto value = find(section, key);
    return value ? *value : std::string(fallback);
}

int IniProfile::getInt(std::string_view section, std::string_view key, int fallback) const {
    const auto value = find(section, key);
    if (!value || value->empty()) return fallback;
    return leadingInt(*value);
}

bool IniProfile::writeString(std::string_view section, std::string_view key, std::string_view value) {
    if (value.find_first_of("\r\n") != std::string_view::npos || trim(key).empty() || trim(section).empty())
        return false;
    const std::string original = loadText();
    Lines lines = split(original);
    const std::string entry = std::string(trim(key)) + '=' + std::string(value);
    const auto range = findSection(lines, section);
    if (!range) {
        if (!lines.empty() && !trim(lines.back()).empty()) lines.emplace_back();
        lines.push_back('[' + std::string(trim(section)) + ']');
        lines.push_back(entry);
        return storeText(join(original, lines));
    }
    if (const auto at = findKey(lines, *range, key)) {
        // The key keeps the spelling it already has in the file.
        lines[*at] = std::string(*entryKey(lines[*at])) + '=' + std::string(value);
        return storeText(join(original, lines));
    }
    std::size_t insertAt = range->end;
    while (insertAt > range->header + 1 && trim(lines[insertAt - 1]).empty()) --insertAt;
    lines.insert(lines.begin() + std::ptrdiff_t(insertAt), entry);
    return storeText(join(original, lines));
}

bool IniProfile::writeInt(std::string_view section, std::string_view key, int value) {
    return writeString(section, key, std::to_string(value));
}

bool IniProfile::removeKey(std::string_view section, std::string_view key) {
    const std::string original = loadText();
    Lines lines = split(original);
    const auto range = findSection(lines, section);
    if (!range) return true;
    const auto at = findKey(lines, *range, key);
    if (!at) return true;
    lines.erase(lines.begin() + std::ptrdiff_t(*at));
    return storeText(join(original, lines));
}

bool IniProfile::removeSection(std::string_view section) {
    const std::string original = loadText();
    Lines lines = split(original);
    const auto range = findSection(lines, section);
    if (!range) return true;
    lines.erase(lines.begin() + std::ptrdiff_t(range->header), lines.begin() + std::ptrdiff_t(range->end));
    return storeText(join(original, lines));
}

std::string FileProfile::loadText() const {
    const auto bytes = readFile(m_path);
    if (!bytes) return {};
    return std::string(bytes->begin(), bytes->end());
}

bool FileProfile::storeText(const std::string& text) {
    std::error_code ec;
    if (m_path.has_parent_path()) std::filesystem::create_directories(m_path.parent_path(), ec);
    const auto* data = reinterpret_cast<const std::uint8_t*>(text.data());
    return writeFileAtomically(m_path, std::span(data, text.size()));
}

namespace {
std::optional<std::filesystem::path> fromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value) return std::nullopt;
    return std::filesystem::path(value);
}
}  // namespace

std::filesystem::path configFolder() {
    if (auto dir = fromEnvironment("PLUME_CONFIG_DIR")) return *dir;
    if (auto dir = fromEnvironment("XDG_CONFIG_HOME")) return *dir / "Plume";
    if (auto home = fromEnvironment("HOME")) return *home / ".config" / "Plume";
    return std::filesystem::path(".config") / "Plume";
}

std::filesystem::path dataFolder() {
    if (auto dir = fromEnvironment("PLUME_DATA_DIR")) return *dir;
    if (auto dir = fromEnvironment("XDG_DATA_HOME")) return *dir / "Plume";
    if (auto home = fromEnvironment("HOME")) return *home / ".local" / "share" / "Plume";
    return std::filesystem::path(".local") / "share" / "Plume";
}

namespace {
Profile* g_plm = nullptr;
Profile* g_app = nullptr;
}  // namespace

Profile& plmProfile() {
    static FileProfile file(configFolder() / "plm.ini");
    return g_plm ? *g_plm : file;
}

Profile& appProfile() {
    static FileProfile file(configFolder() / "Plume.ini");
    return g_app ? *g_app : file;
}

void installProfiles(Profile* plm, Profile* app) {
    g_plm = plm;
    g_app = app;
}

}  // namespace plume::platform
