#pragma once

#include <memory>
#include <vector>

#include "cli/command.h"

namespace marlinote::cli {

// Every command, in the order --help lists them.
std::vector<std::unique_ptr<Command>> MakeCommands();

}  // namespace marlinote::cli
