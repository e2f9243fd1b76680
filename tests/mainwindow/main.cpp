#include <gtest/gtest.h>

#include "mainwindow/application.h"

// The program's own application object, so that exceptions reach its error display; the
// windows are real widgets on the offscreen platform.
int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  marlinote::MarlinoteApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
