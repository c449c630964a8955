#pragma once
// The trainers' feedback sounds: short WAV files found beside the program, played through the
// wave output of the driver.

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "voice/wave_device.h"

namespace plume::voice {

namespace sound {
inline constexpr const char* kQuestion = "prob.wav";
inline constexpr const char* kRight = "pinpon.wav";
inline constexpr const char* kWrong = "buu.wav";
inline constexpr const char* kCheer = "ganba.wav";  // after three wrong answers in a row
inline constexpr const char* kStick = "stick.wav";  // one tick of a count-in
}  // namespace sound

class FeedbackSounds {
public:
    virtual ~FeedbackSounds() = default;
    // Plays the sound to its end before returning. A missing file plays nothing.
    virtual void playToEnd(std::string_view name) = 0;
    // Starts the sound and returns at once.
    virtual void start(std::string_view name) = 0;
    // Stops a sound that is still playing.
    virtual void stop() = 0;
};

// The first folder that holds `name`.
std::optional<std::filesystem::path> findSound(std::span<const std::filesystem::path> folders, std::string_view name);

// Sounds through the driver's own output (not a CWaveDevice: the trainers' detector keeps its take).
// Files are read once and kept, since the driver plays from the samples it is handed.
class WaveFeedbackSounds final : public FeedbackSounds {
public:
    WaveFeedbackSounds(WaveDriver& driver, std::vector<std::filesystem::path> folders);
    ~WaveFeedbackSounds() override;

    void playToEnd(std::string_view name) override;
    void start(std::string_view name) override;
    void stop() override;

private:
    const std::vector<std::int16_t>* samples(std::string_view name);
    bool begin(std::string_view name);

    WaveDriver& m_driver;
    std::vector<std::filesystem::path> m_folders;
    std::map<std::string, std::vector<std::int16_t>, std::less<>> m_loaded;
    bool m_open = false;
    std::chrono::steady_clock::time_point m_ends;
};

}  // namespace plume::voice
