#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "mainwindow/application.h"
#include "mainwindow/main_window.h"
#include "platform/stop_signals.h"

namespace {

constexpr const char* kUsage =
    "Usage: marlinote [Qt options] [FOLDER | FILE]\n"
    "Shows the window. A FOLDER is selected in the folder tree and listed; for a FILE, its\n"
    "folder is listed and the file's row selected. Without either, the folder listed last is\n"
    "selected in the tree.\n";

}  // namespace

int main(int argc, char** argv) {
  // Before Qt starts its threads, so that none of them takes a stop signal.
  marlinote::BlockStopSignals();
  std::atomic<int> stopSignal = 0;
  {
    // Qt takes its own options out of argv; what is left is ours. Paths stay native bytes.
    marlinote::MarlinoteApplication app(argc, argv);
    std::vector<std::string> paths;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
      const std::string arg = argv[i];
      if (!optionsEnded && arg == "--") {
        optionsEnded = true;
      } else if (!optionsEnded && (arg == "-h" || arg == "--help")) {
        std::fputs(kUsage, stdout);
        return 0;
      } else if (!optionsEnded && arg.size() > 1 && arg.front() == '-') {
        std::fprintf(stderr, "marlinote: unknown option %s\n%s", arg.c_str(), kUsage);
        return 2;
      } else {
        paths.push_back(arg);
      }
    }
    if (paths.size() > 1) {
      std::fprintf(stderr, "marlinote: one FOLDER or FILE at most\n%s", kUsage);
      return 2;
    }
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
      if (!paths.empty()) window.Open(paths.front());
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
