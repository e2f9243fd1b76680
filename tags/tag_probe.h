#pragma once

#include <memory>
#include <string>

#include "tags/abstract_tag.h"

namespace marlinote {

// The tag object of a file: the first of TAPETag, TOggTag and TID3v1Tag whose ReadTag reads
// the file, else a plain TAbstractTag that only records the path. Never null.
std::unique_ptr<TAbstractTag> CreateTagForFile(const std::string& path);

}  // namespace marlinote
