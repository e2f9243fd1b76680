#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace marlinote::cli {

// What a command did to one file: nothing when it was done, else the problem, which is
// reported as the file's one line on standard error.
using FileOutcome = std::optional<std::string>;

// Runs `work` on every file in turn, going on after a failure. A file that cannot be read as a
// tagged file (missing, a folder, a FIFO or a device, no permission) fails without reaching
// `work`, and without being opened unless it is a regular file. A stop signal (FileInHand)
// waits until the file in hand is done, and then no other file is begun. Returns kExitDone
// when every file was done, kExitFailed otherwise.
int ForEachFile(const std::vector<std::string>& files, std::ostream& err,
                const std::function<FileOutcome(const std::string& path)>& work);

}  // namespace marlinote::cli
