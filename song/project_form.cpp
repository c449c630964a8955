#include "song/project_form.h"

#include <algorithm>
#include <iterator>

#include "platform/message_box.h"
#include "song/plm_doc.h"

namespace plume {

ProjectForm::ProjectForm(const ProjectData& data) : m_original(data) {
    title = data.title();
    for (std::size_t i = 0; i < kMemberCount; ++i) members[i] = data.hasMember(i) ? utf8Of(data.memberPath(i)) : "";
    soundModule = data.soundModule() < std::size(kSoundModuleNames) ? data.soundModule() : 0;
    tempo = std::clamp(int(data.tempo()), kTempoMin, kTempoMax);
    key = data.key() < std::size(kKeySignatureNames) ? data.key() : kNone;
    numerator = std::clamp(int(data.numerator()), kNumeratorMin, kNumeratorMax);
    const int power = data.denominatorPower();
    denominator = power >= 1 && power <= int(std::size(kDenominatorNames)) ? power - 1 : kNone;
}

void ProjectForm::memberBrowsed(std::size_t i, const std::filesystem::path& path) {
    if (i >= kMemberCount) return;
    members[i] = utf8Of(path);
    m_changed = true;
}

bool ProjectForm::confirmCancel() const {
    return !m_changed || platform::messageBox().show("変更したデータが失われます。\nよろしいですか？",
                                                     platform::Buttons::YesNo) == platform::Answer::Yes;
}

std::optional<ProjectData> ProjectForm::accept() const {
    ProjectData data = m_original;
    if (!data.setTitle(title)) {
        platform::messageBox().show("プロジェクトタイトルに使えない文字があります。");
        return std::nullopt;
    }
    for (std::size_t i = 0; i < kMemberCount; ++i) {
        if (!data.setMemberPath(i, pathFromUtf8(members[i]))) {
            platform::messageBox().show(platform::formatMessage(
                "Track%2d\nファイル名が長すぎるか、使えない文字を含んでいます。", int(i + 1)));
            return std::nullopt;
        }
    }
    data.setSoundModule(std::uint8_t(std::clamp(soundModule, 0, int(std::size(kSoundModuleNames)) - 1)));
    data.setTempo(std::uint16_t(std::clamp(tempo, kTempoMin, kTempoMax)));
    data.setKey(key == kNone ? kKeep : std::uint8_t(std::clamp(key, 0, int(std::size(kKeySignatureNames)) - 1)));
    data.setNumerator(std::uint8_t(std::clamp(numerator, kNumeratorMin, kNumeratorMax)));
    if (denominator != kNone)
        data.setDenominatorPower(std::uint8_t(std::clamp(denominator, 0, int(std::size(kDenominatorNames)) - 1) + 1));
    return data;
}

}  // namespace plume
