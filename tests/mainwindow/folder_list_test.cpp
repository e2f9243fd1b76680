// The folder tree inside the window, the folder scans, the tag list's columns, rows and
// marks, the sort menu and the double click.
#include <QHeaderView>
#include <QImage>
#include <QMenu>
#include <QPixmap>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <filesystem>

#include "catalogue/filter_list.h"
#include "dialogs/tag_edit_form.h"
#include "foldertree/folder_view.h"
#include "mainwindow/images.h"
#include "mainwindow/tag_list_model.h"
#include "tags/tag_types.h"
#include "tests/mainwindow/window_fixture.h"

namespace marlinote {
namespace {

namespace fs = std::filesystem;
using test::WindowTest;
using test::WriteApeFile;
using test::WriteId3v1File;
using test::WriteOggFile;
using test::WritePlainFile;

void WriteFilterFile(const std::string& path, const std::vector<FilterLine>& lines) {
  FilterList filters;
  filters.Replace(lines);
  test::RecordingMessageBoxes boxes;
  ASSERT_TRUE(filters.WriteFilterList(path, boxes));
}

QStringList Texts(const std::vector<std::string>& names) {
  QStringList texts;
  for (const std::string& name : names) texts << QString::fromStdString(name);
  return texts;
}

QPoint RowCenter(QTableView* list, int row) {
  return list->visualRect(list->model()->index(row, 0)).center();
}

// A double click as the window system delivers it: press, release, double click, release.
void DoubleClick(QWidget* widget, QPoint pos, Qt::KeyboardModifiers modifiers = {}) {
  QTest::mouseClick(widget, Qt::LeftButton, modifiers, pos);
  QTest::mouseDClick(widget, Qt::LeftButton, modifiers, pos);
  QTest::mouseRelease(widget, Qt::LeftButton, modifiers, pos);
}

void ClickHeader(QTableView* list, int section) {
  QHeaderView* header = list->horizontalHeader();
  const int x = header->sectionViewportPosition(section) + header->sectionSize(section) / 2;
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, {x, header->height() / 2});
}

TEST_F(WindowTest, AFolderClickListsTheFilesThatTheFilterPasses) {
  WriteFilterFile(FilterFile(), {{".mp3", true}, {".ogg", false}});
  fs::create_directory(Media("songs"));
  WriteId3v1File(Media("songs/A.MP3"), {{"Title", "Alpha"}});
  WriteOggFile(Media("songs/b.ogg"), {"TITLE=Beta"});
  WritePlainFile(Media("songs/c.txt"));
  Start();
  ClickFolder(Media("songs"));
  EXPECT_EQ(ListedNames(), std::vector<std::string>{"A.MP3"});
  EXPECT_EQ(ColumnTexts(0), QStringList{"Alpha"});
  EXPECT_EQ(ColumnTexts(1), QStringList{"A.MP3"});

  // The list is emptied first: a second click lists the same again.
  ClickFolder(Media("songs"));
  EXPECT_EQ(ListedNames(), std::vector<std::string>{"A.MP3"});
}

TEST_F(WindowTest, TheTreeGivesTheDriveItsMountPointAndMyComputerListsNothing) {
  WritePlainFile(Media("top.mp3"));
  fs::create_directory(Media("sub"));
  WritePlainFile(Media("sub/inner.mp3"));
  Start();
  ClickFolder(media.path() + "/");
  EXPECT_EQ(window->FolderView->directory(), media.path() + "/");
  EXPECT_EQ(ListedNames(), std::vector<std::string>{"top.mp3"});
  EXPECT_EQ(window->State().files.Get(0).GetFilePath(), Media("top.mp3"));

  TFolderView* tree = window->FolderView;
  QTreeWidgetItem* myComputer = tree->topLevelItem(0);
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(myComputer).center());
  EXPECT_EQ(tree->directory(), TFolderView::kMyComputerPath);
  EXPECT_TRUE(ListedNames().empty());
}

TEST_F(WindowTest, RecursiveSearchListsTheSubtreeOnceWithoutHiddenFoldersOrFiles) {
  for (const char* folder : {"root/a/deep", "root/b", "root/.hidden"})
    fs::create_directories(Media(folder));
  for (const char* file : {"root/x.mp3", "root/a/y.mp3", "root/a/deep/z.mp3", "root/b/w.mp3",
                           "root/b/.secret.mp3", "root/.hidden/h.mp3"})
    WritePlainFile(Media(file));
  Start();
  ClickFolder(Media("root"));
  EXPECT_EQ(ListedNames(), std::vector<std::string>{"x.mp3"});
  SearchAll(Media("root"));
  EXPECT_EQ(ListedNames(), (std::vector<std::string>{"w.mp3", "x.mp3", "y.mp3", "z.mp3"}));
}

TEST_F(WindowTest, SortMenuReordersTheListedEntriesWithoutScanningAgain) {
  for (const char* name : {"b.mp3", "a.ogg", "c.ape"}) WritePlainFile(Media(name));
  Start();
  ClickFolder(media.path() + "/");
  EXPECT_EQ(ListedNames(), (std::vector<std::string>{"a.ogg", "b.mp3", "c.ape"}));
  WritePlainFile(Media("0.mp3"));

  const struct {
    const char* item;
    std::vector<std::string> names;
  } orders[] = {
      {"Sort_NameDescend", {"c.ape", "b.mp3", "a.ogg"}},
      {"Sort_ExtendAscend", {"c.ape", "b.mp3", "a.ogg"}},
      {"Sort_ExtendDescend", {"a.ogg", "b.mp3", "c.ape"}},
      {"Sort_NameAscend", {"a.ogg", "b.mp3", "c.ape"}},
      {"Sort_ExtendDescend", {"a.ogg", "b.mp3", "c.ape"}},
  };
  for (const auto& order : orders) {
    Trigger(order.item);
    EXPECT_EQ(ListedNames(), order.names) << order.item;
    EXPECT_EQ(ColumnTexts(1), Texts(order.names)) << order.item;
  }
  // The next scan sorts by the order chosen last.
  ClickFolder(media.path() + "/");
  EXPECT_EQ(ListedNames(), (std::vector<std::string>{"a.ogg", "b.mp3", "0.mp3", "c.ape"}));
}

TEST_F(WindowTest, OnlyAClickOnTheFileNameHeaderOpensTheSortMenu) {
  Start();
  QMenu* sortMenu = window->PopupMenu_FileSort;
  ClickHeader(window->TagListView, 1);
  EXPECT_TRUE(sortMenu->isVisible());
  sortMenu->hide();
  for (int section : {0, 2, 7}) {
    ClickHeader(window->TagListView, section);
    EXPECT_FALSE(sortMenu->isVisible()) << section;
  }
}

TEST_F(WindowTest, ColumnsFollowTheColumnTableAndTheSortMenuNeedsTheFileNameColumn) {
  std::string body;
  for (int i = 0; i < 8; ++i)
    body += "[HKEY_CURRENT_USER\\Software\\Velmora\\Marlinote\\Column" + std::to_string(i) +
            "]\n\"Enabled\"=dword:0000000" + (i < 2 ? "1" : "0") +
            "\n\"Width\"=dword:00000064\n\"Name\"=\"" + (i == 1 ? "ファイル名" : "列") + "\"\n";
  WriteSettings(body);
  WriteApeFile(Media("x.ape"), {{"Artist", "A"}, {"Title", "\x89\xCC"}});
  WritePlainFile(Media("y.mp3"));
  Start();
  EXPECT_EQ(Captions(), (QStringList{"列", "ファイル名"}));
  ClickFolder(media.path() + "/");
  EXPECT_EQ(ColumnTexts(0), (QStringList{"歌", ""}));
  EXPECT_EQ(ColumnTexts(1), (QStringList{"x.ape", "y.mp3"}));
  // The sort menu belongs to the column captioned with the FileName entry's name.
  ClickHeader(window->TagListView, 1);
  EXPECT_TRUE(window->PopupMenu_FileSort->isVisible());
  window->PopupMenu_FileSort->hide();
  ClickHeader(window->TagListView, 0);
  EXPECT_FALSE(window->PopupMenu_FileSort->isVisible());
}

TEST_F(WindowTest, EachRowShowsItsTagMarkAndGridLinesAreOn) {
  WriteApeFile(Media("1.ape"), {{"Title", "a"}});
  WriteId3v1File(Media("2.mp3"), {{"Title", "b"}});
  WriteOggFile(Media("3.ogg"), {"TITLE=c"});
  WritePlainFile(Media("4.wav"));
  Start();
  EXPECT_TRUE(window->TagListView->showGrid());
  ClickFolder(media.path() + "/");
  ASSERT_EQ(ListedNames(), (std::vector<std::string>{"1.ape", "2.mp3", "3.ogg", "4.wav"}));
  const TagListModel& model = window->Model();
  for (int row = 0; row < 3; ++row) {
    const QVariant mark = model.data(model.index(row, 0), Qt::DecorationRole);
    ASSERT_TRUE(mark.canConvert<QPixmap>()) << row;
    EXPECT_EQ(mark.value<QPixmap>().toImage(), TagMark(row).toImage()) << row;
    EXPECT_FALSE(model.data(model.index(row, 1), Qt::DecorationRole).isValid());
  }
  EXPECT_FALSE(model.data(model.index(3, 0), Qt::DecorationRole).isValid());
  EXPECT_EQ(ColumnTexts(0), (QStringList{"a", "b", "c", ""}));
  // The four marks differ from each other and are 10 by 10 on black.
  for (int a = 0; a < 4; ++a)
    for (int b = a + 1; b < 4; ++b) EXPECT_NE(TagMark(a).toImage(), TagMark(b).toImage()) << a << b;
  EXPECT_EQ(TagMark(3).size(), QSize(10, 10));
  EXPECT_EQ(TagMark(3).toImage().pixelColor(0, 0), QColor(Qt::black));
}

TEST_F(WindowTest, DoubleClickOpensTheFirstSelectedFileWhenSoSetAndOtherwiseEditsTheTags) {
  WriteSettings(
      "[HKEY_CURRENT_USER\\Software\\Velmora\\Marlinote]\n"
      "\"WindowLeft\"=dword:00000000\n\"WindowTop\"=dword:00000000\n"
      "\"WindowWidth\"=dword:00000300\n\"WindowHeight\"=dword:00000200\n"
      "\"FolderViewWidth\"=dword:000000b4\n\"FileExtSync\"=dword:00000001\n"
      "\"DataTypeCheck\"=dword:00000001\n");
  for (const char* name : {"a.mp3", "b.mp3", "c.mp3", "d.mp3"}) WritePlainFile(Media(name));
  Start();
  QTableView* list = window->TagListView;
  QWidget* rows = list->viewport();
  // Nothing listed: nothing to open.
  DoubleClick(rows, {50, 10});
  EXPECT_TRUE(ui.opened.empty());

  ClickFolder(media.path() + "/");
  QTest::mouseClick(rows, Qt::LeftButton, {}, RowCenter(list, 1));
  DoubleClick(rows, RowCenter(list, 3), Qt::ShiftModifier);
  EXPECT_EQ(window->SelectedRows(), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(ui.opened, std::vector<std::string>{Media("b.mp3")});

  window->State().settings.FileExtSync = 0;
  ui.boxes.answers = {kResultNo};
  QString titleShown;
  ui.Next<TTagEditForm>([&](TTagEditForm& form) {
    titleShown = form.windowTitle();
    return test::CloseBox(form);
  });
  DoubleClick(rows, RowCenter(list, 0));
  ASSERT_FALSE(ui.boxes.shown.empty());
  EXPECT_EQ(ui.boxes.texts().back(),
            "現在このファイルのタグ形式は設定されていないため、タグ情報を保存できません。\n"
            "タグ形式を設定しますか?");
  EXPECT_EQ(titleShown, "タグの編集");
  EXPECT_EQ(ui.opened.size(), 1u);
  EXPECT_TRUE(ui.dialogs.empty());

  window->State().settings.FileExtSync = 1;
  // With no row selected nothing is opened.
  list->clearSelection();
  DoubleClick(rows, {50, rows->height() - 5});
  EXPECT_EQ(ui.opened.size(), 1u);
}

// Without a mouse: the arrow keys move through the tree without listing, Enter lists the
// folder; Enter in the list edits the selected files, even where a double click opens them.
TEST_F(WindowTest, TheKeyboardListsAFolderAndEditsTheSelection) {
  for (const char* folder : {"a", "b"}) fs::create_directory(Media(folder));
  for (const char* file : {"a/1.mp3", "b/2.mp3", "b/3.mp3"}) WritePlainFile(Media(file));
  Start();
  window->State().settings.FileExtSync = 1;
  TFolderView* tree = window->FolderView;
  tree->setDirectory(Media("a"));
  QTest::keyClick(tree, Qt::Key_Down);
  EXPECT_EQ(tree->directory(), Media("b"));
  EXPECT_TRUE(ListedNames().empty());
  QTest::keyClick(tree, Qt::Key_Return);
  WaitForList();
  EXPECT_EQ(ListedNames(), (std::vector<std::string>{"2.mp3", "3.mp3"}));

  SelectRows({0, 1});
  ui.Next<TTagEditForm>([](TTagEditForm& form) { return test::Press(form.Edit_CancelBtn); });
  QTest::keyClick(window->TagListView, Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_EQ(ui.dialogTitles, std::vector<QString>{"タグの編集"});
  EXPECT_TRUE(ui.opened.empty());
  EXPECT_EQ(window->SelectedRows(), (std::vector<int>{0, 1}));
}

// A tag object that counts how often the list reads it.
class CountingTag : public TAbstractTag {
 public:
  explicit CountingTag(int& reads) : reads_(reads) {}
  std::string GetField(std::string_view key) const override {
    ++reads_;
    return TAbstractTag::GetField(key);
  }
  std::string GetFileName() const override {
    ++reads_;
    return TAbstractTag::GetFileName();
  }
  int GetTagType() const override {
    ++reads_;
    return TAbstractTag::GetTagType();
  }

 private:
  int& reads_;
};

TEST_F(WindowTest, AHundredThousandRowsAreFilledWithoutReadingEveryEntry) {
  Start();
  int reads = 0;
  for (int i = 0; i < 100000; ++i) {
    auto tag = std::make_unique<CountingTag>(reads);
    tag->SetFilePath("/music/" + std::to_string(i) + ".mp3");
    window->State().files.Add(std::move(tag));
  }
  window->FillTagList();
  window->TagListView->repaint();
  EXPECT_EQ(window->Model().rowCount(), 100000);
  EXPECT_GT(reads, 0);
  // Only the rows in view are read: a few dozen rows of eight cells and a mark.
  EXPECT_LT(reads, 1000);

  reads = 0;
  window->TagListView->scrollToBottom();
  window->TagListView->repaint();
  EXPECT_LT(reads, 1000);
  EXPECT_EQ(window->Model().data(window->Model().index(99999, 1), Qt::DisplayRole), "99999.mp3");
}

}  // namespace
}  // namespace marlinote
