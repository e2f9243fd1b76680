#pragma once

#include <functional>
#include <thread>

#include "platform/file_handle.h"

namespace marlinote {

// SIGINT, SIGTERM and SIGHUP (Ctrl-C, kill, a closed terminal) ask the program to stop. Taken
// the usual way they would end it wherever it stands, in the middle of a file's write
// perhaps; instead they are blocked in every thread and taken by one thread of their own,
// and the program chooses where it stops.

// Blocks the three in the calling thread, and so in every thread it starts afterwards: to be
// called first in main, before any thread starts (Qt starts some). A signal that the program
// was started ignoring (nohup, a background job of a script) stays ignored.
void BlockStopSignals();

// While it lives, a thread of its own takes the stop signals and runs `onSignal` with each
// one's number, a signal that came before it was made included. It is to be destroyed
// before whatever `onSignal` uses.
class StopSignalWatch {
 public:
  explicit StopSignalWatch(std::function<void(int signal)> onSignal);
  ~StopSignalWatch();
  StopSignalWatch(const StopSignalWatch&) = delete;
  StopSignalWatch& operator=(const StopSignalWatch&) = delete;

 private:
  void Run();

  std::function<void(int)> onSignal_;
  FdHandle signals_;
  FdHandle stop_;
  std::thread thread_;
};

// Ends the process as the signal's own action would, so that whoever started it sees that it
// was stopped by that signal: a shell's $? is then 128 plus its number, and a shell script
// running it stops too, as it does for any program stopped by Ctrl-C.
[[noreturn]] void EndBySignal(int signal);

// "SIGINT" for SIGINT, and so on.
const char* StopSignalName(int signal);

}  // namespace marlinote
