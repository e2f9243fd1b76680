// Makes a picture of the main window listing a folder of files whose tags hold Japanese text,
// to look at the layout, the fonts, the tool button images and the tag marks. The window
// runs as it does for a user, on its own settings file and filter file in a temporary folder.
//
// Usage: marlinote-screenshot <window.png> [<tag-edit-dialog.png>]
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTableView>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "foldertree/folder_view.h"
#include "mainwindow/application.h"
#include "mainwindow/main_window.h"
#include "tags/text_conversion.h"
#include "tests/mainwindow/scripted_ui.h"
#include "tests/mainwindow/window_fixture.h"
#include "tests/support/temp_dir.h"

namespace marlinote {
namespace {

std::string Local(const char* utf8) { return Utf8ToLocal(utf8); }

void MakeFolder(const std::string& folder) {
  test::WriteApeFile(folder + "/01 桜.ape",
                     {{"Title", Local("桜の花びら")},
                      {"Artist", Local("山田 花子")},
                      {"Album", Local("春の歌")},
                      {"Comment", Local("一曲目")},
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
}

// Shows the tag edit dialog pre-filled from the selected row, grabs it and cancels.
class GrabbingUi : public test::ScriptedUi {
 public:
  explicit GrabbingUi(QString path) : path_(std::move(path)) {}
  int ShowModal(QDialog& dialog) override {
    dialog.show();
    if (QTest::qWaitForWindowExposed(&dialog)) dialog.grab().save(path_);
    return kResultCancel;
  }

 private:
  QString path_;
};

}  // namespace
}  // namespace marlinote

int main(int argc, char** argv) {
  using namespace marlinote;
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <window.png> [<tag-edit-dialog.png>]\n", argv[0]);
    return 2;
  }
  MarlinoteApplication app(argc, argv);
  // Absolute, since the window runs in a folder of its own.
  const QString windowPicture = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
  const QString dialogPicture =
      argc > 2 ? QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath() : QString();

  test::TempDir work;
  test::TempDir media;
  setenv("XDG_CONFIG_HOME", work.file("config").c_str(), 1);
  std::filesystem::current_path(work.path());
  const std::string folder = media.file("ミュージック");
  std::filesystem::create_directory(folder);
  MakeFolder(folder);

  auto ui = std::make_unique<GrabbingUi>(dialogPicture);
  TMainWindow window(std::move(ui), std::make_unique<test::TempVolumes>(media.path()));
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) return 1;

  TFolderView* tree = window.FolderView;
  tree->setDirectory(folder);
  tree->scrollToItem(tree->currentItem());
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                    tree->visualItemRect(tree->currentItem()).center());
  window.TagListView->selectRow(1);
  QTest::qWait(50);

  bool ok = window.grab().save(windowPicture);
  if (!dialogPicture.isEmpty()) {
    window.EditSelectedTags();
    ok = ok && QFile::exists(dialogPicture);
  }
  return ok ? 0 : 1;
}
