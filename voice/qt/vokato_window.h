#pragma once
// The hum-to-score window "Vokato－採譜データ": record with live analysis, edit the transcription,
// play it through the frame, and transfer it into the song it was opened on.

#include <QWidget>
#include <functional>
#include <memory>

#include "voice/vokato.h"
#include "voice/voice_detector.h"

class QLabel;
class QScrollBar;
class QTimer;

namespace plume {
class CPlmDoc;
class ScoreView;
}  // namespace plume

namespace plume::voice {

// What the frame does for the window: playing records through its player.
class VokatoPlayer {
public:
    virtual ~VokatoPlayer() = default;
    // Stops what the frame plays, then plays the channels; false when playback cannot start. The
    // end comes back through CVokato::playEnded.
    virtual bool play(const AuditionPlay& play) = 0;
    virtual void stopPlaying() = 0;
    // A feedback sound ("stick.wav" for the count-in), not waited for.
    virtual void playSound(std::string_view) {}
    // The insert mode the song windows share, which the Insert key also switches here.
    virtual bool insertMode() const = 0;
    virtual void toggleInsertMode() = 0;
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
    // The copied range taken from the frame's clipboard when the window opened.
    void setCopiedRange(std::vector<SongRecord> records, const SongInfo& info);

    // Commands 700-713, carried out when enabled.
    void command(int id);
    bool enabled(int id) const { return vokatoEnabled(id, m_state, m_notes, m_context); }
    std::optional<bool> checked(int id) const { return vokatoChecked(id, m_context); }
    // What the rules read from the frame (its flags 707 and 708 are kept here).
    void setFrameState(bool playing, bool clipboardHasData);
    // An edit of the note list from the frame's palettes; false when it changed nothing.
    bool edit(const std::function<bool(VokatoNotes&)>& change);
    // The frame's insert mode; the window's own when it has no frame.
    bool insertMode() const { return m_player ? m_player->insertMode() : m_insertMode; }
    // The frame's play-end notification.
    void playEnded();
    // With notes, asks "採譜データが失われまが、よろしいですか？"; false keeps the window.
    bool confirmClose();
    // Called after a transfer: the window is done.
    std::function<void()> onFinished;
    // Called after the state, the note list or a flag changed: the frame's commands follow.
    std::function<void()> onChanged;
    QScrollBar* scrollBar() const { return m_scroll; }

protected:
    void paintEvent(QPaintEvent*) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void waveInputDone(std::uint32_t bytesRecorded) override;
    bool startTake();
    void record();
    void stop();
    void countIn();
    void countTick();
    void startCopiedPlay();
    void endCopiedPlay();
    void liveAnalysis();
    void rebuild();
    void changed();
    // The staff and the scroll bar after the note list changed.
    void followNotes();
    void syncScroll();

    CVoiceDetector m_detector;
    CPlmDoc& m_document;
    ScoreView& m_view;
    SongInfo m_info;
    VokatoPlayer* m_player;
    VokatoNotes m_notes;
    VokatoContext m_context;
    VokatoState m_state = VokatoState::Idle;
    std::vector<SongRecord> m_copied;
    SongInfo m_copiedInfo;
    bool m_withCopied = false;     // the take was recorded with the copied range
    bool m_recordPending = false;  // the copied range plays, the take has not started yet
    int m_count = 0;
    bool m_insertMode = true;
    std::size_t m_firstVisible = 0;
    bool m_bassStaff = false;  // most notes below middle C
    QTimer* m_live;     // timer 22
    QTimer* m_poll;     // the device's notifications
    QTimer* m_countIn;  // timer 10
    QTimer* m_startDelay;  // timer 20
    QLabel* m_countLabel;
    QScrollBar* m_scroll;  // the first visible group
};

// Creates the window over `parent` (null when its buffers cannot be had: nothing is shown).
CVokato* openVokato(QWidget* parent, WaveDriver& driver, CPlmDoc& document, ScoreView& view, const SongInfo& info,
                    VokatoPlayer* player);

}  // namespace plume::voice
