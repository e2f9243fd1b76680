#include "mainwindow/application.h"

#include <QIcon>
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
  // The installed desktop entry is marlinote.desktop: this lets desktops match the windows
  // to it (its name and icon in task bars and docks).
  setDesktopFileName(QStringLiteral("marlinote"));
  setWindowIcon(QIcon(QStringLiteral(":/icons/marlinote.svg")));
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
