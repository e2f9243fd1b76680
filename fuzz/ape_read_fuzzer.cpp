// TAPETag over any file: reading must never crash, and a tag that was read must survive
// being cut off and written again, with the bytes in front of it untouched.
#include <cstddef>
#include <cstdint>

#include "fuzz/memory_file.h"
#include "tags/ape_tag.h"

using marlinote::FieldList;
using marlinote::TAPETag;
using marlinote::fuzz::Check;
using marlinote::fuzz::MemoryFile;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static MemoryFile file;
  file.Assign(data, size);
  TAPETag tag;
  if (tag.ReadTag(file.path()) != 0) {
    Check(tag.GetFilePath().empty() && tag.GetFieldList().empty());
    return 0;
  }
  const FieldList read = tag.GetFieldList();
  const std::string before = file.Bytes();
  Check(tag.RemoveTag());
  const std::string cut = file.Bytes();
  Check(cut.size() < before.size() && before.compare(0, cut.size(), cut) == 0);
  Check(tag.WriteTag());
  TAPETag again;
  Check(again.ReadTag(file.path()) == 0);
  Check(again.GetFieldList() == read);
  return 0;
}
