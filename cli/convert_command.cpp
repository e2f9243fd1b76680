#include "convert_command.h"

#include "cli/command.h"
#include "cli/each_file.h"
#include "cli/options.h"
#include "cli/output_text.h"
#include "tags/tag_edit.h"
#include "tags/tag_probe.h"
#include "tags/tag_types.h"

namespace marlinote::cli {

namespace {

// Why the compatibility rule stops the change, or nothing when it may go ahead.
std::optional<std::string> CheckRefusal(const std::string& path, int type, bool yes) {
  switch (CheckTagCompatibility(path, type)) {
    case kDataUnreadable:
      return "cannot be opened for reading";
    case kDataImpossible:
      return "its data cannot carry " + TagTypeName(type) + "; not changed";
    case kDataUnusual:
      if (yes) return std::nullopt;
      return "its data does not usually carry " + TagTypeName(type) +
             "; not changed (give --yes to change it anyway)";
    default:
      return std::nullopt;
  }
}

}  // namespace

std::string_view ConvertCommand::summary() const {
  return "change the kind of tag of each file, keeping its fields";
}

std::string_view ConvertCommand::help() const {
  return "Usage: marlinote-cli convert --to ape|id3v1|id3v2 [--ape-encoding E] [--check] [--yes]\n"
         "                              FILE...\n"
         "\n"
         "Gives each file a tag of the new kind carrying the fields of its old tag, written in\n"
         "place of the old one: whenever the program is stopped, the file ends with one or\n"
         "the other. An ID3v2 tag is written as 2.3 at the file's start, and an ID3v1 trailer\n"
         "stays beside it as it is; a file leaving ID3v2 loses its ID3v2 tag. A file that\n"
         "already has the kind is left alone. Fields the new kind cannot hold are cut (see\n"
         "set --help). When the new tag cannot be written, the file keeps its old one.\n"
         "\n"
         "  --check   first judge whether the file's data suits the new kind: an Ogg Vorbis\n"
         "            file cannot carry APE, ID3v1 or ID3v2 and is refused; data that does not\n"
         "            usually carry the kind (for example an APE tag on a .mp3 file) is\n"
         "            refused too\n"
         "  --yes     with --check, change such unusual files anyway\n"
         "  --ape-encoding sjis|utf8   with --to ape: write the APE tag as Shift-JIS (version\n"
         "            1000, no header) or UTF-8 (APEv2: version 2000, a header); the default\n"
         "            is the window's setting, else sjis\n"
         "\n"
         "A refused file counts as not done: the exit status is then 1.\n"
         "Without --check an Ogg Vorbis file gets the new tag appended and keeps its comments.\n";
}

OptionNames ConvertCommand::options() const {
  return {{"--to", "--ape-encoding"}, {"--check", "--yes"}};
}

int ConvertCommand::execute(const ParsedArgs& args, std::ostream& out, std::ostream& err) {
  if (!args.Has("--to")) return UsageError(err, "--to ape, id3v1 or id3v2 is needed");
  const std::optional<int> type = ParseTagKind(args.values.at("--to"));
  if (!type) return UsageError(err, "--to must be ape, id3v1 or id3v2");
  std::string error;
  const std::optional<ApeEncoding> apeEncoding = NewApeEncoding(args, type, error);
  if (!apeEncoding) return UsageError(err, error);
  if (args.files.empty()) return UsageError(err, "no file given");

  return ForEachFile(args.files, err, [&](const std::string& path) -> FileOutcome {
    if (args.Has("--check")) {
      if (auto refusal = CheckRefusal(path, *type, args.Has("--yes"))) return refusal;
    }
    std::unique_ptr<TAbstractTag> tag = CreateTagForFile(path);
    const std::string from = TagTypeName(tag->GetTagType());
    switch (ChangeTagType(tag, *type, *apeEncoding)) {
      case TypeChangeResult::kChanged:
        out << DisplayUtf8(path) << ": " << from << " -> " << TagTypeName(*type) << '\n';
        return std::nullopt;
      case TypeChangeResult::kNothingToDo:
        out << DisplayUtf8(path) << ": already " << from << '\n';
        return std::nullopt;
      case TypeChangeResult::kFailed:
        break;
    }
    return "the tag could not be changed (is the file writable, or was it changed by another "
           "program?); the file keeps its old tag";
  });
}

}  // namespace marlinote::cli
