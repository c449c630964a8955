#pragma once
// The editor offscreen: the application started on a song or project of the test's own folder, with
// a clean profile and scripted message boxes.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/qt/main_frame.h"
#include "app/qt/plm_app.h"
#include "app/qt/plm_child_wnd.h"
#include "platform/message_box.h"
#include "platform/profile.h"
#include "score/qt/plm_view_widget.h"
#include "song/plm_doc.h"
#include "support/qt_test_app.h"
#include "support/song_builder.h"
#include "support/temp_dir.h"

namespace plume::test {

// Status bar panes.
inline constexpr int kPaneInsert = 1, kPaneFreeLine = 2, kPaneFreeBar = 3, kPaneLine = 4, kPaneBar = 5;

// Acts on the modal `Dialog` once the command that shows it runs its event loop.
template <typename Dialog>
void whenModal(std::function<void(Dialog&)> act) {
    QTimer::singleShot(0, [act] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        act(*dialog);
    });
}

class FrameTest : public ::testing::Test {
protected:
    FrameTest() {
        qtApp();
        for (const char* section : {"Project", "Recent File List", "Data Base"})
            platform::appProfile().removeSection(section);
        // The frame writes the new mouse input back when it closes: the next test must not inherit it.
        for (const char* section : {"MIDI Config", "PC KeyBoard", "MouseWheelFunc"})
            platform::plmProfile().removeSection(section);
    }

    void start(StartupOptions options) {
        m_app = std::make_unique<CPlmApp>();
        m_box = std::make_unique<platform::ScriptedMessageBox>();  // after the application's own
        m_app->startUp(options, false);
        frame().resize(1100, 800);
        QApplication::processEvents();
    }
    void startWithSong(const std::filesystem::path& song) {
        StartupOptions options;
        options.song = song;
        start(options);
    }
    // `records` written as the song `name` of the test's folder, opened in a maximised window.
    void startWithRecords(const std::string& name, std::vector<SongRecord> records) {
        writeSong(m_dir / name, songOf(std::move(records)));
        startWithSong(m_dir / name);
        bigView();
    }
    // The active song window maximised, so the view has room.
    CPlmView& bigView() {
        frame().activeChild()->showMaximized();
        QApplication::processEvents();
        return view();
    }

    CMainFrame& frame() { return m_app->frame(); }
    CPlmView& view() { return *frame().activeView(); }
    CPlmDoc& doc() { return frame().activeChild()->document(); }
    std::string pane(int i) { return frame().paneText(i).toStdString(); }
    bool enabled(int id) { return frame().action(id)->isEnabled(); }
    template <class Window>
    Window& palette(int showCommand) {
        return *qobject_cast<Window*>(frame().palette(showCommand));
    }

    TempDir m_dir;
    std::unique_ptr<CPlmApp> m_app;
    std::unique_ptr<platform::ScriptedMessageBox> m_box;
};

}  // namespace plume::test
