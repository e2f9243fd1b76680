#include "dialogs/filter_setup_form.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <optional>

#include "dialogs/local_text.h"
#include "platform/message_box.h"

namespace marlinote {

namespace {

// The longest filter text, in code page 932 bytes.
constexpr std::size_t kMaxFilterBytes = 29;
constexpr int kLocalBytesRole = Qt::UserRole;

}  // namespace

TFilterSetupForm::TFilterSetupForm(QWidget* owner, MessageBoxes& messages)
    : ModalForm(owner, QStringLiteral("ファイルフィルタの設定"), 243, 215),
      FilterCheckListBox(Place<QListWidget>(this, "FilterCheckListBox", {8, 24, 121, 145})),
      FilterAddEdit(Place<QLineEdit>(this, "FilterAddEdit", {144, 40, 97, 20})),
      AddFilterBtn(PlaceButton(this, "AddFilterBtn", {184, 64, 57, 25}, QStringLiteral("追加"))),
      FilterDeleteBtn(
          PlaceButton(this, "FilterDeleteBtn", {136, 144, 57, 25}, QStringLiteral("削除"))),
      FilterOkBtn(PlaceButton(this, "FilterOkBtn", {32, 184, 73, 25}, QStringLiteral("適用"))),
      FilterCancelBtn(
          PlaceButton(this, "FilterCancelBtn", {136, 184, 65, 25}, QStringLiteral("中止"))),
      StaticText1(
          Place<QLabel>(this, "StaticText1", {8, 8, 84, 16}, QStringLiteral("ファイルフィルタ"))),
      StaticText2(
          Place<QLabel>(this, "StaticText2", {144, 24, 79, 16}, QStringLiteral("フィルタの追加"))),
      messages_(messages) {
  FilterCheckListBox->setSelectionMode(QAbstractItemView::SingleSelection);
  connect(AddFilterBtn, &QPushButton::clicked, this, &TFilterSetupForm::AddFilterBtnClick);
  connect(FilterDeleteBtn, &QPushButton::clicked, this, &TFilterSetupForm::FilterDeleteBtnClick);
  CloseOn(FilterOkBtn, kResultOk);
  CloseOn(FilterCancelBtn, kResultCancel);
  SetTabOrder({FilterCheckListBox, FilterAddEdit, AddFilterBtn, FilterDeleteBtn, FilterOkBtn,
               FilterCancelBtn});
  FilterCheckListBox->setFocus();
}

void TFilterSetupForm::AddLine(const std::string& text, bool checked) {
  auto* line = new QListWidgetItem(FromLocal(text), FilterCheckListBox);
  line->setData(kLocalBytesRole, QByteArray::fromStdString(text));
  line->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
  line->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

int TFilterSetupForm::LineCount() const { return FilterCheckListBox->count(); }

std::string TFilterSetupForm::LineText(int index) const {
  return FilterCheckListBox->item(index)->data(kLocalBytesRole).toByteArray().toStdString();
}

bool TFilterSetupForm::IsLineChecked(int index) const {
  return FilterCheckListBox->item(index)->checkState() == Qt::Checked;
}

void TFilterSetupForm::AddFilterBtnClick() {
  const QString text = FilterAddEdit->text();
  const std::optional<std::string> local = ToLocal(text);
  const char* refusal = nullptr;
  if (text.isEmpty())
    refusal = "フィルタ文字列が指定されていません。";
  else if (!text.startsWith(u'.'))
    refusal = "フィルタ文字列は . からはじめてください。";
  else if (!local)
    refusal = "フィルタ文字列に Shift-JIS で表せない文字が含まれています。";
  else if (local->size() > kMaxFilterBytes)
    refusal = "フィルタ文字列が長すぎます。";
  if (refusal) {
    messages_.Show(refusal, kCaptionError, kStyleError);
    return;
  }
  AddLine(*local, false);
}

void TFilterSetupForm::FilterDeleteBtnClick() {
  const QList<QListWidgetItem*> selected = FilterCheckListBox->selectedItems();
  if (selected.isEmpty()) return;
  delete selected.front();
  // No line is selected afterwards: a second press must not delete the next line.
  FilterCheckListBox->clearSelection();
}

}  // namespace marlinote
