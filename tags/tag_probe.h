#pragma once

#include <memory>
#include <string>

#include "tags/abstract_tag.h"
#include "tags/file_sample.h"

namespace marlinote {

// The tag object of a file: the first of TID3v2Tag, TAPETag, TOggTag and TID3v1Tag whose
// ReadTag reads the file, else a plain TAbstractTag that only records the path. Never null.
// The file is opened once and its head and tail read once; all kinds are looked for in those
// bytes (and in more of the same open file where a tag or the Ogg headers reach further).
// Anything but a regular file (a folder, a FIFO, a device) is not opened and gets a plain
// TAbstractTag.
std::unique_ptr<TAbstractTag> CreateTagForFile(const std::string& path);
// The same for the file at `path` that `file` has opened and read, with the result of that.
std::unique_ptr<TAbstractTag> CreateTagForSample(const std::string& path, FileSample& file,
                                                 FileSample::OpenResult opened);

// The same object made by each kind's own ReadTag in turn, which opens the file once per
// kind tried. CreateTagForFile falls back on it for a file it can open but not read.
std::unique_ptr<TAbstractTag> ProbeKindsInTurn(const std::string& path);

}  // namespace marlinote
