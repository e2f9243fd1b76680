#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/column_table.h"
#include "platform/settings_store.h"

namespace marlinote {

// The main window's stored settings besides its geometry.
struct MainSettings {
  ColumnArray ColumnTable = DefaultColumnTable();
  // A double click on a row: 0 edits the tags, 1 opens the file with its program.
  std::int32_t FileExtSync = 0;
  // A tag type change checks the file's data first.
  bool DataTypeCheck = true;
  // New APE tags are written as UTF-8 (version 2000, with a header) instead of code page 932.
  bool ApeUtf8 = false;
  // The folder listed last (native bytes), selected in the folder tree at the next start.
  std::string LastFolder;
};

// What the settings read from and apply to the window.
class SettingsWindow {
 public:
  enum Metric { kLeft, kTop, kWidth, kHeight, kFolderViewWidth };

  virtual ~SettingsWindow() = default;
  // The window's bounds in screen pixels, and the folder tree's width.
  virtual int GetMetric(Metric metric) const = 0;
  virtual void SetMetric(Metric metric, int value) = 0;
  // The widths of the list's columns, left to right.
  virtual std::vector<int> ListColumnWidths() const = 0;
};

// "\Software\Velmora\Marlinote" and its sub-keys "Column0" to "Column7".
extern const char* const kSettingsKey;

// Sets the column table to its defaults, then reads Column0 onwards: "Enabled", "Width" and
// "Name" of each, each kept as soon as it is read. The first missing key, missing or
// mistyped integer, or "Name" of a type other than text ends the reading; the rest keeps its
// defaults. A missing "Name" reads as an empty caption.
void LoadColumnTable(SettingsStore& store, ColumnArray& columns);

// The main key's "ApeUtf8" on its own: false when it is missing or not an integer, so that
// settings kept before it existed read as before.
bool LoadApeUtf8(SettingsStore& store);

// LoadColumnTable, then the main key's "WindowLeft", "WindowTop", "WindowWidth",
// "WindowHeight" and "FolderViewWidth", each applied to the window as soon as it is read,
// then "FileExtSync" and "DataTypeCheck". When any of these cannot be read, the reading ends
// there and the switches become 0 and true. "ApeUtf8" is read apart (LoadApeUtf8), and so is
// "LastFolder": missing or not a text, it is empty. Never fails outward.
void LoadSettings(SettingsStore& store, MainSettings& settings, SettingsWindow& window);

// Takes the widths of the list's columns into the enabled entries, in order.
void CaptureColumnWidths(ColumnArray& columns, const SettingsWindow& window);

// CaptureColumnWidths, then writes every column key (the first failure ends the column
// keys) and the main key's values, "LastFolder" last, and flushes the store. True when
// everything was stored.
bool SaveSettings(SettingsStore& store, MainSettings& settings, const SettingsWindow& window);

}  // namespace marlinote
