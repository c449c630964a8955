#include "app/gate_velocity_form.h"

#include <cstdio>

#include "platform/message_box.h"
#include "song/plm_doc.h"

namespace plume {

namespace {

constexpr std::array<std::string_view, 12> kPitchClassNames = {
    "C", "C# Db", "D", "D# Eb", "E", "F", "F# Gb", "G", "G# Ab", "A", "A# Bb", "B",
};

constexpr int kMaxDelayGateSum = 100;
constexpr int kMaxVelocity = 127;

std::optional<int> parseNumber(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return std::nullopt;
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    if (text.size() > 6) return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

std::string_view pitchClassName(int key) { return kPitchClassNames[std::size_t(((key % 12) + 12) % 12)]; }

std::string noteListText(int key) {
    char text[32];
    std::snprintf(text, sizeof text, "%3d-%s", key, pitchClassName(key).data());
    return text;
}

GateVelocityForm::GateVelocityForm(NoteValueKind kind) : m_kind(kind) {}

void GateVelocityForm::clearAll() {
    m_entries.clear();
    m_values.clear();
    m_fields = {};
    m_chosen = kNoNote;
    m_checked = false;
}

void GateVelocityForm::refresh(Records group, bool atEnd, bool hasRange) {
    m_range = hasRange;
    if (hasRange) {
        m_entries.clear();
        m_values.clear();
        m_chosen = kNoNote;
        m_fields = {};
        m_listEnabled = false;
        m_checkEnabled = false;
        m_fieldsEnabled = true;
        m_okEnabled = true;
        return;
    }
    clearAll();
    const bool noteGroup = !atEnd && !group.empty() && group.front().isNote();
    m_listEnabled = noteGroup;
    m_checkEnabled = noteGroup;
    m_fieldsEnabled = noteGroup;
    m_okEnabled = noteGroup;
    if (!noteGroup) return;
    for (auto r = group.rbegin(); r != group.rend() && m_values.size() < kValueFormMaxNotes; ++r) {
        if (!r->isNote()) continue;
        m_entries.push_back(noteListText(r->key()));
        m_values.push_back(m_kind == NoteValueKind::DelayGate ? std::array<std::uint8_t, 2>{r->delay(), r->gate()}
                                                               : std::array<std::uint8_t, 2>{r->velocity(), 0});
    }
    for (int i = 0; i < fieldCount(); ++i) {
        const std::uint8_t shared = m_values.front()[std::size_t(i)];
        bool same = true;
        for (const auto& v : m_values) same = same && v[std::size_t(i)] == shared;
        if (same) m_fields[std::size_t(i)] = std::to_string(shared);
    }
}

void GateVelocityForm::setField(int i, std::string text) {
    if (i >= 0 && i < fieldCount() && m_fieldsEnabled) m_fields[std::size_t(i)] = std::move(text);
}

void GateVelocityForm::setChecked(bool checked) {
    if (m_checkEnabled) m_checked = checked;
}

std::optional<int> GateVelocityForm::number(int i) const { return parseNumber(m_fields[std::size_t(i)]); }

bool GateVelocityForm::fieldsValid(const char* sumMessage) const {
    const char* refusal = nullptr;
    if (m_kind == NoteValueKind::Velocity) {
        const auto velocity = number(0);
        if (velocity && (*velocity == 0 || *velocity > kMaxVelocity)) refusal = kVelocityRangeMessage;
    } else {
        const auto delay = number(0);
        const auto gate = number(1);
        // A lone field is held to what it can reach with any value of the other one.
        if (delay && gate && *delay + *gate > kMaxDelayGateSum) refusal = sumMessage;
        else if (gate && (*gate == 0 || *gate > kMaxDelayGateSum)) refusal = kGateRangeMessage;
        else if (delay && *delay >= kMaxDelayGateSum) refusal = sumMessage;
    }
    if (refusal) platform::messageBox().show(refusal);
    return refusal == nullptr;
}

void GateVelocityForm::takeFields(int note) {
    for (int i = 0; i < fieldCount(); ++i)
        if (const auto value = number(i)) m_values[std::size_t(note)][std::size_t(i)] = std::uint8_t(*value);
}

void GateVelocityForm::showValues(int note) {
    for (int i = 0; i < fieldCount(); ++i)
        m_fields[std::size_t(i)] = std::to_string(m_values[std::size_t(note)][std::size_t(i)]);
}

bool GateVelocityForm::chooseNote(int index) {
    if (!isListEnabled() || index < 0 || index >= int(m_values.size())) return false;
    if (index == m_chosen) return true;
    if (m_chosen != kNoNote) {
        const char* sumMessage = m_kind == NoteValueKind::DelayGate ? kDelayGateSumOnChoiceMessage : nullptr;
        if (!fieldsValid(sumMessage)) return false;
        takeFields(m_chosen);
    }
    m_chosen = index;
    showValues(index);
    return true;
}

std::optional<EntryRequest> GateVelocityForm::ok() {
    if (!m_okEnabled || !fieldsValid(kDelayGateSumMessage)) return std::nullopt;
    // With a range every note takes the fields; else each note its own values, last note first.
    std::vector<std::array<std::uint8_t, 2>> values;
    if (m_range) {
        std::array<std::uint8_t, 2> fields{kKeep, kKeep};
        for (int i = 0; i < fieldCount(); ++i) fields[std::size_t(i)] = number(i) ? std::uint8_t(*number(i)) : kKeep;
        values.push_back(fields);
    } else {
        if (m_checked) {
            if (m_chosen != kNoNote) takeFields(m_chosen);
        } else {
            for (int note = 0; note < int(m_values.size()); ++note) takeFields(note);
        }
        values.assign(m_values.begin(), m_values.end());
    }
    if (m_kind == NoteValueKind::Velocity) {
        entry::SetVelocities velocities;
        for (const auto& v : values) velocities.values.push_back(v[0]);
        return velocities;
    }
    entry::SetDelayGates pairs;
    for (const auto& v : values) pairs.pairs.push_back({v[0], v[1]});
    return pairs;
}

}  // namespace plume
