#pragma once
// Playback under test: the sequencer and the component on a simulated clock (or the real-time
// thread), the event recorder as the default device, and fake windows.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/message_box.h"
#include "platform/profile.h"
#include "play/event_recorder.h"
#include "play/playback_engine.h"
#include "song/plm_doc.h"
#include "song/project.h"

namespace plume::test {

// The active window, its song and selection, the project and the open songs, as a test sets them.
class FakeHost final : public PlayHost, public OpenDocumentLookup {
public:
    ActiveWindow active = ActiveWindow::Song;
    const CPlmDoc* document = nullptr;
    std::filesystem::path path;
    std::optional<RecordSelection> selection;
    const ProjectData* projectData = nullptr;
    std::map<std::filesystem::path, const CPlmDoc*> open;
    int filePlaysEnded = 0;

    ActiveWindow activeWindow() const override { return active; }
    const CPlmDoc* activeDocument() const override { return document; }
    std::filesystem::path activeDocumentPath() const override { return path; }
    std::optional<RecordSelection> activeSelection() const override { return selection; }
    const ProjectData* project() const override { return projectData; }
    const OpenDocumentLookup& openDocuments() const override { return *this; }
    void filePlayEnded() override { ++filePlaysEnded; }
    const CPlmDoc* findOpenDocument(const std::filesystem::path& p) const override {
        const auto it = open.find(p);
        return it == open.end() ? nullptr : it->second;
    }
};

// The mixer's side: what it was told; no channel is muted and the master is at full volume.
class FakeMixer final : public PlayMixer {
public:
    std::int16_t shift = 0;
    std::vector<int> tempos;
    std::vector<std::string> values;  // "volume 0 100"

    std::uint8_t masterVolume() const override { return 127; }
    std::int16_t keyShift() const override { return shift; }
    void setTempo(int tempo) override { tempos.push_back(tempo); }
    void setChannelValue(MixerControl control, std::size_t channel, int value) override;
    void prepareMeters() override {}
    void drawLevel(std::size_t, int) override {}
    void applyMuteSolo(PlayBlock& block) override;
};

class RecordingListener final : public PlayReportListener {
public:
    std::vector<PlayReport> reports;
    void playReport(const PlayReport& report) override { reports.push_back(report); }
    std::size_t count(PlayReport::Kind kind) const;
};

struct PlayRig {
    // `playMixer` replaces the fake mixer; `alsoTo` (not owned) hears what the recorder does.
    explicit PlayRig(PlaySettings settings = {},
                     PlaybackEngine::ClockMode mode = PlaybackEngine::ClockMode::Simulated,
                     PlayMixer* playMixer = nullptr, MidiOut* alsoTo = nullptr);

    Sequencer& sequencer() { return engine.sequencer(); }
    PlayBlock& block() { return engine.block(); }
    // Plays on until the sequencer is stopped; false when it still plays after `limitMs`.
    bool playToEnd(std::int64_t limitMs = 600000);
    // Starts the document as the active song; play() plays it from the start to its end.
    void start(const CPlmDoc& document);
    bool play(const CPlmDoc& document);
    // Starts the project as the mixer's play.
    void startProject(const ProjectData& project);
    // Each message as its bytes in hex ("B0 07 64"); timed() puts the milliseconds first.
    std::vector<std::string> messages();
    std::vector<std::string> timed();
    // The note-ons ("90 3C 64") in order.
    std::vector<std::string> noteOns();

    platform::ScriptedMessageBox box;
    platform::MemoryProfile profile;
    FakeHost host;
    FakeMixer mixer;
    std::unique_ptr<EventRecorder> recorder = std::make_unique<EventRecorder>();
    FixedDevices devices;
    PlaybackEngine engine;
};

std::unique_ptr<CPlmDoc> documentOf(const std::vector<SongRecord>& records, SongInfo info = SongInfo::defaults());
SongInfo infoWith(std::int16_t tempo, std::uint8_t module = 0, std::uint8_t bank = 0, std::uint8_t program = 0,
                  bool rhythm = false);
// Index of the first message equal to `text` at or after `from`; messages.size() when none.
std::size_t indexOf(const std::vector<std::string>& messages, const std::string& text, std::size_t from = 0);
inline bool has(const std::vector<std::string>& messages, const std::string& text) {
    return indexOf(messages, text) < messages.size();
}

}  // namespace plume::test
