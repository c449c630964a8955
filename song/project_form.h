#pragma once
// The values of the project dialog ("Plume-プロジェクトファイル") and its rules, apart from the window.

#include <array>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

#include "song/project.h"

namespace plume {

// Entries of the key-signature list ("調号"), by key-signature number 0-14: the names of the song
// format first, the keys they stand for after them.
inline constexpr const char* kKeySignatureNames[] = {
    "#,bなし (ハ長調/イ短調)",  "# * 1 (ト長調/ホ短調)",   "# * 2 (ニ長調/ロ短調)",   "# * 3 (イ長調/嬰ヘ短調)",
    "# * 4 (ホ長調/嬰ハ短調)",  "# * 5 (ロ長調/嬰ト短調)", "# * 6 (嬰ヘ長調/嬰ニ短調)", "# * 7 (嬰ハ長調/嬰イ短調)",
    "b * 1 (ヘ長調/ニ短調)",    "b * 2 (変ロ長調/ト短調)", "b * 3 (変ホ長調/ハ短調)", "b * 4 (変イ長調/ヘ短調)",
    "b * 5 (変ニ長調/変ロ短調)", "b * 6 (変ト長調/変ホ短調)", "b * 7 (変ハ長調/変イ短調)",
};
// Entries of the denominator list ("分母"); the stored power of two is the entry's index + 1.
inline constexpr const char* kDenominatorNames[] = {"2", "4", "8", "16", "32"};
inline constexpr int kTempoMin = 1;
inline constexpr int kTempoMax = 250;
inline constexpr int kNumeratorMin = 1;
inline constexpr int kNumeratorMax = 63;

class ProjectForm {
public:
    static constexpr int kNone = -1;  // no entry chosen in a list

    explicit ProjectForm(const ProjectData& data);

    std::string title;                           // UTF-8
    std::array<std::string, kMemberCount> members;  // UTF-8 paths, "Track 1" .. "Track16"
    int soundModule = 0;                         // index into kSoundModuleNames
    int tempo = 120;
    int key = 0;                                 // key-signature number, kNone for no choice
    int numerator = 4;
    int denominator = 1;                         // index into kDenominatorNames, kNone for no choice

    // A member chosen with "参照": the dialog counts as changed.
    void memberBrowsed(std::size_t i, const std::filesystem::path& path);
    bool isChanged() const { return m_changed; }
    // Whether Cancel may close the dialog: when it is unchanged, or the user answers Yes to
    // "変更したデータが失われます。\nよろしいですか？".
    bool confirmCancel() const;
    // The edited block for ProjectState::applyEdit (key 255 when no key is chosen), or nullopt after
    // a message when the title or a member path cannot be stored.
    std::optional<ProjectData> accept() const;

private:
    ProjectData m_original;
    bool m_changed = false;
};

}  // namespace plume
