#pragma once

#include <memory>
#include <string>

#include "tags/abstract_tag.h"

namespace marlinote {

class FileSample;

// The 128-byte ID3v1.1 trailer at the end of a file. A save writes the fields over the
// trailer the file holds then: the slots of unchanged fields keep their bytes.
class TID3v1Tag : public TAbstractTag {
 public:
  // The object that ReadTag(path) would make of the sampled file, or null where it fails.
  static std::unique_ptr<TID3v1Tag> ReadFrom(const std::string& path, const FileSample& file);

  int ReadTag(const std::string& path) override;
  int GetTagType() const override;
  bool RemoveTag() override;
  // Appends the trailer, written over the one RemoveTag cut off, else over the one at the
  // end of the file while it is this object's.
  bool WriteTag() override;
  bool StaysBesideId3v2() const override;

 protected:
  bool TagEndsFile() const override;
  std::optional<std::int64_t> TagStart(const TailFile& file) const override;
  // The fields written over the trailer at the file's end when `own`, else a new trailer.
  std::optional<std::string> RenderTag(const TailFile& file, std::int64_t start, bool own) override;
  void TagWritten() override;

 private:
  // The file ends with this object's trailer (read or written by it).
  bool onFile_ = false;
  // The trailer RemoveTag cut off, until a write replaces it.
  std::unique_ptr<std::string> cut_;
};

}  // namespace marlinote
