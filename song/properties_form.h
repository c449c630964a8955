#pragma once
// The rules of the song's properties dialog ("プロパティー"), apart from the window, and what its
// OK does to the song and, with "全トラック変更する", to every project member.

#include <cstdint>
#include <functional>
#include <string>

#include "song/song_record.h"

namespace plume {

class CPlmDoc;
class ProjectState;

inline constexpr const char* kFileKindNames[] = {"ﾘｽﾞﾑ", "ﾒﾛﾃﾞｨｰ"};  // SongInfo byte 2: 0, 1
inline constexpr const char* kPropertiesCancelQuestion = "変更結果が失われます。\nよろしいですか？";

class PropertiesForm {
public:
    // The name of a song's initial instrument, as the title shows it.
    using InstrumentName = std::function<std::string(const SongInfo&)>;

    // Works on a copy of `info`. "全トラック変更する" is offered only while a project is set.
    PropertiesForm(const SongInfo& info, InstrumentName instrumentName, bool projectSet);

    // 0 rhythm, 1 melody; switching changes the instrument text between drum set and tone.
    int fileKind() const { return m_info.fileKind(); }
    void setFileKind(int kind);
    bool isRhythm() const { return fileKind() == 0; }
    // Index into kSoundModuleNames; sets SongInfo bytes 9 and 6.
    int soundModule() const { return m_info.soundModule(); }
    void setSoundModule(int module);
    std::string instrumentText() const;
    // "参照(&B)": the chosen instrument's bytes 6-8 (module, bank, program).
    void setInstrument(std::uint8_t module, std::uint8_t bank, std::uint8_t program);
    const SongInfo& info() const { return m_info; }

    int key = 0;          // 0-14, "調号"
    int tempo = 120;      // kTempoMin..kTempoMax, "テンポ"
    int numerator = 4;    // kNumeratorMin..kNumeratorMax, "分子"
    int denominator = 1;  // index into kDenominatorNames, "分母"
    bool allTracks = false;
    bool canChangeAllTracks() const { return m_projectSet; }

    // Whether Cancel may close the dialog: at once unless the file kind was switched, else when the
    // user answers Yes to kPropertiesCancelQuestion.
    bool confirmCancel() const;

    struct Result {
        SongInfo info;
        bool allTracks = false;
    };
    // The settings with the fields stored, each kept within its range.
    Result accept() const;

private:
    SongInfo m_info;
    InstrumentName m_instrumentName;
    bool m_projectSet;
    bool m_kindSwitched = false;
};

// A new song's settings: the defaults with the project's tempo and sound module (bytes 6 and 9).
SongInfo newSongSettings(std::uint16_t tempo, std::uint8_t soundModule);

// OK on a song: stores the settings and marks the song modified (the caller rebuilds its title
// and views); with allTracks and a project set, tempo, sound module, time signature and key go to
// every member, open or closed; the project's own settings stay.
void applyProperties(CPlmDoc& document, const PropertiesForm::Result& result, ProjectState& project);
// The same for the members only, as a new song's dialog does.
void applyToAllTracks(const SongInfo& info, ProjectState& project);

}  // namespace plume
