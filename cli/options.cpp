#include "options.h"

#include "catalogue/settings.h"
#include "platform/reg_file_store.h"
#include "tags/tag_types.h"

namespace marlinote::cli {

std::optional<ParsedArgs> ParseArgs(const std::vector<std::string>& args,
                                    const OptionNames& options, std::string& error) {
  ParsedArgs parsed;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--") {
      parsed.files.insert(parsed.files.end(), args.begin() + i + 1, args.end());
      break;
    }
    if (arg.size() < 2 || arg[0] != '-') {
      parsed.files.push_back(arg);
      continue;
    }
    if (arg == "-h" || arg == "--help") {
      parsed.help = true;
      continue;
    }
    const auto equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    if (options.values.count(name)) {
      if (equals != std::string::npos) {
        parsed.values[name] = arg.substr(equals + 1);
      } else if (i + 1 < args.size()) {
        parsed.values[name] = args[++i];
      } else {
        error = name + " needs a value";
        return std::nullopt;
      }
    } else if (options.flags.count(name)) {
      if (equals != std::string::npos) {
        error = name + " takes no value";
        return std::nullopt;
      }
      parsed.flags.insert(name);
    } else {
      error = "unknown option " + name + " (a file whose name begins with '-' goes after --)";
      return std::nullopt;
    }
  }
  return parsed;
}

std::optional<int> ParseTagKind(const std::string& text) {
  if (text == "ape") return kTagApe;
  if (text == "id3v1") return kTagId3v1;
  if (text == "id3v2") return kTagId3v2;
  return std::nullopt;
}

std::optional<ApeEncoding> NewApeEncoding(const ParsedArgs& args, std::optional<int> newKind,
                                          std::string& error) {
  const auto given = args.values.find("--ape-encoding");
  if (given == args.values.end()) {
    // Only read: the settings file belongs to the window, which writes it at shut-down.
    RegFileStore store(DefaultSettingsPath());
    return LoadApeUtf8(store) ? ApeEncoding::kUtf8 : ApeEncoding::kCp932;
  }
  if (newKind != kTagApe) {
    error = "--ape-encoding goes only with a new APE tag (--kind ape, --to ape)";
    return std::nullopt;
  }
  if (given->second == "sjis") return ApeEncoding::kCp932;
  if (given->second == "utf8") return ApeEncoding::kUtf8;
  error = "--ape-encoding must be sjis or utf8";
  return std::nullopt;
}

}  // namespace marlinote::cli
