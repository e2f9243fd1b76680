#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "tags/abstract_tag.h"

namespace marlinote {

class FileSample;

// The ID3v2 tag at the start of a file (versions 2.2 to 2.4; written as 2.3, or 2.4 when it
// was). The list holds the seven fields; every other frame stays in the file and keeps its
// value, since a save reads the tag on disk again and replaces only the frames of changed
// fields. A save whose tag fits the old one with its padding is one write in place; else the
// file is rebuilt beside itself and renamed over (RewriteFile), so that it holds the old
// tag or the new one. The other tags a file carries (an APE tag or an ID3v1 trailer at its
// end) get the same changes, each written in its own crash-safe way.
class TID3v2Tag : public TAbstractTag {
 public:
  // The object that ReadTag(path) would make of the sampled file, or null where it fails.
  static std::unique_ptr<TID3v2Tag> ReadFrom(const std::string& path, FileSample& file);

  int ReadTag(const std::string& path) override;
  int GetTagType() const override;
  // Cuts the tag off the start of the file.
  bool RemoveTag() override;
  // Writes the tag at the start of the file: over the one RemoveTag cut off, else over the
  // one there while it is this object's, else new.
  bool WriteTag() override;
  // In a save, the changed fields into this tag and every other tag of the file. In a type
  // change, a new 2.3 tag at the file's start; the replaced tag at the file's end is cut off
  // in the same rewrite unless it stays beside ID3v2 (an ID3v1 trailer). Nothing is put in
  // front of an Ogg stream.
  TagWriteResult ReplaceTag(const TAbstractTag& replaced) override;
  TagWriteResult RemoveReplacedTag() override;
  // The encoding of texts it writes: "utf-16" in 2.2 and 2.3 tags, "utf-8" in 2.4 tags.
  std::string_view TextEncoding() const override;
  std::string_view FormatVersion() const override;

 private:
  // Writes the fields at the start of the file open for writing, rendered over `base` (the
  // tag they were read from, or empty for a new tag), in place of `current` (the tag the file
  // begins with, or nothing) and of the bytes from `keepTo` to the end.
  TagWriteResult Put(TailFile& file, const std::string& base,
                     const std::optional<std::string>& current, std::int64_t keepTo);
  // Gives the other tags of the file the fields whose value differs from `before`.
  bool WriteOtherTags(const FieldList& before) const;

  // As read; a new tag is 2.3.
  signed char version_ = 3;
  bool onFile_ = false;
  // The tag RemoveTag cut off, until a write replaces it.
  std::unique_ptr<std::string> cut_;
};

}  // namespace marlinote
