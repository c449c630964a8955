#include "app/effect_palette_content.h"

#include <optional>

#include "app/gate_velocity_form.h"
#include "play/instrument_tables.h"

namespace plume {

namespace {

constexpr const char* kEndOfData = "データ終端";
constexpr const char* kBarLine = "縦線";
constexpr const char* kCurve = "f(t)";
constexpr const char* kProgramMark = "*";

std::optional<EffectField> fieldOfEffect(std::uint8_t number) {
    switch (number) {
    case effect::kVolume: return EffectField::Volume;
    case effect::kPan: return EffectField::Pan;
    case effect::kModulation: return EffectField::Modulation;
    case effect::kHold: return EffectField::Hold;
    case effect::kReverb: return EffectField::Reverb;
    case effect::kChorus: return EffectField::Chorus;
    case effect::kPitchBend: return EffectField::PitchBend;
    case effect::kTempo: return EffectField::Tempo;
    default: return std::nullopt;
    }
}

std::optional<EffectField> fieldOfCurve(std::uint8_t kind) {
    switch (kind) {
    case kind::kVolumeCurve: return EffectField::Volume;
    case kind::kModulationCurve: return EffectField::Modulation;
    case kind::kPitchBendCurve: return EffectField::PitchBend;
    default: return std::nullopt;
    }
}

}  // namespace

EffectPaletteContent effectPaletteContent(const SongInfo& info, Records group, bool atEnd) {
    EffectPaletteContent content;
    if (atEnd || group.empty()) {
        content.instrument = kEndOfData;
        return content;
    }
    if (group.front().type() >= type::kBarLine) {
        content.instrument = kBarLine;
        return content;
    }
    const bool melody = !info.isRhythm();
    const int module = info.soundModule();
    bool programChange = false;  // a rhythm song's "set*" is not hidden by the set in force
    for (auto r = group.rbegin(); r != group.rend(); ++r) {
        if (r->isScore()) {
            if (melody) {
                if (r->isNote()) content.notes.push_back(noteListText(r->key()));
            } else {
                if (!programChange) content.instrument = drumSetName(module, r->programInForce());
                if (r->isNote()) content.notes.emplace_back(drumSoundName(module, r->programInForce(), r->key()));
            }
        } else if (r->isEffect()) {
            if (r->effectNumber() == effect::kProgram) {
                const std::uint8_t programModule = r->bytes[3];
                content.instrument = melody ? std::string(toneName(programModule, r->bytes[4], r->bytes[5]))
                                            : std::string(drumSetName(programModule, r->bytes[5])) + kProgramMark;
                programChange = true;
            } else if (const auto field = fieldOfEffect(r->effectNumber())) {
                content.values[std::size_t(*field)] =
                    *field == EffectField::PitchBend ? std::to_string(r->value16()) : std::to_string(r->value());
            }
        } else if (const auto field = fieldOfCurve(r->kind())) {
            content.values[std::size_t(*field)] = kCurve;
        }
    }
    return content;
}

}  // namespace plume
