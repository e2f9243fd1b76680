#pragma once

#include "dialogs/modal_form.h"

class QPushButton;

namespace marlinote {

class RadioGroup;

// "タグ選択": which kind of tag a file without one receives, and whether the answer holds
// for the further files of the run. Results: 1 this file, 7 not this file, 10 this and all
// further files, 9 none of them; the close box gives 2.
class TTagSelectForm : public ModalForm {
  Q_OBJECT

 public:
  // With `singleFile` the two answers for all files are shown but cannot be pressed.
  TTagSelectForm(QWidget* owner, bool singleFile);

  // The chosen kind as a tag type: 0 APE, 1 ID3v1.
  int itemIndex() const;

  RadioGroup* const TagTypeRadioGroup;
  QPushButton* const OK_Button;
  QPushButton* const CancelButton;
  QPushButton* const AllButton;
  QPushButton* const CancelAllButton;
};

}  // namespace marlinote
