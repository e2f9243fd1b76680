#pragma once

#include <memory>

#include "tags/abstract_tag.h"
#include "tags/ape_format.h"

namespace marlinote {

class FileSample;
struct ApeTagBlock;

// An APE tag (items and a 32-byte footer, perhaps a header in front of them) that ends
// exactly at the end of a file. A save writes the fields over the tag the file holds then:
// items whose pair nobody changed keep every byte, and the tag keeps its version, header
// and text encoding.
class TAPETag : public TAbstractTag {
 public:
  // An object for a file without an APE tag; a tag it writes is new, in `form`.
  explicit TAPETag(ApeForm form = kApeShiftJisForm);
  ~TAPETag() override;

  // The object that ReadTag(path) would make of the sampled file, or null where it fails.
  static std::unique_ptr<TAPETag> ReadFrom(const std::string& path, FileSample& file);

  int ReadTag(const std::string& path) override;
  int GetTagType() const override;
  // Cuts the tag off the end of the file, its header included.
  bool RemoveTag() override;
  // Appends the tag, written over the one RemoveTag cut off, else over the one at the end of
  // the file while it is this object's, else new in the object's form.
  bool WriteTag() override;
  std::string_view TextEncoding() const override;

 protected:
  // The keys of the seven fields are matched without regard to case (APEv2 keys are
  // case-insensitive): "TITLE" is the Title.
  FieldOfKey KeyFolding() const override;
  bool TagEndsFile() const override;
  std::optional<std::int64_t> TagStart(const TailFile& file) const override;
  // The fields written over the tag at the file's end when `own`, else into a new tag in the
  // object's form.
  std::optional<std::string> RenderTag(const TailFile& file, std::int64_t start, bool own) override;
  void TagWritten() override;

 private:
  // As read, or the form of a new tag.
  ApeForm form_;
  // The file ends with this object's tag (read or written by it).
  bool onFile_ = false;
  // The tag RemoveTag cut off, until a write replaces it.
  std::unique_ptr<ApeTagBlock> cut_;
};

}  // namespace marlinote
