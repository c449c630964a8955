#pragma once
// The values of the "MIDI ﾌｧｲﾙ 作成" dialog and their check, apart from the window.

#include <array>
#include <optional>
#include <string>

#include "export/midi_file_writer.h"

namespace plume {

// The time-base buttons "48" .. "960"; the last button, "その他", takes the edit field.
inline constexpr std::array<int, 6> kTimeBaseChoices = {48, 96, 192, 240, 480, 960};
inline constexpr int kOtherTimeBase = int(kTimeBaseChoices.size());

struct MidiExportForm {
    int format = 1;                 // "Format 0", "Format 1"
    int timeBaseChoice = 1;         // index into kTimeBaseChoices, or kOtherTimeBase
    std::string otherTimeBase;      // the edit field beside "その他"
    int reset = 0;                  // "GM System ON", "GS Reset", "なし"
    bool restBar = true;            // "曲の最初に1小節休符を挿入する"

    // The options, or nullopt after "48 から 980 の範囲で入力して下さい。" when "その他" holds no
    // whole number in 48-980.
    std::optional<MidiExportOptions> accept() const;
};

}  // namespace plume
