#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// The tag bytes of the corpus, written here from the formats' layouts rather than by the
// program's own writers, so that the corpus does not inherit their habits.
namespace marlinote::bench {

std::string Le32(std::uint32_t value);

// A 128-byte ID3v1 trailer; texts are cut to their slot and padded with zeros. A track of 0
// to 255 makes it ID3v1.1 (byte 125 zero), -1 leaves a 30-byte ID3v1.0 comment.
struct Id3v1Fields {
  std::string title, artist, album, year, comment;
  int track = -1;
  unsigned char genre = 0;
};
std::string Id3v1Trailer(const Id3v1Fields& fields);

// APE items followed by a footer (version 2000, no header). Values are written without a
// terminating zero unless `zeroEnded`, as different programs do.
using ApeItems = std::vector<std::pair<std::string, std::string>>;
std::string ApeTag(const ApeItems& items, bool zeroEnded = false);
std::string ApeFooter(std::uint32_t tagSize, std::uint32_t itemCount);

// The Vorbis comment header packet: type 3, "vorbis", vendor, comments, framing bit.
std::string CommentPacket(const std::string& vendor, const std::vector<std::string>& comments);

// The pieces of an Ogg Vorbis stream made by libvorbisenc: its three header packets and its
// audio pages, so that streams with other comments can be put together without encoding
// again.
struct OggTemplate {
  int serial = 0;
  std::string vendor;
  std::string identification;
  std::string setup;
  std::vector<std::string> audioPages;
};
OggTemplate MakeOggTemplate(unsigned seed, long samples, int serial = 1);

// A stream of the template with these header packets after the identification header
// (normally the comment and the setup header), as libogg pages them: the identification
// header on a page of its own, the others flushed together. The audio pages follow with
// their sequence numbers and checksums made right.
std::string AssembleOgg(const OggTemplate& t, const std::vector<std::string>& headers);
// One page holding these whole packets, laid out byte by byte with its checksum (libogg would
// give the identification header a page of its own). At most 255 lacing values.
std::string RawPage(int serial, long sequence, unsigned char flags, std::int64_t granule,
                    const std::vector<std::string>& packets);
// The template's audio pages, numbered from `firstSequence`.
std::string AudioPages(const OggTemplate& t, long firstSequence);

// The usual stream: comment header with the template's vendor, then the setup header.
std::string OggWithComments(const OggTemplate& t, const std::vector<std::string>& comments);

}  // namespace marlinote::bench
