// TID3v2Tag over any file: reading must never crash, and the probe reads what ReadTag reads.
// A tag that was read renders again, unchanged, as a tag that reads as the same fields and
// fits where the old one was; with one field changed it reads as the new value and the same
// other fields.
#include <cstddef>
#include <cstdint>

#include "fuzz/memory_file.h"
#include "tags/id3v2_frames.h"
#include "tags/id3v2_tag.h"
#include "tags/tag_probe.h"
#include "tags/tag_types.h"

using marlinote::FieldList;
using marlinote::ParseId3v2Tag;
using marlinote::ReadId3v2Header;
using marlinote::RenderId3v2Tag;
using marlinote::TID3v2Tag;
using marlinote::fuzz::Check;
using marlinote::fuzz::MemoryFile;

namespace {

void SetTitle(FieldList& fields, const std::string& title) {
  for (auto& f : fields)
    if (f.key == "Title") {
      f.value = title;
      return;
    }
  fields.insert(fields.begin(), {"Title", title});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static MemoryFile file;
  file.Assign(data, size);
  TID3v2Tag tag;
  if (tag.ReadTag(file.path()) != 0) {
    Check(tag.GetFilePath().empty() && tag.GetFieldList().empty());
    return 0;
  }
  const auto probed = marlinote::CreateTagForFile(file.path());
  Check(probed->GetTagType() == marlinote::kTagId3v2 && probed->GetFieldList() == tag.GetFieldList());
  const std::string bytes = file.Bytes();
  const auto header = ReadId3v2Header(bytes);
  Check(header.has_value());
  const std::string old = bytes.substr(0, static_cast<std::size_t>(header->size));

  const auto same = RenderId3v2Tag(old, tag.GetFieldList());
  if (!same) return 0;
  const auto again = ParseId3v2Tag(*same);
  Check(again.has_value() && again->fields == tag.GetFieldList());

  FieldList changed = tag.GetFieldList();
  SetTitle(changed, "\x90\x56\x82\xB5\x82\xA2");  // 新しい
  const auto rendered = RenderId3v2Tag(old, changed);
  Check(rendered.has_value());
  const auto back = ParseId3v2Tag(*rendered);
  Check(back.has_value() && back->fields == changed);
  return 0;
}
