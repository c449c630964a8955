#include "database/qt/database_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QHeaderView>
#include <QMenuBar>
#include <QToolBar>
#include <QTreeWidget>

#include "database/qt/database_dialogs.h"
#include "platform/cp932.h"

namespace plume {

namespace {

struct CommandText {
    DbCommand command;
    const char* text;
};

// Menus in order; a null text is a separator.
const std::vector<std::pair<const char*, std::vector<CommandText>>>& menus() {
    static const std::vector<std::pair<const char*, std::vector<CommandText>>> table = {
        {"ファイル(&F)",
         {{DbCommand::New, "新規作成(&N)"},
          {DbCommand::Open, "開く(&O)..."},
          {DbCommand::Save, "上書き保存(&S)"},
          {DbCommand::SaveAs, "名前を付けて保存(&A)..."},
          {DbCommand::Exit, nullptr},
          {DbCommand::Exit, "終了(&X)"}}},
        {"レコード(&R)",
         {{DbCommand::First, "最初の位置(&T)"},
          {DbCommand::Last, "最後の位置(&B)"},
          {DbCommand::Add, nullptr},
          {DbCommand::Add, "新規登録(&I)..."},
          {DbCommand::Edit, "内容の訂正(&E)..."},
          {DbCommand::Delete, "削除(&D)"}}},
        {"検索(&S)",
         {{DbCommand::FindCondition, "検索条件(&C)..."},
          {DbCommand::FindEarlier, "前方検索(&P)"},
          {DbCommand::FindLater, "後方検索(&N)"}}},
        {"演奏(&P)",
         {{DbCommand::Send, "発送(&O)"}, {DbCommand::Play, "開始(&S)"}, {DbCommand::Stop, "停止(&T)"}}},
    };
    return table;
}

// The tool bar's fifteen places; Exit stands for a separator.
constexpr std::array<DbCommand, 15> kToolBar = {
    DbCommand::New,       DbCommand::Open,          DbCommand::Save,        DbCommand::Exit,
    DbCommand::Add,       DbCommand::Edit,          DbCommand::Delete,      DbCommand::Exit,
    DbCommand::FindCondition, DbCommand::FindEarlier, DbCommand::FindLater, DbCommand::Exit,
    DbCommand::Send,      DbCommand::Play,          DbCommand::Stop,
};

QString text(std::string_view cp932) { return QString::fromStdString(platform::cp932ToUtf8Lossy(cp932)); }

}  // namespace

CDataBase::CDataBase(DatabaseHost& host, platform::Profile& profile, platform::FileDialog& files, QWidget* parent)
    : QMainWindow(parent), m_files(files),
      m_session(std::make_unique<DatabaseSession>(profile, files, host)) {
    setAttribute(Qt::WA_DeleteOnClose);
    for (const auto& [title, items] : menus()) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(title));
        for (const CommandText& item : items) {
            if (!item.text) {
                menu->addSeparator();
                continue;
            }
            auto* act = menu->addAction(QString::fromUtf8(item.text));
            m_actions[item.command] = act;
            connect(act, &QAction::triggered, this, [this, c = item.command] { run(c); });
        }
    }
    QToolBar* tools = addToolBar(QStringLiteral("ツールバー"));
    for (DbCommand c : kToolBar) {
        if (c == DbCommand::Exit) tools->addSeparator();
        else tools->addAction(m_actions.at(c));
    }

    m_list = new QTreeWidget(this);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setHeaderLabels({QStringLiteral("  No"), QStringLiteral("分類"), QStringLiteral("メモ"),
                             QStringLiteral("ファイル名")});
    m_list->header()->setStretchLastSection(true);
    m_list->setColumnWidth(0, 56);
    m_list->setColumnWidth(1, 160);
    m_list->setColumnWidth(2, 300);
    setCentralWidget(m_list);
    connect(m_list, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (m_refreshing || !item) return;
        m_session->select(std::size_t(m_list->indexOfTopLevelItem(item)));
        refresh();
    });
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this] {
        run(m_session->hasCurrent() ? DbCommand::Edit : DbCommand::Add);
    });
    resize(760, 420);
    refresh();
}

CDataBase::~CDataBase() = default;

void CDataBase::refresh() {
    m_refreshing = true;
    setWindowTitle(QString::fromStdString(m_session->title()));
    const SongDatabase& db = m_session->database();
    m_list->clear();
    QList<QTreeWidgetItem*> rows;
    for (std::size_t i = 0; i < db.count(); ++i) {
        const DbRecord& r = db.record(i);
        rows << new QTreeWidgetItem(
            {QString::number(i + 1).rightJustified(4), text(r.category()), text(r.memo()), text(r.fileName())});
    }
    rows << new QTreeWidgetItem(QStringList{});  // where a new record is appended
    m_list->addTopLevelItems(rows);
    m_list->setCurrentItem(m_list->topLevelItem(int(m_session->current())));
    m_list->scrollToItem(m_list->currentItem());
    for (const auto& [command, act] : m_actions) act->setEnabled(m_session->enabled(command));
    m_refreshing = false;
}

void CDataBase::run(DbCommand command) {
    if (!m_session->enabled(command)) return;
    switch (command) {
        case DbCommand::New: m_session->newDatabase(); break;
        case DbCommand::Open: m_session->open(); break;
        case DbCommand::Save: m_session->save(); break;
        case DbCommand::SaveAs: m_session->saveAs(); break;
        case DbCommand::Exit: close(); return;
        case DbCommand::First: m_session->first(); break;
        case DbCommand::Last: m_session->last(); break;
        case DbCommand::Add: addRecord(); break;
        case DbCommand::Edit: editRecord(); break;
        case DbCommand::Delete: m_session->deleteCurrent(); break;
        case DbCommand::FindCondition: chooseSearch(); break;
        case DbCommand::FindEarlier: m_session->find(false); break;
        case DbCommand::FindLater: m_session->find(true); break;
        case DbCommand::Send:
            if (m_session->send()) {
                close();
                return;
            }
            break;
        case DbCommand::Play: m_session->play(); break;
        case DbCommand::Stop: m_session->stop(); break;
    }
    refresh();
}

void CDataBase::playEnded() {
    m_session->playEnded();
    refresh();
}

void CDataBase::addRecord() {
    RecordDialog dialog(RecordForm{}, m_files, this);
    if (dialog.exec() == QDialog::Accepted) m_session->add(dialog.record());
}

void CDataBase::editRecord() {
    RecordDialog dialog(RecordForm::of(m_session->database().record(m_session->current())), m_files, this);
    if (dialog.exec() == QDialog::Accepted) m_session->edit(dialog.record());
}

void CDataBase::chooseSearch() {
    SearchDialog dialog(m_session->search(), this);
    if (dialog.exec() == QDialog::Accepted) m_session->search() = dialog.settings();
}

void CDataBase::closeEvent(QCloseEvent* event) {
    if (m_session->close()) event->accept();
    else event->ignore();
}

CDataBase* createDatabaseWindow(DatabaseHost& host, platform::Profile& profile, platform::FileDialog& files,
                                QWidget* parent) {
    auto* window = new CDataBase(host, profile, files, parent);
    // A top-level window of its own even with a parent: not a child of the main frame's area.
    window->setWindowFlag(Qt::Window);
    return window;
}

}  // namespace plume
