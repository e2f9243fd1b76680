#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_app.h"

namespace marlinote::test {

// One in-process run of marlinote-cli.
struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
};

inline CliRun RunCliWith(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  CliRun run;
  run.status = cli::RunCli(args, out, err);
  run.out = out.str();
  run.err = err.str();
  return run;
}

}  // namespace marlinote::test
