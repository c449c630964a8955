#include "voice/wave_device.h"

#include <cmath>

#include "platform/file_io.h"
#include "platform/message_box.h"
#include "platform/profile.h"

namespace plume::voice {

namespace {

constexpr const char* kSection = "WAV Config";

int storedDevice(const char* key, const char* nameKey, const std::vector<std::string>& names) {
    const int id = platform::appProfile().getInt(kSection, key, kWaveMapper);
    const std::string name = platform::appProfile().getString(kSection, nameKey, "");
    if (id >= 0 && !name.empty() && (std::size_t(id) >= names.size() || names[std::size_t(id)] != name)) {
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (names[i] == name) return int(i);
        }
    }
    return id;
}

}  // namespace

CWaveDevice::~CWaveDevice() { CWaveDevice::Free(); }

bool CWaveDevice::Allocate(int seconds) {
    Free();
    if (seconds <= 0) return false;
    const auto bytes = std::size_t(seconds) * 352800 / 8;
    m_buffer.assign(bytes / 2, 0);
    m_format = std::make_unique<WaveFormatRecord>();
    m_ready = true;
    return true;
}

void CWaveDevice::Free() {
    if (m_use == Use::Input) CloseInput();
    if (m_use == Use::Output) CloseOutput();
    m_buffer.clear();
    m_buffer.shrink_to_fit();
    m_format.reset();
    m_ready = false;
    m_dataLength = 0;
}

bool CWaveDevice::IsReady() const { return m_ready; }

std::span<std::int16_t> CWaveDevice::GetBufferHandle() { return m_buffer; }

void CWaveDevice::SetDataLength(std::uint32_t bytes) {
    m_dataLength = bytes == 0 ? m_stopPosition * 2 : bytes;
    m_dataLength = std::min<std::uint32_t>(m_dataLength, std::uint32_t(m_buffer.size() * 2));
}

std::uint32_t CWaveDevice::GetSampleCount() const { return m_dataLength / 2; }

int CWaveDevice::OpenInput(WaveOwner* owner) {
    if (!m_ready || m_use != Use::Closed) return mm::kAllocated;
    *m_format = WaveFormatRecord{};
    const int result = m_driver.openInput(storedInputDevice(m_driver.inputNames()), *m_format);
    if (result == mm::kNoError) {
        m_use = Use::Input;
        m_owner = owner;
    }
    return result;
}

int CWaveDevice::StartRecording(double seconds) {
    if (m_use != Use::Input) return 1;
    // Never more than the allocation, whatever the caller asks.
    const auto bytes = std::min<std::size_t>(std::size_t(std::max(0.0, seconds * 22050.0 * 16.0 / 8.0)), m_buffer.size() * 2);
    const int result = m_driver.startInput(std::span(m_buffer).first(bytes / 2));
    if (result == 0) m_hasRecording = true;
    return result;
}

void CWaveDevice::StopRecording() {
    const auto position = m_use == Use::Input ? m_driver.inputPosition() : std::nullopt;
    m_stopPosition = position.value_or(0);
    if (m_use == Use::Input) m_driver.resetInput();
}

void CWaveDevice::CloseInput() {
    if (m_use != Use::Input) return;
    if (!m_driver.closeInput()) {
        m_driver.resetInput();
        m_driver.closeInput();
    }
    m_use = Use::Closed;
}

int CWaveDevice::OpenOutput(WaveOwner* owner) {
    if (!m_ready || m_use != Use::Closed) return mm::kAllocated;
    *m_format = WaveFormatRecord{};
    const int result = m_driver.openOutput(storedOutputDevice(m_driver.outputNames()), *m_format);
    if (result == mm::kNoError) {
        m_use = Use::Output;
        m_owner = owner;
    }
    return result;
}

int CWaveDevice::PlayBytes(std::uint32_t bytes) {
    if (m_use != Use::Output) return 0;
    const std::size_t samples = std::min<std::size_t>(bytes / 2, m_buffer.size());
    return m_driver.playOutput(std::span<const std::int16_t>(m_buffer).first(samples)) ? 1 : 0;
}

int CWaveDevice::PlayAll() { return PlayBytes(m_dataLength); }

void CWaveDevice::ResetOutput() {
    if (m_use == Use::Output) m_driver.resetOutput();
}

void CWaveDevice::CloseOutput() {
    if (m_use != Use::Output) return;
    if (!m_driver.closeOutput()) {
        m_driver.resetOutput();
        m_driver.closeOutput();
    }
    m_use = Use::Closed;
}

bool CWaveDevice::HasRecording() const { return m_hasRecording; }

int CWaveDevice::WriteData(std::ostream& file) {
    const std::size_t samples = std::min<std::size_t>(m_dataLength / 2, m_buffer.size());
    for (std::size_t i = 0; i < samples; ++i) {
        const auto s = std::uint16_t(m_buffer[i]);
        const char bytes[2] = {char(s & 0xFF), char(s >> 8)};
        file.write(bytes, 2);
    }
    return file.good() && samples * 2 == m_dataLength ? 1 : 0;
}

std::uint32_t CWaveDevice::GetInputPosition() {
    if (m_use != Use::Input) return kNoPosition;
    return m_driver.inputPosition().value_or(kNoPosition);
}

std::uint32_t CWaveDevice::GetOutputPosition() {
    if (m_use != Use::Output) return kNoPosition;
    return m_driver.outputPosition().value_or(kNoPosition);
}

void CWaveDevice::service() {
    if (m_use == Use::Input) {
        if (const auto bytes = m_driver.takeInputDone(); bytes && m_owner) m_owner->waveInputDone(*bytes);
    } else if (m_use == Use::Output) {
        if (m_driver.takeOutputDone() && m_owner) m_owner->waveOutputDone();
    }
}

std::optional<std::string_view> openingMessage(bool ready, int openResult) {
    if (!ready) return "ウェーブデバイス用のメモリーが足りません。";
    switch (openResult) {
    case mm::kNoDriver: return "ドライバがインストールされていません。";
    case mm::kBadDeviceId: return "範囲外のデバイスIDが指定されました。";
    case mm::kAllocated: return "指定されたリソースはすでに割り当てられています。";
    case mm::kNoMemory: return "メモリの割り当てやロックができません。";
    case mm::kBadFormat: return "サポートされていないウェーブフォーム形式でオープンしようとしました。";
    case mm::kSyncDriver: return "WAVE_ALLOWSYNCフラグを指定せずに同期ドライバをオープンしようとしました。";
    default: return std::nullopt;
    }
}

std::optional<std::string_view> startMessage(int startResult) {
    switch (startResult) {
    case 1: return "録音の準備ができません。";
    case 2: return "録音バッファが無効になりました。";
    case 3: return "録音開始ができません。";
    default: return std::nullopt;
    }
}

bool reportOpening(bool ready, int openResult) {
    const auto message = openingMessage(ready, openResult);
    if (message) platform::messageBox().show(*message);
    return !message;
}

bool writeWavFile(const std::filesystem::path& path, CWaveDevice& device) {
    std::vector<std::uint8_t> bytes = wavHeader(device.dataLength());
    const auto samples = device.GetBufferHandle().first(std::min<std::size_t>(device.GetSampleCount(), device.GetBufferHandle().size()));
    for (std::int16_t s : samples) {
        bytes.push_back(std::uint8_t(std::uint16_t(s) & 0xFF));
        bytes.push_back(std::uint8_t(std::uint16_t(s) >> 8));
    }
    return platform::writeFileAtomically(path, bytes);
}

std::int16_t grandLevel() { return std::int16_t(platform::appProfile().getInt(kSection, "GrandLevel", 0)); }
void setGrandLevel(std::int16_t level) { platform::appProfile().writeInt(kSection, "GrandLevel", level); }

std::int16_t silenceLevel(std::span<const std::int16_t> samples) {
    if (samples.empty()) return 0;
    std::uint32_t sum = 0;  // wraps as the 32-bit signed sum would
    for (std::int16_t s : samples) sum += std::uint32_t(std::int32_t(s));
    return std::int16_t(std::int32_t(sum) / std::int32_t(samples.size()));
}

int storedInputDevice(const std::vector<std::string>& names) { return storedDevice("WavInDevice", "WavInDeviceName", names); }
int storedOutputDevice(const std::vector<std::string>& names) {
    return storedDevice("WavOutDevice", "WavOutDeviceName", names);
}

void storeDevices(int inputId, const std::string& inputName, int outputId, const std::string& outputName) {
    auto& profile = platform::appProfile();
    profile.writeInt(kSection, "WavInDevice", inputId);
    profile.writeString(kSection, "WavInDeviceName", inputId < 0 ? "" : inputName);
    profile.writeInt(kSection, "WavOutDevice", outputId);
    profile.writeString(kSection, "WavOutDeviceName", outputId < 0 ? "" : outputName);
}

std::vector<std::string> deviceChoices(const std::vector<std::string>& names) {
    std::vector<std::string> choices = names;
    choices.emplace_back(kWaveMapperName);
    return choices;
}

int choiceOfDevice(const std::vector<std::string>& names, int storedId) {
    return storedId >= 0 && std::size_t(storedId) < names.size() ? storedId : int(names.size());
}

int deviceOfChoice(const std::vector<std::string>& names, int choice) {
    return choice >= 0 && std::size_t(choice) < names.size() ? choice : kWaveMapper;
}

}  // namespace plume::voice
