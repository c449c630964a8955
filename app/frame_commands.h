#pragma once
// The main frame's command ids, the state its enabling rules look at (the registry holds the rules),
// its status panes' texts and the rule that keeps it open.

#include <cstdint>
#include <optional>
#include <string>

#include "app/palette_routing.h"
#include "play/play_block.h"

namespace plume {

namespace cmd {
// File (the framework's standard ids).
inline constexpr int kFileNew = 57600;
inline constexpr int kFileOpen = 57601;
inline constexpr int kFileClose = 57602;
inline constexpr int kFileSave = 57603;
inline constexpr int kFileSaveAs = 57604;
inline constexpr int kFilePrint = 57607;
inline constexpr int kFilePrintPreview = 57609;
inline constexpr int kRecentFile1 = 57616;  // .. kRecentFile1 + 3
inline constexpr int kAppAbout = 57664;
inline constexpr int kAppExit = 57665;
inline constexpr int kContextHelp = 57670;
inline constexpr int kEditCopy = 57634;
inline constexpr int kEditCut = 57635;
inline constexpr int kEditPaste = 57637;
inline constexpr int kEditSelectAll = 57642;
inline constexpr int kEditUndo = 57643;
inline constexpr int kWindowArrange = 57649;
inline constexpr int kWindowCascade = 57650;
inline constexpr int kWindowTile = 57651;
inline constexpr int kViewToolBar = 59392;
inline constexpr int kViewStatusBar = 59393;

// Play and devices.
inline constexpr int kPlay = 32772;
inline constexpr int kStop = 32773;
inline constexpr int kTroubleshooting = 32813;
inline constexpr int kInsertSwitch = 32814;
inline constexpr int kVelocityPalette = 32820;
inline constexpr int kGatePalette = 32829;
inline constexpr int kInterruptPeriod = 32848;
inline constexpr int kLevelMeter = 32850;
inline constexpr int kEarTraining = 32856;
inline constexpr int kSingingBasics = 32858;
inline constexpr int kSingingPractice = 32859;
inline constexpr int kRepeat = 32863;
inline constexpr int kAllTracks = 32864;
inline constexpr int kFirstLine = 32865;
inline constexpr int kLastLine = 32866;
inline constexpr int kLineMark = 32868;
inline constexpr int kLineMarkDown = 32870;
inline constexpr int kLineMarkUp = 32871;
inline constexpr int kEffectPalette = 32873;
inline constexpr int kChordIdentification = 32874;
inline constexpr int kNotePalette = 32875;
inline constexpr int kChordPalette = 32876;
inline constexpr int kEditPalette = 32877;
inline constexpr int kKeyboardPalette = 32878;
inline constexpr int kDeviceReset = 32879;
inline constexpr int kMidiDevice = 32880;
inline constexpr int kVokato = 32881;
inline constexpr int kDrumPalette = 32894;
inline constexpr int kPageLayout = 32895;
inline constexpr int kNumericInput = 32903;
inline constexpr int kKeyboardPaletteLarge = 32904;
inline constexpr int kLyricInput = 32909;
inline constexpr int kChordNameInput = 32910;
inline constexpr int kNewMouseInput = 32912;

// The hum-to-score window's tool bar.
inline constexpr int kVokatoAdjust = 700;
inline constexpr int kVokatoMeasurePitch = 701;
inline constexpr int kVokatoReconvert = 702;
inline constexpr int kVokatoUndoMarks = 703;
inline constexpr int kVokatoPlayAndRecord = 704;
inline constexpr int kVokatoStopRecording = 705;
inline constexpr int kVokatoRecord = 706;
inline constexpr int kVokatoAutoTranspose = 707;
inline constexpr int kVokatoWithCopy = 708;
inline constexpr int kVokatoDown = 709;
inline constexpr int kVokatoUp = 710;
inline constexpr int kVokatoPlay = 711;
inline constexpr int kVokatoStop = 712;
inline constexpr int kVokatoTransfer = 713;

// Commands without an id of their own elsewhere.
inline constexpr int kGrandStaff = 33001;
inline constexpr int kOneLineDisplay = 33002;
inline constexpr int kZoom100 = 33230;  // .. kZoom100 + 3: the view's magnifications, as kZoomSteps
inline constexpr int kProjectNew = 33010;
inline constexpr int kProjectOpen = 33011;
inline constexpr int kProjectEdit = 33012;
inline constexpr int kProjectClose = 33013;
inline constexpr int kRecentProject1 = 33020;  // .. kRecentProject1 + 7
inline constexpr int kExportMidi = 33030;
inline constexpr int kExportMld = 33031;
inline constexpr int kProperties = 33040;
inline constexpr int kCheckActive = 33041;
inline constexpr int kCheckAll = 33042;
inline constexpr int kDatabase = 33043;
inline constexpr int kClearRange = 33050;
inline constexpr int kTranspose = 33051;
inline constexpr int kNotesToRests = 33052;
inline constexpr int kTriplet = 33053;  // .. kTriplet + 4: tuplets of 3 to 7
inline constexpr int kTupletClear = 33058;
inline constexpr int kTie = 33059;
inline constexpr int kKeyChange = 33060;
inline constexpr int kTimeChange = 33061;
inline constexpr int kGoToLine = 33062;
inline constexpr int kLineMarkClear = 33063;
inline constexpr int kEffectVolume = 33070;  // .. kEffectVolume + 8: volume .. instrument
inline constexpr int kWavDevice = 33080;
inline constexpr int kChordHelp = 33090;
inline constexpr int kMixer = 33210;  // shows the mixer window
}  // namespace cmd

inline constexpr int kRecentFileCount = 4;
inline constexpr int kRecentProjectCount = 8;

enum class ActiveChild { None, Song, Mixer };

// What the enabling rules look at.
struct FrameState {
    bool playing = false;      // PlayMode is not Stopped
    PlayMode playMode = PlayMode::Stopped;  // the player's; a frame playing without it counts as DeviceOnly
    bool vokatoMode = false;       // the hum-to-score window is open
    std::uint16_t vokatoEnabled = 0;  // its commands 700-713 that it allows, as bits from 700 up
    std::uint16_t vokatoChecked = 0;  // and those checked (707, 708)
    bool projectSet = false;
    ActiveChild active = ActiveChild::None;
    bool activeMinimised = false;
    bool songEmpty = true;     // the active song holds no record
    bool hasRange = false;     // the active view has a range selected
    bool canUndo = false;      // the active view's undo ring holds a snapshot
    bool clipboardFull = false;
    int tupletCount = 0;       // the tuplet the active view's range can form, 0 for none
    bool chordsIdentifiable = false;  // canIdentifyChords() over the active view's range, while nothing plays
    // Toggles shown with a check mark.
    bool grandStaff = false;
    bool effectDisplay = false;  // "１行表示": the song windows show the effect-edit display
    int zoom = 100;
    bool allTracks = false;
    bool repeat = false;
    bool showLevel = true;
    bool newMouseInput = false;
    bool largeKeyboardPalette = false;
    bool numericBarShown = false;
    bool lyricBarShown = false;
    bool chordNameBarShown = false;
    PaletteVisibility palettes;  // the floating palettes that are shown
    bool toolBarShown = true;
    bool statusBarShown = true;
};

// The position panes are enabled only while a song window is active and not minimised.
bool positionPanesEnabled(const FrameState& state);
// "%3d行" and "%3d小節"; a line of -1 gives the fixed empty text.
std::string linePaneText(int line);
std::string barPaneText(int bar);
inline constexpr const char* kOverwritePaneText = "上書";

// Why the main window may not close now, or nullopt when it may.
std::optional<std::string> closeRefusal(const FrameState& state);

}  // namespace plume
