#pragma once
// The drum palette window ("ﾄﾞﾗﾑパレット"): the user's drum sounds, "OK" entering the selected ones
// as one group, "AC" clearing the selection and "Setup" opening the rhythm-instrument dialog
// ("リズム楽器の選択") that edits the list and plays a sound as a test.

#include <QDialog>
#include <functional>

#include "app/drum_palette_logic.h"
#include "app/qt/palette_window.h"
#include "play/qt/instrument_dialogs.h"

class QListWidget;
class QPushButton;

namespace plume {

namespace platform {
class Profile;
}

class RhythmInstrumentDialog : public QDialog {
    Q_OBJECT

public:
    RhythmInstrumentDialog(const SongInfo& settings, const DrumPalette& palette, int tempo, TestPlayer& player,
                           QWidget* parent = nullptr);
    ~RhythmInstrumentDialog() override;  // a test still playing is stopped

    const RhythmInstrumentSelection& selection() const { return m_selection; }
    QListWidget* setList() const { return m_sets; }
    QListWidget* soundList() const { return m_sounds; }
    QListWidget* paletteList() const { return m_entries; }
    QListWidget* lengthList() const { return m_lengths; }
    QPushButton* registerButton() const { return m_register; }
    QPushButton* removeButton() const { return m_remove; }
    QPushButton* clearButton() const { return m_clear; }
    QPushButton* playButton() const { return m_play; }
    QPushButton* stopButton() const { return m_stop; }

public Q_SLOTS:
    void reject() override;  // refused while a test plays

private:
    void fillSounds();
    void fillEntries();
    void showButtons();
    void play();
    void stop();

    RhythmInstrumentSelection m_selection;
    TestPlayer& m_player;
    QListWidget* m_sets = nullptr;
    QListWidget* m_sounds = nullptr;
    QListWidget* m_entries = nullptr;
    QListWidget* m_lengths = nullptr;
    QPushButton* m_register = nullptr;
    QPushButton* m_remove = nullptr;
    QPushButton* m_clear = nullptr;
    QPushButton* m_play = nullptr;
    QPushButton* m_stop = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

// What the palette needs from the frame.
struct DrumPaletteHooks {
    std::function<void(const EntryRequest&)> post;  // the entry request, relayed as the frame relays the others
    std::function<SongInfo()> songSettings;          // the settings the setup dialog works on
    std::function<int()> tempo;                      // the test play's tempo
    TestPlayer* player = nullptr;
};

class DrumPaletteWindow : public PaletteWindow {
    Q_OBJECT

public:
    // The palette is read from and written back to `profile` ("User Drum"); `module` names its entries.
    DrumPaletteWindow(QWidget* frame, int showCommand, platform::Profile& profile, int module, DrumPaletteHooks hooks);

    const DrumPalette& palette() const { return m_palette; }
    QListWidget* list() const { return m_list; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* setupButton() const { return m_setup; }
    QPushButton* clearButton() const { return m_clear; }
    // "Setup": the dialog on a copy of the palette; OK replaces it and saves it.
    void setup();
    // Names the entries after `module`; the entries and their selection stay.
    void setModule(int module);

private:
    void fill();
    void enter();

    platform::Profile& m_profile;
    DrumPaletteHooks m_hooks;
    DrumPalette m_palette;
    QListWidget* m_list = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_setup = nullptr;
    QPushButton* m_clear = nullptr;
};

// The palette for the frame's show command 32894, hidden until shown.
DrumPaletteWindow* createDrumPalette(QWidget* frame, platform::Profile& profile, int module, DrumPaletteHooks hooks);

}  // namespace plume
