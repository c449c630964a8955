#include "voice/transcription.h"

#include <algorithm>

#include "platform/clock.h"
#include "platform/profile.h"
#include "voice/wav_file_driver.h"

namespace plume::voice {

namespace {
constexpr const char* kSection = "User Data for Transpose";
constexpr int kTakeSeconds = 60;
}  // namespace

int enrolledTransposition() {
    const auto& profile = platform::plmProfile();
    return profile.getInt(kSection, "Distination", 60) - profile.getInt(kSection, "User Data", 60);
}

void enrolVoice(int measuredNote, int destinationNote) {
    auto& profile = platform::plmProfile();
    profile.writeInt(kSection, "User Data", measuredNote);
    profile.writeInt(kSection, "Distination", destinationNote);
}

std::vector<SongRecord> notesFromSegments(std::span<const NoteSegment> segments, const SongInfo& info, int transpose) {
    std::vector<SongRecord> notes;
    for (const NoteSegment& s : segments.first(std::min(segments.size(), kNoteListCapacity))) {
        const auto key = info.fileKind() == 1 ? std::uint8_t(s.note + transpose) : kRhythmKey;
        notes.push_back(SongRecord{
            {1, kind::kScore, std::uint8_t(s.lengthCode | s.dots), 0, 0, key, 100, 0, 75, info.initialProgram()}});
    }
    return notes;
}

bool canShiftDown(std::span<const SongRecord> notes) {
    bool any = false;
    for (const SongRecord& r : notes) {
        if (!r.isNote()) continue;
        if (r.key() < 25) return false;
        any = true;
    }
    return any;
}

bool canShiftUp(std::span<const SongRecord> notes) {
    bool any = false;
    for (const SongRecord& r : notes) {
        if (!r.isNote()) continue;
        if (r.key() > 94) return false;
        any = true;
    }
    return any;
}

bool shiftSemitone(std::span<SongRecord> notes, int step) {
    if (step < 0 ? !canShiftDown(notes) : !canShiftUp(notes)) return false;
    for (SongRecord& r : notes) {
        if (r.isNote()) r.setKey(std::uint8_t(r.key() + (step < 0 ? -1 : 1)));
    }
    return true;
}

Transcription transcribeTake(std::span<const std::int16_t> take, std::uint16_t tempo, const DetectParameters& parameters) {
    platform::ManualClock clock;
    WavFileDriver driver({take.begin(), take.end()}, clock);
    CVoiceDetector detector(driver);
    detector.SetParameters(parameters);
    Transcription result;
    if (!detector.Allocate(kTakeSeconds) || detector.OpenInput(nullptr) != mm::kNoError) return result;
    const std::uint32_t samples = std::min<std::uint32_t>(std::uint32_t(take.size()), kTakeSeconds * kSampleRate);
    if (detector.StartRecording((double(samples) + 0.5) / double(kSampleRate)) != 0) return result;
    clock.set(std::int64_t(samples) * 1000000 / kSampleRate + 1);
    const std::uint32_t bytes = driver.takeInputDone().value_or(0);
    detector.CloseInput();
    detector.SetDataLength(bytes);
    const int count = detector.Analyse(tempo, bytes / 2, 1);
    result.samples = bytes / 2;
    const auto segments = detector.GetSegments().first(std::size_t(count));
    result.segments.assign(segments.begin(), segments.end());
    return result;
}

}  // namespace plume::voice
