#include "score/numeric_input.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "platform/message_box.h"
#include "platform/profile.h"
#include "score/pitch_spelling.h"

namespace plume {

namespace {

constexpr const char* kSection = "PC KeyBoard";
constexpr const char* kAreaKey = "Area";
constexpr int kStepsPerOctave = 7;
constexpr int kTypedSteps = 42;  // steps 0..41: keys 24..95
constexpr std::string_view kLetters = "CDEFGAB";
constexpr std::array<int, 7> kWhiteKeys = {0, 2, 4, 5, 7, 9, 11};

// The text as code points, so that positions count characters.
std::u32string codePoints(std::string_view utf8) {
    std::u32string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        char32_t c = length == 1 ? lead : char32_t(lead & (0x3F >> (length - 1)));
        for (std::size_t k = 1; k < length && i + k < utf8.size(); ++k)
            c = (c << 6) | char32_t(static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        out.push_back(c);
        i += length;
    }
    return out;
}

bool is(char32_t c, char letter) { return c == char32_t(letter) || c == char32_t(letter - 'A' + 'a'); }

int keyShift(int accidentalCode) {
    switch (accidentalCode) {
    case accidental::kSharp: return 1;
    case accidental::kFlat: return -1;
    case accidental::kDoubleSharp: return 2;
    case accidental::kDoubleFlat: return -2;
    default: return 0;
    }
}

bool validArea(int area) { return area >= 0 && area <= kMaxArea; }

}  // namespace

NoteNameParse parseNoteNames(std::string_view utf8, int area) {
    const std::u32string text = codePoints(utf8);
    NoteNameParse result;
    std::size_t i = 0;
    const auto at = [&text](std::size_t k) { return k < text.size() ? text[k] : char32_t(0); };
    while (i < text.size() && result.notes.size() < kMaxTypedNotes) {
        const char32_t c = text[i];
        if (c == U' ') {
            ++i;
            continue;
        }
        const bool capital = c >= U'A' && c <= U'G';
        if (!capital && !(c >= U'a' && c <= U'g')) {
            result.badPosition = i + 1;
            result.notes.clear();
            return result;
        }
        const int letterStep = int(kLetters.find(char(capital ? c : c - U'a' + U'A')));
        NoteName note;
        note.step = letterStep + (capital ? 0 : kStepsPerOctave) + area * kStepsPerOctave;
        if (note.step >= kTypedSteps) note.step -= kStepsPerOctave;
        ++i;
        if (is(at(i), 'S')) {
            const bool twice = is(at(i + 1), 'S');
            note.accidental = twice ? accidental::kDoubleSharp : accidental::kSharp;
            i += twice ? 2 : 1;
        } else if (is(at(i), 'L')) {
            const bool twice = is(at(i + 1), 'L');
            note.accidental = twice ? accidental::kDoubleFlat : accidental::kFlat;
            i += twice ? 2 : 1;
        } else if (is(at(i), 'N')) {
            note.accidental = accidental::kNatural;
            ++i;
        }
        if (at(i) >= U'0' && at(i) <= char32_t(U'0' + kMaxArea)) {
            note.step = letterStep + int(at(i) - U'0') * kStepsPerOctave;
            ++i;
        }
        result.notes.push_back(note);
    }
    return result;
}

NotePair spellNoteName(NoteName note, int keySignature) {
    const int octave = note.step / kStepsPerOctave;
    const int within = note.step % kStepsPerOctave;
    int key = kLowestTypedKey + octave * 12 + kWhiteKeys[std::size_t(within)];
    if (note.accidental == accidental::kNone) key += keyShift(keyAccidentalOnStep(keySignature, note.step));
    else key += keyShift(note.accidental);
    return {std::uint8_t(std::clamp(key, 0, 127)), std::uint8_t(note.accidental)};
}

std::vector<SongRecord> typedNoteGroup(std::span<const NoteName> notes, int keySignature,
                                       const EntrySettings& settings) {
    std::vector<SongRecord> group;
    for (const NoteName& n : notes) {
        const NotePair pair = spellNoteName(n, keySignature);
        if (pair.key < kLowestTypedKey || pair.key > kHighestTypedKey) continue;
        SongRecord r;
        r.setKind(kind::kScore);
        r.setTypeAndDots(std::uint8_t(settings.length | (settings.dots & mark::kDotMask)));
        r.setAccidental(pair.accidental);
        r.setKey(pair.key);
        group.push_back(r);
    }
    std::stable_sort(group.begin(), group.end(), higherKey);
    if (!group.empty()) group.front().setGroupSize(std::uint8_t(group.size()));
    return group;
}

NumericInput::NumericInput(platform::Profile& profile) : m_profile(profile) {
    const int stored = m_profile.getInt(kSection, kAreaKey, kDefaultArea);
    m_area = validArea(stored) ? stored : kDefaultArea;
}

bool NumericInput::areaEdited(std::string_view text) {
    if (text.empty()) return true;
    int value = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !validArea(value)) {
        platform::messageBox().show(kAreaMessage);
        return false;
    }
    m_area = value;
    m_profile.writeInt(kSection, kAreaKey, value);
    return true;
}

std::string_view NumericInput::notesEdited(std::string_view text) {
    return !text.empty() && text.front() == ' ' ? std::string_view() : text;
}

NoteNameParse NumericInput::take(std::string_view text) const {
    NoteNameParse parse = parseNoteNames(text, m_area);
    if (!parse.ok())
        platform::messageBox().show(platform::formatMessage("%d桁目が不正です。", int(parse.badPosition)));
    return parse;
}

}  // namespace plume
