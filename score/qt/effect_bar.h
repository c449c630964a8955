#pragma once
// The song window's effect bar above the score: "効果", "音", "値", "効果削除", "関数" and
// "音符の間隔". It edits the cursor group of its view and says when the song or the zoom changed.

#include <QWidget>
#include <functional>
#include <string>

#include "score/effect_forms.h"

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace plume {

class EffectBar : public QWidget {
    Q_OBJECT

public:
    // `drumSoundName` names the keys of a rhythm song in the "音" list.
    EffectBar(CPlmDoc& doc, ScoreView& view, std::function<std::string(std::uint8_t)> drumSoundName = {},
              QWidget* parent = nullptr);

    // After the caret moved or the song changed: the "音" list and the value of the cursor group.
    void cursorChanged();
    int zoom() const;
    void setZoom(int zoom);
    // The name of the window's display, shown at the bar's right end.
    void setDisplayName(const char* name);
    // The chosen entry's effect number (kEffectBarEntries).
    std::uint8_t effectNumber() const;

    QComboBox* effectList() const { return m_effects; }
    QComboBox* noteList() const { return m_notes; }
    QSpinBox* valueField() const { return m_value; }
    QPushButton* deleteButton() const { return m_delete; }
    QPushButton* functionButton() const { return m_function; }
    QComboBox* zoomList() const { return m_zoom; }

Q_SIGNALS:
    void songChanged();
    void zoomChanged(int zoom);
    // "関数": the owner opens the function sheet for the chosen effect (showFunctionSheet).
    void functionRequested(std::uint8_t number);

private:
    std::size_t group() const;
    void valueEntered(int value);
    void removeEffect();

    CPlmDoc& m_doc;
    ScoreView& m_view;
    std::function<std::string(std::uint8_t)> m_drumSoundName;
    QComboBox* m_effects = nullptr;
    QComboBox* m_notes = nullptr;
    QSpinBox* m_value = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_function = nullptr;
    QComboBox* m_zoom = nullptr;
    QLabel* m_display = nullptr;
    bool m_syncing = false;
};

}  // namespace plume
