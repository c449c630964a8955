#include "database/song_database.h"

#include <algorithm>

#include "platform/file_io.h"
#include "platform/message_box.h"
#include "song/project.h"

namespace plume {

namespace {

struct FieldPlace {
    std::size_t at;
    std::size_t limit;
};

FieldPlace placeOf(DbField which) {
    switch (which) {
        case DbField::Category: return {kDbCategoryAt, kDbCategoryLimit};
        case DbField::Memo: return {kDbMemoAt, kDbMemoLimit};
        case DbField::FileName: break;
    }
    return {kDbFileNameAt, kDbFileNameLimit};
}

// The longest prefix of at most `limit` bytes that does not end inside a double-byte character.
std::size_t wholeCharacters(std::string_view text, std::size_t limit) {
    std::size_t end = 0;
    while (end < text.size()) {
        const std::size_t width = isLeadByte(std::uint8_t(text[end])) && end + 1 < text.size() ? 2 : 1;
        if (end + width > limit) break;
        end += width;
    }
    return end;
}

constexpr std::size_t kDbBodyLimit = kDbCapacity * kDbRecordSize;

}  // namespace

bool isLeadByte(std::uint8_t byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

std::string_view DbRecord::field(DbField which) const {
    const FieldPlace place = placeOf(which);
    const char* start = reinterpret_cast<const char*>(bytes.data() + place.at);
    // A stored field always has room for its NUL; a file may still hold none.
    const std::size_t room = place.limit + 1;
    return std::string_view(start, std::find(start, start + room, '\0') - start);
}

void DbRecord::setField(DbField which, std::string_view cp932) {
    const FieldPlace place = placeOf(which);
    std::fill_n(bytes.begin() + std::ptrdiff_t(place.at), place.limit + 1, std::uint8_t(0));
    const std::size_t n = wholeCharacters(cp932.substr(0, cp932.find('\0')), place.limit);
    std::copy_n(cp932.begin(), n, bytes.begin() + std::ptrdiff_t(place.at));
}

DbRecord DbRecord::of(std::string_view fileName, std::string_view category, std::string_view memo) {
    DbRecord r;
    r.setField(DbField::FileName, fileName);
    r.setField(DbField::Category, category);
    r.setField(DbField::Memo, memo);
    return r;
}

// ---- the file ---------------------------------------------------------------------------------

DbReadResult parseDatabase(std::span<const std::uint8_t> bytes) {
    DbReadResult result;
    if (bytes.size() < kDbMagic.size() || !std::equal(kDbMagic.begin(), kDbMagic.end(), bytes.begin())) {
        result.status = DbReadStatus::NotDatabase;
        return result;
    }
    if (bytes.size() < kDbHeaderSize) {
        result.status = DbReadStatus::WrongVersion;
        return result;
    }
    // The version word is written but not examined: only the body's length has to agree.
    const std::size_t count = std::size_t(bytes[6] | (bytes[7] << 8));
    const std::size_t body = std::min(bytes.size() - kDbHeaderSize, kDbBodyLimit);
    if (body != count * kDbRecordSize) {
        result.status = DbReadStatus::WrongVersion;
        return result;
    }
    result.records.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto from = bytes.begin() + std::ptrdiff_t(kDbHeaderSize + i * kDbRecordSize);
        std::copy_n(from, kDbRecordSize, result.records[i].bytes.begin());
    }
    result.status = DbReadStatus::Ok;
    return result;
}

std::vector<std::uint8_t> serializeDatabase(std::span<const DbRecord> records) {
    std::vector<std::uint8_t> out(kDbMagic.begin(), kDbMagic.end());
    const std::size_t count = std::min(records.size(), kDbCapacity);
    out.push_back(std::uint8_t(kDbVersion & 0xFF));
    out.push_back(std::uint8_t(kDbVersion >> 8));
    out.push_back(std::uint8_t(count & 0xFF));
    out.push_back(std::uint8_t(count >> 8));
    out.reserve(kDbHeaderSize + count * kDbRecordSize);
    for (std::size_t i = 0; i < count; ++i) out.insert(out.end(), records[i].bytes.begin(), records[i].bytes.end());
    return out;
}

std::string databaseReadMessage(DbReadStatus status, const std::string& utf8Path) {
    switch (status) {
        case DbReadStatus::Ok: return {};
        case DbReadStatus::CannotRead: return platform::formatMessage("%s\nファイルが読めません。", utf8Path.c_str());
        case DbReadStatus::NotDatabase:
            return platform::formatMessage("%s\nPlumeのデータベースファイルではありません。", utf8Path.c_str());
        case DbReadStatus::WrongVersion: return platform::formatMessage("%s\nバージョンが違います。", utf8Path.c_str());
    }
    return {};
}

DbReadResult readDatabase(const std::filesystem::path& path) {
    // One byte past the largest body tells a longer file from a full one.
    const auto bytes = platform::readFilePrefix(path, kDbHeaderSize + kDbBodyLimit + 1);
    DbReadResult result = bytes ? parseDatabase(*bytes) : DbReadResult{};
    if (!result.ok()) platform::messageBox().show(databaseReadMessage(result.status, utf8Of(path)));
    return result;
}

bool writeDatabase(const std::filesystem::path& path, std::span<const DbRecord> records) {
    if (platform::writeFileAtomically(path, serializeDatabase(records))) return true;
    platform::messageBox().show(platform::formatMessage("%s\nファイルが作成できません。", utf8Of(path).c_str()));
    return false;
}

// ---- searching ----------------------------------------------------------------------------------

bool fieldMatches(std::string_view field, std::string_view text, DbMatch method) {
    if (text.empty()) return false;
    if (method == DbMatch::Exact) return field == text;
    for (std::size_t at = 0; at < field.size(); at += isLeadByte(std::uint8_t(field[at])) ? 2 : 1) {
        if (field.substr(at).starts_with(text)) return true;
    }
    return false;
}

std::optional<std::size_t> searchRecords(std::span<const DbRecord> records, std::ptrdiff_t current, DbField field,
                                         DbMatch method, std::string_view text, bool forward) {
    if (text.empty()) return std::nullopt;
    const std::ptrdiff_t count = std::ptrdiff_t(records.size());
    const std::ptrdiff_t step = forward ? 1 : -1;
    for (std::ptrdiff_t i = std::clamp<std::ptrdiff_t>(current, -1, count) + step; i >= 0 && i < count; i += step) {
        if (fieldMatches(records[std::size_t(i)].field(field), text, method)) return std::size_t(i);
    }
    return std::nullopt;
}

// ---- the records in memory ------------------------------------------------------------------------

bool SongDatabase::insert(std::size_t index, const DbRecord& record) {
    if (m_records.size() >= kDbCapacity) return false;
    m_records.insert(m_records.begin() + std::ptrdiff_t(std::min(index, m_records.size())), record);
    m_modified = true;
    return true;
}

void SongDatabase::remove(std::size_t index) {
    if (index >= m_records.size()) return;
    m_records.erase(m_records.begin() + std::ptrdiff_t(index));
    m_modified = true;
}

void SongDatabase::replace(std::size_t index, const DbRecord& record) {
    if (index >= m_records.size()) return;
    m_records[index] = record;
    m_modified = true;
}

void SongDatabase::adopt(std::vector<DbRecord> records) {
    if (records.size() > kDbCapacity) records.resize(kDbCapacity);
    m_records = std::move(records);
    m_modified = false;
}

}  // namespace plume
