// The whole program as a new user tries it: start, pick a folder, edit several files at once,
// convert one, export the list, change every setup, quit, and start again.
#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include <filesystem>

#include "dialogs/filter_setup_form.h"
#include "dialogs/other_setup_form.h"
#include "dialogs/tag_edit_form.h"
#include "dialogs/tag_select_form.h"
#include "dialogs/view_setup_form.h"
#include "foldertree/folder_view.h"
#include "mainwindow/tag_list_model.h"
#include "tags/tag_probe.h"
#include "tags/tag_types.h"
#include "tags/text_conversion.h"
#include "tests/dialogs/dialog_testing.h"
#include "tests/mainwindow/window_fixture.h"
#include "tests/support/file_bytes.h"

namespace marlinote {
namespace {

namespace fs = std::filesystem;
using Field = TTagEditForm::Field;
using test::Press;
using test::WindowTest;

TEST_F(WindowTest, ANewUserEditsConvertsExportsSetsUpQuitsAndFindsEverythingAgain) {
  const std::string album = Media("旅");
  fs::create_directory(album);
  test::WriteApeDataFile(album + "/01.ape");
  test::WriteApeDataFile(album + "/02.ape");
  test::WriteId3v1File(album + "/03.mp3", {{"Title", "Three"}, {"Genre", "Pop"}});
  test::WriteOggFile(album + "/04.ogg", {"TITLE=Four"});
  test::WritePlainFile(album + "/notes.txt", 100);

  // First start: nothing stored, nothing listed.
  Start();
  EXPECT_EQ(window->Model().rowCount(), 0);
  ClickFolder(album);
  EXPECT_EQ(ListedNames(),
            (std::vector<std::string>{"01.ape", "02.ape", "03.mp3", "04.ogg", "notes.txt"}));

  // Several files at once: album and year for the four audio files; the two without a tag
  // become APE after one question.
  SelectRows({0, 1, 2, 3});
  ui.Next<TTagEditForm>([](TTagEditForm& form) {
    QTest::mouseClick(form.Edit_AlbumEdit, Qt::LeftButton);
    QTest::keyClicks(form.Edit_AlbumEdit, "Trip");
    QTest::mouseClick(form.Edit_YearEdit, Qt::LeftButton);
    QTest::keyClicks(form.Edit_YearEdit, "2002");
    QTest::mouseClick(form.Edit_YearUpDown->arrow(UpDown::Direction::Up), Qt::LeftButton);
    EXPECT_EQ(form.Edit_YearEdit->text(), "2003");
    return Press(form.Edit_OkBtn);
  });
  ui.boxes.answers = {kResultYes};
  ui.Next<TTagSelectForm>([](TTagSelectForm& form) { return Press(form.AllButton); });
  ClickTool("TagEditToolButton");
  EXPECT_EQ(ui.boxes.shown.size(), 1u);
  for (const char* name : {"01.ape", "02.ape", "03.mp3", "04.ogg"}) {
    const auto tag = CreateTagForFile(album + "/" + name);
    EXPECT_EQ(tag->GetField("Album"), "Trip") << name;
    EXPECT_EQ(tag->GetField("Year"), "2003") << name;
  }
  EXPECT_EQ(CreateTagForFile(album + "/03.mp3")->GetField("Title"), "Three");
  EXPECT_EQ(ColumnTexts(3), (QStringList{"Trip", "Trip", "Trip", "Trip", ""}));

  // Convert the mp3 file to APE: its data usually has no APE tag, so it asks first.
  SelectRows({2});
  ui.boxes.answers = {kResultYes};
  Trigger("ChangeTagTypeMApe");
  EXPECT_EQ(CreateTagForFile(album + "/03.mp3")->GetTagType(), kTagApe);
  EXPECT_EQ(CreateTagForFile(album + "/03.mp3")->GetField("Genre"), "Pop");

  // Export the list.
  const std::string csv = work.file("list.csv");
  ui.saveNames = {csv};
  ClickTool("TagDataCSVOutButton");
  const std::string lines = test::ReadBytes(csv);
  EXPECT_NE(lines.find("\"Three\",\"03.mp3\",\"\",\"Trip\",\"\",\"2003\",\"Pop\",\"0\"\r\n"),
            std::string::npos);

  // Every setup: no comment column, no grid lines, no data check; only .ape and .mp3 files;
  // a double click opens the file.
  ui.Next<TViewSetupForm>([](TViewSetupForm& form) {
    form.CommentCheck->setChecked(false);
    form.GreadEnabledCheck->setChecked(false);
    form.DataTypeCheckBox->setChecked(false);
    return Press(form.Ok_Button);
  });
  ClickTool("TagViewSetupToolButton");
  ui.Next<TFilterSetupForm>([](TFilterSetupForm& form) {
    form.FilterCheckListBox->item(0)->setCheckState(Qt::Unchecked);
    for (const char* extension : {".ape", ".mp3"}) {
      form.FilterAddEdit->setText(extension);
      QTest::mouseClick(form.AddFilterBtn, Qt::LeftButton);
      form.FilterCheckListBox->item(form.LineCount() - 1)->setCheckState(Qt::Checked);
    }
    return Press(form.FilterOkBtn);
  });
  ClickTool("ToolButton1");
  ui.Next<TOtherSetupForm>([](TOtherSetupForm& form) {
    form.setItemIndex(1);
    return Press(form.OkButton);
  });
  Trigger("OthersSetup");
  window->TagListView->horizontalHeader()->resizeSection(1, 180);

  ui.boxes.answers = {kResultYes};
  Trigger("Exit");
  EXPECT_FALSE(window->isVisible());
  Destroy();
  EXPECT_EQ(ui.boxes.texts().back(), "Marlinote を終了します。\nよろしいですか?");

  // Second start: the settings and the filter are back, the grid lines are on again.
  Start();
  EXPECT_EQ(Captions(),
            (QStringList{"Title", "FileName", "Airtist", "Album", "Year", "Genre", "Track"}));
  EXPECT_EQ(ColumnWidths()[1], 180);
  EXPECT_TRUE(window->TagListView->showGrid());
  EXPECT_FALSE(window->State().settings.DataTypeCheck);
  EXPECT_EQ(window->State().settings.FileExtSync, 1);
  EXPECT_EQ(window->Model().rowCount(), 0);
  ClickFolder(album);
  EXPECT_EQ(ListedNames(), (std::vector<std::string>{"01.ape", "02.ape", "03.mp3"}));
  EXPECT_EQ(ColumnTexts(0), (QStringList{"", "", "Three"}));
  EXPECT_EQ(ColumnTexts(3), (QStringList{"Trip", "Trip", "Trip"}));

  QTableView* list = window->TagListView;
  const QPoint row = list->visualRect(window->Model().index(2, 0)).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row);
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row);
  EXPECT_EQ(ui.opened, std::vector<std::string>{album + "/03.mp3"});
  EXPECT_TRUE(ui.dialogs.empty());
}

}  // namespace
}  // namespace marlinote
