#pragma once

#include <string>

namespace marlinote {

// Tag type ids; also the index of the tag mark image.
inline constexpr int kTagNone = -1;
inline constexpr int kTagApe = 0;
inline constexpr int kTagId3v1 = 1;
inline constexpr int kTagOgg = 2;
inline constexpr int kTagId3v2 = 3;
inline constexpr int kTagWma = 4;

// Results of the compatibility rule.
inline constexpr int kDataUsual = 0;
inline constexpr int kDataUnreadable = -1;
inline constexpr int kDataUnusual = -2;
inline constexpr int kDataImpossible = -3;

// "Abstract_Tag", "Ape_Tag", ... for -1 to 4; empty text for any other id.
std::string TagTypeName(int type);

// Judges the file's first four bytes (and, failing a known signature, its extension)
// against the wanted tag kind: 0, -1 (cannot be opened), -2 or -3.
int CheckTagCompatibility(const std::string& path, int wantedType);

// 0 when the path's last extension is ".mp3" (any case) and the wanted id is 1 or 3; else -2.
int CheckMp3Extension(const std::string& path, int wantedType);

}  // namespace marlinote
