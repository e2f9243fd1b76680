#include "foldertree/linux_folder_namespace.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <set>

namespace marlinote {
namespace {

TEST(LinuxFolderNamespace, DrivesAreMountedFoldersWithoutPseudoFileSystems) {
  std::set<std::string> seen;
  for (const Volume& v : LinuxFolderNamespace().volumes()) {
    SCOPED_TRACE(v.mountPoint);
    ASSERT_EQ(v.mountPoint.front(), '/');
    EXPECT_TRUE(v.mountPoint == "/" || v.mountPoint.back() != '/');
    struct stat st;
    EXPECT_TRUE(::stat(v.mountPoint.c_str(), &st) == 0 && S_ISDIR(st.st_mode));
    EXPECT_TRUE(seen.insert(v.mountPoint).second) << "listed twice";
    for (const std::string pseudo : {"/proc", "/sys", "/dev/pts", "/dev/shm"})
      EXPECT_FALSE(v.mountPoint == pseudo || v.mountPoint.starts_with(pseudo + "/"));
  }
  EXPECT_EQ(seen.count("/"), 1u);
}

}  // namespace
}  // namespace marlinote
