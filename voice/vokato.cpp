#include "voice/vokato.h"

#include "platform/message_box.h"
#include "score/range_edit.h"
#include "score/score_view.h"
#include "song/plm_doc.h"

namespace plume::voice {

std::string_view vokato::statusText(int command) {
    switch (command) {
    case kShowCommand: return "Vokatoをつかう";
    case kAdjust: return "音声認識の調整";
    case kMeasurePitch: return "自分のピッチを計測";
    case kReconvert: return "音声データから採譜へ再変換";
    case kUndoMark: return "音声データにつけた音の切れ目を戻す";
    case kPlayCopiedAndRecord: return "コピーした範囲の演奏と録音を同時に開始";
    case kStop: return "録音の停止";
    case kRecord: return "録音を開始";
    case kAutoTranspose: return "自分のＣ（ド）を元に自動的に移調する";
    case kPlayCopiedToo: return "コピーした範囲も一緒に演奏する";
    case kSemitoneDown: return "半音下げる";
    case kSemitoneUp: return "半音上げる";
    case kPlay: return "演奏開始";
    case kStopPlaying: return "演奏停止";
    case kTransfer: return "データをファイルに転送";
    default: return {};
    }
}

std::size_t VokatoNotes::groupCount() const {
    std::size_t n = 0;
    for (std::size_t r = 0; r < m_records.size(); r = nextGroup(m_records, r)) ++n;
    return n;
}

std::size_t VokatoNotes::recordOf(std::size_t g) const {
    std::size_t r = 0;
    for (std::size_t i = 0; i < g && r < m_records.size(); ++i) r = nextGroup(m_records, r);
    return r;
}

void VokatoNotes::rebuild(std::span<const NoteSegment> segments, const SongInfo& info, int transpose) {
    m_records = notesFromSegments(segments, info, transpose);
    m_cursor = groupCount();
}

void VokatoNotes::clear() {
    m_records.clear();
    m_cursor = 0;
}

void VokatoNotes::eraseGroup(std::size_t g) {
    const std::size_t from = recordOf(g);
    if (from >= m_records.size()) return;
    m_records.erase(m_records.begin() + std::ptrdiff_t(from), m_records.begin() + std::ptrdiff_t(nextGroup(m_records, from)));
}

void VokatoNotes::backspace() {
    if (m_cursor == 0) return;
    --m_cursor;
    eraseGroup(m_cursor);
}

void VokatoNotes::deleteAtCursor() {
    if (m_cursor < groupCount()) eraseGroup(m_cursor);
}

void VokatoNotes::moveCursor(int step) {
    const auto target = std::int64_t(m_cursor) + step;
    if (target >= 0 && target <= std::int64_t(groupCount())) m_cursor = std::size_t(target);
}

bool VokatoNotes::insertBarLine(bool insertMode) {
    const SongRecord bar{{1, kind::kScore, type::kBarLine, 0, 0, 0, 0, 0, 0, 0}};
    const bool replace = !insertMode && m_cursor < groupCount();
    if (!replace && m_records.size() + 1 >= kNoteListCapacity) {
        platform::messageBox().show("データオーバーフロー！");
        return false;
    }
    const std::size_t at = recordOf(m_cursor);
    if (replace) eraseGroup(m_cursor);
    m_records.insert(m_records.begin() + std::ptrdiff_t(at), bar);
    ++m_cursor;
    return true;
}

std::span<SongRecord> VokatoNotes::cursorGroup() {
    const std::size_t at = recordOf(m_cursor);
    if (at >= m_records.size()) return {};
    return std::span<SongRecord>(m_records).subspan(at, nextGroup(m_records, at) - at);
}

bool VokatoNotes::insertGroup(std::span<const SongRecord> group, bool insertMode, bool keepMarks) {
    if (group.empty()) return false;
    const bool replace = !insertMode && m_cursor < groupCount();
    const std::size_t at = recordOf(m_cursor);
    const std::size_t removed = replace ? nextGroup(m_records, at) - at : 0;
    if (m_records.size() - removed + group.size() >= kNoteListCapacity) {
        platform::messageBox().show("データが入りません！");
        return false;
    }
    std::vector<SongRecord> records(group.begin(), group.end());
    records[0].setGroupSize(std::uint8_t(records.size()));
    if (replace && keepMarks) {
        for (SongRecord& r : records) r.setMarks(m_records[at].marks());
    }
    if (replace) eraseGroup(m_cursor);
    m_records.insert(m_records.begin() + std::ptrdiff_t(at), records.begin(), records.end());
    if (!replace) ++m_cursor;
    return true;
}

bool transferNotes(CPlmDoc& document, ScoreView& view, const VokatoNotes& notes) {
    if (notes.records().empty()) return false;
    return RangeEditor(document, view).insertAtCursor(notes.records(), UndoKind::Vokato);
}

bool vokatoEnabled(int command, VokatoState state, const VokatoNotes& notes, const VokatoContext& context) {
    const bool idle = state == VokatoState::Idle;
    const bool hasNotes = !notes.records().empty();
    switch (command) {
    case vokato::kAdjust:
    case vokato::kMeasurePitch:
    case vokato::kReconvert:
    case vokato::kRecord:
    case vokato::kAutoTranspose: return idle;
    case vokato::kUndoMark: return false;  // no segment marks are ever made
    case vokato::kPlayCopiedAndRecord: return idle && !context.frameIsPlaying && context.clipboardHasData;
    case vokato::kStop: return !idle;
    case vokato::kPlayCopiedToo: return true;
    case vokato::kSemitoneDown: return idle && canShiftDown(notes.records());
    case vokato::kSemitoneUp: return idle && canShiftUp(notes.records());
    case vokato::kPlay: return idle && (hasNotes || (context.clipboardHasData && context.playCopiedToo));
    case vokato::kStopPlaying: return state == VokatoState::Playing;
    case vokato::kTransfer: return hasNotes;
    default: return false;
    }
}

std::optional<bool> vokatoChecked(int command, const VokatoContext& context) {
    if (command == vokato::kAutoTranspose) return context.autoTranspose;
    if (command == vokato::kPlayCopiedToo) return context.playCopiedToo;
    return std::nullopt;
}

std::vector<SongRecord> copiedRangeOf(Records clipboard) {
    std::vector<SongRecord> kept;
    std::size_t looked = 0;
    for (std::size_t g = 0; g < clipboard.size() && looked < 200; g = nextGroup(clipboard, g), ++looked) {
        const std::size_t end = nextGroup(clipboard, g);
        if (!clipboard[g].takesTime()) continue;
        if (kept.size() + (end - g) > kNoteListCapacity - 1) break;
        kept.insert(kept.end(), clipboard.begin() + std::ptrdiff_t(g), clipboard.begin() + std::ptrdiff_t(end));
    }
    return kept;
}

namespace {

AuditionChannel channelOf(Records records, const SongInfo& info, std::size_t index) {
    return {index, records, 0, records.size(), info.fileKind() == 1, info.initialModule(), info.initialBank(),
            info.initialProgram()};
}

std::size_t channelFor(const SongInfo& info, std::size_t melodyChannel) {
    return info.fileKind() == 1 ? melodyChannel : kRhythmChannelIndex;
}

}  // namespace

VokatoPlay vokatoPlay(Records notes, const SongInfo& info, Records copied, const SongInfo& copiedInfo,
                      bool withCopied) {
    VokatoPlay result;
    result.play.tempo = info.tempo();
    const std::size_t own = channelFor(info, 0);
    if (!notes.empty()) result.play.channels.push_back(channelOf(notes, info, own));
    if (withCopied && !copied.empty()) {
        const std::size_t other = channelFor(copiedInfo, 1);
        if (other == own && !notes.empty()) result.conflict = true;
        else result.play.channels.push_back(channelOf(copied, copiedInfo, other));
    }
    return result;
}

AuditionPlay copiedRangePlay(Records copied, const SongInfo& copiedInfo) {
    AuditionPlay play;
    play.tempo = copiedInfo.tempo();
    if (!copied.empty()) play.channels.push_back(channelOf(copied, copiedInfo, channelFor(copiedInfo, 0)));
    return play;
}

}  // namespace plume::voice
