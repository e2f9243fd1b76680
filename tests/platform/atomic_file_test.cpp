#include "platform/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/support/file_bytes.h"
#include "tests/support/size_limit.h"
#include "tests/support/temp_dir.h"

namespace marlinote {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

// How many entries a folder holds: a temporary file left behind shows here.
std::ptrdiff_t FileCount(const std::string& folder) {
  return std::distance(std::filesystem::directory_iterator(folder), {});
}

TEST(WriteFileAtomically, ReplacesTheFileWithAModeTheUmaskDecides) {
  TempDir dir;
  const std::string path = dir.file("out.csv");
  WriteBytes(path, "old and longer");
  const mode_t old = umask(022);
  EXPECT_EQ(WriteFileAtomically(path, "new"), WriteResult::kOk);
  umask(old);
  EXPECT_EQ(ReadBytes(path), "new");
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
  EXPECT_EQ(FileCount(dir.path()), 1);
}

TEST(WriteFileAtomically, KeepsTheFormerFileAndNoTemporaryOnEveryFailure) {
  TempDir dir;
  EXPECT_EQ(WriteFileAtomically(dir.file("missing/out.csv"), "x"), WriteResult::kCannotCreate);
  EXPECT_EQ(WriteFileAtomically(dir.path() + "/", "x"), WriteResult::kCannotCreate);

  // The name belongs to a folder: the rename fails.
  std::filesystem::create_directories(dir.file("taken/inside"));
  EXPECT_EQ(WriteFileAtomically(dir.file("taken"), "x"), WriteResult::kCannotCreate);
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("taken/inside")));

  // The disk fills up halfway through.
  const std::string path = dir.file("out.csv");
  WriteBytes(path, "former");
  const int result = test::RunWithFileSizeLimit(8, [&] {
    return static_cast<int>(WriteFileAtomically(path, "far more than eight bytes"));
  });
  EXPECT_EQ(result, static_cast<int>(WriteResult::kWriteFailed));
  EXPECT_EQ(ReadBytes(path), "former");
  EXPECT_EQ(FileCount(dir.path()), 2);  // out.csv and taken
}

}  // namespace
}  // namespace marlinote
