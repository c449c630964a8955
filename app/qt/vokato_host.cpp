#include "app/qt/vokato_host.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QVBoxLayout>
#include <QStyle>

#include "app/frame_commands.h"
#include "app/qt/main_frame.h"
#include "app/qt/play_controller.h"
#include "app/qt/plm_child_wnd.h"
#include "app/vokato_entry.h"
#include "score/qt/plm_view_widget.h"
#include "song/plm_doc.h"
#include "voice/qt/trainer_dialogs.h"

namespace plume {

VokatoHost::VokatoHost(CMainFrame& frame, voice::WaveDriver& driver, voice::FeedbackSounds& sounds)
    : m_frame(frame), m_driver(driver), m_sounds(sounds) {}

VokatoHost::~VokatoHost() {
    if (m_window) delete m_window.data();
}

void VokatoHost::toggle() {
    if (isOpen()) {
        close();
        return;
    }
    CPlmChildWnd* song = m_frame.activeChild();
    if (!song) return;
    CPlmDoc& document = song->document();
    auto* vokato = voice::openVokato(nullptr, m_driver, document, song->view().logic(), document.songInfo(), this);
    if (!vokato) return;
    if (const ClipboardBlock* copied = m_frame.clipboard().block())
        vokato->setCopiedRange(voice::copiedRangeOf(copied->records), copied->info);
    vokato->onFinished = [this] { finished(); };
    vokato->onChanged = [this] { m_frame.updateCommands(); };
    // A tool window over the top left of the client area, as wide as it less one frame: the song
    // window stays the active one, so the frame's commands and the transfer target stay with it.
    auto* window = new QWidget(&m_frame, Qt::Tool);
    window->setWindowTitle(vokato->windowTitle());
    window->setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(vokato);
    QMdiArea& area = *m_frame.mdiArea();
    const int frameWidth = m_frame.style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    window->setGeometry(QRect(area.viewport()->mapToGlobal(QPoint(0, 0)),
                              QSize(area.viewport()->width() - frameWidth, vokato->height())));
    connect(window, &QObject::destroyed, this, [this] {
        m_vokato = nullptr;
        m_frame.setVokatoDocument(nullptr);
        m_frame.updateCommands();
    });
    window->installEventFilter(this);
    m_window = window;
    m_vokato = vokato;
    m_song = song;
    m_frame.setVokatoDocument(&document);
    window->show();
    m_frame.updateCommands();
}

bool VokatoHost::close() {
    if (!isOpen()) return true;
    if (!m_vokato->confirmClose()) return false;
    delete m_window.data();
    return true;
}

bool VokatoHost::eventFilter(QObject* watched, QEvent* event) {
    // The window's own close button asks as the menu does.
    if (watched == m_window && event->type() == QEvent::Close && m_vokato && !m_vokato->confirmClose()) {
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void VokatoHost::finished() {
    if (m_song) m_song->view().songChanged();
    // The window goes once its command has returned.
    m_window->deleteLater();
    m_window = nullptr;
}

void VokatoHost::command(int id) {
    if (m_vokato) m_vokato->command(id);
}

void VokatoHost::fillState(FrameState& state) const {
    state.vokatoMode = isOpen();
    state.vokatoEnabled = 0;
    state.vokatoChecked = 0;
    if (!m_vokato) return;
    m_vokato->setFrameState(state.playing, state.clipboardFull);
    for (int id = cmd::kVokatoAdjust; id <= cmd::kVokatoTransfer; ++id) {
        const auto bit = std::uint16_t(1u << (id - cmd::kVokatoAdjust));
        if (m_vokato->enabled(id)) state.vokatoEnabled |= bit;
        if (m_vokato->checked(id).value_or(false)) state.vokatoChecked |= bit;
    }
}

bool VokatoHost::receive(const EntryRequest& request) {
    if (!m_vokato) return false;
    EntrySettings settings = m_frame.entrySettings();
    const SongInfo info = m_song ? m_song->document().songInfo() : SongInfo::defaults();
    return m_vokato->edit([&](voice::VokatoNotes& notes) { return applyEntryToVokato(notes, request, settings, info); });
}

bool VokatoHost::play(const AuditionPlay& play) {
    return m_frame.player().startAudition(play, [this] {
        if (m_vokato) m_vokato->playEnded();
    });
}

void VokatoHost::stopPlaying() { m_frame.player().stopAudition(); }

void VokatoHost::playSound(std::string_view sound) { m_sounds.start(sound); }

bool VokatoHost::insertMode() const { return m_frame.insertMode(); }

void VokatoHost::toggleInsertMode() { m_frame.runCommand(cmd::kInsertSwitch); }

}  // namespace plume
