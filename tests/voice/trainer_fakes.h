#pragma once
// The trainers' player and sounds as tests see them: what was played, and reports sent by hand.

#include <algorithm>
#include <string>
#include <vector>

#include "voice/trainer.h"

namespace plume::test {

class RecordingSounds final : public voice::FeedbackSounds {
public:
    std::vector<std::string> played;  // every sound, in order
    void playToEnd(std::string_view name) override { played.emplace_back(name); }
    void start(std::string_view name) override { played.emplace_back(name); }
    void stop() override {}
    int count(std::string_view name) const { return int(std::count(played.begin(), played.end(), name)); }
};

class FakePlayer final : public voice::TrainerPlayer {
public:
    struct Play {
        std::vector<SongRecord> records;
        std::uint8_t midiChannel;
        int tempo;
    };
    std::vector<Play> plays;
    bool starts = true;
    bool playing = false;
    PlayReportListener* listener = nullptr;

    bool startPlay(const TestPlay& play, PlayReportListener& l) override {
        if (!starts) return false;
        plays.push_back({{play.records.begin(), play.records.end()}, play.midiChannel, play.tempo});
        listener = &l;
        playing = true;
        return true;
    }
    void stopPlay() override { playing = false; }
    void report(PlayReport::Kind kind, int key = 0) {
        if (listener) listener->playReport({kind, 0, key});
    }
    void end() { report(PlayReport::Kind::Ended); }
    int lastKey() const { return plays.back().records[0].key(); }
};

}  // namespace plume::test
