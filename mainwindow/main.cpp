#include <atomic>

#include "mainwindow/application.h"
#include "mainwindow/main_window.h"
#include "platform/stop_signals.h"

int main(int argc, char** argv) {
  // Before Qt starts its threads, so that none of them takes a stop signal.
  marlinote::BlockStopSignals();
  std::atomic<int> stopSignal = 0;
  {
    marlinote::MarlinoteApplication app(argc, argv);
    // An exception outside every event (while the window is made) is shown like one inside a
    // handler; the program then ends, with 0 as always.
    try {
      marlinote::TMainWindow window;
      // Ctrl-C, kill or a closed terminal: the file being saved is finished, then the window
      // closes as its close command does, without asking. The watch ends before the window.
      const marlinote::StopSignalWatch watch([&](int signal) {
        stopSignal = signal;
        window.CloseOnStopSignal();
      });
      window.show();
      app.exec();
    } catch (...) {
      app.ShowError(marlinote::CurrentExceptionText());
    }
  }
  // The filter list and the settings are written: whoever started the program learns that
  // the signal stopped it.
  if (stopSignal != 0) marlinote::EndBySignal(stopSignal);
  return 0;
}
