#pragma once

#include <string>
#include <string_view>

#include "tag_field.h"

namespace marlinote {

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
  // The value of the first pair with this key, or empty text.
  virtual std::string GetField(std::string_view key) const;
  virtual int GetTagType() const;
  virtual std::string GetFilePath() const;
  // What follows the last "/" of the path.
  virtual std::string GetFileName() const;
  // The object's own list, lent to the caller.
  virtual FieldList& GetFieldList();
  // Replaces the first pair with this key, or appends one. Always 1.
  virtual int SetField(std::string_view key, std::string_view value);
  // Runs this object's RemoveTag (result ignored), then appends a copy of every pair.
  virtual bool CopyFields(const FieldList& fields);
  virtual int SetFilePath(const std::string& path);
  virtual bool RemoveTag();
  virtual bool WriteTag();

  const FieldList& GetFieldList() const { return fields_; }

 protected:
  std::string path_;
  FieldList fields_;
};

}  // namespace marlinote
