#include "song/properties_form.h"

#include <algorithm>
#include <iterator>

#include "platform/message_box.h"
#include "song/plm_doc.h"
#include "song/project.h"
#include "song/project_form.h"

namespace plume {

namespace {
constexpr int kDenominatorCount = int(std::size(kDenominatorNames));
constexpr int kKeyCount = int(std::size(kKeySignatureNames));
constexpr int kModuleCount = int(std::size(kSoundModuleNames));
}  // namespace

PropertiesForm::PropertiesForm(const SongInfo& info, InstrumentName instrumentName, bool projectSet)
    : key(std::clamp<int>(info.keySignature(), 0, kKeyCount - 1)),
      tempo(std::clamp<int>(info.tempo(), kTempoMin, kTempoMax)),
      numerator(std::clamp<int>(info.numerator(), kNumeratorMin, kNumeratorMax)),
      denominator(std::clamp<int>(info.denominatorPower() - 1, 0, kDenominatorCount - 1)),
      m_info(info),
      m_instrumentName(std::move(instrumentName)),
      m_projectSet(projectSet) {}

void PropertiesForm::setFileKind(int kind) {
    const auto byte = std::uint8_t(kind == 0 ? 0 : 1);
    if (byte == m_info.fileKind()) return;
    m_info.setFileKind(byte);
    m_kindSwitched = true;
}

void PropertiesForm::setSoundModule(int module) {
    const auto byte = std::uint8_t(std::clamp(module, 0, kModuleCount - 1));
    m_info.setSoundModule(byte);
    m_info.setInitialModule(byte);
}

std::string PropertiesForm::instrumentText() const {
    return m_instrumentName ? m_instrumentName(m_info) : std::string();
}

void PropertiesForm::setInstrument(std::uint8_t module, std::uint8_t bank, std::uint8_t program) {
    m_info.setInitialModule(module);
    m_info.setInitialBank(bank);
    m_info.setInitialProgram(program);
}

bool PropertiesForm::confirmCancel() const {
    if (!m_kindSwitched) return true;
    return platform::messageBox().show(kPropertiesCancelQuestion, platform::Buttons::YesNo) == platform::Answer::Yes;
}

PropertiesForm::Result PropertiesForm::accept() const {
    Result result{m_info, m_projectSet && allTracks};
    SongInfo& info = result.info;
    info.setKeySignature(std::uint8_t(std::clamp(key, 0, kKeyCount - 1)));
    info.setTempo(std::int16_t(std::clamp(tempo, kTempoMin, kTempoMax)));
    info.setNumerator(std::uint8_t(std::clamp(numerator, kNumeratorMin, kNumeratorMax)));
    info.setDenominatorPower(std::uint8_t(std::clamp(denominator, 0, kDenominatorCount - 1) + 1));
    return result;
}

SongInfo newSongSettings(std::uint16_t tempo, std::uint8_t soundModule) {
    SongInfo info = SongInfo::defaults();
    info.setTempo(std::int16_t(tempo));
    info.setInitialModule(soundModule);
    info.setSoundModule(soundModule);
    return info;
}

void applyToAllTracks(const SongInfo& info, ProjectState& project) {
    if (!project.isSet()) return;
    project.applyToMembers(std::uint16_t(info.tempo()), info.soundModule(), info.denominatorPower(),
                           info.numerator(), info.keySignature());
}

void applyProperties(CPlmDoc& document, const PropertiesForm::Result& result, ProjectState& project) {
    document.setSongInfo(result.info);
    document.setModified();
    if (result.allTracks) applyToAllTracks(result.info, project);
}

}  // namespace plume
