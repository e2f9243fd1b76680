// Start-up, the close query, shut-down and the settings that come back at the next start.
#include <QContextMenuEvent>
#include <QDialog>
#include <QFontInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <filesystem>
#include <stdexcept>

#include "dialogs/view_setup_form.h"
#include "foldertree/folder_view.h"
#include "mainwindow/tag_list_model.h"
#include "platform/reg_file_store.h"
#include "tests/mainwindow/window_fixture.h"
#include "tests/support/file_bytes.h"
#include "tests/support/shell.h"

namespace marlinote {
namespace {

namespace fs = std::filesystem;
using test::WindowTest;

const QStringList kDefaultCaptions = {"Title",   "FileName", "Airtist", "Album",
                                      "Comment", "Year",     "Genre",   "Track"};
const char* const kCloseQuestion = "Marlinote を終了します。\nよろしいですか?";

// Drags with the left button from one point of a widget to another.
void Drag(QWidget* widget, QPoint from, QPoint to) {
  QTest::mousePress(widget, Qt::LeftButton, {}, from);
  QTest::mouseMove(widget, to);
  QTest::mouseRelease(widget, Qt::LeftButton, {}, to);
}

// Drags the right edge of a list column by `dx` pixels, as a person widens the column.
void DragColumnEdge(QTableView* list, int section, int dx) {
  QHeaderView* header = list->horizontalHeader();
  const int edge = header->sectionViewportPosition(section) + header->sectionSize(section) - 1;
  const int y = header->height() / 2;
  Drag(header->viewport(), {edge, y}, {edge + dx, y});
}

// The settings store of the user, which notes what the window holds when it is written.
class ObservingStore : public RegFileStore {
 public:
  ObservingStore(std::string path, std::function<void()> onFlush)
      : RegFileStore(std::move(path)), onFlush_(std::move(onFlush)) {}
  bool Flush() override {
    onFlush_();
    return RegFileStore::Flush();
  }

 private:
  std::function<void()> onFlush_;
};

// An object whose own events fail.
class ThrowingObject : public QObject {
 public:
  bool event(QEvent* event) override {
    if (event->type() == QEvent::User) throw std::runtime_error("イベントで失敗しました");
    return QObject::event(event);
  }
};

TEST_F(WindowTest, FirstStartShowsTheDefaultsAndWritesNothing) {
  Start();
  EXPECT_EQ(window->windowTitle(), "Marlinote");
  EXPECT_EQ(window->pos(), QPoint(194, 139));
  EXPECT_EQ(window->size(), QSize(776, 462));
  EXPECT_EQ(window->FolderView->width(), 180);
  EXPECT_EQ(QFontInfo(window->font()).family(), "IPAPGothic");
  EXPECT_EQ(QFontInfo(window->TagListView->font()).pixelSize(), 13);

  const WindowState& state = window->State();
  ASSERT_EQ(state.filters.Entries().size(), 1u);
  EXPECT_EQ(state.filters.Entries()[0].Extension(), ".*");
  EXPECT_TRUE(state.filters.Entries()[0].Enabled());
  EXPECT_EQ(state.settings.ColumnTable, DefaultColumnTable());
  EXPECT_EQ(state.settings.FileExtSync, 0);
  EXPECT_TRUE(state.settings.DataTypeCheck);
  EXPECT_EQ(state.SortType, 0);

  EXPECT_EQ(Captions(), kDefaultCaptions);
  EXPECT_EQ(ColumnWidths(), std::vector<int>(8, 100));
  EXPECT_TRUE(window->TagListView->showGrid());
  EXPECT_EQ(window->Model().rowCount(), 0);
  // The tree shows My Computer with the drive, and nothing is selected or scanned.
  ASSERT_EQ(window->FolderView->topLevelItemCount(), 1);
  EXPECT_EQ(window->FolderView->topLevelItem(0)->text(0), "マイ コンピュータ");
  EXPECT_EQ(window->FolderView->directory(), "");

  EXPECT_FALSE(fs::exists(SettingsFile()));
  EXPECT_FALSE(fs::exists(FilterFile()));
  EXPECT_TRUE(ui.boxes.shown.empty());
}

TEST_F(WindowTest, CloseQueryNoKeepsTheWindowAndYesWritesFilterThenSettingsAfterTheListIsFreed) {
  test::WritePlainFile(Media("a.mp3"));
  TMainWindow* observed = nullptr;
  int filesAtFlush = -1;
  bool filterFileAtFlush = false;
  Start(std::make_unique<ObservingStore>(SettingsFile(), [&] {
    filesAtFlush = observed->State().files.Count();
    filterFileAtFlush = fs::exists(FilterFile());
  }));
  observed = window.get();
  ClickFolder(media.path() + "/");
  ASSERT_EQ(window->Model().rowCount(), 1);

  // The Exit item and the close box ask the same; No keeps everything.
  ui.boxes.answers = {kResultNo, kResultNo};
  Trigger("Exit");
  EXPECT_FALSE(window->close());
  ASSERT_EQ(ui.boxes.shown.size(), 2u);
  for (const auto& box : ui.boxes.shown) {
    EXPECT_EQ(box.text, kCloseQuestion);
    EXPECT_EQ(box.caption, "謹警");
    EXPECT_EQ(box.style, 0x34);
  }
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->Model().rowCount(), 1);
  EXPECT_FALSE(fs::exists(FilterFile()));

  ui.boxes.answers = {kResultYes};
  Quit();
  EXPECT_EQ(ui.boxes.shown.size(), 3u);
  EXPECT_EQ(filesAtFlush, 0);
  EXPECT_TRUE(filterFileAtFlush);
  EXPECT_TRUE(fs::exists(SettingsFile()));
  EXPECT_EQ(StoredText("Column2", "Name"), "Airtist");
}

// A stop signal while a dialog is open (a setup, the tag edit): the dialog is closed as by its
// close button, so that the command behind it ends, and the window closes without asking.
TEST_F(WindowTest, AStopSignalClosesAnOpenDialogAndThenTheWindowWithoutAsking) {
  Start();
  QDialog dialog(window.get());
  bool timedOut = false;
  QTimer::singleShot(5000, &dialog, [&] {
    timedOut = true;
    dialog.reject();
  });
  QTimer::singleShot(0, &dialog, [&] { window->CloseOnStopSignal(); });
  EXPECT_EQ(dialog.exec(), QDialog::Rejected);
  EXPECT_FALSE(timedOut) << "the dialog stayed open";
  EXPECT_FALSE(window->isVisible());
  EXPECT_TRUE(window->State().stopRequested);
  EXPECT_TRUE(ui.boxes.shown.empty());
}

TEST_F(WindowTest, AFilterFileThatCannotBeWrittenIsReportedAndTheSettingsAreStillSaved) {
  fs::create_directory(FilterFile());
  test::WritePlainFile(Media("a.mp3"));
  Start();
  ClickFolder(media.path() + "/");
  TMainWindow* closing = window.get();
  int filesWhenShown = -1;
  ui.onShow = [&](const std::string&) { filesWhenShown = closing->State().files.Count(); };
  Destroy();
  ASSERT_EQ(ui.boxes.shown.size(), 1u);
  EXPECT_EQ(ui.boxes.shown[0].text, "回復不能なエラー\nフィルタリスト保存不可。");
  EXPECT_EQ(ui.boxes.shown[0].caption, "謹謝");
  EXPECT_EQ(ui.boxes.shown[0].style, 0x10);
  EXPECT_EQ(filesWhenShown, 0);
  EXPECT_EQ(StoredNumber("", "WindowWidth"), 776u);
}

TEST_F(WindowTest, DraggedColumnWidthsSurviveScansSortsAndARestart) {
  for (const char* name : {"b.mp3", "a.mp3", "c.mp3"}) test::WritePlainFile(Media(name));
  Start();
  ClickFolder(media.path() + "/");
  DragColumnEdge(window->TagListView, 2, 60);
  DragColumnEdge(window->TagListView, 0, -30);
  const std::vector<int> dragged = {70, 100, 160, 100, 100, 100, 100, 100};
  ASSERT_EQ(ColumnWidths(), dragged);

  ClickFolder(media.path() + "/");
  EXPECT_EQ(ColumnWidths(), dragged);
  Trigger("Sort_NameDescend");
  EXPECT_EQ(ColumnWidths(), dragged);
  SearchAll(media.path() + "/");
  EXPECT_EQ(ColumnWidths(), dragged);

  ui.boxes.answers = {kResultYes};
  Quit();
  EXPECT_EQ(StoredNumber("Column0", "Width"), 70u);
  EXPECT_EQ(StoredNumber("Column2", "Width"), 160u);
  Start();
  EXPECT_EQ(ColumnWidths(), dragged);
}

TEST_F(WindowTest, AStoredHiddenTitleStillLeadsAndTheWidthsLineUpWithTheEnabledEntries) {
  WriteSettings(
      "[HKEY_CURRENT_USER\\Software\\Velmora\\Marlinote\\Column0]\n"
      "\"Enabled\"=dword:00000000\n\"Width\"=dword:00000078\n\"Name\"=\"題名\"\n"
      "[HKEY_CURRENT_USER\\Software\\Velmora\\Marlinote\\Column1]\n"
      "\"Enabled\"=dword:00000001\n\"Width\"=dword:0000005a\n\"Name\"=\"ファイル\"\n"
      "[HKEY_CURRENT_USER\\Software\\Velmora\\Marlinote\\Column2]\n"
      "\"Enabled\"=dword:00000000\n\"Width\"=dword:00000050\n\"Name\"=\"Airtist\"\n"
      "[HKEY_CURRENT_USER\\Software\\Velmora\\Marlinote\\Column3]\n"
      "\"Enabled\"=dword:00000001\n\"Width\"=dword:00000040\n");
  test::WritePlainFile(Media("a.mp3"));
  Start();
  // Column3 holds no "Name": its caption is empty. The title column is there all the same.
  EXPECT_EQ(Captions(), (QStringList{"題名", "ファイル", "", "Comment", "Year", "Genre", "Track"}));
  EXPECT_EQ(ColumnWidths(), (std::vector<int>{120, 90, 64, 100, 100, 100, 100}));
  ClickFolder(media.path() + "/");
  EXPECT_EQ(ColumnTexts(1), QStringList{"a.mp3"});

  DragColumnEdge(window->TagListView, 1, 40);
  DragColumnEdge(window->TagListView, 2, 16);
  ui.boxes.answers = {kResultYes};
  Quit();
  EXPECT_EQ(StoredNumber("Column0", "Enabled"), 0u);
  EXPECT_EQ(StoredNumber("Column0", "Width"), 120u);
  EXPECT_EQ(StoredNumber("Column1", "Width"), 130u);
  EXPECT_EQ(StoredNumber("Column2", "Width"), 80u);
  EXPECT_EQ(StoredNumber("Column3", "Width"), 80u);
  EXPECT_EQ(StoredText("Column3", "Name"), "");
  EXPECT_EQ(StoredNumber("Column7", "Width"), 100u);
}

TEST_F(WindowTest, WindowBoundsAndTheFolderTreeWidthComeBackAfterARestart) {
  Start();
  window->move(50, 60);
  window->resize(900, 500);
  QSplitter* splitter = window->FolderTagSplitter;
  QWidget* handle = splitter->handle(1);
  const QPoint grip = handle->rect().center();
  QTest::mousePress(handle, Qt::LeftButton, {}, grip);
  QTest::mouseMove(handle, grip + QPoint(60, 0));
  QTest::mouseRelease(handle, Qt::LeftButton, {}, grip + QPoint(60, 0));
  // The handle follows the mouse to within a pixel.
  const int dragged = window->FolderView->width();
  ASSERT_NEAR(dragged, 240, 1);
  ui.boxes.answers = {kResultYes};
  Quit();
  EXPECT_EQ(StoredNumber("", "WindowLeft"), 50u);
  EXPECT_EQ(StoredNumber("", "WindowTop"), 60u);
  EXPECT_EQ(StoredNumber("", "WindowWidth"), 900u);
  EXPECT_EQ(StoredNumber("", "WindowHeight"), 500u);
  EXPECT_EQ(StoredNumber("", "FolderViewWidth"), static_cast<unsigned>(dragged));

  Start();
  // The position is the frame's, the size the window's own, as they were read.
  EXPECT_EQ(window->pos(), QPoint(50, 60));
  EXPECT_EQ(window->size(), QSize(900, 500));
  EXPECT_EQ(window->FolderView->width(), dragged);

  // A window that is never shown writes back what it read.
  Destroy();
  window = std::make_unique<TMainWindow>(std::make_unique<test::UiRef>(ui),
                                         std::make_unique<test::TempVolumes>(media.path()));
  Destroy();
  EXPECT_EQ(StoredNumber("", "WindowLeft"), 50u);
  EXPECT_EQ(StoredNumber("", "WindowWidth"), 900u);
  EXPECT_EQ(StoredNumber("", "FolderViewWidth"), static_cast<unsigned>(dragged));
}

// Bounds stored on a screen that is gone bring the window back onto the primary screen,
// centred, shrunk where it is larger; bounds that still reach a screen are kept.
TEST_F(WindowTest, StoredBoundsOffEveryScreenComeBackOntoThePrimaryScreen) {
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  const auto centred = [&](QSize size) {
    return QRect(screen.x() + (screen.width() - size.width()) / 2,
                 screen.y() + (screen.height() - size.height()) / 2, size.width(), size.height());
  };
  struct Case {
    QRect stored;
    QRect shown;
  };
  const Case cases[] = {
      {{screen.right() - 10, screen.bottom() - 10, 300, 200},
       {screen.right() - 10, screen.bottom() - 10, 300, 200}},
      {{screen.right() + 100, 50, 300, 200}, centred({300, 200})},
      {{-5000, -4000, 300, 200}, centred({300, 200})},
      {{50, screen.bottom() + 1, screen.width() + 400, 200}, centred({screen.width(), 200})},
      {{screen.right() + 1, 0, screen.width() + 400, screen.height() + 300}, screen},
  };
  const auto dword = [](int value) {
    return QString::asprintf("dword:%08x", static_cast<unsigned>(value)).toStdString();
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(QString::asprintf("%d,%d %dx%d", c.stored.x(), c.stored.y(), c.stored.width(),
                                   c.stored.height())
                     .toStdString());
    WriteSettings("[HKEY_CURRENT_USER\\Software\\Velmora\\Marlinote]\n\"WindowLeft\"=" +
                  dword(c.stored.x()) + "\n\"WindowTop\"=" + dword(c.stored.y()) +
                  "\n\"WindowWidth\"=" + dword(c.stored.width()) + "\n\"WindowHeight\"=" +
                  dword(c.stored.height()) + "\n");
    Start();
    EXPECT_EQ(QRect(window->pos(), window->size()), c.shown);
    Destroy();
  }
}

// A right click on the menu bar or the tool bars opens nothing: Qt's own menu there would
// only offer to hide the tool bar, and with it the CSV export.
TEST_F(WindowTest, NoMenuOpensOnTheMenuBarOrTheToolBars) {
  Start();
  QList<QWidget*> bars{window->menuBar()};
  for (QToolBar* bar : window->findChildren<QToolBar*>()) bars << bar;
  ASSERT_EQ(bars.size(), 4);
  for (QWidget* bar : bars) {
    SCOPED_TRACE(bar->objectName().toStdString());
    const QPoint at = bar->rect().center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, bar->mapToGlobal(at));
    QApplication::sendEvent(bar, &event);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
  }
  for (QToolBar* bar : window->findChildren<QToolBar*>()) EXPECT_TRUE(bar->isVisible());
}

TEST_F(WindowTest, AnExceptionInAHandlerIsShownInAnErrorBoxAndTheWindowGoesOn) {
  Start();
  ui.Next<TViewSetupForm>([](TViewSetupForm&) -> int {
    throw std::runtime_error("表示設定で失敗しました");
  });
  ClickTool("TagViewSetupToolButton");
  ASSERT_EQ(ui.boxes.shown.size(), 1u);
  EXPECT_EQ(ui.boxes.shown[0].text, "表示設定で失敗しました");
  EXPECT_EQ(ui.boxes.shown[0].caption, "Marlinote");
  EXPECT_EQ(ui.boxes.shown[0].style, 0x10);
  EXPECT_TRUE(window->findChildren<TViewSetupForm*>().isEmpty());

  bool shownAgain = false;
  ui.Next<TViewSetupForm>([&](TViewSetupForm& form) {
    shownAgain = true;
    return test::Press(form.Ok_Button);
  });
  ClickTool("TagViewSetupToolButton");
  EXPECT_TRUE(shownAgain);
  EXPECT_TRUE(window->isVisible());

  // Outside the window's handlers the application catches it, and shows it the same way.
  ThrowingObject object;
  QEvent event(QEvent::User);
  EXPECT_FALSE(QCoreApplication::sendEvent(&object, &event));
  ASSERT_EQ(ui.boxes.shown.size(), 2u);
  EXPECT_EQ(ui.boxes.shown[1].text, "イベントで失敗しました");
  EXPECT_EQ(ui.boxes.shown[1].caption, "Marlinote");
}

// The window carries the drawing installed for the desktop entry (drawn by Qt's SVG plugin; a
// missing plugin or resource leaves the desktop's generic icon), and names that entry, so that
// task bars show the entry's name and icon for it.
TEST_F(WindowTest, TheWindowShowsTheProgramsIconAndNamesItsDesktopEntry) {
  Start();
  for (const int size : {16, 32, 64, 256}) {
    const QImage image = window->windowIcon().pixmap(size, size).toImage();
    ASSERT_EQ(image.size(), QSize(size, size)) << size;
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "rounded corner, " << size;
    EXPECT_EQ(qAlpha(image.pixel(size / 2, size / 2)), 255) << "middle, " << size;
  }
  EXPECT_TRUE(fs::is_regular_file(fs::path(MARLINOTE_DIST_DIR) /
                                  (QGuiApplication::desktopFileName() + ".desktop").toStdString()));
}

// marlinote FOLDER or FILE lists what it names; without either, the folder listed last comes
// back selected in the tree, listed at the first click.
TEST_F(WindowTest, TheFolderOrFileGivenIsListedAndTheFolderListedLastComesBackSelected) {
  fs::create_directories(Media("音楽/live"));
  for (const char* name : {"c.mp3", "a.mp3", "b.mp3", "live/d.mp3"})
    test::WritePlainFile(Media("音楽/") + name, 10);
  Start();
  // Relative to the current folder, with "." and "..".
  ASSERT_TRUE(window->Open(fs::relative(Media("音楽"), work.path()).native() + "/./live/../"));
  WaitForList();
  EXPECT_EQ(window->FolderView->directory(), Media("音楽"));
  EXPECT_EQ(ListedNames(), (std::vector<std::string>{"a.mp3", "b.mp3", "c.mp3"}));
  EXPECT_EQ(window->StatusText->text(), "3 個のファイル - " + QString::fromStdString(Media("音楽")));

  ASSERT_TRUE(window->Open(Media("音楽/b.mp3")));
  WaitForList();
  EXPECT_EQ(window->SelectedRows(), std::vector<int>{1});
  EXPECT_EQ(window->TagListView->currentIndex().row(), 1);

  EXPECT_FALSE(window->Open(Media("none")));
  EXPECT_EQ(window->StatusText->text(), QString::fromStdString(Media("none")) + " が見つかりません。");

  ClickFolder(Media("音楽/live"));
  ui.boxes.answers = {kResultYes};
  Quit();
  EXPECT_EQ(StoredText("", "LastFolder"), Media("音楽/live"));

  Start();
  EXPECT_EQ(window->FolderView->directory(), Media("音楽/live"));
  EXPECT_EQ(window->Model().rowCount(), 0);
  EXPECT_FALSE(window->Scanning());
  ClickFolder(Media("音楽/live"));
  EXPECT_EQ(ListedNames(), std::vector<std::string>{"d.mp3"});
}

TEST(MarlinoteCommandLine, HelpAndUsageErrorsEndBeforeAnyWindow) {
  const struct {
    const char* args;
    int status;
    const char* line;
  } cases[] = {
      {"--help", 0, "Usage: marlinote [Qt options] [FOLDER | FILE]"},
      {"-h", 0, "Usage: marlinote [Qt options] [FOLDER | FILE]"},
      {"/a /b", 2, "marlinote: one FOLDER or FILE at most"},
      {"--all", 2, "marlinote: unknown option --all"},
  };
  for (const auto& c : cases) {
    const test::Shell run = test::RunShell(std::string("QT_QPA_PLATFORM=offscreen ") +
                                           MARLINOTE_BIN + " " + c.args + " 2>&1");
    EXPECT_EQ(run.status, c.status) << c.args;
    EXPECT_NE(run.out.find(std::string(c.line) + "\n"), std::string::npos) << c.args << run.out;
  }
}

}  // namespace
}  // namespace marlinote
