#include "voice/voice_forms.h"

#include <algorithm>

#include "platform/message_box.h"
#include "voice/transcription.h"

namespace plume::voice {

void DetectParametersForm::setAplox(int value) {
    m_values[DetectParameters::kAplox] = std::uint16_t(std::clamp(value, kAploxLow, kAploxHigh));
    m_changed = true;
}

void DetectParametersForm::setNoiseCut(int value) {
    m_values[DetectParameters::kNoiseCutLevel] = std::uint16_t(std::clamp(value, kNoiseCutLow, kNoiseCutHigh));
    m_changed = true;
}

void DetectParametersForm::resetToDefaults() {
    const std::uint16_t way = m_values[DetectParameters::kDetectWay];
    m_values = DetectParameters::defaults();
    m_values[DetectParameters::kDetectWay] = way;
    m_changed = true;
}

std::optional<std::string_view> DetectParametersForm::refusal() const {
    if (m_values[DetectParameters::kNoteHigh] < m_values[DetectParameters::kNoteLow])
        return "低音が高音より高くセットされています。";
    return std::nullopt;
}

std::optional<std::string_view> DetectParametersForm::cancelQuestion() const {
    if (!m_changed) return std::nullopt;
    return "変更したパラメータが失われます。\nよろしいですか？";
}

void PitchEnrolForm::measured(const std::vector<NoteSegment>& segments) {
    m_note = segments.empty() ? 0 : segments[0].note;
    m_frequency = segments.empty() ? 0 : segments[0].frequency;
}

int PitchEnrolForm::keyAt(int x) {
    static constexpr int kWhiteSteps[7] = {0, 2, 4, 5, 7, 9, 11};
    const int clamped = std::clamp(x, 0, 6 * kOctaveWidth - 1);
    return kLowestKey + 12 * (clamped / kOctaveWidth) + kWhiteSteps[(clamped % kOctaveWidth) / 8];
}

std::string PitchEnrolForm::message() const {
    return platform::formatMessage("あなたの声Note No:%d を Note No:%d に登録します。", m_note, m_chosen);
}

bool PitchEnrolForm::accept() const {
    if (m_note < kLowestKey || m_note >= kHighestKey) {
        platform::messageBox().show("データが不正です。");
        return false;
    }
    enrolVoice(m_note, m_chosen);
    return true;
}

}  // namespace plume::voice
