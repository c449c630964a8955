#include "voice/trainer.h"

#include <cstdlib>

namespace plume::voice {

std::string rateText(int correct, int attempts) {
    return std::to_string(attempts > 0 ? correct * 100 / attempts : 0) + "%";
}

void TrainerScore::judge(bool right, FeedbackSounds& sounds) {
    sounds.stop();
    ++attempts;
    if (right) {
        ++correct;
        run = 0;
        sounds.playToEnd(sound::kRight);
    } else {
        ++run;
        sounds.playToEnd(sound::kWrong);
    }
    if (run > 2) {
        run = 0;
        sounds.playToEnd(sound::kCheer);
    }
}

SongRecord questionNote(std::uint8_t key) {
    return SongRecord{{1, kind::kScore, 2, 0, 0, key, 127, 0, 100, 0}};
}

TestPlay questionPlay(const std::array<SongRecord, 1>& note) {
    TestPlay play;
    play.records = note;
    play.midiChannel = 0;
    play.tempo = 120;
    return play;
}

RandomSource standardRandom() {
    return [] { return std::rand(); };
}

}  // namespace plume::voice
