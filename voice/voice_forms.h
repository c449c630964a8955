#pragma once
// The rules of the voice dialogs: the detection parameters' bars and buttons, and the pitch
// enrolment's keyboard and check.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "voice/voice_detector.h"

namespace plume::voice {

// "Plume-音声認識の設定".
class DetectParametersForm {
public:
    static constexpr int kAploxLow = 1, kAploxHigh = 9, kAploxLine = 1, kAploxPage = 10;
    static constexpr int kNoiseCutLow = 300, kNoiseCutHigh = 8000, kNoiseCutLine = 100, kNoiseCutPage = 1000;

    explicit DetectParametersForm(const DetectParameters& values) : m_values(values) {}

    // Each change is clamped to the bar's range and marks the form changed.
    void setAplox(int value);
    void setNoiseCut(int value);
    // "初期値をセット": the defaults, keeping Detect Way.
    void resetToDefaults();
    // OK: the message that keeps the dialog open, or nullopt when the parameters may be saved.
    std::optional<std::string_view> refusal() const;
    // Cancel: the question to ask first, or nullopt when nothing changed.
    std::optional<std::string_view> cancelQuestion() const;

    const DetectParameters& values() const { return m_values; }
    bool changed() const { return m_changed; }

private:
    DetectParameters m_values;
    bool m_changed = false;
};

// "Plume－ ピッチの登録": a keyboard of notes 24..95, six octaves of 56 pixels.
class PitchEnrolForm {
public:
    static constexpr int kLowestKey = 24;
    static constexpr int kHighestKey = 95;
    static constexpr int kOctaveWidth = 56;

    // The measurement of a take: the first note found, or 0.
    void measured(const std::vector<NoteSegment>& segments);
    // The key under x pixels of the keyboard (white keys only: 8 pixels each).
    static int keyAt(int x);
    void choose(int key) { m_chosen = key; }
    // "あなたの声Note No:%d を Note No:%d に登録します。"
    std::string message() const;
    // OK: writes "User Data" and "Distination" and returns true, or shows "データが不正です。".
    bool accept() const;

    int measuredNote() const { return m_note; }
    int measuredFrequency() const { return m_frequency; }
    int chosen() const { return m_chosen; }

private:
    int m_note = 0;
    int m_frequency = 0;
    int m_chosen = 60;
};

}  // namespace plume::voice
