#include "show_command.h"

#include "cli/command.h"
#include "cli/each_file.h"
#include "cli/options.h"
#include "cli/output_text.h"
#include "tags/tag_probe.h"
#include "tags/tag_types.h"
#include "tags/text_conversion.h"

namespace marlinote::cli {

namespace {

void PrintText(const TAbstractTag& tag, const std::string& path, std::ostream& out) {
  const int type = tag.GetTagType();
  out << "File: " << DisplayUtf8(path) << "\nType: " << type << ' ' << TagTypeName(type) << '\n';
  for (const TagField& f : tag.GetFieldList())
    out << DisplayText(f.key) << '=' << DisplayText(f.value) << '\n';
}

void PrintJson(const TAbstractTag& tag, const std::string& path, std::ostream& out) {
  const int type = tag.GetTagType();
  const std::string_view encoding = tag.TextEncoding();
  const std::string_view version = tag.FormatVersion();
  out << '{' << JsonPathMembers(path) << ",\"type\":" << type
      << ",\"typeName\":" << JsonString(TagTypeName(type))
      << ",\"encoding\":" << (encoding.empty() ? "null" : JsonString(encoding))
      << ",\"version\":" << (version.empty() ? "null" : JsonString(version))
      << ",\"fields\":[";
  const char* separator = "";
  for (const TagField& f : tag.GetFieldList()) {
    out << separator << '[' << JsonString(LocalToUtf8(f.key)) << ','
        << JsonString(LocalToUtf8(f.value)) << ']';
    separator = ",";
  }
  out << "]}";
}

}  // namespace

std::string_view ShowCommand::summary() const {
  return "print the tag kind and every field of each file";
}

std::string_view ShowCommand::help() const {
  return "Usage: marlinote-cli show [--json] FILE...\n"
         "\n"
         "For each file: the kind of tag that reads it (ID3v2 first, then APE, Ogg Vorbis,\n"
         "ID3v1; \"Abstract_Tag\" when none does), as its type id and name, and every field in\n"
         "the order the tag holds them.\n"
         "\n"
         "Text output, a blank line between files:\n"
         "  File: PATH           (escaped as the values are)\n"
         "  Type: ID NAME\n"
         "  Key=Value            (one line per field; backslashes and control characters\n"
         "                        are escaped: \\\\ \\n \\r \\t \\xHH)\n"
         "\n"
         "  --json   one JSON array holding one object per file:\n"
         "           {\"path\": ..., \"type\": ID, \"typeName\": ..., \"encoding\": ...,\n"
         "            \"version\": ..., \"fields\": [[key, value], ...]}\n"
         "           where encoding is how the tag stores its texts: \"cp932\" or \"utf-8\" for\n"
         "           APE and Ogg Vorbis; for ID3v2 how it writes changed texts, \"utf-16\" (2.3)\n"
         "           or \"utf-8\" (2.4); null for ID3v1. version is the ID3v2 tag's (\"2.2\",\n"
         "           \"2.3\", \"2.4\"), null for other kinds. A path that is not valid UTF-8\n"
         "           shows its other bytes as U+FFFD and is followed by \"pathBytes\": its\n"
         "           bytes in lower-case hex.\n"
         "\n"
         "A path that names a FIFO, a device or a socket is reported as \"is not a regular\n"
         "file\" without being opened, as set and convert report it.\n";
}

OptionNames ShowCommand::options() const { return {{}, {"--json"}}; }

int ShowCommand::execute(const ParsedArgs& args, std::ostream& out, std::ostream& err) {
  if (args.files.empty()) return UsageError(err, "no file given");
  const bool json = args.Has("--json");
  bool first = true;
  if (json) out << "[\n";
  const int status = ForEachFile(args.files, err, [&](const std::string& path) -> FileOutcome {
    const auto tag = CreateTagForFile(path);
    if (json) {
      out << (first ? "" : ",\n");
      PrintJson(*tag, path, out);
    } else {
      out << (first ? "" : "\n");
      PrintText(*tag, path, out);
    }
    first = false;
    return std::nullopt;
  });
  if (json) out << (first ? "]\n" : "\n]\n");
  return status;
}

}  // namespace marlinote::cli
