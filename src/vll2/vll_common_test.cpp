#include "vll2/vll_common.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "common/text_compare.h"

namespace vellorax::vll2 {
namespace {

std::string Ch(int code) { return std::string(1, static_cast<char>(code)); }

class TVLLCommonTest : public ::testing::Test {
 protected:
  void SetUp() override { common::SetTextLocale("nb_NO"); }
};

TEST_F(TVLLCommonTest, PosTextFindsFirstOccurrenceIgnoringCase) {
  struct Case { std::string text, sub; int expected; };
  const Case cases[] = {
      {"Hello", "LL", 3}, {"Hello", "hello", 1}, {"abcabc", "BC", 2},
      {"Hello", "Hellos", 0},  // longer than the text
      {"", "a", 0},       {"abc", "", 0},        {"abc", "x", 0},
      // National letters in ISO 8859-1: "æøå" against "ÆØÅ".
      {"bl\xE5" "b\xE6r", "\xC5" "B\xC6", 3},   {"\xD8ya", "\xF8Y", 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TVLLCommon::PosText(c.text, c.sub), c.expected) << c.text << " / " << c.sub;
  }
}

TEST_F(TVLLCommonTest, EncodeHtmlCharUsesTheTableAndDecodeInvertsIt) {
  const std::pair<int, std::string> cases[] = {
      {'"', "&quot;"},    {'&', "&amp;"},     {'<', "&lt;"},       {'>', "&gt;"},
      {0xA1, "&iexcl;"},  {0xA9, "&copy;"},   {0xBF, "&iquest;"},  {0xC0, "&Agrave;"},
      {0xC6, "&AElig;"},  {0xD7, "&times;"},  {0xDE, "&THORN;"},   {0xDF, "&szlig;"},
      {0xE5, "&aring;"},  {0xF7, "&divide;"}, {0xF8, "&oslash;"},  {0xFF, "&yuml;"},
      // Written as themselves.
      {0xA0, Ch(0xA0)},   {0xA4, Ch(0xA4)},   {0x80, Ch(0x80)},    {'\'', "'"},
      {';', ";"},         {0, Ch(0)},
  };
  for (const auto& [code, expected] : cases) {
    EXPECT_EQ(TVLLCommon::EncodeHtmlChar(static_cast<char>(code)), expected) << code;
  }
  for (int code = 0; code < 256; ++code) {
    const std::string encoded = TVLLCommon::EncodeHtmlChar(static_cast<char>(code));
    if (encoded.size() == 1) continue;
    ASSERT_EQ(encoded.front(), '&');
    ASSERT_EQ(encoded.back(), ';');
    EXPECT_EQ(TVLLCommon::DecodeHtmlEntity(encoded.substr(1, encoded.size() - 2)), Ch(code))
        << encoded;
  }
}

TEST_F(TVLLCommonTest, DecodeHtmlEntityEdgeCases) {
  const std::string error(TVLLCommon::kErrorMarker);
  const std::pair<std::string, std::string> cases[] = {
      {"nbsp", " "},  // a plain space, not 0xA0
      {"AMP", error}, {"Amp", error},  // names are compared exactly
      {"Auml", Ch(0xC4)}, {"auml", Ch(0xE4)}, {"AUML", error}, {"euro", error}, {"", error},
      {"#65", "A"},   {"#1000", "d"},  // only three digits are read: 100
      {"#x41", "A"},  {"#$41", "A"},  {"#X4a", "J"},  // hexadecimal forms
      {"#0x4", Ch(4)},  // "0x4" are the three characters read
      {"#229", Ch(0xE5)}, {"#300", Ch(300 & 0xFF)}, {"#-1", Ch(0xFF)},  // low 8 bits
      {"# 65", "A"},  // a leading blank is allowed
      {"#", error},   {"#abc", error}, {"#6a", error},
  };
  for (const auto& [name, expected] : cases) {
    EXPECT_EQ(TVLLCommon::DecodeHtmlEntity(name), expected) << name;
  }
}

TEST_F(TVLLCommonTest, SetObjectReplacesUnderTheFirstNameAndGetStringReadsValues) {
  TVLLNamedObjectList list;
  EXPECT_EQ(TVLLCommon::SetObject(list, "Title", std::make_unique<TVLLString>("one")), 0);
  EXPECT_EQ(TVLLCommon::SetObject(list, "Other", std::make_unique<TVLLString>("two")), 1);
  EXPECT_EQ(TVLLCommon::SetObject(list, "TITLE", std::make_unique<TVLLString>("three")), 0);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Name(0), "Title");
  EXPECT_EQ(TVLLCommon::GetString(list, "title"), "three");
  // An entry without object, a missing name, and an object that is no text.
  EXPECT_EQ(TVLLCommon::SetObject(list, "empty", nullptr), 2);
  EXPECT_EQ(TVLLCommon::GetString(list, "empty"), "");
  EXPECT_EQ(TVLLCommon::GetString(list, "missing"), "");
  TVLLCommon::SetObject(list, "nested", std::make_unique<TVLLNamedObjectList>());
  EXPECT_EQ(TVLLCommon::GetString(list, "nested"), "");
}

// Truth strings: AND binds before AND NOT, which binds before OR.
TEST(TVLLLogicTest, ReduceAndEvaluate) {
  const std::pair<std::string, char> reduce[] = {
      {"T", 'T'},   {"F", 'F'},   {"TAT", 'T'}, {"TAF", 'F'},   {"FAT", 'F'},  {"TNT", 'F'},
      {"TNF", 'T'}, {"FNF", 'F'}, {"TOF", 'T'}, {"FOF", 'F'},   {"FOT", 'T'},
      {"TOFAF", 'T'},  // F and F first, then T or F
      {"FATOT", 'T'},  // (F and T) or T
      {"TOFNT", 'T'},  // T or (F and not T)
      {"TNTOT", 'T'},  // (T and not T) or T
      {"TATNT", 'F'},  // (T and T) and not T
      {"TNFAF", 'T'},  // T and not (F and F)
      {"FOFOFOT", 'T'}, {"", 'E'},
      {"TA", 'T'},  // an operator without right operand changes nothing
  };
  for (const auto& [s, expected] : reduce) EXPECT_EQ(TVLLLogic::Reduce(s), expected) << s;
  const std::pair<std::string, char> evaluate[] = {
      {"(TOF)AF", 'F'}, {"TO(FAF)", 'T'}, {"()", 'T'},  {"T)", 'E'},    {"", 'E'},
      {"(F)", 'F'},     {"((T))", 'T'},   {"(T", 'E'},  {"X", 'E'},     {"TAX", 'T'},
      {"(TN)", 'T'},  // one or two characters: the first one
      {"(TA(FOT))NF", 'T'}, {"(TA(FOF))OF", 'F'},
      {"F(", 'F'},  // a lone "(" is just a character after F
      {"((", 'E'},      {")(", 'E'},
  };
  for (const auto& [s, expected] : evaluate) EXPECT_EQ(TVLLLogic::Evaluate(s), expected) << s;
}

}  // namespace
}  // namespace vellorax::vll2
