// The folder scan at the limits of the system: trees deeper than the stack of a recursive
// walk and the open-file limit allow, a process out of file descriptors, and FIFOs where
// files were.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "catalogue/folder_scan.h"
#include "catalogue/sort_files.h"
#include "tags/tag_types.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"
#include "tests/support/time_limit.h"

namespace marlinote {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

std::vector<std::string> ListedPaths(const TTagList& list) {
  std::vector<std::string> paths;
  for (int i = 0; i < list.Count(); ++i) paths.push_back(list.Get(i).GetFilePath());
  std::sort(paths.begin(), paths.end());
  return paths;
}

// Sets the soft limit of open files for the scope so that exactly `spare` more descriptors
// can be opened (or to `limit` outright).
class DescriptorLimit {
 public:
  static DescriptorLimit Spare(int spare) {
    std::set<int> open;
    for (const auto& entry : fs::directory_iterator("/proc/self/fd")) open.insert(std::stoi(entry.path().filename()));
    int limit = 0;
    for (int free = 0; free < spare; ++limit)
      if (!open.count(limit) || fcntl(limit, F_GETFD) == -1) ++free;
    return DescriptorLimit(static_cast<rlim_t>(limit));
  }
  explicit DescriptorLimit(rlim_t limit) {
    getrlimit(RLIMIT_NOFILE, &old_);
    rlimit now = old_;
    now.rlim_cur = std::min(limit, old_.rlim_max);
    setrlimit(RLIMIT_NOFILE, &now);
  }
  ~DescriptorLimit() { setrlimit(RLIMIT_NOFILE, &old_); }

 private:
  rlimit old_{};
};

// Runs `work` on a thread with a stack of `bytes`.
void RunWithStack(std::size_t bytes, const std::function<void()>& work) {
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, bytes);
  pthread_t thread;
  auto run = [](void* f) -> void* {
    (*static_cast<const std::function<void()>*>(f))();
    return nullptr;
  };
  ASSERT_EQ(pthread_create(&thread, &attr, run, const_cast<std::function<void()>*>(&work)), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attr);
}

// A chain of folders "d" `levels` deep under `root`, an empty folder "e" beside every tenth
// (so that folders have entries left when the walk comes back up), a file at every
// thousandth level and one at the bottom. The paths of the files.
std::vector<std::string> MakeChain(const std::string& root, int levels) {
  std::vector<std::string> files;
  std::string path = root + "/";
  int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  const auto addFile = [&](const char* name) {
    const int file = openat(fd, name, O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    const std::string bytes = test::AudioBytes(300);
    EXPECT_EQ(write(file, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    close(file);
    files.push_back(path + name);
  };
  for (int level = 0; level < levels; ++level) {
    mkdirat(fd, "d", 0755);
    if (level % 10 == 0) mkdirat(fd, "e", 0755);
    if (level % 1000 == 999) addFile("f.mp3");
    const int next = openat(fd, "d", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    close(fd);
    fd = next;
    path += "d/";
  }
  addFile("bottom.mp3");
  close(fd);
  return files;
}

// Takes the chain down one level at a time: a remove by path would need the whole depth.
void RemoveChain(const std::string& root) {
  const int top = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  for (int fd; (fd = openat(top, "d", O_RDONLY | O_DIRECTORY | O_CLOEXEC)) >= 0;) {
    unlinkat(fd, "f.mp3", 0);
    unlinkat(fd, "bottom.mp3", 0);
    unlinkat(fd, "e", AT_REMOVEDIR);
    const bool deeper = renameat(fd, "d", top, "next") == 0;
    close(fd);
    unlinkat(top, "d", AT_REMOVEDIR);
    if (!deeper || renameat(top, "next", top, "d") != 0) break;
  }
  close(top);
}

TEST(ScanLimits, ATreeOfThirtyThousandLevelsIsListedWholeOnASmallStackWithinTheFileLimit) {
  // In memory where there is room: a disk file system that discards the blocks of removed
  // folders can take minutes to remove this many.
  const TempDir dir("marlinote-test", access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "");
  const std::vector<std::string> files = MakeChain(dir.path(), 30000);
  TTagList list;
  ScanResult result;
  {
    const DescriptorLimit usual(1024);
    // A walk that recursed would need several megabytes of stack here.
    RunWithStack(1 << 20, [&] { result = ScanSubtree(dir.path(), FilterList::Default(), list); });
  }
  RemoveChain(dir.path());
  EXPECT_TRUE(result.ok());
  std::vector<std::string> expected = files;
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(ListedPaths(list), expected);
}

// Running out of descriptors is a passing shortage of the process, not a property of a
// file: a file is listed with its tag, or named with the reason, never listed as untagged.
TEST(ScanLimits, WithoutDescriptorsFilesAreNamedNotListedUntaggedAndTwoAreEnough) {
  TempDir dir;
  std::vector<std::string> files;
  for (const char* name : {"a.mp3", "b.mp3", "sub/c.mp3", "sub/deeper/d.mp3", "sub/e.mp3", "z/f.mp3"}) {
    fs::create_directories(fs::path(dir.file(name)).parent_path());
    test::WriteBytes(dir.file(name), test::AudioBytes(200) + std::string("TAG") + std::string(125, '\0'));
    files.push_back(dir.file(name));
  }
  std::sort(files.begin(), files.end());

  // Once without a limit: what a sanitizer's runtime opens the first time it checks a tag
  // object must not come out of the few descriptors left to the scan below.
  TTagList list;
  ScanResult result = ScanSubtree(dir.path(), FilterList::Default(), list);
  ASSERT_EQ(ListedPaths(list), files);
  list.Clear();
  {
    const DescriptorLimit limit = DescriptorLimit::Spare(1);
    result = ScanSubtree(dir.path(), FilterList::Default(), list);
  }
  EXPECT_EQ(list.Count(), 0);
  std::set<std::string> named;
  for (const UnreadablePath& unreadable : result.unreadable) {
    EXPECT_EQ(unreadable.error, EMFILE) << unreadable.path;
    named.insert(unreadable.path);
  }
  EXPECT_EQ(named, (std::set<std::string>{dir.file("a.mp3"), dir.file("b.mp3"), dir.file("sub"), dir.file("z")}));

  {
    const DescriptorLimit limit = DescriptorLimit::Spare(2);
    result = ScanSubtree(dir.path(), FilterList::Default(), list);
  }
  EXPECT_TRUE(result.ok());
  EXPECT_EQ(ListedPaths(list), files);
  for (int i = 0; i < list.Count(); ++i) EXPECT_EQ(list.Get(i).GetTagType(), kTagId3v1);
}

TEST(ScanLimits, FilesSwappedForFifosDuringTheScanAreLeftOutWithoutWaiting) {
  TempDir dir;
  std::vector<std::string> files;
  for (int i = 0; i < 200; ++i) {
    files.push_back(dir.file("f" + std::to_string(100 + i) + ".mp3"));
    test::WriteBytes(files.back(), test::AudioBytes(200));
  }
  ASSERT_EQ(mkfifo(dir.file("pipe.mp3").c_str(), 0600), 0);

  // Once the folder is read and the first file listed, every file becomes a FIFO: those
  // opened ahead are read from their open descriptors, the others are found to be FIFOs.
  ScanControl control;
  control.progress = [&](const ScanProgress& progress) {
    if (progress.files != 1) return;
    for (const std::string& file : files) {
      mkfifo((file + ".new").c_str(), 0600);
      std::rename((file + ".new").c_str(), file.c_str());
    }
  };
  // The number of files listed, or 255 for a scan that failed.
  const int listed = test::RunWithTimeLimit(20, [&] {
    TTagList list;
    const ScanResult result = ListFolder(list, dir.path(), FilterList::Default(), false, kSortNameAscend, control);
    return result.ok() ? list.Count() : 255;
  });
  EXPECT_TRUE(listed >= 1 && listed < 200) << listed;
}

}  // namespace
}  // namespace marlinote
