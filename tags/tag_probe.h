#pragma once

#include <memory>
#include <string>

#include "tags/abstract_tag.h"

namespace marlinote {

// The tag object of a file: the first of TID3v2Tag, TAPETag, TOggTag and TID3v1Tag whose
// ReadTag reads the file, else a plain TAbstractTag that only records the path. Never null.
// The file is opened once and its head and tail read once; all kinds are looked for in those
// bytes (and in more of the same open file where a tag or the Ogg headers reach further).
std::unique_ptr<TAbstractTag> CreateTagForFile(const std::string& path);
// The same for the file `name` of the open folder `folderFd`, whose full path is `path`.
std::unique_ptr<TAbstractTag> CreateTagForFile(const std::string& path, int folderFd,
                                               const char* name);

// The same object made by each kind's own ReadTag in turn, which opens the file once per
// kind tried. CreateTagForFile falls back on it for a file it can open but not read.
std::unique_ptr<TAbstractTag> ProbeKindsInTurn(const std::string& path);

}  // namespace marlinote
