#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <sstream>

#include "cli/commands.h"
#include "cli/demo_project.h"
#include "support/qt_test_app.h"
#include "support/song_builder.h"
#include "support/temp_dir.h"

namespace plume {
namespace {

using namespace test;

struct PrintCommand : ::testing::Test {
    TempDir dir;
    std::ostringstream out, err;
    const char* command = "print";
    PrintCommand() {
        qtApp();
        // 300 treble lines of 102 units
        std::vector<SongRecord> song;
        for (int i = 0; i < 300; ++i) {
            addGroups(song, {note(3, 72), note(3, 76)});
            if (i < 299) addGroups(song, {lineBreak()});
        }
        writeSong(dir / "long.PLM", songOf(song));
        writeSong(dir / "short.PLM", songOf(groups({note(3, 72), lineBreak(), note(3, 74)})));
    }
    int run(std::vector<std::string> args) {
        args.insert(args.begin(), command);
        out.str("");
        err.str("");
        return cli::runCli(args, out, err);
    }
    std::string song(const char* name) { return (dir / name).string(); }
};

std::vector<std::array<int, 3>> pagesOf(const std::string& text) {
    std::vector<std::array<int, 3>> pages;
    std::istringstream in(text);
    std::string word;
    std::array<int, 3> page{};
    while (in >> word >> page[0] >> page[1] >> page[2]) {
        EXPECT_EQ(word, "page");
        pages.push_back(page);
    }
    return pages;
}

TEST_F(PrintCommand, PagesListEveryLineOnceForThePrinterFiguresGiven) {
    EXPECT_EQ(run({song("short.PLM"), "--pages"}), cli::kOk) << err.str();
    EXPECT_EQ(out.str(), "page 1 1 2\n");

    // AND a selection keeps its numbers in the whole song
    ASSERT_EQ(run({song("long.PLM"), "--pages", "--selection", "100:170"}), cli::kOk);
    EXPECT_EQ(out.str(), "page 1 100 161\npage 2 162 170\n");
    // AND an offset of 1 inch at 300 dpi leaves the 20 mm margins 0 at the left and the top
    ASSERT_EQ(run({song("long.PLM"), "--pages", "--dpi", "300,300", "--page-px", "2480,3508", "--offset-px",
                   "300,300"}), cli::kOk);
    // 3508 - 83 (7 mm) - 295 (the bottom margin grown by 25 mm) = 3130 units: 30 lines
    EXPECT_EQ(pagesOf(out.str())[0], (std::array<int, 3>{1, 1, 30}));
}

TEST_F(PrintCommand, WritesThePdfOfTheSamePages) {
    ASSERT_EQ(run({song("long.PLM"), "--pages", "--reso", "3"}), cli::kOk);
    const std::size_t count = pagesOf(out.str()).size();
    const std::string pdf = (dir / "long.pdf").string();
    ASSERT_EQ(run({song("long.PLM"), "-o", pdf, "--reso", "3"}), cli::kOk) << err.str();
    EXPECT_EQ(out.str(), "wrote " + pdf + " " + std::to_string(count) + " pages\n");
    const auto bytes = platform::readFile(pdf);
    ASSERT_TRUE(bytes);
    const std::string text(bytes->begin(), bytes->end());
    EXPECT_EQ(text.substr(0, 5), "%PDF-");
    EXPECT_NE(text.find("/Count " + std::to_string(count)), std::string::npos);
}

TEST_F(PrintCommand, RefusesWrongOptions) {
    for (std::vector<std::string> args : std::vector<std::vector<std::string>>{
             {"--pages", "--reso", "11"}, {"--pages", "--margins", "20,51,0,0"}, {"--pages", "--margins", "20,20,0"},
             {"--pages", "--selection", "5:4"}, {"--pages", "--selection", "1:301"}, {"--pages", "-o", "x.pdf"},
             {"-o", "x.pdf", "--dpi", "300,300"}, {}}) {
        args.insert(args.begin(), song("long.PLM"));
        EXPECT_EQ(run(args), cli::kUsage) << testing::PrintToString(args);
    }
}

struct RenderCommand : PrintCommand {
    const std::string melody = song("melody.PLM");
    RenderCommand() {
        command = "render";
        for (const DemoSong& demo : demoSongs()) writeSong(dir / demo.fileName, demo.song);
    }
};

int inkedRows(const QImage& image) {
    int rows = 0;
    for (int y = 0; y < image.height(); ++y) {
        bool ink = false;
        for (int x = 0; x < image.width() && !ink; ++x) ink = qGray(image.pixel(x, y)) < 128;
        rows += ink;
    }
    return rows;
}

TEST_F(RenderCommand, DrawsTheLinesFromTheFirstOneAskedForAndScalesTheSameLayoutAndRefusesBadArguments) {
    const std::string plain = (dir / "plain.png").string(), twice = (dir / "twice.png").string();
    ASSERT_EQ(run({melody, "-o", plain, "--width", "640"}), cli::kOk) << err.str();
    // three treble lines of 102 pixels
    EXPECT_EQ(out.str(), "wrote " + plain + " 640x306\n");
    const QImage a(QString::fromStdString(plain));
    EXPECT_EQ(a.size(), QSize(640, 306));
    EXPECT_GT(inkedRows(a), 60);
    ASSERT_EQ(run({melody, "-o", twice, "--first-line", "2"}), cli::kOk) << err.str();
    EXPECT_EQ(out.str(), "wrote " + twice + " 800x102\n");
    // the grand-staff setting makes every line taller
    ASSERT_EQ(run({melody, "-o", twice, "--grand-staff"}), cli::kOk) << err.str();
    EXPECT_EQ(out.str(), "wrote " + twice + " 800x445\n");

    ASSERT_EQ(run({melody, "-o", twice, "--width", "640", "--scale", "2"}), cli::kOk);
    const QImage b(QString::fromStdString(twice));
    EXPECT_EQ(b.size(), a.size() * 2);
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--scale", "5"}, {"--scale", "two"}, {"--width", "0"}, {"--first-line", "-1"}})
        EXPECT_EQ(run({melody, "-o", "x.png", args[0], args[1]}), cli::kUsage) << args[0] << " " << args[1];
    EXPECT_EQ(run({melody}), cli::kUsage);
    EXPECT_EQ(run({melody, "-o", (dir / "no" / "such" / "x.png").string()}), cli::kBadData);
    EXPECT_FALSE(std::filesystem::exists("x.png"));
}

}  // namespace
}  // namespace plume
