#include "mainwindow/tag_type_change.h"

#include "mainwindow/user_interface.h"
#include "tags/tag_edit.h"
#include "tags/tag_types.h"

namespace marlinote {

FileOutcome ConvertTagType(CommandContext& context, int type, int index) {
  TAbstractTag& entry = context.state.files.Get(index);
  if (context.state.settings.DataTypeCheck) {
    switch (CheckTagCompatibility(entry.GetFilePath(), type)) {
      case kDataUnreadable:
        return FileOutcome::kFailed;
      case kDataUnusual:
        if (context.ui.Show(entry.GetFileName() + " のデータ形式には、一般的に " +
                                TagTypeName(type) +
                                " 形式のタグは使用しません。\nタグ形式変換を続行しますか?",
                            kCaptionWarning, kStyleQuestion) != kResultYes)
          return FileOutcome::kUntouched;
        break;
      case kDataImpossible:
        context.ui.Show(entry.GetFileName() + " のデータ形式は、この種類のタグに変更できません。",
                        kCaptionWarning, kStyleWarning);
        return FileOutcome::kUntouched;
      default:
        break;
    }
  }
  TypeChange change = ChangeTagType(
      entry, type, context.state.settings.ApeUtf8 ? ApeEncoding::kUtf8 : ApeEncoding::kCp932);
  if (change.result == TypeChangeResult::kFailed) return FileOutcome::kFailed;
  if (!change.replacement) return FileOutcome::kUntouched;
  ReadBack(context.state, index);
  return FileOutcome::kWritten;
}

FileOutcome ConvertTagTypeOrReport(CommandContext& context, int type, int index) {
  const FileOutcome outcome = ConvertTagType(context, type, index);
  if (outcome == FileOutcome::kFailed)
    context.ui.Show(AccessMessage(context.state.files.Get(index).GetFileName()), kCaptionError,
                    kStyleError);
  return outcome;
}

BatchOutcome ConvertSelectedTagTypes(CommandContext& context, int type,
                                     const std::vector<int>& rows) {
  BatchRun batch(context, kTypeChangeCaption, static_cast<int>(rows.size()));
  for (int row : rows) {
    if (!batch.Next(context.state.files.Get(row).GetFileName())) break;
    batch.Count(ConvertTagTypeOrReport(context, type, row));
  }
  return batch.Outcome();
}

}  // namespace marlinote
