#include "mainwindow/application.h"

#include <QMessageBox>
#include <exception>

#include "mainwindow/app_title.h"
#include "platform/message_box.h"

namespace marlinote {

std::string CurrentExceptionText() {
  try {
    throw;
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "不明なエラーが発生しました。";
  }
}

MarlinoteApplication::MarlinoteApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(kAppTitle);
  setApplicationDisplayName(kAppTitle);
}

void MarlinoteApplication::ShowError(const std::string& text) {
  if (errorDisplay_)
    errorDisplay_->Show(text, kAppTitle.toStdString(), kStyleError);
  else
    QMessageBox::critical(activeWindow(), kAppTitle, QString::fromStdString(text));
}

bool MarlinoteApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    ShowError(CurrentExceptionText());
  }
  return false;
}

}  // namespace marlinote
