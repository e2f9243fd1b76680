#include "each_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "cli/command.h"
#include "cli/file_in_hand.h"
#include "cli/output_text.h"
#include "platform/file_ops.h"
#include "platform/stop_signals.h"

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
  // Held for the whole batch, so that a stop signal always waits for the file in hand and
  // the batch says where it stopped, whenever the signal comes.
  const FileInHand inHand;
  for (auto file = files.begin(); file != files.end(); ++file) {
    FileOutcome problem = UnreadableReason(*file);
    if (!problem) problem = work(*file);
    if (problem) {
      err << DisplayUtf8(*file) << ": " << *problem << '\n';
      status = kExitFailed;
    }
    if (const int signal = WaitingStopSignal()) {
      if (file + 1 != files.end()) {
        err << "marlinote-cli: stopped by " << StopSignalName(signal) << " after "
            << DisplayUtf8(*file) << "; the files after it were left as they were\n";
      }
      return kExitFailed;
    }
  }
  return status;
}

}  // namespace marlinote::cli
