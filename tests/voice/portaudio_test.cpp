#include <gtest/gtest.h>

#include "platform/message_box.h"
#include "voice/devices/portaudio_driver.h"
#include "voice/tones.h"
#include "voice/voice_detector.h"

namespace plume::voice {
namespace {

// Runs on machines without a sound card too: then every opening is refused with its message.
TEST(PortAudioDevice, OpensOrSaysWhyAndNothingElseBreaks) {
    test::Profiles profiles;
    platform::ScriptedMessageBox box;
    auto driver = makeSystemWaveDriver();
    CVoiceDetector detector(*driver);
    ASSERT_TRUE(detector.Allocate(2));
    const int opened = detector.OpenInput(nullptr);
    if (reportOpening(detector.IsReady(), opened)) {
        EXPECT_TRUE(box.shown().empty());
    } else {
        ASSERT_EQ(box.shown().size(), 1u);
        EXPECT_EQ(box.shown()[0], *openingMessage(true, opened));
        EXPECT_EQ(detector.StartRecording(0.2), 1);
        EXPECT_EQ(detector.GetInputPosition(), kNoPosition);
        detector.StopRecording();
    }
    detector.CloseInput();
    profiles.app.writeInt("WAV Config", "WavOutDevice", 1000);
    EXPECT_NE(detector.OpenOutput(nullptr), mm::kNoError);
    EXPECT_EQ(detector.PlayAll(), 0);
    EXPECT_EQ(detector.Analyse(120, 44100, 1), 0);
}

}  // namespace
}  // namespace plume::voice
