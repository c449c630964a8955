#pragma once
// "Plume-コード判別": the three candidate lists of a selected range, the audition of a chosen chord
// beside the written notes, and "PLAY" of the range as written.

#include <QDialog>
#include <functional>

#include "score/chord_identify.h"

class QListWidget;
class QPushButton;
class QSlider;

namespace plume {

// What the dialog plays through: the frame's sequencer, with the dialog as the receiver of the
// end of play.
class AuditionPlayer {
public:
    virtual ~AuditionPlayer() = default;
    // Resets the playing state, fills the channels as asked and opens the device; `ended` is called
    // once when the play ends by itself. False when nothing plays (a message was shown).
    virtual bool startAudition(const AuditionPlay& play, std::function<void()> ended) = 0;
    // Stops an audition that plays; `ended` is not called.
    virtual void stopAudition() = 0;
};

class ChordDialog : public QDialog {
    Q_OBJECT

public:
    // `song` stays unchanged while the dialog is open.
    ChordDialog(Records song, const SongInfo& info, ChordRange range, AuditionPlayer& player,
                QWidget* parent = nullptr);
    // An audition still playing is stopped.
    ~ChordDialog() override;

    const ChordCandidates& candidates() const { return m_candidates; }
    QListWidget* list(int rank) const { return m_lists[std::size_t(rank)]; }
    QPushButton* playButton() const { return m_play; }
    QPushButton* stopButton() const { return m_stop; }
    QPushButton* okButton() const { return m_ok; }
    QSlider* volumeSlider() const { return m_volume; }
    bool playing() const { return m_playing; }
    // The buffer of the last chord auditioned.
    Records auditionRecords() const { return m_audition.played(); }

    // A double-clicked name; ignored while playing.
    void auditionChord(const std::string& name);
    // "PLAY"; ignored while playing.
    void playRange();
    // "Stop".
    void stop();

private:
    void start(const AuditionPlay& play);

    Records m_song;
    SongInfo m_info;
    ChordRange m_range;
    AuditionPlayer& m_player;
    ChordCandidates m_candidates;
    ChordAudition m_audition;
    bool m_playing = false;
    std::array<QListWidget*, 3> m_lists{};
    QPushButton* m_play = nullptr;
    QPushButton* m_stop = nullptr;
    QPushButton* m_ok = nullptr;
    QSlider* m_volume = nullptr;
};

// "コード判別" on the view's range; the command's enabling rule is canIdentifyChords().
void showChordDialog(QWidget* parent, Records song, const SongInfo& info, const RecordRange& range,
                     AuditionPlayer& player);

}  // namespace plume
