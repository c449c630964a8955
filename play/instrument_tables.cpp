#include "play/instrument_tables.h"

#include <algorithm>
#include <cstddef>

namespace plume {
namespace {

using FamilyStarts = std::array<std::uint16_t, kFamilyCount + 1>;  // entry offsets, then the total

struct ModuleTables {
    std::span<const ToneEntry> tones;
    FamilyStarts familyStart;
    std::span<const DrumSet> drumSets;
};

#include "play/instrument_data.inc"

static_assert(std::size(kModuleTables) == sound_module::kCount);

const ModuleTables* tablesOf(int module) { return isKnownModule(module) ? &kModuleTables[module] : nullptr; }

const DrumSet* drumSetOf(int module, int program) {
    const int index = drumSetIndex(module, program);
    return index < 0 ? nullptr : &kModuleTables[module].drumSets[std::size_t(index)];
}

}  // namespace

bool isKnownModule(int module) { return module >= 0 && module < sound_module::kCount; }

std::string_view familyName(int family) {
    return family >= 0 && family < kFamilyCount ? kFamilyNames[std::size_t(family)] : std::string_view();
}

std::span<const ToneEntry> familyTones(int module, int family) {
    const ModuleTables* tables = tablesOf(module);
    if (tables == nullptr || family < 0 || family >= kFamilyCount) return {};
    const std::size_t first = tables->familyStart[std::size_t(family)];
    return tables->tones.subspan(first, tables->familyStart[std::size_t(family) + 1] - first);
}

int familyEntryCount(int module, int family) { return int(familyTones(module, family).size()); }

std::string_view toneNameAt(int module, int family, int index) {
    const auto tones = familyTones(module, family);
    return index >= 0 && std::size_t(index) < tones.size() ? tones[std::size_t(index)].name : std::string_view();
}

Tone toneAt(int module, int family, int index) {
    const auto tones = familyTones(module, family);
    Tone tone{std::uint8_t(module), 0, 0};
    if (index >= 0 && std::size_t(index) < tones.size()) {
        tone.bank = tones[std::size_t(index)].bank;
        tone.program = tones[std::size_t(index)].program;
    }
    return tone;
}

ToneMatch findTone(int module, int bank, int program) {
    if (program < 0) return {};
    const auto tones = familyTones(module, program / 8);
    const auto found = std::find_if(tones.begin(), tones.end(), [&](const ToneEntry& e) {
        return e.program == program && (module == sound_module::kGm || e.bank == bank);
    });
    if (found == tones.end()) return {};
    return {found->name, int(found - tones.begin())};
}

std::string_view toneName(int module, int bank, int program) { return findTone(module, bank, program).name; }

std::span<const DrumSet> drumSets(int module) {
    const ModuleTables* tables = tablesOf(module);
    return tables == nullptr ? std::span<const DrumSet>() : tables->drumSets;
}

int drumSetCount(int module) { return int(drumSets(module).size()); }

std::string_view drumSetNameAt(int module, int index) {
    const auto sets = drumSets(module);
    return index >= 0 && std::size_t(index) < sets.size() ? sets[std::size_t(index)].name : std::string_view();
}

int drumSetIndex(int module, int program) {
    if (module == sound_module::kGm) return 0;
    const auto sets = drumSets(module);
    const auto found = std::find_if(sets.begin(), sets.end(), [&](const DrumSet& s) { return s.program == program; });
    return found == sets.end() ? -1 : int(found - sets.begin());
}

std::string_view drumSetName(int module, int program) {
    const DrumSet* set = drumSetOf(module, program);
    return set == nullptr ? std::string_view() : set->name;
}

std::span<const DrumSound> drumSounds(int module, int setProgram) {
    const DrumSet* set = drumSetOf(module, setProgram);
    return set == nullptr ? std::span<const DrumSound>() : set->sounds;
}

std::string_view drumSoundName(int module, int setProgram, int key) {
    const auto sounds = drumSounds(module, setProgram);
    const auto found = std::find_if(sounds.begin(), sounds.end(), [&](const DrumSound& s) { return s.key == key; });
    return found == sounds.end() ? std::string_view() : found->name;
}

std::string instrumentTitle(const SongInfo& info) {
    const int module = info.isRhythm() ? info.soundModule() : info.initialModule();
    if (!isKnownModule(module)) return "---";
    const std::string_view name = info.isRhythm() ? drumSetName(module, info.initialProgram())
                                                  : toneName(module, info.initialBank(), info.initialProgram());
    return std::string(name);
}

std::string documentTitle(std::string_view name, const SongInfo& info) {
    return std::string(name.empty() ? "Untitled" : name) + " - " + instrumentTitle(info);
}

}  // namespace plume
