#include "app/note_palette_logic.h"

#include <algorithm>
#include <array>

namespace plume {

namespace {

constexpr std::array<int, 21> kButtons = {
    600, 601, note_button::kSharp,  603, 604, note_button::kFlat,        606, 607, note_button::kNatural,
    609, 610, note_button::kDoubleSharp, 612, 613, note_button::kDoubleFlat, 615, 616, note_button::kDot,
    note_button::kTie, note_button::kUnassigned, note_button::kDoubleDot,
};

// Accidental codes 1..5 by button.
constexpr std::array<int, 5> kAccidentalButtons = {note_button::kSharp, note_button::kFlat, note_button::kNatural,
                                                   note_button::kDoubleSharp, note_button::kDoubleFlat};

int accidentalOfButton(int button) {
    const auto it = std::find(kAccidentalButtons.begin(), kAccidentalButtons.end(), button);
    return it == kAccidentalButtons.end() ? 0 : int(it - kAccidentalButtons.begin()) + 1;
}

// Checked buttons of a group toggle: the checked one returns to 0, another one takes the check.
int toggled(int current, int code) { return current == code ? 0 : code; }

EntryRequest chooseLength(NoteChoice& choice, int index) {
    choice.lengthIndex = index;
    return entry::SetLength{index};
}

EntryRequest enterRest(const NoteChoice& choice, int position) {
    return entry::EnterRest{std::uint8_t((type::kWholeRest + position) | dotBits(choice.dot))};
}

EntryRequest toggleDot(NoteChoice& choice, int dot) {
    choice.dot = toggled(choice.dot, dot);
    return entry::SetDots{choice.dot};
}

}  // namespace

std::span<const int> notePaletteButtons() { return kButtons; }

int lengthPosition(int button, int first) {
    const int offset = button - first;
    return offset >= 0 && offset % 3 == 0 && offset / 3 < kLengthCount ? offset / 3 : -1;
}

std::uint8_t lengthType(int lengthIndex) { return std::uint8_t(std::clamp(lengthIndex, 0, 2 * kLengthCount - 1) + 1); }

std::uint8_t noteLengthType(int lengthIndex) {
    const std::uint8_t t = lengthType(lengthIndex);
    return t > type::k32nd ? std::uint8_t(t - kLengthCount) : t;
}

std::uint8_t dotBits(int dot) {
    return dot == 1 ? mark::kDotted : dot == 2 ? mark::kDoubleDotted : std::uint8_t(0);
}

std::optional<EntryRequest> pressNoteButton(NoteChoice& choice, int button, bool playing) {
    if (const int note = lengthPosition(button, note_button::kWholeNote); note >= 0) {
        if (playing) return std::nullopt;
        return chooseLength(choice, note);
    }
    if (const int rest = lengthPosition(button, note_button::kWholeRest); rest >= 0) {
        if (playing) return std::nullopt;
        return enterRest(choice, rest);
    }
    if (const int accidental = accidentalOfButton(button); accidental > 0) {
        choice.accidental = toggled(choice.accidental, accidental);
        return std::nullopt;
    }
    switch (button) {
    case note_button::kDot:
    case note_button::kDoubleDot:
        if (playing) return std::nullopt;
        return toggleDot(choice, button == note_button::kDot ? 1 : 2);
    case note_button::kMonitor:
        choice.monitor = !choice.monitor;
        return std::nullopt;
    case note_button::kTie:
        return entry::RunCommand{note_button::kTie};
    default:
        return std::nullopt;
    }
}

bool isNoteButtonChecked(const NoteChoice& choice, int button) {
    if (const int note = lengthPosition(button, note_button::kWholeNote); note >= 0) return choice.lengthIndex == note;
    if (const int rest = lengthPosition(button, note_button::kWholeRest); rest >= 0)
        return choice.lengthIndex == kLengthCount + rest;
    if (const int accidental = accidentalOfButton(button); accidental > 0) return choice.accidental == accidental;
    switch (button) {
    case note_button::kDot: return choice.dot == 1;
    case note_button::kDoubleDot: return choice.dot == 2;
    case note_button::kMonitor: return choice.monitor;
    default: return false;
    }
}

void followRecord(NoteChoice& choice, const SongRecord& record) {
    if (!record.isNote()) return;
    choice.lengthIndex = record.type() - 1;
    choice.dot = record.dots() == mark::kDotted ? 1 : record.dots() == mark::kDoubleDotted ? 2 : 0;
}

NoteKeyOutcome passNoteKey(NoteChoice& choice, char key, bool shift, bool playing) {
    if (key >= '1' && key < '1' + kLengthCount) {
        if (playing) return {true, std::nullopt};
        const int position = key - '1';
        return {true, shift ? enterRest(choice, position) : chooseLength(choice, position)};
    }
    if (key == '.') {
        if (playing) return {true, std::nullopt};
        return {true, toggleDot(choice, shift ? 2 : 1)};
    }
    return {};
}

}  // namespace plume
