// Long work in the window: folder scans on their own thread, with progress and a way to stop,
// and saves over many files with a progress dialog that stops between two files.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>

#include "dialogs/tag_edit_form.h"
#include "foldertree/folder_view.h"
#include "mainwindow/tag_list_model.h"
#include "tags/tag_probe.h"
#include "tags/tag_types.h"
#include "tests/mainwindow/window_fixture.h"
#include "tests/support/temp_dir.h"

namespace marlinote {
namespace {

namespace fs = std::filesystem;
using test::WindowTest;

constexpr int kTreeFolders = 20;
constexpr int kFilesPerFolder = 1000;
constexpr int kTreeFiles = kTreeFolders * kFilesPerFolder;

// A tree of 20,000 empty files in 20 folders, made once per test program; the files of a
// folder are made out of their names' order. In memory where the system has a tmpfs at
// /dev/shm: on a busy disk, making 20,000 files takes seconds.
const std::string& BigTree() {
  static const test::TempDir tree("marlinote-tree", access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "");
  static const bool made = [] {
    for (int d = 0; d < kTreeFolders; ++d) {
      char folder[16];
      std::snprintf(folder, sizeof folder, "d%02d", d);
      const std::string path = tree.file(folder);
      fs::create_directory(path);
      const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY);
      for (int i = 0; i < kFilesPerFolder; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "%03d-%02d.mp3", i * 7919 % kFilesPerFolder, d);
        // One call a file: a regular file made without opening it.
        EXPECT_EQ(mknodat(fd, name, S_IFREG | 0644, 0), 0) << name;
      }
      close(fd);
    }
    return true;
  }();
  (void)made;
  return tree.path();
}

// A scan that stops after `holdAfter` files as if the next read did not return, until the test
// lets it go on; the window's own scan (ListFolder) otherwise.
class HeldScan {
 public:
  explicit HeldScan(std::size_t holdAfter) : holdAfter_(holdAfter) {}
  ~HeldScan() {
    Release();
    // The threads of the window's scans call into this object until their scan returns.
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::seconds(20), [&] { return returned_ == started_; });
  }

  FolderLister Lister() {
    return [this](TTagList& list, const std::string& folder, const FilterList& filter,
                  bool recursive, int sortOrder, const ScanControl& control) {
      Note([&] { ++started_; });
      ScanControl held = control;
      held.progress = [&](const ScanProgress& progress) {
        control.progress(progress);
        if (progress.files < holdAfter_) return;
        std::unique_lock lock(mutex_);
        held_ = true;
        changed_.notify_all();
        // Bounded, so that a window that waits for its scan fails instead of hanging.
        changed_.wait_for(lock, std::chrono::seconds(20), [&] { return released_; });
      };
      ScanResult result = ListFolder(list, folder, filter, recursive, sortOrder, held);
      result.unreadable = unreadable;
      Note([&] { ++returned_; });
      return result;
    };
  }

  bool Held() {
    const std::lock_guard lock(mutex_);
    return held_;
  }
  void Release() { Note([&] { released_ = true; }); }
  int Returned() {
    const std::lock_guard lock(mutex_);
    return returned_;
  }

  // Put into every result, as what the scan could not read.
  std::vector<UnreadablePath> unreadable;

 private:
  template <typename Change>
  void Note(Change change) {
    const std::lock_guard lock(mutex_);
    change();
    changed_.notify_all();
  }

  const std::size_t holdAfter_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool held_ = false;
  bool released_ = false;
  int started_ = 0;
  int returned_ = 0;
};

class LongWorkTest : public WindowTest {
 protected:
  // The big tree, reached from the test's drive.
  LongWorkTest() : tree(Media("tree")) { fs::create_directory_symlink(BigTree(), tree); }

  // The recursive search over the big tree in the started window, held after `holdAfter`
  // files; returns once the scan is held.
  void StartHeldSearch(HeldScan& scan) {
    window->SetFolderLister(scan.Lister());
    window->FolderView->setDirectory(tree);
    Trigger("SearchAll");
    ASSERT_TRUE(QTest::qWaitFor([&] { return scan.Held(); }, 20000));
  }

  QString Status() const { return window->StatusText->text(); }
  QString Tree() const { return QString::fromStdString(tree); }

  void ExpectListCommandsEnabled(bool enabled) {
    for (const char* name : {"TagEdit", "ChangeTagType", "Sort_NameAscend", "Sort_ExtendDescend"})
      EXPECT_EQ(window->findChild<QAction*>(name)->isEnabled(), enabled) << name;
    for (const char* name : {"TagEditToolButton", "TagDataCSVOutButton"})
      EXPECT_EQ(window->findChild<QToolButton*>(name)->isEnabled(), enabled) << name;
  }

  void ExpectSortedNames(std::size_t count) {
    const std::vector<std::string> names = ListedNames();
    EXPECT_EQ(names.size(), count);
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
  }

  const std::string tree;
};

// Counts the paint events of a widget.
class PaintCounter : public QObject {
 public:
  explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
  int paints = 0;
};

// The scan is held in its read, as on a dead network mount: the window goes on all the same,
// and Esc or the stop button shows the files found so far without waiting for the read.
TEST_F(LongWorkTest, TheWindowGoesOnDuringAScanAndAStopShowsTheFilesFoundSoFarSorted) {
  const QString found = "3,000 個のファイル - " + Tree() + " 以下 (再帰検索)";
  for (const bool byButton : {false, true}) {
    SCOPED_TRACE(byButton ? "stop button" : "Esc");
    HeldScan scan(3000);
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(5);
    Start();
    PaintCounter statusPaints(window->StatusText);
    StartHeldSearch(scan);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return window->ScanStopButton->isVisible() && Status().endsWith("、" + found); }))
        << Status().toStdString();
    EXPECT_TRUE(window->Scanning());
    EXPECT_GT(ticks, 0);
    EXPECT_GT(statusPaints.paints, 0);
    EXPECT_TRUE(Status().startsWith("検索中... ")) << Status().toStdString();
    EXPECT_EQ(window->Model().rowCount(), 0);

    if (byButton)
      QTest::mouseClick(window->ScanStopButton, Qt::LeftButton);
    else
      QTest::keyClick(window.get(), Qt::Key_Escape);
    WaitForList();
    EXPECT_EQ(scan.Returned(), 0);
    ExpectSortedNames(3000);
    EXPECT_EQ(Status(), "検索を中止しました: " + found);
    EXPECT_FALSE(window->ScanStopButton->isVisible());
    ExpectListCommandsEnabled(true);

    // The read returns at last: the thread ends on its own and changes nothing.
    scan.Release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return scan.Returned() == 1; }));
    QTest::qWait(50);
    ExpectSortedNames(3000);
    Destroy();
  }
}

TEST_F(LongWorkTest, ACommandStartedDuringAScanNeverSeesAHalfFilledList) {
  HeldScan scan(1500);
  fs::create_directory(Media("small"));
  test::WritePlainFile(Media("small/x.mp3"), 10);
  Start();
  ClickFolder(Media("small"));
  SelectRows({0});
  // Whatever the list holds whenever the window looks: nothing, or every file.
  std::vector<int> rowsSeen;
  QTimer sampler;
  QObject::connect(&sampler, &QTimer::timeout, [&] { rowsSeen.push_back(window->Model().rowCount()); });
  sampler.start(2);
  StartHeldSearch(scan);

  ExpectListCommandsEnabled(false);
  const int sortType = window->State().SortType;
  window->EditSelectedTags();
  window->ConvertSelectedTagTypes(kTagApe);
  window->ExportTagListCsv();
  window->SortFiles(kSortNameDescend);
  EXPECT_TRUE(ui.dialogTitles.empty());
  EXPECT_TRUE(ui.saveRequests.empty());
  EXPECT_TRUE(ui.boxes.shown.empty());
  EXPECT_EQ(window->State().SortType, sortType);
  EXPECT_EQ(window->Model().rowCount(), 0);

  scan.Release();
  WaitForList();
  QTest::qWait(10);
  sampler.stop();
  ExpectSortedNames(kTreeFiles);
  for (int rows : rowsSeen) ASSERT_TRUE(rows == 0 || rows == kTreeFiles) << rows;
  EXPECT_EQ(rowsSeen.back(), kTreeFiles);
  ExpectListCommandsEnabled(true);
  ui.saveNames = {std::nullopt};
  ClickTool("TagDataCSVOutButton");
  EXPECT_EQ(ui.saveRequests.size(), 1u);
}

TEST_F(LongWorkTest, TheStatusBarSaysWhatIsListedAndAClickOnAnotherFolderStopsTheScanFirst) {
  fs::create_directory(Media("small"));
  for (const char* name : {"c.mp3", "b.mp3", "a.mp3"}) test::WritePlainFile(Media("small/") + name, 10);
  const std::vector<std::string> small = {"a.mp3", "b.mp3", "c.mp3"};
  Start();
  EXPECT_EQ(Status(), "");
  SearchAll(tree);
  ExpectSortedNames(kTreeFiles);
  EXPECT_EQ(Status(), "20,000 個のファイル - " + Tree() + " 以下 (再帰検索)");
  ClickFolder(tree + "/d07");
  ExpectSortedNames(kFilesPerFolder);
  EXPECT_EQ(Status(), "1,000 個のファイル - " + Tree() + "/d07");

  // A click during a scan lists the folder clicked, with what its scan could not read.
  HeldScan scan(1000);
  scan.unreadable = {{Media("small/gone"), ENOENT}, {Media("small/c.mp3"), EMFILE}};
  StartHeldSearch(scan);
  ClickFolder(Media("small"));
  EXPECT_EQ(ListedNames(), small);
  EXPECT_EQ(Status(), "3 個のファイル - " + QString::fromStdString(Media("small")) +
                          " (読み取れない項目 2 個)");
  // The first scan, once its read returns, stops and shows nothing of its own.
  scan.Release();
  ASSERT_TRUE(QTest::qWaitFor([&] { return scan.Returned() == 2; }));
  QTest::qWait(50);
  EXPECT_EQ(ListedNames(), small);
  EXPECT_EQ(window->State().listedFolder, Media("small"));

  QTreeWidgetItem* myComputer = window->FolderView->topLevelItem(0);
  window->FolderView->setCurrentItem(myComputer);
  Trigger("SearchAll");
  WaitForList();
  EXPECT_EQ(Status(), "0 個のファイル - マイ コンピュータ 以下 (再帰検索)");
}

// A save or type change over 40 files, stopped between two files by the dialog's 中止 or by
// the window being asked to close: each file has its old tag or its new one, and each row
// shows what its file holds.
TEST_F(LongWorkTest, WorkOverManyFilesStopsBetweenTwoFilesAndTheListStaysTrue) {
  constexpr int kFiles = 40;
  struct Case {
    const char* name;
    const char* command;
    int stopBefore;  // the file before which the work stops; -1: never
    bool byCloseRequest;
    QString report;
  };
  const Case cases[] = {
      {"edit, cancelled", "TagEditToolButton", 15, false,
       "タグの編集: 中止しました。15 個のファイルに書き込みました。失敗 0 個、未処理 25 個"},
      {"edit, to the end", "TagEditToolButton", -1, false,
       "タグの編集: 40 個のファイルに書き込みました。失敗 0 個"},
      {"edit, window closing", "TagEditToolButton", 5, true,
       "タグの編集: 中止しました。5 個のファイルに書き込みました。失敗 0 個、未処理 35 個"},
      {"type change, cancelled", "ChangeTagTypeMApe", 7, false,
       "タグの種類を変更: 中止しました。7 個のファイルに書き込みました。失敗 0 個、未処理 33 個"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const test::TempDir folder("marlinote-batch", media.path());
    for (int i = 0; i < kFiles; ++i) {
      char name[16];
      std::snprintf(name, sizeof name, "%02d.mp3", i);
      test::WriteId3v1File(folder.file(name), {{"Title", std::string("old ") + name}});
    }
    Start();
    window->State().settings.DataTypeCheck = false;
    ClickFolder(folder.path());
    window->TagListView->selectAll();
    const bool edit = std::string(c.command) == "TagEditToolButton";
    if (edit)
      ui.Next<TTagEditForm>([](TTagEditForm& form) {
        form.Edit_TitleCheck->setChecked(true);
        form.Edit_TitleEdit->setText("new");
        return test::Press(form.Edit_OkBtn);
      });
    std::vector<std::string> names;
    QString labelBeforeStop;
    ui.onProgress = [&](int done, const std::string& name) {
      EXPECT_EQ(done, static_cast<int>(names.size()));
      names.push_back(name);
      if (done != c.stopBefore) return;
      QProgressDialog* dialog = test::ProgressDialog();
      ASSERT_NE(dialog, nullptr);
      labelBeforeStop = dialog->labelText();
      if (c.byCloseRequest)
        window->StopLongWork();
      else
        dialog->findChild<QPushButton*>()->click();
    };
    if (edit)
      ClickTool(c.command);
    else
      Trigger(c.command);

    ASSERT_FALSE(names.empty());
    EXPECT_EQ(ui.progress.back(), std::make_pair(std::string(edit ? "タグの編集" : "タグの種類を変更"), kFiles));
    if (c.stopBefore > 0) {
      EXPECT_EQ(labelBeforeStop, QString("処理中: %1\n%2 / 40 個のファイルを処理しました")
                                     .arg(QString::fromStdString(names[c.stopBefore - 1]))
                                     .arg(c.stopBefore - 1));
    }
    const int written = c.stopBefore < 0 ? kFiles : c.stopBefore;
    const TTagList& files = window->State().files;
    for (int row = 0; row < kFiles; ++row) {
      const std::string path = files.Get(row).GetFilePath();
      const std::string oldTitle = "old " + files.Get(row).GetFileName();
      const std::unique_ptr<TAbstractTag> held = CreateTagForFile(path);
      if (edit) {
        EXPECT_EQ(held->GetField("Title"), row < written ? "new" : oldTitle) << row;
      } else {
        EXPECT_EQ(held->GetTagType(), row < written ? kTagApe : kTagId3v1) << row;
        EXPECT_EQ(held->GetField("Title"), oldTitle) << row;
      }
      EXPECT_EQ(files.Get(row).GetTagType(), held->GetTagType()) << row;
      EXPECT_EQ(window->Model().data(window->Model().index(row, 0), Qt::DisplayRole).toString(),
                QString::fromStdString(held->GetField("Title")))
          << row;
    }
    EXPECT_EQ(window->StatusReport->text(), c.report);
    EXPECT_EQ(test::ProgressDialog(), nullptr);
    Destroy();
    ui.onProgress = nullptr;
  }
}

}  // namespace
}  // namespace marlinote
