#pragma once

#include <memory>

#include "tags/abstract_tag.h"
#include "tags/ape_format.h"

namespace marlinote {

// A new, empty tag object of a kind that can be given to a file: TAPETag for 0, writing a new
// tag in the form of `apeEncoding`, TID3v1Tag for 1, TID3v2Tag for 3 (a 2.3 tag); null for
// any other type id.
std::unique_ptr<TAbstractTag> MakeTag(int type, ApeEncoding apeEncoding = ApeEncoding::kCp932);

enum class TypeChangeResult {
  kChanged,
  // The entry already has the kind, or the kind cannot be given (not APE, ID3v1 or ID3v2).
  kNothingToDo,
  // The new tag could not be written; the entry is unchanged and the file keeps its old tag
  // (unless cutting it back after a failed write failed too).
  kFailed,
};

struct TypeChange {
  TypeChangeResult result = TypeChangeResult::kNothingToDo;
  // The entry of the new kind when the result is kChanged; null otherwise.
  std::unique_ptr<TAbstractTag> replacement;
};

// Gives the entry's file a tag of the new kind carrying the entry's fields as it shows them
// (ShownFields), written in place of the entry's tag in one crash-safe replacement of the
// file's end (TAbstractTag::ReplaceTag): the file ends with the old tag or the new one,
// whenever the program is stopped. An ID3v2 tag replaced by a tag at the file's end is cut
// off after the new tag is written (RemoveReplacedTag). A new APE tag is written in the form
// of `apeEncoding`. The compatibility check is the caller's.
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
  // The file could not be opened for writing, or its tag is no longer at its end (another
  // program changed it): nothing was written, and the object's fields are restored to match
  // the file.
  kRemoveFailed,
  // The new tag could not be written (a full disk, a tag larger than its kind allows, a
  // file that cannot be rebuilt beside itself): the file is as it was, and so are the
  // object's fields.
  kWriteFailed,
  // The new tag could not be written and the file could not be put back either: it may no
  // longer end with a tag. Only when a write fails and cutting the file back fails too.
  kTagLost,
  // The file is laid out so that its tag cannot be written (an Ogg file whose streams are
  // interleaved); nothing was written and the object's fields are as they were.
  kLayoutRefused,
};

// Sets each given pair in order, then writes the tag in place of the old one
// (TAbstractTag::ReplaceTag). A pair whose value equals, byte for byte, the value the tag
// shows for its key changes nothing; when no pair changes anything, nothing is written. On a
// failed write the object's fields are restored to what they were before the edit, which is
// also what the file holds.
SaveResult SaveFields(TAbstractTag& tag, const FieldList& edits);

}  // namespace marlinote
