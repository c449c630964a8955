// The database window and its dialogs offscreen: the list and the commands follow the session.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>

#include "database/qt/database_dialogs.h"
#include "database/qt/database_window.h"
#include "platform/cp932.h"
#include "platform/message_box.h"
#include "platform/profile.h"
#include "support/qt_test_app.h"
#include "support/scripted_file_dialog.h"

namespace plume {
namespace {

namespace fs = std::filesystem;
using platform::Answer;

class DatabaseWindow : public testing::Test, public DatabaseHost {
protected:
    DatabaseWindow() { test::qtApp(); }
    bool openSong(const fs::path& path) override {
        opened.push_back(path);
        return true;
    }
    bool playFile(const fs::path&) override { return true; }
    void stopPlay() override {}

    std::vector<fs::path> opened;
    platform::ScriptedMessageBox box;
    platform::MemoryProfile profile;
    test::ScriptedFileDialog files;
};

TEST_F(DatabaseWindow, ListAndCommandsFollowTheRecords) {
    QPointer<CDataBase> window = createDatabaseWindow(*this, profile, files);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("PlumeＤＢ - UNTITLED"));
    EXPECT_EQ(window->recordList()->topLevelItemCount(), 1);  // the empty place to append at

    window->session().add(DbRecord::of("b.PLM", "pop", ""));
    window->session().add(DbRecord::of("a.PLM", platform::utf8ToCp932("ジャズ").value(), "memo"));
    window->refresh();
    QTreeWidgetItem* first = window->recordList()->topLevelItem(0);
    EXPECT_EQ(first->text(1), QStringLiteral("ジャズ"));
    EXPECT_EQ(first->text(3), QStringLiteral("a.PLM"));
    EXPECT_TRUE(window->action(DbCommand::Send)->isEnabled());

    window->recordList()->setCurrentItem(window->recordList()->topLevelItem(1));
    EXPECT_EQ(window->session().current(), 1u);
    box.script({Answer::Yes});
    window->run(DbCommand::Delete);
    EXPECT_EQ(window->recordList()->topLevelItemCount(), 2);

    // "発送" opens the song, then the window closes (asking to save the changes: No).
    box.script({Answer::No});
    window->run(DbCommand::Send);
    EXPECT_EQ(opened, std::vector<fs::path>{fs::path("a.PLM")});
    EXPECT_TRUE(test::waitUntil([&] { return window.isNull(); }));
}

TEST_F(DatabaseWindow, RecordDialogRefusesLongTextsAndAsksBeforeDiscarding) {
    RecordDialog dialog(RecordForm{}, files);
    dialog.categoryField()->setText(QString(21, QLatin1Char('c')));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);

    files.answers = {"/songs/曲.PLM"};
    dialog.browseButton()->click();
    EXPECT_EQ(dialog.fileField()->text(), QStringLiteral("/songs/曲.PLM"));

    box.script({Answer::No});
    dialog.reject();  // edited: No keeps it open
    EXPECT_EQ(box.shown().back(), "データの編集を破棄しますか？");
    dialog.categoryField()->setText(QStringLiteral("pop"));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.record().fileName(), platform::utf8ToCp932("/songs/曲.PLM").value());
}

TEST_F(DatabaseWindow, SearchDialogKeepsItsChoicesAndHistory) {
    DbSearchSettings settings;
    settings.history = {"old"};
    SearchDialog dialog(settings);
    EXPECT_EQ(dialog.textBox()->count(), 1);
    dialog.textBox()->setEditText(QStringLiteral("ジャズ"));
    dialog.methodButtons()->button(1)->setChecked(true);
    dialog.fieldButtons()->button(2)->setChecked(true);
    dialog.accept();
    EXPECT_EQ(dialog.settings().text, platform::utf8ToCp932("ジャズ").value());
    EXPECT_EQ(dialog.settings().method, DbMatch::Exact);
    EXPECT_EQ(dialog.settings().field, DbField::FileName);
}

}  // namespace
}  // namespace plume
