#pragma once
// The gate-time window ("ﾃﾞｨﾚｰ", "ｹﾞｰﾄｵﾝ") and the velocity window ("ﾍﾞﾛｼﾃｨｰ"): the notes of
// the cursor group listed last record first, the values they share, the check box "音を指定する"
// that lets one note be chosen, and the list of values "OK" sends to the view.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/entry_request.h"
#include "song/song_record.h"

namespace plume {

inline constexpr const char* kDelayGateSumMessage = "ﾃﾞｨﾚｰ + ｹﾞｰﾄｵﾝ が 100 以下で設定してください。";
inline constexpr const char* kDelayGateSumOnChoiceMessage = "ﾃﾞｨﾚｰ + ｹﾞｰﾄﾀｲﾑ が 100 以下で設定してください。";
inline constexpr const char* kGateRangeMessage = "ｹﾞｰﾄｵﾝは、1～100で設定してください。";
inline constexpr const char* kVelocityRangeMessage = "1～127 で設定してください。";
inline constexpr std::size_t kValueFormMaxNotes = 10;

// "C", "C# Db", .. "B" for the pitch class of a key.
std::string_view pitchClassName(int key);
// A note as the palettes list it: "%3d-%s" with the key number and its pitch-class name.
std::string noteListText(int key);

enum class NoteValueKind { DelayGate, Velocity };

class GateVelocityForm {
public:
    static constexpr int kNoNote = -1;

    explicit GateVelocityForm(NoteValueKind kind);

    NoteValueKind kind() const { return m_kind; }
    // 2 fields (delay, gate) or 1 (velocity).
    int fieldCount() const { return m_kind == NoteValueKind::DelayGate ? 2 : 1; }

    // The score view placed its caret: `group` holds the cursor group's records (empty at the end
    // of the song).
    void refresh(Records group, bool atEnd, bool hasRange);

    // What the window shows.
    const std::vector<std::string>& listEntries() const { return m_entries; }
    bool isListEnabled() const { return m_listEnabled && m_checked; }
    bool isCheckEnabled() const { return m_checkEnabled; }
    bool isChecked() const { return m_checked; }
    bool areFieldsEnabled() const { return m_fieldsEnabled; }
    bool isOkEnabled() const { return m_okEnabled; }
    const std::string& field(int i) const { return m_fields[std::size_t(i)]; }
    int chosenNote() const { return m_chosen; }
    // The stored values of note i in list order: (delay, gate) or (velocity, unused).
    std::array<std::uint8_t, 2> storedValues(int i) const { return m_values[std::size_t(i)]; }

    // The user's input. A field holds a number when its text is digits only (spaces around them
    // allowed); any other text counts as empty.
    void setField(int i, std::string text);
    void setChecked(bool checked);
    // Another note chosen in the list: the fields' values are kept for the note chosen before
    // (after the same checks as "OK"); on a refusal the message is shown, the choice stays and
    // false is returned. Then the fields show the new note's values.
    bool chooseNote(int index);
    // "OK": kSetDelayGate or kSetVelocity for the main frame, or nothing after a message.
    std::optional<EntryRequest> ok();

private:
    std::optional<int> number(int i) const;
    // Shows the message and returns false when the fields may not be taken.
    bool fieldsValid(const char* sumMessage) const;
    void takeFields(int note);
    void showValues(int note);
    void clearAll();

    NoteValueKind m_kind;
    bool m_range = false;
    bool m_listEnabled = false;
    bool m_checkEnabled = false;
    bool m_checked = false;
    bool m_fieldsEnabled = false;
    bool m_okEnabled = false;
    int m_chosen = kNoNote;
    std::array<std::string, 2> m_fields;
    std::vector<std::string> m_entries;
    std::vector<std::array<std::uint8_t, 2>> m_values;
};

}  // namespace plume
