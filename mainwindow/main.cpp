#include "mainwindow/application.h"
#include "mainwindow/main_window.h"

int main(int argc, char** argv) {
  marlinote::MarlinoteApplication app(argc, argv);
  int result = 0;
  {
    marlinote::TMainWindow window;
    window.show();
    result = app.exec();
  }
  return result;
}
