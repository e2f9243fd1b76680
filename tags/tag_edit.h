#pragma once

#include <memory>

#include "tags/abstract_tag.h"
#include "tags/ape_format.h"

namespace marlinote {

// A new, empty tag object of a kind that can be given to a file: TAPETag for 0, writing a new
// tag in the form of `apeEncoding`, TID3v1Tag for 1; null for any other type id.
std::unique_ptr<TAbstractTag> MakeTag(int type, ApeEncoding apeEncoding = ApeEncoding::kCp932);

enum class TypeChangeResult {
  kChanged,
  // The entry already has the kind, or the kind cannot be given (not APE or ID3v1).
  kNothingToDo,
  // The old tag could not be cut off, or the new one could not be written; the entry is
  // unchanged and the file keeps its old tag.
  kFailed,
};

struct TypeChange {
  TypeChangeResult result = TypeChangeResult::kNothingToDo;
  // The entry of the new kind when the result is kChanged; null otherwise.
  std::unique_ptr<TAbstractTag> replacement;
};

// Gives the entry's file a tag of the new kind carrying the entry's fields as it shows them
// (ShownFields): the old tag is cut off and the new one written. An old tag is cut off only
// when the file has room for the new one; when the new tag still cannot be written after the
// old one was cut off, the old tag is written back. A new APE tag is written in the form of
// `apeEncoding`. The compatibility check is the caller's.
TypeChange ChangeTagType(TAbstractTag& entry, int type,
                         ApeEncoding apeEncoding = ApeEncoding::kCp932);

// The same, replacing the entry in place on success.
TypeChangeResult ChangeTagType(std::unique_ptr<TAbstractTag>& entry, int type,
                               ApeEncoding apeEncoding = ApeEncoding::kCp932);

enum class SaveResult {
  kSaved,
  // No pair changed what the tag shows: nothing was written.
  kUnchanged,
  // A plain TAbstractTag: the file has no tag kind, so there is nothing to write.
  kNoTagKind,
  // The old tag could not be cut off; nothing was written, the file is unchanged and the
  // object's fields are restored to match it.
  kRemoveFailed,
  // The new tag could not be written: the file had no room for it, which is found before
  // the old tag is cut off, or its write failed and the old one was put back into the file.
  kWriteFailed,
  // The new tag could not be written and neither could the old one: the file has no tag.
  // Only when the room found for the new tag was taken in between, by another program.
  kTagLost,
  // The file is laid out so that its tag cannot be written (an Ogg file whose streams are
  // interleaved); nothing was written and the object's fields are as they were.
  kLayoutRefused,
};

// Sets each given pair in order, then cuts the old tag off and writes the new one. A pair
// whose value equals, byte for byte, the value the tag shows for its key changes nothing;
// when no pair changes anything, nothing is written. On a failed write the object's fields
// are restored to what they were before the edit, which is also what the file then holds
// again.
SaveResult SaveFields(TAbstractTag& tag, const FieldList& edits);

}  // namespace marlinote
