// The demo songs drawn through the Qt canvas offscreen, compared pixel for pixel with the images in
// tests/data/golden. PLUME_UPDATE_GOLDEN=1 writes the images instead (look at them before keeping them).
#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>
#include <filesystem>

#include "cli/demo_project.h"
#include "score/qt/qt_canvas.h"
#include "score/qt/score_image.h"
#include "support/qt_test_app.h"

namespace plume {
namespace {

namespace fs = std::filesystem;

struct Golden {
    std::string song;  // a demo song's file name
    platform::ScoreImageOptions options;
    std::string image;
};

// Test names show the image, not the parameter's bytes.
void PrintTo(const Golden& golden, std::ostream* out) { *out << golden.image; }

class ScoreGolden : public ::testing::TestWithParam<Golden> {};

int differingPixels(const QImage& a, const QImage& b) {
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) count += a.pixel(x, y) != b.pixel(x, y);
    return count;
}

TEST_P(ScoreGolden, MatchesItsImage) {
    test::qtApp();
    const Golden& golden = GetParam();
    std::optional<DemoSong> song;
    for (DemoSong& demo : demoSongs())
        if (demo.fileName == golden.song) song = std::move(demo);
    ASSERT_TRUE(song) << golden.song;

    static const GlyphSet glyphs;
    platform::GlyphImages images;
    const QImage actual =
        platform::renderScoreImage(song->song.records, song->song.info, glyphs, images, golden.options)
            .convertToFormat(QImage::Format_RGB32);
    const fs::path path = fs::path(PLUME_TEST_DATA) / "golden" / golden.image;
    if (std::getenv("PLUME_UPDATE_GOLDEN")) {
        fs::create_directories(path.parent_path());
        ASSERT_TRUE(actual.save(QString::fromStdString(path.string()), "PNG"));
        GTEST_SKIP() << "wrote " << path;
    }
    const QImage expected = QImage(QString::fromStdString(path.string())).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(expected.isNull()) << "no golden image " << path;
    ASSERT_EQ(actual.size(), expected.size());
    const int differing = differingPixels(actual, expected);
    if (differing != 0) {
        const fs::path saved = fs::temp_directory_path() / ("actual-" + golden.image);
        actual.save(QString::fromStdString(saved.string()), "PNG");
        ADD_FAILURE() << differing << " pixels differ from " << path << "; this run drew " << saved;
    }
}

INSTANTIATE_TEST_SUITE_P(DemoSongs, ScoreGolden,
                         ::testing::Values(Golden{"melody.PLM", {.width = 900}, "melody.png"},
                                           Golden{"bass.PLM", {.width = 700}, "bass.png"},
                                           Golden{"piano.PLM", {.width = 700}, "piano.png"},
                                           Golden{"drums.PLM", {.width = 800, .grandStaff = true}, "drums_grand.png"}),
                         [](const ::testing::TestParamInfo<Golden>& p) {
                             std::string name = p.param.image;
                             return name.substr(0, name.find('.'));
                         });

}  // namespace
}  // namespace plume
