#include "app/qt/entry_tool_control.h"

#include <QPainter>
#include <QPixmap>
#include <QStatusBar>
#include <array>
#include <cstdlib>

#include "app/frame_commands.h"
#include "app/qt/main_frame.h"
#include "app/qt/palette_window.h"
#include "app/qt/plm_app.h"
#include "app/qt/plm_child_wnd.h"
#include "score/qt/plm_view_widget.h"

namespace plume {

namespace {

constexpr int kNotch = 120;
constexpr int kCursorSize = 32;
constexpr int kGlyphLeft = 9;
constexpr int kGlyphTop = 6;

// Tools 0..5 write notes whole..32nd, 6..11 rests, 12 and 13 dot and double dot, 14..18 the
// accidentals sharp, flat, natural, double sharp and double flat.
constexpr std::array<const char*, EntryToolWheel::kToolCount> kToolNames = {
    "全音符", "2分音符", "4分音符", "8分音符", "16分音符", "32分音符", "全休符", "2分休符", "4分休符", "8分休符",
    "16分休符", "32分休符", "付点", "複付点", "シャープ", "フラット", "ナチュラル", "ダブルシャープ", "ダブルフラット",
};

const Glyph& toolGlyph(const GlyphSet& glyphs, int tool) {
    if (tool < 6) return glyphs.note(tool + 1, false);
    if (tool < 12) return glyphs.rest(tool + 1);
    if (tool == 12) return glyphs.dots(mark::kDotted);
    if (tool == 13) return glyphs.dots(mark::kDoubleDotted);
    return glyphs.accidental(tool - 13);
}

}  // namespace

EntryToolControl::EntryToolControl(CMainFrame& frame)
    : QObject(&frame), m_frame(frame), m_wheel(*this, [this](unsigned windows) {
          refreshCursors(windows);
          showTool();
      }) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (m_target) m_target->onTimer(EntryToolWheel::kTimerId);
    });
}

void EntryToolControl::setTimer(platform::TimerTarget& target, int, int ms) {
    m_target = &target;
    m_timer.start(ms);
}

void EntryToolControl::killTimer(platform::TimerTarget&, int) { m_timer.stop(); }

bool EntryToolControl::wheelTurned(int delta) {
    if (!m_frame.settings().newMouseInput) return false;
    m_pending += delta;
    while (std::abs(m_pending) >= kNotch) {
        const int notch = m_pending > 0 ? kNotch : -kNotch;
        m_pending -= notch;
        m_wheel.notch(notch, m_frame.entryState().choice.lengthIndex);
    }
    showTool();
    return true;
}

void EntryToolControl::showTool() {
    QStatusBar* bar = m_frame.statusBar();
    if (m_wheel.isOpen())
        bar->showMessage(QStringLiteral("%1: %2").arg(m_wheel.tool()).arg(toolName(m_wheel.tool())));
    else
        bar->clearMessage();
}

void EntryToolControl::refreshCursors(unsigned windows) {
    const bool on = m_frame.settings().newMouseInput != 0;
    const QCursor cursor = on ? toolCursor(m_wheel.tool()) : QCursor();
    if (windows & cursor_refresh::kPalettes) {
        for (int command : {cmd::kEditPalette, cmd::kKeyboardPalette}) {
            PaletteWindow* palette = m_frame.palette(command);
            if (!palette) continue;
            if (on) palette->setCursor(cursor);
            else palette->unsetCursor();
        }
    }
    if (windows & cursor_refresh::kView)
        for (CPlmChildWnd* child : m_frame.childWindows())
            child->view().viewport()->setCursor(on ? cursor : QCursor(Qt::IBeamCursor));
}

QString EntryToolControl::toolName(int tool) {
    if (tool < 0 || tool >= EntryToolWheel::kToolCount) return {};
    return QString::fromUtf8(kToolNames[std::size_t(tool)]);
}

QCursor EntryToolControl::toolCursor(int tool) const {
    QPixmap pixmap(kCursorSize, kCursorSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    // A small white-edged arrow whose tip is the hot spot.
    const QPoint arrow[] = {{0, 0}, {0, 11}, {3, 8}, {5, 12}, {7, 11}, {5, 7}, {9, 7}};
    painter.setPen(Qt::white);
    painter.setBrush(Qt::black);
    painter.drawPolygon(arrow, 7);
    const Glyph& glyph = toolGlyph(m_frame.app().glyphs(), std::clamp(tool, 0, EntryToolWheel::kToolCount - 1));
    for (int y = 0; y < glyph.height; ++y)
        for (int x = 0; x < glyph.width; ++x)
            if (glyph.isInk(x, y)) {
                const Rgb c = glyph.colourAt(x, y);
                painter.setPen(QColor(c.red, c.green, c.blue));
                painter.drawPoint(kGlyphLeft + x, kGlyphTop + y);
            }
    painter.end();
    return QCursor(pixmap, 0, 0);
}

}  // namespace plume
