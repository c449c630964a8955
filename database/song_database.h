#pragma once
// The song database: a card index of up to 1000 song files, each record a file name, a category
// ("分類") and a memo ("メモ") in Shift-JIS, kept in a `*.QDB` file.

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

inline constexpr std::size_t kDbRecordSize = 322;
inline constexpr std::size_t kDbFileNameAt = 0;
inline constexpr std::size_t kDbCategoryAt = 260;
inline constexpr std::size_t kDbMemoAt = 281;
inline constexpr std::size_t kDbFileNameLimit = 259;  // bytes before the NUL
inline constexpr std::size_t kDbCategoryLimit = 20;
inline constexpr std::size_t kDbMemoLimit = 40;
inline constexpr std::size_t kDbCapacity = 1000;
inline constexpr std::size_t kDbHeaderSize = 8;
inline constexpr std::uint16_t kDbVersion = 10;
inline constexpr std::array<std::uint8_t, 4> kDbMagic = {'Q', 'D', 'B', 0};

// The field a search looks at; the numbers are the stored setting.
enum class DbField : int { Category = 0, Memo = 1, FileName = 2 };
enum class DbMatch : int { Partial = 0, Exact = 1 };

// One 322-byte record exactly as stored.
struct DbRecord {
    std::array<std::uint8_t, kDbRecordSize> bytes{};

    // The field's Shift-JIS bytes up to its NUL.
    std::string_view field(DbField which) const;
    std::string_view fileName() const { return field(DbField::FileName); }
    std::string_view category() const { return field(DbField::Category); }
    std::string_view memo() const { return field(DbField::Memo); }
    // Stores at most the field's limit, never half of a double-byte character.
    void setField(DbField which, std::string_view cp932);
    bool empty() const { return fileName().empty() && category().empty() && memo().empty(); }

    static DbRecord of(std::string_view fileName, std::string_view category, std::string_view memo);
    friend bool operator==(const DbRecord&, const DbRecord&) = default;
};
static_assert(sizeof(DbRecord) == kDbRecordSize);

// Shift-JIS lead byte of a double-byte character.
bool isLeadByte(std::uint8_t byte);

// ---- the file ---------------------------------------------------------------------------------

enum class DbReadStatus { Ok, CannotRead, NotDatabase, WrongVersion };

struct DbReadResult {
    DbReadStatus status = DbReadStatus::CannotRead;
    std::vector<DbRecord> records;  // only for Ok
    bool ok() const { return status == DbReadStatus::Ok; }
};

// The magic, then the body must hold exactly the header's count of records (at most 1000).
DbReadResult parseDatabase(std::span<const std::uint8_t> bytes);
std::vector<std::uint8_t> serializeDatabase(std::span<const DbRecord> records);

// Reads a file; a failure shows its message ("%s\n...") and yields no records.
DbReadResult readDatabase(const std::filesystem::path& path);
// Writes atomically; on failure shows "%s\nファイルが作成できません。" and the old file stays.
bool writeDatabase(const std::filesystem::path& path, std::span<const DbRecord> records);
// The message a failed read shows, for a path as the user sees it.
std::string databaseReadMessage(DbReadStatus status, const std::string& utf8Path);

// ---- searching ----------------------------------------------------------------------------------

// Exact: equal bytes. Partial: the text starts at some character of the field, never inside a
// double-byte character. An empty text matches nothing.
bool fieldMatches(std::string_view field, std::string_view text, DbMatch method);

inline constexpr std::ptrdiff_t kBeforeFirst = -1;

// From `current` (excluded) toward later or earlier records; the first match, or nullopt.
std::optional<std::size_t> searchRecords(std::span<const DbRecord> records, std::ptrdiff_t current, DbField field,
                                         DbMatch method, std::string_view text, bool forward);

// ---- the records in memory ------------------------------------------------------------------------

class SongDatabase {
public:
    std::size_t count() const { return m_records.size(); }
    const DbRecord& record(std::size_t index) const { return m_records.at(index); }
    std::span<const DbRecord> records() const { return m_records; }
    bool modified() const { return m_modified; }
    void setModified(bool on) { m_modified = on; }

    // 0 at 1000 records; else the records from `index` move up and the new one goes there.
    bool insert(std::size_t index, const DbRecord& record);
    // Nothing when there are no records.
    void remove(std::size_t index);
    void replace(std::size_t index, const DbRecord& record);
    // After a good read or a new database: the records as given, not modified.
    void adopt(std::vector<DbRecord> records);

private:
    std::vector<DbRecord> m_records;
    bool m_modified = false;
};

}  // namespace plume
