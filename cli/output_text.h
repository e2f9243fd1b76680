#pragma once

#include <string>
#include <string_view>

namespace marlinote::cli {

// A code page 932 key or value as one line of UTF-8: invalid bytes become U+FFFD, and
// backslashes and control characters are written as escapes (\\, \n, \r, \t, \xHH), so a
// value never breaks its "Key=Value" line.
std::string DisplayText(std::string_view local);

// The same for a UTF-8 text (a file name, a column caption): bytes that are not valid UTF-8
// become U+FFFD.
std::string DisplayUtf8(std::string_view utf8);

// A JSON string literal, quotes included. Bytes that are not valid UTF-8 become U+FFFD.
std::string JsonString(std::string_view utf8);

// The JSON members that name a file: "path", and "pathBytes" (the name's bytes in lower-case
// hex) where the name is not valid UTF-8, since "path" cannot then tell two names apart.
std::string JsonPathMembers(std::string_view path);

}  // namespace marlinote::cli
