// TID3v1Tag over any file: reading must never crash; a trailer that was read is cut off
// exactly and written back byte for byte, and a trailer written from fields alone reads and
// writes back unchanged.
#include <cstddef>
#include <cstdint>

#include "fuzz/memory_file.h"
#include "tags/id3v1_tag.h"
#include "tags/id3v1_trailer.h"

using marlinote::kId3v1Size;
using marlinote::ParseId3v1Trailer;
using marlinote::RenderId3v1Trailer;
using marlinote::TID3v1Tag;
using marlinote::fuzz::Check;
using marlinote::fuzz::MemoryFile;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static MemoryFile file;
  file.Assign(data, size);
  TID3v1Tag tag;
  if (tag.ReadTag(file.path()) != 0) {
    Check(tag.GetFilePath().empty() && tag.GetFieldList().empty());
    return 0;
  }
  const std::string before = file.Bytes();
  Check(tag.RemoveTag());
  Check(file.Bytes() == before.substr(0, before.size() - kId3v1Size));
  Check(tag.WriteTag());
  Check(file.Bytes() == before);
  const std::string trailer = RenderId3v1Trailer(tag.GetFieldList());

  // A trailer this program wrote is what it writes again once read back.
  const auto once = ParseId3v1Trailer(trailer);
  Check(once.has_value());
  const std::string rewritten = RenderId3v1Trailer(*once);
  const auto twice = ParseId3v1Trailer(rewritten);
  Check(twice.has_value() && RenderId3v1Trailer(*twice) == rewritten);
  return 0;
}
