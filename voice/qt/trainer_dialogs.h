#pragma once
// The singing trainer's three modal dialogs, thin windows over EarTraining, SingingBasics and
// SingingPractice.

#include <QDialog>
#include <array>
#include <map>
#include <memory>
#include <vector>

#include "platform/file_dialog.h"
#include "platform/window_timers.h"
#include "voice/ear_training.h"
#include "voice/singing_basics.h"
#include "voice/singing_practice.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QScrollBar;
class QTimer;

namespace plume::voice {

class WaveformView;

// Window timers by id as Qt timers, for the logic classes.
class QtWindowTimers final : public platform::WindowTimers {
public:
    explicit QtWindowTimers(QObject* parent) : m_parent(parent) {}
    ~QtWindowTimers() override;
    void setTimer(platform::TimerTarget& target, int id, int ms) override;
    void killTimer(platform::TimerTarget& target, int id) override;

private:
    QObject* m_parent;
    std::map<int, QTimer*> m_timers;
};

// Where the feedback sounds are looked for: sounds/ beside the executable, then its ../share/plume/sounds.
std::vector<std::filesystem::path> trainerSoundFolders();

class EarTrainingDialog : public QDialog {
public:
    EarTrainingDialog(QWidget* parent, TrainerPlayer& player, FeedbackSounds& sounds,
                      RandomSource random = standardRandom());
    ~EarTrainingDialog() override;
    EarTraining& logic() { return m_logic; }
    QCheckBox* rangeBox(std::size_t i) const { return m_ranges.at(i); }
    QCheckBox* derivedBox() const { return m_derived; }
    QCheckBox* sharpBox() const { return m_sharp; }
    QPushButton* noteButton(char letter) const;
    QPushButton* askButton() const { return m_ask; }
    QPushButton* hintButton() const { return m_hint; }
    QPushButton* decideButton() const { return m_decide; }
    QLabel* answerLabel() const { return m_answer; }
    QLabel* correctLabel() const { return m_correct; }
    // "問題数", "正解数", "正解率" as shown.
    QString counters() const;

private:
    void refresh();

    TrainerPlayer& m_player;
    EarTraining m_logic;
    std::array<QCheckBox*, 3> m_ranges{};
    QCheckBox* m_derived;
    QCheckBox* m_sharp;
    std::array<QPushButton*, 7> m_notes{};
    QPushButton* m_ask;
    QPushButton* m_hint;
    QPushButton* m_decide;
    QPushButton* m_ok;
    QLabel* m_answer;
    QLabel* m_correct;
    std::array<QLabel*, 3> m_counters{};
};

class SingingBasicsDialog : public QDialog {
public:
    SingingBasicsDialog(QWidget* parent, WaveDriver& driver, TrainerPlayer& player, FeedbackSounds& sounds,
                        RandomSource random = standardRandom());
    ~SingingBasicsDialog() override;
    // False when the detector's buffer could not be had.
    bool isReady() const { return m_detector.IsReady(); }
    SingingBasics& logic() { return m_logic; }
    CVoiceDetector& detector() { return m_detector; }
    QPushButton* askButton() const { return m_ask; }
    QWidget* keyboard() const { return m_keyboard; }
    QPushButton* lowSelector() const { return m_low; }
    QPushButton* highSelector() const { return m_high; }
    QString counters() const;
    void accept() override;

private:
    void refresh();

    WaveDriver& m_driver;
    CVoiceDetector m_detector;
    QtWindowTimers m_timers;
    SingingBasics m_logic;
    QPushButton* m_ask;
    QPushButton* m_adjust;
    QPushButton* m_enrol;
    QLabel* m_own;
    QWidget* m_keyboard;
    QPushButton* m_low;
    QPushButton* m_high;
    QWidget* m_staff;
    QPushButton* m_ok;
    std::array<QLabel*, 3> m_counters{};
};

class SingingPracticeDialog : public QDialog {
public:
    SingingPracticeDialog(QWidget* parent, WaveDriver& driver, TrainerPlayer& player, FeedbackSounds& sounds,
                          platform::FileDialog& files, Records clipboard, const SongInfo& info);
    ~SingingPracticeDialog() override;
    bool isReady() const { return m_detector.IsReady(); }
    SingingPractice& logic() { return m_logic; }
    CVoiceDetector& detector() { return m_detector; }
    QPushButton* recButton() const { return m_rec; }
    QPushButton* stopButton() const { return m_stop; }
    QPushButton* playButton() const { return m_play; }
    QPushButton* reliefButton() const { return m_relief; }
    QPushButton* saveButton() const { return m_save; }
    QCheckBox* voiceOnlyBox() const { return m_voiceOnly; }
    QScrollBar* speedBar() const { return m_speed; }
    QScrollBar* octaveBar() const { return m_octave; }
    QScrollBar* semitoneBar() const { return m_semitone; }
    QLabel* speedLabel() const { return m_speedText; }
    QString counters() const;

private:
    void refresh();
    void moveTransposition(QScrollBar* bar, bool accepted, int kept);

    WaveDriver& m_driver;
    platform::FileDialog& m_files;
    CVoiceDetector m_detector;
    QtWindowTimers m_timers;
    SingingPractice m_logic;
    QPushButton* m_rec;
    QPushButton* m_stop;
    QPushButton* m_play;
    QPushButton* m_adjust;
    QPushButton* m_enrol;
    QPushButton* m_relief;
    QPushButton* m_save;
    QCheckBox* m_voiceOnly;
    QLabel* m_own;
    QLabel* m_count;
    QScrollBar* m_position;
    QScrollBar* m_speed;
    QScrollBar* m_octave;
    QScrollBar* m_semitone;
    QLabel* m_speedText;
    QLabel* m_octaveText;
    QLabel* m_semitoneText;
    QWidget* m_staves;
    WaveformView* m_wave;
    std::array<QLabel*, 3> m_counters{};
};

// The frame's commands. The two singing dialogs show "メモリ不足で起動できません。" and open
// nothing when their buffers cannot be had.
void showEarTrainingDialog(QWidget* parent, TrainerPlayer& player, FeedbackSounds& sounds);
void showSingingBasicsDialog(QWidget* parent, WaveDriver& driver, TrainerPlayer& player, FeedbackSounds& sounds);
void showSingingPracticeDialog(QWidget* parent, WaveDriver& driver, TrainerPlayer& player, FeedbackSounds& sounds,
                               platform::FileDialog& files, Records clipboard, const SongInfo& info);

}  // namespace plume::voice
