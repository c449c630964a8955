#pragma once
// The score of a song drawn into an image, as the score view draws it: for `plume-cli render`,
// the golden-image tests and the benchmarks.

#include <QImage>

#include "score/glyphs.h"
#include "song/song_record.h"

namespace plume::platform {

class GlyphImages;

struct ScoreImageOptions {
    int width = 800;
    bool grandStaff = false;
    int firstLine = 0;
    // 0: every line from the first one to the end of the song (at most kMaxImageHeight pixels).
    int height = 0;
    // The image is this many times larger than the layout (1 to kMaxImageScale), drawn as the
    // score view draws at that zoom.
    double scale = 1.0;
};

inline constexpr double kMaxImageScale = 4.0;

inline constexpr int kMaxImageHeight = 32000;

// Needs a QGuiApplication (fonts). An RGB32 image; nothing selected, no caret.
QImage renderScoreImage(Records records, const SongInfo& info, const GlyphSet& glyphs, GlyphImages& images,
                        const ScoreImageOptions& options);

// The effect-edit display of a song at zoom 0..3, `width` pixels wide (0: the whole row).
QImage renderEffectImage(Records records, int zoom, int width);

}  // namespace plume::platform
