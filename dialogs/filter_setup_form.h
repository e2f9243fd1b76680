#pragma once

#include <string>

#include "dialogs/modal_form.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace marlinote {

class MessageBoxes;

// "ファイルフィルタの設定": the extension texts that decide which files are listed, one line
// each with a check mark that enables it. The caller fills the lines, runs the dialog and, on
// 1 ("適用"), reads them back; "中止" and the close box give 2.
class TFilterSetupForm : public ModalForm {
  Q_OBJECT

 public:
  TFilterSetupForm(QWidget* owner, MessageBoxes& messages);

  // Lines hold code page 932 bytes; the caller's bytes come back unchanged, also bytes that
  // code page 932 does not define.
  void AddLine(const std::string& text, bool checked);
  int LineCount() const;
  std::string LineText(int index) const;
  bool IsLineChecked(int index) const;

  QListWidget* const FilterCheckListBox;
  QLineEdit* const FilterAddEdit;
  QPushButton* const AddFilterBtn;
  QPushButton* const FilterDeleteBtn;
  QPushButton* const FilterOkBtn;
  QPushButton* const FilterCancelBtn;
  QLabel* const StaticText1;
  QLabel* const StaticText2;

 private:
  void AddFilterBtnClick();
  void FilterDeleteBtnClick();

  MessageBoxes& messages_;
};

}  // namespace marlinote
