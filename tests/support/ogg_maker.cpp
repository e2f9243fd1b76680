#include "ogg_maker.h"

#include <ogg/ogg.h>
#include <vorbis/codec.h>
#include <vorbis/vorbisenc.h>
#include <vorbis/vorbisfile.h>

#include <cmath>
#include <cstring>
#include <stdexcept>

#include "file_bytes.h"

namespace marlinote::test {
namespace {

void Append32(std::string& out, std::size_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>(value >> shift));
}

// The Vorbis I comment header with libvorbis' vendor (from the empty header it made) and the
// comments byte for byte, a NUL byte included. Made here rather than by libvorbis, which
// packs it a byte at a time into a buffer grown by 256 bytes, copied each time under
// AddressSanitizer: minutes for 160,000 comments.
std::string CommentPacket(const ogg_packet& empty, const std::vector<std::string>& comments) {
  const std::string made(reinterpret_cast<const char*>(empty.packet), static_cast<std::size_t>(empty.bytes));
  std::size_t vendorLength = 0;
  for (int i = 3; i >= 0; --i) vendorLength = vendorLength << 8 | static_cast<unsigned char>(made[7 + i]);
  std::string out = made.substr(0, 11 + vendorLength);
  Append32(out, comments.size());
  for (const std::string& text : comments) {
    Append32(out, text.size());
    out += text;
  }
  out.push_back(1);
  return out;
}

void AppendPage(std::string& out, const ogg_page& page) {
  out.append(reinterpret_cast<const char*>(page.header), static_cast<std::size_t>(page.header_len));
  out.append(reinterpret_cast<const char*>(page.body), static_cast<std::size_t>(page.body_len));
}

// Every libvorbisenc structure of one encoding, cleared in reverse order of making.
struct Encoder {
  vorbis_info info;
  vorbis_comment comment;
  vorbis_dsp_state dsp;
  vorbis_block block;
  ogg_stream_state stream;
  bool analysing = false;

  Encoder(const OggVorbisOptions& o) {
    vorbis_info_init(&info);
    vorbis_comment_init(&comment);
    ogg_stream_init(&stream, o.serial);
    if (vorbis_encode_init_vbr(&info, o.channels, o.rate, 0.1f) != 0)
      throw std::runtime_error("libvorbisenc refuses these options");
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    analysing = true;
  }
  ~Encoder() {
    ogg_stream_clear(&stream);
    if (analysing) {
      vorbis_block_clear(&block);
      vorbis_dsp_clear(&dsp);
    }
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
  }
  Encoder(const Encoder&) = delete;
  Encoder& operator=(const Encoder&) = delete;


  void Drain(std::string& out, int packetsPerPage) {
    ogg_packet packet;
    ogg_page page;
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
      vorbis_analysis(&block, nullptr);
      vorbis_bitrate_addblock(&block);
      while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
        ogg_stream_packetin(&stream, &packet);
        if (packetsPerPage <= 0) {
          while (ogg_stream_pageout(&stream, &page)) AppendPage(out, page);
        } else if (++packets % packetsPerPage == 0) {
          while (ogg_stream_flush_fill(&stream, &page, 1 << 16)) AppendPage(out, page);
        }
      }
    }
  }

  long packets = 0;
};

// A chord of two tones with a little deterministic noise: enough for several blocks sizes.
float Signal(unsigned seed, int channel, long index, long rate, unsigned& noise) {
  noise = noise * 1103515245u + 12345u;
  const double t = static_cast<double>(index) / static_cast<double>(rate);
  const double f1 = 220.0 * (1 + seed % 5) + 30.0 * channel;
  const double f2 = 3.0 * f1 / 2.0;
  const double n = static_cast<double>((noise >> 16) & 0x7FFF) / 32768.0 - 0.5;
  return static_cast<float>(0.4 * std::sin(2 * M_PI * f1 * t) + 0.2 * std::sin(2 * M_PI * f2 * t) +
                            0.05 * n);
}

}  // namespace

std::string MakeOggVorbis(const OggVorbisOptions& options) {
  Encoder encoder(options);
  std::string out;
  ogg_packet main, empty, setup;
  vorbis_analysis_headerout(&encoder.dsp, &encoder.comment, &main, &empty, &setup);
  std::string commentBytes = CommentPacket(empty, options.comments);
  ogg_packet comments = empty;
  comments.packet = reinterpret_cast<unsigned char*>(commentBytes.data());
  comments.bytes = static_cast<long>(commentBytes.size());
  ogg_stream_packetin(&encoder.stream, &main);
  ogg_page page;
  while (ogg_stream_flush(&encoder.stream, &page)) AppendPage(out, page);
  ogg_stream_packetin(&encoder.stream, &comments);
  ogg_stream_packetin(&encoder.stream, &setup);
  while (ogg_stream_flush(&encoder.stream, &page)) AppendPage(out, page);

  unsigned noise = options.seed;
  constexpr long kBlock = 1024;
  for (long done = 0; done < options.samples;) {
    const long n = std::min(kBlock, options.samples - done);
    float** buffer = vorbis_analysis_buffer(&encoder.dsp, static_cast<int>(n));
    for (long i = 0; i < n; ++i)
      for (int c = 0; c < options.channels; ++c)
        buffer[c][i] = Signal(options.seed, c, done + i, options.rate, noise);
    vorbis_analysis_wrote(&encoder.dsp, static_cast<int>(n));
    encoder.Drain(out, options.packets_per_page);
    done += n;
  }
  vorbis_analysis_wrote(&encoder.dsp, 0);
  encoder.Drain(out, options.packets_per_page);
  while (ogg_stream_flush(&encoder.stream, &page)) AppendPage(out, page);
  return out;
}

void WriteOggVorbis(const std::string& path, const OggVorbisOptions& options) {
  WriteBytes(path, MakeOggVorbis(options));
}

std::string MakeChainedOggVorbis(const OggVorbisOptions& first, const OggVorbisOptions& second) {
  if (first.serial == second.serial) throw std::runtime_error("chained streams need two serials");
  return MakeOggVorbis(first) + MakeOggVorbis(second);
}

std::string MakeMultiplexedOggVorbis(const OggVorbisOptions& first, const OggVorbisOptions& second,
                                     std::size_t lead) {
  if (first.serial == second.serial) throw std::runtime_error("multiplexed streams need two serials");
  const std::vector<std::string> a = SplitOggPages(MakeOggVorbis(first));
  const std::vector<std::string> b = SplitOggPages(MakeOggVorbis(second));
  std::string out;
  std::size_t i = 0;
  for (; i < lead && i < a.size(); ++i) out += a[i];
  for (std::size_t j = 0; i < a.size() || j < b.size(); ++i, ++j) {
    if (j < b.size()) out += b[j];
    if (i < a.size()) out += a[i];
  }
  return out;
}

DecodedOgg DecodeOggVorbis(const std::string& path) {
  OggVorbis_File file;
  if (ov_fopen(path.c_str(), &file) != 0)
    throw std::runtime_error("libvorbisfile cannot open " + path);
  struct Closer {
    OggVorbis_File* f;
    ~Closer() { ov_clear(f); }
  } closer{&file};

  DecodedOgg decoded;
  const vorbis_info* info = ov_info(&file, 0);
  const vorbis_comment* comment = ov_comment(&file, 0);
  decoded.channels = info->channels;
  decoded.rate = info->rate;
  if (comment->vendor) decoded.vendor = comment->vendor;
  for (int i = 0; i < comment->comments; ++i)
    decoded.comments.emplace_back(comment->user_comments[i],
                                  static_cast<std::size_t>(comment->comment_lengths[i]));
  decoded.samples = ov_pcm_total(&file, -1);

  char buffer[8192];
  int section = 0;
  for (;;) {
    const long n = ov_read(&file, buffer, sizeof buffer, 0, 2, 1, &section);
    if (n == 0) break;
    if (n < 0) throw std::runtime_error("libvorbisfile cannot decode " + path);
    const std::size_t old = decoded.pcm.size();
    decoded.pcm.resize(old + static_cast<std::size_t>(n) / 2);
    std::memcpy(decoded.pcm.data() + old, buffer, static_cast<std::size_t>(n));
  }
  return decoded;
}

std::vector<std::string> SplitOggPages(const std::string& bytes) {
  ogg_sync_state sync;
  ogg_sync_init(&sync);
  char* buffer = ogg_sync_buffer(&sync, static_cast<long>(bytes.size()));
  std::memcpy(buffer, bytes.data(), bytes.size());
  ogg_sync_wrote(&sync, static_cast<long>(bytes.size()));
  std::vector<std::string> pages;
  ogg_page page;
  for (int r; (r = ogg_sync_pageout(&sync, &page)) != 0;) {
    if (r < 0) continue;
    std::string one;
    AppendPage(one, page);
    pages.push_back(std::move(one));
  }
  ogg_sync_clear(&sync);
  return pages;
}

std::vector<std::string> OggPackets(const std::string& bytes) {
  std::vector<std::string> packets;
  const std::vector<std::string> pages = SplitOggPages(bytes);
  if (pages.empty()) return packets;
  auto asPage = [](const std::string& one) {
    ogg_page page{};
    page.header = reinterpret_cast<unsigned char*>(const_cast<char*>(one.data()));
    page.header_len = 27 + static_cast<unsigned char>(one[26]);
    page.body = page.header + page.header_len;
    page.body_len = static_cast<long>(one.size()) - page.header_len;
    return page;
  };
  ogg_page first = asPage(pages.front());
  ogg_stream_state stream;
  ogg_stream_init(&stream, ogg_page_serialno(&first));
  ogg_packet packet;
  for (const std::string& one : pages) {
    ogg_page page = asPage(one);
    if (ogg_stream_pagein(&stream, &page) != 0) continue;  // another stream's page
    for (int r; (r = ogg_stream_packetout(&stream, &packet)) != 0;)
      if (r > 0)
        packets.emplace_back(reinterpret_cast<const char*>(packet.packet),
                             static_cast<std::size_t>(packet.bytes));
  }
  ogg_stream_clear(&stream);
  return packets;
}

std::string MakeOggStream(const std::vector<std::string>& packets, int serial) {
  ogg_stream_state stream;
  ogg_stream_init(&stream, serial);
  std::string out;
  for (std::size_t i = 0; i < packets.size(); ++i) {
    ogg_packet packet{};
    packet.packet = reinterpret_cast<unsigned char*>(const_cast<char*>(packets[i].data()));
    packet.bytes = static_cast<long>(packets[i].size());
    packet.b_o_s = i == 0;
    packet.e_o_s = i + 1 == packets.size();
    packet.granulepos = 0;
    packet.packetno = static_cast<ogg_int64_t>(i);
    ogg_stream_packetin(&stream, &packet);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page)) AppendPage(out, page);
  }
  ogg_stream_clear(&stream);
  return out;
}

}  // namespace marlinote::test
