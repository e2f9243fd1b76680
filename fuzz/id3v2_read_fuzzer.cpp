// TID3v2Tag over any file: reading must never crash, and the probe reads what ReadTag reads:
// the folder scan's, and ProbeId3v2Tag over bytes given a few at a time, which reads only the
// frames of the fields and the headers of the others, gives exactly the fields of TagLib's
// reading of the whole tag. A tag that was read renders again, unchanged, as a tag that reads
// as the same fields and fits where the old one was; with one field changed it reads as the
// new value and the same other fields.
#include <cstddef>
#include <cstdint>

#include "fuzz/memory_file.h"
#include "tags/id3v2_frames.h"
#include "tags/id3v2_tag.h"
#include "tags/tag_probe.h"
#include "tags/tag_types.h"

using marlinote::FieldList;
using marlinote::ParseId3v2Tag;
using marlinote::ProbeId3v2Tag;
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
  const auto probed = marlinote::CreateTagForFile(file.path());
  if (tag.ReadTag(file.path()) != 0) {
    Check(tag.GetFilePath().empty() && tag.GetFieldList().empty() &&
          probed->GetTagType() != marlinote::kTagId3v2);
    return 0;
  }
  Check(probed->GetTagType() == marlinote::kTagId3v2 && probed->GetFieldList() == tag.GetFieldList());
  const std::string bytes = file.Bytes();
  const auto header = ReadId3v2Header(bytes);
  Check(header.has_value());
  const std::string old = bytes.substr(0, static_cast<std::size_t>(header->size));
  std::string copy;
  const auto walked = ProbeId3v2Tag([&](std::size_t offset,
                                        std::size_t count) -> std::optional<std::string_view> {
    if (offset > old.size() || count > old.size() - offset) return std::nullopt;
    copy = old.substr(offset, count);  // a view that holds only until the next read
    return copy;
  });
  Check(walked.has_value() && walked->fields == tag.GetFieldList());

  const auto same = RenderId3v2Tag(old, tag.GetFieldList());
  if (!same) return 0;
  const auto again = ParseId3v2Tag(*same);
  Check(again.has_value() && again->fields == tag.GetFieldList());

  FieldList changed = tag.GetFieldList();
  SetTitle(changed, "\x90\x56\x82\xB5\x82\xA2");  // 新しい
  // A render may fail on tags TagLib cannot render as they read (the save then writes
  // nothing), never give a tag that reads otherwise.
  const auto rendered = RenderId3v2Tag(old, changed);
  if (!rendered) return 0;
  const auto back = ParseId3v2Tag(*rendered);
  Check(back.has_value() && back->fields == changed);
  return 0;
}
