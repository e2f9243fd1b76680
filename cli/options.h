#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "tags/ape_format.h"

namespace marlinote::cli {

// The options a command takes, with their "--": those that take a value and those that do not.
struct OptionNames {
  std::set<std::string> values;
  std::set<std::string> flags;
};

struct ParsedArgs {
  // Options that take a value: "--title T" or "--title=T"; the last one given counts.
  std::map<std::string, std::string> values;
  // Options without a value: "--json".
  std::set<std::string> flags;
  // Everything else, in order; after "--" every argument is a file.
  std::vector<std::string> files;
  // "-h" or "--help" stood where an option may stand (not as an option's value).
  bool help = false;

  bool Has(const std::string& option) const { return values.count(option) || flags.count(option); }
};

// Splits a command's arguments. On an unknown option, a missing value or a value given to a
// flag, returns nothing and sets `error`.
std::optional<ParsedArgs> ParseArgs(const std::vector<std::string>& args,
                                    const OptionNames& options, std::string& error);

// The tag type id for "ape" or "id3v1"; nothing for any other text.
std::optional<int> ParseTagKind(const std::string& text);

// How a new APE tag is written: "--ape-encoding sjis|utf8" when given with a kind of tag to
// give (`newKind`), which must then be APE; else the window's stored setting. Nothing, with
// `error` set, for any other value or kind.
std::optional<ApeEncoding> NewApeEncoding(const ParsedArgs& args, std::optional<int> newKind,
                                          std::string& error);

}  // namespace marlinote::cli
