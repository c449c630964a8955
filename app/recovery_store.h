#pragma once
// The recovery copies of modified songs, kept in one folder for every editor process: each process
// writes the copies of its own windows and an index ("<pid>_<start>.idx") naming them with their
// original path and time; at start-up a process takes over what processes that no longer run left
// behind, so two editors never offer or remove each other's copies.

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/process.h"
#include "song/song_file.h"

namespace plume {

struct RecoveredSong {
    std::filesystem::path copy;      // the recovery copy in the folder
    std::filesystem::path original;  // empty for a song never saved
    std::int64_t time = 0;           // when the copy was written, seconds since the epoch
};

class RecoveryStore {
public:
    explicit RecoveryStore(std::filesystem::path folder, platform::ProcessIdentity self = platform::currentProcess());
    const std::filesystem::path& folder() const { return m_folder; }

    // Writes the copy of window `window`'s song atomically (unless those bytes are there already) and
    // lists it in this process's index. False when the folder or a file cannot be written.
    bool keep(std::uint64_t window, const std::filesystem::path& original, const SongData& song, std::int64_t time);
    // Removes the window's copy: its song was saved or closed, or is no longer modified.
    void drop(std::uint64_t window);
    // Removes every copy of this process, as a clean exit does.
    void dropAll();
    std::vector<std::uint64_t> keptWindows() const;

    // What processes that no longer run left behind, oldest first, now held by this process; copies
    // that cannot be read are left out. Unlisted files of such processes are removed on the way.
    std::vector<RecoveredSong> claimOrphans();
    // Removes what claimOrphans handed over (after the songs were reopened or declined).
    void releaseClaimed();

private:
    struct Entry {
        std::string file;
        std::filesystem::path original;
        std::int64_t time = 0;
        std::uint64_t hash = 0;
    };

    std::string copyName(std::uint64_t window, const std::filesystem::path& original) const;
    bool writeIndex();
    void removeStaleFiles();

    std::filesystem::path m_folder;
    platform::ProcessIdentity m_self;
    std::string m_tag;
    std::map<std::uint64_t, Entry> m_entries;
    std::vector<std::filesystem::path> m_claimed;  // claimed indexes and the copies they list
};

// The song of a recovery copy, or nullopt when the copy is missing or is no song.
std::optional<SongData> readRecoveredSong(const RecoveredSong& song);

// The offer shown at start-up: "前回、保存されずに終了した曲があります。", one line per song (its
// original path or "(無題)", and the time of the copy in local time), then "復元しますか？".
std::string recoveryOfferText(const std::vector<RecoveredSong>& songs);

}  // namespace plume
