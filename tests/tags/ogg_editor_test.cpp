#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tags/comment_editor.h"
#include "tests/support/file_bytes.h"
#include "tests/support/memory_stream.h"
#include "tests/support/ogg_maker.h"

namespace marlinote {
namespace {

using test::MakeOggVorbis;
using test::MemoryInput;
using test::MemoryOutput;
using test::OggVorbisOptions;
using test::ReadMemory;
using test::WriteMemory;

// Opens the editor on the bytes; the error text, empty on success.
std::string OpenError(EditorState& state, MemoryInput& input) {
  if (OpenEditor(state, &input, ReadMemory, WriteMemory) == 0) return "";
  EXPECT_EQ(EditorComments(state), nullptr) << "a failed open keeps nothing";
  return EditorError(state);
}

std::string OpenError(const std::string& bytes) {
  MemoryInput input{bytes};
  std::unique_ptr<EditorState> state = NewEditor();
  return OpenError(*state, input);
}

// Rewrites the bytes with these comments; 0 or -1 as WriteEditor says.
int Rewrite(const std::string& bytes, const std::vector<std::string>& comments, MemoryOutput& out,
            std::string* error = nullptr) {
  MemoryInput input{bytes};
  std::unique_ptr<EditorState> state = NewEditor();
  if (OpenEditor(*state, &input, ReadMemory, WriteMemory) != 0) return -2;
  const int result = SetEditorComments(*EditorComments(*state), comments) ? WriteEditor(*state, &out) : -3;
  if (error) *error = EditorError(*state);
  FreeEditor(state);
  return result;
}

// Packets of the first stream as read back from the bytes.
std::vector<std::string> Packets(const std::string& bytes) { return test::OggPackets(bytes); }

ogg_page PageOf(std::string& bytes) {
  ogg_page page{};
  page.header = reinterpret_cast<unsigned char*>(bytes.data());
  page.header_len = 27 + static_cast<unsigned char>(bytes[26]);
  page.body = page.header + page.header_len;
  page.body_len = static_cast<long>(bytes.size()) - page.header_len;
  return page;
}

ogg_int64_t GranuleOf(std::string page) {
  const ogg_page p = PageOf(page);
  return ogg_page_granulepos(&p);
}

bool EndsStream(std::string page) {
  const ogg_page p = PageOf(page);
  return ogg_page_eos(&p) != 0;
}

TEST(CommentEditorOpen, ReportsWhyTheInputIsNoVorbisStream) {
  EXPECT_EQ(OpenError(""), "Input truncated or empty.");
  EXPECT_EQ(OpenError(test::AudioBytes(1000)), "Input truncated or empty.");
  EXPECT_EQ(OpenError(test::AudioBytes(10000)), "Input is not an Ogg bitstream.");
  EXPECT_EQ(OpenError(test::MakeOggStream({"\x01notvorbis at all", "more"})),
            "Ogg bitstream does not contain vorbis data.");
  // A first page that ends inside its packet (one lacing value of 255).
  std::string open =
      std::string("OggS\0\x02", 6) + std::string(20, '\0') + "\x01\xFF" + std::string(255, 'v');
  ogg_page continued = PageOf(open);
  ogg_page_checksum_set(&continued);
  EXPECT_EQ(OpenError(open), "Error reading initial header packet.");

  std::string page = test::SplitOggPages(MakeOggVorbis())[0];
  page[4] = 1;  // an Ogg version nobody knows
  ogg_page versioned = PageOf(page);
  ogg_page_checksum_set(&versioned);
  EXPECT_EQ(OpenError(page), "Error reading first page of Ogg bitstream.");
}

TEST(CommentEditorOpen, ReportsDamagedOrMissingSecondaryHeaders) {
  const std::vector<std::string> pages = test::SplitOggPages(MakeOggVorbis({.comments = {"A=b"}}));
  ASSERT_GE(pages.size(), 3u);
  // Identification page, then the comment and setup page cut in half.
  EXPECT_EQ(OpenError(pages[0] + pages[1].substr(0, pages[1].size() / 2)),
            "EOF before end of vorbis headers.");
  EXPECT_EQ(OpenError(pages[0]), "EOF before end of vorbis headers.");
  // The page with the comment and setup headers is missing: the audio page after it leaves a hole.
  std::string holed = pages[0];
  for (std::size_t i = 2; i < pages.size(); ++i) holed += pages[i];
  EXPECT_EQ(OpenError(holed), "Corrupt secondary header.");
}

TEST(CommentEditorOpen, ReadsVendorAndCommentsAcrossManyChunks) {
  const std::string longValue = "LYRICS=" + std::string(20000, 'l');
  const std::string bytes = MakeOggVorbis({.comments = {"TITLE=t", longValue}});
  MemoryInput input{bytes};
  std::unique_ptr<EditorState> state = NewEditor();
  ASSERT_EQ(OpenError(*state, input), "");
  const vorbis_comment* comments = EditorComments(*state);
  ASSERT_EQ(comments->comments, 2);
  EXPECT_EQ(std::string(comments->user_comments[1], comments->comment_lengths[1]), longValue);
  EXPECT_EQ(state->vendor, comments->vendor);
  EXPECT_NE(state->vendor.find("libVorbis"), std::string::npos);
  FreeEditor(state);
  EXPECT_EQ(state, nullptr);
}

TEST(CommentEditorOpen, AbsurdDeclaredLengthsInTheCommentHeaderAreNotBelieved) {
  std::vector<std::string> packets = Packets(MakeOggVorbis());
  ASSERT_GE(packets.size(), 3u);
  // A comment header whose vendor claims almost 4 GiB.
  packets[1] = std::string("\x03vorbis\xF0\xFF\xFF\xFF", 11) + "tiny";
  const std::string bytes = test::MakeOggStream({packets[0], packets[1], packets[2]});
  MemoryInput input{bytes};
  std::unique_ptr<EditorState> state = NewEditor();
  ASSERT_EQ(OpenError(*state, input), "");
  EXPECT_EQ(state->vendor, "");
  EXPECT_EQ(EditorComments(*state)->comments, 0);
}

// A comment header of `size` bytes holding one comment "COVER=xxx...".
std::string CommentHeaderOfSize(std::size_t size) {
  const std::string vendor = "v";
  const std::size_t comment = size - (7 + 4 + vendor.size() + 4 + 4 + 1);
  auto le32 = [](std::size_t n) {
    std::string s;
    for (int shift = 0; shift < 32; shift += 8) s += static_cast<char>(n >> shift & 0xFF);
    return s;
  };
  return "\x03vorbis" + le32(vendor.size()) + vendor + le32(1) + le32(comment) + "COVER=" +
         std::string(comment - 6, 'x') + "\x01";
}

// A packet is held whole in memory, and a chain of continued pages can make one of any size.
// Headers as large as a big picture are read; beyond the limit the open fails early.
TEST(CommentEditorOpen, HeadersBeyondTheLimitAreRefusedWithoutReadingOn) {
  const std::vector<std::string> packets = Packets(MakeOggVorbis());
  ASSERT_GE(packets.size(), 3u);
  const std::string big = test::MakeOggStream({packets[0], CommentHeaderOfSize(4 << 20), packets[2]});
  MemoryInput input{big};
  std::unique_ptr<EditorState> state = NewEditor();
  ASSERT_EQ(OpenError(*state, input), "");
  ASSERT_EQ(EditorComments(*state)->comments, 1);
  EXPECT_EQ(EditorComments(*state)->comment_lengths[0], (4 << 20) - 21);

  const std::string huge = test::MakeOggStream(
      {packets[0], CommentHeaderOfSize(kEditorMaxHeaderBytes + 1000), packets[2]});
  MemoryInput hugeInput{huge};
  EXPECT_EQ(OpenError(*state, hugeInput), "Vorbis packet too large.");
  EXPECT_LE(hugeInput.position, kEditorMaxHeaderBytes + kEditorChunkSize);
}

TEST(CommentEditorWrite, AnAudioPacketBeyondTheLimitFailsTheWriteEarly) {
  std::vector<std::string> packets = Packets(MakeOggVorbis());
  packets.resize(3);
  packets.push_back(std::string(kEditorMaxPacketBytes + 1, '\0'));
  MemoryOutput out;
  std::string error;
  EXPECT_EQ(Rewrite(test::MakeOggStream(packets), {"TITLE=x"}, out, &error), -1);
  EXPECT_EQ(error, "Vorbis packet too large.");
  EXPECT_LT(out.bytes.size(), 65536u) << "nothing after the headers was written";
}

TEST(CommentEditorWrite, ReplacesTheCommentsAndKeepsEveryOtherPacket) {
  const std::string bytes = MakeOggVorbis({.comments = {"TITLE=old"}, .samples = 30000});
  MemoryOutput out;
  std::string error;
  ASSERT_EQ(Rewrite(bytes, {"ARTIST=new", std::string("NUL=a\0b", 7), "EMPTY="}, out, &error), 0);
  EXPECT_EQ(error, "");

  const std::vector<std::string> before = Packets(bytes);
  const std::vector<std::string> after = Packets(out.bytes);
  ASSERT_EQ(after.size(), before.size());
  EXPECT_EQ(after[0], before[0]);
  EXPECT_EQ(after[2], before[2]);
  for (std::size_t i = 3; i < before.size(); ++i) ASSERT_EQ(after[i], before[i]) << "packet " << i;

  MemoryInput again{out.bytes};
  std::unique_ptr<EditorState> state = NewEditor();
  ASSERT_EQ(OpenError(*state, again), "");
  const vorbis_comment* comments = EditorComments(*state);
  ASSERT_EQ(comments->comments, 3);
  EXPECT_EQ(std::string(comments->user_comments[1], comments->comment_lengths[1]),
            std::string("NUL=a\0b", 7));
  EXPECT_EQ(std::string(comments->user_comments[2]), "EMPTY=");
  // The last page keeps the last granule position, so the length in samples is kept.
  const std::vector<std::string> inPages = test::SplitOggPages(bytes);
  const std::vector<std::string> outPages = test::SplitOggPages(out.bytes);
  EXPECT_EQ(GranuleOf(outPages.back()), GranuleOf(inPages.back()));
  EXPECT_TRUE(EndsStream(outPages.back()));
}

// Bytes that are no Ogg page (a damaged page, a trailer of another format) belong to the file
// too and are copied with the pages.
TEST(CommentEditorWrite, CopiesEverythingAfterTheFirstStreamByteForByte) {
  std::string damaged = MakeOggVorbis({.comments = {"TITLE=two"}, .serial = 2, .seed = 7});
  damaged[damaged.size() / 2] ^= 0x55;  // breaks one page's checksum
  for (const std::string& rest :
       {MakeOggVorbis({.serial = 2}) + "TAG" + std::string(125, 'x'), damaged}) {
    MemoryOutput out;
    std::string error;
    ASSERT_EQ(
        Rewrite(MakeOggVorbis({.comments = {"TITLE=one"}}) + rest, {"TITLE=uno"}, out, &error), 0);
    ASSERT_GT(out.bytes.size(), rest.size());
    EXPECT_EQ(out.bytes.substr(out.bytes.size() - rest.size()), rest);
    EXPECT_EQ(error, "Corrupt or missing data, continuing...");
  }
}

TEST(CommentEditorWrite, AFirstStreamWithoutEndMarkIsEndedBeforeThePageOfTheNextStream) {
  std::vector<std::string> firstPages = test::SplitOggPages(MakeOggVorbis({.samples = 40000}));
  firstPages.pop_back();  // the page with the end-of-stream mark
  std::string first;
  for (const std::string& page : firstPages) first += page;
  const std::string second = MakeOggVorbis({.serial = 9});
  MemoryOutput out;
  ASSERT_EQ(Rewrite(first + second, {"A=b"}, out), 0);
  EXPECT_EQ(out.bytes.substr(out.bytes.size() - second.size()), second);

  std::vector<std::string> outPages =
      test::SplitOggPages(out.bytes.substr(0, out.bytes.size() - second.size()));
  ASSERT_FALSE(outPages.empty());
  EXPECT_TRUE(EndsStream(outPages.back()));
  EXPECT_EQ(GranuleOf(outPages.back()), GranuleOf(firstPages.back()));
}

// A write that stops short fails at every stage; in the copy of the rest it also says which
// half of the page it was.
TEST(CommentEditorWrite, AShortWriteAtAnyStageFails) {
  const std::string first = MakeOggVorbis({.comments = {"TITLE=one"}, .samples = 40000});
  const std::string second = MakeOggVorbis({.serial = 2});
  const std::string bytes = first + second;
  MemoryOutput full;
  ASSERT_EQ(Rewrite(bytes, {"TITLE=x"}, full), 0);
  const std::size_t firstOut = full.bytes.size() - second.size();
  const std::size_t headerBytes =
      test::SplitOggPages(full.bytes)[0].size() + test::SplitOggPages(full.bytes)[1].size();
  const std::size_t secondHeader = 27 + static_cast<unsigned char>(second[26]);
  const char* kWriteError =
      "Error writing stream to output. Output stream may be corrupted or truncated.";

  struct Case {
    std::size_t limit;
    const char* stderrText;
  };
  for (const Case& c :
       {Case{10, ""}, Case{headerBytes + 300, ""}, Case{firstOut + 5, "Bumming out\n"},
        Case{firstOut + secondHeader + 5, "Bumming out 2\n"}}) {
    MemoryOutput out;
    out.limit = c.limit;
    std::string error;
    testing::internal::CaptureStderr();
    EXPECT_EQ(Rewrite(bytes, {"TITLE=x"}, out, &error), -1) << c.limit;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.stderrText) << c.limit;
    EXPECT_EQ(error, kWriteError);
    EXPECT_EQ(out.bytes.size(), c.limit);
  }
}

}  // namespace
}  // namespace marlinote
