#pragma once
// The numeric input bar "数値入力": an area field "範囲(&A)" and a note field "音(&N)". Return
// takes the typed notes; Shift+Space at the end of the note field, or Escape, hides the bar and
// hands the focus back to the score.

#include <QDockWidget>
#include <functional>
#include <vector>

#include "score/numeric_input.h"

class QLineEdit;

namespace plume {

class NumericInputWidget : public QDockWidget {
    Q_OBJECT

public:
    using EntryHandler = std::function<void(const std::vector<NoteName>&)>;

    NumericInputWidget(platform::Profile& profile, QWidget* parent = nullptr);

    // Receives the notes of each entry that reads without fault.
    void setEntryHandler(EntryHandler handler) { m_onEntry = std::move(handler); }
    // Shows the bar with `text` in the note field and the focus after it.
    void openWith(const QString& text);

    QLineEdit* areaField() const { return m_area; }
    QLineEdit* notesField() const { return m_notes; }
    const NumericInput& logic() const { return m_logic; }

Q_SIGNALS:
    // Shift+Space at the end or Escape: the frame hides the bar and gives the keyboard back to the song.
    void dismissed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void areaEdited(const QString& text);
    void notesEdited(const QString& text);
    void take();

    NumericInput m_logic;
    QLineEdit* m_area;
    QLineEdit* m_notes;
    EntryHandler m_onEntry;
};

}  // namespace plume
