#include "app/command_registry.h"

#include <algorithm>
#include <array>
#include <regex>

#include "app/palette_routing.h"
#include "play/play_settings.h"
#include "score/score_geometry.h"

namespace plume {

namespace {

// ---- rules ---------------------------------------------------------------------------------------

PlayMode playModeOf(const FrameState& s) {
    return s.playing && s.playMode == PlayMode::Stopped ? PlayMode::DeviceOnly : s.playMode;
}

PlayMenuState playMenuState(const FrameState& s) {
    PlayMenuState m;
    m.mode = playModeOf(s);
    m.vokatoMode = s.vokatoMode;
    m.active = s.active == ActiveChild::Song    ? ActiveWindow::Song
               : s.active == ActiveChild::Mixer ? ActiveWindow::Mixer
                                                : ActiveWindow::None;
    m.activeMinimised = s.activeMinimised;
    m.projectSet = s.projectSet;
    m.songRecordCount = s.songEmpty ? 0 : 1;
    return m;
}

bool songActive(const FrameState& s, int) { return s.active == ActiveChild::Song; }
// A song window is active and not minimised.
bool songShown(const FrameState& s, int) { return s.active == ActiveChild::Song && !s.activeMinimised; }
bool withRange(const FrameState& s, int id) { return songShown(s, id) && s.hasRange; }
bool withUndo(const FrameState& s, int id) { return songShown(s, id) && s.canUndo; }
bool withClipboard(const FrameState& s, int id) { return songShown(s, id) && s.clipboardFull; }
bool withRecords(const FrameState& s, int id) { return songShown(s, id) && !s.songEmpty; }
// The range forms the tuplet the command makes, and nothing plays.
bool tupletFits(const FrameState& s, int id) {
    return withRange(s, id) && !s.playing && !s.vokatoMode && s.tupletCount == 3 + id - cmd::kTriplet;
}
bool songShownQuiet(const FrameState& s, int id) { return songShown(s, id) && !s.playing; }
bool chordsIdentifiable(const FrameState& s, int id) { return songShown(s, id) && s.chordsIdentifiable; }
bool withProject(const FrameState& s, int) { return s.projectSet; }
bool projectAndQuiet(const FrameState& s, int) { return s.projectSet && !s.playing; }
bool notPlaying(const FrameState& s, int) { return !s.playing; }
bool playAllowed(const FrameState& s, int) { return playCommandEnabled(playMenuState(s)); }
bool stopAllowed(const FrameState& s, int) { return stopCommandEnabled(playModeOf(s)); }
bool playSettingsAllowed(const FrameState& s, int) { return playSettingsCommandEnabled(playModeOf(s)); }
bool paletteAllowed(const FrameState& s, int) { return PaletteVisibility::showCommandEnabled(s); }

bool paletteShown(const FrameState& s, int id) { return s.palettes.isShown(id); }
// The hum-to-score window opens over a shown song and closes at any time.
bool vokatoToggles(const FrameState& s, int id) { return s.vokatoMode || songShown(s, id); }
bool vokatoOpen(const FrameState& s, int) { return s.vokatoMode; }
bool vokatoAllows(const FrameState& s, int id) {
    return s.vokatoMode && (s.vokatoEnabled >> (id - cmd::kVokatoAdjust) & 1u) != 0;
}
bool vokatoFlagOn(const FrameState& s, int id) { return (s.vokatoChecked >> (id - cmd::kVokatoAdjust) & 1u) != 0; }
bool grandStaffOn(const FrameState& s, int) { return s.grandStaff; }
bool effectDisplayOn(const FrameState& s, int) { return s.effectDisplay; }
bool zoomIs(const FrameState& s, int id) { return s.zoom == kZoomSteps[id - cmd::kZoom100]; }
bool allTracksOn(const FrameState& s, int) { return s.allTracks; }
bool repeatOn(const FrameState& s, int) { return s.repeat; }
bool levelShown(const FrameState& s, int) { return s.showLevel; }
bool newMouseInputOn(const FrameState& s, int) { return s.newMouseInput; }
bool toolBarShown(const FrameState& s, int) { return s.toolBarShown; }
bool statusBarShown(const FrameState& s, int) { return s.statusBarShown; }
bool largeKeyboardOn(const FrameState& s, int) { return s.largeKeyboardPalette; }
bool numericBarShown(const FrameState& s, int) { return s.numericBarShown; }
bool lyricBarShown(const FrameState& s, int) { return s.lyricBarShown; }
bool chordNameBarShown(const FrameState& s, int) { return s.chordNameBarShown; }

// ---- entries -------------------------------------------------------------------------------------

using E = CommandEntry;
constexpr MenuId F = MenuId::File, Ed = MenuId::Edit, V = MenuId::View, Pr = MenuId::Project, Pl = MenuId::Play,
                 Vo = MenuId::Vokato, W = MenuId::Window, H = MenuId::Help;
constexpr const char* kDataCheck = "ﾃﾞｰﾀﾁｪｯｸ";
constexpr const char* kTuplets = "連符";
constexpr const char* kEffects = "効果";
constexpr const char* kZoom = "拡大表示";
constexpr const char* kRecentProjects = "以前開いたプロジェクト";

constexpr CommandEntry kEntries[] = {
    {cmd::kFileNew, F, "新規作成", "Ctrl+N"},
    {cmd::kFileOpen, F, "開く...", "Ctrl+O"},
    {cmd::kFileClose, F, "閉じる", "", songActive},
    {cmd::kFileSave, F, "上書き保存", "Ctrl+S", songActive},
    {cmd::kFileSaveAs, F, "名前を付けて保存", "", songActive},
    {E::kSeparator, F},
    {cmd::kProperties, F, "ﾌﾟﾛﾊﾟﾃｨｰ", "", songActive},
    {cmd::kCheckActive, F, "ｱｸﾃｨﾌﾞﾌｧｲﾙ", "", songActive, nullptr, kDataCheck},
    {cmd::kCheckAll, F, "全ﾄﾗｯｸ", "", projectAndQuiet, nullptr, kDataCheck},
    {E::kSeparator, F},
    {cmd::kExportMidi, F, "MIDIﾌｧｲﾙ作成", "", projectAndQuiet},
    {cmd::kExportMld, F, "i ﾒﾛﾃﾞｨ(mld)ﾌｧｲﾙ作成", "", projectAndQuiet},
    {E::kSeparator, F},
    {cmd::kFilePrint, F, "印刷...", "Ctrl+P", songShown},
    {cmd::kFilePrintPreview, F, "印刷プレビュー", "", songShown},
    {cmd::kPageLayout, F, "ﾍﾟｰｼﾞﾚｱｳﾄの設定"},
    {E::kSeparator, F},
    {cmd::kDatabase, F, "ﾃﾞｰﾀﾍﾞｰｽ"},
    {E::kSeparator, F},
    {cmd::kRecentFile1, F, "最近使ったファイル", "", nullptr, nullptr, nullptr, kRecentFileCount},
    {E::kSeparator, F},
    {cmd::kAppExit, F, "アプリケーションの終了"},

    {cmd::kEditUndo, Ed, "元に戻す", "Ctrl+Z", withUndo},
    {E::kSeparator, Ed},
    {cmd::kEditCut, Ed, "切り取り", "Ctrl+X", withRange},
    {cmd::kEditCopy, Ed, "コピー", "Ctrl+C", withRange},
    {cmd::kEditPaste, Ed, "貼り付け", "Ctrl+V", withClipboard},
    {E::kSeparator, Ed},
    {cmd::kEditSelectAll, Ed, "すべてを選択", "Ctrl+A", withRecords},
    {cmd::kClearRange, Ed, "範囲指定解除", "", withRange},
    {E::kSeparator, Ed},
    {cmd::kTranspose, Ed, "トランスポーズ", "", withRange},
    {cmd::kNotesToRests, Ed, "音符→休符変換", "", withRange},
    {cmd::kTriplet, Ed, "三連符", "", tupletFits, nullptr, kTuplets},
    {cmd::kTriplet + 1, Ed, "四連符", "", tupletFits, nullptr, kTuplets},
    {cmd::kTriplet + 2, Ed, "五連符", "", tupletFits, nullptr, kTuplets},
    {cmd::kTriplet + 3, Ed, "六連符", "", tupletFits, nullptr, kTuplets},
    {cmd::kTriplet + 4, Ed, "七連符", "", tupletFits, nullptr, kTuplets},
    {E::kSeparator, Ed, "", "", nullptr, nullptr, kTuplets},
    {cmd::kTupletClear, Ed, "クリア", "", withRange, nullptr, kTuplets},
    {cmd::kTie, Ed, "タイ", "", withRange},
    {E::kSeparator, Ed},
    {cmd::kKeyChange, Ed, "調号(&K)", "", songShown},
    {cmd::kTimeChange, Ed, "拍子(&B)", "", songShown},
    {E::kSeparator, Ed},
    {cmd::kEffectVolume, Ed, "ﾎﾞﾘｭｰﾑ", "", songShownQuiet, nullptr, kEffects},
    {cmd::kEffectVolume + 1, Ed, "ﾊﾟﾝﾎﾟｯﾄ", "", songShownQuiet, nullptr, kEffects},
    {cmd::kEffectVolume + 2, Ed, "ﾓｼﾞｭﾚｰｼｮﾝ", "", songShownQuiet, nullptr, kEffects},
    {cmd::kEffectVolume + 3, Ed, "ﾎｰﾙﾄﾞ", "", songShownQuiet, nullptr, kEffects},
    {cmd::kEffectVolume + 4, Ed, "ﾘﾊﾞｰﾌﾞ", "", songShownQuiet, nullptr, kEffects},
    {cmd::kEffectVolume + 5, Ed, "ｺｰﾗｽ", "", songShownQuiet, nullptr, kEffects},
    {cmd::kEffectVolume + 6, Ed, "ﾋﾟｯﾁﾍﾞﾝﾄﾞ", "", songShownQuiet, nullptr, kEffects},
    {cmd::kEffectVolume + 7, Ed, "ﾃﾝﾎﾟ", "", songShownQuiet, nullptr, kEffects},
    {cmd::kEffectVolume + 8, Ed, "演奏楽器", "", songShownQuiet, nullptr, kEffects},
    {cmd::kLyricInput, Ed, "歌詞入力(&L)", "", songShown, lyricBarShown},
    {cmd::kChordNameInput, Ed, "コード名入力(&C)", "", songShown, chordNameBarShown},
    {E::kSeparator, Ed},
    {cmd::kInsertSwitch, Ed, "挿入／上書き", "Ins"},
    {E::kSeparator, Ed},
    {cmd::kChordIdentification, Ed, "コード判別", "", chordsIdentifiable},

    {cmd::kViewToolBar, V, "ツールバー", "", nullptr, toolBarShown},
    {cmd::kViewStatusBar, V, "ステータスバー", "", nullptr, statusBarShown},
    {E::kSeparator, V},
    {cmd::kGrandStaff, V, "大譜表表示", "", nullptr, grandStaffOn},
    {cmd::kZoom100, V, "100%", "", nullptr, zoomIs, kZoom},
    {cmd::kZoom100 + 1, V, "150%", "", nullptr, zoomIs, kZoom},
    {cmd::kZoom100 + 2, V, "200%", "", nullptr, zoomIs, kZoom},
    {cmd::kZoom100 + 3, V, "300%", "", nullptr, zoomIs, kZoom},
    {cmd::kOneLineDisplay, V, "１行表示", "", nullptr, effectDisplayOn},
    {E::kSeparator, V},
    {cmd::kFirstLine, V, "先頭行", "Ctrl+Home", songShown},
    {cmd::kLastLine, V, "最終行", "Ctrl+End", songShown},
    {cmd::kGoToLine, V, "指定行", "", songShown},
    {E::kSeparator, V},
    {cmd::kLineMark, V, "行マークON/OFF", "", songShown},
    {cmd::kLineMarkUp, V, "行マーク上検索", "", songShown},
    {cmd::kLineMarkDown, V, "行マーク下検索", "", songShown},
    {cmd::kLineMarkClear, V, "行マークのクリア", "", songShown},
    {E::kSeparator, V},
    {cmd::kNotePalette, V, "音符パレット", "", paletteAllowed, paletteShown},
    {cmd::kChordPalette, V, "コードパレット", "", paletteAllowed, paletteShown},
    {cmd::kEditPalette, V, "拡大編集パレット", "", paletteAllowed, paletteShown},
    {cmd::kKeyboardPalette, V, "鍵盤パレット", "", paletteAllowed, paletteShown},
    {cmd::kKeyboardPaletteLarge, V, "鍵盤ﾊﾟﾚｯﾄｻｲｽﾞ（大）", "", nullptr, largeKeyboardOn},
    {cmd::kEffectPalette, V, "効果パレット", "", paletteAllowed, paletteShown},
    {cmd::kDrumPalette, V, "ﾄﾞﾗﾑパレット", "", paletteAllowed, paletteShown},
    {cmd::kGatePalette, V, "ｹﾞｰﾄﾀｲﾑ", "", paletteAllowed, paletteShown},
    {cmd::kVelocityPalette, V, "ﾍﾞﾛｼﾃｨｰ", "", paletteAllowed, paletteShown},
    {cmd::kNumericInput, V, "数値入力", "Ctrl+Space", songShown, numericBarShown},
    {E::kSeparator, V},
    {cmd::kMixer, V, "ミキサー"},

    {cmd::kProjectNew, Pr, "新規作成"},
    {cmd::kProjectOpen, Pr, "開く"},
    {cmd::kProjectEdit, Pr, "編集", "", withProject},
    {cmd::kProjectClose, Pr, "閉じる", "", withProject},
    {E::kSeparator, Pr},
    {cmd::kRecentProject1, Pr, "(なし)", "", nullptr, nullptr, kRecentProjects, kRecentProjectCount},

    {cmd::kPlay, Pl, "演奏開始", "", playAllowed},
    {cmd::kStop, Pl, "演奏停止", "", stopAllowed},
    {E::kSeparator, Pl},
    {cmd::kAllTracks, Pl, "全トラック", "", nullptr, allTracksOn},
    {cmd::kRepeat, Pl, "繰り返し演奏", "", nullptr, repeatOn},
    {E::kSeparator, Pl},
    {cmd::kDeviceReset, Pl, "音源リセット", "", playSettingsAllowed},
    {cmd::kMidiDevice, Pl, "MIDIデバイス", "", playSettingsAllowed},
    {cmd::kInterruptPeriod, Pl, "割り込み周期", "", playSettingsAllowed},
    {cmd::kLevelMeter, Pl, "ﾚﾍﾞﾙﾒｰﾀ表示", "", playSettingsAllowed, levelShown},
    {E::kSeparator, Pl},
    {cmd::kNewMouseInput, Pl, "マウス入力を新機能にする", "", nullptr, newMouseInputOn},
    {cmd::kTroubleshooting, Pl, "トラブル対策[音源関係](&S)"},

    {cmd::kVokato, Vo, "Vokatoをつかう", "", vokatoToggles, vokatoOpen},
    {E::kSeparator, Vo},
    {cmd::kVokatoAdjust, Vo, "音声認識の調整", "", vokatoAllows},
    {cmd::kVokatoMeasurePitch, Vo, "自分のピッチを計測", "", vokatoAllows},
    {cmd::kVokatoReconvert, Vo, "音声データから採譜へ再変換", "", vokatoAllows},
    {cmd::kVokatoUndoMarks, Vo, "音声データにつけた音の切れ目を戻す", "", vokatoAllows},
    {cmd::kVokatoPlayAndRecord, Vo, "コピーした範囲の演奏と録音を同時に開始", "", vokatoAllows},
    {cmd::kVokatoRecord, Vo, "録音を開始", "", vokatoAllows},
    {cmd::kVokatoStopRecording, Vo, "録音の停止", "", vokatoAllows},
    {cmd::kVokatoAutoTranspose, Vo, "自分のＣ（ド）を元に自動的に移調する", "", vokatoAllows, vokatoFlagOn},
    {cmd::kVokatoWithCopy, Vo, "コピーした範囲も一緒に演奏する", "", vokatoAllows, vokatoFlagOn},
    {cmd::kVokatoDown, Vo, "半音下げる", "", vokatoAllows},
    {cmd::kVokatoUp, Vo, "半音上げる", "", vokatoAllows},
    {cmd::kVokatoPlay, Vo, "演奏開始", "", vokatoAllows},
    {cmd::kVokatoStop, Vo, "演奏停止", "", vokatoAllows},
    {cmd::kVokatoTransfer, Vo, "データをファイルに転送", "", vokatoAllows},
    {E::kSeparator, Vo},
    {cmd::kEarTraining, Vo, "聴音", "", nullptr, nullptr, nullptr, 1, "聞いた音の認識トレーニング"},
    {cmd::kSingingBasics, Vo, "発声基礎", "", nullptr, nullptr, nullptr, 1, "１音の発声トレーニング"},
    {cmd::kSingingPractice, Vo, "発声実践", "", notPlaying, nullptr, nullptr, 1, "実際の曲で発声トレーニング"},
    {E::kSeparator, Vo},
    {cmd::kWavDevice, Vo, "WAVデバイス"},

    {cmd::kWindowCascade, W, "重ねて表示"},
    {cmd::kWindowTile, W, "並べて表示"},
    {cmd::kWindowArrange, W, "アイコンの整列"},
    {E::kSeparator, W},
    {E::kWindowList, W},

    {cmd::kContextHelp, H, "ヘルプ", "Shift+F1"},
    {cmd::kChordHelp, H, "コード進行のヘルプ"},
    {E::kSeparator, H},
    {cmd::kAppAbout, H, "バージョン情報"},
};

constexpr std::array<const char*, kMenuCount> kMenuTitles = {
    "ファイル", "編集", "表示", "ﾌﾟﾛｼﾞｪｸﾄ", "演奏", "Vokato", "ウィンドウ", "ヘルプ",
};

constexpr int kMainToolBar[] = {
    cmd::kFileNew,       cmd::kFileOpen,        cmd::kFileSave,         0,
    cmd::kEditCut,       cmd::kEditCopy,        cmd::kEditPaste,        0,
    cmd::kLineMark,      cmd::kLineMarkUp,      cmd::kLineMarkDown,     0,
    cmd::kNotePalette,   cmd::kChordPalette,    cmd::kEditPalette,      cmd::kKeyboardPalette,
    cmd::kEffectPalette, cmd::kDrumPalette,     0,                      cmd::kVokato,
    0,                   cmd::kAllTracks,       cmd::kRepeat,           cmd::kPlay,
    cmd::kStop,          0,                     cmd::kChordIdentification, 0,
    cmd::kContextHelp,
};

constexpr int kVokatoToolBar[] = {
    cmd::kVokatoAdjust, cmd::kVokatoMeasurePitch, 0, 0, cmd::kVokatoRecord, cmd::kVokatoPlay,
    cmd::kVokatoStopRecording, 0, cmd::kVokatoDown, cmd::kVokatoUp, 0, cmd::kVokatoTransfer,
};

}  // namespace

std::span<const CommandEntry> commandEntries() { return kEntries; }
std::span<const int> mainToolBar() { return kMainToolBar; }
std::span<const int> vokatoToolBar() { return kVokatoToolBar; }

const CommandEntry* findCommand(int id) {
    if (id <= 0) return nullptr;
    const auto it = std::find_if(std::begin(kEntries), std::end(kEntries),
                                 [id](const CommandEntry& e) { return id >= e.id && id < e.id + e.count; });
    return it == std::end(kEntries) ? nullptr : &*it;
}

std::string_view menuTitle(MenuId menu) { return kMenuTitles[std::size_t(menu)]; }

std::string_view commandText(int id) {
    const CommandEntry* entry = findCommand(id);
    return entry ? entry->text : std::string_view();
}

std::string commandPrompt(const CommandEntry& entry) {
    if (entry.prompt) return entry.prompt;
    static const std::regex mnemonic(R"(\(&[A-Za-z]\)|&)");
    return std::regex_replace(std::string(entry.text), mnemonic, "");
}

void CommandRegistry::bind(int id, Action action) {
    if (const CommandEntry* entry = findCommand(id)) m_actions[entry->id] = std::move(action);
}

void CommandRegistry::bind(int id, std::function<void()> action) {
    bind(id, Action([action = std::move(action)](int) { action(); }));
}

bool CommandRegistry::isBound(int id) const {
    const CommandEntry* entry = findCommand(id);
    return entry && m_actions.contains(entry->id);
}

bool CommandRegistry::enabled(int id, const FrameState& state) const {
    if (!isBound(id)) return false;
    const CommandEntry* entry = findCommand(id);
    return !entry->enabled || entry->enabled(state, id);
}

std::optional<bool> CommandRegistry::checked(int id, const FrameState& state) const {
    const CommandEntry* entry = findCommand(id);
    if (!entry || !entry->checked) return std::nullopt;
    return entry->checked(state, id);
}

bool CommandRegistry::run(int id, const FrameState& state) const {
    if (!enabled(id, state)) return false;
    const CommandEntry* entry = findCommand(id);
    m_actions.at(entry->id)(id - entry->id);
    return true;
}

}  // namespace plume
