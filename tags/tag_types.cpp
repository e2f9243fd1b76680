#include "tag_types.h"

#include <array>
#include <cstring>

#include "platform/file_handle.h"

namespace marlinote {

std::string TagTypeName(int type) {
  static constexpr std::array<const char*, 6> kNames = {
      "Abstract_Tag", "Ape_Tag", "ID3v1_Tag", "Ogg_Tag", "ID3v2_Tag", "WMA_Tag"};
  if (type < kTagNone || type > kTagWma) return {};
  return kNames[type + 1];
}

int CheckMp3Extension(const std::string& path, int wantedType) {
  const auto slash = path.rfind('/');
  const auto dot = path.rfind('.');
  std::string ext;
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
    ext = path.substr(dot);
  for (char& c : ext)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  if (ext == ".mp3" && (wantedType == kTagId3v1 || wantedType == kTagId3v2)) return kDataUsual;
  return kDataUnusual;
}

int CheckTagCompatibility(const std::string& path, int wantedType) {
  FileHandle file = OpenFile(path, "rb");
  if (!file) return kDataUnreadable;
  char head[4] = {};
  const size_t got = std::fread(head, 1, sizeof head, file.get());
  if (got < sizeof head) return CheckMp3Extension(path, wantedType);
  // The id is compared as an unsigned number, so -1 is not 0 or 1.
  const auto wanted = static_cast<unsigned>(wantedType);
  if (std::memcmp(head, "MAC ", 4) == 0) return wanted <= 1 ? kDataUsual : kDataUnusual;
  if (std::memcmp(head, "RIFF", 4) == 0) return kDataUnusual;
  if (std::memcmp(head, "OggS", 4) == 0)
    return wantedType == kTagOgg ? kDataUsual : kDataImpossible;
  return CheckMp3Extension(path, wantedType);
}

}  // namespace marlinote
