#include "cli_app.h"

#include "cli/commands.h"

namespace marlinote::cli {

namespace {

constexpr std::string_view kIntro =
    "marlinote-cli: reads and writes the tags of audio files (ID3v2 tags, ID3v1.1 trailers,\n"
    "APE tags and Ogg Vorbis comments) like the Marlinote window does.\n"
    "\n"
    "Usage: marlinote-cli COMMAND [OPTIONS] FILE...|FOLDER\n"
    "       marlinote-cli help [COMMAND]     (or COMMAND --help)\n"
    "\n"
    "Commands:\n";

constexpr std::string_view kOutro =
    "\n"
    "Tag texts are stored as code page 932 (Shift-JIS) bytes. Values are printed and taken in\n"
    "UTF-8; a value that code page 932 cannot hold is refused, and bytes that are not valid\n"
    "code page 932 print as U+FFFD. File paths are used as given.\n"
    "\n"
    "Exit status: 0 when every file (or folder) was done, 1 when any failed (one line on\n"
    "stderr per failure), 2 for a usage error or a value that code page 932 cannot hold\n"
    "(then nothing is written to any file).\n"
    "Ctrl-C, SIGTERM or SIGHUP lets the file in hand be finished; set and convert then stop\n"
    "before the next file and the program ends by the signal (a shell shows 130, 143, 129).\n";

void PrintOverview(const std::vector<std::unique_ptr<Command>>& commands, std::ostream& os) {
  os << kIntro;
  for (const auto& command : commands) {
    std::string name(command->name());
    name.resize(10, ' ');
    os << "  " << name << command->summary() << '\n';
  }
  os << kOutro;
}

Command* Find(const std::vector<std::unique_ptr<Command>>& commands, std::string_view name) {
  for (const auto& command : commands)
    if (command->name() == name) return command.get();
  return nullptr;
}

bool IsHelp(std::string_view arg) { return arg == "--help" || arg == "-h"; }

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const auto commands = MakeCommands();
  if (args.empty()) {
    PrintOverview(commands, err);
    return kExitUsage;
  }
  if (IsHelp(args[0]) || args[0] == "help") {
    if (args.size() < 2) {
      PrintOverview(commands, out);
      return kExitDone;
    }
    if (const Command* command = Find(commands, args[1])) {
      out << command->help();
      return kExitDone;
    }
    err << "marlinote-cli: no command named '" << args[1] << "'\n";
    return kExitUsage;
  }
  Command* command = Find(commands, args[0]);
  if (!command) {
    err << "marlinote-cli: no command named '" << args[0] << "' (see marlinote-cli --help)\n";
    return kExitUsage;
  }
  std::string error;
  const std::optional<ParsedArgs> parsed =
      ParseArgs({args.begin() + 1, args.end()}, command->options(), error);
  if (parsed && parsed->help) {
    out << command->help();
    return kExitDone;
  }
  if (!parsed) return command->UsageError(err, error);
  return command->execute(*parsed, out, err);
}

}  // namespace marlinote::cli
