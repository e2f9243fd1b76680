#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "platform/memory_settings_store.h"
#include "platform/reg_file_store.h"
#include "platform/registry_key.h"
#include "tests/support/file_bytes.h"
#include "tests/support/size_limit.h"
#include "tests/support/temp_dir.h"
#include "tests/support/time_limit.h"

namespace marlinote {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

// Sets an environment variable for one test and puts the former value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  ~ScopedEnv() {
    if (old_)
      setenv(name_, old_->c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// How many entries a folder holds: a temporary file left behind shows here.
std::ptrdiff_t FileCount(const std::string& folder) {
  return std::distance(std::filesystem::directory_iterator(folder), {});
}

TEST(SettingsStore, KeysAreFoundIgnoringCaseAndParentsExistWithTheirChildren) {
  MemorySettingsStore store;
  ASSERT_TRUE(store.CreateKey("Software\\Velmora\\Marlinote\\Column0"));
  EXPECT_TRUE(store.KeyExists("software\\VELMORA\\marlinote\\column0"));
  EXPECT_TRUE(store.KeyExists("Software\\Velmora"));
  EXPECT_TRUE(store.KeyExists("Software"));
  EXPECT_FALSE(store.KeyExists("Software\\Velmora\\Marli"));
  EXPECT_FALSE(store.KeyExists("Software\\Velmora\\Marlinote\\Column"));
  EXPECT_FALSE(store.KeyExists("Software\\Velmora\\Marlinote\\Column1"));
  // A key sorting between a parent and its children does not hide them.
  ASSERT_TRUE(store.CreateKey("Software\\Velmora\\Marlinote X"));
  EXPECT_TRUE(store.KeyExists("Software\\Velmora\\Marlinote"));

  EXPECT_FALSE(store.CreateKey("Software\\\\Twice"));
  EXPECT_FALSE(store.CreateKey("Software\\Line\nBreak"));
  EXPECT_FALSE(store.SetValue("Software\\Missing", "A", RegValue::Dword(1)));
}

TEST(RegistryKey, ReadsTheWayTheRegistryReads) {
  MemorySettingsStore store;
  RegistryKey reg(store);
  ASSERT_TRUE(reg.OpenKey("\\Software\\K", true));
  ASSERT_TRUE(reg.WriteInteger("Negative", -100));
  ASSERT_TRUE(reg.WriteBool("Flag", true));
  ASSERT_TRUE(reg.WriteString("Text", "値"));
  ASSERT_TRUE(store.SetValue("Software\\K", "Expand", RegValue::Text("%HOME%", kRegExpandSz)));
  ASSERT_TRUE(store.SetValue("Software\\K", "Binary", RegValue{kRegBinary, 0, "\x01"}));
  EXPECT_EQ(*store.FindValue("Software\\K", "Flag"), RegValue::Dword(1));

  std::int32_t number = 7;
  bool flag = false;
  std::string text = "unchanged";
  EXPECT_TRUE(reg.ReadInteger("negative", number));
  EXPECT_EQ(number, -100);
  EXPECT_TRUE(reg.ReadBool("Negative", flag));
  EXPECT_TRUE(flag);
  EXPECT_FALSE(reg.ReadInteger("Missing", number));
  EXPECT_FALSE(reg.ReadInteger("Text", number));
  EXPECT_FALSE(reg.ReadInteger("Binary", number));
  EXPECT_EQ(number, -100);

  EXPECT_TRUE(reg.ReadString("Text", text));
  EXPECT_EQ(text, "値");
  EXPECT_TRUE(reg.ReadString("Expand", text));
  EXPECT_EQ(text, "%HOME%");
  EXPECT_TRUE(reg.ReadString("Missing", text));
  EXPECT_EQ(text, "");
  EXPECT_FALSE(reg.ReadString("Negative", text));
  EXPECT_FALSE(reg.ReadString("Binary", text));

  // A key that does not exist leaves none open: the key opened before is gone too.
  EXPECT_FALSE(reg.OpenKey("\\Software\\Nothing", false));
  EXPECT_FALSE(store.KeyExists("Software\\Nothing"));
  EXPECT_FALSE(reg.ReadInteger("Negative", number));
  EXPECT_FALSE(reg.ReadString("Missing", text));
  EXPECT_FALSE(reg.WriteInteger("Negative", 1));
  EXPECT_EQ(*store.FindValue("Software\\K", "Negative"), RegValue::Dword(static_cast<std::uint32_t>(-100)));
}

class RegFileStoreTest : public ::testing::Test {
 protected:
  TempDir dir_;
  ScopedEnv config_{"XDG_CONFIG_HOME", (dir_.path() + "/config").c_str()};
  std::string path_ = dir_.path() + "/config/Velmora/Marlinote.reg";
};

TEST_F(RegFileStoreTest, SavesIntoTheUserConfigFolderAndReadsBack) {
  ASSERT_EQ(DefaultSettingsPath(), path_);
  {
    RegFileStore store(DefaultSettingsPath());
    EXPECT_TRUE(store.keys().empty());
    RegistryKey reg(store);
    ASSERT_TRUE(reg.OpenKey("\\Software\\Velmora\\Marlinote\\Column2", true));
    ASSERT_TRUE(reg.WriteInteger("Width", 100));
    ASSERT_TRUE(reg.WriteString("Name", "アーティスト \"A\\B\""));
    ASSERT_TRUE(store.Flush());  // creates config/Velmora
  }
  const std::string text = ReadBytes(path_);
  EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Velmora\\Marlinote\\Column2]\n"
                      "\"Name\"=\"アーティスト \\\"A\\\\B\\\"\"\n"
                      "\"Width\"=dword:00000064\n"),
            std::string::npos)
      << text;
  struct stat st {};
  ASSERT_EQ(stat((dir_.path() + "/config/Velmora").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);

  RegFileStore again(path_);
  RegistryKey reg(again);
  ASSERT_TRUE(reg.OpenKey("\\Software\\Velmora\\Marlinote\\Column2", false));
  std::string name;
  EXPECT_TRUE(reg.ReadString("Name", name));
  EXPECT_EQ(name, "アーティスト \"A\\B\"");
  EXPECT_EQ(FileCount(dir_.path() + "/config/Velmora"), 1);
}

TEST_F(RegFileStoreTest, ADamagedOrHugeFileReadsAsEmptyAndIsReplacedAtTheNextSave) {
  std::filesystem::create_directories(dir_.path() + "/config/Velmora");
  const std::string valid =
      "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\K]\n\"A\"=dword:00000001\n";
  for (const std::string& bytes : {
           std::string("Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\Software\\K]\n"
                       "\"A\"=dword:00000001\ngarbage\n"),
           std::string("\xFF\xFEW\0i\0n\0", 8),  // UTF-16, which this file is not
           valid + std::string(RegFileStore::kMaxFileSize, ';'),
       }) {
    WriteBytes(path_, bytes);
    RegFileStore store(path_);
    EXPECT_TRUE(store.keys().empty());
    ASSERT_TRUE(store.CreateKey("Software\\New"));
    ASSERT_TRUE(store.Flush());
    EXPECT_EQ(ReadBytes(path_), "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\New]\n");
  }
  WriteBytes(path_, valid);
  EXPECT_FALSE(RegFileStore(path_).keys().empty());
}

TEST_F(RegFileStoreTest, AFailedSaveLeavesTheFormerFile) {
  std::filesystem::create_directories(dir_.path() + "/config/Velmora");
  const std::string former = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Old]\n";
  WriteBytes(path_, former);
  const int flushed = test::RunWithFileSizeLimit(40, [&] {
    RegFileStore store(path_);
    store.CreateKey("Software\\Velmora\\Marlinote\\A rather long key name to pass the limit");
    return store.Flush() ? 1 : 0;
  });
  EXPECT_EQ(flushed, 0);
  EXPECT_EQ(ReadBytes(path_), former);
  EXPECT_EQ(FileCount(dir_.path() + "/config/Velmora"), 1);

  // A folder that cannot be made: a file stands where it should be.
  WriteBytes(dir_.path() + "/blocked", "");
  RegFileStore blocked(dir_.path() + "/blocked/Velmora/Marlinote.reg");
  EXPECT_FALSE(blocked.Flush());
}

TEST_F(RegFileStoreTest, AFifoInItsPlaceIsNeitherReadNorWrittenAndNeverWaitedOn) {
  std::filesystem::create_directories(dir_.path() + "/config/Velmora");
  ASSERT_EQ(mkfifo(path_.c_str(), 0600), 0);
  // Bit 1: an empty store was read; bit 2: it was written.
  EXPECT_EQ(test::RunWithTimeLimit(10, [&] {
              RegFileStore store(path_);
              const bool empty = store.keys().empty();
              store.CreateKey("Software\\New");
              return (empty ? 1 : 0) | (store.Flush() ? 2 : 0);
            }),
            1);
  struct stat st {};
  EXPECT_TRUE(lstat(path_.c_str(), &st) == 0 && S_ISFIFO(st.st_mode));
}

TEST(DefaultSettingsPath, FallsBackToHomeWhenTheConfigVariableIsUnusable) {
  ScopedEnv home("HOME", "/home/someone");
  {
    ScopedEnv unset("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(DefaultSettingsPath(), "/home/someone/.config/Velmora/Marlinote.reg");
  }
  {
    ScopedEnv empty("XDG_CONFIG_HOME", "");
    EXPECT_EQ(DefaultSettingsPath(), "/home/someone/.config/Velmora/Marlinote.reg");
  }
  {
    ScopedEnv relative("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(DefaultSettingsPath(), "/home/someone/.config/Velmora/Marlinote.reg");
  }
}

}  // namespace
}  // namespace marlinote
