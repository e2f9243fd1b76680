// Makes pictures of the main window listing a folder of files whose tags hold Japanese text,
// and of every dialog and box it opens, to look at the layout, the fonts, the tool button
// images, the tag marks and the texts. The window runs as it does for a user, with Qt's own
// boxes and dialogs, on its own settings file and filter file in a temporary folder.
//
// Usage: marlinote-screenshot <folder>
// writes scanning.png (a scan under way, its progress in the status bar), window.png (the
// folder listed), tag-edit.png, question.png, tag-select.png, view-setup.png,
// filter-setup.png, other-setup.png, save-dialog.png, progress.png (a type change over
// several files) and saved.png (the window after it) into the folder.
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QItemSelection>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <filesystem>
#include <functional>
#include <map>

#include "catalogue/folder_scan.h"
#include "foldertree/folder_view.h"
#include "mainwindow/application.h"
#include "mainwindow/main_window.h"
#include "mainwindow/qt_user_interface.h"
#include "tags/text_conversion.h"
#include "tests/mainwindow/window_fixture.h"
#include "tests/support/file_bytes.h"
#include "tests/support/id3v2_maker.h"
#include "tests/support/temp_dir.h"

namespace marlinote {
namespace {

std::string Local(const char* utf8) { return Utf8ToLocal(utf8); }

void MakeFolder(const std::string& folder) {
  test::WriteApeFile(folder + "/01 桜.ape",
                     {{"Title", Local("桜の花びら")},
                      {"Artist", Local("山田 花子")},
                      {"Album", Local("春の歌")},
                      {"Comment", Local("一曲目\r\n春の朝に")},
                      {"Year", "2003"},
                      {"Genre", "J-Pop"},
                      {"Track", "1"}});
  test::WriteId3v1File(folder + "/02 雪.mp3", {{"Title", Local("雪の降る夜")},
                                              {"Artist", Local("鈴木一郎")},
                                              {"Album", Local("冬景色")},
                                              {"Year", "2002"},
                                              {"Comment", Local("ライブ")},
                                              {"Track", "2"},
                                              {"Genre", "Anime"}});
  test::WriteOggFile(folder + "/03 月.ogg", {"TITLE=月夜のワルツ", "ARTIST=ＡＢＣ楽団",
                                             "ALBUM=夜想曲集", "DATE=2001", "TRACKNUMBER=3"});
  test::WritePlainFile(folder + "/04 タグなし.wav");
  test::WriteBytes(folder + "/05 風.mp3",
                   test::MakeId3v2Tag(3, {{"TIT2", test::TextContent(1, "風の通り道")},
                                          {"TPE1", test::TextContent(1, "佐藤 美咲")},
                                          {"TALB", test::TextContent(1, "夏の記憶")},
                                          {"TYER", test::TextContent(0, "2004")},
                                          {"TRCK", test::TextContent(0, "5/12")},
                                          {"TCON", test::TextContent(0, "(145)")}},
                                      512) +
                       test::AudioBytes(2000));
}

// The boxes and dialogs Qt draws for a user, each pictured the first time it is shown and then
// answered: a question with its default button, a dialog and the save dialog cancelled.
class PicturingUi : public QtUserInterface {
 public:
  explicit PicturingUi(QDir folder) : QtUserInterface(nullptr), folder_(std::move(folder)) {}

  int Show(const std::string& text, const std::string& caption, int style) override {
    WhenShown("question.png", [](QWidget& box) {
      static_cast<QMessageBox&>(box).defaultButton()->click();
    });
    return QtUserInterface::Show(text, caption, style);
  }
  int ShowModal(QDialog& dialog) override {
    static const std::map<QString, QString> kPictures = {
        {"タグの編集", "tag-edit.png"},     {"タグ選択", "tag-select.png"},
        {"表示設定", "view-setup.png"},     {"ファイルフィルタの設定", "filter-setup.png"},
        {"その他の設定", "other-setup.png"}};
    dialog.show();
    if (QTest::qWaitForWindowExposed(&dialog)) Picture(kPictures.at(dialog.windowTitle()), dialog);
    return kResultCancel;
  }
  std::optional<std::string> AskSaveFileName(const SaveFileRequest& request) override {
    WhenShown("save-dialog.png", [](QWidget& dialog) { static_cast<QDialog&>(dialog).reject(); });
    return QtUserInterface::AskSaveFileName(request);
  }
  // The dialog shows at once rather than after half a second, and is pictured before the
  // second file.
  std::unique_ptr<ProgressDisplay> ShowProgress(const std::string& caption, int files) override {
    class Pictured : public ProgressDisplay {
     public:
      Pictured(PicturingUi& ui, std::unique_ptr<ProgressDisplay> shown)
          : ui_(ui), shown_(std::move(shown)) {}
      bool Show(int done, const std::string& fileName) override {
        const bool goOn = shown_->Show(done, fileName);
        auto* dialog = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
        if (done == 0) {
          for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* progress = qobject_cast<QProgressDialog*>(widget)) progress->show();
        } else if (done == 1 && dialog && QTest::qWaitForWindowExposed(dialog)) {
          QTest::qWait(50);
          ui_.Picture("progress.png", *dialog);
        }
        return goOn;
      }

     private:
      PicturingUi& ui_;
      std::unique_ptr<ProgressDisplay> shown_;
    };
    return std::make_unique<Pictured>(*this, QtUserInterface::ShowProgress(caption, files));
  }

  void Picture(const QString& name, QWidget& window) {
    if (!pictured_.contains(name) && window.grab().save(folder_.filePath(name)))
      pictured_.insert(name);
  }
  int Count() const { return static_cast<int>(pictured_.size()); }

 private:
  // Pictures the next modal window once it is drawn, from inside its own loop, then answers it.
  void WhenShown(const QString& name, std::function<void(QWidget&)> answer) {
    test::OnNextModal([this, name, answer](QWidget& modal) {
      QTest::qWait(50);
      Picture(name, modal);
      answer(modal);
    });
  }

  QDir folder_;
  QSet<QString> pictured_;
};

}  // namespace
}  // namespace marlinote

int main(int argc, char** argv) {
  using namespace marlinote;
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
    return 2;
  }
  MarlinoteApplication app(argc, argv);
  // Absolute, since the window runs in a folder of its own.
  const QDir pictures(QDir(QString::fromLocal8Bit(argv[1])).absolutePath());
  if (!pictures.mkpath(".")) return 1;

  test::TempDir work;
  test::TempDir media;
  setenv("XDG_CONFIG_HOME", work.file("config").c_str(), 1);
  std::filesystem::current_path(work.path());
  const std::string folder = media.file("ミュージック");
  std::filesystem::create_directory(folder);
  MakeFolder(folder);

  auto owned = std::make_unique<PicturingUi>(pictures);
  PicturingUi& ui = *owned;
  TMainWindow window(std::move(owned), std::make_unique<test::TempVolumes>(media.path()));
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) return 1;

  TFolderView* tree = window.FolderView;
  // A recursive search held after its second file, as a slow disk holds it.
  std::atomic<bool> released = false;
  window.SetFolderLister([&](TTagList& list, const std::string& path, const FilterList& filter,
                             bool recursive, int order, const ScanControl& control) {
    ScanControl held = control;
    held.progress = [&](const ScanProgress& progress) {
      control.progress(progress);
      while (progress.files >= 2 && !released)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    return ListFolder(list, path, filter, recursive, order, held);
  });
  tree->setDirectory(media.path());
  window.SearchAll();
  if (!QTest::qWaitFor([&] { return window.ScanStopButton->isVisible(); })) return 1;
  QTest::qWait(50);
  ui.Picture("scanning.png", window);
  released = true;
  if (!QTest::qWaitFor([&] { return !window.Scanning(); })) return 1;
  window.SetFolderLister(ListFolder);

  tree->setDirectory(folder);
  tree->scrollToItem(tree->currentItem());
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                    tree->visualItemRect(tree->currentItem()).center());
  if (!QTest::qWaitFor([&] { return !window.Scanning(); })) return 1;
  window.TagListView->selectRow(1);
  QTest::qWait(50);
  ui.Picture("window.png", window);

  // The APE file: pre-filled, its genre no entry of the list.
  window.TagListView->selectRow(0);
  window.EditSelectedTags();
  // The file without a tag: the question, then the tag kind.
  window.TagListView->selectRow(3);
  window.EditSelectedTags();
  window.OpenViewSetup();
  window.OpenFilterSetup();
  window.OpenOtherSetup();
  window.ExportTagListCsv();
  // A type change over the two files with an APE and an ID3v1 tag, reported when done.
  window.State().settings.DataTypeCheck = false;
  window.TagListView->selectionModel()->select(
      QItemSelection(window.TagListView->model()->index(0, 0), window.TagListView->model()->index(1, 0)),
      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  window.findChild<QAction*>("TagTypeID3v1")->trigger();
  QTest::qWait(50);
  ui.Picture("saved.png", window);
  const int expected = 11;
  if (ui.Count() != expected) std::fprintf(stderr, "%d of %d pictures made\n", ui.Count(), expected);
  return ui.Count() == expected ? 0 : 1;
}
