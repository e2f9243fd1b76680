#pragma once

#include "dialogs/modal_form.h"

class QPushButton;

namespace marlinote {

class RadioGroup;

// "その他の設定": what a double click on a row of the tag list does (item 0 opens the tag
// edit dialog, item 1 opens the file with its associated program) and how new APE tags store
// their texts (item 0 Shift-JIS, item 1 UTF-8). "OK" gives 1; "キャンセル" and the close box
// give 2.
class TOtherSetupForm : public ModalForm {
  Q_OBJECT

 public:
  explicit TOtherSetupForm(QWidget* owner);

  int itemIndex() const;
  void setItemIndex(int index);

  RadioGroup* const MouseLeftButtonRadioGroup;
  RadioGroup* const ApeEncodingRadioGroup;
  QPushButton* const OkButton;
  QPushButton* const CancelButton;
};

}  // namespace marlinote
