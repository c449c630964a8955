#pragma once
// The chord palette window: 27 tool buttons, nine to a row (roots, root accidentals, qualities,
// inversions, "Enter"), and a line that names the chord and its tones as they will be written.

#include <QMap>
#include <string>

#include "app/chord_builder.h"
#include "app/qt/palette_window.h"

class QLabel;
class QToolButton;

namespace plume {

class CMainFrame;
class GlyphSet;

class ChordPaletteWindow : public PaletteWindow {
    Q_OBJECT

public:
    ChordPaletteWindow(CMainFrame& frame, const GlyphSet& glyphs);

    QToolButton* button(int id) const { return m_buttons.value(id); }
    const ChordPalette& chord() const { return m_chord; }
    QLabel* chordLabel() const { return m_label; }

protected:
    void placeFirst() override;

private:
    void press(int id);
    void sync();

    CMainFrame& m_frame;
    ChordPalette m_chord;
    QMap<int, QToolButton*> m_buttons;
    QLabel* m_label = nullptr;
};

// The button text of quality 0..14 ("" for the major triad, "7", "M7", .. "m7-5").
std::string chordQualityName(int quality);
// "D", "F♯m7", "B♭M7".
std::string chordName(int root, int rootAccidental, int quality);
// A chord tone as written: its letter, accidental and octave (key 60 is C4): "F♯4", "C♭5", "G♯♯4".
std::string chordToneName(const ChordTone& tone);

}  // namespace plume
