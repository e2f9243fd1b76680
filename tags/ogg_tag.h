#pragma once

#include <cstddef>
#include <cstdio>

#include "tags/abstract_tag.h"

namespace marlinote {

// The Vorbis comments of an Ogg Vorbis file. Writing rebuilds the file from a backup copy
// named "<path>.src", which is removed on success and put back on failure.
class TOggTag : public TAbstractTag {
 public:
  // How the rewritten file's bytes leave the program; tests replace it to make writes fail.
  using WriteFunction = std::size_t (*)(const void* buffer, std::size_t size, std::size_t count,
                                        void* handle);

  TOggTag();
  explicit TOggTag(WriteFunction write);

  int ReadTag(const std::string& path) override;
  int GetTagType() const override;
  bool RemoveTag() override;
  bool WriteTag() override;

 private:
  // A comment as read: its key and value after conversion, and its original UTF-8 bytes,
  // so that pairs nobody changed are written back exactly.
  struct ReadComment {
    TagField field;
    std::string raw;
  };

  WriteFunction write_;
  std::vector<ReadComment> read_;
};

}  // namespace marlinote
