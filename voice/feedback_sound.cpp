#include "voice/feedback_sound.h"

#include <thread>

namespace plume::voice {

std::optional<std::filesystem::path> findSound(std::span<const std::filesystem::path> folders, std::string_view name) {
    for (const std::filesystem::path& folder : folders) {
        std::error_code error;
        const std::filesystem::path path = folder / name;
        if (std::filesystem::is_regular_file(path, error)) return path;
    }
    return std::nullopt;
}

WaveFeedbackSounds::WaveFeedbackSounds(WaveDriver& driver, std::vector<std::filesystem::path> folders)
    : m_driver(driver), m_folders(std::move(folders)) {}

WaveFeedbackSounds::~WaveFeedbackSounds() { stop(); }

const std::vector<std::int16_t>* WaveFeedbackSounds::samples(std::string_view name) {
    if (const auto it = m_loaded.find(name); it != m_loaded.end()) return &it->second;
    const auto path = findSound(m_folders, name);
    if (!path) return nullptr;
    WavData data = readCaptureWav(*path);
    if (!data.ok()) return nullptr;
    return &m_loaded.emplace(std::string(name), std::move(data.samples)).first->second;
}

bool WaveFeedbackSounds::begin(std::string_view name) {
    stop();
    const std::vector<std::int16_t>* played = samples(name);
    if (!played || played->empty()) return false;
    const int device = storedOutputDevice(m_driver.outputNames());
    if (m_driver.openOutput(device, WaveFormatRecord{}) != mm::kNoError) return false;
    m_open = true;
    if (!m_driver.playOutput(*played)) {
        stop();
        return false;
    }
    // A driver that never reports the end is given the sound's length and a little more.
    m_ends = std::chrono::steady_clock::now() + std::chrono::milliseconds(played->size() * 1000 / kSampleRate + 300);
    return true;
}

void WaveFeedbackSounds::playToEnd(std::string_view name) {
    if (!begin(name)) return;
    while (!m_driver.takeOutputDone() && std::chrono::steady_clock::now() < m_ends)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    stop();
}

void WaveFeedbackSounds::start(std::string_view name) { begin(name); }

void WaveFeedbackSounds::stop() {
    if (!m_open) return;
    m_driver.resetOutput();
    m_driver.closeOutput();
    m_driver.takeOutputDone();
    m_open = false;
}

}  // namespace plume::voice
