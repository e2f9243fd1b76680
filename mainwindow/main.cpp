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
  } catch (...) {
    app.ShowError(marlinote::CurrentExceptionText());
  }
  return 0;
}
