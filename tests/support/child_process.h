#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace marlinote::test {

// How a program ended, and what it printed.
struct Ending {
  bool signaled = false;  // ended by a signal rather than by exiting
  int code = -1;          // its exit status, or the signal's number
  std::string out;
  std::string err;
};

// Where and how a program runs: its current folder and variables of its environment set
// on top of the test's own ("NAME=value").
struct ProgramSetting {
  std::string folder;
  std::vector<std::string> environment;
};

// A program started by the test, with an empty standard input and both outputs read by the
// test. It starts with no signal blocked and SIGINT, SIGTERM and SIGHUP at their default
// action, whatever the test run inherited. Killed and reaped on destruction.
class RunningProgram {
 public:
  explicit RunningProgram(const std::vector<std::string>& argv, const ProgramSetting& setting = {});
  ~RunningProgram();
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  pid_t pid() const { return pid_; }
  // The next line of standard output, without its line break; nothing at its end.
  std::optional<std::string> ReadLine();
  void Signal(int signal);
  // Waits for the end, reading both outputs to their ends; a program still running after
  // `limit` is killed (SIGKILL), so that a test fails instead of hanging.
  Ending Wait(std::chrono::milliseconds limit = std::chrono::minutes(5));

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  int err_ = -1;
  std::string pending_;  // read from standard output, not yet returned as a line
};

// Runs a program to its end.
Ending RunProgram(const std::vector<std::string>& argv, const ProgramSetting& setting = {});

}  // namespace marlinote::test
