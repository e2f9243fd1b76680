#include "mainwindow/tag_type_change.h"

#include "mainwindow/user_interface.h"
#include "tags/tag_edit.h"
#include "tags/tag_types.h"

namespace marlinote {

bool ConvertTagType(CommandContext& context, int type, int index) {
  TAbstractTag& entry = context.state.files.Get(index);
  if (context.state.settings.DataTypeCheck) {
    switch (CheckTagCompatibility(entry.GetFilePath(), type)) {
      case kDataUnreadable:
        return false;
      case kDataUnusual:
        if (context.ui.Show(entry.GetFileName() + " のデータ形式には、一般的に " +
                                TagTypeName(type) +
                                " 形式のタグは使用しません。\nタグ形式変換を続行しますか?",
                            kCaptionWarning, kStyleQuestion) != kResultYes)
          return true;
        break;
      case kDataImpossible:
        context.ui.Show(entry.GetFileName() + " のデータ形式は、この種類のタグに変更できません。",
                        kCaptionWarning, kStyleWarning);
        return true;
      default:
        break;
    }
  }
  TypeChange change = ChangeTagType(
      entry, type, context.state.settings.ApeUtf8 ? ApeEncoding::kUtf8 : ApeEncoding::kCp932);
  if (change.result == TypeChangeResult::kFailed) return false;
  if (change.replacement) ReadBack(context.state, index);
  return true;
}

void ConvertTagTypeOrReport(CommandContext& context, int type, int index) {
  if (!ConvertTagType(context, type, index))
    context.ui.Show(AccessMessage(context.state.files.Get(index).GetFileName()), kCaptionError,
                    kStyleError);
}

void ConvertSelectedTagTypes(CommandContext& context, int type, const std::vector<int>& rows) {
  for (int row : rows) {
    if (context.state.stopRequested) break;
    ConvertTagTypeOrReport(context, type, row);
  }
}

}  // namespace marlinote
