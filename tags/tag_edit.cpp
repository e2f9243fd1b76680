#include "tag_edit.h"

#include <optional>

#include "tags/ape_tag.h"
#include "tags/id3v1_tag.h"
#include "tags/tag_types.h"
#include "tags/tail_io.h"

namespace marlinote {

namespace {

// Kinds whose RemoveTag cuts the tag off the file; their WriteTag puts it back from the
// fields the object still holds.
bool RemoveCutsFile(const TAbstractTag& tag) {
  const int type = tag.GetTagType();
  return type == kTagApe || type == kTagId3v1;
}

// Room at the end of the file for the tag that an APE or ID3v1 object writes from its fields.
// Looked for before an old tag is cut off: a full disk then fails the write while the old
// tag is still in place, instead of after it is gone with no room to put it back.
Room RoomForWrite(TAbstractTag& tag) {
  const std::optional<std::string> bytes = tag.TagToWrite();
  return bytes ? RoomAtEnd(tag.GetFilePath(), bytes->size()) : Room::kNone;
}

// The edits that change what the tag shows, in order.
FieldList Changes(const TAbstractTag& tag, const FieldList& edits) {
  FieldList changes;
  for (const TagField& edit : edits)
    if (tag.GetField(edit.key) != edit.value) changes.push_back(edit);
  return changes;
}

}  // namespace

std::unique_ptr<TAbstractTag> MakeTag(int type, ApeEncoding apeEncoding) {
  if (type == kTagApe) return std::make_unique<TAPETag>(NewApeForm(apeEncoding));
  if (type == kTagId3v1) return std::make_unique<TID3v1Tag>();
  return nullptr;
}

TypeChange ChangeTagType(TAbstractTag& entry, int type, ApeEncoding apeEncoding) {
  if (type == entry.GetTagType()) return {};
  std::unique_ptr<TAbstractTag> changed = MakeTag(type, apeEncoding);
  if (!changed) return {};
  changed->SetFilePath(entry.GetFilePath());
  if (RemoveCutsFile(entry)) {
    // The end of the file is the entry's own tag. A tag of the new kind seen there is bytes
    // of it (an APE value holding "TAG" 128 bytes before the end): cutting that would
    // destroy the entry's tag, so the fields are only copied.
    changed->GetFieldList() = entry.ShownFields();
  } else {
    // Behind an Ogg stream or untagged data, a tag of the new kind is cut off first.
    changed->CopyFields(entry.ShownFields());
  }
  if (RemoveCutsFile(entry) && RoomForWrite(*changed) != Room::kEnough)
    return {TypeChangeResult::kFailed, nullptr};
  if (!entry.RemoveTag()) return {TypeChangeResult::kFailed, nullptr};
  if (!changed->WriteTag()) {
    if (RemoveCutsFile(entry)) entry.WriteTag();
    return {TypeChangeResult::kFailed, nullptr};
  }
  return {TypeChangeResult::kChanged, std::move(changed)};
}

TypeChangeResult ChangeTagType(std::unique_ptr<TAbstractTag>& entry, int type,
                               ApeEncoding apeEncoding) {
  TypeChange change = ChangeTagType(*entry, type, apeEncoding);
  if (change.replacement) entry = std::move(change.replacement);
  return change.result;
}

SaveResult SaveFields(TAbstractTag& tag, const FieldList& edits) {
  const bool hasKind = tag.GetTagType() != kTagNone;
  const FieldList changes = hasKind ? Changes(tag, edits) : edits;
  if (hasKind && changes.empty()) return SaveResult::kUnchanged;
  if (!tag.CanWriteFile()) return SaveResult::kLayoutRefused;
  const FieldList before = tag.GetFieldList();
  for (const TagField& f : changes) tag.SetField(f.key, f.value);
  if (RemoveCutsFile(tag)) {
    const Room room = RoomForWrite(tag);
    if (room != Room::kEnough) {
      tag.GetFieldList() = before;
      return room == Room::kNoAccess ? SaveResult::kRemoveFailed : SaveResult::kWriteFailed;
    }
  }
  if (!tag.RemoveTag()) {
    // The file kept its old tag; the object says so too, so the list shows what is on disk.
    tag.GetFieldList() = before;
    return SaveResult::kRemoveFailed;
  }
  if (tag.GetTagType() == kTagNone) return SaveResult::kNoTagKind;
  if (tag.WriteTag()) return SaveResult::kSaved;
  tag.GetFieldList() = before;
  if (RemoveCutsFile(tag) && !tag.WriteTag()) return SaveResult::kTagLost;
  return SaveResult::kWriteFailed;
}

}  // namespace marlinote
