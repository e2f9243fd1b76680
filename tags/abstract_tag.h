#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "tags/field_entries.h"
#include "tags/tag_field.h"

namespace marlinote {

class TailFile;

// What became of a write of a tag into its file.
enum class TagWriteResult {
  kWritten,
  // Nothing was written: the file cannot be opened for writing, or the tag to replace is no
  // longer at its end (another program changed the file).
  kNotReached,
  // The write failed and the file is as it was: a full disk, a tag too large to write, a
  // file that cannot be rebuilt.
  kFailed,
  // The write failed and the file could not be put back: it may not end with a tag.
  kLost,
};

// The tag object of one file: its path and its fields. A plain TAbstractTag stands for a
// file in which no known tag was found; the subclasses read, remove and write one kind.
// The virtual operations keep the order the rest of the program was designed around.
class TAbstractTag {
 public:
  TAbstractTag() = default;
  virtual ~TAbstractTag() = default;
  TAbstractTag(const TAbstractTag&) = delete;
  TAbstractTag& operator=(const TAbstractTag&) = delete;

  // 0 when read; -1 when the file cannot be opened or holds no tag of this kind, and then
  // path and fields are untouched.
  virtual int ReadTag(const std::string& path);
  // The value of the first pair with this key, or empty text. For a kind whose keys name the
  // seven fields without regard to case (KeyFolding), the value of the pair that shows the
  // field (ShownPair).
  virtual std::string GetField(std::string_view key) const;
  virtual int GetTagType() const;
  virtual std::string GetFilePath() const;
  // What follows the last "/" of the path.
  virtual std::string GetFileName() const;
  // The object's own list, lent to the caller.
  virtual FieldList& GetFieldList();
  // Replaces the first pair with this key, or appends one. For a kind whose keys fold, a
  // change of one of the seven fields leaves one pair of it (SetShownField). Always 1.
  virtual int SetField(std::string_view key, std::string_view value);
  // Runs this object's RemoveTag (result ignored), then appends a copy of every pair.
  virtual bool CopyFields(const FieldList& fields);
  virtual int SetFilePath(const std::string& path);
  virtual bool RemoveTag();
  virtual bool WriteTag();

  // The pairs as the fields they show, for another kind of tag to take over: where several
  // pairs show one of the seven fields (keys of other letter case), the one that shows it,
  // under the field's key. A kind whose keys do not fold gives its list as it is.
  FieldList ShownFields() const;
  // Writes the field list into the file in place of `replaced`'s tag: the object's own in a
  // save (`replaced` is this object), another kind's in a type change. It is the one step
  // of every save, done the way the object's kind allows without ever leaving the file
  // without a tag: a tag at the end of the file is replaced there (TailFile::Replace), an
  // Ogg file is rebuilt beside itself and renamed over (TOggTag). Where `replaced` has no
  // tag at the file's end (an Ogg stream, untagged data), a tag of this object's kind there
  // is replaced, else the new tag is appended.
  virtual TagWriteResult ReplaceTag(const TAbstractTag& replaced);
  // Whether WriteTag can rebuild this file as it is laid out. Asked before a save changes
  // anything: a file it cannot (an Ogg file whose first stream is interleaved with another)
  // is refused as a whole.
  virtual bool CanWriteFile();
  // After a tag of another kind took this object's place (the new object's ReplaceTag in a
  // type change), removes what is left of this object's tag: nothing for a kind whose tag the
  // new one was written over; a tag at the file's start is cut off (TID3v2Tag).
  virtual TagWriteResult RemoveReplacedTag();
  // Whether the tag stays in its file when the file is given a tag at its start (ID3v2):
  // an ID3v1 trailer does, for the players that read nothing else.
  virtual bool StaysBesideId3v2() const;
  // How the tag stores its texts: "cp932", "utf-8" or "utf-16"; empty for a kind without a
  // choice.
  virtual std::string_view TextEncoding() const;
  // The version of the tag's format where it has several ("2.3" for ID3v2.3); else empty.
  virtual std::string_view FormatVersion() const;

  const FieldList& GetFieldList() const { return fields_; }

 protected:
  // How the kind's keys name the seven fields when letter case is not minded; null for a
  // kind whose keys are compared exactly.
  virtual FieldOfKey KeyFolding() const;

  // For a kind whose tag is the last bytes of its file (APE, ID3v1), what ReplaceTag asks:
  // whether it is such a kind; where a tag of the kind that ends the open file begins
  // (nothing when the file does not end with one); the bytes of the object's tag, written
  // over the one at `start` when `own` (its own tag, read there), new otherwise (nothing when
  // no tag can be built); and the note that the file now ends with the object's tag.
  virtual bool TagEndsFile() const;
  virtual std::optional<std::int64_t> TagStart(const TailFile& file) const;
  virtual std::optional<std::string> RenderTag(const TailFile& file, std::int64_t start, bool own);
  virtual void TagWritten();
  // The same of another object, for a kind that writes elsewhere and cuts `tag`'s tag off.
  static bool TagEndsFileOf(const TAbstractTag& tag) { return tag.TagEndsFile(); }
  static std::optional<std::int64_t> TagStartOf(const TAbstractTag& tag, const TailFile& file) {
    return tag.TagStart(file);
  }

  std::string path_;
  FieldList fields_;
};

}  // namespace marlinote
