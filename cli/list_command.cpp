#include "list_command.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include "catalogue/csv_export.h"
#include "catalogue/filter_list.h"
#include "catalogue/folder_scan.h"
#include "catalogue/settings.h"
#include "catalogue/sort_files.h"
#include "cli/file_in_hand.h"
#include "cli/options.h"
#include "cli/output_text.h"
#include "platform/reg_file_store.h"
#include "tags/tag_types.h"

namespace marlinote::cli {

namespace {

// The window reads its filter list from the current folder.
constexpr const char* kDefaultFilterFile = "./filefilter.dat";
constexpr const char* kStdout = "-";

constexpr std::pair<const char*, int> kSortNames[] = {
    {"name", kSortNameAscend},
    {"name-desc", kSortNameDescend},
    {"ext", kSortExtendAscend},
    {"ext-desc", kSortExtendDescend},
};

std::optional<int> ParseSortOrder(const std::string& text) {
  for (const auto& [name, order] : kSortNames)
    if (text == name) return order;
  return std::nullopt;
}

// One line per file, cells separated by tabs; the escapes of DisplayText keep every cell
// free of tabs and line breaks.
void PrintTable(const TTagList& list, const ColumnArray& columns, std::ostream& out) {
  const std::vector<int> shown = ShownColumns(columns);
  for (const int c : shown) out << DisplayUtf8(columns[c].Name) << '\t';
  out << "Type\n";
  for (int i = 0; i < list.Count(); ++i) {
    const TAbstractTag& tag = list.Get(i);
    for (const int c : shown) {
      out << (c == kColumnFileName ? DisplayUtf8(tag.GetFileName())
                                   : DisplayText(tag.GetField(ColumnFieldKey(c))))
          << '\t';
    }
    out << TagTypeName(tag.GetTagType()) << '\n';
  }
}

// Why a folder or file could not be listed, in the system's words.
std::string ScanProblem(const UnreadablePath& unreadable) {
  const std::string reason = unreadable.error == ENOTDIR ? "not a folder" : std::strerror(unreadable.error);
  return (unreadable.partly ? "could not be read to its end: " : "cannot be read: ") + reason;
}

// Why the CSV file was not written; `error` is the system's word on it.
std::optional<std::string> CsvProblem(WriteResult result, int error) {
  switch (result) {
    case WriteResult::kOk:
      return std::nullopt;
    case WriteResult::kCannotCreate:
      return std::string("cannot be created: ") + std::strerror(error) + "; nothing was written";
    case WriteResult::kWriteFailed:
      return std::string("could not be written: ") + std::strerror(error) +
             "; a file that was being replaced was left as it was";
    case WriteResult::kLinkRefused:
      return "is a symbolic link that another user owns; nothing was written";
    case WriteResult::kNotRegularFile:
      return "is a block device; nothing was written";
  }
  return "unknown result";
}

}  // namespace

std::string_view ListCommand::summary() const {
  return "list a folder's files and tags as the window does, or export them as CSV";
}

std::string_view ListCommand::help() const {
  return "Usage: marlinote-cli list [--recursive] [--sort name|name-desc|ext|ext-desc]\n"
         "                          [--filter-file FILE] [--csv OUTFILE|-] FOLDER\n"
         "\n"
         "Lists the files of FOLDER as the window lists them: only files whose extension\n"
         "passes the filter list, hidden files left out, each read as ID3v2, then APE, Ogg\n"
         "Vorbis, ID3v1, sorted by name. The columns are those enabled in the window's stored\n"
         "settings, which are only read.\n"
         "\n"
         "  --recursive       also every folder below FOLDER, depth first (hidden folders and\n"
         "                    links to folders are not entered)\n"
         "  --sort ORDER      name (the default) or name-desc: by file name; ext or\n"
         "                    ext-desc: by extension, then name\n"
         "  --filter-file F   the filter list to use; by default ./filefilter.dat in the\n"
         "                    current folder, as the window reads it. A missing or foreign\n"
         "                    file lists every file\n"
         "  --csv OUTFILE     write the window's CSV export instead (code page 932, every cell\n"
         "                    quoted, a double quote in a value doubled, CR LF line ends) and\n"
         "                    print \"OUTFILE: N rows written\"; the file is replaced as a\n"
         "                    whole or left as it was. A symbolic link is followed when you\n"
         "                    or root own it, and another user's is refused; a FIFO or a\n"
         "                    character device is written into. With \"-\" the bytes go to\n"
         "                    standard output. File names in it are code page 932 too, a\n"
         "                    character that code page 932 cannot hold becoming one space\n"
         "\n"
         "Table output, UTF-8, tab-separated, a header line first:\n"
         "  the Title, then each enabled column (FileName, Artist, Album, Comment, Year, Genre,\n"
         "  Track), headed by its caption in the settings, and last \"Type\", the tag kind\n"
         "  (ID3v2_Tag, Ape_Tag, Ogg_Tag, ID3v1_Tag, or Abstract_Tag for a file without a known tag).\n"
         "  Backslashes and control characters in cells are escaped: \\\\ \\n \\r \\t \\xHH.\n"
         "  An empty folder gives the header line alone (and a CSV file the header line).\n"
         "\n"
         "A folder that cannot be read is named on stderr with the system's reason and the\n"
         "exit status is 1. When it is FOLDER itself nothing is printed or written; a\n"
         "subfolder of --recursive is skipped and the files that were found are still\n"
         "listed. So is a file that cannot be opened for want of file descriptors, which is\n"
         "never listed as a file without a tag.\n";
}

OptionNames ListCommand::options() const {
  return {{"--sort", "--filter-file", "--csv"}, {"--recursive"}};
}

int ListCommand::execute(const ParsedArgs& args, std::ostream& out, std::ostream& err) {
  std::optional<int> sortOrder = kSortNameAscend;
  if (args.Has("--sort") && !(sortOrder = ParseSortOrder(args.values.at("--sort"))))
    return UsageError(err, "--sort must be name, name-desc, ext or ext-desc");
  if (args.Has("--csv") && args.values.at("--csv").empty())
    return UsageError(err, "--csv needs a file name, or - for standard output");
  if (args.Has("--filter-file") && args.values.at("--filter-file").empty())
    return UsageError(err, "--filter-file needs a file name");
  if (args.files.size() != 1)
    return UsageError(err, args.files.empty() ? "no folder given" : "give exactly one folder");
  const std::string& folder = args.files.front();

  FilterList filter;
  filter.ReadFilterList(args.Has("--filter-file") ? args.values.at("--filter-file")
                                                     : kDefaultFilterFile);
  // Only read: the settings file belongs to the window, which writes it at shut-down.
  ColumnArray columns;
  {
    RegFileStore store(DefaultSettingsPath());
    LoadColumnTable(store, columns);
  }

  TTagList list;
  const ScanResult scan = ListFolder(list, folder, filter, args.Has("--recursive"), *sortOrder);
  for (const UnreadablePath& unreadable : scan.unreadable)
    err << DisplayUtf8(unreadable.path) << ": " << ScanProblem(unreadable) << '\n';
  // Without the folder itself there is no list: an existing CSV file is not replaced by one
  // that holds only the header.
  if (std::any_of(scan.unreadable.begin(), scan.unreadable.end(),
                  [&folder](const UnreadablePath& unreadable) { return unreadable.path == folder; }))
    return kExitFailed;
  const int status = scan.ok() ? kExitDone : kExitFailed;

  if (!args.Has("--csv")) {
    PrintTable(list, columns, out);
    return status;
  }
  const std::string& csvPath = args.values.at("--csv");
  if (csvPath == kStdout) {
    const std::string bytes = BuildCsv(list, columns);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return status;
  }
  const WriteResult written = [&] {
    const FileInHand inHand;
    return ExportCsv(csvPath, list, columns);
  }();
  if (const auto problem = CsvProblem(written, errno)) {
    err << DisplayUtf8(csvPath) << ": " << *problem << '\n';
    return kExitFailed;
  }
  out << DisplayUtf8(csvPath) << ": " << list.Count() << (list.Count() == 1 ? " row" : " rows")
      << " written\n";
  return status;
}

}  // namespace marlinote::cli
