#pragma once

#include <QString>
#include <memory>
#include <optional>
#include <string>

#include "platform/message_box.h"

class QDialog;

namespace marlinote {

// What the save dialog of the CSV export offers.
struct SaveFileRequest {
  QString filterName;        // shown as the filter's name
  QString pattern;           // "*.csv"
  QString defaultExtension;  // appended when the name has none
  QString proposedPath;      // the name chosen last time, or empty
  QString folder;            // where the dialog opens: the listed folder
};

// Shows how far a save or type change over several files has come; closes when destroyed.
class ProgressDisplay {
 public:
  virtual ~ProgressDisplay() = default;
  // `done` files are done and `fileName` (native bytes) comes next. False once the user has
  // asked to stop.
  virtual bool Show(int done, const std::string& fileName) = 0;
};

// Every blocking call of the main window goes through here: message boxes, modal dialogs,
// the save dialog and handing a file to its associated program. Tests script the answers.
class UserInterface : public MessageBoxes {
 public:
  // Shows the dialog modally and returns its result (1, 2, 7, 9, 10).
  virtual int ShowModal(QDialog& dialog) = 0;
  // The chosen path (native bytes), or nothing when the user cancelled.
  virtual std::optional<std::string> AskSaveFileName(const SaveFileRequest& request) = 0;
  virtual void OpenWithAssociatedProgram(const std::string& path) = 0;
  // The progress of work over `files` files, under this caption; null shows nothing.
  virtual std::unique_ptr<ProgressDisplay> ShowProgress(const std::string& caption, int files) = 0;
};

}  // namespace marlinote
