#include "app/frame_commands.h"

#include <algorithm>
#include <array>
#include <iterator>

#include "platform/message_box.h"
#include "play/play_settings.h"

namespace plume {

namespace {

using E = MenuEntry;
constexpr E kSeparator{};

constexpr E kDataCheck[] = {
    {cmd::kCheckActive, "ｱｸﾃｨﾌﾞﾌｧｲﾙ"},
    {cmd::kCheckAll, "全ﾄﾗｯｸ"},
};

constexpr E kFileMenu[] = {
    {cmd::kFileNew, "新規作成", "Ctrl+N"},
    {cmd::kFileOpen, "開く...", "Ctrl+O"},
    {cmd::kFileClose, "閉じる"},
    {cmd::kFileSave, "上書き保存", "Ctrl+S"},
    {cmd::kFileSaveAs, "名前を付けて保存"},
    kSeparator,
    {cmd::kProperties, "ﾌﾟﾛﾊﾟﾃｨｰ"},
    {E::kSubmenu, "ﾃﾞｰﾀﾁｪｯｸ", "", kDataCheck},
    kSeparator,
    {cmd::kExportMidi, "MIDIﾌｧｲﾙ作成"},
    {cmd::kExportMld, "i ﾒﾛﾃﾞｨ(mld)ﾌｧｲﾙ作成"},
    kSeparator,
    {cmd::kFilePrint, "印刷...", "Ctrl+P"},
    {cmd::kFilePrintPreview, "印刷プレビュー"},
    {cmd::kPageLayout, "ﾍﾟｰｼﾞﾚｱｳﾄの設定"},
    kSeparator,
    {cmd::kDatabase, "ﾃﾞｰﾀﾍﾞｰｽ"},
    kSeparator,
    {E::kRecentFiles, ""},
    kSeparator,
    {cmd::kAppExit, "アプリケーションの終了"},
};

constexpr E kTuplets[] = {
    {cmd::kTriplet, "三連符"},
    {cmd::kTriplet + 1, "四連符"},
    {cmd::kTriplet + 2, "五連符"},
    {cmd::kTriplet + 3, "六連符"},
    {cmd::kTriplet + 4, "七連符"},
    kSeparator,
    {cmd::kTupletClear, "クリア"},
};

constexpr E kEffects[] = {
    {cmd::kEffectVolume, "ﾎﾞﾘｭｰﾑ"},
    {cmd::kEffectVolume + 1, "ﾊﾟﾝﾎﾟｯﾄ"},
    {cmd::kEffectVolume + 2, "ﾓｼﾞｭﾚｰｼｮﾝ"},
    {cmd::kEffectVolume + 3, "ﾎｰﾙﾄﾞ"},
    {cmd::kEffectVolume + 4, "ﾘﾊﾞｰﾌﾞ"},
    {cmd::kEffectVolume + 5, "ｺｰﾗｽ"},
    {cmd::kEffectVolume + 6, "ﾋﾟｯﾁﾍﾞﾝﾄﾞ"},
    {cmd::kEffectVolume + 7, "ﾃﾝﾎﾟ"},
    {cmd::kEffectVolume + 8, "演奏楽器"},
};

constexpr E kEditMenu[] = {
    {cmd::kEditUndo, "元に戻す", "Ctrl+Z"},
    kSeparator,
    {cmd::kEditCut, "切り取り", "Ctrl+X"},
    {cmd::kEditCopy, "コピー", "Ctrl+C"},
    {cmd::kEditPaste, "貼り付け", "Ctrl+V"},
    kSeparator,
    {cmd::kEditSelectAll, "すべてを選択", "Ctrl+A"},
    {cmd::kClearRange, "範囲指定解除"},
    kSeparator,
    {cmd::kTranspose, "トランスポーズ"},
    {cmd::kNotesToRests, "音符→休符変換"},
    {E::kSubmenu, "連符", "", kTuplets},
    {cmd::kTie, "タイ"},
    kSeparator,
    {cmd::kKeyChange, "調号(&K)"},
    {cmd::kTimeChange, "拍子(&B)"},
    kSeparator,
    {E::kSubmenu, "効果", "", kEffects},
    {cmd::kLyricInput, "歌詞入力(&L)"},
    {cmd::kChordNameInput, "コード名入力(&C)"},
    kSeparator,
    {cmd::kInsertSwitch, "挿入／上書き", "Ins"},
    kSeparator,
    {cmd::kChordIdentification, "コード判別"},
};

constexpr E kViewMenu[] = {
    {cmd::kViewToolBar, "ツールバー"},
    {cmd::kViewStatusBar, "ステータスバー"},
    kSeparator,
    {cmd::kGrandStaff, "大譜表表示"},
    {cmd::kOneLineDisplay, "１行表示"},
    kSeparator,
    {cmd::kFirstLine, "先頭行", "Ctrl+Home"},
    {cmd::kLastLine, "最終行", "Ctrl+End"},
    {cmd::kGoToLine, "指定行"},
    kSeparator,
    {cmd::kLineMark, "行マークON/OFF"},
    {cmd::kLineMarkUp, "行マーク上検索"},
    {cmd::kLineMarkDown, "行マーク下検索"},
    {cmd::kLineMarkClear, "行マークのクリア"},
    kSeparator,
    {cmd::kNotePalette, "音符パレット"},
    {cmd::kChordPalette, "コードパレット"},
    {cmd::kEditPalette, "拡大編集パレット"},
    {cmd::kKeyboardPalette, "鍵盤パレット"},
    {cmd::kKeyboardPaletteLarge, "鍵盤ﾊﾟﾚｯﾄｻｲｽﾞ（大）"},
    {cmd::kEffectPalette, "効果パレット"},
    {cmd::kDrumPalette, "ﾄﾞﾗﾑパレット"},
    {cmd::kGatePalette, "ｹﾞｰﾄﾀｲﾑ"},
    {cmd::kVelocityPalette, "ﾍﾞﾛｼﾃｨｰ"},
    {cmd::kNumericInput, "数値入力", "Ctrl+Space"},
};

constexpr E kRecentProjects[] = {{E::kRecentProjects, ""}};

constexpr E kProjectMenu[] = {
    {cmd::kProjectNew, "新規作成"},
    {cmd::kProjectOpen, "開く"},
    {cmd::kProjectEdit, "編集"},
    {cmd::kProjectClose, "閉じる"},
    kSeparator,
    {E::kSubmenu, "以前開いたプロジェクト", "", kRecentProjects},
};

constexpr E kPlayMenu[] = {
    {cmd::kPlay, "演奏開始"},
    {cmd::kStop, "演奏停止"},
    kSeparator,
    {cmd::kAllTracks, "全トラック"},
    {cmd::kRepeat, "繰り返し演奏"},
    kSeparator,
    {cmd::kDeviceReset, "音源リセット"},
    {cmd::kMidiDevice, "MIDIデバイス"},
    {cmd::kInterruptPeriod, "割り込み周期"},
    {cmd::kLevelMeter, "ﾚﾍﾞﾙﾒｰﾀ表示"},
    kSeparator,
    {cmd::kNewMouseInput, "マウス入力を新機能にする"},
    {cmd::kTroubleshooting, "トラブル対策[音源関係](&S)"},
};

constexpr E kVokatoMenu[] = {
    {cmd::kVokato, "Vokatoをつかう"},
    kSeparator,
    {cmd::kVokatoAdjust, "音声認識の調整"},
    {cmd::kVokatoMeasurePitch, "自分のピッチを計測"},
    {cmd::kVokatoReconvert, "音声データから採譜へ再変換"},
    {cmd::kVokatoUndoMarks, "音声データにつけた音の切れ目を戻す"},
    {cmd::kVokatoPlayAndRecord, "コピーした範囲の演奏と録音を同時に開始"},
    {cmd::kVokatoRecord, "録音を開始"},
    {cmd::kVokatoStopRecording, "録音の停止"},
    {cmd::kVokatoAutoTranspose, "自分のＣ（ド）を元に自動的に移調する"},
    {cmd::kVokatoWithCopy, "コピーした範囲も一緒に演奏する"},
    {cmd::kVokatoDown, "半音下げる"},
    {cmd::kVokatoUp, "半音上げる"},
    {cmd::kVokatoPlay, "演奏開始"},
    {cmd::kVokatoStop, "演奏停止"},
    {cmd::kVokatoTransfer, "データをファイルに転送"},
    kSeparator,
    {cmd::kEarTraining, "聴音"},
    {cmd::kSingingBasics, "発声基礎"},
    {cmd::kSingingPractice, "発声実践"},
    kSeparator,
    {cmd::kWavDevice, "WAVデバイス"},
};

constexpr E kWindowMenu[] = {
    {cmd::kWindowCascade, "重ねて表示"},
    {cmd::kWindowTile, "並べて表示"},
    {cmd::kWindowArrange, "アイコンの整列"},
    kSeparator,
    {E::kWindowList, ""},
};

constexpr E kHelpMenu[] = {
    {cmd::kContextHelp, "ヘルプ", "Shift+F1"},
    {cmd::kChordHelp, "コード進行のヘルプ"},
    kSeparator,
    {cmd::kAppAbout, "バージョン情報"},
};

constexpr Menu kMenus[] = {
    {"ファイル", kFileMenu}, {"編集", kEditMenu},     {"表示", kViewMenu},     {"ﾌﾟﾛｼﾞｪｸﾄ", kProjectMenu},
    {"演奏", kPlayMenu},     {"Vokato", kVokatoMenu}, {"ウィンドウ", kWindowMenu}, {"ヘルプ", kHelpMenu},
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

constexpr int kBuilt[] = {
    cmd::kFileOpen,       cmd::kFileClose,      cmd::kFileSave,      cmd::kFileSaveAs,    cmd::kAppExit,
    cmd::kAppAbout,       cmd::kContextHelp,    cmd::kEditSelectAll, cmd::kClearRange,    cmd::kInsertSwitch,
    cmd::kViewToolBar,    cmd::kViewStatusBar,  cmd::kGrandStaff,    cmd::kFirstLine,     cmd::kLastLine,
    cmd::kLineMark,       cmd::kLineMarkUp,     cmd::kLineMarkDown,  cmd::kLineMarkClear, cmd::kProjectNew,
    cmd::kProjectOpen,    cmd::kProjectEdit,    cmd::kProjectClose,  cmd::kExportMidi,    cmd::kExportMld,
    cmd::kAllTracks,      cmd::kRepeat,         cmd::kLevelMeter,    cmd::kNewMouseInput, cmd::kWindowCascade,
    cmd::kWindowTile,     cmd::kWindowArrange,
    cmd::kNumericInput,   cmd::kLyricInput,     cmd::kChordNameInput,
    cmd::kFileNew,        cmd::kProperties,     cmd::kCheckActive,   cmd::kCheckAll,      cmd::kEditUndo,
    cmd::kEditCut,        cmd::kEditCopy,       cmd::kEditPaste,     cmd::kTranspose,     cmd::kNotesToRests,
    cmd::kTriplet,        cmd::kTriplet + 1,    cmd::kTriplet + 2,   cmd::kTriplet + 3,   cmd::kTriplet + 4,
    cmd::kTupletClear,    cmd::kTie,            cmd::kKeyChange,     cmd::kTimeChange,    cmd::kGoToLine,
    cmd::kEditPalette,    cmd::kEffectPalette,  cmd::kGatePalette,   cmd::kVelocityPalette,
    cmd::kPlay,           cmd::kStop,           cmd::kDeviceReset,   cmd::kMidiDevice,    cmd::kInterruptPeriod,
    cmd::kNotePalette,    cmd::kChordPalette,   cmd::kKeyboardPalette, cmd::kKeyboardPaletteLarge,
};

std::string_view findText(std::span<const MenuEntry> entries, int id) {
    for (const MenuEntry& e : entries) {
        if (e.id == id) return e.text;
        if (e.id == MenuEntry::kSubmenu)
            if (const std::string_view text = findText(e.entries, id); !text.empty()) return text;
    }
    return {};
}

bool inRange(int id, int first, int count) { return id >= first && id < first + count; }

PlayMode playModeOf(const FrameState& s) {
    return s.playing && s.playMode == PlayMode::Stopped ? PlayMode::DeviceOnly : s.playMode;
}

PlayMenuState playMenuState(const FrameState& s) {
    PlayMenuState m;
    m.mode = playModeOf(s);
    m.vokatoMode = s.vokatoMode;
    m.active = s.active == ActiveChild::Song ? ActiveWindow::Song
               : s.active == ActiveChild::Mixer ? ActiveWindow::Mixer
                                                : ActiveWindow::None;
    m.activeMinimised = s.activeMinimised;
    m.projectSet = s.projectSet;
    m.songRecordCount = s.songEmpty ? 0 : 1;
    return m;
}

}  // namespace

std::span<const Menu> mainMenus() { return kMenus; }
std::span<const int> mainToolBar() { return kMainToolBar; }
std::span<const int> vokatoToolBar() { return kVokatoToolBar; }

std::string_view commandText(int id) {
    for (const Menu& menu : kMenus)
        if (const std::string_view text = findText(menu.entries, id); !text.empty()) return text;
    return {};
}

bool isBuilt(int id) {
    return std::find(std::begin(kBuilt), std::end(kBuilt), id) != std::end(kBuilt) ||
           inRange(id, cmd::kRecentFile1, kRecentFileCount) || inRange(id, cmd::kRecentProject1, kRecentProjectCount);
}

bool commandEnabled(int id, const FrameState& state) {
    if (!isBuilt(id)) return false;
    if (isPaletteWindowCommand(id)) return PaletteVisibility::showCommandEnabled(state);
    const bool songShown = state.active == ActiveChild::Song && !state.activeMinimised;
    if (id >= cmd::kTriplet && id < cmd::kTriplet + 5)
        return songShown && state.hasRange && !state.playing && !state.vokatoMode &&
               state.tupletCount == 3 + id - cmd::kTriplet;
    switch (id) {
    case cmd::kFileClose:
    case cmd::kFileSave:
    case cmd::kFileSaveAs:
    case cmd::kProperties:
    case cmd::kCheckActive:
        return state.active == ActiveChild::Song;
    case cmd::kCheckAll:
        return state.projectSet && !state.playing;
    case cmd::kEditUndo:
        return songShown && state.canUndo;
    case cmd::kEditPaste:
        return songShown && state.clipboardFull;
    case cmd::kEditSelectAll:
        return songShown && !state.songEmpty;
    case cmd::kEditCut:
    case cmd::kEditCopy:
    case cmd::kTranspose:
    case cmd::kNotesToRests:
    case cmd::kTupletClear:
    case cmd::kTie:
    case cmd::kClearRange:
        return songShown && state.hasRange;
    case cmd::kKeyChange:
    case cmd::kTimeChange:
    case cmd::kGoToLine:
    case cmd::kNumericInput:
    case cmd::kLyricInput:
    case cmd::kChordNameInput:
    case cmd::kFirstLine:
    case cmd::kLastLine:
    case cmd::kLineMark:
    case cmd::kLineMarkUp:
    case cmd::kLineMarkDown:
    case cmd::kLineMarkClear:
        return songShown;
    case cmd::kProjectEdit:
    case cmd::kProjectClose:
        return state.projectSet;
    case cmd::kExportMidi:
    case cmd::kExportMld:
        return state.projectSet && !state.playing;
    case cmd::kPlay:
        return playCommandEnabled(playMenuState(state));
    case cmd::kStop:
        return stopCommandEnabled(playModeOf(state));
    case cmd::kDeviceReset:
    case cmd::kMidiDevice:
    case cmd::kInterruptPeriod:
    case cmd::kLevelMeter:
        return playSettingsCommandEnabled(playModeOf(state));
    default:
        return true;
    }
}

std::optional<bool> commandChecked(int id, const FrameState& state) {
    if (isPaletteWindowCommand(id)) return state.palettes.isShown(id);
    switch (id) {
    case cmd::kGrandStaff:
        return state.grandStaff;
    case cmd::kAllTracks:
        return state.allTracks;
    case cmd::kRepeat:
        return state.repeat;
    case cmd::kLevelMeter:
        return state.showLevel;
    case cmd::kNewMouseInput:
        return state.newMouseInput;
    case cmd::kViewToolBar:
        return state.toolBarShown;
    case cmd::kViewStatusBar:
        return state.statusBarShown;
    case cmd::kKeyboardPaletteLarge:
        return state.largeKeyboardPalette;
    case cmd::kOneLineDisplay:
    case cmd::kDrumPalette:
    case cmd::kNumericInput:
    case cmd::kLyricInput:
    case cmd::kChordNameInput:
    case cmd::kVokato:
        return false;
    default:
        return std::nullopt;
    }
}

bool positionPanesEnabled(const FrameState& state) {
    return state.active == ActiveChild::Song && !state.activeMinimised;
}

std::string linePaneText(int line) { return line == -1 ? std::string() : platform::formatMessage("%3d行", line); }

std::string barPaneText(int bar) { return platform::formatMessage("%3d小節", bar); }

std::optional<std::string> closeRefusal(const FrameState& state) {
    if (state.playing) return "演奏を止めてから、終了して下さい。";
    if (state.vokatoMode) return "Vokatoを終わりにしてから、終了して下さい。";
    return std::nullopt;
}

}  // namespace plume
