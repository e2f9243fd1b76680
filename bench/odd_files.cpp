#include "bench/odd_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <set>
#include <stdexcept>

#include "bench/corpus.h"
#include "tests/support/ogg_maker.h"

namespace marlinote::bench {

namespace {

class OddWriter {
 public:
  OddWriter(const std::string& folder, OddStats& stats) : folder_(folder), stats_(stats) {}

  void File(const std::string& name, const std::string& bytes) {
    if (!names_.insert(name).second) return;  // sizes that the lacing cannot reach repeat
    WriteFile(folder_ + "/" + name, bytes);
    ++stats_.files;
    stats_.bytes += bytes.size();
  }

  void Link(const std::string& name, const std::string& target) {
    if (symlink(target.c_str(), (folder_ + "/" + name).c_str()) != 0)
      throw std::runtime_error("cannot make the link " + name);
    ++stats_.files;
  }

  void Folder(const std::string& name) {
    if (mkdir((folder_ + "/" + name).c_str(), 0755) != 0)
      throw std::runtime_error("cannot make the folder " + name);
    ++stats_.files;
  }

  std::string Path(const std::string& name) const { return folder_ + "/" + name; }

 private:
  const std::string& folder_;
  OddStats& stats_;
  std::set<std::string> names_;
};

// `size` bytes of the MPEG stream, repeated as often as needed.
std::string Filler(const std::string& mpeg, std::size_t size) {
  std::string out;
  while (out.size() < size) out += mpeg.substr(0, size - out.size());
  return out;
}

std::string Id3v1() {
  return Id3v1Trailer({ToCp932("桜の季節"), "Artist", ToCp932("春の歌"), "2003", "c", 7, 145});
}

std::string Name(const char* what, std::size_t size, const char* ext) {
  return std::string(what) + "-" + std::to_string(size) + ext;
}

// The bytes of the template's header pages with a comment header padded by `pad` bytes.
std::string HeaderPages(const OggTemplate& t, std::size_t pad) {
  OggTemplate headersOnly = t;
  headersOnly.audioPages.clear();
  return AssembleOgg(headersOnly,
                     {CommentPacket(t.vendor, {"TITLE=padded", "PAD=" + std::string(pad, 'p')}),
                      t.setup});
}

// The padding that makes the header pages end at `target` bytes, or the nearest below it
// (one lacing byte more every 255 bytes of packet makes some ends unreachable).
std::size_t PadForHeaderEnd(const OggTemplate& t, std::size_t target) {
  const std::size_t bare = HeaderPages(t, 0).size();
  if (target <= bare) return 0;
  std::size_t pad = target - bare;
  while (pad > 0 && HeaderPages(t, pad).size() > target) --pad;
  while (HeaderPages(t, pad + 1).size() <= target) ++pad;
  return pad;
}

void ApeFiles(OddWriter& w, const std::string& audio) {
  const std::string items = ApeTag({{"Title", "damaged"}, {"Artist", "x"}});
  const std::string bareItems = items.substr(0, items.size() - 32);
  const auto fileSize = static_cast<std::uint32_t>(audio.size() + 32);
  w.File("ape-size-beyond-start.mp3", audio + ApeFooter(fileSize + 100, 1));
  w.File("ape-size-one-beyond-start.mp3", audio + ApeFooter(fileSize + 1, 1));
  w.File("ape-size-whole-file.mp3", audio + ApeFooter(fileSize, 1));
  w.File("ape-size-below-footer.mp3", audio + bareItems + ApeFooter(31, 2));
  w.File("ape-size-zero.mp3", audio + ApeFooter(0, 0));
  w.File("ape-size-huge.mp3", audio + ApeFooter(0xFFFFFFFFu, 1));
  w.File("ape-no-items.mp3", audio + ApeFooter(32, 0));
  w.File("ape-only-footer.mp3", ApeFooter(32, 0));
  w.File("ape-footer-cut.mp3", ApeFooter(32, 0).substr(0, 31));
  w.File("ape-tag-is-the-file.mp3", ApeTag({{"Title", "all tag"}}));
  w.File("ape-value-past-footer.mp3",
         audio + Le32(5000) + Le32(0) + "Title" + '\0' + "short" +
             ApeFooter(static_cast<std::uint32_t>(8 + 6 + 5 + 32), 1));
  w.File("ape-key-without-zero.mp3",
         audio + bareItems + Le32(3) + Le32(0) + "KEYWITHOUTEND" +
             ApeFooter(static_cast<std::uint32_t>(bareItems.size() + 8 + 13 + 32), 3));
  w.File("ape-short-item-head.mp3",
         audio + bareItems + "abc" + ApeFooter(static_cast<std::uint32_t>(bareItems.size() + 3 + 32), 3));
  w.File("ape-value-with-zero.mp3",
         audio + ApeTag({{"Title", std::string("before\0after", 12)}, {"", ""}, {"EMPTY", ""}}));
  w.File("ape-zero-ended.mp3", audio + ApeTag({{"Title", "zero"}, {"Year", ""}}, true));
  w.File("ape-other-keys.mp3",
         audio + ApeTag({{"TITLE", "upper"}, {"title", "lower"}, {"Title", "first"}, {"Title", "second"}}));
  w.File("ape-with-header.mp3",
         audio + "APETAGEX" + Le32(2000) + Le32(static_cast<std::uint32_t>(items.size())) + Le32(2) +
             Le32(0xA0000000u) + std::string(8, '\0') + items);
  w.File("ape-large-value.mp3",
         audio + ApeTag({{"Title", "large"}, {"Comment", std::string(100000, 'c')}, {"Artist", "after"}}));
  w.File("ape-then-id3v1.mp3", audio + items + Id3v1());
  w.File("id3v1-then-ape.mp3", audio + Id3v1() + items);
  w.File("ape-then-byte.mp3", audio + items + "x");
}

void Id3v1Files(OddWriter& w, const std::string& audio) {
  const std::string trailer = Id3v1();
  w.File("id3v1-alone-128.mp3", trailer);
  w.File("id3v1-cut-127.mp3", trailer.substr(1));
  w.File("id3v1-short-100.mp3", trailer.substr(0, 100));
  w.File("id3v1-tag-only-3.mp3", "TAG");
  w.File("id3v1-v10.mp3", audio + Id3v1Trailer({"Title", "Artist", "Album", "1999",
                                               std::string(30, 'k'), -1, 12}));
  w.File("id3v1-blank-padded.mp3",
         audio + Id3v1Trailer({"  spaced  ", "\t\x01tabs\x1f", "", "99", " ", 0, 200}));
  w.File("id3v1-full-slots.mp3",
         audio + Id3v1Trailer({std::string(30, 'T'), std::string(30, 'A'), std::string(30, 'L'),
                               "2024", std::string(28, 'C'), 255, 255}));
  w.File("id3v1-then-byte.mp3", audio + trailer + "x");
  w.File("id3v1-twice.mp3",
         audio + trailer + Id3v1Trailer({"second", "", "", "", "", 2, 0}));
}

void TinyFiles(OddWriter& w, const std::string& audio) {
  w.File("empty.mp3", "");
  w.File("one-byte.mp3", "O");
  w.File("oggs-3.ogg", "Ogg");
  w.File("oggs-4.ogg", "OggS");
  w.File("oggs-26.ogg", "OggS" + std::string(22, '\0'));
  w.File("oggs-27.ogg", "OggS" + std::string(23, '\0'));
  w.File("oggs-then-mpeg.ogg", "OggS" + audio);
  w.File("oggs-then-mpeg-id3v1.ogg", "OggS" + audio + Id3v1());
  w.File("oggs-then-mpeg-ape.ogg", "OggS" + audio + ApeTag({{"Title", "ape after OggS"}}));
}

void OggFiles(OddWriter& w, const OggTemplate& t, const std::string& mpeg) {
  const std::string ogg = OggWithComments(t, {"TITLE=plain", "ARTIST=someone"});
  w.File("ogg-plain.ogg", ogg);
  w.File("ogg-no-comments.ogg", OggWithComments(t, {}));
  w.File("ogg-empty-vendor.ogg", AssembleOgg(t, {CommentPacket("", {"TITLE=x"}), t.setup}));
  w.File("ogg-odd-comments.ogg",
         OggWithComments(t, {"title=lower", "tracknumber=3", "NOEQUALS", "=empty key", "TITLE=",
                             "KEY=a=b", "ARTIST=Ελληνικά Кириллица", "COMMENT=顔 😀 ☃",
                             "ALBUM=\xff\xfe bad utf-8 \xe3\x81", std::string("GENRE=nul\0inside", 16),
                             "\xef\xbb\xbfTITLE=bom", "DATE=2001"}));
  w.File("ogg-then-ape.ogg", ogg + ApeTag({{"Title", "ape after ogg"}}));
  w.File("ogg-then-id3v1.ogg", ogg + Id3v1());
  w.File("ogg-then-ape-then-id3v1.ogg", ogg + ApeTag({{"Title", "ape"}}) + Id3v1());
  w.File("ogg-huge-comment.ogg",
         OggWithComments(t, {"TITLE=huge", "COMMENT=" + std::string(200000, 'h'), "ARTIST=end"}));
  w.File("ogg-huge-comment-then-id3v1.ogg",
         OggWithComments(t, {"TITLE=huge", "COMMENT=" + std::string(70000, 'h')}) + Id3v1());

  const std::string headers = HeaderPages(t, 0);
  w.File("ogg-cut-after-first-page.ogg", ogg.substr(0, 58));
  w.File("ogg-cut-in-headers.ogg", ogg.substr(0, headers.size() - 100));
  w.File("ogg-cut-in-headers-id3v1.ogg", ogg.substr(0, headers.size() - 100) + Id3v1());
  w.File("ogg-cut-in-audio.ogg", ogg.substr(0, headers.size() + 700));
  w.File("ogg-junk-before.ogg", "x" + ogg);
  std::string badFirst = ogg;
  badFirst[22] = static_cast<char>(badFirst[22] ^ 0x55);
  w.File("ogg-bad-checksum-first-page.ogg", badFirst);
  std::string badSecond = ogg;
  badSecond[58 + 22] = static_cast<char>(badSecond[58 + 22] ^ 0x55);
  w.File("ogg-bad-checksum-header-page.ogg", badSecond);

  // Header packets in unusual order or shape: what the comments end up as depends on what
  // the Vorbis header parser accepts at each step.
  const std::string comment = CommentPacket(t.vendor, {"TITLE=first"});
  const std::string second = CommentPacket(t.vendor, {"TITLE=second"});
  std::string broken = comment;
  broken.replace(broken.size() - 1 - 11 - 4 - 4, 4, Le32(1000));  // more comments than there are
  // All three headers on the first page: it must lie within the first chunk a reader takes.
  w.File("ogg-headers-on-first-page.ogg",
         RawPage(t.serial, 0, 2, 0, {t.identification, comment, t.setup}) + AudioPages(t, 1));
  w.File("ogg-first-page-beyond-chunk.ogg",
         RawPage(t.serial, 0, 2, 0,
                 {t.identification, CommentPacket(t.vendor, {"PAD=" + std::string(6000, 'p')}), t.setup}) +
             AudioPages(t, 1));
  w.File("ogg-broken-comment.ogg", AssembleOgg(t, {broken, t.setup}));
  w.File("ogg-broken-then-good-comment.ogg", AssembleOgg(t, {broken, second}));
  w.File("ogg-setup-before-comment.ogg", AssembleOgg(t, {t.setup, comment}));
  w.File("ogg-comment-twice.ogg", AssembleOgg(t, {comment, second}));
  w.File("ogg-identification-twice.ogg", AssembleOgg(t, {t.identification, comment}));
  w.File("ogg-only-comment-header.ogg", AssembleOgg(t, {comment}));
  w.File("ogg-comment-without-framing.ogg",
         AssembleOgg(t, {comment.substr(0, comment.size() - 1), t.setup}));

  // A hole in the headers: the first page of a comment header that spans pages is gone.
  const std::string spanning =
      AssembleOgg(t, {CommentPacket(t.vendor, {"COMMENT=" + std::string(70000, 's')}), t.setup});
  const std::vector<std::string> pages = test::SplitOggPages(spanning);
  std::string holed;
  for (std::size_t i = 0; i < pages.size(); ++i)
    if (i != 1) holed += pages[i];
  w.File("ogg-hole-in-headers.ogg", holed);

  w.File("ogg-not-vorbis.ogg",
         test::MakeOggStream({"OpusHead" + std::string(11, '\x01'), "OpusTags" + Le32(0) + Le32(0)}));
  w.File("ogg-vorbis-second-stream.ogg",
         test::MakeOggStream({"OpusHead" + std::string(11, '\x01')}, 9) + ogg);
  const OggTemplate other = MakeOggTemplate(9, 4410, 77);
  w.File("ogg-chained.ogg", ogg + OggWithComments(other, {"TITLE=second stream"}));
  w.File("mpeg-then-ogg.ogg", mpeg + ogg);
}

// A first page holding all three headers, padded to `size` bytes where the lacing allows.
std::string FirstPageOfSize(const OggTemplate& t, std::size_t size) {
  auto page = [&t](std::size_t pad) {
    return RawPage(t.serial, 0, 2, 0,
                   {t.identification, CommentPacket(t.vendor, {"PAD=" + std::string(pad, 'p')}), t.setup});
  };
  const std::size_t bare = page(0).size();
  std::size_t pad = size > bare ? size - bare : 0;
  while (pad > 0 && page(pad).size() > size) --pad;
  return page(pad);
}

void BoundaryFiles(OddWriter& w, const OggTemplate& t, const std::string& mpeg,
                   const std::vector<std::size_t>& boundaries) {
  const std::string trailer = Id3v1();
  const std::string ape = ApeTag({{"Title", "edge"}, {"Artist", "x"}});
  for (std::size_t b : boundaries) {
    for (std::size_t size = b > 0 ? b - 1 : 0; size <= b + 1; ++size) {
      if (size >= trailer.size())
        w.File(Name("size-id3v1", size, ".mp3"), Filler(mpeg, size - trailer.size()) + trailer);
      if (size >= ape.size())
        w.File(Name("size-ape", size, ".mp3"), Filler(mpeg, size - ape.size()) + ape);
      if (size >= 4) w.File(Name("size-oggs", size, ".ogg"), "OggS" + Filler(mpeg, size - 4));
      // An APE tag of exactly this size at the end of a larger file.
      const std::size_t bare = ApeTag({{"Title", ""}}).size();
      if (size >= bare) {
        const std::string tag = ApeTag({{"Title", std::string(size - bare, 'v')}});
        w.File(Name("ape-tag-size", size, ".mp3"), Filler(mpeg, 3 * size + 1000) + tag);
      }
      const std::size_t pad = PadForHeaderEnd(t, size);
      const std::string headed =
          AssembleOgg(t, {CommentPacket(t.vendor, {"TITLE=padded", "PAD=" + std::string(pad, 'p')}),
                          t.setup});
      w.File(Name("ogg-headers-end", HeaderPages(t, pad).size(), ".ogg"), headed);
      if (size < 60000) {
        const std::string first = FirstPageOfSize(t, size);
        w.File(Name("ogg-first-page-size", first.size(), ".ogg"), first + AudioPages(t, 1));
      }
    }
  }
}

void OtherEntries(OddWriter& w, const std::string& mpeg) {
  w.File(".hidden.mp3", mpeg + Id3v1());
  w.File("no-extension", mpeg + Id3v1());
  w.File("upper-case.MP3", mpeg + Id3v1());
  w.File("no-permission.mp3", mpeg + Id3v1());
  chmod(w.Path("no-permission.mp3").c_str(), 0);
  w.Link("link-to-id3v1.mp3", "id3v1-v10.mp3");
  w.Link("link-to-ogg.ogg", "ogg-plain.ogg");
  w.Link("link-dangling.mp3", "not-there.mp3");
  w.Folder("folder.mp3");
  w.Link("link-to-folder.mp3", "folder.mp3");
  w.Link("link-loop.mp3", "link-loop.mp3");
}

}  // namespace

OddStats MakeOddFiles(const std::string& folder, const std::string& mpeg, const OggTemplate& t,
                      const std::vector<std::size_t>& boundaries) {
  OddStats stats;
  OddWriter w(folder, stats);
  ApeFiles(w, mpeg);
  Id3v1Files(w, mpeg);
  TinyFiles(w, mpeg);
  OggFiles(w, t, mpeg);
  BoundaryFiles(w, t, mpeg, boundaries);
  OtherEntries(w, mpeg);
  return stats;
}

}  // namespace marlinote::bench
