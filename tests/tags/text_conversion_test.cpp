#include "tags/text_conversion.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace marlinote {
namespace {

// "ア" in UTF-8 and in code page 932.
const std::string kKatakanaA = "\xE3\x82\xA2";
const std::string kKatakanaALocal = "\x83\x41";
const std::string kReplacement = "\xEF\xBF\xBD";

// The text in a heap block of exactly its size, so that AddressSanitizer sees any read
// past its end.
std::string ConvertExactBlock(const std::string& text) {
  auto block = std::make_unique<char[]>(text.size());
  text.copy(block.get(), text.size());
  return Utf8ToLocal(std::string_view(block.get(), text.size()));
}

TEST(Utf8ToLocal, ConvertsJapaneseAsciiAndHalfWidthKana) {
  EXPECT_EQ(Utf8ToLocal("Track " + kKatakanaA + "\xEF\xBD\xB1"),
            "Track " + kKatakanaALocal + "\xB1");
  EXPECT_EQ(Utf8ToLocal("\xE6\x97\xA5\xE6\x9C\xAC"), "\x93\xFA\x96\x7B");  // 日本
  EXPECT_EQ(Utf8ToLocal(""), "");
}

TEST(Utf8ToLocal, GreekAndCyrillicGoBothWays) {
  const std::string greek = "\xCE\x91\xCE\xB2\xCE\xB3\xCF\x89";             // Αβγω
  const std::string cyrillic = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD1\x91";  // Привё
  for (const std::string& text : {greek, cyrillic}) {
    const std::string local = Utf8ToLocal(text);
    EXPECT_EQ(local.size(), text.size()) << "each letter is two bytes in code page 932";
    EXPECT_EQ(LocalToUtf8(local), text);
  }
}

TEST(Utf8ToLocal, CharactersCodePage932CannotHoldBecomeOneSpaceEach) {
  EXPECT_EQ(Utf8ToLocal("caf\xC3\xA9!"), "caf !");      // é
  EXPECT_EQ(Utf8ToLocal("x\xF0\x9F\x98\x80y"), "x y");  // a four-byte emoji
  EXPECT_EQ(Utf8ToLocal("\xED\xA0\x80"
                        "a"),
            " a");  // a surrogate half
}

TEST(Utf8ToLocal, DropsOnlyALeadingByteOrderMark) {
  EXPECT_EQ(Utf8ToLocal("\xEF\xBB\xBF"
                        "abc"),
            "abc");
  EXPECT_EQ(Utf8ToLocal("\xEF\xBF\xBE"
                        "abc"),
            "abc");
  EXPECT_EQ(Utf8ToLocal("\xEF\xBB\xBF\xEF\xBB\xBF"
                        "a"),
            " a");
  EXPECT_EQ(Utf8ToLocal("a\xEF\xBB\xBF"), "a ");
}

TEST(Utf8ToLocal, CutSequencesBecomeOneSpaceWithoutReadingPastTheEnd) {
  // The third byte that would complete "ア" lies just outside the text.
  EXPECT_EQ(Utf8ToLocal(std::string_view(kKatakanaA.data(), 2)), " ");
  EXPECT_EQ(ConvertExactBlock("ab\xE3\x82"), "ab ");
  EXPECT_EQ(ConvertExactBlock("ab\xE3"), "ab ");
  EXPECT_EQ(ConvertExactBlock("ab\xC3"), "ab ");
  EXPECT_EQ(ConvertExactBlock("ab\xF0\x9F\x98"), "ab ");
  // A sequence broken off by an ordinary character keeps that character.
  EXPECT_EQ(Utf8ToLocal("\xE3\x82=x"), " =x");
  EXPECT_EQ(Utf8ToLocal("\xC3"
                        "A"),
            " A");
}

TEST(Utf8ToLocal, BytesThatAreNoUtf8BecomeSpacesAndNeverAZeroByte) {
  EXPECT_EQ(Utf8ToLocal("a\xC0\x80" "b"), "a b");         // an overlong zero byte
  EXPECT_EQ(Utf8ToLocal("\xC1\x81"), " ");                // an overlong "A"
  EXPECT_EQ(Utf8ToLocal("\xE0\x81\x81"), " ");            // three bytes for "A"
  EXPECT_EQ(Utf8ToLocal("\x80\x80\x80"), "   ");          // continuation bytes alone
  EXPECT_EQ(Utf8ToLocal("x\xFF\xFE"), "x  ");             // bytes that begin nothing
  EXPECT_EQ(Utf8ToLocal("\xC3\xA9\x80"), Utf8ToLocal("\xC3\xA9") + " ");
}

TEST(LocalToUtf8, InvalidBytesBecomeReplacementCharacters) {
  EXPECT_EQ(LocalToUtf8(kKatakanaALocal + "\xB1"), kKatakanaA + "\xEF\xBD\xB1");
  EXPECT_EQ(LocalToUtf8("\x80"), kReplacement);
  EXPECT_EQ(LocalToUtf8("a\xA0"
                        "b"),
            "a" + kReplacement + "b");
  EXPECT_EQ(LocalToUtf8("\xFD\xFE\xFF"), kReplacement + kReplacement + kReplacement);
  // A lead byte at the end, or followed by a byte that cannot trail it.
  EXPECT_EQ(LocalToUtf8("a\x83"), "a" + kReplacement);
  EXPECT_EQ(LocalToUtf8("\x83 x"), kReplacement + " x");
  // Lead and trail in range, but no character there: one replacement for the pair.
  EXPECT_EQ(LocalToUtf8("\x85\x40"
                        "z"),
            kReplacement + "z");
}

TEST(Utf8ToLocalExact, ConvertsOnlyWhatCodePage932HoldsExactly) {
  EXPECT_EQ(Utf8ToLocalExact("A " + kKatakanaA), "A " + kKatakanaALocal);
  EXPECT_EQ(Utf8ToLocalExact(""), "");
  EXPECT_EQ(Utf8ToLocalExact("caf\xC3\xA9"), std::nullopt);
  EXPECT_EQ(Utf8ToLocalExact("\xF0\x9F\x98\x80"), std::nullopt);
  EXPECT_EQ(Utf8ToLocalExact("\xEF\xBB\xBF"
                             "a"),
            std::nullopt);
}

TEST(Utf8ToLocalExact, RefusesInvalidUtf8) {
  for (const char* bad : {"\xE3\x82", "\xC3", "\x80", "\xC0\x80", "\xE0\x80\xBF", "\xED\xA0\x80",
                          "\xE3\x82"
                          "A",
                          "\xFF"}) {
    EXPECT_EQ(Utf8ToLocalExact(bad), std::nullopt) << bad;
  }
}

}  // namespace
}  // namespace marlinote
