// Files written whole (ReplaceFile) and files rebuilt from themselves (RewriteFile): made
// beside the file under a hidden name and renamed over it, with the old file's mode, owner and
// group, in place where no new file can be made, or refused before anything is written.
#include "platform/replace_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "platform/file_beside.h"
#include "platform/file_handle.h"
#include "tests/support/file_bytes.h"
#include "tests/support/size_limit.h"
#include "tests/support/temp_dir.h"
#include "tests/support/time_limit.h"
#include "tests/support/unprivileged.h"

namespace marlinote {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::RunWithTimeLimit;
using test::TempDir;
using test::WriteBytes;

// Who owns links and files that tests make for "another user".
constexpr uid_t kOtherUser = 65534;

// How many entries a folder holds: a temporary file left behind shows here.
std::ptrdiff_t FileCount(const std::string& folder) {
  return std::distance(fs::directory_iterator(folder), {});
}

struct stat Lstat(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
  return st;
}

TEST(ReplaceFile, ANewFileTakesTheUmasksModeAndAReplacedOneKeepsItsModeAndOwner) {
  struct Case {
    const char* name;
    std::optional<mode_t> former;  // none: no file yet
    mode_t expected;
  };
  for (const Case& c :
       {Case{"new", std::nullopt, 0644}, Case{"private", 0600, 0600}, Case{"shared", 0664, 0664}}) {
    TempDir dir;
    const std::string path = dir.file(c.name);
    // As root, a file of another user's: it stays theirs.
    const bool root = geteuid() == 0;
    if (c.former) {
      WriteBytes(path, "old and longer");
      ASSERT_EQ(chmod(path.c_str(), *c.former), 0);
      if (root) {
        ASSERT_EQ(chown(path.c_str(), kOtherUser, kOtherUser), 0);
      }
    }
    const mode_t old = umask(022);
    EXPECT_EQ(ReplaceFile(path, "new", OtherFiles::kLeaveAlone), WriteResult::kOk) << c.name;
    umask(old);
    EXPECT_EQ(ReadBytes(path), "new") << c.name;
    const struct stat st = Lstat(path);
    EXPECT_EQ(st.st_mode & 07777, c.expected) << c.name;
    EXPECT_EQ(st.st_uid, c.former && root ? kOtherUser : geteuid()) << c.name;
    EXPECT_EQ(st.st_gid, c.former && root ? kOtherUser : getegid()) << c.name;
    EXPECT_EQ(FileCount(dir.path()), 1) << c.name;
  }
}

TEST(ReplaceFile, LinksOfTheUserAreFollowedAndOthersRefusedInASharedFolder) {
  constexpr const char* kOwnBytes = "the user's own bytes";
  struct Case {
    const char* name;
    // The links from shared/file on, each as its text and whether another user owns it.
    std::vector<std::pair<std::string, bool>> links;
    WriteResult expected;
    const char* target;  // home/target afterwards
    bool made;           // whether home/new was made
  };
  const std::vector<Case> cases = {
      {"the user's link", {{"../home/target", false}}, WriteResult::kOk, "new", false},
      {"the user's link to no file yet", {{"../home/new", false}}, WriteResult::kOk, kOwnBytes, true},
      {"another user's link", {{"../home/target", true}}, WriteResult::kLinkRefused, kOwnBytes, false},
      {"another user's link down the chain", {{"chained", false}, {"../home/target", true}},
       WriteResult::kLinkRefused, kOwnBytes, false},
  };
  for (const Case& c : cases) {
    const bool foreign = std::any_of(c.links.begin(), c.links.end(), [](auto& l) { return l.second; });
    if (foreign && geteuid() != 0) continue;  // Only root can give a link to another user.
    TempDir dir;
    fs::create_directory(dir.file("home"));
    fs::create_directory(dir.file("shared"));
    ASSERT_EQ(chmod(dir.file("shared").c_str(), 01777), 0);
    WriteBytes(dir.file("home/target"), kOwnBytes);
    std::vector<std::string> links;
    for (const auto& [text, theirs] : c.links) {
      // shared/file, then each link in turn names the next one.
      links.push_back(dir.file("shared/" + (links.empty() ? "file" : c.links[links.size() - 1].first)));
      ASSERT_EQ(symlink(text.c_str(), links.back().c_str()), 0);
      if (theirs) {
        ASSERT_EQ(lchown(links.back().c_str(), kOtherUser, kOtherUser), 0);
      }
    }

    EXPECT_EQ(ReplaceFile(dir.file("shared/file"), "new", OtherFiles::kLeaveAlone), c.expected)
        << c.name;
    EXPECT_EQ(ReadBytes(dir.file("home/target")), c.target) << c.name;
    EXPECT_EQ(fs::exists(dir.file("home/new")), c.made) << c.name;
    if (c.made) {
      EXPECT_EQ(ReadBytes(dir.file("home/new")), "new") << c.name;
    }
    // Every link is still the link it was, and nothing else is left beside them.
    for (std::size_t i = 0; i < links.size(); ++i)
      EXPECT_EQ(fs::read_symlink(links[i]), c.links[i].first) << c.name;
    EXPECT_EQ(FileCount(dir.file("shared")), static_cast<std::ptrdiff_t>(links.size())) << c.name;
    EXPECT_EQ(FileCount(dir.file("home")), c.made ? 2 : 1) << c.name;
  }
}

TEST(ReplaceFile, AFileInAFolderThatTakesNoNewFileIsWrittenInPlaceWhenTheUserMayWriteIt) {
  TempDir dir;
  ASSERT_EQ(chmod(dir.path().c_str(), 0777), 0);
  struct Case {
    const char* name;
    mode_t folder;
    mode_t file;
    WriteResult expected;
    const char* bytes;
  };
  for (const Case& c : {Case{"writable file, locked folder", 0500, 0600, WriteResult::kOk, "new"},
                        Case{"read-only file, open folder", 0700, 0400, WriteResult::kCannotCreate,
                             "the former, longer bytes"}}) {
    const std::string folder = dir.file(c.name);
    const std::string path = folder + "/settings";
    // Permissions stop root only in an unprivileged child, which makes the files itself.
    const int made = test::RunUnprivileged([&] {
      fs::create_directory(folder);
      WriteBytes(path, "the former, longer bytes");
      return chmod(path.c_str(), c.file) == 0 && chmod(folder.c_str(), c.folder) == 0 ? 0 : 1;
    });
    if (made != 0) GTEST_SKIP() << "the unprivileged user cannot work in the temporary folder";
    const ino_t before = Lstat(path).st_ino;
    const int result = test::RunUnprivileged(
        [&] { return static_cast<int>(ReplaceFile(path, "new", OtherFiles::kLeaveAlone)); });
    EXPECT_EQ(result, static_cast<int>(c.expected)) << c.name;
    EXPECT_EQ(ReadBytes(path), c.bytes) << c.name;
    EXPECT_EQ(Lstat(path).st_ino, before) << c.name;
    EXPECT_EQ(Lstat(path).st_mode & 07777, c.file) << c.name;
    EXPECT_EQ(FileCount(folder), 1) << c.name;
  }
}

TEST(ReplaceFile, AFifoOrADeviceIsWrittenIntoOrLeftAloneAndNeverWaitedOn) {
  TempDir dir;
  const std::string fifo = dir.file("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  // A reader in the test: the write goes into the pipe, which holds far more than this.
  for (const OtherFiles others : {OtherFiles::kWriteInto, OtherFiles::kLeaveAlone}) {
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    const int result = RunWithTimeLimit(10, [&] { return static_cast<int>(ReplaceFile(fifo, "csv\r\n", others)); });
    char got[16] = {};
    const ssize_t length = read(reader, got, sizeof got);
    close(reader);
    if (others == OtherFiles::kWriteInto) {
      EXPECT_EQ(result, static_cast<int>(WriteResult::kOk));
      EXPECT_EQ(std::string(got, length > 0 ? static_cast<std::size_t>(length) : 0), "csv\r\n");
    } else {
      EXPECT_EQ(result, static_cast<int>(WriteResult::kNotRegularFile));
      EXPECT_LE(length, 0);
    }
  }
  // Without a reader there is nobody to wait for.
  for (const OtherFiles others : {OtherFiles::kWriteInto, OtherFiles::kLeaveAlone}) {
    EXPECT_EQ(RunWithTimeLimit(10, [&] { return static_cast<int>(ReplaceFile(fifo, "x", others)); }),
              static_cast<int>(WriteResult::kCannotCreate));
  }
  EXPECT_TRUE(S_ISFIFO(Lstat(fifo).st_mode));

  if (geteuid() != 0) GTEST_SKIP() << "only root can make a device node";
  // The null device's numbers, under a name of the test's own.
  const std::string device = dir.file("null");
  ASSERT_EQ(mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
  EXPECT_EQ(RunWithTimeLimit(10, [&] { return static_cast<int>(ReplaceFile(device, "x", OtherFiles::kWriteInto)); }),
            static_cast<int>(WriteResult::kOk));
  EXPECT_EQ(RunWithTimeLimit(10, [&] { return static_cast<int>(ReplaceFile(device, "x", OtherFiles::kLeaveAlone)); }),
            static_cast<int>(WriteResult::kNotRegularFile));
  EXPECT_TRUE(S_ISCHR(Lstat(device).st_mode));
  EXPECT_EQ(Lstat(device).st_rdev, makedev(1, 3));
  EXPECT_EQ(FileCount(dir.path()), 2);
}

TEST(ReplaceFile, KeepsTheFormerFileAndNoTemporaryOnEveryFailure) {
  TempDir dir;
  EXPECT_EQ(ReplaceFile(dir.file("missing/out.csv"), "x", OtherFiles::kWriteInto), WriteResult::kCannotCreate);
  EXPECT_EQ(ReplaceFile(dir.path() + "/", "x", OtherFiles::kWriteInto), WriteResult::kCannotCreate);

  // The name belongs to a folder.
  fs::create_directories(dir.file("taken/inside"));
  EXPECT_EQ(ReplaceFile(dir.file("taken"), "x", OtherFiles::kWriteInto), WriteResult::kCannotCreate);
  EXPECT_TRUE(fs::is_directory(dir.file("taken/inside")));

  // The disk fills up halfway through.
  const std::string path = dir.file("out.csv");
  WriteBytes(path, "former");
  const int result = test::RunWithFileSizeLimit(8, [&] {
    return static_cast<int>(ReplaceFile(path, "far more than eight bytes", OtherFiles::kWriteInto));
  });
  EXPECT_EQ(result, static_cast<int>(WriteResult::kWriteFailed));
  EXPECT_EQ(ReadBytes(path), "former");
  EXPECT_EQ(FileCount(dir.path()), 2);  // out.csv and taken
}

// The old content followed by " new"; counts its runs.
struct Appending {
  int runs = 0;
  bool operator()(int from, int to) {
    ++runs;
    char buffer[4096];
    ssize_t got;
    while ((got = read(from, buffer, sizeof buffer)) > 0)
      if (write(to, buffer, static_cast<std::size_t>(got)) != got) return false;
    return got == 0 && write(to, " new", 4) == 4;
  }
};

TEST(RewriteFile, TheNewFileKeepsModeOwnerAndGroupAndOtherLinksKeepTheOldContent) {
  const bool root = geteuid() == 0;
  struct Case {
    std::string name;
    mode_t mode;
    uid_t owner;
    gid_t group;
  };
  // As root: files of another user and of another group, which must stay theirs.
  const std::vector<Case> cases = {
      {"own", 0640, geteuid(), getegid()},
      {std::string(255, 'n'), 0604, geteuid(), getegid()},
      {"theirs", 0640, root ? kOtherUser : geteuid(), root ? kOtherUser : getegid()},
      {"their group", 0660, geteuid(), root ? kOtherUser : getegid()},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const std::string path = dir.file(c.name);
    const std::string linked = dir.file("linked");
    WriteBytes(path, "old");
    ASSERT_EQ(chmod(path.c_str(), c.mode), 0);
    ASSERT_EQ(chown(path.c_str(), c.owner, c.group), 0);
    ASSERT_EQ(link(path.c_str(), linked.c_str()), 0);
    const ino_t before = Lstat(path).st_ino;

    Appending writer;
    EXPECT_EQ(RewriteFile(path, std::ref(writer)), WriteResult::kOk) << c.name;
    EXPECT_EQ(ReadBytes(path), "old new") << c.name;
    const struct stat st = Lstat(path);
    EXPECT_EQ(st.st_mode & 07777, c.mode) << c.name;
    EXPECT_EQ(st.st_uid, c.owner) << c.name;
    EXPECT_EQ(st.st_gid, c.group) << c.name;
    EXPECT_NE(st.st_ino, before) << c.name;
    EXPECT_EQ(ReadBytes(linked), "old") << c.name;
    EXPECT_EQ(FileCount(dir.path()), 2) << c.name;
  }
}

TEST(RewriteFile, AnOwnerOrGroupThatTheUserMayNotGiveRefusesTheSaveBeforeAnyWrite) {
  if (geteuid() != 0) GTEST_SKIP() << "only root can give the files to other users";
  struct Case {
    const char* name;
    uid_t owner;
    gid_t group;
  };
  // The unprivileged user may write the file and its folder, but not give the new file
  // root as owner, nor root's group.
  for (const Case& c : {Case{"root's file", 0, 0}, Case{"the user's file of root's group", kOtherUser, 0}}) {
    TempDir dir;
    ASSERT_EQ(chmod(dir.path().c_str(), 0777), 0);
    const std::string path = dir.file("a.ogg");
    WriteBytes(path, "old");
    ASSERT_EQ(chown(path.c_str(), c.owner, c.group), 0);
    ASSERT_EQ(chmod(path.c_str(), 0666), 0);

    const int refused = test::RunUnprivileged([&] {
      Appending writer;
      const WriteResult result = RewriteFile(path, std::ref(writer));
      return result == WriteResult::kCannotCreate && errno == EPERM && writer.runs == 0 ? 0 : 1;
    });
    EXPECT_EQ(refused, 0) << c.name;
    EXPECT_EQ(ReadBytes(path), "old") << c.name;
    EXPECT_EQ(Lstat(path).st_uid, c.owner) << c.name;
    EXPECT_EQ(FileCount(dir.path()), 1) << c.name;
  }
}

TEST(RewriteFile, WhatAKilledSaveLeftIsClearedOnlyWhenItIsTheUsersOwnUnusedFile) {
  struct Case {
    const char* name;
    // Puts something under the hidden name; `victim` is a file of the folder it may lead to.
    std::function<void(const std::string& leftover, const std::string& victim)> make;
    bool saved;
  };
  const std::vector<Case> cases = {
      {"a half-written file", [](auto& left, auto&) { WriteBytes(left, "half"); }, true},
      {"a link", [](auto& left, auto& victim) { ASSERT_EQ(symlink(victim.c_str(), left.c_str()), 0); }, false},
      {"a folder", [](auto& left, auto&) { fs::create_directory(left); }, false},
      {"another user's file",
       [](auto& left, auto&) {
         WriteBytes(left, "theirs");
         if (geteuid() == 0) {
           ASSERT_EQ(chown(left.c_str(), kOtherUser, kOtherUser), 0);
         }
       },
       geteuid() != 0},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const std::string path = dir.file("a.ogg");
    const std::string victim = dir.file("victim");
    const std::string leftover = dir.file(FileBeside::NameFor("a.ogg"));
    WriteBytes(path, "old");
    WriteBytes(victim, "victim");
    c.make(leftover, victim);

    Appending writer;
    EXPECT_EQ(RewriteFile(path, std::ref(writer)), c.saved ? WriteResult::kOk : WriteResult::kCannotCreate) << c.name;
    EXPECT_EQ(ReadBytes(path), c.saved ? "old new" : "old") << c.name;
    EXPECT_EQ(ReadBytes(victim), "victim") << c.name;
    EXPECT_EQ(fs::exists(fs::symlink_status(leftover)), !c.saved) << c.name;
  }

  // A save of the same file under way holds its file: a second save leaves both alone.
  TempDir dir;
  const std::string path = dir.file("a.ogg");
  const std::string running = dir.file(FileBeside::NameFor("a.ogg"));
  WriteBytes(path, "old");
  WriteBytes(running, "being written");
  const FdHandle held(open(running.c_str(), O_RDONLY | O_CLOEXEC));
  ASSERT_EQ(flock(held.get(), LOCK_EX), 0);
  Appending writer;
  EXPECT_EQ(RewriteFile(path, std::ref(writer)), WriteResult::kCannotCreate);
  EXPECT_EQ(errno, EBUSY);
  EXPECT_EQ(ReadBytes(path), "old");
  EXPECT_EQ(ReadBytes(running), "being written");
}

}  // namespace
}  // namespace marlinote
