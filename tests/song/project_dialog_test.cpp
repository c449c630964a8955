// The project dialog and the MIDI export dialog offscreen: their controls feed the forms' rules.
#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <deque>

#include "export/qt/midi_export_dialog.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "song/plm_doc.h"
#include "song/qt/project_dialog.h"
#include "support/qt_test_app.h"

namespace plume {
namespace {

using platform::Answer;

class ScriptedFileDialog : public platform::FileDialog {
public:
    std::deque<std::filesystem::path> names;
    std::vector<std::string> titles;
    std::optional<std::filesystem::path> askSaveName(std::string_view title, std::string_view,
                                                    std::string_view) override {
        return next(title);
    }
    std::optional<std::filesystem::path> askOpenName(std::string_view title, std::string_view) override {
        return next(title);
    }

private:
    std::optional<std::filesystem::path> next(std::string_view title) {
        titles.emplace_back(title);
        if (names.empty()) return std::nullopt;
        auto name = names.front();
        names.pop_front();
        return name;
    }
};

TEST(ProjectDialog, BrowsingFillsAMemberAndMakesCancelAsk) {
    test::qtApp();
    platform::ScriptedMessageBox box;
    ScriptedFileDialog files;
    ProjectData data = ProjectData::fresh();
    data.setTitle("demo");
    ProjectDialog dialog(data, files);
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Plume-プロジェクトファイル");
    EXPECT_EQ(dialog.titleField()->text().toStdString(), "demo");
    EXPECT_EQ(dialog.tempoField()->value(), 120);

    // GIVEN a member chosen with "参照"
    files.names.push_back("/songs/theme.PLM");
    dialog.browse(2);
    EXPECT_EQ(files.titles, (std::vector<std::string>{"メンバーファイル"}));
    EXPECT_EQ(dialog.memberField(2)->text().toStdString(), "/songs/theme.PLM");
    // WHEN Cancel is answered No THEN the dialog stays open
    dialog.show();
    box.script({Answer::No});
    dialog.reject();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(box.shown(), (std::vector<std::string>{"変更したデータが失われます。\nよろしいですか？"}));
    // WHEN OK is pressed THEN the result holds the fields
    dialog.tempoField()->setValue(88);
    // (the list shows the song format's key names first: number 9 is two flats)
    EXPECT_TRUE(dialog.keyList()->itemText(9).startsWith(QStringLiteral("b * 2 ")));
    EXPECT_TRUE(dialog.keyList()->itemText(0).startsWith(QStringLiteral("#,bなし")));
    dialog.keyList()->setCurrentIndex(9);
    dialog.accept();
    ASSERT_TRUE(dialog.result());
    EXPECT_EQ(dialog.result()->memberPath(2), std::filesystem::path("/songs/theme.PLM"));
    EXPECT_EQ(dialog.result()->tempo(), 88);
    EXPECT_EQ(dialog.result()->key(), 9);
    EXPECT_EQ(dialog.result()->title(), "demo");
}

TEST(MidiExportDialog, ShowsTheDefaultsAndRefusesATimeBaseOutOfRange) {
    test::qtApp();
    platform::ScriptedMessageBox box;
    MidiExportDialog dialog;
    EXPECT_EQ(dialog.formatButtons()->checkedId(), 1);
    EXPECT_EQ(dialog.timeBaseButtons()->checkedButton()->text().toStdString(), "96");
    EXPECT_EQ(dialog.resetButtons()->checkedButton()->text().toStdString(), "GM System ON");
    EXPECT_TRUE(dialog.restBarBox()->isChecked());
    EXPECT_FALSE(dialog.otherTimeBaseField()->isEnabled());

    dialog.show();
    dialog.timeBaseButtons()->button(kOtherTimeBase)->setChecked(true);
    EXPECT_TRUE(dialog.otherTimeBaseField()->isEnabled());
    dialog.otherTimeBaseField()->setText("2000");
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(box.shown(), (std::vector<std::string>{"48 から 980 の範囲で入力して下さい。"}));

    dialog.otherTimeBaseField()->setText("120");
    dialog.resetButtons()->button(1)->setChecked(true);
    dialog.accept();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.options().timeBase, 120u);
    EXPECT_EQ(dialog.options().reset, DeviceReset::GsReset);
}

}  // namespace
}  // namespace plume
