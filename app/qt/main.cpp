// plume: the editor. `plume [SONG.PLM | PROJECT.PRJ] [-t] [-e]`
#include <QApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QLocale>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>
#include <QTranslator>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/qt/main_frame.h"
#include "app/qt/plm_app.h"
#include "app/qt/tool_icons.h"
#include "app/startup_options.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/profile.h"
#include "score/qt/plm_view_widget.h"
#include "voice/wav_file_driver.h"
#include "voice/wave_file.h"

namespace {

int envInt(const char* name, int fallback) {
    const char* value = std::getenv(name);
    return value ? std::atoi(value) : fallback;
}

// For looking at the editor without a person at the screen (e.g. under Xvfb):
//   PLUME_SCREENSHOT=FILE.png   save the screen (or the main window) after PLUME_SCREENSHOT_DELAY ms
//                               (1500), then quit;
//   PLUME_SCREENSHOT_COMMAND=ID run a menu command first (a dialog stays open for the picture);
//   PLUME_SCREENSHOT_MENU=N     open menu N (0 = "ファイル") for the picture;
//   PLUME_TYPE_KEYS=TEXT        type the letters, digits and spaces of TEXT into the active score;
//   PLUME_MESSAGES=stderr       write messages to stderr and answer them with their first button;
//   PLUME_WAV_INPUT=FILE.wav    record from FILE at the card's pace instead of from the sound card;
//   PLUME_COMMANDS=ID@MS,...    run menu commands MS milliseconds after the start, in that order.
void runCommandAt(plume::CMainFrame& frame, int command, int ms) {
    QTimer::singleShot(ms, &frame, [&frame, command] { frame.runCommand(command); });
}

void runCommandsLater(plume::CMainFrame& frame) {
    const char* list = std::getenv("PLUME_COMMANDS");
    if (!list) return;
    std::istringstream items(list);
    std::string item;
    while (std::getline(items, item, ',')) {
        const auto at = item.find('@');
        const int command = std::atoi(item.substr(0, at).c_str());
        const int ms = at == std::string::npos ? 0 : std::atoi(item.substr(at + 1).c_str());
        runCommandAt(frame, command, ms);
    }
}

void recordFromWavFile() {
    const char* file = std::getenv("PLUME_WAV_INPUT");
    if (!file) return;
    plume::voice::WavData wav = plume::voice::readCaptureWav(file);
    if (!wav.ok()) {
        std::fprintf(stderr, "PLUME_WAV_INPUT: %s: %s\n", file, std::string(plume::voice::wavStatusText(wav.status)).c_str());
        return;
    }
    static const plume::platform::SteadyClock clock;
    plume::CMainFrame::setWaveDriver(std::make_unique<plume::voice::WavFileDriver>(std::move(wav.samples), clock));
}

void typeKeys(plume::CMainFrame& frame) {
    const char* text = std::getenv("PLUME_TYPE_KEYS");
    if (!text) return;
    QTimer::singleShot(0, &frame, [&frame, keys = std::string(text)] {
        plume::CPlmView* view = frame.activeView();
        if (!view) return;
        for (const char c : keys) {
            const int key = c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(QChar(c)));
            QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(QChar(c)));
            QCoreApplication::sendEvent(view, &press);
            QCoreApplication::sendEvent(view, &release);
        }
    });
}

void scheduleScreenshot(plume::CPlmApp& app) {
    const char* file = std::getenv("PLUME_SCREENSHOT");
    if (!file) return;
    const int delay = envInt("PLUME_SCREENSHOT_DELAY", 1500);
    plume::CMainFrame& frame = app.frame();
    if (const int command = envInt("PLUME_SCREENSHOT_COMMAND", 0)) runCommandAt(frame, command, delay / 3);
    if (const int menu = envInt("PLUME_SCREENSHOT_MENU", -1); menu >= 0)
        QTimer::singleShot(delay / 2, &frame, [&frame, menu] {
            const auto actions = frame.menuBar()->actions();
            if (menu < actions.size()) frame.menuBar()->setActiveAction(actions[menu]);
        });
    const QString path = QString::fromLocal8Bit(file);
    QTimer::singleShot(delay, &frame, [&frame, path] {
        const QPixmap screen = QGuiApplication::platformName() == QLatin1String("xcb")
                                   ? QGuiApplication::primaryScreen()->grabWindow(0)
                                   : frame.grab();
        screen.save(path);
        QApplication::exit(0);
    });
}

}  // namespace

int main(int argc, char** argv) {
    QApplication qt(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Plume"));
    // the icon and desktop entry that an install puts in the XDG places
    QApplication::setDesktopFileName(QStringLiteral("plume"));
    // (before an install, our own drawing: windows without an icon of their own would show Qt's)
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("plume"), plume::appIcon()));
    // The standard dialogs (files, colours, the message boxes' buttons) speak Japanese like the rest.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);
    const std::vector<std::string> args(argv + 1, argv + argc);

    plume::platform::StderrMessageBox toStderr;
    recordFromWavFile();
    plume::CPlmApp app;
    if (const char* messages = std::getenv("PLUME_MESSAGES"); messages && std::string(messages) == "stderr")
        plume::platform::installMessageBox(&toStderr);
    app.startUp(plume::parseStartupOptions(args));
    // Modified songs are copied every two minutes (PLUME_RECOVERY_INTERVAL ms) for after a crash.
    app.startRecovery(plume::platform::dataFolder() / "recovery", std::max(envInt("PLUME_RECOVERY_INTERVAL", 120000), 50));
    typeKeys(app.frame());
    runCommandsLater(app.frame());
    scheduleScreenshot(app);
    return QApplication::exec();
}
