#include "commands.h"

#include "cli/convert_command.h"
#include "cli/list_command.h"
#include "cli/set_command.h"
#include "cli/show_command.h"

namespace marlinote::cli {

std::vector<std::unique_ptr<Command>> MakeCommands() {
  std::vector<std::unique_ptr<Command>> commands;
  commands.push_back(std::make_unique<ShowCommand>());
  commands.push_back(std::make_unique<SetCommand>());
  commands.push_back(std::make_unique<ConvertCommand>());
  commands.push_back(std::make_unique<ListCommand>());
  return commands;
}

}  // namespace marlinote::cli
