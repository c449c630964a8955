#pragma once
// The frame's side of the hum-to-score window: "Vokatoをつかう" opens it over the active song and
// closes it again, commands 700-713 reach it, the palettes' requests edit its note list while it is
// open, and it plays through the frame's player.

#include <QObject>
#include <QPointer>
#include <cstdint>

#include "app/entry_request.h"
#include "voice/feedback_sound.h"
#include "voice/qt/vokato_window.h"

class QWidget;

namespace plume {

class CMainFrame;
class CPlmChildWnd;
struct FrameState;

namespace voice {
class WaveDriver;
}

class VokatoHost final : public QObject, private voice::VokatoPlayer {
    Q_OBJECT

public:
    VokatoHost(CMainFrame& frame, voice::WaveDriver& driver, voice::FeedbackSounds& sounds);
    ~VokatoHost() override;

    bool isOpen() const { return m_window != nullptr; }
    voice::CVokato* window() const { return m_vokato; }
    // 32881: opens the window over the active song, or closes it after its question.
    void toggle();
    // Closes the window; false when the user keeps it.
    bool close();
    void command(int id);
    // The open window's enabling and check marks of 700-713, as bits from 700 up.
    void fillState(FrameState& state) const;
    // A palette's request; false when the window does not take it.
    bool receive(const EntryRequest& request);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool play(const AuditionPlay& play) override;
    void stopPlaying() override;
    void playSound(std::string_view sound) override;
    bool insertMode() const override;
    void toggleInsertMode() override;
    void finished();

    CMainFrame& m_frame;
    voice::WaveDriver& m_driver;
    voice::FeedbackSounds& m_sounds;  // "stick.wav" of the count-in
    QPointer<QWidget> m_window;
    voice::CVokato* m_vokato = nullptr;
    QPointer<CPlmChildWnd> m_song;
};

}  // namespace plume
