// Opening a song at the size a document can reach (19,999 records) in the editor and showing its
// first screen: the file read, the song window and its view created, the first paint offscreen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "app/qt/main_frame.h"
#include "app/qt/plm_app.h"
#include "app/qt/plm_child_wnd.h"
#include "score/qt/plm_view_widget.h"
#include "song/song_file.h"
#include "support/song_builder.h"

namespace plume {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kBenchRecords = 19999;
constexpr int kGroupsPerLine = 16;
constexpr const char* kGoal = "goal: 100 ms";

// Lines of 16 groups: notes over both staves, chords, ties, rests, bar lines and texts.
fs::path benchSongFile(const fs::path& folder) {
    using namespace test;
    std::vector<SongRecord> song;
    std::uint8_t key = 40;
    for (int group = 0; song.size() + 5 <= kBenchRecords; ++group) {
        const int column = group % kGroupsPerLine;
        key = std::uint8_t(40 + (key - 40 + 5) % 45);
        if (column == kGroupsPerLine - 1) addGroup(song, {scoreMark(type::kLineBreak)});
        else if (column % 5 == 4) addGroup(song, {scoreMark(type::kBarLine)});
        else if (column == 1)
            addGroup(song, {note(3, std::uint8_t(key + 7)), note(3, std::uint8_t(key + 4)), note(3, key),
                            textRecord(kind::kChordName, "Am7")});
        else if (column == 2) addGroup(song, {note(4, key, mark::kTieBegin)});
        else if (column == 3) addGroup(song, {note(4, key, mark::kTieEnd), textRecord(kind::kLyric, "la")});
        else if (column == 13) addGroup(song, {rest(9, 0, mark::kDotted)});
        else addGroup(song, {note(3, key)});
    }
    while (song.size() < kBenchRecords) addGroup(song, {scoreMark(type::kBarLine)});
    const fs::path path = folder / "bench19999.PLM";
    writeSong(path, songOf(song));
    return path;
}

void openAndShow19999(benchmark::State& state) {
    const fs::path folder = fs::temp_directory_path() / ("plume-view-bench-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    ::setenv("PLUME_CONFIG_DIR", folder.c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The offscreen platform remarks on every window it shows.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type >= QtCriticalMsg) fprintf(stderr, "%s\n", qPrintable(message));
    });
    static int argc = 1;
    static char name[] = "plume-bench";
    static char* argv[] = {name, nullptr};
    static QApplication* qt = new QApplication(argc, argv);  // never destroyed, as Qt wants at exit
    (void)qt;
    const fs::path song = benchSongFile(folder);

    CPlmApp app;
    app.startUp({}, false);
    app.frame().resize(1280, 900);
    QApplication::processEvents();
    int lines = 0;
    for (auto _ : state) {
        app.frame().openSongWindow(song, false);
        CPlmChildWnd* child = app.frame().activeChild();
        child->showMaximized();
        const QPixmap screen = child->view().viewport()->grab();
        benchmark::DoNotOptimize(screen.cacheKey());
        lines = child->view().logic().lines().lineCount();
        state.PauseTiming();
        child->closeWithoutAsking();
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
    state.counters["lines"] = lines;
    state.SetLabel(kGoal);
    app.frame().close();
    fs::remove_all(folder);
}
BENCHMARK(openAndShow19999)->Name("View/OpenAndShowFirstScreen19999")->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace plume
