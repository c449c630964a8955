#include "score/undo_ring.h"

#include "platform/message_box.h"
#include "song/plm_doc.h"

namespace plume {

std::string_view undoWord(UndoKind kind) {
    switch (kind) {
    case UndoKind::Change: return "訂正";
    case UndoKind::Insert: return "挿入";
    case UndoKind::BackSpace: return "ＢＳ";
    case UndoKind::Delete: return "DEL";
    case UndoKind::Paste: return "張り付け";
    case UndoKind::Vokato: return "Vokato";
    case UndoKind::Effect: return "効果";
    case UndoKind::Lyric: return "歌詞";
    case UndoKind::ChordName: return "コード名";
    }
    return "";
}

UndoRing::UndoRing(RecordAllocator allocate) : m_allocate(std::move(allocate)) {}

bool UndoRing::take(UndoKind kind, const CPlmDoc& document, const UndoPositions& positions) {
    if (m_filled == kSlots) {
        m_slots[m_oldest].records.reset();
        m_oldest = (m_oldest + 1) % kSlots;
    } else {
        ++m_filled;
    }
    const Records records = document.records();
    std::unique_ptr<std::vector<SongRecord>> copy;
    if (!records.empty()) {
        copy = m_allocate(records.size());
        if (!copy) {
            --m_filled;
            const auto answer = platform::messageBox().show(
                "メモリ不足で[元に戻す]ができなくなります。\nよろしいですか？", platform::Buttons::YesNo);
            return answer == platform::Answer::Yes;
        }
        copy->assign(records.begin(), records.end());
    }
    Slot& slot = m_slots[m_next];
    slot.kind = kind;
    slot.positions = positions;
    slot.records = std::move(copy);
    m_next = (m_next + 1) % kSlots;
    return true;
}

UndoKind UndoRing::newestKind() const { return m_slots[(m_next + kSlots - 1) % kSlots].kind; }

std::string UndoRing::menuText() const {
    std::string text = "元に戻す";
    if (canUndo()) text += undoWord(newestKind());
    return text;
}

bool UndoRing::undo(CPlmDoc& document, UndoPositions& positions) {
    if (!canUndo()) return false;
    const std::size_t newest = (m_next + kSlots - 1) % kSlots;
    Slot& slot = m_slots[newest];
    const Records records = slot.records ? Records(*slot.records) : Records();
    document.assignRecords(records);
    document.setModified();
    positions = slot.positions;
    slot.records.reset();
    m_next = newest;
    --m_filled;
    return true;
}

void UndoRing::clear() {
    for (Slot& slot : m_slots) slot.records.reset();
    m_oldest = m_next = m_filled = 0;
}

}  // namespace plume
