#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

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
  // A comment as read: its key and value after conversion, and the UTF-8 bytes that write it
  // back exactly, so that pairs nobody changed survive characters code page 932 cannot hold.
  struct ReadComment {
    TagField field;
    std::string raw;
  };

  // The UTF-8 comments for the field list, in its order, without the "Vender" pairs.
  std::vector<std::string> CommentsToWrite() const;

  WriteFunction write_;
  std::vector<ReadComment> read_;
};

}  // namespace marlinote
