#include "mainwindow/application.h"

#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>
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
  // No display name: the window system would append it to every caption ("謹警 — Marlinote").
  setApplicationName(kAppTitle);
  // The installed desktop entry is marlinote.desktop: this lets desktops match the windows
  // to it (its name and icon in task bars and docks).
  setDesktopFileName(QStringLiteral("marlinote"));
  setWindowIcon(QIcon(QStringLiteral(":/icons/marlinote.svg")));
  // What Qt draws itself (the save dialog, the kinds of file it names, its overwrite
  // question) speaks the program's language whatever the user's locale.
  QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
  auto* translator = new QTranslator(this);
  if (translator->load(QStringLiteral("qt_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    installTranslator(translator);
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
