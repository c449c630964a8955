#include "app/qt/note_palette_window.h"

#include <QMdiArea>
#include <QPainter>
#include <QToolButton>
#include <algorithm>

#include "app/qt/main_frame.h"
#include "app/note_palette_logic.h"
#include "score/glyphs.h"
#include "score/qt/plm_view_widget.h"
#include "score/range_edit.h"
#include "score/score_view.h"
#include "song/plm_doc.h"

namespace plume {

namespace {

constexpr int kFaceWidth = 26;
constexpr int kFaceHeight = 30;
constexpr int kGlyphTop = 3;  // the glyph's row 0 in a face
const QColor kStaffGrey(190, 190, 190);

struct ButtonText {
    int id;
    const char* tip;
};
constexpr ButtonText kTips[] = {
    {600, "全音符"},           {601, "全休符"},        {note_button::kSharp, "シャープ"},
    {603, "２分音符"},         {604, "２分休符"},      {note_button::kFlat, "フラット"},
    {606, "４分音符"},         {607, "４分休符"},      {note_button::kNatural, "ナチュラル"},
    {609, "８分音符"},         {610, "８分休符"},      {note_button::kDoubleSharp, "ダブルシャープ"},
    {612, "16分音符"},         {613, "16分休符"},      {note_button::kDoubleFlat, "ダブルフラット"},
    {615, "32分音符"},         {616, "32分休符"},      {note_button::kDot, "付点"},
    {note_button::kTie, "タイ"}, {note_button::kMonitor, "モニター"}, {note_button::kDoubleDot, "複付点"},
};

QString tipOf(int id) {
    for (const ButtonText& t : kTips)
        if (t.id == id) return QString::fromUtf8(t.tip);
    return {};
}

QPixmap blankFace() {
    QPixmap face(kFaceWidth, kFaceHeight);
    face.fill(Qt::transparent);
    return face;
}

void drawCentred(QPainter& p, const Glyph& glyph, int top) {
    p.drawPixmap((kFaceWidth - glyph.width) / 2, top, glyphPixmap(glyph));
}

// Rests hang from or sit on the staff's lines, so they are shown on a short staff.
QPixmap restFace(const GlyphSet& glyphs, int position) {
    QPixmap face = blankFace();
    QPainter p(&face);
    p.setPen(kStaffGrey);
    for (int line = 0; line < 5; ++line) p.drawLine(4, kGlyphTop + line * 6, kFaceWidth - 5, kGlyphTop + line * 6);
    drawCentred(p, glyphs.rest(type::kWholeRest + position), kGlyphTop);
    return face;
}

QPixmap noteFace(const GlyphSet& glyphs, int position) {
    QPixmap face = blankFace();
    QPainter p(&face);
    // The stemless whole note has its head in the middle of the face.
    const int top = position == 0 ? kFaceHeight / 2 - glyph::kStemUpHeadCentre : kGlyphTop;
    drawCentred(p, glyphs.note(type::kWhole + position, false), top);
    return face;
}

QPixmap accidentalFace(const GlyphSet& glyphs, int code) {
    QPixmap face = blankFace();
    QPainter p(&face);
    const Glyph& glyph = glyphs.accidental(code);
    drawCentred(p, glyph, (kFaceHeight - glyph.height) / 2);
    return face;
}

// A quarter note with its dots beside the head, as the score writes it.
QPixmap dotFace(const GlyphSet& glyphs, std::uint8_t dotBits) {
    QPixmap face = blankFace();
    QPainter p(&face);
    const Glyph& note = glyphs.note(3, false);
    const Glyph& dots = glyphs.dots(dotBits);
    const int x = (kFaceWidth - note.width - dots.width - 2) / 2;
    p.drawPixmap(x, kGlyphTop, glyphPixmap(note));
    p.drawPixmap(x + note.width + 2, kGlyphTop + glyph::kStemUpHeadCentre - 1, glyphPixmap(dots));
    return face;
}

// Two quarter notes joined by a tie under their heads.
QPixmap tieFace(const GlyphSet& glyphs) {
    QPixmap face = blankFace();
    QPainter p(&face);
    const Glyph& note = glyphs.note(3, false);
    p.drawPixmap(1, kGlyphTop, glyphPixmap(note));
    p.drawPixmap(kFaceWidth - note.width - 1, kGlyphTop, glyphPixmap(note));
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1.2));
    const int belowHeads = kGlyphTop + glyph::kStemUpHeadCentre - 2;
    p.drawArc(QRectF(3, belowHeads, kFaceWidth - 8, 7), 190 * 16, 160 * 16);
    return face;
}

// A loudspeaker with its sound.
QPixmap monitorFace() {
    QPixmap face = blankFace();
    QPainter p(&face);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 40));
    const qreal cy = kFaceHeight / 2.0;
    p.drawPolygon(QPolygonF({QPointF(3, cy - 3), QPointF(7, cy - 3), QPointF(13, cy - 8), QPointF(13, cy + 8),
                             QPointF(7, cy + 3), QPointF(3, cy + 3)}));
    p.setPen(QPen(QColor(0, 90, 200), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(11, cy - 4, 6, 8), -60 * 16, 120 * 16);
    p.drawArc(QRectF(10, cy - 8, 12, 16), -60 * 16, 120 * 16);
    return face;
}

QPixmap faceOf(const GlyphSet& glyphs, int id) {
    if (const int note = lengthPosition(id, note_button::kWholeNote); note >= 0) return noteFace(glyphs, note);
    if (const int rest = lengthPosition(id, note_button::kWholeRest); rest >= 0) return restFace(glyphs, rest);
    switch (id) {
    case note_button::kSharp: return accidentalFace(glyphs, 1);
    case note_button::kFlat: return accidentalFace(glyphs, 2);
    case note_button::kNatural: return accidentalFace(glyphs, 3);
    case note_button::kDoubleSharp: return accidentalFace(glyphs, 4);
    case note_button::kDoubleFlat: return accidentalFace(glyphs, 5);
    case note_button::kDot: return dotFace(glyphs, mark::kDotted);
    case note_button::kDoubleDot: return dotFace(glyphs, mark::kDoubleDotted);
    case note_button::kTie: return tieFace(glyphs);
    case note_button::kMonitor: return monitorFace();
    default: return blankFace();
    }
}

}  // namespace

QPixmap glyphPixmap(const Glyph& glyph) {
    QImage image(glyph.width, glyph.height, QImage::Format_ARGB32);
    for (int y = 0; y < glyph.height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < glyph.width; ++x) {
            const Rgb c = glyph.colourAt(x, y);
            row[x] = glyph.isInk(x, y) ? qRgb(c.red, c.green, c.blue) : qRgba(0, 0, 0, 0);
        }
    }
    return QPixmap::fromImage(image);
}

void placeAtFrameEdge(QWidget& palette, const CMainFrame& frame, Qt::Alignment corner) {
    const QWidget* area = frame.mdiArea();
    const QRect client(area->mapToGlobal(QPoint(0, 0)), area->size());
    const QSize size = palette.frameGeometry().size().expandedTo(palette.sizeHint());
    constexpr int kMargin = 8;
    const int x = corner & Qt::AlignRight ? client.right() - size.width() - kMargin : client.left() + kMargin;
    const int y = corner & Qt::AlignBottom ? client.bottom() - size.height() - kMargin : client.top() + kMargin;
    palette.move(std::max(x, client.left()), std::max(y, client.top()));
}


// --- the window ------------------------------------------------------------------------------------

NotePaletteWindow::NotePaletteWindow(CMainFrame& frame, const GlyphSet& glyphs)
    : PaletteWindow(cmd::kNotePalette, QStringLiteral("音符パレット"), &frame), m_frame(frame) {
    const std::span<const int> slots = notePaletteButtons();
    std::vector<int> ids(slots.begin(), slots.end());
    std::replace(ids.begin(), ids.end(), note_button::kUnassigned, note_button::kMonitor);
    m_buttons = addPaletteButtonGrid(*this, QStringLiteral("note"), ids, 3, [this](int id) { press(id); }).buttons;
    for (auto it = m_buttons.begin(); it != m_buttons.end(); ++it) {
        QToolButton* button = it.value();
        button->setIcon(QIcon(faceOf(glyphs, it.key())));
        button->setIconSize(QSize(kFaceWidth, kFaceHeight));
        button->setFixedSize(kFaceWidth + 8, kFaceHeight + 6);
        button->setToolTip(tipOf(it.key()));
    }
    setFixedSize(sizeHint());
    connect(&frame, &CMainFrame::caretPlaced, this, &NotePaletteWindow::followCursor);
    connect(&frame, &CMainFrame::entryChanged, this, &NotePaletteWindow::syncChecks);
    syncChecks();
}

void NotePaletteWindow::syncChecks() {
    const NoteChoice& choice = m_frame.entryState().choice;
    for (auto it = m_buttons.begin(); it != m_buttons.end(); ++it)
        it.value()->setChecked(isNoteButtonChecked(choice, it.key()));
}

void NotePaletteWindow::press(int id) {
    const auto post = pressNoteButton(m_frame.entryState().choice, id, m_frame.isPlaying());
    syncChecks();
    if (!post) return;
    const auto* command = std::get_if<entry::RunCommand>(&*post);
    if (command && command->id == note_button::kTie) toggleTie();
    else m_frame.postRequest(*post);
}

void NotePaletteWindow::toggleTie() {
    CPlmView* view = m_frame.activeView();
    if (!view || !m_frame.mayEdit()) return;
    if (toggleTieAtCursor(view->document(), view->logic())) view->songChanged();
}

void NotePaletteWindow::followCursor(CPlmView* view) {
    if (!view) return;
    followRecord(m_frame.entryState().choice, view->document().record(cursorRecord(view->logic())));
    syncChecks();
}

void NotePaletteWindow::placeFirst() { placeAtFrameEdge(*this, m_frame, Qt::AlignTop | Qt::AlignRight); }

}  // namespace plume
