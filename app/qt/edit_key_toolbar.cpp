#include "app/qt/edit_key_toolbar.h"

#include <QApplication>
#include <QGridLayout>
#include <QKeyEvent>
#include <QScreen>
#include <QToolButton>

#include "app/command_registry.h"
#include "app/qt/main_frame.h"
#include "app/qt/tool_icons.h"
#include "score/qt/plm_view_widget.h"

namespace plume {

namespace {

constexpr int kColumns = 5;

// The face of a button: the tool-bar image for the clipboard commands, a text for the others.
const char* buttonText(int id) {
    switch (id) {
    case edit_key_button::kInsert: return "挿入／上書き";
    case edit_key_button::kBackSpace: return "Back Space";
    case edit_key_button::kDelete: return "Delete";
    case edit_key_button::kBarLine: return "縦線";
    case edit_key_button::kLineBreak: return "改行";
    case cmd::kFirstLine: return "先頭行を表示";
    case cmd::kLastLine: return "最終行を表示";
    default: return nullptr;
    }
}

Qt::Key qtKey(int virtualKey) {
    switch (virtualKey) {
    case vk::kBack: return Qt::Key_Backspace;
    case vk::kTab: return Qt::Key_Tab;
    case vk::kReturn: return Qt::Key_Return;
    case vk::kDelete: return Qt::Key_Delete;
    default: return Qt::Key_unknown;
    }
}

}  // namespace

void typeKey(CPlmView& view, int virtualKey) {
    const Qt::Key key = qtKey(virtualKey);
    if (key == Qt::Key_unknown) return;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&view, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(&view, &release);
}

EditKeyToolBar::EditKeyToolBar(CMainFrame& frame)
    : QWidget(&frame, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      m_frame(frame) {
    setWindowTitle(QStringLiteral("編集キー"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(2, 2, 2, 2);
    grid->setSpacing(1);
    const auto ids = editKeyBarButtons();
    int widest = 0;
    for (int id : ids)
        if (const char* text = buttonText(id))
            widest = std::max(widest, fontMetrics().horizontalAdvance(QString::fromUtf8(text)));
    for (std::size_t i = 0; i < ids.size(); ++i) {
        const int id = ids[i];
        auto* button = new QToolButton(this);
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRaise(false);
        if (const char* text = buttonText(id)) {
            button->setText(QString::fromUtf8(text));
            button->setToolTip(button->text());
        } else {
            button->setIcon(toolIcon(id));
            button->setIconSize(QSize(kToolIconSize, kToolIconSize));
            button->setToolTip(QString::fromUtf8(commandText(id).data(), qsizetype(commandText(id).size())));
        }
        button->setMinimumSize(widest + 12, kToolIconSize + 8);
        button->setProperty("editKey", id);
        connect(button, &QToolButton::clicked, this, [this, id] { press(id); });
        grid->addWidget(button, int(i) / kColumns, int(i) % kColumns);
        m_buttons.push_back(button);
    }
    setFixedSize(sizeHint());
    hide();
}

QToolButton* EditKeyToolBar::button(int id) const {
    for (QToolButton* b : m_buttons)
        if (b->property("editKey").toInt() == id) return b;
    return nullptr;
}

void EditKeyToolBar::showNear(QPoint global) {
    QPoint at = global;
    if (const QScreen* screen = QGuiApplication::screenAt(global)) {
        const QRect area = screen->availableGeometry();
        at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - frameGeometry().width())));
        at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() - frameGeometry().height())));
    }
    m_bar.showAt(at.x(), at.y());
    move(at);
    show();
    raise();
}

void EditKeyToolBar::press(int id) {
    const std::vector<EntryRequest> posts = m_bar.press(id, m_frame.isPlaying());
    setVisible(m_bar.isShown());
    for (const EntryRequest& post : posts) {
        if (const auto* command = std::get_if<entry::RunCommand>(&post)) {
            m_frame.runCommand(command->id);
        } else if (const auto* key = std::get_if<entry::KeyDown>(&post); key && key->key == vk::kInsert) {
            // The view hands the insert key to the frame, whose switch it is.
            m_frame.runCommand(cmd::kInsertSwitch);
        } else if (key) {
            if (CPlmView* view = m_frame.activeView()) typeKey(*view, key->key);
        }
    }
    if (CPlmView* view = m_frame.activeView()) view->setFocus();
}

}  // namespace plume
