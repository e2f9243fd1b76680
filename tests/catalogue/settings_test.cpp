#include "catalogue/settings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <set>

#include "platform/memory_settings_store.h"
#include "platform/reg_file_store.h"
#include "platform/registry_key.h"
#include "tests/support/file_bytes.h"
#include "tests/support/size_limit.h"
#include "tests/support/temp_dir.h"

namespace marlinote {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

// The window's side: its bounds, its folder tree and its list columns.
class FakeWindow : public SettingsWindow {
 public:
  int GetMetric(Metric metric) const override { return metrics.at(metric); }
  void SetMetric(Metric metric, int value) override {
    metrics[metric] = value;
    applied.push_back(metric);
  }
  std::vector<int> ListColumnWidths() const override { return columnWidths; }

  // The window's own values before any setting is applied.
  std::map<Metric, int> metrics = {
      {kLeft, 192}, {kTop, 107}, {kWidth, 800}, {kHeight, 600}, {kFolderViewWidth, 200}};
  std::vector<Metric> applied;
  std::vector<int> columnWidths;
};

const std::string kMain = "Software\\Velmora\\Marlinote";

std::string Column(int i) { return kMain + "\\Column" + std::to_string(i); }

void Put(MemorySettingsStore& store, const std::string& key, const std::string& name, const RegValue& value) {
  ASSERT_TRUE(store.CreateKey(key));
  ASSERT_TRUE(store.SetValue(key, name, value));
}

void PutColumn(MemorySettingsStore& store, int i, bool enabled, int width, const std::string& name) {
  Put(store, Column(i), "Enabled", RegValue::Dword(enabled ? 1 : 0));
  Put(store, Column(i), "Width", RegValue::Dword(static_cast<std::uint32_t>(width)));
  Put(store, Column(i), "Name", RegValue::Text(name));
}

void PutMain(MemorySettingsStore& store, bool withFolderViewWidth) {
  Put(store, kMain, "WindowLeft", RegValue::Dword(static_cast<std::uint32_t>(-8)));
  Put(store, kMain, "WindowTop", RegValue::Dword(20));
  Put(store, kMain, "WindowWidth", RegValue::Dword(1024));
  Put(store, kMain, "WindowHeight", RegValue::Dword(700));
  if (withFolderViewWidth) Put(store, kMain, "FolderViewWidth", RegValue::Dword(250));
  Put(store, kMain, "FileExtSync", RegValue::Dword(5));
  Put(store, kMain, "DataTypeCheck", RegValue::Dword(0));
}

class LoadSettingsTest : public ::testing::Test {
 protected:
  void Load() {
    settings_.FileExtSync = 7;  // whatever the window held before
    settings_.DataTypeCheck = false;
    LoadSettings(store_, settings_, window_);
  }

  MemorySettingsStore store_;
  MainSettings settings_;
  FakeWindow window_;
};

TEST_F(LoadSettingsTest, FirstStartKeepsEveryDefault) {
  settings_.ColumnTable[3].Width = 5;
  Load();
  EXPECT_EQ(settings_.ColumnTable, DefaultColumnTable());
  EXPECT_EQ(settings_.ColumnTable[kColumnArtist].Name, "Airtist");
  EXPECT_TRUE(window_.applied.empty());
  EXPECT_EQ(settings_.FileExtSync, 0);
  EXPECT_TRUE(settings_.DataTypeCheck);
}

TEST_F(LoadSettingsTest, ReadsColumnsUpToTheFirstMissingKey) {
  for (int i = 0; i <= 3; ++i) PutColumn(store_, i, i % 2 == 0, 50 + i, "名前" + std::to_string(i));
  PutColumn(store_, 5, false, 1, "after the gap");
  PutMain(store_, true);
  Load();
  const ColumnArray defaults = DefaultColumnTable();
  for (int i = 0; i <= 3; ++i)
    EXPECT_EQ(settings_.ColumnTable[i], (ColumnEntry{i % 2 == 0, 50 + i, "名前" + std::to_string(i)}));
  for (int i = 4; i < kColumnCount; ++i) EXPECT_EQ(settings_.ColumnTable[i], defaults[i]) << i;

  EXPECT_EQ(window_.metrics,
            (std::map<SettingsWindow::Metric, int>{{SettingsWindow::kLeft, -8}, {SettingsWindow::kTop, 20},
                                                   {SettingsWindow::kWidth, 1024}, {SettingsWindow::kHeight, 700},
                                                   {SettingsWindow::kFolderViewWidth, 250}}));
  EXPECT_EQ(settings_.FileExtSync, 1);
  EXPECT_FALSE(settings_.DataTypeCheck);
}

TEST_F(LoadSettingsTest, AMissingOrMistypedValueEndsTheColumnsButAMissingNameDoesNot) {
  PutColumn(store_, 0, false, 10, "T");
  Put(store_, Column(1), "Enabled", RegValue::Dword(0));
  Put(store_, Column(1), "Width", RegValue::Dword(11));  // no Name: an empty caption
  Put(store_, Column(2), "Enabled", RegValue::Dword(0));  // no Width
  Put(store_, Column(2), "Name", RegValue::Text("Artist"));
  PutColumn(store_, 3, false, 13, "Album 3");
  Load();
  EXPECT_EQ(settings_.ColumnTable[1], (ColumnEntry{false, 11, ""}));
  EXPECT_EQ(settings_.ColumnTable[2], (ColumnEntry{false, 100, "Airtist"}));
  EXPECT_EQ(settings_.ColumnTable[3], DefaultColumnTable()[3]);

  // A Name of another type than text: Enabled and Width stay, the Name keeps its default.
  Put(store_, Column(2), "Width", RegValue::Dword(12));
  Put(store_, Column(2), "Name", RegValue::Dword(1));
  Load();
  EXPECT_EQ(settings_.ColumnTable[2], (ColumnEntry{false, 12, "Airtist"}));
  EXPECT_EQ(settings_.ColumnTable[3], DefaultColumnTable()[3]);

  // A Name stored as REG_EXPAND_SZ is text; an Enabled stored as text is not an integer.
  Put(store_, Column(2), "Name", RegValue::Text("%X%", kRegExpandSz));
  Put(store_, Column(3), "Enabled", RegValue::Text("1"));
  Load();
  EXPECT_EQ(settings_.ColumnTable[2], (ColumnEntry{false, 12, "%X%"}));
  EXPECT_EQ(settings_.ColumnTable[3], DefaultColumnTable()[3]);
}

TEST_F(LoadSettingsTest, AMissingMainValueStopsThereAndResetsBothSwitches) {
  PutMain(store_, false);
  Load();
  EXPECT_EQ(window_.applied, (std::vector<SettingsWindow::Metric>{SettingsWindow::kLeft, SettingsWindow::kTop,
                                                                  SettingsWindow::kWidth, SettingsWindow::kHeight}));
  EXPECT_EQ(window_.metrics[SettingsWindow::kFolderViewWidth], 200);
  EXPECT_EQ(settings_.FileExtSync, 0);
  EXPECT_TRUE(settings_.DataTypeCheck);

  // FileExtSync read, DataTypeCheck of the wrong type: both switches reset all the same. The
  // last folder is read whatever came of them; a number there reads as none.
  Put(store_, kMain, "FolderViewWidth", RegValue::Dword(250));
  Put(store_, kMain, "DataTypeCheck", RegValue::Text("0"));
  Put(store_, kMain, "LastFolder", RegValue::Text("/music"));
  Load();
  EXPECT_EQ(settings_.FileExtSync, 0);
  EXPECT_TRUE(settings_.DataTypeCheck);
  EXPECT_EQ(settings_.LastFolder, "/music");
  Put(store_, kMain, "LastFolder", RegValue::Dword(1));
  Load();
  EXPECT_EQ(settings_.LastFolder, "");
}

// The APE encoding is read on its own: settings kept before it existed give Shift-JIS, and
// a main value missing before it does not reset it.
TEST_F(LoadSettingsTest, ApeUtf8IsReadApartAndIsFalseWhenMissingOrMistyped) {
  const struct {
    std::optional<RegValue> stored;
    bool withFolderViewWidth;
    bool utf8;
  } cases[] = {
      {std::nullopt, true, false},
      {RegValue::Dword(1), true, true},
      {RegValue::Dword(1), false, true},
      {RegValue::Dword(0), true, false},
      {RegValue::Text("1"), true, false},
  };
  for (const auto& c : cases) {
    store_ = MemorySettingsStore();
    PutMain(store_, c.withFolderViewWidth);
    if (c.stored) Put(store_, kMain, "ApeUtf8", *c.stored);
    settings_.ApeUtf8 = !c.utf8;
    Load();
    EXPECT_EQ(settings_.ApeUtf8, c.utf8);
    EXPECT_EQ(LoadApeUtf8(store_), c.utf8);
  }
}

// A store whose column keys from a chosen one on cannot be made.
class RefusingStore : public MemorySettingsStore {
 public:
  bool CreateKey(std::string_view key) override {
    if (refused.count(std::string(key))) return false;
    return MemorySettingsStore::CreateKey(key);
  }
  bool Flush() override {
    ++flushes;
    return true;
  }
  std::set<std::string> refused;
  int flushes = 0;
};

TEST(SaveSettings, CapturesWidthsOfShownColumnsAndWritesEveryColumn) {
  MainSettings settings;
  settings.ColumnTable[kColumnAlbum].Enabled = false;
  settings.ColumnTable[kColumnAlbum].Width = 77;
  settings.FileExtSync = 1;
  FakeWindow window;
  window.columnWidths = {10, 11, 12, 14, 15, 16, 17};

  MemorySettingsStore store;
  EXPECT_TRUE(SaveSettings(store, settings, window));
  const std::vector<int> widths = {10, 11, 12, 77, 14, 15, 16, 17};
  for (int i = 0; i < kColumnCount; ++i) {
    EXPECT_EQ(*store.FindValue(Column(i), "Enabled"), RegValue::Dword(i == kColumnAlbum ? 0 : 1)) << i;
    EXPECT_EQ(*store.FindValue(Column(i), "Width"), RegValue::Dword(static_cast<std::uint32_t>(widths[i]))) << i;
    EXPECT_EQ(*store.FindValue(Column(i), "Name"), RegValue::Text(DefaultColumnTable()[i].Name)) << i;
  }
  EXPECT_EQ(*store.FindValue(kMain, "WindowLeft"), RegValue::Dword(192));
  EXPECT_EQ(*store.FindValue(kMain, "FolderViewWidth"), RegValue::Dword(200));
  EXPECT_EQ(*store.FindValue(kMain, "FileExtSync"), RegValue::Dword(1));
  EXPECT_EQ(*store.FindValue(kMain, "DataTypeCheck"), RegValue::Dword(1));
  EXPECT_EQ(*store.FindValue(kMain, "ApeUtf8"), RegValue::Dword(0));
  settings.ApeUtf8 = true;
  EXPECT_TRUE(SaveSettings(store, settings, window));
  EXPECT_EQ(*store.FindValue(kMain, "ApeUtf8"), RegValue::Dword(1));
}

TEST(SaveSettings, AColumnKeyThatCannotBeMadeEndsTheColumnsOnly) {
  RefusingStore store;
  store.refused = {Column(3)};
  MainSettings settings;
  FakeWindow window;
  EXPECT_FALSE(SaveSettings(store, settings, window));
  EXPECT_TRUE(store.FindValue(Column(2), "Name"));
  for (int i = 3; i < kColumnCount; ++i) EXPECT_FALSE(store.KeyExists(Column(i))) << i;
  EXPECT_EQ(*store.FindValue(kMain, "DataTypeCheck"), RegValue::Dword(1));
  EXPECT_EQ(store.flushes, 1);
}

class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override { setenv("XDG_CONFIG_HOME", (dir_.path() + "/config").c_str(), 1); }
  void TearDown() override { unsetenv("XDG_CONFIG_HOME"); }
  TempDir dir_;
};

TEST_F(SettingsFileTest, SavedSettingsComeBackAtTheNextStart) {
  MainSettings saved;
  saved.ColumnTable[kColumnComment].Enabled = false;
  saved.DataTypeCheck = false;
  saved.FileExtSync = 1;
  // Any folder name a file system holds, quotes and line breaks too.
  saved.LastFolder = "/home/me/\xE9\x9F\xB3\xE6\xA5\xBD/\"live\"\n2003";
  FakeWindow window;
  window.metrics[SettingsWindow::kLeft] = -4;
  window.columnWidths = {90, 91, 92, 93, 95, 96, 97};
  {
    RegFileStore store(DefaultSettingsPath());
    ASSERT_TRUE(SaveSettings(store, saved, window));
  }
  const std::string text = ReadBytes(dir_.path() + "/config/Velmora/Marlinote.reg");
  EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Velmora\\Marlinote\\Column2]\n"
                      "\"Enabled\"=dword:00000001\n\"Name\"=\"Airtist\"\n\"Width\"=dword:0000005c\n"),
            std::string::npos)
      << text;

  RegFileStore store(DefaultSettingsPath());
  MainSettings loaded;
  FakeWindow next;
  LoadSettings(store, loaded, next);
  EXPECT_EQ(loaded.ColumnTable, saved.ColumnTable);
  EXPECT_EQ(loaded.ColumnTable[kColumnComment].Width, 100);
  EXPECT_EQ(loaded.FileExtSync, 1);
  EXPECT_FALSE(loaded.DataTypeCheck);
  EXPECT_EQ(loaded.LastFolder, saved.LastFolder);
  EXPECT_EQ(next.metrics, window.metrics);

  // The command-line tool reads only the columns.
  ColumnArray columns;
  LoadColumnTable(store, columns);
  EXPECT_EQ(columns, saved.ColumnTable);
}

TEST_F(SettingsFileTest, AFileWrittenElsewhereLoadsAndAMalformedOneGivesDefaults) {
  const std::string path = DefaultSettingsPath();
  std::filesystem::create_directories(dir_.path() + "/config/Velmora");
  WriteBytes(path,
             "REGEDIT4\r\n\r\n"
             "[HKEY_CURRENT_USER\\Software\\Velmora\\Marlinote\\Column0]\r\n"
             "\"Name\"=hex(2):54,69,74,6c,65,21,00\r\n"
             "\"Width\"=dword:00000120\r\n"
             "\"Enabled\"=dword:00000001\r\n");
  MainSettings settings;
  FakeWindow window;
  {
    RegFileStore store(path);
    LoadSettings(store, settings, window);
  }
  EXPECT_EQ(settings.ColumnTable[0], (ColumnEntry{true, 288, "Title!"}));

  WriteBytes(path, "[HKEY_CURRENT_USER\\Software\\Velmora\\Marlinote\\Column0]\n\"Width\"=dword:00000120\n");
  RegFileStore store(path);
  LoadSettings(store, settings, window);
  EXPECT_EQ(settings.ColumnTable, DefaultColumnTable());
}

TEST_F(SettingsFileTest, AFailedSaveLeavesTheFormerFile) {
  const std::string path = DefaultSettingsPath();
  std::filesystem::create_directories(dir_.path() + "/config/Velmora");
  const std::string former = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Velmora\\Marlinote]\n";
  WriteBytes(path, former);
  const int saved = test::RunWithFileSizeLimit(100, [&] {
    RegFileStore store(path);
    MainSettings settings;
    FakeWindow window;
    return SaveSettings(store, settings, window) ? 1 : 0;
  });
  EXPECT_EQ(saved, 0);
  EXPECT_EQ(ReadBytes(path), former);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path() + "/config/Velmora"), {}), 1);
}

}  // namespace
}  // namespace marlinote
