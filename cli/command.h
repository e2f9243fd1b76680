#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/options.h"

namespace marlinote::cli {

inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// One command of marlinote-cli. Commands write results to `out` and one line per problem to
// `err`, and return one of the exit statuses above; they never end the process themselves.
class Command {
 public:
  virtual ~Command() = default;
  virtual std::string_view name() const = 0;
  // One line for the command list.
  virtual std::string_view summary() const = 0;
  // The command's own help: synopsis, options, behaviour.
  virtual std::string_view help() const = 0;
  // The options its arguments may hold.
  virtual OptionNames options() const = 0;
  // The arguments after the command's name, parsed by its options.
  virtual int execute(const ParsedArgs& args, std::ostream& out, std::ostream& err) = 0;

  // Names the command and the problem on `err`; gives the usage error's exit status.
  int UsageError(std::ostream& err, std::string_view problem) const {
    err << "marlinote-cli " << name() << ": " << problem << '\n';
    return kExitUsage;
  }
};

}  // namespace marlinote::cli
