#include "mainwindow/application.h"

#include <QMessageBox>
#include <exception>

#include "mainwindow/app_title.h"

namespace marlinote {

namespace {

void ShowException(const QString& text) {
  QMessageBox::critical(QApplication::activeWindow(), kAppTitle, text);
}

}  // namespace

MarlinoteApplication::MarlinoteApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(kAppTitle);
  setApplicationDisplayName(kAppTitle);
}

bool MarlinoteApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    ShowException(QString::fromUtf8(e.what()));
  } catch (...) {
    ShowException(QStringLiteral("不明なエラーが発生しました。"));
  }
  return false;
}

}  // namespace marlinote
