#include "common/charset.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <future>
#include <vector>

namespace vellorax::common {
namespace {

// These tests assume the default code page (VELLORAX_CODEPAGE unset).
class CharsetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* env = std::getenv("VELLORAX_CODEPAGE");
    if (env && *env) GTEST_SKIP() << "VELLORAX_CODEPAGE is set";
  }
};

// Code points from the Windows-1252 table published by Microsoft
// (bestfit1252.txt); the five unassigned bytes map to the C1 controls.
TEST_F(CharsetTest, DefaultIsWindows1252) {
  EXPECT_EQ(AnsiCodePageName(), "windows-1252");
  const std::pair<unsigned char, char16_t> cases[] = {
      {0x41, u'A'},     {0x80, u'\u20AC'}, {0x8A, u'\u0160'}, {0x9F, u'\u0178'},
      {0xE6, u'\u00E6'}, {0xC5, u'\u00C5'}, {0xF8, u'\u00F8'}, {0xDF, u'\u00DF'},
      {0x81, u'\u0081'}, {0x8D, u'\u008D'}, {0x8F, u'\u008F'}, {0x90, u'\u0090'},
      {0x9D, u'\u009D'}, {0x96, u'\u2013'}, {0xA0, u'\u00A0'},
  };
  for (const auto& [byte, code] : cases) {
    EXPECT_EQ(AnsiToUtf16(std::string(1, static_cast<char>(byte))), std::u16string(1, code))
        << static_cast<int>(byte);
  }
}

TEST_F(CharsetTest, EveryPrintableByteSurvivesRoundTrips) {
  for (int b = 0x20; b <= 0xFF; ++b) {
    const std::string byte(1, static_cast<char>(b));
    const std::u16string wide = AnsiToUtf16(byte);
    ASSERT_EQ(wide.size(), 1u) << b;
    EXPECT_EQ(Utf16ToAnsi(wide), byte) << b;
    EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(byte)), byte) << b;
  }
}

TEST_F(CharsetTest, MissingCharactersBecomeQuestionMarks) {
  EXPECT_EQ(Utf16ToAnsi(u"A\u0100B"), "A?B");
  EXPECT_EQ(Utf16ToAnsi(u"x\U0001F600y"), "x?y");  // one character, one "?"
  EXPECT_EQ(Utf16ToAnsi(std::u16string(1, u'\xD800') + u"z"), "?z");
  EXPECT_EQ(Utf8ToAnsi("\xE6\x97\xA5"), "?");           // U+65E5
  EXPECT_EQ(Utf8ToAnsi("a\xFF" "b"), "a?b");            // malformed UTF-8
  EXPECT_EQ(Utf8ToAnsi("a\xC3"), "a?");                 // truncated sequence
}

TEST_F(CharsetTest, Utf8ConversionsEmptyTextAndNul) {
  EXPECT_EQ(Utf8ToAnsi("\xC3\xA6\xC3\xB8\xC3\xA5\xE2\x82\xAC"), "\xE6\xF8\xE5\x80");
  EXPECT_EQ(AnsiToUtf8("plain \xE6\x80"), "plain \xC3\xA6\xE2\x82\xAC");
  EXPECT_EQ(AnsiToUtf8(""), "");
  EXPECT_EQ(Utf8ToAnsi(""), "");
  EXPECT_EQ(Utf16ToAnsi(u""), "");
  EXPECT_EQ(AnsiToUtf16(""), u"");
  EXPECT_EQ(AnsiToUtf16(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
  EXPECT_EQ(Utf16ToAnsi(std::u16string(u"\xE6\0", 2)), std::string("\xE6\0", 2));
}

TEST_F(CharsetTest, LongTextAndManyThreads) {
  std::string text;
  for (int i = 0; i < 40000; ++i) text += "\xE6\xF8\xE5 x\x80";
  std::vector<std::future<bool>> runs;
  for (int t = 0; t < 4; ++t) {
    runs.push_back(std::async(std::launch::async, [&text] {
      bool all = true;
      for (int round = 0; round < 5; ++round) {
        all = all && Utf16ToAnsi(AnsiToUtf16(text)) == text && Utf8ToAnsi(AnsiToUtf8(text)) == text;
      }
      return all;
    }));
  }
  for (auto& run : runs) EXPECT_TRUE(run.get());
}

}  // namespace
}  // namespace vellorax::common
