#include "app/qt/chord_palette_window.h"

#include <QGridLayout>
#include <QLabel>
#include <QToolButton>
#include <algorithm>
#include <array>

#include "app/qt/main_frame.h"
#include "app/qt/note_palette_window.h"
#include "score/glyphs.h"

namespace plume {

namespace {

constexpr std::array<const char*, kChordQualityCount> kQualityNames = {
    "", "7", "M7", "6", "sus4", "add2", "alt", "aug", "m", "m7", "mM7", "m6", "msus4", "dim", "m7-5",
};
constexpr std::array<char, kChordRootCount> kRootLetters = {'C', 'D', 'E', 'F', 'G', 'A', 'B'};
// Accidental codes 0..5 as written after a letter.
constexpr std::array<const char*, 6> kAccidentalSigns = {"", "♯", "♭", "♮", "♯♯", "♭♭"};
constexpr std::array<int, 6> kAccidentalSemitones = {0, 1, -1, 0, 2, -2};
// Letter of each pitch class of a white key; 0 for a black key.
constexpr std::array<char, 12> kWhiteLetters = {'C', 0, 'D', 0, 'E', 'F', 0, 'G', 0, 'A', 0, 'B'};

constexpr QSize kButtonSize(44, 26);

QString labelOf(int id) {
    if (id >= chord_button::kRootC && id < chord_button::kRootC + kChordRootCount)
        return QString(QChar(kRootLetters[std::size_t(id - chord_button::kRootC)]));
    if (const int quality = chordQualityOfButton(id); quality > 0)
        return QString::fromUtf8(kQualityNames[std::size_t(quality)]);
    switch (id) {
    case chord_button::kInvertDown: return QStringLiteral("▼");
    case chord_button::kInvertUp: return QStringLiteral("▲");
    case chord_button::kEnter: return QStringLiteral("Enter");
    default: return {};
    }
}

QString tipOf(int id) {
    switch (id) {
    case chord_button::kSharp: return QStringLiteral("根音にシャープ");
    case chord_button::kFlat: return QStringLiteral("根音にフラット");
    case chord_button::kInvertDown: return QStringLiteral("転回（一番高い音を１オクターブ下げる）");
    case chord_button::kInvertUp: return QStringLiteral("転回（一番低い音を１オクターブ上げる）");
    case chord_button::kEnter: return QStringLiteral("コードを入力");
    default: return {};
    }
}

bool isCheckable(int id) {
    return (id >= chord_button::kRootC && id < chord_button::kRootC + kChordRootCount) || id == chord_button::kSharp ||
           id == chord_button::kFlat || chordQualityOfButton(id) > 0;
}

}  // namespace

std::string chordQualityName(int quality) {
    return quality >= 0 && quality < kChordQualityCount ? kQualityNames[std::size_t(quality)] : "";
}

std::string chordName(int root, int rootAccidental, int quality) {
    std::string name(1, kRootLetters[std::size_t(std::clamp(root, 0, kChordRootCount - 1))]);
    if (rootAccidental == chord_root_accidental::kSharp) name += kAccidentalSigns[1];
    if (rootAccidental == chord_root_accidental::kFlat) name += kAccidentalSigns[2];
    return name + chordQualityName(quality);
}

std::string chordToneName(const ChordTone& tone) {
    const int code = tone.spelling >= 16 ? std::clamp(tone.spelling - 16, 0, 5) : 0;
    const int written = tone.key - kAccidentalSemitones[std::size_t(code)];
    const char letter = kWhiteLetters[std::size_t(((written % 12) + 12) % 12)];
    if (letter == 0) return std::to_string(tone.key);  // a spelling that reaches no letter
    return letter + std::string(kAccidentalSigns[std::size_t(code)]) + std::to_string(written / 12 - 1);
}

ChordPaletteWindow::ChordPaletteWindow(CMainFrame& frame, const GlyphSet& glyphs)
    : PaletteWindow(cmd::kChordPalette, QStringLiteral("コードパレット"), &frame), m_frame(frame) {
    const PaletteButtonGrid grid =
        addPaletteButtonGrid(*this, QStringLiteral("chord"), chordPaletteButtons(), 9, [this](int id) { press(id); });
    m_buttons = grid.buttons;
    for (auto it = m_buttons.begin(); it != m_buttons.end(); ++it) {
        const int id = it.key();
        QToolButton* button = it.value();
        button->setFixedSize(kButtonSize);
        button->setCheckable(isCheckable(id));
        if (id == chord_button::kSharp || id == chord_button::kFlat) {
            button->setIcon(QIcon(glyphPixmap(glyphs.accidental(id == chord_button::kSharp ? 1 : 2))));
            button->setIconSize(QSize(glyph::kAccidentalWidth, glyph::kAccidentalHeight));
        } else {
            button->setText(labelOf(id));
        }
        if (id == chord_button::kEnter) {
            QFont bold = button->font();
            bold.setBold(true);
            button->setFont(bold);
        }
        button->setToolTip(tipOf(id));
    }
    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("chordLabel"));
    m_label->setIndent(4);
    grid.grid->addWidget(m_label, 3, 0, 1, 9);
    sync();
    setFixedSize(sizeHint());
}

void ChordPaletteWindow::press(int id) {
    const auto post = m_chord.press(id, m_frame.isPlaying());
    sync();
    if (post) m_frame.postRequest(*post);
}

void ChordPaletteWindow::sync() {
    for (auto it = m_buttons.begin(); it != m_buttons.end(); ++it) {
        it.value()->setChecked(m_chord.isChecked(it.key()));
        it.value()->setEnabled(m_chord.isEnabled(it.key()));
    }
    // The tones from the lowest up, as an inversion leaves them.
    std::vector<ChordTone> sorted;
    for (const ChordTone& tone : m_chord.chord()) {
        if (tone.key == kNoKey) break;
        sorted.push_back(tone);
    }
    std::sort(sorted.begin(), sorted.end(), [](const ChordTone& a, const ChordTone& b) { return a.key < b.key; });
    std::string tones;
    for (const ChordTone& tone : sorted) tones += (tones.empty() ? "" : "  ") + chordToneName(tone);
    const std::string name = chordName(m_chord.root(), m_chord.rootAccidental(), m_chord.quality());
    m_label->setText(QStringLiteral("<b>%1</b>　%2").arg(QString::fromStdString(name), QString::fromStdString(tones)));
}

void ChordPaletteWindow::placeFirst() { placeAtFrameEdge(*this, m_frame, Qt::AlignBottom | Qt::AlignLeft); }

}  // namespace plume
