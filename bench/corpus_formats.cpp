#include "bench/corpus_formats.h"

#include <ogg/ogg.h>

#include <algorithm>
#include <stdexcept>

#include "tests/support/ogg_maker.h"

namespace marlinote::bench {

namespace {

void PutText(std::string& trailer, std::size_t offset, std::size_t width, const std::string& text) {
  trailer.replace(offset, std::min(width, text.size()), text.substr(0, width));
}

std::uint32_t ReadLe32(const std::string& bytes, std::size_t offset) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i)
    value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes.at(offset + i))) << (8 * i);
  return value;
}

void AppendPage(std::string& out, const ogg_page& page) {
  out.append(reinterpret_cast<const char*>(page.header), static_cast<std::size_t>(page.header_len));
  out.append(reinterpret_cast<const char*>(page.body), static_cast<std::size_t>(page.body_len));
}

ogg_packet Packet(const std::string& bytes, bool first, long number) {
  ogg_packet packet{};
  packet.packet = reinterpret_cast<unsigned char*>(const_cast<char*>(bytes.data()));
  packet.bytes = static_cast<long>(bytes.size());
  packet.b_o_s = first ? 1 : 0;
  packet.packetno = number;
  return packet;
}

// Gives a copied page the sequence number it has in its new stream.
void Renumber(std::string& page, long sequence) {
  const std::string number = Le32(static_cast<std::uint32_t>(sequence));
  page.replace(18, 4, number);
  ogg_page view{};
  view.header = reinterpret_cast<unsigned char*>(page.data());
  view.header_len = 27 + static_cast<unsigned char>(page[26]);
  view.body = view.header + view.header_len;
  view.body_len = static_cast<long>(page.size()) - view.header_len;
  ogg_page_checksum_set(&view);
}

}  // namespace

std::string Le32(std::uint32_t value) {
  std::string out;
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
  return out;
}

std::string Id3v1Trailer(const Id3v1Fields& f) {
  std::string trailer(128, '\0');
  trailer.replace(0, 3, "TAG");
  PutText(trailer, 3, 30, f.title);
  PutText(trailer, 33, 30, f.artist);
  PutText(trailer, 63, 30, f.album);
  PutText(trailer, 93, 4, f.year);
  if (f.track >= 0) {
    PutText(trailer, 97, 28, f.comment);
    trailer[125] = '\0';
    trailer[126] = static_cast<char>(f.track & 0xFF);
  } else {
    PutText(trailer, 97, 30, f.comment);
  }
  trailer[127] = static_cast<char>(f.genre);
  return trailer;
}

std::string ApeFooter(std::uint32_t tagSize, std::uint32_t itemCount) {
  return "APETAGEX" + Le32(2000) + Le32(tagSize) + Le32(itemCount) + Le32(0) +
         std::string(8, '\0');
}

std::string ApeTag(const ApeItems& items, bool zeroEnded) {
  std::string tag;
  for (const auto& [key, value] : items) {
    const std::size_t size = value.size() + (zeroEnded ? 1 : 0);
    tag += Le32(static_cast<std::uint32_t>(size)) + Le32(0) + key + '\0' + value;
    if (zeroEnded) tag += '\0';
  }
  const auto tagSize = static_cast<std::uint32_t>(tag.size() + 32);
  return tag + ApeFooter(tagSize, static_cast<std::uint32_t>(items.size()));
}

std::string CommentPacket(const std::string& vendor, const std::vector<std::string>& comments) {
  std::string packet = "\x03vorbis";
  packet += Le32(static_cast<std::uint32_t>(vendor.size())) + vendor;
  packet += Le32(static_cast<std::uint32_t>(comments.size()));
  for (const std::string& c : comments) packet += Le32(static_cast<std::uint32_t>(c.size())) + c;
  packet += '\x01';
  return packet;
}

OggTemplate MakeOggTemplate(unsigned seed, long samples, int serial) {
  const std::string bytes = test::MakeOggVorbis(
      {.samples = samples, .channels = 2, .rate = 44100, .serial = serial, .seed = seed});
  const std::vector<std::string> packets = test::OggPackets(bytes);
  const std::vector<std::string> pages = test::SplitOggPages(bytes);
  if (packets.size() < 3) throw std::runtime_error("libvorbisenc made no header packets");

  OggTemplate t;
  t.serial = serial;
  t.identification = packets[0];
  t.setup = packets[2];
  t.vendor = packets[1].substr(11, ReadLe32(packets[1], 7));
  // The header pages end on the page where the third packet ends.
  int ended = 0;
  std::size_t first = 0;
  while (first < pages.size() && ended < 3) {
    ogg_page view{};
    std::string page = pages[first];
    view.header = reinterpret_cast<unsigned char*>(page.data());
    view.header_len = 27 + static_cast<unsigned char>(page[26]);
    view.body = view.header + view.header_len;
    view.body_len = static_cast<long>(page.size()) - view.header_len;
    ended += ogg_page_packets(&view);
    ++first;
  }
  t.audioPages.assign(pages.begin() + static_cast<long>(first), pages.end());
  return t;
}

std::string AssembleOgg(const OggTemplate& t, const std::vector<std::string>& headers) {
  ogg_stream_state stream;
  ogg_stream_init(&stream, t.serial);
  std::string out;
  ogg_page page;
  long number = 0;
  ogg_packet id = Packet(t.identification, true, number++);
  ogg_stream_packetin(&stream, &id);
  while (ogg_stream_flush(&stream, &page)) AppendPage(out, page);
  for (const std::string& header : headers) {
    ogg_packet packet = Packet(header, false, number++);
    ogg_stream_packetin(&stream, &packet);
  }
  while (ogg_stream_flush(&stream, &page)) AppendPage(out, page);
  const long sequence = stream.pageno;
  ogg_stream_clear(&stream);
  return out + AudioPages(t, sequence);
}

std::string AudioPages(const OggTemplate& t, long firstSequence) {
  std::string out;
  for (std::string audio : t.audioPages) {
    Renumber(audio, firstSequence++);
    out += audio;
  }
  return out;
}

std::string RawPage(int serial, long sequence, unsigned char flags, std::int64_t granule,
                    const std::vector<std::string>& packets) {
  std::string lacing, body;
  for (const std::string& packet : packets) {
    std::size_t n = packet.size();
    for (; n >= 255; n -= 255) lacing += '\xff';
    lacing += static_cast<char>(n);
    body += packet;
  }
  if (lacing.size() > 255) throw std::runtime_error("too many lacing values for one page");
  std::string page = "OggS";
  page += '\0';
  page += static_cast<char>(flags);
  for (int i = 0; i < 8; ++i) page += static_cast<char>((granule >> (8 * i)) & 0xFF);
  page += Le32(static_cast<std::uint32_t>(serial)) + Le32(static_cast<std::uint32_t>(sequence)) + Le32(0);
  page += static_cast<char>(lacing.size());
  page += lacing + body;
  ogg_page view{};
  view.header = reinterpret_cast<unsigned char*>(page.data());
  view.header_len = static_cast<long>(27 + lacing.size());
  view.body = view.header + view.header_len;
  view.body_len = static_cast<long>(body.size());
  ogg_page_checksum_set(&view);
  return page;
}

std::string OggWithComments(const OggTemplate& t, const std::vector<std::string>& comments) {
  return AssembleOgg(t, {CommentPacket(t.vendor, comments), t.setup});
}

}  // namespace marlinote::bench
