#pragma once

#include <memory>

#include "tags/abstract_tag.h"

namespace marlinote {

class FileSample;

// The 128-byte ID3v1.1 trailer at the end of a file.
class TID3v1Tag : public TAbstractTag {
 public:
  // The object that ReadTag(path) would make of the sampled file, or null where it fails.
  static std::unique_ptr<TID3v1Tag> ReadFrom(const std::string& path, const FileSample& file);

  int ReadTag(const std::string& path) override;
  int GetTagType() const override;
  bool RemoveTag() override;
  bool WriteTag() override;
};

}  // namespace marlinote
