#include "each_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "cli/command.h"
#include "cli/output_text.h"
#include "platform/file_ops.h"

namespace marlinote::cli {

namespace {

FileOutcome UnreadableReason(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return std::strerror(errno);
  if (S_ISDIR(st.st_mode)) return "is a folder";
  // A FIFO would hold the command up until a writer came, and a device may act on an open.
  if (!S_ISREG(st.st_mode)) return "is not a regular file";
  if (!OpenRegularFile(path)) return std::string("cannot be opened: ") + std::strerror(errno);
  return std::nullopt;
}

}  // namespace

int ForEachFile(const std::vector<std::string>& files, std::ostream& err,
                const std::function<FileOutcome(const std::string& path)>& work) {
  int status = kExitDone;
  for (const std::string& path : files) {
    FileOutcome problem = UnreadableReason(path);
    if (!problem) problem = work(path);
    if (problem) {
      err << DisplayUtf8(path) << ": " << *problem << '\n';
      status = kExitFailed;
    }
  }
  return status;
}

}  // namespace marlinote::cli
