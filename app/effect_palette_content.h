#pragma once
// What the effect palette shows for the cursor group: the instrument, the notes and the value of
// each effect the group carries.

#include <array>
#include <string>
#include <vector>

#include "song/song_record.h"

namespace plume {

enum class EffectField { Tempo, Volume, Pan, Modulation, Hold, Reverb, Chorus, PitchBend };
inline constexpr std::size_t kEffectFieldCount = 8;

inline constexpr const char* kInstrumentLabel = "演奏楽器";
// Labels of the value fields, in EffectField order.
inline constexpr std::array<const char*, kEffectFieldCount> kEffectFieldLabels = {
    "ﾃﾝﾎﾟ", "ﾎﾞﾘｭｰﾑ", "ﾊﾟﾝﾎﾟｯﾄ", "ﾓｼﾞｭﾚｰｼｮﾝ", "ﾎｰﾙﾄﾞ", "ﾘﾊﾞｰﾌﾞ", "ｺｰﾗｽ", "ﾋﾟｯﾁﾍﾞﾝﾄﾞ",
};

struct EffectPaletteContent {
    std::string instrument;
    std::vector<std::string> notes;  // last record first
    std::array<std::string, kEffectFieldCount> values;

    const std::string& value(EffectField f) const { return values[std::size_t(f)]; }
};

// `group` holds the cursor group's records; `atEnd` is true when the cursor stands after the last
// group of the song.
EffectPaletteContent effectPaletteContent(const SongInfo& info, Records group, bool atEnd);

}  // namespace plume
