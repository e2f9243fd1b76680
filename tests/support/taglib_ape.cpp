#include "taglib_ape.h"

#include <taglib/apeitem.h>
#include <taglib/apetag.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/id3v2tag.h>
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

std::string TagLibId3v2Frames(const std::string& path) {
  TagLib::MPEG::File file(path.c_str(), false);
  if (!file.isValid() || !file.hasID3v2Tag()) return "no ID3v2 tag";
  TagLib::ID3v2::Tag& tag = *file.ID3v2Tag();
  std::string lines = "2." + std::to_string(tag.header()->majorVersion()) + '\n';
  for (const TagLib::ID3v2::Frame* frame : tag.frameList()) {
    const TagLib::ByteVector id = frame->frameID();
    lines += std::string(id.data(), id.size()) + '=';
    if (const auto* picture = dynamic_cast<const TagLib::ID3v2::AttachedPictureFrame*>(frame)) {
      const TagLib::ByteVector hex = picture->picture().toHex();
      lines.append(hex.data(), hex.size());
    } else
      lines += frame->toString().to8Bit(true);
    lines += '\n';
  }
  return lines;
}

}  // namespace marlinote::test
