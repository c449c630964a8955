#include "play/instrument_selection.h"

#include <algorithm>
#include <cstddef>

namespace plume {

TestScale testScale(int noteLength, int octaveShift, std::uint8_t program) {
    static constexpr std::array<int, 8> kScaleKeys = {60, 62, 64, 65, 67, 69, 71, 72};
    const int shift = 12 * std::clamp(octaveShift, kOctaveShiftMin, kOctaveShiftMax);
    const int type = std::clamp(noteLength, 0, int(kTestNoteLengthNames.size()) - 1) + 1;
    TestScale scale{};
    for (std::size_t i = 0; i < scale.size(); ++i) {
        SongRecord& r = scale[i];
        r.setGroupSize(1);
        r.setKind(kind::kScore);
        r.setTypeAndDots(std::uint8_t(type));
        r.setKey(std::uint8_t(kScaleKeys[i] + shift));
        r.setVelocity(100);
        r.setDelay(0);
        r.setGate(75);
        r.setProgramInForce(program);
    }
    return scale;
}

int openingFamily(int program) { return program >= 0 && program < 128 ? program / 8 : 0; }

MelodyInstrumentSelection::MelodyInstrumentSelection(Tone current, int tempo)
    : m_current(current),
      m_tempo(tempo),
      m_family(openingFamily(current.program)),
      m_selected(findTone(current.module, current.bank, current.program).index) {}

void MelodyInstrumentSelection::chooseFamily(int family) {
    if (family < 0 || family >= kFamilyCount) return;
    m_family = family;
    m_selected = kNoSelection;
}

void MelodyInstrumentSelection::selectTone(int index) {
    m_selected = index >= 0 && std::size_t(index) < tones().size() ? index : kNoSelection;
}

void MelodyInstrumentSelection::setNoteLength(int position) {
    m_noteLength = std::clamp(position, 0, int(kTestNoteLengthNames.size()) - 1);
}

void MelodyInstrumentSelection::setOctaveShift(int shift) {
    m_octaveShift = std::clamp(shift, kOctaveShiftMin, kOctaveShiftMax);
}

Tone MelodyInstrumentSelection::chosenTone() const {
    if (tones().empty()) return m_current;
    return toneAt(m_current.module, m_family, m_selected == kNoSelection ? 0 : m_selected);
}

std::optional<TestPlay> MelodyInstrumentSelection::prepareTestPlay() {
    if (m_playing) return std::nullopt;
    const Tone tone = chosenTone();
    m_scale = testScale(m_noteLength, m_octaveShift, tone.program);
    return TestPlay{m_scale, 0, tone, m_tempo};
}

DrumSetSelection::DrumSetSelection(const SongInfo& info) : m_info(info) {
    if (sets().empty()) return;
    m_selected = std::max(drumSetIndex(info.soundModule(), info.initialProgram()), 0);
}

void DrumSetSelection::chooseSet(int index) {
    const auto all = sets();
    if (index < 0 || std::size_t(index) >= all.size()) return;
    m_selected = index;
    if (m_info.soundModule() == sound_module::kGm)
        m_info.setInitialBank(0);
    else
        m_info.setInitialProgram(all[std::size_t(index)].program);
}

}  // namespace plume
