#pragma once

#include <string>

namespace marlinote::test {

// 桜の季節 and 表 (whose second byte is a backslash) in code page 932.
inline const std::string kSakura = "\x8D\xF7\x82\xCC\x8B\x47\x90\xDF";
inline const std::string kHyou = "\x95\x5C";

}  // namespace marlinote::test
