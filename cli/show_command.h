#pragma once

#include "cli/command.h"

namespace marlinote::cli {

// Prints the kind of tag that reads each file and every pair of its field list.
class ShowCommand : public Command {
 public:
  std::string_view name() const override { return "show"; }
  std::string_view summary() const override;
  std::string_view help() const override;
  OptionNames options() const override;
  int execute(const ParsedArgs& args, std::ostream& out, std::ostream& err) override;
};

}  // namespace marlinote::cli
