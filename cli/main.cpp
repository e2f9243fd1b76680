#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "cli/file_in_hand.h"
#include "platform/stop_signals.h"

int main(int argc, char** argv) {
  marlinote::BlockStopSignals();
  const std::vector<std::string> args(argv + 1, argv + argc);
  int status = 0;
  {
    const marlinote::StopSignalWatch watch(marlinote::cli::TakeStopSignal);
    status = marlinote::cli::RunCli(args, std::cout, std::cerr);
  }
  if (const int signal = marlinote::cli::WaitingStopSignal()) {
    std::cout.flush();
    marlinote::EndBySignal(signal);
  }
  return status;
}
