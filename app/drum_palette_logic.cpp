#include "app/drum_palette_logic.h"

#include <algorithm>

#include "platform/profile.h"
#include "play/instrument_tables.h"
#include "play/play_block.h"

namespace plume {

namespace {
constexpr const char* kSection = "User Drum";

std::string drumKeyName(int index) { return "drum" + std::to_string(index); }
}  // namespace

DrumPalette loadDrumPalette(const platform::Profile& profile, int module) {
    DrumPalette palette;
    palette.module = module;
    palette.setProgram = std::clamp(profile.getInt(kSection, "Drum Set", 0), 0, 127);
    for (int i = 0; i < int(kDrumPaletteCapacity); ++i) {
        const int key = profile.getInt(kSection, drumKeyName(i), 0);
        if (key > 0 && key < 128) palette.keys.push_back(std::uint8_t(key));
    }
    return palette;
}

void saveDrumPalette(platform::Profile& profile, const DrumPalette& palette) {
    profile.writeInt(kSection, "Drum Set", palette.setProgram);
    for (std::size_t i = 0; i < kDrumPaletteCapacity; ++i) {
        profile.writeInt(kSection, drumKeyName(int(i)), i < palette.keys.size() ? palette.keys[i] : 0);
    }
}

std::string drumEntryName(int module, int setProgram, int key) {
    const std::string_view name = drumSoundName(module, setProgram, key);
    return name.empty() ? "Key " + std::to_string(key) : std::string(name);
}

std::vector<std::string> drumEntryNames(const DrumPalette& palette) {
    std::vector<std::string> names;
    for (const std::uint8_t key : palette.keys) names.push_back(drumEntryName(palette.module, palette.setProgram, key));
    return names;
}

std::optional<entry::EnterDrums> drumEntryRequest(const DrumPalette& palette, std::vector<int> selectedRows) {
    if (palette.keys.empty()) return std::nullopt;
    std::sort(selectedRows.begin(), selectedRows.end());
    selectedRows.erase(std::unique(selectedRows.begin(), selectedRows.end()), selectedRows.end());
    entry::EnterDrums request{std::uint8_t(palette.setProgram), {}};
    for (const int row : selectedRows) {
        if (row < 0 || std::size_t(row) >= palette.keys.size()) continue;
        if (request.notes.size() == kDrumPaletteEnterLimit) break;
        request.notes.push_back({palette.keys[std::size_t(row)], 0});
    }
    return request;
}

std::array<SongRecord, 4> drumTestPhrase(int noteLength, std::uint8_t key, std::uint8_t setProgram) {
    const int type = std::clamp(noteLength, 0, int(kTestNoteLengthNames.size()) - 1) + 1;
    std::array<SongRecord, 4> phrase{};
    for (SongRecord& r : phrase) {
        r.setGroupSize(1);
        r.setKind(kind::kScore);
        r.setTypeAndDots(std::uint8_t(type));
        r.setKey(key);
        r.setVelocity(100);
        r.setDelay(0);
        r.setGate(64);
        r.setProgramInForce(setProgram);
    }
    return phrase;
}

// --- the setup dialog --------------------------------------------------------------------------------

RhythmInstrumentSelection::RhythmInstrumentSelection(const SongInfo& settings, const DrumPalette& palette, int tempo)
    : m_sets(settings), m_paletteModule(palette.module), m_entries(palette.keys), m_tempo(tempo) {
    if (m_entries.size() > kDrumPaletteCapacity) m_entries.resize(kDrumPaletteCapacity);
}

int RhythmInstrumentSelection::module() const { return m_sets.accept().info.soundModule(); }

int RhythmInstrumentSelection::setProgram() const {
    const auto all = sets();
    const int selected = m_sets.selectedSet();
    if (selected >= 0 && std::size_t(selected) < all.size()) return all[std::size_t(selected)].program;
    return m_sets.accept().info.initialProgram();
}

void RhythmInstrumentSelection::chooseSet(int index) {
    m_sets.chooseSet(index);
    m_sound = kNoSelection;  // the sound list is refilled
}

std::span<const DrumSound> RhythmInstrumentSelection::sounds() const { return drumSounds(module(), setProgram()); }

void RhythmInstrumentSelection::selectSound(int index) {
    m_sound = index >= 0 && std::size_t(index) < sounds().size() ? index : kNoSelection;
}

std::vector<std::string> RhythmInstrumentSelection::entryNames() const {
    std::vector<std::string> names;
    for (const std::uint8_t key : m_entries) names.push_back(drumEntryName(module(), setProgram(), key));
    return names;
}

void RhythmInstrumentSelection::selectEntry(int index) {
    m_entry = index >= 0 && std::size_t(index) < m_entries.size() ? index : kNoSelection;
}

void RhythmInstrumentSelection::registerSound() {
    if (!canRegister()) return;
    const std::uint8_t key = sounds()[std::size_t(m_sound)].key;
    const auto at = m_entry == kNoSelection ? m_entries.end() : m_entries.begin() + m_entry;
    m_entries.insert(at, key);
    m_entry = kNoSelection;
}

void RhythmInstrumentSelection::removeEntry() {
    if (!canRemove()) return;
    m_entries.erase(m_entries.begin() + m_entry);
    m_entry = kNoSelection;
}

void RhythmInstrumentSelection::clearEntries() {
    m_entries.clear();
    m_entry = kNoSelection;
}

void RhythmInstrumentSelection::setNoteLength(int position) {
    m_noteLength = std::clamp(position, 0, int(kTestNoteLengthNames.size()) - 1);
}

std::optional<TestPlay> RhythmInstrumentSelection::prepareTestPlay() {
    if (!canPlay()) return std::nullopt;
    const auto program = std::uint8_t(setProgram());
    m_phrase = drumTestPhrase(m_noteLength, sounds()[std::size_t(m_sound)].key, program);
    TestPlay test;
    test.records = m_phrase;
    test.midiChannel = kRhythmMidiChannel;
    test.tone = {std::uint8_t(module()), 0, program};
    test.tempo = m_tempo;
    return test;
}

DrumPalette RhythmInstrumentSelection::palette() const { return {m_paletteModule, setProgram(), m_entries}; }

}  // namespace plume
