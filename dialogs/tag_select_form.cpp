#include "dialogs/tag_select_form.h"

#include <QPushButton>
#include <QRadioButton>

#include "dialogs/radio_group.h"
#include "platform/message_box.h"

namespace marlinote {

TTagSelectForm::TTagSelectForm(QWidget* owner, bool singleFile)
    : ModalForm(owner, QStringLiteral("タグ選択"), 259, 186),
      TagTypeRadioGroup(Place<RadioGroup>(
          this, "TagTypeRadioGroup", {0, 8, 257, 121}, QStringLiteral("タグ形式選択"),
          QStringList{QStringLiteral("APE"), QStringLiteral("ID3v1")})),
      OK_Button(PlaceButton(this, "OK_Button", {8, 136, 105, 17}, QStringLiteral("タグ形式変更"))),
      CancelButton(
          PlaceButton(this, "CancelButton", {144, 136, 105, 17}, QStringLiteral("変更しない"))),
      AllButton(PlaceButton(this, "AllButton", {8, 160, 105, 17}, QStringLiteral("すべて変更"))),
      CancelAllButton(PlaceButton(this, "CancelAllButton", {144, 160, 105, 17},
                                  QStringLiteral("すべて変更しない"))) {
  CloseOn(OK_Button, kResultOk);
  CloseOn(CancelButton, kResultNo);
  CloseOn(AllButton, kResultYesToAll);
  CloseOn(CancelAllButton, kResultNoToAll);
  AllButton->setEnabled(!singleFile);
  CancelAllButton->setEnabled(!singleFile);

  QRadioButton* const first = TagTypeRadioGroup->item(0);
  SetTabOrder(
      {first, TagTypeRadioGroup->item(1), OK_Button, CancelButton, AllButton, CancelAllButton});
  first->setFocus();
}

int TTagSelectForm::itemIndex() const { return TagTypeRadioGroup->itemIndex(); }

}  // namespace marlinote
