#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace marlinote::test {

// An Ogg Vorbis stream to make with libvorbisenc. The vendor text is libvorbis' own.
struct OggVorbisOptions {
  std::vector<std::string> comments = {};  // added in order, byte for byte ("TITLE=...")
  long samples = 22050;                    // per channel
  int channels = 1;
  long rate = 44100;
  int serial = 1;
  unsigned seed = 1;  // picks the deterministic signal
  // 0: audio pages as libogg cuts them; N: a page after every N audio packets, so that pages
  // end at other packets than a rewrite's will.
  int packets_per_page = 0;
};

// The bytes of a complete stream (headers on pages of their own, end-of-stream at the end).
// Throws std::runtime_error when libvorbisenc refuses the options.
std::string MakeOggVorbis(const OggVorbisOptions& options = {});
void WriteOggVorbis(const std::string& path, const OggVorbisOptions& options = {});

// Two streams back to back; the second one's serial must differ from the first one's.
std::string MakeChainedOggVorbis(const OggVorbisOptions& first, const OggVorbisOptions& second);

// Two streams multiplexed: the first `lead` pages of `first`, then one page of each stream in
// turn. With a lead of 1 both streams begin before any other page, as muxers write them; a
// longer lead puts pages of the second stream only among the first one's audio pages.
std::string MakeMultiplexedOggVorbis(const OggVorbisOptions& first, const OggVorbisOptions& second,
                                     std::size_t lead = 1);

// What libvorbisfile finds in a file. vendor and comments are the first stream's; pcm and
// samples cover every stream of a chained file.
struct DecodedOgg {
  std::string vendor;
  std::vector<std::string> comments;
  int channels = 0;
  long rate = 0;
  std::int64_t samples = 0;       // per channel, as ov_pcm_total reports it
  std::vector<std::int16_t> pcm;  // interleaved, as decoded
};

// Throws std::runtime_error when libvorbisfile cannot open the file.
DecodedOgg DecodeOggVorbis(const std::string& path);

// The bytes of every Ogg page in the text, in order; bytes outside pages are left out.
std::vector<std::string> SplitOggPages(const std::string& bytes);

// The packets of the first logical stream, in order.
std::vector<std::string> OggPackets(const std::string& bytes);

// An Ogg stream of one page per packet, the first one beginning and the last one ending the
// stream, granule positions 0: for streams that are Ogg but no (or no sound) Vorbis.
std::string MakeOggStream(const std::vector<std::string>& packets, int serial = 1);

}  // namespace marlinote::test
