#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/message_box.h"

namespace marlinote {

// One entry of the filter list, 40 bytes in the layout of the filter file: byte 0 is the
// enabled flag (non-zero: the entry takes part in matching), bytes 1 to 39 the extension in
// code page 932 (".mp3", or ".*" for every file), ended by a zero byte unless all 39 are
// text.
struct FilterEntry {
  static constexpr std::size_t kSize = 40;
  // Texts from the setup dialog are cut to this many bytes.
  static constexpr std::size_t kMaxText = 30;

  std::array<char, kSize> bytes{};

  // The text cut to kMaxText bytes; every byte after it zero.
  static FilterEntry Make(std::string_view extension, bool enabled);
  bool Enabled() const { return bytes[0] != 0; }
  std::string_view Extension() const;
};
static_assert(sizeof(FilterEntry) == FilterEntry::kSize);

// One item of the filter setup dialog: its text in code page 932 and its check mark.
struct FilterLine {
  std::string extension;
  bool enabled = true;
};

// The extensions of the files that a folder scan lists, kept in the file "filefilter.dat":
// the four bytes "MLFF", a little-endian signed 32-bit count, then the entries.
class FilterList {
 public:
  // A count beyond this is read as this many entries, so that a damaged count cannot make
  // the program take gigabytes.
  static constexpr std::int32_t kMaxEntries = 65536;

  // Empty until ReadFilterList or Replace.
  FilterList() = default;

  // The one enabled entry ".*".
  static FilterList Default();

  // Replaces the list by the file's entries, or by the default list when the file cannot be
  // read, is not a regular file (a FIFO or a device is not opened) or is not a filter file. Entries that a short file does not hold are disabled and
  // empty. Never fails.
  void ReadFilterList(const std::string& path);
  // Replaces the file by the list (platform/replace_file.h), or shows
  // "回復不能なエラー\nフィルタリスト保存不可。" and leaves the former file as it was; so
  // too for a symbolic link that another user owns, and for a device or FIFO in its place.
  bool WriteFilterList(const std::string& path, MessageBoxes& boxes) const;
  // True for a file name (UTF-8) whose extension (from the last dot, A to Z lowered) equals
  // the lowered text of an enabled entry, or when an enabled entry holds ".*". Never for
  // "." and "..".
  bool MatchesFilter(std::string_view name) const;

  // The dialog's items, in its order.
  void Replace(const std::vector<FilterLine>& lines);
  const std::vector<FilterEntry>& Entries() const { return entries_; }

 private:
  void Assign(std::vector<FilterEntry> entries);

  std::vector<FilterEntry> entries_;
  // Derived from entries_ for matching: the lowered texts of the enabled entries.
  std::vector<std::string> enabledExtensions_;
  bool matchesEverything_ = false;
};

}  // namespace marlinote
