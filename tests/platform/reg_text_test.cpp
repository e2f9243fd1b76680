#include "platform/reg_text.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "platform/reg_file_store.h"

namespace marlinote {
namespace {

const char* const kColumn2 = "Software\\Velmora\\Marlinote\\Column2";

TEST(RegText, WritesTheRegistryExportLayout) {
  RegKeys keys;
  keys[kColumn2]["Enabled"] = RegValue::Dword(1);
  keys[kColumn2]["Width"] = RegValue::Dword(100);
  keys[kColumn2]["Name"] = RegValue::Text("Airtist");
  keys["Software\\Velmora\\Marlinote"]["WindowLeft"] = RegValue::Dword(static_cast<std::uint32_t>(-8));
  EXPECT_EQ(RenderRegText(keys),
            "Windows Registry Editor Version 5.00\n"
            "\n"
            "[HKEY_CURRENT_USER\\Software\\Velmora\\Marlinote]\n"
            "\"WindowLeft\"=dword:fffffff8\n"
            "\n"
            "[HKEY_CURRENT_USER\\Software\\Velmora\\Marlinote\\Column2]\n"
            "\"Enabled\"=dword:00000001\n"
            "\"Name\"=\"Airtist\"\n"
            "\"Width\"=dword:00000064\n");
}

TEST(RegText, EveryKindOfValueSurvivesARoundTrip) {
  RegKeys keys;
  RegValues& values = keys["Software\\Test"];
  values["quoted"] = RegValue::Text("say \"hi\" C:\\dir\\ ; [x] = y");
  values["lines"] = RegValue::Text("first\r\nsecond\ttab");
  values["expand"] = RegValue::Text("%HOME%/曲", kRegExpandSz);
  values["binary"] = RegValue{kRegBinary, 0, std::string("\x00\xff\x10", 3)};
  values["multi"] = RegValue{7, 0, std::string("a\0\0\0\0\0", 6)};
  values["empty"] = RegValue::Text("");
  values[""] = RegValue::Text("default");
  values["日本語"] = RegValue::Dword(0xDEADBEEF);
  keys[""]["root value"] = RegValue::Dword(2);
  keys["Software\\Test\\Empty key"];

  const std::string text = RenderRegText(keys);
  const std::optional<RegKeys> back = ParseRegText(text);
  ASSERT_TRUE(back) << text;
  EXPECT_EQ(*back, keys);
  // Texts with control characters and REG_EXPAND_SZ go out as UTF-16LE bytes.
  EXPECT_NE(text.find("\"lines\"=hex(1):66,00,69,00,72,00"), std::string::npos) << text;
  EXPECT_NE(text.find("\"expand\"=hex(2):25,00,48,00,4f,00,4d,00,45,00,25,00,2f,00,f2,66,00,00\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("@=\"default\""), std::string::npos);
}

TEST(RegText, ReadsWhatRegistryEditorsWrite) {
  // REGEDIT4 header, CR LF, comments, values in any order, lower-case root, a value
  // continued over lines, and the same value twice (the last one counts).
  const std::string text =
      "REGEDIT4\r\n"
      "\r\n"
      "; exported\r\n"
      "[hkey_current_user\\Software\\Velmora\\Marlinote\\Column2]\r\n"
      "\"Name\"=\"Old\"\r\n"
      "\"Width\"=dword:0000012c\r\n"
      "\"Name\"=hex(2):41,69,72,\\\r\n"
      "  74,69,73,74,00\r\n"
      "\"Enabled\"=dword:0\r\n";
  const std::optional<RegKeys> keys = ParseRegText(text);
  ASSERT_TRUE(keys);
  const RegValues& values = keys->at(kColumn2);
  EXPECT_EQ(values.at("Name"), RegValue::Text("Airtist", kRegExpandSz));
  EXPECT_EQ(values.at("width"), RegValue::Dword(300));
  EXPECT_EQ(values.at("Enabled"), RegValue::Dword(0));

  // The Unicode header: hex(2) is UTF-16LE; a UTF-8 byte-order mark is allowed.
  const std::optional<RegKeys> unicode = ParseRegText(
      "\xEF\xBB\xBFWindows Registry Editor Version 5.00\n"
      "[HKEY_CURRENT_USER\\K]\n"
      "\"Name\"=hex(2):e9,00,00,00,ff,ff\n"
      "\"Width\"=hex(4):2c,01,00,00\n");
  ASSERT_TRUE(unicode);
  EXPECT_EQ(unicode->at("K").at("Name"), RegValue::Text("é", kRegExpandSz));
  EXPECT_EQ(unicode->at("K").at("Width"), RegValue::Dword(300));
}

TEST(RegText, RefusesTextsItCannotReadWhole) {
  const std::string header = "Windows Registry Editor Version 5.00\n";
  const std::string key = "[HKEY_CURRENT_USER\\K]\n";
  for (const std::string& text : {
           std::string(),
           std::string("[HKEY_CURRENT_USER\\K]\n\"A\"=dword:1\n"),  // no header
           header + "\"A\"=dword:00000001\n",                       // value before any key
           header + "[HKEY_LOCAL_MACHINE\\K]\n",
           header + "[-HKEY_CURRENT_USER\\K]\n",
           header + "[HKEY_CURRENT_USER\\K\\\\L]\n",
           header + "[HKEY_CURRENT_USER\\K\n",
           header + key + "\"A\"=-\n",
           header + key + "\"A\"=dword:123456789\n",
           header + key + "\"A\"=dword:\n",
           header + key + "\"A\"=\"unterminated\n",
           header + key + "\"A\"=\"C:\\dir\"\n",  // a backslash must be doubled
           header + key + "\"A\"=\"x\" trailing\n",
           header + key + "\"A\"=hex(2):41,00,42\n",  // odd UTF-16 length
           header + key + "\"A\"=hex:4,00\n",
           header + key + "\"A\"=hex:41,\\\n",  // continuation without a next line
           header + key + "A=dword:00000001\n",
           header + key + "some text\n",
           header + key + "\"A\x01\"=dword:00000001\n",  // a control character in a name
       }) {
    EXPECT_FALSE(ParseRegText(text)) << text;
  }
}

// Texts of the largest size the settings file may have, shaped to cost the most: one long
// key path holding many values, and many keys of one value each. A start-up that read them
// in time growing with path length times value count would hang for minutes.
TEST(RegText, TheLargestTextsAreReadInLittleTime) {
  const std::string header = "Windows Registry Editor Version 5.00\n";
  std::string longKey = header + "[HKEY_CURRENT_USER\\" + std::string(500000, 'k') + "]\n";
  std::string manyKeys = header;
  std::size_t values = 0;
  std::size_t keys = 0;
  while (longKey.size() < RegFileStore::kMaxFileSize - 40)
    longKey.append("\"").append(std::to_string(values++)).append("\"=dword:00000001\n");
  while (manyKeys.size() < RegFileStore::kMaxFileSize - 80)
    manyKeys += "[HKEY_CURRENT_USER\\Software\\K" + std::to_string(keys++) + "]\n\"V\"=\"x\"\n";

  const auto start = std::chrono::steady_clock::now();
  const auto one = ParseRegText(longKey);
  const auto many = ParseRegText(manyKeys);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  ASSERT_TRUE(one && many);
  ASSERT_EQ(one->size(), 1u);
  EXPECT_EQ(one->begin()->second.size(), values);
  EXPECT_EQ(many->size(), keys);
  EXPECT_LT(took.count(), 10.0);
}

}  // namespace
}  // namespace marlinote
