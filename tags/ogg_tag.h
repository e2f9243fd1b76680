#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "tags/abstract_tag.h"

namespace marlinote {

class FileSample;
struct EditorState;

// The Vorbis comments of an Ogg Vorbis file. Writing rebuilds the file with the new comment
// header beside the old one and renames it over the old one (RewriteFile): until then the old
// file stays under its name untouched, and a failure leaves nothing behind. A symbolic link
// of the user's (or root's) is followed: the file it leads to is rebuilt beside itself, and
// the link stays. The file keeps its mode, owner and group, and gets a new inode.
class TOggTag : public TAbstractTag {
 public:
  // How the rewritten file's bytes leave the program; tests replace it to make writes fail.
  using WriteFunction = std::size_t (*)(const void* buffer, std::size_t size, std::size_t count,
                                        void* handle);

  TOggTag();
  explicit TOggTag(WriteFunction write);

  // The object that ReadTag(path) would make of the sampled file, or null where it fails.
  static std::unique_ptr<TOggTag> ReadFrom(const std::string& path, FileSample& file);

  int ReadTag(const std::string& path) override;
  int GetTagType() const override;
  bool RemoveTag() override;
  // Refuses, before anything is written, a file whose first stream is interleaved with
  // another (multiplexed): it cannot be rebuilt stream by stream.
  bool WriteTag() override;
  // WriteTag: an Ogg file's tag is its comment header, whatever it replaces.
  TagWriteResult ReplaceTag(const TAbstractTag& replaced) override;
  bool CanWriteFile() override;
  std::string_view TextEncoding() const override;

 protected:
  // The Vorbis keys of the seven fields are matched without regard to case, as Vorbis I says
  // field names are: "title=" is the Title.
  FieldOfKey KeyFolding() const override;

 private:
  // A comment as read: its key and value after conversion, and the UTF-8 bytes that write it
  // back exactly, so that pairs nobody changed survive characters code page 932 cannot hold.
  struct ReadComment {
    TagField field;
    std::string raw;
  };

  // Stores the path and takes the vendor and the comments of an opened editor.
  void TakeComments(const std::string& path, EditorState& state);
  // The comments as read, with the pairs they were read as.
  std::vector<ReadComment> CommentsAsRead() const;
  // The UTF-8 comments for the field list, in its order, without the "Vender" pairs.
  std::vector<std::string> CommentsToWrite() const;

  WriteFunction write_;
  // The comments as read, each as its length (4 bytes) and its UTF-8 bytes: one block
  // rather than a string per comment, since listed Ogg files keep them. Empty where every
  // comment is written back as it was read without them.
  std::string read_;
};

}  // namespace marlinote
