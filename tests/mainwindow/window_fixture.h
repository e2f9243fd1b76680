#pragma once

#include <QAction>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "foldertree/linux_folder_namespace.h"
#include "mainwindow/main_window.h"
#include "tags/tag_field.h"
#include "tests/mainwindow/scripted_ui.h"
#include "tests/support/temp_dir.h"

namespace marlinote::test {

// The real folders of the machine with one made-up drive: a temporary folder.
class TempVolumes : public LinuxFolderNamespace {
 public:
  explicit TempVolumes(std::string mountPoint) : mountPoint_(std::move(mountPoint)) {}
  std::vector<Volume> volumes() const override { return {{QStringLiteral("Media"), mountPoint_}}; }

 private:
  std::string mountPoint_;
};

// Audio files as the formats store them; field values in code page 932.
void WritePlainFile(const std::string& path, std::size_t size = 3000);
void WriteId3v1File(const std::string& path, const FieldList& fields);
// Data that begins like a Monkey's Audio file, so APE is its usual kind, with an APE tag.
void WriteApeFile(const std::string& path, const FieldList& fields);
// The same data without a tag.
void WriteApeDataFile(const std::string& path);
// A real Ogg Vorbis stream with these comments ("TITLE=...").
void WriteOggFile(const std::string& path, const std::vector<std::string>& comments);

// One run of the program on the offscreen platform: the current folder (for
// "./filefilter.dat") and XDG_CONFIG_HOME (for the settings file) are temporary folders of
// the test, the folder tree has one drive, the test's `media` folder, and a person's answers
// come from `ui`.
class WindowTest : public ::testing::Test {
 protected:
  WindowTest();
  ~WindowTest() override;

  // Creates the window (FormCreate) and shows it; without a store, the settings file of the
  // user is used.
  void Start(std::unique_ptr<SettingsStore> store = nullptr);
  // Closes the window as a person would: the close query must be answered Yes (scripted by
  // the caller), then the window is destroyed (FormDestroy).
  void Quit();
  // Destroys the window without asking.
  void Destroy();

  // Clicks the folder's node in the tree, creating the nodes on the way, and waits for the
  // list.
  void ClickFolder(const std::string& path);
  // The recursive search from the folder tree's popup menu on the folder, and waits for the
  // list.
  void SearchAll(const std::string& path);
  // Waits until the folder scan has ended and the list is filled.
  void WaitForList();
  void SelectRows(std::initializer_list<int> rows);
  // Runs a menu item or tool button by its name, as a click on it does.
  void Trigger(const char* name);
  void ClickTool(const char* name);

  // The texts of one list column, top to bottom, and the header captions.
  QStringList ColumnTexts(int section) const;
  QStringList Captions() const;
  std::vector<int> ColumnWidths() const;
  // The file names of the listed entries, in row order.
  std::vector<std::string> ListedNames() const;

  std::string Media(const std::string& relative) const { return media.file(relative); }
  std::string SettingsFile() const;
  // Writes the settings file: the header line, then `body` (registry export lines).
  void WriteSettings(const std::string& body) const;
  // A value of the settings file as the program's store reads it, under the main key (an
  // empty `key`) or its sub-key `key` ("Column2"); nothing when absent.
  std::optional<std::uint32_t> StoredNumber(const std::string& key, const std::string& name) const;
  std::optional<std::string> StoredText(const std::string& key, const std::string& name) const;
  std::string FilterFile() const { return work.file("filefilter.dat"); }

  TempDir work;
  TempDir config;
  TempDir media;
  ScriptedUi ui;
  std::unique_ptr<TMainWindow> window;

 private:
  std::string oldCwd_;
  std::optional<std::string> oldConfigHome_;
};

}  // namespace marlinote::test
