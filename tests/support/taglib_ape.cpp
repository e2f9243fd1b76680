#include "taglib_ape.h"

#include <taglib/apeitem.h>
#include <taglib/apetag.h>
#include <taglib/mpegfile.h>

namespace marlinote::test {

std::string TagLibApeItems(const std::string& path) {
  TagLib::MPEG::File file(path.c_str(), false);
  if (!file.isValid()) return "not MPEG";
  if (!file.hasAPETag()) return "no APE tag";
  std::string lines;
  for (const auto& [key, item] : file.APETag()->itemListMap()) {
    lines += key.to8Bit(true) + '=';
    if (item.type() == TagLib::APE::Item::Binary)
      lines += '<' + std::to_string(item.binaryData().size()) + " bytes>";
    else
      lines += item.values().toString("|").to8Bit(true);
    lines += '\n';
  }
  return lines;
}

}  // namespace marlinote::test
