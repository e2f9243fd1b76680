#include "tag_probe.h"

#include "tags/ape_tag.h"
#include "tags/file_sample.h"
#include "tags/id3v1_tag.h"
#include "tags/id3v2_tag.h"
#include "tags/ogg_tag.h"

namespace marlinote {

namespace {

template <typename Tag>
std::unique_ptr<TAbstractTag> TryKind(const std::string& path) {
  auto tag = std::make_unique<Tag>();
  if (tag->ReadTag(path) != 0) return nullptr;
  return tag;
}

std::unique_ptr<TAbstractTag> NoKnownTag(const std::string& path) {
  auto none = std::make_unique<TAbstractTag>();
  none->ReadTag(path);
  return none;
}

}  // namespace

std::unique_ptr<TAbstractTag> CreateTagForSample(const std::string& path, FileSample& file,
                                                 FileSample::OpenResult opened) {
  switch (opened) {
    case FileSample::OpenResult::kRead:
      break;
    case FileSample::OpenResult::kCannotOpen:
    case FileSample::OpenResult::kNotRegular:
      return NoKnownTag(path);
    case FileSample::OpenResult::kCannotRead:
      // A read error: each kind decides in its own way.
      return ProbeKindsInTurn(path);
  }
  // The order of ProbeKindsInTurn.
  if (auto tag = TID3v2Tag::ReadFrom(path, file)) return tag;
  if (auto tag = TAPETag::ReadFrom(path, file)) return tag;
  if (auto tag = TOggTag::ReadFrom(path, file)) return tag;
  if (auto tag = TID3v1Tag::ReadFrom(path, file)) return tag;
  return NoKnownTag(path);
}

std::unique_ptr<TAbstractTag> CreateTagForFile(const std::string& path) {
  FileSample file;
  return CreateTagForSample(path, file, file.Open(path));
}

std::unique_ptr<TAbstractTag> ProbeKindsInTurn(const std::string& path) {
  // ID3v2 first, as players read it first. Then APE: a file with an APE tag at its very end
  // and an ID3v1 trailer in front of it is an APE file; one whose ID3v1 trailer stands
  // behind an APE tag is an ID3v1 file.
  if (auto tag = TryKind<TID3v2Tag>(path)) return tag;
  if (auto tag = TryKind<TAPETag>(path)) return tag;
  if (auto tag = TryKind<TOggTag>(path)) return tag;
  if (auto tag = TryKind<TID3v1Tag>(path)) return tag;
  return NoKnownTag(path);
}

}  // namespace marlinote
