#include <exception>

#include "mainwindow/application.h"
#include "mainwindow/main_window.h"

int main(int argc, char** argv) {
  marlinote::MarlinoteApplication app(argc, argv);
  // An exception outside every event (while the window is made) is shown like one inside a
  // handler; the program then ends, with 0 as always.
  try {
    marlinote::TMainWindow window;
    window.show();
    app.exec();
  } catch (const std::exception& e) {
    app.ShowError(e.what());
  } catch (...) {
    app.ShowError("不明なエラーが発生しました。");
  }
  return 0;
}
