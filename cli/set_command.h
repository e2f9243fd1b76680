#pragma once

#include "cli/command.h"

namespace marlinote::cli {

// Writes the given fields into every file, leaving its other fields as they are.
class SetCommand : public Command {
 public:
  std::string_view name() const override { return "set"; }
  std::string_view summary() const override;
  std::string_view help() const override;
  OptionNames options() const override;
  int execute(const ParsedArgs& args, std::ostream& out, std::ostream& err) override;
};

}  // namespace marlinote::cli
