#pragma once

#include <QApplication>

namespace marlinote {

// The application object: an exception that reaches the event loop is shown in an error box
// and the window goes on running.
class MarlinoteApplication : public QApplication {
 public:
  MarlinoteApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace marlinote
