#include "database/database_session.h"

#include <algorithm>
#include <system_error>

#include "platform/cp932.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/profile.h"
#include "song/project.h"

namespace plume {

namespace {

constexpr const char* kFindSection = "DB Find Data";
constexpr const char* kBaseSection = "Data Base";
constexpr const char* kCharactersRefused = "Shift-JISで表せない文字が含まれています。";

std::string cp932Of(std::string_view utf8) { return platform::utf8ToCp932(utf8).value_or(std::string()); }

// The first whole characters of a Shift-JIS text, at most `limit` bytes.
std::string clip(std::string_view cp932, std::size_t limit) {
    DbRecord scratch;
    scratch.setField(DbField::Memo, cp932);
    return std::string(scratch.memo().substr(0, limit));
}

}  // namespace

// ---- settings -----------------------------------------------------------------------------------

void DbSearchSettings::remember(std::string_view cp932) {
    if (cp932.empty()) return;
    const std::string entry = clip(cp932, kDbMemoLimit);
    history.erase(std::remove(history.begin(), history.end(), entry), history.end());
    history.insert(history.begin(), entry);
    if (history.size() > kDbHistoryLimit) history.resize(kDbHistoryLimit);
}

DbSearchSettings DbSearchSettings::load(const platform::Profile& profile) {
    DbSearchSettings s;
    const int field = profile.getInt(kFindSection, "DB Find Item", 0);
    s.field = field >= 0 && field <= 2 ? DbField(field) : DbField::Category;
    s.method = profile.getInt(kFindSection, "DB Find Way", 0) == 1 ? DbMatch::Exact : DbMatch::Partial;
    for (std::size_t i = 0; i < kDbHistoryLimit; ++i) {
        const std::string key = "DB Find" + std::to_string(i);
        const std::string text = clip(cp932Of(profile.getString(kFindSection, key, "")), kDbMemoLimit);
        if (!text.empty()) s.history.push_back(text);
    }
    return s;
}

void DbSearchSettings::save(platform::Profile& profile) const {
    profile.writeInt(kFindSection, "DB Find Item", int(field));
    profile.writeInt(kFindSection, "DB Find Way", int(method));
    for (std::size_t i = 0; i < kDbHistoryLimit; ++i) {
        const std::string key = "DB Find" + std::to_string(i);
        const std::string entry = i < history.size() ? platform::cp932ToUtf8Lossy(clip(history[i], kDbMemoLimit)) : "";
        profile.writeString(kFindSection, key, entry);
    }
}

// ---- the record dialog ------------------------------------------------------------------------------

RecordForm RecordForm::of(const DbRecord& record) {
    return {platform::cp932ToUtf8Lossy(record.fileName()), platform::cp932ToUtf8Lossy(record.category()),
            platform::cp932ToUtf8Lossy(record.memo())};
}

std::optional<std::string> RecordForm::problem() const {
    const auto file = platform::utf8ToCp932(fileName);
    const auto cat = platform::utf8ToCp932(category);
    const auto text = platform::utf8ToCp932(memo);
    if (!file || !cat || !text) return std::string(kCharactersRefused);
    if (cat->size() > kDbCategoryLimit)
        return platform::formatMessage("分類は半角で数えて%d文字以内にして下さい。", int(kDbCategoryLimit));
    if (text->size() > kDbMemoLimit)
        return platform::formatMessage("メモは半角で数えて%d文字以内にして下さい。", int(kDbMemoLimit));
    return std::nullopt;
}

DbRecord RecordForm::record() const { return DbRecord::of(cp932Of(fileName), cp932Of(category), cp932Of(memo)); }

// ---- the session --------------------------------------------------------------------------------

DatabaseSession::DatabaseSession(platform::Profile& profile, platform::FileDialog& dialogs, DatabaseHost& host)
    : m_profile(profile), m_dialogs(dialogs), m_host(host), m_search(DbSearchSettings::load(profile)) {
    const std::string last = profile.getString(kBaseSection, "DB File", "");
    std::error_code ec;
    if (!last.empty() && last != kDbUntitled && std::filesystem::exists(pathFromUtf8(last), ec))
        openPath(pathFromUtf8(last));
}

void DatabaseSession::select(std::size_t index) {
    if (index <= m_db.count()) m_current = index;
}

std::string DatabaseSession::title() const {
    return platform::formatMessage("PlumeＤＢ - %s", untitled() ? kDbUntitled : utf8Of(m_path).c_str());
}

bool DatabaseSession::enabled(DbCommand command) const {
    const bool searchable = !m_search.text.empty();
    switch (command) {
        case DbCommand::First: return m_current != 0;
        case DbCommand::Last: return m_db.count() != 0 && m_current + 1 != m_db.count();
        case DbCommand::Edit:
        case DbCommand::Delete:
        case DbCommand::Send: return hasCurrent();
        case DbCommand::FindEarlier: return searchable && hasCurrent() && m_current != 0;
        case DbCommand::FindLater: return searchable && m_current + 1 < m_db.count();
        case DbCommand::Play: return !m_playing;
        case DbCommand::Stop: return m_playing;
        default: return true;
    }
}

// ---- file ---------------------------------------------------------------------------------------

bool DatabaseSession::confirmDiscard() {
    if (!m_db.modified()) return true;
    const std::string name = untitled() ? kDbUntitled : utf8Of(m_path);
    const auto answer = platform::messageBox().show(
        platform::formatMessage("%s\nデータは変更されました。保存しますか？", name.c_str()),
        platform::Buttons::YesNoCancel);
    if (answer == platform::Answer::Cancel) return false;
    return answer != platform::Answer::Yes || save();
}

void DatabaseSession::newDatabase() {
    if (!confirmDiscard()) return;
    m_db.adopt({});
    m_path.clear();
    m_current = 0;
}

void DatabaseSession::open() {
    if (!confirmDiscard()) return;
    const auto path = m_dialogs.askOpenName("ファイルを開く", kDbFilter);
    if (path) openPath(*path);
}

bool DatabaseSession::openPath(const std::filesystem::path& path) {
    DbReadResult read = readDatabase(path);
    if (!read.ok()) return false;
    m_db.adopt(std::move(read.records));
    m_path = path;
    m_current = 0;
    return true;
}

bool DatabaseSession::writeTo(const std::filesystem::path& path) {
    if (!writeDatabase(path, m_db.records())) return false;
    m_path = path;
    m_db.setModified(false);
    return true;
}

bool DatabaseSession::save() { return untitled() ? saveAs() : writeTo(m_path); }

bool DatabaseSession::saveAs() {
    const std::string proposed = untitled() ? std::string(kDbUntitled) + ".QDB" : utf8Of(m_path.filename());
    const auto path = m_dialogs.askSaveName("ファイルの保存", kDbFilter, proposed);
    return path && writeTo(*path);
}

bool DatabaseSession::close() {
    if (!confirmDiscard()) return false;
    if (!untitled()) m_profile.writeString(kBaseSection, "DB File", utf8Of(m_path));
    m_search.save(m_profile);
    return true;
}

// ---- records ------------------------------------------------------------------------------------

void DatabaseSession::first() {
    if (m_db.count() != 0) m_current = 0;
}

void DatabaseSession::last() {
    if (m_db.count() != 0) m_current = m_db.count() - 1;
}

bool DatabaseSession::add(const DbRecord& record) {
    if (record.empty()) return false;
    return m_db.insert(std::min(m_current, m_db.count()), record);
}

void DatabaseSession::edit(const DbRecord& record) {
    if (hasCurrent()) m_db.replace(m_current, record);
}

bool DatabaseSession::deleteCurrent() {
    if (!hasCurrent()) return false;
    const auto answer = platform::messageBox().show(
        platform::formatMessage("ﾚｺｰﾄﾞNo%dを削除します。\nよろしいですか？", int(m_current + 1)),
        platform::Buttons::YesNo);
    if (answer != platform::Answer::Yes) return false;
    m_db.remove(m_current);
    if (m_current >= m_db.count() && m_db.count() != 0) m_current = m_db.count() - 1;
    return true;
}

bool DatabaseSession::find(bool later) {
    if (m_search.text.empty()) return false;
    const auto found = searchRecords(m_db.records(), std::ptrdiff_t(m_current), m_search.field, m_search.method,
                                     m_search.text, later);
    if (!found) {
        platform::messageBox().show("検索条件と一致するレコードはありません。");
        return false;
    }
    m_current = *found;
    return true;
}

// ---- the song -------------------------------------------------------------------------------------

std::filesystem::path DatabaseSession::songPath() const {
    if (!hasCurrent()) return {};
    return pathFromUtf8(platform::cp932ToUtf8Lossy(m_db.record(m_current).fileName()));
}

bool DatabaseSession::send() {
    if (!hasCurrent()) return false;
    const std::filesystem::path song = songPath();
    if (song.empty()) {
        platform::messageBox().show("ファイル名がありません。");
        return false;
    }
    return m_host.openSong(song);
}

void DatabaseSession::play() {
    if (m_playing || !hasCurrent()) return;
    const std::filesystem::path song = songPath();
    if (song.empty()) {
        platform::messageBox().show("ファイル名がありません。");
        return;
    }
    m_playing = m_host.playFile(song);
}

// The frame's stop sends no play-finished message: the flag is cleared here.
void DatabaseSession::stop() {
    if (!m_playing) return;
    m_host.stopPlay();
    m_playing = false;
}

}  // namespace plume
