#pragma once

#include "mainwindow/user_interface.h"

class QWidget;

namespace marlinote {

// Message boxes and dialogs drawn by Qt, modal to the owner window.
class QtUserInterface : public UserInterface {
 public:
  explicit QtUserInterface(QWidget* owner) : owner_(owner) {}

  int Show(const std::string& text, const std::string& caption, int style) override;
  void ShowPlain(const std::string& text) override;
  int ShowModal(QDialog& dialog) override;
  std::optional<std::string> AskSaveFileName(const SaveFileRequest& request) override;
  void OpenWithAssociatedProgram(const std::string& path) override;
  std::unique_ptr<ProgressDisplay> ShowProgress(const std::string& caption, int files) override;

 private:
  QWidget* owner_;
};

}  // namespace marlinote
