#pragma once

#include <QString>
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

// Every blocking call of the main window goes through here: message boxes, modal dialogs,
// the save dialog and handing a file to its associated program. Tests script the answers.
class UserInterface : public MessageBoxes {
 public:
  // Shows the dialog modally and returns its result (1, 2, 7, 9, 10).
  virtual int ShowModal(QDialog& dialog) = 0;
  // The chosen path (native bytes), or nothing when the user cancelled.
  virtual std::optional<std::string> AskSaveFileName(const SaveFileRequest& request) = 0;
  virtual void OpenWithAssociatedProgram(const std::string& path) = 0;
};

}  // namespace marlinote
