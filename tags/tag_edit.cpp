#include "tag_edit.h"

#include "tags/ape_tag.h"
#include "tags/id3v1_tag.h"
#include "tags/id3v2_tag.h"
#include "tags/tag_types.h"

namespace marlinote {

namespace {

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
  if (type == kTagId3v2) return std::make_unique<TID3v2Tag>();
  return nullptr;
}

TypeChange ChangeTagType(TAbstractTag& entry, int type, ApeEncoding apeEncoding) {
  if (type == entry.GetTagType()) return {};
  std::unique_ptr<TAbstractTag> changed = MakeTag(type, apeEncoding);
  if (!changed) return {};
  changed->SetFilePath(entry.GetFilePath());
  changed->GetFieldList() = entry.ShownFields();
  if (changed->ReplaceTag(entry) != TagWriteResult::kWritten ||
      entry.RemoveReplacedTag() != TagWriteResult::kWritten)
    return {TypeChangeResult::kFailed, nullptr};
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
  if (!hasKind) {
    // A file without a tag kind: its object's RemoveTag empties the list, as it always has.
    tag.RemoveTag();
    return SaveResult::kNoTagKind;
  }
  const FieldList before = tag.GetFieldList();
  for (const TagField& f : changes) tag.SetField(f.key, f.value);
  const TagWriteResult written = tag.ReplaceTag(tag);
  if (written == TagWriteResult::kWritten) return SaveResult::kSaved;
  // The file kept its old tag; the object says so too, so the list shows what is on disk.
  tag.GetFieldList() = before;
  switch (written) {
    case TagWriteResult::kNotReached:
      return SaveResult::kRemoveFailed;
    case TagWriteResult::kLost:
      return SaveResult::kTagLost;
    case TagWriteResult::kWritten:
    case TagWriteResult::kFailed:
      break;
  }
  return SaveResult::kWriteFailed;
}

}  // namespace marlinote
