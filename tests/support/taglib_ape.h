#pragma once

#include <string>

namespace marlinote::test {

// What TagLib, a tag library many players use, reads from the APE tag of an MPEG file: one
// line per item in its (key) order, "KEY=value|value" for text and "KEY=<N bytes>" for
// binary data; "no APE tag" when it finds none, "not MPEG" when it cannot read the file.
std::string TagLibApeItems(const std::string& path);

// What TagLib reads from the ID3v2 tag of an MPEG file: "2.3" (its version) on the first line,
// then one line per frame in tag order, "ID=text" (TagLib's view of the frame), and for a
// picture "APIC=" and its bytes in hex; "no ID3v2 tag" when it finds none. Texts marked
// ISO-8859-1 are read the way the process reads them (the program's tag code sets TagLib's
// handler for them).
std::string TagLibId3v2Frames(const std::string& path);

}  // namespace marlinote::test
