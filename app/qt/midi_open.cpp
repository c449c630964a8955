#include "app/qt/midi_open.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "app/qt/main_frame.h"
#include "app/qt/plm_app.h"
#include "import/midi_import.h"

namespace plume {

namespace {

std::filesystem::path pathOf(const QUrl& url) {
    const QByteArray utf8 = url.toLocalFile().toUtf8();
    return std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.constData()), std::size_t(utf8.size())));
}

bool opensHere(const std::filesystem::path& path) {
    std::string ext = path.extension().string();
    for (char& c : ext) c = char(std::toupper(static_cast<unsigned char>(c)));
    return isMidiFilePath(path) || ext == ".PLM";
}

class DropFilter final : public QObject {
public:
    explicit DropFilter(CMainFrame& frame) : QObject(&frame), m_frame(frame) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
            auto* drag = static_cast<QDropEvent*>(event);
            if (openable(drag->mimeData())) {
                drag->acceptProposedAction();
                return true;
            }
        } else if (event->type() == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            if (openable(drop->mimeData())) {
                drop->acceptProposedAction();
                for (const QUrl& url : drop->mimeData()->urls()) {
                    if (opensHere(pathOf(url))) openSongOrMidi(m_frame, pathOf(url));
                }
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    static bool openable(const QMimeData* data) {
        if (!data || !data->hasUrls()) return false;
        for (const QUrl& url : data->urls()) {
            if (url.isLocalFile() && opensHere(pathOf(url))) return true;
        }
        return false;
    }
    CMainFrame& m_frame;
};

}  // namespace

bool openSongOrMidi(CMainFrame& frame, const std::filesystem::path& path) {
    if (!isMidiFilePath(path)) return frame.openSongWindow(path, false);
    const MidiImportResult result = importMidiFile(path, {});
    if (!result.ok) return false;
    if (result.written.size() == 1) return frame.openSongWindow(result.opened, false);
    frame.app().project().open(result.opened);
    frame.projectChanged();
    return true;
}

void acceptDroppedFiles(CMainFrame& frame) {
    frame.setAcceptDrops(true);
    auto* filter = new DropFilter(frame);
    frame.installEventFilter(filter);
    // The MDI area and its viewport see the drag first.
    for (QWidget* child : frame.findChildren<QWidget*>()) {
        child->setAcceptDrops(true);
        child->installEventFilter(filter);
    }
}

}  // namespace plume
