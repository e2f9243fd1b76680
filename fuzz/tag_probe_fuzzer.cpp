// The folder scan's probe over any file: one open, the head and the tail read once and the
// three kinds looked for in them, must make exactly the object that each kind's own reader
// makes in turn (the same kind, path and fields), and never crash.
#include <cstddef>
#include <cstdint>

#include "fuzz/memory_file.h"
#include "tags/tag_probe.h"

using marlinote::fuzz::Check;
using marlinote::fuzz::MemoryFile;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static MemoryFile file;
  file.Assign(data, size);
  const auto sampled = marlinote::CreateTagForFile(file.path());
  const auto inTurn = marlinote::ProbeKindsInTurn(file.path());
  Check(sampled->GetTagType() == inTurn->GetTagType());
  Check(sampled->GetFilePath() == inTurn->GetFilePath());
  Check(sampled->GetFieldList() == inTurn->GetFieldList());
  return 0;
}
