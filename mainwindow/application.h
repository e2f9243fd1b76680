#pragma once

#include <QApplication>

#include <string>

namespace marlinote {

class MessageBoxes;

// The text of the exception being handled (to be called inside a catch block).
std::string CurrentExceptionText();

// The application object: an exception that reaches the event loop is shown in an error box
// (the application's title as caption, the stop icon) and the window goes on running.
class MarlinoteApplication : public QApplication {
  Q_OBJECT

 public:
  MarlinoteApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;

  // Where the error box is shown: the main window's message boxes while it exists, a Qt box
  // of its own otherwise.
  void SetErrorDisplay(MessageBoxes* boxes) { errorDisplay_ = boxes; }
  MessageBoxes* ErrorDisplay() const { return errorDisplay_; }

  // Shows the error box with this text (UTF-8).
  void ShowError(const std::string& text);

 private:
  MessageBoxes* errorDisplay_ = nullptr;
};

}  // namespace marlinote
