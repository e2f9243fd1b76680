#include "tags/ogg_tag.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <vorbis/vorbisfile.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tags/comment_editor.h"
#include "tags/tag_edit.h"
#include "tags/tag_types.h"
#include "tests/support/file_bytes.h"
#include "tests/support/ogg_maker.h"
#include "tests/support/shell.h"
#include "tests/support/size_limit.h"
#include "tests/support/temp_dir.h"

namespace marlinote {
namespace {

using test::DecodeOggVorbis;
using test::MakeOggVorbis;
using test::OggVorbisOptions;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

const std::string kEmoji = "\xF0\x9F\x98\x80";

// A reference tool's run, its diagnostics included in the output.
test::Shell Run(const std::string& command) { return test::RunShell(command + " 2>&1"); }

// The comments as the reference tool lists them, one per line, in UTF-8.
std::vector<std::string> ListComments(const std::string& path) {
  const test::Shell listed = Run("vorbiscomment -l -R '" + path + "'");
  EXPECT_EQ(listed.status, 0) << listed.out;
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = listed.out.find('\n', start)) != std::string::npos;
       start = end + 1)
    lines.push_back(listed.out.substr(start, end - start));
  return lines;
}

void ExpectReferenceCheckPasses(const std::string& path) {
  const test::Shell info = Run("ogginfo '" + path + "'");
  EXPECT_EQ(info.status, 0) << info.out;
  for (const char* word : {"WARNING", "Warning", "warning", "ERROR", "Error", "error"})
    EXPECT_EQ(info.out.find(word), std::string::npos) << info.out;
}

// Reads the file into a fresh tag; fails the test when it cannot.
void Read(TOggTag& tag, const std::string& path) { ASSERT_EQ(tag.ReadTag(path), 0) << path; }

// The file's bytes are as they were and nothing is left beside it.
void ExpectUntouched(const std::string& path, const std::string& bytes) {
  namespace fs = std::filesystem;
  EXPECT_EQ(ReadBytes(path), bytes);
  EXPECT_EQ(std::distance(fs::directory_iterator(fs::path(path).parent_path()), {}), 1);
}

TEST(OggTagRead, ListsTheVendorThenEveryCommentUnderItsFieldKey) {
  TempDir dir;
  const std::string path = dir.file("a.ogg");
  // "ア" and an emoji, which code page 932 cannot hold.
  test::WriteOggVorbis(
      path, {.comments = {"TITLE=T", "ALBUM=\xE3\x82\xA2" + kEmoji, "ARTIST=Ar", "TRACKNUMBER=3",
                          "GENRE=G", "DATE=2001", "COMMENT=C", "title=lower", "tracknumber=4",
                          "CUSTOM=x=y", "no equals sign"}});
  TOggTag tag;
  Read(tag, path);
  const FieldList expected{{"Vender", DecodeOggVorbis(path).vendor},
                           {"Title", "T"},
                           {"Album", "\x83\x41 "},
                           {"Artist", "Ar"},
                           {"Track", "3"},
                           {"Genre", "G"},
                           {"Year", "2001"},
                           {"Comment", "C"},
                           {"title", "lower"},
                           {"tracknumber", "4"},
                           {"CUSTOM", "x=y"},
                           {"", "no equals sign"}};
  EXPECT_EQ(tag.GetFieldList(), expected);
  EXPECT_EQ(tag.GetFilePath(), path);
  EXPECT_EQ(tag.GetTagType(), kTagOgg);
  EXPECT_TRUE(tag.RemoveTag());
  EXPECT_EQ(tag.GetFieldList().size(), expected.size()) << "an Ogg tag has nothing to remove";
}

TEST(OggTagRead, RefusesFilesThatAreNoOggVorbis) {
  TempDir dir;
  const std::string mpeg = dir.file("a.mp3");
  WriteBytes(mpeg, "\xFF\xFB\x90\x64" + test::AudioBytes(8000));
  for (const std::string& path : {mpeg, dir.file("missing.ogg")}) {
    TOggTag tag;
    EXPECT_EQ(tag.ReadTag(path), -1);
    EXPECT_EQ(tag.GetFilePath(), "");
    EXPECT_TRUE(tag.GetFieldList().empty());
  }
}

TEST(OggTagWrite, WritesTheFieldListInOrderAndKeepsAudioAndVendor) {
  TempDir dir;
  const std::string path = dir.file("song.ogg");
  test::WriteOggVorbis(path,
                       {.comments = {"ARTIST=Someone", "just words", "MOOD=calm", "title=lower"},
                        .samples = 40000,
                        .channels = 2,
                        .rate = 48000});
  const test::DecodedOgg before = DecodeOggVorbis(path);
  chmod(path.c_str(), 0640);

  TOggTag tag;
  Read(tag, path);
  tag.SetField("Vender", "Somebody Else's Encoder");
  tag.SetField("Title", "New \x83\x41");  // "New ア"
  tag.SetField("Year", "1999");
  tag.SetField("Comment", "");
  for (const char* key : {"Album", "Track", "Genre"}) tag.SetField(key, key);
  ASSERT_TRUE(tag.WriteTag());

  // The lower-case title is the Title field: it takes the new value in its place.
  EXPECT_EQ(ListComments(path),
            (std::vector<std::string>{"ARTIST=Someone", "=just words", "MOOD=calm",
                                      "title=New \xE3\x82\xA2", "DATE=1999", "COMMENT=",
                                      "ALBUM=Album", "TRACKNUMBER=Track", "GENRE=Genre"}));
  ExpectReferenceCheckPasses(path);
  const test::DecodedOgg after = DecodeOggVorbis(path);
  EXPECT_EQ(after.vendor, before.vendor);
  EXPECT_EQ(after.samples, before.samples);
  EXPECT_EQ(after.channels, 2);
  EXPECT_TRUE(after.pcm == before.pcm) << "decoded audio differs";
  EXPECT_FALSE(std::filesystem::exists(path + ".src"));
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);

  // The written file reads back as the same list, under the same keys.
  TOggTag again;
  Read(again, path);
  FieldList expected = tag.GetFieldList();
  expected[0].value = before.vendor;
  EXPECT_EQ(again.GetFieldList(), expected);
}

TEST(OggTagWrite, CommentsNobodyChangedKeepTheirOriginalBytes) {
  TempDir dir;
  const std::string path = dir.file("smile.ogg");
  const std::string cafe = "NOTE=caf\xC3\xA9";
  test::WriteOggVorbis(path, {.comments = {"TITLE=Smile " + kEmoji, "ARTIST=Old", cafe, cafe}});
  TOggTag tag;
  Read(tag, path);
  tag.SetField("Artist", "New");
  // Reordered through the lent list, and one of two equal pairs changed.
  FieldList& fields = tag.GetFieldList();
  ASSERT_EQ(fields.size(), 5u);
  std::swap(fields[1], fields[4]);
  fields[3].value += "!";
  ASSERT_TRUE(tag.WriteTag());
  EXPECT_EQ(ListComments(path),
            (std::vector<std::string>{cafe, "ARTIST=New", "NOTE=caf !", "TITLE=Smile " + kEmoji}));
}

// Each form alone in its file, beside a comment that changes: whether its bytes are kept or
// given back by its pair, the comment is written as it was read.
TEST(OggTagWrite, ACommentNobodyChangedIsWrittenAsReadWhateverItsForm) {
  const struct {
    std::string comment;
    std::string written;
  } cases[] = {
      {"TITLE=plain", "TITLE=plain"},
      {"TITLE=\xE6\x97\xA5\xE6\x9C\xAC", "TITLE=\xE6\x97\xA5\xE6\x9C\xAC"},  // 日本
      {"TITLE=a=b", "TITLE=a=b"},
      {"=no key", "=no key"},
      {"no equals sign", "=no equals sign"},
      {"Title=mixed case", "Title=mixed case"},
      {"NOTE=caf\xC3\xA9", "NOTE=caf\xC3\xA9"},
      // A wave dash reads as the code page 932 character that converts back to a full-width tilde.
      {"TITLE=\xE3\x80\x9C", "TITLE=\xE3\x80\x9C"},
      {"\xEF\xBB\xBFTITLE=marked", "\xEF\xBB\xBFTITLE=marked"},
  };
  TempDir dir;
  const std::string path = dir.file("a.ogg");
  for (const auto& c : cases) {
    test::WriteOggVorbis(path, {.comments = {c.comment, "ARTIST=Old"}});
    TOggTag tag;
    Read(tag, path);
    tag.SetField("Artist", "New");
    ASSERT_TRUE(tag.WriteTag()) << c.comment;
    EXPECT_EQ(ListComments(path), (std::vector<std::string>{c.written, "ARTIST=New"})) << c.comment;
  }
}

TEST(OggTagWrite, EveryOneOfManyCommentsKeepsItsPlaceAndItsBytes) {
  // Many equal comments among distinct ones: each written comment must be matched to its
  // own read comment, not to the first equal one.
  TempDir dir;
  const std::string path = dir.file("many.ogg");
  std::vector<std::string> comments;
  for (int i = 0; i < 160'000; ++i)
    comments.push_back(i == 80'000 ? "TITLE=old" : i % 2 ? "NOTE=" + std::to_string(i) : "genre=Rock");
  test::WriteOggVorbis(path, {.comments = comments});
  TOggTag tag;
  Read(tag, path);
  tag.SetField("Title", "new");
  ASSERT_TRUE(tag.WriteTag());
  comments[80'000] = "TITLE=new";
  EXPECT_TRUE(ListComments(path) == comments);
}

TEST(OggTagWrite, ACommentHeaderLargerThanAReaderTakesIsRefusedAndTheFileLeftAsItIs) {
  TempDir dir;
  const std::string path = dir.file("a.ogg");
  test::WriteOggVorbis(path, {.comments = {"TITLE=one"}});
  const std::string bytes = ReadBytes(path);
  // The header pages hold the setup header and the page headers too: a comment of the
  // limit's length makes them longer than the limit, one of 256 KiB less does not.
  for (const std::size_t length : {kEditorMaxHeaderBytes, kEditorMaxHeaderBytes - (256 << 10)}) {
    const bool fits = length < kEditorMaxHeaderBytes;
    TOggTag tag;
    Read(tag, path);
    tag.SetField("Comment", std::string(length, 'c'));
    EXPECT_EQ(tag.WriteTag(), fits) << length;
    if (!fits) {
      ExpectUntouched(path, bytes);
      continue;
    }
    TOggTag again;
    Read(again, path);
    EXPECT_EQ(again.GetField("Comment").size(), length);
  }
}

TEST(OggTagWrite, AChainedFileKeepsEveryByteAfterItsFirstStream) {
  TempDir dir;
  const std::string path = dir.file("chain.ogg");
  const std::string second = MakeOggVorbis({.comments = {"TITLE=second"}, .serial = 77, .seed = 3});
  WriteBytes(path, MakeOggVorbis({.comments = {"TITLE=first"}}) + second);
  TOggTag tag;
  Read(tag, path);
  tag.SetField("Title", "changed");
  ASSERT_TRUE(tag.WriteTag());
  const std::string bytes = ReadBytes(path);
  ASSERT_GT(bytes.size(), second.size());
  EXPECT_EQ(bytes.substr(bytes.size() - second.size()), second);
  EXPECT_EQ(ListComments(path), std::vector<std::string>{"TITLE=changed"});
  ExpectReferenceCheckPasses(path);
}

// `count` samples of every channel from `sample` on, reached by a seek, which trusts the
// granule positions of the pages.
std::vector<std::int16_t> DecodeAfterSeek(const std::string& path, std::int64_t sample,
                                          std::size_t count) {
  OggVorbis_File file;
  std::vector<std::int16_t> pcm;
  if (ov_fopen(path.c_str(), &file) != 0) return pcm;
  const std::size_t wanted = count * static_cast<std::size_t>(ov_info(&file, -1)->channels);
  if (ov_pcm_seek(&file, sample) == 0) {
    char buffer[4096];
    int section = 0;
    long n;
    while (pcm.size() < wanted &&
           (n = ov_read(&file, buffer, sizeof buffer, 0, 2, 1, &section)) > 0) {
      const auto* samples = reinterpret_cast<const std::int16_t*>(buffer);
      pcm.insert(pcm.end(), samples, samples + n / 2);
    }
  }
  ov_clear(&file);
  pcm.resize(std::min(pcm.size(), wanted));
  return pcm;
}

TEST(OggTagWrite, RepaginatedAudioCarriesTrueGranulePositions) {
  TempDir dir;
  const std::string path = dir.file("big-pages.ogg");
  // Pages of 60 packets each: the rewrite cuts its pages elsewhere and must work out the
  // granule positions of packets that had none.
  test::WriteOggVorbis(path, {.comments = {"TITLE=one"}, .samples = 88200, .packets_per_page = 60});
  std::size_t largest = 0;
  for (const std::string& page : test::SplitOggPages(ReadBytes(path)))
    largest = std::max(largest, page.size());
  ASSERT_GT(largest, 8000u) << "the input should have pages larger than a rewrite makes";
  const test::DecodedOgg before = DecodeOggVorbis(path);
  TOggTag tag;
  Read(tag, path);
  tag.SetField("Title", "two");
  ASSERT_TRUE(tag.WriteTag());
  ExpectReferenceCheckPasses(path);
  EXPECT_EQ(DecodeOggVorbis(path).samples, before.samples);
  for (std::int64_t at :
       {std::int64_t{3000}, std::int64_t{21000}, std::int64_t{40000}, std::int64_t{80000}}) {
    const std::vector<std::int16_t> expected(before.pcm.begin() + at,
                                             before.pcm.begin() + at + 500);
    EXPECT_EQ(DecodeAfterSeek(path, at, 500), expected) << "seek to " << at;
  }
}

// Lets this many bytes through to the output file, then writes stop short.
std::size_t g_writeBudget = 0;

std::size_t WriteWithinBudget(const void* buffer, std::size_t size, std::size_t count,
                              void* handle) {
  const std::size_t n = std::min(size * count, g_writeBudget);
  g_writeBudget -= n;
  return std::fwrite(buffer, 1, n, static_cast<std::FILE*>(handle)) / size;
}

TEST(OggTagWrite, AWriteThatStopsShortLeavesTheOriginal) {
  TempDir dir;
  const std::string path = dir.file("chain.ogg");
  const std::string first = MakeOggVorbis({.comments = {"TITLE=one"}, .samples = 40000});
  const std::string second = MakeOggVorbis({.serial = 2});
  const std::string bytes = first + second;
  const std::vector<std::string> pages = test::SplitOggPages(first);
  const std::size_t headerPages = pages[0].size() + pages[1].size();

  // In the header pages, in the audio pages, and while copying the second stream.
  for (std::size_t budget : {std::size_t{20}, headerPages + 300, first.size() + 300}) {
    WriteBytes(path, bytes);
    TOggTag tag(WriteWithinBudget);
    Read(tag, path);
    tag.SetField("Title", "two");
    g_writeBudget = budget;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(tag.WriteTag()) << budget;
    testing::internal::GetCapturedStderr();
    ExpectUntouched(path, bytes);
  }
}

TEST(OggTagWrite, AFullFileSystemLeavesTheOriginal) {
  TempDir dir;
  const std::string path = dir.file("full.ogg");
  test::WriteOggVorbis(path, {.comments = {"TITLE=one"}, .samples = 40000});
  const std::string bytes = ReadBytes(path);
  TOggTag tag;
  Read(tag, path);
  tag.SetField("Title", "two");
  // Room for all but the last few bytes: only the final flush of the output can tell.
  for (std::int64_t limit : {std::int64_t{1000}, static_cast<std::int64_t>(bytes.size()) - 10}) {
    EXPECT_EQ(test::RunWithFileSizeLimit(limit, [&tag] { return tag.WriteTag() ? 1 : 0; }), 0)
        << limit;
    ExpectUntouched(path, bytes);
  }
}

TEST(OggTagWrite, ABackupThatAnOlderVersionLeftIsLeftAlone) {
  TempDir dir;
  const std::string path = dir.file("a.ogg");
  test::WriteOggVorbis(path, {.comments = {"TITLE=one"}});
  WriteBytes(path + ".src", "an earlier backup");
  TOggTag tag;
  Read(tag, path);
  tag.SetField("Title", "two");
  EXPECT_TRUE(tag.WriteTag());
  EXPECT_EQ(ListComments(path), std::vector<std::string>{"TITLE=two"});
  EXPECT_EQ(ReadBytes(path + ".src"), "an earlier backup");
}

// A folder scan lists a symbolic link to a file like the file. Rewriting must change the
// file it points to, in that file's own folder, and leave the link a link.
TEST(OggTagWrite, ALinkedFileIsRewrittenWhereItLiesAndTheLinkStays) {
  namespace fs = std::filesystem;
  TempDir dir;
  fs::create_directories(dir.file("music"));
  fs::create_directories(dir.file("list"));
  const std::string real = dir.file("music/real.ogg");
  const std::string link = dir.file("list/link.ogg");
  test::WriteOggVorbis(real, {.comments = {"TITLE=one"}, .samples = 30000});
  fs::create_symlink("../music/real.ogg", dir.file("list/hop.ogg"));
  fs::create_symlink("hop.ogg", link);

  TOggTag tag;
  Read(tag, link);
  tag.SetField("Title", "two");
  ASSERT_TRUE(tag.WriteTag());
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(fs::read_symlink(link), "hop.ogg");
  EXPECT_EQ(ListComments(real), std::vector<std::string>{"TITLE=two"});
  ExpectReferenceCheckPasses(real);

  // A write that fails leaves the file under its own name, and the links still lead to it.
  const std::string bytes = ReadBytes(real);
  TOggTag failing(WriteWithinBudget);
  Read(failing, link);
  failing.SetField("Title", "three");
  g_writeBudget = 100;
  EXPECT_FALSE(failing.WriteTag());
  EXPECT_EQ(ReadBytes(link), bytes);
  ExpectUntouched(real, bytes);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.file("music")), {}), 1);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.file("list")), {}), 2);
}

TEST(OggTagWrite, AFileThatIsNoLongerOggIsLeftAsItIs) {
  TempDir dir;
  const std::string path = dir.file("a.ogg");
  test::WriteOggVorbis(path, {.comments = {"TITLE=one"}});
  TOggTag tag;
  Read(tag, path);
  const std::string replaced = test::AudioBytes(5000);
  WriteBytes(path, replaced);
  EXPECT_FALSE(tag.WriteTag());
  ExpectUntouched(path, replaced);
}

// Vorbis comment names are case-insensitive: oggenc and ffmpeg write "title=". The comment
// under the key this program writes shows the field, else the first; a change leaves one
// comment, in the shown one's place and under its key. So a file an earlier version saved
// with both "title=" and "TITLE=" shows the newer value.
TEST(OggTagWrite, FieldKeysMatchWithoutRegardToCase) {
  const struct {
    std::vector<std::string> comments;
    std::string shown;
    std::vector<std::string> after;
  } cases[] = {
      {{"title=a", "artist=b", "encoder=Lavc"}, "a", {"title=new", "artist=b", "encoder=Lavc"}},
      {{"title=old", "ARTIST=x", "TITLE=newer"}, "newer", {"ARTIST=x", "TITLE=new"}},
      {{"tItLe=a", "title=b"}, "a", {"tItLe=new"}},
  };
  TempDir dir;
  const std::string path = dir.file("a.ogg");
  for (const auto& c : cases) {
    test::WriteOggVorbis(path, {.comments = c.comments});
    TOggTag tag;
    Read(tag, path);
    EXPECT_EQ(tag.GetField("Title"), c.shown);
    ASSERT_EQ(SaveFields(tag, {{"Title", "new"}, {"Artist", tag.GetField("Artist")}}),
              SaveResult::kSaved);
    EXPECT_EQ(ListComments(path), c.after);
  }
}

// A multiplexed file (two streams whose pages alternate) cannot be rebuilt one stream after
// the other: it is refused before anything is written. A chained file is still written.
TEST(OggTagWrite, AMultiplexedFileIsRefusedAndLeftAsItIs) {
  TempDir dir;
  const std::string path = dir.file("mux.ogg");
  const test::OggVorbisOptions first{.comments = {"TITLE=one"}, .samples = 30000};
  const test::OggVorbisOptions second{.serial = 2, .seed = 5};
  const std::string bytes = test::MakeMultiplexedOggVorbis(first, second);
  WriteBytes(path, bytes);
  TOggTag tag;
  Read(tag, path);
  EXPECT_FALSE(tag.CanWriteFile());
  EXPECT_EQ(SaveFields(tag, {{"Title", "two"}}), SaveResult::kLayoutRefused);
  EXPECT_EQ(tag.GetField("Title"), "one");
  tag.SetField("Title", "two");
  EXPECT_FALSE(tag.WriteTag());
  ExpectUntouched(path, bytes);

  // The second stream begins only among the first one's audio pages: found while writing,
  // and the file is left as it was.
  const std::string late = test::MakeMultiplexedOggVorbis(first, second, 3);
  WriteBytes(path, late);
  TOggTag lateTag;
  Read(lateTag, path);
  EXPECT_EQ(SaveFields(lateTag, {{"Title", "two"}}), SaveResult::kWriteFailed);
  ExpectUntouched(path, late);
}

}  // namespace
}  // namespace marlinote
