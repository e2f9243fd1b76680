#pragma once

#include <QAbstractButton>
#include <QDialog>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "mainwindow/qt_user_interface.h"
#include "mainwindow/user_interface.h"
#include "tests/dialogs/recording_message_boxes.h"

class QProgressDialog;

namespace marlinote::test {

// Everything a person would answer, scripted: message boxes answer in turn from `boxes`
// (which records every text shown), each modal dialog is handed to the next script, which
// sets its controls and gives its result, and save requests take the next scripted name.
class ScriptedUi : public UserInterface {
 public:
  using DialogScript = std::function<int(QDialog&)>;

  int Show(const std::string& text, const std::string& caption, int style) override {
    if (onShow) onShow(text);
    return boxes.Show(text, caption, style);
  }
  void ShowPlain(const std::string& text) override { boxes.ShowPlain(text); }

  // The dialog is shown for real (and made the active window) while its script runs.
  int ShowModal(QDialog& dialog) override;

  std::optional<std::string> AskSaveFileName(const SaveFileRequest& request) override {
    saveRequests.push_back(request);
    if (saveNames.empty()) {
      ADD_FAILURE() << "unexpected save request";
      return std::nullopt;
    }
    std::optional<std::string> name = saveNames.front();
    saveNames.pop_front();
    return name;
  }

  void OpenWithAssociatedProgram(const std::string& path) override { opened.push_back(path); }

  // Qt's own progress dialog, which `onProgress` sees before each file.
  std::unique_ptr<ProgressDisplay> ShowProgress(const std::string& caption, int files) override;

  // Adds a script for the next dialog, which must be a `Form`.
  template <typename Form>
  void Next(std::function<int(Form&)> script) {
    dialogs.push_back([script](QDialog& dialog) {
      auto* form = qobject_cast<Form*>(&dialog);
      if (!form) {
        ADD_FAILURE() << "another dialog came: " << dialog.windowTitle().toStdString();
        return kResultCancel;
      }
      return script(*form);
    });
  }

  RecordingMessageBoxes boxes;
  // Runs as each box (not a plain message) is shown, before it is answered.
  std::function<void(const std::string& text)> onShow;
  std::deque<DialogScript> dialogs;
  std::vector<QString> dialogTitles;  // of every dialog shown, in order
  std::deque<std::optional<std::string>> saveNames;
  std::vector<SaveFileRequest> saveRequests;
  std::vector<std::string> opened;
  // Runs before each file of work over several files, before the dialog is drawn for it.
  std::function<void(int done, const std::string& fileName)> onProgress;
  // The caption and file count of each progress dialog.
  std::vector<std::pair<std::string, int>> progress;

 private:
  QtUserInterface qt_{nullptr};
};

// Hands every call to a ScriptedUi that the test owns, so that what is shown while the
// window is destroyed can still be looked at.
class UiRef : public UserInterface {
 public:
  explicit UiRef(ScriptedUi& ui) : ui_(ui) {}
  int Show(const std::string& text, const std::string& caption, int style) override {
    return ui_.Show(text, caption, style);
  }
  void ShowPlain(const std::string& text) override { ui_.ShowPlain(text); }
  int ShowModal(QDialog& dialog) override { return ui_.ShowModal(dialog); }
  std::optional<std::string> AskSaveFileName(const SaveFileRequest& request) override {
    return ui_.AskSaveFileName(request);
  }
  void OpenWithAssociatedProgram(const std::string& path) override {
    ui_.OpenWithAssociatedProgram(path);
  }
  std::unique_ptr<ProgressDisplay> ShowProgress(const std::string& caption, int files) override {
    return ui_.ShowProgress(caption, files);
  }

 private:
  ScriptedUi& ui_;
};

// Clicks a button of a shown dialog; the dialog's result when the click closed it, else 0.
int Press(QAbstractButton* button);
// Closes a shown dialog by its close box; its result.
int CloseBox(QDialog& dialog);
// The progress dialog of work over several files, or null when there is none.
QProgressDialog* ProgressDialog();
// Runs `act` on the next modal window as soon as it is shown, from inside its own loop.
void OnNextModal(std::function<void(QWidget&)> act);

}  // namespace marlinote::test
