#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <sstream>

#include "cli/commands.h"
#include "cli/demo_project.h"
#include "support/qt_test_app.h"
#include "support/temp_dir.h"

namespace plume {
namespace {

namespace fs = std::filesystem;

struct RenderCommand : ::testing::Test {
    test::TempDir dir;
    std::ostringstream out, err;
    RenderCommand() {
        test::qtApp();
        for (const DemoSong& demo : demoSongs()) writeSong(dir / demo.fileName, demo.song);
    }
    int run(std::vector<std::string> args) {
        args.insert(args.begin(), "render");
        return cli::runCli(args, out, err);
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

TEST_F(RenderCommand, DrawsTheLinesFromTheFirstOneAskedForToTheEnd) {
    const std::string png = (dir / "melody.png").string();
    ASSERT_EQ(run({(dir / "melody.PLM").string(), "-o", png, "--width", "640"}), cli::kOk) << err.str();
    // three treble lines of 102 pixels
    EXPECT_EQ(out.str(), "wrote " + png + " 640x306\n");
    const QImage all(QString::fromStdString(png));
    EXPECT_EQ(all.size(), QSize(640, 306));
    EXPECT_GT(inkedRows(all), 60);

    out.str("");
    ASSERT_EQ(run({(dir / "melody.PLM").string(), "-o", png, "--first-line", "2"}), cli::kOk) << err.str();
    EXPECT_EQ(out.str(), "wrote " + png + " 800x102\n");
    // the grand-staff setting makes every line taller
    out.str("");
    ASSERT_EQ(run({(dir / "melody.PLM").string(), "-o", png, "--grand-staff"}), cli::kOk) << err.str();
    EXPECT_EQ(out.str(), "wrote " + png + " 800x445\n");
}

TEST_F(RenderCommand, AScaledImageIsTheSameLayoutEnlarged) {
    const std::string plain = (dir / "plain.png").string(), twice = (dir / "twice.png").string();
    ASSERT_EQ(run({(dir / "melody.PLM").string(), "-o", plain, "--width", "640"}), cli::kOk) << err.str();
    ASSERT_EQ(run({(dir / "melody.PLM").string(), "-o", twice, "--width", "640", "--scale", "2"}), cli::kOk);
    const QImage a(QString::fromStdString(plain)), b(QString::fromStdString(twice));
    ASSERT_EQ(b.size(), a.size() * 2);
    // every layout pixel becomes a 2x2 block: sampling the large image at even points gives the
    // small one back, apart from the edges of smoothed text
    int same = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) same += (qGray(a.pixel(x, y)) < 128) == (qGray(b.pixel(2 * x, 2 * y)) < 128);
    EXPECT_GT(same, a.width() * a.height() * 99 / 100);
    EXPECT_EQ(run({(dir / "melody.PLM").string(), "-o", twice, "--scale", "5"}), cli::kUsage);
    EXPECT_EQ(run({(dir / "melody.PLM").string(), "-o", twice, "--scale", "two"}), cli::kUsage);
}

TEST_F(RenderCommand, RefusesBadArgumentsAndBadSongs) {
    EXPECT_EQ(run({(dir / "melody.PLM").string()}), cli::kUsage);
    EXPECT_EQ(run({(dir / "melody.PLM").string(), "-o", "x.png", "--width", "0"}), cli::kUsage);
    EXPECT_EQ(run({(dir / "melody.PLM").string(), "-o", "x.png", "--first-line", "-1"}), cli::kUsage);
    EXPECT_EQ(run({(dir / "melody.PLM").string(), "-o", (dir / "no" / "such" / "x.png").string()}), cli::kBadData);
    EXPECT_FALSE(fs::exists("x.png"));
}

}  // namespace
}  // namespace plume
