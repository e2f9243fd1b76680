#pragma once

#include "tags/abstract_tag.h"

namespace marlinote {

// An APE tag (items and a 32-byte footer, no header) that ends exactly at the end of a file.
class TAPETag : public TAbstractTag {
 public:
  int ReadTag(const std::string& path) override;
  int GetTagType() const override;
  bool RemoveTag() override;
  bool WriteTag() override;
};

}  // namespace marlinote
