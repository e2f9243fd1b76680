#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace marlinote::cli {

// Runs marlinote-cli with its arguments (without the program name): dispatches to the named
// command, or prints help. Returns the exit status.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace marlinote::cli
