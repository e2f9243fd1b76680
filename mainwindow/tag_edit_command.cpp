#include "mainwindow/tag_edit_command.h"

#include <algorithm>
#include <optional>

#include "dialogs/local_text.h"
#include "dialogs/tag_edit_form.h"
#include "dialogs/tag_select_form.h"
#include "mainwindow/tag_type_change.h"
#include "mainwindow/user_interface.h"
#include "tags/genre_table.h"
#include "tags/tag_edit.h"
#include "tags/tag_types.h"
#include "tags/text_conversion.h"

namespace marlinote {

namespace {

// An Ogg file whose streams are interleaved cannot be rebuilt; nothing was written to it.
constexpr const char* kMultiplexedOgg =
    " は複数のストリームが交互に並んだ Ogg ファイルのため、タグを書き換えられません。";

constexpr const char* kNoTagKind =
    "のタグ形式は設定されていないため、タグ情報を保存できません。\nタグ形式を設定しますか?";

// Asks for the kind of tag a file without one receives; gives the dialog's result and, for
// 1 and 10, the chosen kind.
int AskTagKind(CommandContext& context, int& kind) {
  TTagSelectForm select(context.owner, false);
  const int answer = context.ui.ShowModal(select);
  if (answer == kResultOk || answer == kResultYesToAll) kind = select.itemIndex();
  return answer;
}

using Field = TTagEditForm::Field;

std::size_t IndexOf(Field field) { return static_cast<std::size_t>(field); }

Prefill FillForm(TTagEditForm& form, const TAbstractTag& tag) {
  Prefill prefill;
  for (Field field : TTagEditForm::kFields) {
    std::string bytes = tag.GetField(TTagEditForm::FieldKey(field));
    form.SetText(field, FromLocal(bytes));
    prefill.shown[IndexOf(field)] = form.Text(field);
    prefill.bytes[IndexOf(field)] = std::move(bytes);
  }
  return prefill;
}

// The fields to write, in the order they are written; the dialog has made sure that code page
// 932 holds each of them. A value still as the pre-fill showed it keeps the file's own bytes.
FieldList FieldsToWrite(const TTagEditForm& form, const Prefill* prefill) {
  FieldList edits;
  for (Field field : TTagEditForm::kFields) {
    if (!form.Writes(field)) continue;
    const QString text = form.Text(field);
    const bool unchanged = prefill && text == prefill->shown[IndexOf(field)];
    const std::optional<std::string> local =
        unchanged ? prefill->bytes[IndexOf(field)] : ToLocal(text);
    edits.push_back({TTagEditForm::FieldKey(field), local ? *local : Utf8ToLocal(text.toStdString())});
  }
  return edits;
}

// An ID3v1 tag stores its genre as a byte of the genre table: where a selected file holds
// one, a genre the table lacks is refused before anything is written.
void GuardGenre(TTagEditForm& form, const TTagList& files, const std::vector<int>& rows) {
  const bool id3v1 = std::any_of(rows.begin(), rows.end(),
                                 [&](int row) { return files.Get(row).GetTagType() == kTagId3v1; });
  if (id3v1)
    form.SetGenreTest([](const std::string& genre) { return FindGenreIndex(genre).has_value(); });
}

// Writes the fields into the file of `row`; its row then shows what the file holds.
FileOutcome Save(CommandContext& context, int row, const FieldList& edits) {
  TAbstractTag& tag = context.state.files.Get(row);
  switch (SaveFields(tag, edits)) {
    case SaveResult::kSaved:
      ReadBack(context.state, row);
      return FileOutcome::kWritten;
    case SaveResult::kUnchanged:
    case SaveResult::kNoTagKind:
      return FileOutcome::kUntouched;
    case SaveResult::kRemoveFailed:
    case SaveResult::kWriteFailed:
    case SaveResult::kTagLost:
      break;
    case SaveResult::kLayoutRefused:
      // Not written, so counted with the failures.
      context.ui.Show(tag.GetFileName() + kMultiplexedOgg, kCaptionWarning, kStyleWarning);
      return FileOutcome::kFailed;
  }
  context.ui.Show(AccessMessage(tag.GetFileName()), kCaptionError, kStyleError);
  return FileOutcome::kFailed;
}

}  // namespace

std::optional<BatchOutcome> EditSelectedTags(CommandContext& context,
                                             const std::vector<int>& rows) {
  if (rows.empty()) return std::nullopt;
  TTagEditForm form(context.owner, context.ui);
  std::optional<Prefill> prefill;
  // A tag kind given to the one file before the dialog opens is a write of its own.
  FileOutcome converted = FileOutcome::kUntouched;
  if (rows.size() == 1) {
    const int row = rows.front();
    if (context.state.files.Get(row).GetTagType() == kTagNone &&
        context.ui.Show(std::string("現在このファイル") + kNoTagKind, kCaptionWarning,
                        kStyleQuestion) == kResultYes) {
      int kind = kTagNone;
      const int answer = AskTagKind(context, kind);
      if (answer == kResultOk || answer == kResultYesToAll)
        converted = ConvertTagTypeOrReport(context, kind, row);
    }
    prefill = FillForm(form, context.state.files.Get(row));
  }
  GuardGenre(form, context.state.files, rows);
  if (context.ui.ShowModal(form) == kResultOk)
    return ApplyTagEdit(context, form, rows, prefill ? &*prefill : nullptr, converted);
  if (converted == FileOutcome::kUntouched) return std::nullopt;
  BatchOutcome outcome{.caption = kTagEditCaption, .files = 1, .done = 1};
  (converted == FileOutcome::kWritten ? outcome.written : outcome.failed) = 1;
  return outcome;
}

BatchOutcome ApplyTagEdit(CommandContext& context, const TTagEditForm& form,
                          const std::vector<int>& rows, const Prefill* prefill,
                          FileOutcome before) {
  BatchRun batch(context, kTagEditCaption, static_cast<int>(rows.size()));
  if (rows.empty()) return batch.Outcome();
  const FieldList edits = FieldsToWrite(form, prefill);
  int lastAnswer = kResultOk;
  int chosenKind = kTagNone;
  int lastRow = rows.front();
  for (int row : rows) {
    if (!batch.Next(context.state.files.Get(row).GetFileName())) break;
    lastRow = row;
    FileOutcome outcome = rows.size() == 1 ? before : FileOutcome::kUntouched;
    if (context.state.files.Get(row).GetTagType() == kTagNone) {
      if (lastAnswer == kResultOk || lastAnswer == kResultNo) {
        const std::string name = context.state.files.Get(row).GetFileName();
        if (context.ui.Show(name + " " + kNoTagKind, kCaptionWarning, kStyleQuestion) ==
            kResultYes) {
          lastAnswer = AskTagKind(context, chosenKind);
          if (lastAnswer == kResultOk || lastAnswer == kResultYesToAll)
            outcome = ConvertTagTypeOrReport(context, chosenKind, row);
        }
      } else if (lastAnswer == kResultYesToAll) {
        outcome = ConvertTagTypeOrReport(context, chosenKind, row);
      }
    }
    if (!edits.empty()) outcome = Combine(outcome, Save(context, row, edits));
    batch.Count(outcome);
  }
  context.refreshRows(rows.front(), lastRow);
  return batch.Outcome();
}

}  // namespace marlinote
