#include "app/enlarged_edit_group.h"

#include <algorithm>
#include <cstdlib>

namespace plume {

namespace {

constexpr int kLowestKey = 24;
constexpr int kHighestKey = 95;

bool inButton(int x, int y, int top) {
    return x >= kEditPaletteButtonRight - kEditPaletteButtonSize && x < kEditPaletteButtonRight && y >= top &&
           y < top + kEditPaletteButtonSize;
}

}  // namespace

EditPaletteArea editPaletteArea(int x, int y) {
    if (inButton(x, y, kEditPaletteCloseTop)) return EditPaletteArea::CloseButton;
    if (inButton(x, y, kEditPaletteEnterTop)) return EditPaletteArea::EnterButton;
    if (y >= 0 && y < kEditPaletteDragHeight) return EditPaletteArea::Drag;
    return EditPaletteArea::Body;
}

void EnlargedEditGroup::setRest(std::uint8_t typeAndDots) {
    SongRecord rest;
    rest.setGroupSize(1);
    rest.setTypeAndDots(typeAndDots);
    m_group = {rest};
    m_enterEnabled = true;
    m_selected = -1;
}

void EnlargedEditGroup::setNotes(const std::vector<NotePair>& pairs, const NoteChoice& choice) {
    std::vector<SongRecord> notes;
    for (std::size_t i = 0; i < pairs.size() && notes.size() < kEditPaletteMaxRecords; ++i) {
        SongRecord note;
        note.setTypeAndDots(std::uint8_t(noteLengthType(choice.lengthIndex) | dotBits(choice.dot)));
        note.setAccidental(pairs[i].accidental);
        note.setKey(pairs[i].key);
        notes.push_back(note);
    }
    if (notes.empty()) return;
    // Chords are stored highest key first, as the view stores the chords it enters.
    std::stable_sort(notes.begin(), notes.end(), higherKey);
    notes.front().setGroupSize(std::uint8_t(notes.size()));
    m_group = std::move(notes);
    m_enterEnabled = true;
    m_selected = m_group.front().key();
}

void EnlargedEditGroup::setGroup(std::vector<SongRecord> records) {
    if (records.empty() || records.size() > kEditPaletteMaxRecords) return;
    m_group = std::move(records);
    m_group.front().setGroupSize(std::uint8_t(m_group.size()));
    m_enterEnabled = true;
    m_selected = m_group.front().isNote() ? m_group.front().key() : -1;
}

void EnlargedEditGroup::reorder() {
    std::stable_sort(m_group.begin(), m_group.end(), higherKey);
    for (SongRecord& r : m_group) r.setGroupSize(0);
    if (!m_group.empty()) m_group.front().setGroupSize(std::uint8_t(m_group.size()));
    m_enterEnabled = !m_group.empty();
}

void EnlargedEditGroup::addNote(int key, const NoteChoice& choice) {
    if (key < kLowestKey || key > kHighestKey) return;
    const bool notes = !m_group.empty() && m_group.front().isNote();
    if (notes) {
        const auto same = std::find_if(m_group.begin(), m_group.end(), [key](const SongRecord& r) { return r.key() == key; });
        if (same != m_group.end()) {
            m_selected = key;
            return;
        }
        if (m_group.size() >= kEditPaletteMaxRecords) return;
    }
    SongRecord note;
    note.setTypeAndDots(notes ? m_group.front().typeAndDots()
                              : std::uint8_t(noteLengthType(choice.lengthIndex) | dotBits(choice.dot)));
    note.setKey(std::uint8_t(key));
    if (!notes) m_group.clear();
    m_group.push_back(note);
    m_selected = key;
    reorder();
}

void EnlargedEditGroup::removeNearest(int key) {
    const auto distance = [key](const SongRecord& r) { return std::abs(int(r.key()) - key); };
    const auto nearest = std::min_element(m_group.begin(), m_group.end(), [&](const SongRecord& a, const SongRecord& b) {
        return a.isNote() && (!b.isNote() || distance(a) < distance(b));
    });
    if (nearest == m_group.end() || !nearest->isNote()) return;
    const bool wasSelected = nearest->key() == m_selected;
    m_group.erase(nearest);
    reorder();
    if (wasSelected) m_selected = m_group.empty() ? -1 : m_group.front().key();
}

void EnlargedEditGroup::moveSelected(int semitones) {
    const auto selected = std::find_if(m_group.begin(), m_group.end(),
                                       [this](const SongRecord& r) { return r.isNote() && r.key() == m_selected; });
    if (selected == m_group.end()) return;
    const int key = std::clamp(m_selected + semitones, kLowestKey, kHighestKey);
    const bool taken = std::any_of(m_group.begin(), m_group.end(), [key](const SongRecord& r) { return r.key() == key; });
    if (key == m_selected || taken) return;
    selected->setAccidental(0);
    selected->setKey(std::uint8_t(key));
    m_selected = key;
    reorder();
}

std::optional<int> EnlargedEditGroup::selectedKey() const {
    if (m_selected < 0) return std::nullopt;
    return m_selected;
}

void EnlargedEditGroup::setLength(const NoteChoice& choice) {
    for (SongRecord& r : m_group)
        if (r.isNote()) r.setType(noteLengthType(choice.lengthIndex));
}

void EnlargedEditGroup::setDots(const NoteChoice& choice) {
    for (SongRecord& r : m_group)
        if (r.takesTime()) r.setDots(dotBits(choice.dot));
}

std::optional<EntryRequest> EnlargedEditGroup::receive(const EntryRequest& message, const NoteChoice& choice,
                                                         bool playing) {
    if (const auto* rest = std::get_if<entry::EnterRest>(&message)) setRest(rest->type);
    else if (const auto* chord = std::get_if<entry::EnterChord>(&message)) setNotes(chord->notes, choice);
    else if (std::holds_alternative<entry::SetLength>(message)) setLength(choice);
    else if (std::holds_alternative<entry::SetDots>(message)) setDots(choice);
    // A complete group (keyboard palette, numeric input) becomes the palette's group as well.
    else if (const auto* group = std::get_if<entry::EnterGroup>(&message)) setGroup(group->records);
    else if (const auto* button = std::get_if<entry::EditPaletteButton>(&message);
             button && button->button == edit_palette_button::kEnter && m_enterEnabled && !m_group.empty() && !playing) {
        m_enterEnabled = false;
        return entry::EnterGroup{m_group};
    }
    return std::nullopt;
}

void EnlargedEditGroup::buttonDown(int x, int y) {
    const EditPaletteArea area = editPaletteArea(x, y);
    const bool armable = area == EditPaletteArea::CloseButton || (area == EditPaletteArea::EnterButton && m_enterEnabled);
    m_armed = armable ? area : EditPaletteArea::Body;
}

std::optional<EntryRequest> EnlargedEditGroup::buttonUp(int x, int y) {
    const EditPaletteArea armed = m_armed;
    m_armed = EditPaletteArea::Body;
    if (armed == EditPaletteArea::Body || editPaletteArea(x, y) != armed) return std::nullopt;
    const int id = armed == EditPaletteArea::CloseButton ? edit_palette_button::kClose : edit_palette_button::kEnter;
    return entry::EditPaletteButton{id};
}

}  // namespace plume
