#pragma once
// The hum-to-score window "Vokato－採譜データ": record with live analysis, edit the transcription,
// play it through the frame, and transfer it into the song it was opened on.

#include <QWidget>
#include <functional>
#include <map>
#include <memory>

#include "voice/vokato.h"
#include "voice/voice_detector.h"

class QAction;
class QTimer;
class QToolBar;

namespace plume {
class CPlmDoc;
class ScoreView;
}  // namespace plume

namespace plume::voice {

// What the frame does for the window: playing records, and knowing whether it plays.
class VokatoPlayer {
public:
    virtual ~VokatoPlayer() = default;
    // Plays the notes on channel 0 (9 for a rhythm song) at the song's tempo; false when playback
    // cannot start. The end comes back through CVokato::playEnded.
    virtual bool playNotes(std::span<const SongRecord> notes, const SongInfo& info) = 0;
    virtual void stopPlaying() = 0;
};

class CVokato : public QWidget, private WaveOwner {
public:
    CVokato(QWidget* parent, WaveDriver& driver, CPlmDoc& document, ScoreView& view, const SongInfo& info,
            VokatoPlayer* player);
    ~CVokato() override;

    // False when the buffers could not be had: the window must not be shown.
    bool isReady() { return m_detector.IsReady(); }
    VokatoState state() const { return m_state; }
    const VokatoNotes& notes() const { return m_notes; }
    CVoiceDetector& detector() { return m_detector; }
    QToolBar* toolBar() const { return m_toolBar; }
    QAction* action(int command) const { return m_actions.at(command); }

    // Commands 700-713.
    void command(int id);
    void setContext(const VokatoContext& context);
    // The frame's play-end notification.
    void playEnded();
    // With notes, asks "採譜データが失われまが、よろしいですか？"; false keeps the window.
    bool confirmClose();
    // Called after a transfer: the window is done.
    std::function<void()> onFinished;

protected:
    void paintEvent(QPaintEvent*) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void waveInputDone(std::uint32_t bytesRecorded) override;
    void record();
    void stop();
    void liveAnalysis();
    void rebuild();
    void updateActions();

    CVoiceDetector m_detector;
    CPlmDoc& m_document;
    ScoreView& m_view;
    SongInfo m_info;
    VokatoPlayer* m_player;
    VokatoNotes m_notes;
    VokatoContext m_context;
    VokatoState m_state = VokatoState::Idle;
    bool m_insertMode = true;
    std::size_t m_firstVisible = 0;
    QTimer* m_live;   // timer 22
    QTimer* m_poll;   // the device's notifications
    QToolBar* m_toolBar;
    std::map<int, QAction*> m_actions;
};

// Creates the window over `parent` (null when its buffers cannot be had: nothing is shown).
CVokato* openVokato(QWidget* parent, WaveDriver& driver, CPlmDoc& document, ScoreView& view, const SongInfo& info,
                    VokatoPlayer* player);

}  // namespace plume::voice
