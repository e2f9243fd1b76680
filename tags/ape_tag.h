#pragma once

#include <memory>

#include "tags/abstract_tag.h"

namespace marlinote {

class FileSample;

// An APE tag (items and a 32-byte footer, no header) that ends exactly at the end of a file.
class TAPETag : public TAbstractTag {
 public:
  // The object that ReadTag(path) would make of the sampled file, or null where it fails.
  static std::unique_ptr<TAPETag> ReadFrom(const std::string& path, FileSample& file);

  int ReadTag(const std::string& path) override;
  int GetTagType() const override;
  bool RemoveTag() override;
  bool WriteTag() override;
};

}  // namespace marlinote
