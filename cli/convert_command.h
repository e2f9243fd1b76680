#pragma once

#include "cli/command.h"

namespace marlinote::cli {

// Changes the kind of tag each file carries, keeping its fields.
class ConvertCommand : public Command {
 public:
  std::string_view name() const override { return "convert"; }
  std::string_view summary() const override;
  std::string_view help() const override;
  OptionNames options() const override;
  int execute(const ParsedArgs& args, std::ostream& out, std::ostream& err) override;
};

}  // namespace marlinote::cli
