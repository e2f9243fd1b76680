// The view, filter and other setups and the CSV export, from the window's menus and tool
// buttons, with the dialogs answered by scripts.
#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include <filesystem>

#include "dialogs/filter_setup_form.h"
#include "dialogs/other_setup_form.h"
#include "dialogs/view_setup_form.h"
#include "mainwindow/tag_list_model.h"
#include "tests/dialogs/dialog_testing.h"
#include "tests/mainwindow/window_fixture.h"
#include "tests/support/file_bytes.h"
#include "tests/support/size_limit.h"

namespace marlinote {
namespace {

namespace fs = std::filesystem;
using test::Press;
using test::ReadBytes;
using test::WindowTest;
using test::WriteBytes;

const QStringList kAllCaptions = {"Title",   "FileName", "Airtist", "Album",
                                  "Comment", "Year",     "Genre",   "Track"};

std::vector<QCheckBox*> ColumnBoxes(TViewSetupForm& form) {
  return {form.FileNameCheck, form.AirtistCheck, form.AlbumCheck, form.CommentCheck,
          form.YearCheck,     form.GenreCheck,   form.TrackCheck};
}

// The names of a folder's entries.
std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST_F(WindowTest, ViewSetupRebuildsTheColumnsOnlyWhenAColumnBoxChanged) {
  for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) test::WritePlainFile(Media(name));
  Start();
  ClickFolder(media.path() + "/");
  SelectRows({0, 2});
  window->TagListView->horizontalHeader()->resizeSection(2, 150);
  QSignalSpy rebuilt(&window->Model(), &QAbstractItemModel::modelReset);

  ui.Next<TViewSetupForm>([](TViewSetupForm& form) {
    for (QCheckBox* box : ColumnBoxes(form)) EXPECT_TRUE(box->isChecked());
    EXPECT_TRUE(form.GreadEnabledCheck->isChecked());
    EXPECT_TRUE(form.DataTypeCheckBox->isChecked());
    form.GreadEnabledCheck->setChecked(false);
    return Press(form.Ok_Button);
  });
  ClickTool("TagViewSetupToolButton");
  EXPECT_FALSE(window->TagListView->showGrid());
  EXPECT_EQ(rebuilt.size(), 0);
  EXPECT_EQ(window->TagListView->horizontalHeader()->sectionSize(2), 150);
  // Dragged widths reach the column table before the dialog is shown.
  EXPECT_EQ(window->State().settings.ColumnTable[2].Width, 150);

  ui.Next<TViewSetupForm>([](TViewSetupForm& form) {
    EXPECT_FALSE(form.GreadEnabledCheck->isChecked());
    form.DataTypeCheckBox->setChecked(false);
    return Press(form.Ok_Button);
  });
  Trigger("TagViewSetup");
  EXPECT_FALSE(window->State().settings.DataTypeCheck);
  EXPECT_EQ(rebuilt.size(), 0);

  ui.Next<TViewSetupForm>([](TViewSetupForm& form) {
    form.AlbumCheck->setChecked(false);
    return Press(form.Ok_Button);
  });
  ClickTool("TagViewSetupToolButton");
  EXPECT_EQ(rebuilt.size(), 1);
  EXPECT_EQ(Captions(), (QStringList{"Title", "FileName", "Airtist", "Comment", "Year", "Genre",
                                     "Track"}));
  EXPECT_EQ(ColumnWidths(), (std::vector<int>{100, 100, 150, 100, 100, 100, 100}));
  EXPECT_EQ(ColumnTexts(1), (QStringList{"a.mp3", "b.mp3", "c.mp3"}));
  // The rebuilt list keeps the selection.
  EXPECT_EQ(window->SelectedRows(), (std::vector<int>{0, 2}));

  // Cancel and the close box leave everything as it was, whatever was changed.
  for (bool closeBox : {false, true}) {
    ui.Next<TViewSetupForm>([closeBox](TViewSetupForm& form) {
      for (QCheckBox* box : ColumnBoxes(form)) box->setChecked(!box->isChecked());
      form.GreadEnabledCheck->setChecked(true);
      form.DataTypeCheckBox->setChecked(true);
      return closeBox ? test::CloseBox(form) : Press(form.CancelButton);
    });
    ClickTool("TagViewSetupToolButton");
    EXPECT_EQ(Captions().size(), 7);
    EXPECT_FALSE(window->TagListView->showGrid());
    EXPECT_FALSE(window->State().settings.DataTypeCheck);
    EXPECT_EQ(rebuilt.size(), 1);
  }

  ui.Next<TViewSetupForm>([](TViewSetupForm& form) {
    for (QCheckBox* box : ColumnBoxes(form)) box->setChecked(false);
    return Press(form.Ok_Button);
  });
  ClickTool("TagViewSetupToolButton");
  EXPECT_EQ(Captions(), QStringList{"Title"});

  // A column hidden is still stored, with its last width; the grid lines are not stored.
  ui.boxes.answers = {kResultYes};
  Quit();
  EXPECT_EQ(StoredNumber("Column2", "Enabled"), 0u);
  EXPECT_EQ(StoredNumber("Column2", "Width"), 150u);
  EXPECT_EQ(StoredNumber("", "DataTypeCheck"), 0u);
  Start();
  EXPECT_EQ(Captions(), QStringList{"Title"});
  EXPECT_TRUE(window->TagListView->showGrid());
  EXPECT_FALSE(window->State().settings.DataTypeCheck);
}

TEST_F(WindowTest, FilterSetupLinesBecomeTheFilterOnApplyAndTheNextScanUsesThem) {
  for (const char* name : {"a.mp3", "b.ogg", "c.txt"}) test::WritePlainFile(Media(name));
  Start();
  ClickFolder(media.path() + "/");
  ASSERT_EQ(ListedNames().size(), 3u);

  ui.Next<TFilterSetupForm>([](TFilterSetupForm& form) {
    EXPECT_EQ(form.LineCount(), 1);
    EXPECT_EQ(form.LineText(0), ".*");
    EXPECT_TRUE(form.IsLineChecked(0));
    form.FilterCheckListBox->item(0)->setCheckState(Qt::Unchecked);
    form.FilterAddEdit->setText(".MP3");
    QTest::mouseClick(form.AddFilterBtn, Qt::LeftButton);
    form.FilterCheckListBox->item(1)->setCheckState(Qt::Checked);
    form.FilterAddEdit->setText(".ogg");
    QTest::mouseClick(form.AddFilterBtn, Qt::LeftButton);
    return Press(form.FilterOkBtn);
  });
  Trigger("FileFilterSetup");
  const std::vector<FilterEntry>& entries = window->State().filters.Entries();
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].Extension(), ".*");
  EXPECT_FALSE(entries[0].Enabled());
  EXPECT_EQ(entries[1].Extension(), ".MP3");
  EXPECT_TRUE(entries[1].Enabled());
  EXPECT_FALSE(entries[2].Enabled());
  // A changed filter takes effect at the next scan.
  EXPECT_EQ(ListedNames().size(), 3u);
  ClickFolder(media.path() + "/");
  EXPECT_EQ(ListedNames(), std::vector<std::string>{"a.mp3"});

  // The sort menu's entry and the tool button open the same dialog; cancelling or closing
  // it changes nothing.
  ui.Next<TFilterSetupForm>([](TFilterSetupForm& form) {
    EXPECT_EQ(form.LineCount(), 3);
    QTest::mouseClick(form.FilterDeleteBtn, Qt::LeftButton);
    form.FilterCheckListBox->setCurrentRow(0);
    QTest::mouseClick(form.FilterDeleteBtn, Qt::LeftButton);
    EXPECT_EQ(form.LineCount(), 2);
    return Press(form.FilterCancelBtn);
  });
  Trigger("Filtering");
  ui.Next<TFilterSetupForm>([](TFilterSetupForm& form) {
    form.FilterCheckListBox->clear();
    return test::CloseBox(form);
  });
  ClickTool("ToolButton1");
  EXPECT_EQ(window->State().filters.Entries().size(), 3u);
  EXPECT_EQ(ui.dialogTitles, std::vector<QString>(3, "ファイルフィルタの設定"));

  ui.boxes.answers = {kResultYes};
  Quit();
  Start();
  ASSERT_EQ(window->State().filters.Entries().size(), 3u);
  EXPECT_EQ(window->State().filters.Entries()[1].Extension(), ".MP3");
  ClickFolder(media.path() + "/");
  EXPECT_EQ(ListedNames(), std::vector<std::string>{"a.mp3"});
}

TEST_F(WindowTest, OtherSetupChoosesWhatADoubleClickDoesAndKeepsItAcrossARestart) {
  Start();
  ui.Next<TOtherSetupForm>([](TOtherSetupForm& form) {
    EXPECT_EQ(form.itemIndex(), 0);
    form.setItemIndex(1);
    return Press(form.OkButton);
  });
  Trigger("OthersSetup");
  EXPECT_EQ(window->State().settings.FileExtSync, 1);

  ui.Next<TOtherSetupForm>([](TOtherSetupForm& form) {
    EXPECT_EQ(form.itemIndex(), 1);
    form.setItemIndex(0);
    return Press(form.CancelButton);
  });
  Trigger("OthersSetup");
  EXPECT_EQ(window->State().settings.FileExtSync, 1);

  ui.boxes.answers = {kResultYes};
  Quit();
  EXPECT_EQ(StoredNumber("", "FileExtSync"), 1u);
  Start();
  EXPECT_EQ(window->State().settings.FileExtSync, 1);
  ui.Next<TOtherSetupForm>([](TOtherSetupForm& form) {
    form.setItemIndex(0);
    return Press(form.OkButton);
  });
  Trigger("OthersSetup");
  EXPECT_EQ(window->State().settings.FileExtSync, 0);
}

class CsvExportTest : public WindowTest {
 protected:
  void SetUp() override {
    test::WriteApeFile(Media("a.ape"), {{"Title", "\x89\xCC"}, {"Artist", "A"}, {"Year", "2003"}});
    test::WritePlainFile(Media("b.mp3"));
    Start();
  }
  const std::string kCsv =
      "\"Title\",\"FileName\",\"Artist\",\"Album\",\"Comment\",\"Year\",\"Genre\",\"Track\"\r\n"
      "\"\x89\xCC\",\"a.ape\",\"A\",\"\",\"\",\"2003\",\"\",\"\"\r\n"
      "\"\",\"b.mp3\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n";
};

TEST_F(CsvExportTest, WritesTheListedFilesToTheChosenNameAndProposesItAgain) {
  // Nothing listed: no save dialog.
  ClickTool("TagDataCSVOutButton");
  EXPECT_TRUE(ui.saveRequests.empty());

  ClickFolder(media.path() + "/");
  const std::string out = work.file("リスト.csv");
  WriteBytes(out, "old");
  fs::create_hard_link(out, work.file("old.csv"));
  ui.saveNames = {out};
  ClickTool("TagDataCSVOutButton");
  ASSERT_EQ(ui.saveRequests.size(), 1u);
  EXPECT_EQ(ui.saveRequests[0].filterName, "CVSファイル");
  EXPECT_EQ(ui.saveRequests[0].pattern, "*.csv");
  EXPECT_EQ(ui.saveRequests[0].defaultExtension, "csv");
  EXPECT_EQ(ui.saveRequests[0].proposedPath, "");
  // The dialog opens in the listed folder.
  EXPECT_EQ(ui.saveRequests[0].folder, QString::fromStdString(media.path() + "/"));
  EXPECT_EQ(ReadBytes(out), kCsv);
  // The old file was replaced by a new one, not written over: its other name keeps it.
  EXPECT_EQ(ReadBytes(work.file("old.csv")), "old");
  EXPECT_EQ(Entries(work.path()), (std::vector<std::string>{"old.csv", "リスト.csv"}));
  EXPECT_TRUE(ui.boxes.shown.empty());

  // The next export proposes the same name; cancelling it writes nothing.
  WriteBytes(out, "kept");
  ui.saveNames = {std::nullopt};
  ClickTool("TagDataCSVOutButton");
  ASSERT_EQ(ui.saveRequests.size(), 2u);
  EXPECT_EQ(ui.saveRequests[1].proposedPath, QString::fromStdString(out));
  EXPECT_EQ(ReadBytes(out), "kept");

  // After sorting by extension descending the lines follow the list.
  Trigger("Sort_ExtendDescend");
  ui.saveNames = {out};
  ClickTool("TagDataCSVOutButton");
  const std::string lines = ReadBytes(out);
  EXPECT_LT(lines.find("\"b.mp3\""), lines.find("\"a.ape\""));
}

TEST_F(CsvExportTest, AFileThatCannotBeMadeOrWrittenIsReportedAndTheOldOneStays) {
  ClickFolder(media.path() + "/");
  const std::string missing = work.file("no-such-folder/x.csv");
  ui.saveNames = {missing};
  ClickTool("TagDataCSVOutButton");
  ASSERT_EQ(ui.boxes.shown.size(), 1u);
  EXPECT_EQ(ui.boxes.shown[0].text, "ファイル " + missing + " を作成できません");
  EXPECT_EQ(ui.boxes.shown[0].caption, "Marlinote");
  EXPECT_EQ(ui.boxes.shown[0].style, 0x10);

  // Files cannot grow past 40 bytes: the export fails in the middle of its text.
  const std::string out = work.file("out.csv");
  WriteBytes(out, "old");
  const int shown = test::RunWithFileSizeLimit(40, [&] {
    ui.saveNames = {out};
    ClickTool("TagDataCSVOutButton");
    return ui.boxes.shown.size() == 2 && ui.boxes.shown[1].text == "ストリームへの書き込みエラー" &&
                   ui.boxes.shown[1].caption == "Marlinote"
               ? 1
               : 0;
  });
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(ReadBytes(out), "old");
  EXPECT_EQ(Entries(work.path()), std::vector<std::string>{"out.csv"});

  // The window goes on.
  ui.saveNames = {out};
  ClickTool("TagDataCSVOutButton");
  EXPECT_EQ(ReadBytes(out), kCsv);
}

}  // namespace
}  // namespace marlinote
