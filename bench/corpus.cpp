#include "bench/corpus.h"

#include <fcntl.h>
#include <iconv.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "bench/corpus_formats.h"
#include "bench/odd_files.h"
#include "tests/support/file_bytes.h"
#include "tests/support/id3v2_maker.h"

extern char** environ;

namespace marlinote::bench {

namespace {

// Texts of the regular files, half Japanese, half ASCII.
const char* const kTitles[] = {
    "桜の季節", "Blue Sky", "雪の朝", "Morning Dew", "月の光", "Last Train Home",
    "夏の終わりのハーモニー", "Paper Moon", "風の谷のうた", "Over the Rainbow", "星空のディスタンス",
    "Autumn Leaves", "夜明けのスキャット", "Fly Me to the Moon", "青い珊瑚礁", "Take Five"};
const char* const kArtists[] = {"山田花子", "The Lanterns", "鈴木一郎", "Maria Cole",
                                "佐藤花", "Quiet Harbour", "高橋みなみと仲間たち", "J. Smith Trio"};
const char* const kAlbums[] = {"春の歌", "Northern Lights", "冬景色", "Live at the Blue Note",
                               "夜想曲集", "Greatest Hits 1985-1995"};
const char* const kComments[] = {"サンプル", "Remastered", "", "ライブ録音 東京", "Bonus track"};
const char* const kGenres[] = {"Anime", "JPop", "Rock", "Classical", "Jazz", "Pop"};
const unsigned char kGenreBytes[] = {145, 146, 17, 32, 8, 13};

template <typename T, std::size_t N>
const T& Pick(const T (&pool)[N], std::size_t i) {
  return pool[i % N];
}

void WriteWav(const std::string& path, double seconds) {
  constexpr int kRate = 44100;
  const auto frames = static_cast<std::uint32_t>(seconds * kRate);
  std::string data;
  data.reserve(frames * 4);
  for (std::uint32_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / kRate;
    for (int channel = 0; channel < 2; ++channel) {
      const double f = 220.0 + 110.0 * channel;
      const auto v = static_cast<std::int16_t>(
          9000 * std::sin(2 * M_PI * f * t) + 4000 * std::sin(2 * M_PI * 1.5 * f * t));
      data.push_back(static_cast<char>(v & 0xFF));
      data.push_back(static_cast<char>((v >> 8) & 0xFF));
    }
  }
  std::string wav = "RIFF" + Le32(static_cast<std::uint32_t>(36 + data.size())) + "WAVEfmt ";
  wav += Le32(16) + std::string("\x01\x00\x02\x00", 4) + Le32(kRate) + Le32(kRate * 4) +
         std::string("\x04\x00\x10\x00", 4) + "data" + Le32(static_cast<std::uint32_t>(data.size()));
  WriteFile(path, wav + data);
}

std::string ReadWhole(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) throw std::runtime_error("cannot read " + path);
  std::string bytes;
  char buffer[65536];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) bytes.append(buffer, n);
  std::fclose(f);
  return bytes;
}

struct Values {
  std::string title, artist, album, comment, year, track, genre;
  unsigned char genreByte = 0;
};

Values ValuesFor(std::size_t i) {
  Values v;
  // Different strides, so that the combinations vary from file to file.
  v.title = Pick(kTitles, i / 4);
  v.artist = Pick(kArtists, i / 3);
  v.album = Pick(kAlbums, i / 7);
  v.comment = Pick(kComments, i / 5);
  v.year = std::to_string(1970 + i % 54);
  v.track = std::to_string(1 + i % 20);
  v.genre = Pick(kGenres, i / 11);
  v.genreByte = Pick(kGenreBytes, i / 11);
  return v;
}

std::string NumberText(std::size_t i) {
  char text[24];
  std::snprintf(text, sizeof text, "%06zu", i);
  return text;
}

}  // namespace

void WriteFile(const std::string& path, const std::string& bytes) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) throw std::runtime_error("cannot create " + path);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) {
      close(fd);
      throw std::runtime_error("cannot write " + path);
    }
    done += static_cast<std::size_t>(n);
  }
  if (close(fd) != 0) throw std::runtime_error("cannot write " + path);
}

std::string ToCp932(const std::string& utf8) {
  iconv_t cd = iconv_open("CP932", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("no CP932 converter");
  std::string out(utf8.size() * 2 + 4, '\0');
  char* in = const_cast<char*>(utf8.data());
  std::size_t inLeft = utf8.size();
  char* outPtr = out.data();
  std::size_t outLeft = out.size();
  const std::size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (result == static_cast<std::size_t>(-1)) throw std::runtime_error("not CP932: " + utf8);
  out.resize(out.size() - outLeft);
  return out;
}

std::string MakeMpegStream(const std::string& workFolder, double seconds) {
  const std::string wav = workFolder + "/tone.wav";
  const std::string mp3 = workFolder + "/tone.mp3";
  WriteWav(wav, seconds);
  std::string w = wav, m = mp3;
  char quiet[] = "--quiet", bitrate[] = "-b", kbps[] = "128", lame[] = "lame";
  char* argv[] = {lame, quiet, bitrate, kbps, w.data(), m.data(), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, "lame", nullptr, nullptr, argv, environ) != 0)
    throw std::runtime_error("cannot run lame");
  int status = 0;
  waitpid(pid, &status, 0);
  std::remove(wav.c_str());
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error("lame failed");
  std::string stream = ReadWhole(mp3);
  std::remove(mp3.c_str());
  if (stream.size() < 4 || static_cast<unsigned char>(stream[0]) != 0xFF ||
      (static_cast<unsigned char>(stream[1]) & 0xE0) != 0xE0)
    throw std::runtime_error("lame made no bare MPEG audio stream");
  return stream;
}

CorpusStats MakeCorpus(const std::string& folder, const std::string& mpeg,
                       const CorpusOptions& options) {
  std::vector<OggTemplate> templates;
  for (unsigned seed = 1; seed <= 4; ++seed)
    templates.push_back(MakeOggTemplate(seed, 44100, static_cast<int>(seed)));

  CorpusStats stats;
  for (std::size_t i = 0; i < options.count; ++i) {
    const Values v = ValuesFor(i);
    const std::string stem = folder + "/" + v.title + " " + NumberText(i);
    std::string bytes;
    std::string path;
    switch (i % 4) {
      case 0: {
        Id3v1Fields f{ToCp932(v.title), ToCp932(v.artist), ToCp932(v.album), v.year,
                      ToCp932(v.comment), static_cast<int>(1 + i % 20), v.genreByte};
        bytes = mpeg + Id3v1Trailer(f);
        path = stem + ".mp3";
        if (options.id3v2 == Id3v2Front::kNone) {
          ++stats.id3v1;
          break;
        }
        std::vector<test::RawFrame> frames = {
            {"TIT2", test::TextContent(1, v.title)},     {"TPE1", test::TextContent(1, v.artist)},
            {"TALB", test::TextContent(1, v.album)},     {"TYER", test::TextContent(0, v.year)},
            {"TRCK", test::TextContent(0, v.track)},     {"TCON", test::TextContent(0, v.genre)},
            {"COMM", std::string("\1eng\xFF\xFE\0\0", 8) + test::TextContent(1, v.comment).substr(1)}};
        if (options.id3v2 == Id3v2Front::kPicture)
          frames.push_back({"APIC", std::string("\0image/jpeg\0\x03\0", 14) + test::AudioBytes(40000, static_cast<unsigned>(i))});
        bytes = test::MakeId3v2Tag(3, frames, 1024) + bytes;
        ++stats.id3v2;
        break;
      }
      case 1: {
        ApeItems items = {{"Title", ToCp932(v.title)},     {"Artist", ToCp932(v.artist)},
                          {"Album", ToCp932(v.album)},     {"Year", v.year},
                          {"Track", v.track},              {"Genre", v.genre},
                          {"Comment", ToCp932(v.comment)}};
        if (i % 8 == 1) items.push_back({"REPLAYGAIN_TRACK_GAIN", "-6.48 dB"});
        bytes = mpeg + ApeTag(items, i % 8 == 5);
        path = stem + ".mp3";
        ++stats.ape;
        break;
      }
      case 2: {
        std::vector<std::string> comments = {
            "TITLE=" + v.title,   "ARTIST=" + v.artist,       "ALBUM=" + v.album,
            "DATE=" + v.year,     "TRACKNUMBER=" + v.track,   "GENRE=" + v.genre};
        if (!v.comment.empty()) comments.push_back("COMMENT=" + v.comment);
        bytes = OggWithComments(templates[(i / 4) % templates.size()], comments);
        path = stem + ".ogg";
        ++stats.ogg;
        break;
      }
      default:
        bytes = mpeg;
        path = stem + ".mp3";
        ++stats.plain;
        break;
    }
    WriteFile(path, bytes);
    stats.bytes += bytes.size();
  }
  if (options.damaged) {
    const OddStats odd = MakeOddFiles(folder, mpeg, templates.front(), options.boundaries);
    stats.odd = odd.files;
    stats.bytes += odd.bytes;
  }
  return stats;
}

}  // namespace marlinote::bench
