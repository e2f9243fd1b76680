#pragma once

#include "cli/command.h"

namespace marlinote::cli {

// Lists a folder as the window does (filter list, tag probe, sort order, stored columns), as
// a table or as the CSV export.
class ListCommand : public Command {
 public:
  std::string_view name() const override { return "list"; }
  std::string_view summary() const override;
  std::string_view help() const override;
  OptionNames options() const override;
  int execute(const ParsedArgs& args, std::ostream& out, std::ostream& err) override;
};

}  // namespace marlinote::cli
