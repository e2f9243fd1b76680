#include "foldertree/folder_view.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <unicode/locid.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "foldertree/linux_folder_namespace.h"
#include "tests/support/temp_dir.h"

namespace marlinote {
namespace {

namespace fs = std::filesystem;
const QString kMyComputer = QStringLiteral("マイ コンピュータ");

// The real folder listing with made-up drives. Sub-folders come in descending byte order,
// so the listed order always differs from the sorted one; it notes whether the wait cursor
// was up during every listing.
class TempFolders : public LinuxFolderNamespace {
 public:
  explicit TempFolders(std::vector<Volume> volumes) : volumes_(std::move(volumes)) {}
  std::vector<Volume> volumes() const override { return volumes_; }
  std::optional<std::vector<std::string>> subFolders(const std::string& path) const override {
    ++listings;
    const QCursor* cursor = QGuiApplication::overrideCursor();
    busyWhileListing = busyWhileListing && cursor && cursor->shape() == Qt::WaitCursor;
    auto names = LinuxFolderNamespace::subFolders(path);
    if (names) std::sort(names->rbegin(), names->rend());
    return names;
  }
  mutable int listings = 0;
  mutable bool busyWhileListing = true;

 private:
  std::vector<Volume> volumes_;
};

QStringList childTexts(const QTreeWidgetItem* node) {
  QStringList texts;
  for (int i = 0; i < node->childCount(); ++i) texts << node->child(i)->text(0);
  return texts;
}

QTreeWidgetItem* childNamed(const QTreeWidgetItem* node, const QString& name) {
  for (int i = 0; i < node->childCount(); ++i)
    if (node->child(i)->text(0) == name) return node->child(i);
  return nullptr;
}

bool hasExpandButton(const QTreeWidgetItem* node) {
  return node->childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator;
}

class FolderViewTest : public ::testing::Test {
 protected:
  void makeFolders(const std::vector<std::string>& relative) {
    for (const std::string& r : relative) fs::create_directories(tmp.file(r));
  }
  void makeFile(const std::string& relative) { std::ofstream(tmp.file(relative)) << "x"; }
  // A tree in My Computer mode on drives given as (label, folder of the temporary folder).
  void load(const std::vector<std::pair<QString, std::string>>& drives) {
    std::vector<Volume> volumes;
    for (const auto& [label, folder] : drives)
      volumes.push_back({label, folder == "/" ? folder : tmp.file(folder)});
    auto temp = std::make_unique<TempFolders>(volumes);
    folders = temp.get();
    view = std::make_unique<TFolderView>(nullptr, std::move(temp));
  }
  QTreeWidgetItem* top() const { return view->topLevelItem(0); }
  QTreeWidgetItem* drive(int i) const { return top()->child(i); }
  const QTreeWidgetItem* selected() const { return view->selectedItems().value(0); }

  test::TempDir tmp;
  TempFolders* folders = nullptr;
  std::unique_ptr<TFolderView> view;
};

TEST_F(FolderViewTest, MyComputerHoldsTheDrivesInMountOrderWithoutLookingIntoThem) {
  makeFolders({"vol2", "vol1/a"});
  load({{"", "vol2"}, {"Music", "vol1"}, {"", "/"}});
  ASSERT_EQ(view->topLevelItemCount(), 1);
  EXPECT_EQ(top()->text(0), kMyComputer);
  const QString vol1 = QFile::decodeName(tmp.file("vol1").c_str());
  EXPECT_EQ(childTexts(top()), (QStringList{QFile::decodeName(tmp.file("vol2").c_str()),
                                            "Music (" + vol1 + ")", "/"}));
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(hasExpandButton(drive(i)));
  EXPECT_EQ(folders->listings, 0);

  EXPECT_EQ(view->directory(), "");
  view->setCurrentItem(top());
  EXPECT_EQ(view->directory(), TFolderView::kMyComputerPath);
  view->setCurrentItem(drive(1));
  EXPECT_EQ(view->directory(), tmp.file("vol1") + "/");
  view->setCurrentItem(drive(2));
  EXPECT_EQ(view->directory(), "/");
  view->expandItem(drive(1));
  view->setCurrentItem(drive(1)->child(0));
  EXPECT_EQ(view->directory(), tmp.file("vol1/a"));
}

TEST_F(FolderViewTest, ExpansionRemovesAnEmptyButtonAndRetriesAFolderItCouldNotList) {
  makeFolders({"empty"});
  makeFile("empty/song.mp3");
  load({{"", "empty"}, {"", "later"}});
  view->expandItem(drive(0));
  EXPECT_EQ(drive(0)->childCount(), 0);
  EXPECT_FALSE(hasExpandButton(drive(0)));

  view->expandItem(drive(1));
  EXPECT_FALSE(drive(1)->isExpanded());
  EXPECT_TRUE(hasExpandButton(drive(1)));
  makeFolders({"later/a"});
  view->expandItem(drive(1));
  EXPECT_TRUE(drive(1)->isExpanded());
  EXPECT_EQ(childTexts(drive(1)), QStringList{"a"});
  EXPECT_TRUE(folders->busyWhileListing);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

// Children come in the order in which the file list sorts names: the collation of the user's
// locale (here ICU's en_US), letter case aside, punctuation counted; names that differ only in
// case keep the order in which they were listed.
TEST_F(FolderViewTest, ExpandedChildrenAreSortedAsTheListSortsNamesAndLookOneLevelDown) {
  UErrorCode status = U_ZERO_ERROR;
  const icu::Locale former = icu::Locale::getDefault();
  icu::Locale::setDefault(icu::Locale("en_US"), status);
  ASSERT_TRUE(U_SUCCESS(status));
  makeFolders({"v/plain", "v/onlyHidden/.h", "v/deep/x", "v/.hidden/x", "v/lost+found/x",
               "v/System Volume Information/x", "v/SYSTEM VOLUME information/x", "v/émile",
               "v/_x", "v/10", "v/9", "v/Music", "v/bin", "v/Äpfel", "v/cherry"});
  makeFile("v/plain/song.mp3");
  makeFile("v/file.txt");
  fs::create_directory_symlink(tmp.file("v/deep"), tmp.file("v/link"));
  fs::create_directory_symlink(tmp.file("nowhere"), tmp.file("v/dangling"));
  fs::create_symlink(tmp.file("v/file.txt"), tmp.file("v/filelink"));
  load({{"", "v"}});
  view->expandItem(drive(0));
  icu::Locale::setDefault(former, status);

  const std::vector<std::pair<QString, bool>> expected = {
      {"_x", false},       {".hidden", true},  {"10", false},     {"9", false},
      {"Äpfel", false},    {"bin", false},     {"cherry", false}, {"deep", true},
      {"émile", false},    {"link", true},     {"lost+found", false}, {"Music", false},
      {"onlyHidden", true}, {"plain", false},
      {"System Volume Information", false},    {"SYSTEM VOLUME information", false}};
  QStringList names;
  for (const auto& [name, button] : expected) names << name;
  ASSERT_EQ(childTexts(drive(0)), names);
  for (size_t i = 0; i < expected.size(); ++i)
    EXPECT_EQ(hasExpandButton(drive(0)->child(int(i))), expected[i].second) << i;
}

TEST_F(FolderViewTest, StarExpandsTheCurrentNodeOnly) {
  makeFolders({"v/a/b/c"});
  load({{"", "v"}});
  view->setCurrentItem(drive(0));
  QTest::keyClick(view.get(), Qt::Key_Asterisk);
  ASSERT_EQ(drive(0)->childCount(), 1);
  EXPECT_EQ(drive(0)->child(0)->childCount(), 0);
}

TEST_F(FolderViewTest, SettingDirectorySelectsADeepFolderMakingEveryLevel) {
  const std::string latin1 = "caf\xe9";
  makeFolders({"v/a/b/c", "v/a/sibling", "v/" + latin1 + "/x"});
  load({{"", "v"}});
  for (const std::string& path :
       {tmp.file("v/a/b/c"), tmp.file("v/a/b/c/"), tmp.path() + "//v/a//b/c"}) {
    view->clearSelection();
    view->setDirectory(path);
    EXPECT_EQ(view->directory(), tmp.file("v/a/b/c")) << path;
  }
  EXPECT_EQ(folders->listings, 3) << "each level is listed once, when first searched";
  QTreeWidgetItem* a = childNamed(drive(0), "a");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(childTexts(a), (QStringList{"b", "sibling"}));
  EXPECT_TRUE(drive(0)->isExpanded() && a->isExpanded());

  view->setDirectory(tmp.file("v"));
  EXPECT_EQ(view->directory(), tmp.file("v") + "/");
  view->setDirectory(tmp.file("v/" + latin1 + "/x"));
  EXPECT_EQ(view->directory(), tmp.file("v/" + latin1 + "/x"));
}

TEST_F(FolderViewTest, SettingDirectoryStartsAtTheLongestMountPointHoldingThePath) {
  makeFolders({"disk/inner/x", "disk/innerx/y", "disk/x", "dis/x", "disk2/x"});
  load({{"", "disk"}, {"", "disk/inner"}, {"", "dis"}, {"", "disk2"}});
  view->setDirectory(tmp.file("disk/inner/x"));
  ASSERT_NE(selected(), nullptr);
  EXPECT_EQ(selected()->parent(), drive(1));
  view->setDirectory(tmp.file("disk/x"));
  EXPECT_EQ(selected()->parent(), drive(0));
  view->setDirectory(tmp.file("disk2/x"));
  EXPECT_EQ(selected()->parent(), drive(3));
  // "disk/inner" leads the bytes of this path, not its folders.
  view->setDirectory(tmp.file("disk/innerx/y"));
  EXPECT_EQ(selected()->parent()->parent(), drive(0));
}

TEST_F(FolderViewTest, SettingDirectoryToAPathTheTreeDoesNotHoldChangesNothing) {
  makeFolders({"v/a/b", "elsewhere"});
  makeFile("v/a/song.mp3");
  load({{"", "v"}});
  view->setDirectory(tmp.file("v/a"));
  ASSERT_EQ(view->directory(), tmp.file("v/a"));
  for (const std::string& path :
       {std::string("v/a/b"), std::string(TFolderView::kMyComputerPath), std::string(),
        tmp.file("v/a/missing/b"), tmp.file("v/A/b"), tmp.file("v/a/../a"),
        tmp.file("v/a/song.mp3"), tmp.file("elsewhere")}) {
    view->setDirectory(path);
    EXPECT_EQ(view->directory(), tmp.file("v/a")) << path;
  }
}

TEST_F(FolderViewTest, RootModeShowsTheFolderWithItsFirstLevelInListedOrder) {
  makeFolders({"root/a", "root/b/z", "root/b/y", "root/c", "rootless"});
  load({});
  view->setRoot(tmp.file("root") + "//");
  EXPECT_EQ(view->root(), tmp.file("root"));
  ASSERT_EQ(view->topLevelItemCount(), 1);
  QTreeWidgetItem* root = view->topLevelItem(0);
  EXPECT_EQ(root->text(0), QFile::decodeName(tmp.file("root").c_str()));
  EXPECT_TRUE(hasExpandButton(root));
  EXPECT_EQ(childTexts(root), (QStringList{"c", "b", "a"}));
  EXPECT_TRUE(hasExpandButton(root->child(1)));

  view->setDirectory(tmp.file("root/b/z"));
  EXPECT_EQ(view->directory(), tmp.file("root/b/z"));
  EXPECT_EQ(childTexts(root->child(1)), (QStringList{"y", "z"}));
  view->setDirectory(tmp.file("rootless"));
  EXPECT_EQ(view->directory(), tmp.file("root/b/z"));
  view->setDirectory(tmp.file("root"));
  EXPECT_EQ(view->directory(), tmp.file("root"));

  view->setRoot("/");
  EXPECT_EQ(view->root(), "/");
  view->setDirectory(tmp.file("root/b"));
  EXPECT_EQ(view->directory(), tmp.file("root/b"));
  view->setRoot("");
  EXPECT_EQ(view->topLevelItem(0)->text(0), kMyComputer);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

// A click or Enter on a node is reported; setting the folder and moving with the arrow keys
// only select.
TEST_F(FolderViewTest, AClickOrEnterOnANodeIsReportedAndNothingElse) {
  makeFolders({"v/a"});
  load({{"", "v"}});
  QSignalSpy clicks(view.get(), &TFolderView::folderClicked);
  view->resize(300, 200);
  view->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
  view->setDirectory(tmp.file("v"));
  EXPECT_EQ(clicks.count(), 0);
  view->clearSelection();
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualItemRect(drive(0)).center());
  EXPECT_EQ(clicks.count(), 1);
  EXPECT_EQ(view->directory(), tmp.file("v") + "/");

  view->expandItem(drive(0));
  QTest::keyClick(view.get(), Qt::Key_Down);
  EXPECT_EQ(view->directory(), tmp.file("v/a"));
  EXPECT_EQ(clicks.count(), 1);
  QTest::keyClick(view.get(), Qt::Key_Return);
  EXPECT_EQ(clicks.count(), 2);
  QTest::keyClick(view.get(), Qt::Key_Up);
  QTest::keyClick(view.get(), Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_EQ(clicks.count(), 3);
  EXPECT_EQ(view->directory(), tmp.file("v") + "/");
}

}  // namespace
}  // namespace marlinote
