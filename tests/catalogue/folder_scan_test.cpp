#include "catalogue/folder_scan.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <optional>

#include "catalogue/sort_files.h"
#include "tags/ape_tag.h"
#include "tags/id3v1_tag.h"
#include "tags/tag_types.h"
#include "tests/support/file_bytes.h"
#include "tests/support/ogg_maker.h"
#include "tests/support/temp_dir.h"
#include "tests/support/unprivileged.h"

namespace marlinote {
namespace {

namespace fs = std::filesystem;
using test::AudioBytes;
using test::TempDir;
using test::WriteBytes;

FilterList Mp3Only() {
  FilterList filter;
  filter.Replace({{".mp3", true}, {".ogg", false}});
  return filter;
}

// The listed paths relative to `root`, in list order.
std::vector<std::string> Listed(const TTagList& list, const std::string& root) {
  std::vector<std::string> names;
  for (int i = 0; i < list.Count(); ++i) {
    const std::string path = list.Get(i).GetFilePath();
    names.push_back(path.rfind(root + "/", 0) == 0 ? path.substr(root.size() + 1) : "?" + path);
  }
  return names;
}

std::vector<std::string> Sorted(std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
  return names;
}

// A folder with a bit of everything a scan meets.
class FolderScanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"A.MP3", "b.ogg", "c.txt", "README", ".hidden.mp3", "sub/d.mp3",
                             "sub/deeper/e.mp3", "sub.mp3/g.mp3", ".hiddendir/f.mp3"}) {
      fs::create_directories(fs::path(dir_.file(name)).parent_path());
      WriteBytes(dir_.file(name), AudioBytes(200));
    }
    fs::create_symlink("A.MP3", dir_.file("link.mp3"));
    fs::create_symlink("sub", dir_.file("dirlink.mp3"));
    fs::create_symlink("nowhere", dir_.file("dangling.mp3"));
    fs::create_symlink("..", dir_.file("sub/back"));  // a cycle, if it were followed
    fs::create_symlink("loop2.mp3", dir_.file("loop1.mp3"));
    fs::create_symlink("loop1.mp3", dir_.file("loop2.mp3"));
    // Opening a pipe for reading would wait for a writer forever.
    ASSERT_EQ(mkfifo(dir_.file("pipe.mp3").c_str(), 0600), 0);
  }

  TempDir dir_;
  TTagList list_;
};

TEST_F(FolderScanTest, ListsThePlainFilesOfOneFolderThatPassTheFilter) {
  EXPECT_TRUE(ScanFolderFiles(dir_.path(), Mp3Only(), list_).ok());
  EXPECT_EQ(Sorted(Listed(list_, dir_.path())), (std::vector<std::string>{"A.MP3", "link.mp3"}));

  list_.Clear();
  EXPECT_TRUE(ScanFolderFiles(dir_.path() + "/", FilterList::Default(), list_).ok());
  EXPECT_EQ(Sorted(Listed(list_, dir_.path())),
            (std::vector<std::string>{"A.MP3", "README", "b.ogg", "c.txt", "link.mp3"}));
}

TEST_F(FolderScanTest, TheSubtreeIsScannedDepthFirstWithoutHiddenFoldersOrLinkedFolders) {
  EXPECT_TRUE(ScanSubtree(dir_.path() + "/", Mp3Only(), list_).ok());
  const std::vector<std::string> listed = Listed(list_, dir_.path());
  EXPECT_EQ(Sorted(listed), (std::vector<std::string>{"A.MP3", "link.mp3", "sub.mp3/g.mp3",
                                                      "sub/d.mp3", "sub/deeper/e.mp3"}));
  // A folder's files come together, before anything that follows the folder.
  const auto first = std::find_if(listed.begin(), listed.end(),
                                  [](const std::string& s) { return s.rfind("sub/", 0) == 0; });
  ASSERT_NE(first, listed.end());
  EXPECT_TRUE(first + 1 != listed.end() && first[1].rfind("sub/", 0) == 0);
}

TEST_F(FolderScanTest, AFolderThatCannotBeReadAddsNothingAndIsNamedWithTheReason) {
  const struct {
    std::string folder;
    int error;
  } cases[] = {{dir_.file("missing"), ENOENT}, {dir_.file("README"), ENOTDIR}, {"", ENOENT}};
  for (const auto& c : cases) {
    EXPECT_EQ(ScanSubtree(c.folder, FilterList::Default(), list_).unreadable,
              (std::vector<UnreadablePath>{{c.folder, c.error}}));
  }
  EXPECT_EQ(list_.Count(), 0);
}

TEST_F(FolderScanTest, AFolderWithoutReadPermissionIsSkippedInTheSubtree) {
  fs::permissions(dir_.path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                   fs::perms::others_read | fs::perms::others_exec);
  fs::permissions(dir_.file("sub/deeper"), fs::perms::none);
  const std::optional<std::string> out = test::RunUnprivilegedForText([&] {
    if (access(dir_.path().c_str(), R_OK | X_OK) != 0) return std::string("no access");
    TTagList list;
    const ScanResult result = ScanSubtree(dir_.path(), Mp3Only(), list);
    std::string text;
    for (const std::string& name : Sorted(Listed(list, dir_.path()))) text += name + ";";
    for (const UnreadablePath& folder : result.unreadable)
      text += "unreadable " + folder.path + " " + std::to_string(folder.error);
    return text;
  });
  ASSERT_TRUE(out);
  if (*out == "no access") GTEST_SKIP() << "the temporary folder is out of reach of an unprivileged user";
  EXPECT_EQ(*out, "A.MP3;link.mp3;sub.mp3/g.mp3;sub/d.mp3;unreadable " + dir_.file("sub/deeper") + " " +
                      std::to_string(EACCES));
}

TEST(ListFolder, EmptiesTheListScansAndSortsWithTheTagOfEachFile) {
  TempDir dir;
  // An Ogg stream that carries an APE tag at its end is an APE file.
  test::WriteOggVorbis(dir.file("both.ogg"), {.comments = {"TITLE=vorbis"}});
  TAPETag ape;
  ape.SetFilePath(dir.file("both.ogg"));
  ape.SetField("Title", "ape");
  ASSERT_TRUE(ape.WriteTag());
  test::WriteOggVorbis(dir.file("plain.ogg"));
  WriteBytes(dir.file("id3.mp3"), AudioBytes(300));
  TID3v1Tag id3;
  id3.SetFilePath(dir.file("id3.mp3"));
  id3.SetField("Title", "id3");
  ASSERT_TRUE(id3.WriteTag());
  WriteBytes(dir.file("none.wav"), AudioBytes(300));

  TTagList list;
  for (int pass = 0; pass < 2; ++pass) {
    EXPECT_TRUE(ListFolder(list, dir.path(), FilterList::Default(), pass == 1, kSortExtendAscend).ok());
    ASSERT_EQ(Listed(list, dir.path()), (std::vector<std::string>{"id3.mp3", "both.ogg", "plain.ogg", "none.wav"}));
    EXPECT_EQ(list.Get(0).GetTagType(), kTagId3v1);
    EXPECT_EQ(list.Get(1).GetTagType(), kTagApe);
    EXPECT_EQ(list.Get(1).GetField("Title"), "ape");
    EXPECT_EQ(list.Get(2).GetTagType(), kTagOgg);
    EXPECT_EQ(list.Get(3).GetTagType(), kTagNone);
  }
}

// What a window running the scan on another thread sees: progress after every folder and
// file, and a stop between two files that leaves the files found so far, sorted.
TEST(ListFolder, ReportsProgressAndStopsBetweenFilesKeepingWhatWasFoundSorted) {
  TempDir dir;
  for (int i = 0; i < 60; ++i) {
    const std::string name = (i % 3 == 0 ? "sub" + std::to_string(i % 2) + "/" : "") + "f" + std::to_string(99 - i) + ".mp3";
    fs::create_directories(fs::path(dir.file(name)).parent_path());
    WriteBytes(dir.file(name), AudioBytes(200));
  }
  for (const std::size_t stopAfter : {std::size_t{0}, std::size_t{1}, std::size_t{25}, std::size_t{1000}}) {
    std::atomic<bool> stop{stopAfter == 0};
    std::vector<ScanProgress> seen;
    ScanControl control;
    control.stop = &stop;
    control.progress = [&](const ScanProgress& progress) {
      seen.push_back(progress);
      if (progress.files == stopAfter) stop = true;
    };
    TTagList list;
    const ScanResult result = ListFolder(list, dir.path(), FilterList::Default(), true, kSortNameAscend, control);
    const std::size_t listed = std::min<std::size_t>(stopAfter, 60);
    EXPECT_EQ(result.stopped, stopAfter < 60) << stopAfter;
    EXPECT_TRUE(result.unreadable.empty());
    ASSERT_EQ(static_cast<std::size_t>(list.Count()), listed) << stopAfter;
    std::vector<std::string> names;
    for (int i = 0; i < list.Count(); ++i) names.push_back(list.Get(i).GetFileName());
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end())) << stopAfter;
    ASSERT_FALSE(seen.empty());
    // One more folder or one more file each time.
    for (std::size_t i = 1; i < seen.size(); ++i) {
      EXPECT_GE(seen[i].folders, seen[i - 1].folders);
      EXPECT_EQ(seen[i].folders + seen[i].files, seen[i - 1].folders + seen[i - 1].files + 1);
    }
    EXPECT_EQ(seen.back().files, listed);
    EXPECT_EQ(seen.back().folders, stopAfter == 1000 ? 3u : seen.back().folders);
  }
}

}  // namespace
}  // namespace marlinote
