#include "mainwindow/application.h"

#include <QMessageBox>
#include <exception>

#include "mainwindow/app_title.h"
#include "platform/message_box.h"

namespace marlinote {

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
  } catch (const std::exception& e) {
    ShowError(e.what());
  } catch (...) {
    ShowError("不明なエラーが発生しました。");
  }
  return false;
}

}  // namespace marlinote
