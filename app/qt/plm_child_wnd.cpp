#include "app/qt/plm_child_wnd.h"

#include <QCloseEvent>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "app/qt/main_frame.h"
#include "app/qt/play_controller.h"
#include "app/qt/plm_app.h"
#include "play/instrument_tables.h"
#include "score/effect_forms.h"
#include "score/note_entry.h"
#include "score/qt/effect_bar.h"
#include "score/qt/effect_edit_widget.h"
#include "score/qt/function_sheet.h"
#include "score/qt/plm_view_widget.h"
#include "song/plm_doc.h"
#include "song/song_document.h"

namespace plume {

CPlmChildWnd::CPlmChildWnd(std::unique_ptr<CPlmDoc> document, std::filesystem::path path, CMainFrame& frame)
    : m_frame(frame), m_document(std::move(document)), m_path(std::move(path)) {
    setAttribute(Qt::WA_DeleteOnClose);
    CPlmApp& app = frame.app();
    m_view = new CPlmView(*m_document, app.glyphs(), app.glyphImages());
    m_view->logic().setGrandStaff(app.grandStaff());
    m_view->setZoom(frame.settings().zoom);
    m_view->setInsertMode(frame.insertMode());
    m_view->setEntryHost(&frame);
    m_effectDisplay = new EffectEditWidget(*m_document, m_view->logic());
    m_effectBar = new EffectBar(*m_document, m_view->logic(), [this](std::uint8_t key) {
        const CPlmDoc& doc = *m_document;
        const std::size_t group = cursorRecord(m_view->logic());
        return std::string(drumSoundName(doc.songInfo().soundModule(), doc.programInForceAt(group + 1), key));
    });
    m_displays = new QStackedWidget;
    m_displays->addWidget(m_view);
    m_displays->addWidget(m_effectDisplay);
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_effectBar);
    layout->addWidget(m_displays, 1);
    setWidget(body);
    setDisplayMode(app.displayMode());

    connect(m_view, &CPlmView::cursorMoved, this, [this] { cursorMoved(); });
    connect(m_effectBar, &EffectBar::songChanged, this, [this] { effectsEdited(); });
    connect(m_effectBar, &EffectBar::zoomChanged, m_effectDisplay, &EffectEditWidget::setZoom);
    connect(m_effectBar, &EffectBar::functionRequested, this, [this](std::uint8_t number) {
        if (showFunctionSheet(this, *m_document, m_view->logic(), number, displayMode() == 1)) effectsEdited();
    });
    connect(m_effectDisplay, &EffectEditWidget::edited, this, [this] { effectsEdited(); });
    connect(m_effectDisplay, &EffectEditWidget::cursorPlaced, this, [this](std::size_t record) {
        ScoreView& logic = m_view->logic();
        logic.setCursor(logic.lines().positionOf(logic.records(), record));
        m_view->refresh();
    });
    updateTitle();
    m_document->setSettingsObserver([this] { settingsChanged(); });
}

void CPlmChildWnd::setDisplayMode(int mode) {
    const bool effects = mode == 1;
    m_displays->setCurrentWidget(effects ? static_cast<QWidget*>(m_effectDisplay) : m_view);
    // The frame gives the keyboard to the view; in the effect-edit display it reaches the display.
    m_view->setFocusProxy(effects ? m_effectDisplay : nullptr);
    m_effectBar->setDisplayName(effects ? "効果編集表示形式" : "楽譜表示形式");
    if (effects) m_effectDisplay->songChanged();
}

int CPlmChildWnd::displayMode() const { return m_displays->currentWidget() == m_effectDisplay ? 1 : 0; }

void CPlmChildWnd::effectsEdited() { m_view->songChanged(); }

void CPlmChildWnd::cursorMoved() {
    m_effectBar->cursorChanged();
    if (displayMode() == 1) m_effectDisplay->songChanged();
}

void CPlmChildWnd::settingsChanged() {
    updateTitle();
    effectsEdited();
}

CPlmChildWnd::~CPlmChildWnd() = default;

std::string CPlmChildWnd::title() const {
    return documentTitle(m_path.empty() ? std::string() : utf8Of(m_path.filename()), m_document->songInfo());
}

bool CPlmChildWnd::isModified() const { return m_document->isModified(); }

void CPlmChildWnd::updateTitle() { setWindowTitle(QString::fromStdString(title())); }

bool CPlmChildWnd::save() { return saveOrAsk(); }

bool CPlmChildWnd::saveAs(const std::filesystem::path& path) {
    if (!saveSongDocument(*m_document, path)) return false;
    m_path = path;
    updateTitle();
    m_frame.app().songSettled(*this);
    return true;
}

bool CPlmChildWnd::saveOrAsk() { return m_path.empty() ? saveAsAsking() : saveAs(m_path); }

bool CPlmChildWnd::saveAsAsking() {
    const auto name =
        m_frame.app().fileDialog().askSaveName("名前を付けて保存", kSongFileFilter, proposedSongFileName(m_path, title()));
    if (!name || !saveAs(*name)) return false;
    m_frame.addToRecentFiles(*name);
    return true;
}

void CPlmChildWnd::closeWithoutAsking() {
    m_closeWithoutAsking = true;
    close();
}

void CPlmChildWnd::closeEvent(QCloseEvent* event) {
    if (!m_closeWithoutAsking &&
        !mayCloseSong(*m_document, title(), m_frame.player().plays(*m_document), m_frame.vokatoWorksOn(*m_document),
                      [this] { return saveOrAsk(); })) {
        event->ignore();
        return;
    }
    m_closing = true;
    m_frame.app().songSettled(*this);
    m_document->setSettingsObserver({});
    m_frame.setSongClosing(true);
    QMdiSubWindow::closeEvent(event);
    m_frame.setSongClosing(false);
}

}  // namespace plume
