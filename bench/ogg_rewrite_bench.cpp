// Rewriting the comments of a large Ogg Vorbis file: TOggTag against `vorbiscomment -w` on a
// copy of the same file, and against a plain copy of the file, the limit of any rewrite.
// Then a small file with 160,000 comments, where the time goes into matching every comment
// written to the one it was read from.
//   bench_ogg_rewrite [ROUNDS [MEGABYTES]]      (default: 7 rounds, 50 MB)
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/corpus.h"
#include "tests/support/temp_dir.h"
#include "bench/measure.h"
#include "tags/ogg_tag.h"
#include "tests/support/ogg_maker.h"

extern char** environ;

namespace marlinote::bench {
namespace {

// Encodes music-like noise (stereo, 44.1 kHz, the highest quality, so that the file
// reaches its size in fewer minutes of sound) until the file holds `bytes` bytes.
void EncodeOgg(const std::string& path, std::size_t bytes) {
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) throw std::runtime_error("cannot create " + path);
  vorbis_info info;
  vorbis_comment comment;
  vorbis_dsp_state dsp;
  vorbis_block block;
  ogg_stream_state stream;
  vorbis_info_init(&info);
  if (vorbis_encode_init_vbr(&info, 2, 44100, 1.0f) != 0) throw std::runtime_error("libvorbisenc");
  vorbis_comment_init(&comment);
  vorbis_comment_add(&comment, "TITLE=Long piece");
  vorbis_comment_add(&comment, "ARTIST=Benchmark");
  vorbis_analysis_init(&dsp, &info);
  vorbis_block_init(&dsp, &block);
  ogg_stream_init(&stream, 7);
  ogg_packet main, comments, setup;
  vorbis_analysis_headerout(&dsp, &comment, &main, &comments, &setup);
  ogg_stream_packetin(&stream, &main);
  ogg_stream_packetin(&stream, &comments);
  ogg_stream_packetin(&stream, &setup);
  ogg_page page;
  std::size_t written = 0;
  auto put = [&](const ogg_page& p) {
    written += std::fwrite(p.header, 1, static_cast<std::size_t>(p.header_len), out);
    written += std::fwrite(p.body, 1, static_cast<std::size_t>(p.body_len), out);
  };
  while (ogg_stream_flush(&stream, &page)) put(page);

  auto drain = [&] {
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
      vorbis_analysis(&block, nullptr);
      vorbis_bitrate_addblock(&block);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
        ogg_stream_packetin(&stream, &packet);
        while (ogg_stream_pageout(&stream, &page)) put(page);
      }
    }
  };
  unsigned noise = 12345;
  long sample = 0;
  while (written < bytes) {
    constexpr int kBlock = 4096;
    float** buffer = vorbis_analysis_buffer(&dsp, kBlock);
    for (int i = 0; i < kBlock; ++i, ++sample) {
      const double t = static_cast<double>(sample) / 44100;
      for (int c = 0; c < 2; ++c) {
        noise = noise * 1103515245u + 12345u;
        const double n = static_cast<double>((noise >> 9) & 0xFFFF) / 65536.0 - 0.5;
        buffer[c][i] = static_cast<float>(0.3 * std::sin(2 * M_PI * (220 + 110 * c) * t) + 0.5 * n);
      }
    }
    vorbis_analysis_wrote(&dsp, kBlock);
    drain();
  }
  vorbis_analysis_wrote(&dsp, 0);
  drain();
  while (ogg_stream_flush(&stream, &page)) put(page);
  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  if (std::fclose(out) != 0) throw std::runtime_error("cannot write " + path);
}

// A plain copy in large blocks, flushed to the disk like the rewrite's output.
void CopyFile(const std::string& from, const std::string& to, bool sync) {
  const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  const int out = open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (in < 0 || out < 0) throw std::runtime_error("cannot copy " + from);
  static std::vector<char> buffer(1 << 20);
  for (ssize_t n; (n = read(in, buffer.data(), buffer.size())) > 0;)
    if (write(out, buffer.data(), static_cast<std::size_t>(n)) != n) throw std::runtime_error("short write");
  if (sync) fsync(out);
  close(in);
  close(out);
}

int Run(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A rewrite as the program makes it: the file read, one field set, the file written.
void RewriteTitle(const std::string& path, const std::string& title, int& failures) {
  TOggTag tag;
  if (tag.ReadTag(path) != 0) ++failures;
  tag.SetField("Title", title);
  if (!tag.WriteTag()) ++failures;
}

// "median (min .. max)" of the times in milliseconds.
std::string Milliseconds(const std::vector<double>& seconds) {
  return Spread(Ratios(seconds, std::vector<double>(seconds.size(), 1e-3)), 1);
}

void Measure(int rounds, std::size_t megabytes) {
  const test::TempDir scratch("marlinote-bench");
  const std::string original = scratch.file("original.ogg");
  const std::string ours = scratch.file("ours.ogg");
  const std::string theirs = scratch.file("theirs.ogg");
  const std::string copy = scratch.file("copy.ogg");
  const double encoding = TimeSeconds([&] { EncodeOgg(original, megabytes << 20); });

  int failures = 0;
  const std::string title = "TITLE=書き換えのテスト";
  const std::vector<std::vector<double>> t = TimeInRounds(
      {
          {[&] { RewriteTitle(ours, ToCp932("書き換えのテスト"), failures); },
           [&] { CopyFile(original, ours, false); }},
          {[&] {
             if (Run({"vorbiscomment", "-w", "-t", title, theirs}) != 0) ++failures;
           },
           [&] { CopyFile(original, theirs, false); }},
          {[&] { CopyFile(original, copy, true); }, [&] { unlink(copy.c_str()); }},
          {[&] { CopyFile(original, copy, false); }, [&] { unlink(copy.c_str()); }},
      },
      rounds);

  std::FILE* f = std::fopen(original.c_str(), "rb");
  std::fseek(f, 0, SEEK_END);
  const long size = std::ftell(f);
  std::fclose(f);
  std::printf("Rewriting the comments of a %.1f MB Ogg Vorbis file (encoded in %.0f s), warm cache, "
              "%d rounds; median (min .. max)\n",
              static_cast<double>(size) / 1e6, encoding, rounds);
  std::printf("  TOggTag time / vorbiscomment -w time                  %s   (goal: at most 1)\n",
              Spread(Ratios(t[0], t[1]), 2).c_str());
  std::printf("  TOggTag time / plain copy time (with fsync)           %s   (goal: at most 3)\n",
              Spread(Ratios(t[0], t[2]), 2).c_str());
  std::printf("  TOggTag time / plain copy time (without fsync)        %s\n",
              Spread(Ratios(t[0], t[3]), 2).c_str());
  std::printf("  TOggTag read, set Title, write (with fsync)  ms       %s\n", Milliseconds(t[0]).c_str());
  std::printf("  vorbiscomment -w -t (no fsync)               ms       %s\n", Milliseconds(t[1]).c_str());
  std::printf("  plain copy, 1 MiB blocks, fsync              ms       %s\n", Milliseconds(t[2]).c_str());
  std::printf("  plain copy, 1 MiB blocks                     ms       %s\n", Milliseconds(t[3]).c_str());
  if (failures) std::printf("  FAILURES: %d\n", failures);
  std::fflush(stdout);
}

// 160,000 comments, every other one the same pair, read, one field set, written.
void MeasureManyComments(int rounds) {
  const test::TempDir scratch("marlinote-bench");
  const std::string path = scratch.file("many.ogg");
  std::vector<std::string> comments;
  for (int i = 0; i < 160'000; ++i)
    comments.push_back(i == 80'000 ? "TITLE=old" : i % 2 ? "NOTE=" + std::to_string(i) : "GENRE=Rock");
  const std::string original = test::MakeOggVorbis({.comments = comments});
  int failures = 0;
  std::vector<std::vector<double>> cpu;
  const std::vector<std::vector<double>> t = TimeInRounds(
      {{[&] { RewriteTitle(path, "new", failures); },
        [&] {
          std::FILE* f = std::fopen(path.c_str(), "wb");
          if (!f || std::fwrite(original.data(), 1, original.size(), f) != original.size() ||
              std::fclose(f) != 0)
            ++failures;
        }}},
      rounds, &cpu);
  std::printf("Rewriting a %.1f MB Ogg Vorbis file of 160,000 comments, %d rounds; median (min .. max)\n",
              static_cast<double>(original.size()) / 1e6, rounds);
  std::printf("  TOggTag read, set Title, write (with fsync)  ms       %s   (goal: well under 1000)\n",
              Milliseconds(t[0]).c_str());
  std::printf("  the same, processor time                     ms       %s\n", Milliseconds(cpu[0]).c_str());
  if (failures) std::printf("  FAILURES: %d\n", failures);
  std::fflush(stdout);
}

}  // namespace
}  // namespace marlinote::bench

int main(int argc, char** argv) {
  using namespace marlinote::bench;
  const int rounds = static_cast<int>(ArgOr(argc, argv, 1, 7));
  Measure(rounds, static_cast<std::size_t>(ArgOr(argc, argv, 2, 50)));
  MeasureManyComments(rounds);
  return 0;
}
