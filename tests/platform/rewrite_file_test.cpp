// A file rebuilt from itself (RewriteFile): made beside it under a hidden name, renamed over
// it, with the old file's mode, owner and group, or refused before anything is written.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <string>

#include "platform/file_beside.h"
#include "platform/file_handle.h"
#include "platform/replace_file.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"
#include "tests/support/unprivileged.h"

namespace marlinote {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

// Who owns files that tests make for "another user".
constexpr uid_t kOtherUser = 65534;

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

WriteResult Rewrite(const std::string& path, Appending& writer) {
  return RewriteFile(path, std::ref(writer));
}

struct stat Lstat(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
  return st;
}

std::ptrdiff_t FileCount(const std::string& folder) {
  return std::distance(fs::directory_iterator(folder), {});
}

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
    EXPECT_EQ(Rewrite(path, writer), WriteResult::kOk) << c.name;
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
      const WriteResult result = Rewrite(path, writer);
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
    EXPECT_EQ(Rewrite(path, writer), c.saved ? WriteResult::kOk : WriteResult::kCannotCreate) << c.name;
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
  EXPECT_EQ(Rewrite(path, writer), WriteResult::kCannotCreate);
  EXPECT_EQ(errno, EBUSY);
  EXPECT_EQ(ReadBytes(path), "old");
  EXPECT_EQ(ReadBytes(running), "being written");
}

}  // namespace
}  // namespace marlinote
