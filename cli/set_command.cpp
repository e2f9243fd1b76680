#include "set_command.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "cli/command.h"
#include "cli/each_file.h"
#include "cli/options.h"
#include "cli/output_text.h"
#include "tags/tag_edit.h"
#include "tags/tag_probe.h"
#include "tags/tag_types.h"
#include "tags/text_conversion.h"

namespace marlinote::cli {

namespace {

// In the order the tag edit sets them.
constexpr std::pair<const char*, const char*> kFieldOptions[] = {
    {"--title", field::kTitle},     {"--artist", field::kArtist}, {"--album", field::kAlbum},
    {"--comment", field::kComment}, {"--year", field::kYear},     {"--genre", field::kGenre},
    {"--track", field::kTrack},
};

const char* SaveProblem(SaveResult result) {
  switch (result) {
    case SaveResult::kSaved:
    case SaveResult::kUnchanged:
      return nullptr;
    case SaveResult::kNoTagKind:
      return "has no tag kind to write";
    case SaveResult::kRemoveFailed:
      return "the old tag could not be reached (is the file writable, or was it changed by "
             "another program?); nothing was written";
    case SaveResult::kWriteFailed:
      return "the new tag could not be written; the file keeps its old tag";
    case SaveResult::kTagLost:
      return "the new tag could not be written, nor the file put back: it may have no tag "
             "now";
    case SaveResult::kLayoutRefused:
      return "is a multiplexed Ogg file (the pages of its streams are interleaved), which "
             "cannot be rewritten; nothing was written";
  }
  return "unknown result";
}

}  // namespace

std::string_view SetCommand::summary() const {
  return "write the given fields into each file, keeping the others";
}

std::string_view SetCommand::help() const {
  return "Usage: marlinote-cli set [FIELD OPTIONS] [--kind ape|id3v1|id3v2 [--ape-encoding E]]\n"
         "                          FILE...\n"
         "\n"
         "Writes only the given fields into every file; the file's other fields stay as they\n"
         "are, byte for byte. A field given the value it already has is no change; a file\n"
         "with no change is not written. The tag is written again in its place, keeping its\n"
         "form (an APE tag its version, header and text encoding; an ID3v2 tag its version\n"
         "and every frame other than those of the changed fields). A file with an ID3v2 tag\n"
         "and an APE tag or ID3v1 trailer gets the changed fields in each of its tags.\n"
         "\n"
         "  --title T   --artist A   --album A   --comment C   --year Y   --genre G   --track N\n"
         "  --kind ape|id3v1|id3v2   give a file that has no known tag this kind first (its\n"
         "                     fields then come from the options alone; ID3v2 as a 2.3 tag);\n"
         "                     without it such a file is reported and left alone. Files that\n"
         "                     have a tag keep their kind.\n"
         "  --ape-encoding sjis|utf8   with --kind ape: write such a new APE tag as Shift-JIS\n"
         "                     (version 1000, no header) or UTF-8 (APEv2: version 2000, a\n"
         "                     header); the default is the window's setting, else sjis.\n"
         "\n"
         "An ID3v1 trailer keeps 30 bytes of Title, Artist and Album, 4 of Year, 28 of Comment,\n"
         "a track from 0 to 255 and a genre from its genre table (names are found without\n"
         "regard to letter case and in their common spellings, such as \"Jazz+Funk\"; a name\n"
         "the table lacks is stored as no genre).\n"
         "Every value must be one that code page 932 can hold; otherwise nothing is written to\n"
         "any file and the exit status is 2.\n";
}

OptionNames SetCommand::options() const {
  OptionNames names{{"--kind", "--ape-encoding"}, {}};
  for (const auto& [option, key] : kFieldOptions) names.values.insert(option);
  return names;
}

int SetCommand::execute(const ParsedArgs& args, std::ostream& out, std::ostream& err) {
  std::optional<int> kind;
  if (args.Has("--kind") && !(kind = ParseTagKind(args.values.at("--kind"))))
    return UsageError(err, "--kind must be ape, id3v1 or id3v2");
  std::string error;
  const std::optional<ApeEncoding> apeEncoding = NewApeEncoding(args, kind, error);
  if (!apeEncoding) return UsageError(err, error);
  if (std::none_of(std::begin(kFieldOptions), std::end(kFieldOptions),
                   [&](const auto& option) { return args.Has(option.first); }))
    return UsageError(err, "no field to set (see marlinote-cli set --help)");
  if (args.files.empty()) return UsageError(err, "no file given");

  // Every value is checked before the first file is touched.
  FieldList edits;
  for (const auto& [option, key] : kFieldOptions) {
    const auto given = args.values.find(option);
    if (given == args.values.end()) continue;
    const std::optional<std::string> local = Utf8ToLocalExact(given->second);
    if (!local) {
      return UsageError(err, std::string(option) +
                                 ": the value holds a character that code page 932 cannot hold "
                                 "(or is not UTF-8); nothing was written");
    }
    edits.push_back({key, *local});
  }

  return ForEachFile(args.files, err, [&](const std::string& path) -> FileOutcome {
    std::unique_ptr<TAbstractTag> tag = CreateTagForFile(path);
    if (tag->GetTagType() == kTagNone) {
      if (!kind) return "has no known tag; give --kind ape, id3v1 or id3v2 to give it one";
      if (ChangeTagType(tag, *kind, *apeEncoding) != TypeChangeResult::kChanged)
        return "could not be given " + TagTypeName(*kind) + " (is the file writable?)";
    }
    const SaveResult saved = SaveFields(*tag, edits);
    if (const char* problem = SaveProblem(saved)) return problem;
    out << DisplayUtf8(path) << (saved == SaveResult::kUnchanged ? ": unchanged (" : ": written (")
        << TagTypeName(tag->GetTagType()) << ")\n";
    return std::nullopt;
  });
}

}  // namespace marlinote::cli
