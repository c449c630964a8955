#pragma once
// The instrument dialogs over their rules (instrument_selection.h): "メロディー楽器の選択" with its
// test play, and "ドラムセット".

#include <QDialog>
#include <functional>

#include "play/instrument_selection.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace plume {

// What "Play" and "Stop" play through: the frame's sequencer.
class TestPlayer {
public:
    virtual ~TestPlayer() = default;
    // Starts the test; `ended` is called once when it ends by itself (the end of play reached the
    // dialog). False when nothing plays (the device could not be opened: the message was shown).
    virtual bool startTest(const TestPlay& play, std::function<void()> ended) = 0;
    // Stops a test that plays; `ended` is not called.
    virtual void stopTest() = 0;
};

class MelodyInstrumentDialog : public QDialog {
    Q_OBJECT

public:
    MelodyInstrumentDialog(Tone current, int tempo, TestPlayer& player, QWidget* parent = nullptr);
    // A test still playing is stopped.
    ~MelodyInstrumentDialog() override;

    // After OK.
    MelodyInstrumentSelection::Result result() const { return m_selection.accept(); }
    const MelodyInstrumentSelection& selection() const { return m_selection; }

    QAbstractButton* familyButton(int family) const;
    QListWidget* toneList() const { return m_tones; }
    QListWidget* lengthList() const { return m_lengths; }
    QSpinBox* shiftField() const { return m_shift; }
    QPushButton* playButton() const { return m_play; }
    QPushButton* stopButton() const { return m_stop; }
    QCheckBox* removeBox() const { return m_remove; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

public Q_SLOTS:
    void accept() override;
    // Refused while a test plays, as the buttons say.
    void reject() override;

private:
    void familyChosen(int family);
    void listTones();
    void play();
    void stop();
    void testEnded();
    void showButtons();

    MelodyInstrumentSelection m_selection;
    TestPlayer& m_player;
    QButtonGroup* m_families = nullptr;
    QListWidget* m_tones = nullptr;
    QListWidget* m_lengths = nullptr;
    QSpinBox* m_shift = nullptr;
    QPushButton* m_play = nullptr;
    QPushButton* m_stop = nullptr;
    QCheckBox* m_remove = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

class DrumSetDialog : public QDialog {
    Q_OBJECT

public:
    explicit DrumSetDialog(const SongInfo& info, QWidget* parent = nullptr);

    // After OK: the changed copy of the settings.
    DrumSetSelection::Result result() const { return m_selection.accept(); }
    QListWidget* setList() const { return m_sets; }
    QCheckBox* removeBox() const { return m_remove; }

private:
    DrumSetSelection m_selection;
    QListWidget* m_sets = nullptr;
    QCheckBox* m_remove = nullptr;
};

}  // namespace plume
