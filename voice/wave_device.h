#pragma once
// One wave channel with a single sample buffer: record one take into it, play it back, report
// positions and write it to a file. The device API sits behind WaveDriver.

#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "voice/wave_file.h"

namespace plume::voice {

// Result codes of opening a device, as the multimedia system numbers them.
namespace mm {
inline constexpr int kNoError = 0;
inline constexpr int kBadDeviceId = 2;
inline constexpr int kAllocated = 4;
inline constexpr int kNoDriver = 6;
inline constexpr int kNoMemory = 7;
inline constexpr int kBadFormat = 32;
inline constexpr int kSyncDriver = 35;
}  // namespace mm

inline constexpr int kWaveMapper = -1;
inline constexpr const char* kWaveMapperName = "Wave Mapper";
inline constexpr std::uint32_t kNoPosition = 0xFFFFFFFF;

// What a device API offers. Every call comes from the user-interface thread; a driver whose API
// calls back on another thread keeps what it learns in atomics until takeInputDone/takeOutputDone.
class WaveDriver {
public:
    virtual ~WaveDriver() = default;
    // Devices 0..n-1 by product name.
    virtual std::vector<std::string> inputNames() = 0;
    virtual std::vector<std::string> outputNames() = 0;

    // A result code of namespace mm.
    virtual int openInput(int deviceId, const WaveFormatRecord& format) = 0;
    // Hands the buffer to the device and starts capture: 0 started, 1 preparing failed,
    // 2 adding the buffer failed, 3 starting failed (the buffer is then not used).
    virtual int startInput(std::span<std::int16_t> buffer) = 0;
    // Samples captured so far; nullopt when no input is open.
    virtual std::optional<std::uint32_t> inputPosition() = 0;
    // Stops capture; the buffer comes back with what was recorded so far.
    virtual void resetInput() = 0;
    virtual bool closeInput() = 0;
    // Once per take: the bytes recorded, when the buffer is full or capture was reset.
    virtual std::optional<std::uint32_t> takeInputDone() = 0;

    virtual int openOutput(int deviceId, const WaveFormatRecord& format) = 0;
    virtual bool playOutput(std::span<const std::int16_t> samples) = 0;
    virtual std::optional<std::uint32_t> outputPosition() = 0;
    virtual void resetOutput() = 0;
    virtual bool closeOutput() = 0;
    // Once per playback: true when it has finished or was reset.
    virtual bool takeOutputDone() = 0;
};

// The owner window's notifications, delivered on the user-interface thread by CWaveDevice::service.
class WaveOwner {
public:
    virtual ~WaveOwner() = default;
    // The input buffer came back, full or stopped, holding `bytesRecorded` bytes.
    virtual void waveInputDone(std::uint32_t bytesRecorded) = 0;
    virtual void waveOutputDone() {}
};

class CWaveDevice {
public:
    explicit CWaveDevice(WaveDriver& driver) : m_driver(driver) {}
    virtual ~CWaveDevice();
    CWaveDevice(const CWaveDevice&) = delete;
    CWaveDevice& operator=(const CWaveDevice&) = delete;

    virtual bool Allocate(int seconds);
    virtual void Free();
    virtual bool IsReady() const;
    // The whole sample buffer; samples below the input position are valid while recording.
    virtual std::span<std::int16_t> GetBufferHandle();
    // 0 takes twice the sample position saved by the last StopRecording.
    virtual void SetDataLength(std::uint32_t bytes);
    virtual std::uint32_t GetSampleCount() const;
    // Drops the take: nothing is played or written until the next one.
    void DiscardData() { m_dataLength = 0; }
    // Reads "WavInDevice" ("WAV Config", application profile); a result code of namespace mm.
    virtual int OpenInput(WaveOwner* owner);
    // 0 started, 1 preparing failed, 2 adding the buffer failed, 3 starting failed.
    virtual int StartRecording(double seconds);
    virtual void StopRecording();
    virtual void CloseInput();
    virtual int OpenOutput(WaveOwner* owner);
    // 1 playing, 0 when the device refused the buffer.
    virtual int PlayBytes(std::uint32_t bytes);
    virtual int PlayAll();
    virtual void ResetOutput();
    virtual void CloseOutput();
    virtual bool HasRecording() const;
    // The data-length bytes, little-endian; 1 when all were written.
    virtual int WriteData(std::ostream& file);
    virtual std::uint32_t GetInputPosition();
    virtual std::uint32_t GetOutputPosition();

    // Delivers the driver's buffer-done and output-done notifications to the owner.
    void service();
    std::uint32_t dataLength() const { return m_dataLength; }
    WaveDriver& driver() { return m_driver; }

private:
    enum class Use { Closed, Input, Output };

    WaveDriver& m_driver;
    std::vector<std::int16_t> m_buffer;
    bool m_ready = false;
    std::unique_ptr<WaveFormatRecord> m_format;
    bool m_hasRecording = false;
    Use m_use = Use::Closed;
    WaveOwner* m_owner = nullptr;
    std::uint32_t m_stopPosition = 0;
    std::uint32_t m_dataLength = 0;
};

// The message for an opening result, or nullopt when recording may go on (any other code).
std::optional<std::string_view> openingMessage(bool ready, int openResult);
// The message for a StartRecording result other than 0.
std::optional<std::string_view> startMessage(int startResult);
// Shows the message for a failed opening and returns false; true when the device is open.
bool reportOpening(bool ready, int openResult);

// The take as a WAV file; false when it cannot be written (nothing is reported).
bool writeWavFile(const std::filesystem::path& path, CWaveDevice& device);

// "GrandLevel" of "WAV Config": the sound card's silence level, subtracted before pitch analysis.
std::int16_t grandLevel();
void setGrandLevel(std::int16_t level);
// The mean sample of a silence take: the sum as a 32-bit signed integer divided with truncation.
std::int16_t silenceLevel(std::span<const std::int16_t> samples);

// The stored device ids ("WavInDevice", "WavOutDevice"), -1 for the wave mapper. Names are kept
// beside the ids ("WavInDeviceName", "WavOutDeviceName"): when the named device has moved to another
// id, that id is used.
int storedInputDevice(const std::vector<std::string>& names);
int storedOutputDevice(const std::vector<std::string>& names);
void storeDevices(int inputId, const std::string& inputName, int outputId, const std::string& outputName);
// The device dialog's list: the names, then "Wave Mapper"; the entry of `storedId`, or the last.
std::vector<std::string> deviceChoices(const std::vector<std::string>& names);
int choiceOfDevice(const std::vector<std::string>& names, int storedId);
int deviceOfChoice(const std::vector<std::string>& names, int choice);

}  // namespace plume::voice
