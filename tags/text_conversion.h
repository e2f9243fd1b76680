#pragma once

#include <string>
#include <string_view>

namespace marlinote {

// UTF-8 to code page 932. A character that code page 932 cannot hold, a cut sequence and a
// four-byte sequence each become one space; a leading byte-order mark is dropped.
std::string Utf8ToLocal(std::string_view utf8);

// Code page 932 to UTF-8.
std::string LocalToUtf8(std::string_view local);

}  // namespace marlinote
