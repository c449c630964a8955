// The project dialog and the MIDI export dialog offscreen: their controls feed the forms' rules.
#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <tuple>

#include "export/qt/midi_export_dialog.h"
#include "platform/message_box.h"
#include "song/plm_doc.h"
#include "song/qt/project_dialog.h"
#include "support/qt_test_app.h"
#include "support/scripted_file_dialog.h"

namespace plume {
namespace {

TEST(ProjectDialog, BrowsingFillsAMemberAndOkGivesTheFields) {
    test::qtApp();
    platform::ScriptedMessageBox box;
    test::ScriptedFileDialog files;
    ProjectData data = ProjectData::fresh();
    data.setTitle("demo");
    ProjectDialog dialog(data, files);

    files.answers = {"/songs/theme.PLM"};
    dialog.browse(2);
    ASSERT_EQ(files.asked.size(), 1u);
    EXPECT_TRUE(files.asked[0].starts_with("メンバーファイル|")) << files.asked[0];
    dialog.show();
    box.script({platform::Answer::No});
    dialog.reject();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.memberField(2)->text().toStdString(), "/songs/theme.PLM");
    dialog.tempoField()->setValue(88);
    dialog.keyList()->setCurrentIndex(9);
    dialog.accept();
    ASSERT_TRUE(dialog.result());
    const ProjectData& result = *dialog.result();
    EXPECT_EQ(std::tuple(result.memberPath(2), int(result.tempo()), int(result.key()), result.title()),
              std::tuple(std::filesystem::path("/songs/theme.PLM"), 88, 9, std::string("demo")));
}

TEST(MidiExportDialog, TheOtherFieldOpensWithItsButtonAndRefusesATimeBaseOutOfRange) {
    test::qtApp();
    platform::ScriptedMessageBox box;
    MidiExportDialog dialog;
    EXPECT_EQ(dialog.formatButtons()->checkedId(), 1);
    EXPECT_FALSE(dialog.otherTimeBaseField()->isEnabled());

    dialog.show();
    dialog.timeBaseButtons()->button(kOtherTimeBase)->setChecked(true);
    EXPECT_TRUE(dialog.otherTimeBaseField()->isEnabled());
    dialog.otherTimeBaseField()->setText("2000");
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible()) << "the form's refusal keeps the dialog open";

    dialog.otherTimeBaseField()->setText("120");
    dialog.resetButtons()->button(1)->setChecked(true);
    dialog.accept();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(std::tuple(dialog.options().timeBase, dialog.options().reset), std::tuple(120u, DeviceReset::GsReset));
}

}  // namespace
}  // namespace plume
