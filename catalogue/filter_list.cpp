#include "filter_list.h"

#include <algorithm>
#include <cstring>

#include "platform/file_ops.h"
#include "platform/replace_file.h"
#include "tags/text_conversion.h"

namespace marlinote {

namespace {

constexpr char kMagic[4] = {'M', 'L', 'F', 'F'};
constexpr std::string_view kEveryFile = ".*";
constexpr const char* kWriteFailedText = "回復不能なエラー\nフィルタリスト保存不可。";

// Lowers A to Z in code page 932 text, leaving both bytes of a double-byte character.
void LowerLocal(std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (IsCp932LeadByte(c))
      ++i;
    else if (c >= 'A' && c <= 'Z')
      text[i] = static_cast<char>(c - 'A' + 'a');
  }
}

}  // namespace

FilterEntry FilterEntry::Make(std::string_view extension, bool enabled) {
  FilterEntry entry;
  entry.bytes[0] = enabled ? 1 : 0;
  extension = extension.substr(0, kMaxText);
  std::copy(extension.begin(), extension.end(), entry.bytes.begin() + 1);
  return entry;
}

std::string_view FilterEntry::Extension() const {
  return std::string_view(bytes.data() + 1, strnlen(bytes.data() + 1, kSize - 1));
}

FilterList FilterList::Default() {
  FilterList list;
  list.Assign({FilterEntry::Make(kEveryFile, true)});
  return list;
}

void FilterList::ReadFilterList(const std::string& path) {
  FileHandle file = OpenRegularFile(path);
  char magic[4] = {};
  unsigned char count[4] = {};
  if (!file || std::fread(magic, 1, 4, file.get()) != 4 || std::memcmp(magic, kMagic, 4) != 0 ||
      std::fread(count, 1, 4, file.get()) != 4) {
    *this = Default();
    return;
  }
  const auto stored = static_cast<std::int32_t>(static_cast<std::uint32_t>(count[0]) |
                                                static_cast<std::uint32_t>(count[1]) << 8 |
                                                static_cast<std::uint32_t>(count[2]) << 16 |
                                                static_cast<std::uint32_t>(count[3]) << 24);
  if (stored < 0) {
    *this = Default();
    return;
  }
  // Zeroed entries: what the file does not hold stays disabled and empty.
  std::vector<FilterEntry> entries(static_cast<std::size_t>(std::min(stored, kMaxEntries)));
  std::fread(entries.data(), 1, entries.size() * FilterEntry::kSize, file.get());
  Assign(std::move(entries));
}

bool FilterList::WriteFilterList(const std::string& path, MessageBoxes& boxes) const {
  const auto count = static_cast<std::uint32_t>(entries_.size());
  std::string bytes(kMagic, 4);
  for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>(count >> shift & 0xFF);
  for (const FilterEntry& entry : entries_) bytes.append(entry.bytes.data(), FilterEntry::kSize);
  if (ReplaceFile(path, bytes, OtherFiles::kLeaveAlone) == WriteResult::kOk) return true;
  boxes.Show(kWriteFailedText, kCaptionError, kStyleError);
  return false;
}

bool FilterList::MatchesFilter(std::string_view name) const {
  if (name == "." || name == "..") return false;
  if (matchesEverything_) return true;
  const auto dot = name.rfind('.');
  const std::string_view utf8 = dot == std::string_view::npos ? std::string_view() : name.substr(dot);
  std::optional<std::string> extension = Utf8ToLocalExact(utf8);
  if (!extension) return false;  // No entry can hold it.
  LowerLocal(*extension);
  return std::find(enabledExtensions_.begin(), enabledExtensions_.end(), *extension) !=
         enabledExtensions_.end();
}

void FilterList::Replace(const std::vector<FilterLine>& lines) {
  std::vector<FilterEntry> entries;
  entries.reserve(lines.size());
  for (const FilterLine& line : lines) entries.push_back(FilterEntry::Make(line.extension, line.enabled));
  Assign(std::move(entries));
}

void FilterList::Assign(std::vector<FilterEntry> entries) {
  entries_ = std::move(entries);
  enabledExtensions_.clear();
  matchesEverything_ = false;
  for (const FilterEntry& entry : entries_) {
    if (!entry.Enabled()) continue;
    std::string extension(entry.Extension());
    LowerLocal(extension);
    if (extension == kEveryFile) matchesEverything_ = true;
    enabledExtensions_.push_back(std::move(extension));
  }
}

}  // namespace marlinote
