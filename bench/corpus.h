#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace marlinote::bench {

// What MakeCorpus made, by kind of file.
struct CorpusStats {
  std::size_t id3v2 = 0;  // MPEG audio beginning with an ID3v2 tag, ending in an ID3v1 trailer
  std::size_t id3v1 = 0;  // MPEG audio ending in an ID3v1 trailer
  std::size_t ape = 0;    // MPEG audio ending in an APE tag
  std::size_t ogg = 0;    // Ogg Vorbis with comments
  std::size_t plain = 0;  // MPEG audio without a tag
  std::size_t odd = 0;    // damaged and unusual files (only with `damaged`)
  std::size_t bytes = 0;  // all files together
  std::size_t files() const { return id3v2 + id3v1 + ape + ogg + plain + odd; }
};

// What the quarter of MPEG files with an ID3v1 trailer carries in front, as lame writes it.
enum class Id3v2Front {
  kNone,
  // A 2.3 tag of the seven fields in UTF-16 (about 1.3 KB with lame's 1024 bytes of padding).
  kSmall,
  // The same with a 40 KB cover picture.
  kPicture,
};

struct CorpusOptions {
  // The regular files: a quarter of each kind, in turn. Titles, artists, albums and file
  // names are Japanese or ASCII, also in turn.
  std::size_t count = 10000;
  Id3v2Front id3v2 = Id3v2Front::kNone;
  // Adds one file of every damaged or unusual kind that a probe must get right: cut and
  // lying APE footers, trailers in files shorter than 128 bytes, APE and ID3v1 together,
  // tags at the end of Ogg streams, Ogg headers larger than any head a probe reads,
  // files that begin with "OggS" and are no Ogg, empty files, symbolic links, a folder.
  bool damaged = false;
  // With `damaged`: sizes in bytes (how much of a file a reader takes at once) around
  // which files end and Ogg headers end, one byte before, at and after each.
  std::vector<std::size_t> boundaries = {128, 4096, 8192, 16384, 65536};
};

// The MPEG audio stream of the MPEG-like files: `seconds` of a chord encoded by `lame` at
// 128 kbit/s (about 16 KB a second), made in `workFolder` (which must exist). Throws
// std::runtime_error when lame cannot be run or leaves no stream.
std::string MakeMpegStream(const std::string& workFolder, double seconds = 1.0);

// Fills the existing folder `folder` with the corpus. `mpeg` is the audio of the MPEG-like
// files. Throws std::runtime_error when a file cannot be written.
CorpusStats MakeCorpus(const std::string& folder, const std::string& mpeg,
                       const CorpusOptions& options);

// Creates or replaces the file with exactly these bytes; throws std::runtime_error.
void WriteFile(const std::string& path, const std::string& bytes);

// UTF-8 text in code page 932 (the program's tag text), for values written into ID3v1 and
// APE tags.
std::string ToCp932(const std::string& utf8);

}  // namespace marlinote::bench
