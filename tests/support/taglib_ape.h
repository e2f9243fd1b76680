#pragma once

#include <string>

namespace marlinote::test {

// What TagLib, a tag library many players use, reads from the APE tag of an MPEG file: one
// line per item in its (key) order, "KEY=value|value" for text and "KEY=<N bytes>" for
// binary data; "no APE tag" when it finds none, "not MPEG" when it cannot read the file.
std::string TagLibApeItems(const std::string& path);

}  // namespace marlinote::test
