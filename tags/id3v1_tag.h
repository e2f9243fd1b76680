#pragma once

#include "tags/abstract_tag.h"

namespace marlinote {

// The 128-byte ID3v1.1 trailer at the end of a file.
class TID3v1Tag : public TAbstractTag {
 public:
  int ReadTag(const std::string& path) override;
  int GetTagType() const override;
  bool RemoveTag() override;
  bool WriteTag() override;
};

}  // namespace marlinote
