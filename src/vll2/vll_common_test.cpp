#include "vll2/vll_common.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "common/text_compare.h"

namespace vellorax::vll2 {
namespace {

std::string Ch(int code) {
  return std::string(1, static_cast<char>(code));
}

class TVLLCommonTest : public ::testing::Test {
 protected:
  void SetUp() override { common::SetTextLocale("nb_NO"); }
};

TEST_F(TVLLCommonTest, PosTextFindsFirstOccurrenceIgnoringCase) {
  struct Case {
    std::string text, sub;
    int expected;
  };
  const Case cases[] = {
      {"Hello", "LL", 3},
      {"Hello", "hello", 1},
      {"Hello", "o", 5},
      {"abcabc", "BC", 2},
      {"Hello", "Hellos", 0},  // longer than the text
      {"", "a", 0},
      {"abc", "", 0},
      {"abc", "x", 0},
      // National letters in ISO 8859-1: "æøå" against "ÆØÅ".
      {"bl\xE5"
       "b\xE6r",
       "\xC5"
       "B\xC6",
       3},
      {"\xD8ya", "\xF8Y", 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TVLLCommon::PosText(c.text, c.sub), c.expected) << c.text << " / " << c.sub;
  }
}

TEST_F(TVLLCommonTest, EncodeHtmlCharUsesTheTable) {
  struct Case {
    int code;
    std::string expected;
  };
  const Case cases[] = {
      {'"', "&quot;"},
      {'&', "&amp;"},
      {'<', "&lt;"},
      {'>', "&gt;"},
      {0xA1, "&iexcl;"},
      {0xA2, "&cent;"},
      {0xA3, "&pound;"},
      {0xA9, "&copy;"},
      {0xAB, "&laquo;"},
      {0xAE, "&reg;"},
      {0xBB, "&raquo;"},
      {0xBF, "&iquest;"},
      {0xC0, "&Agrave;"},
      {0xC6, "&AElig;"},
      {0xD0, "&ETH;"},
      {0xD7, "&times;"},
      {0xD8, "&Oslash;"},
      {0xDE, "&THORN;"},
      {0xDF, "&szlig;"},
      {0xE5, "&aring;"},
      {0xF0, "&eth;"},
      {0xF7, "&divide;"},
      {0xF8, "&oslash;"},
      {0xFF, "&yuml;"},
      // Written as themselves.
      {0xA0, Ch(0xA0)},
      {0xA4, Ch(0xA4)},
      {0x80, Ch(0x80)},
      {'a', "a"},
      {'\'', "'"},
      {';', ";"},
      {0, Ch(0)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TVLLCommon::EncodeHtmlChar(static_cast<char>(c.code)), c.expected) << c.code;
  }
}

TEST_F(TVLLCommonTest, DecodeInvertsEncodeForEveryEntity) {
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
  struct Case {
    std::string name, expected;
  };
  const Case cases[] = {
      {"nbsp", " "},                       // a plain space, not 0xA0
      {"amp", "&"},       {"AMP", error},  // names are compared exactly
      {"Amp", error},     {"Auml", Ch(0xC4)},
      {"auml", Ch(0xE4)}, {"AUML", error},
      {"euro", error},    {"", error},
      {"#65", "A"},       {"#1000", "d"},  // only three digits are read: 100
      {"#x41", "A"},                       // hexadecimal forms
      {"#$41", "A"},      {"#X4a", "J"},
      {"#0x4", Ch(4)},  // "0x4" are the three characters read
      {"#229", Ch(0xE5)}, {"#300", Ch(300 & 0xFF)},
      {"#-1", Ch(0xFF)},  // low 8 bits
      {"# 65", "A"},      // a leading blank is allowed
      {"#", error},       {"#abc", error},
      {"#6a", error},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TVLLCommon::DecodeHtmlEntity(c.name), c.expected) << c.name;
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
  EXPECT_EQ(TVLLCommon::GetString(list, "other"), "two");
  // National letters compare without regard to case too.
  TVLLCommon::SetObject(list, "\xC6rende", std::make_unique<TVLLString>("upper"));
  EXPECT_EQ(TVLLCommon::SetObject(list, "\xE6RENDE", std::make_unique<TVLLString>("lower")), 2);
  EXPECT_EQ(TVLLCommon::GetString(list, "\xE6rende"), "lower");
  // An entry without object, a missing name, and an object that is no text.
  EXPECT_EQ(TVLLCommon::SetObject(list, "empty", nullptr), 3);
  EXPECT_EQ(TVLLCommon::GetString(list, "empty"), "");
  EXPECT_EQ(TVLLCommon::GetString(list, "missing"), "");
  TVLLCommon::SetObject(list, "nested", std::make_unique<TVLLNamedObjectList>());
  EXPECT_EQ(TVLLCommon::GetString(list, "nested"), "");
}

TEST(TVLLLogicTest, ReduceGivesAndThenAndNotThenOrPrecedence) {
  struct Case {
    std::string s;
    char expected;
  };
  const Case cases[] = {
      {"T", 'T'},       {"F", 'F'},   {"TAT", 'T'}, {"TAF", 'F'},
      {"FAT", 'F'},     {"TNT", 'F'}, {"TNF", 'T'}, {"FNF", 'F'},
      {"TOF", 'T'},     {"FOF", 'F'}, {"FOT", 'T'}, {"TOFAF", 'T'},  // F and F first, then T or F
      {"FATOT", 'T'},                                                // (F and T) or T
      {"TOFNT", 'T'},                                                // T or (F and not T)
      {"TNTOT", 'T'},                                                // (T and not T) or T
      {"TATNT", 'F'},                                                // (T and T) and not T
      {"TNFAF", 'T'},                                                // T and not (F and F)
      {"FOFOFOT", 'T'}, {"", 'E'},    {"TA", 'T'},  // an operator without right operand changes
                                                    // nothing
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TVLLLogic::Reduce(c.s), c.expected) << c.s;
  }
}

TEST(TVLLLogicTest, EvaluateResolvesParenthesesAndRejectsMalformedStrings) {
  struct Case {
    std::string s;
    char expected;
  };
  const Case
      cases[] =
          {
              {"(TOF)AF", 'F'},
              {"TO(FAF)", 'T'},
              {"()", 'T'},
              {"T)", 'E'},
              {"", 'E'},
              {"T", 'T'},
              {"F", 'F'},
              {"(F)", 'F'},
              {"(TN)", 'T'},  // one or two characters: the first one
              {"((T))", 'T'},
              {"(TA(FOT))NF", 'T'},
              {"(TA(FOF))OF", 'F'},
              {"F(", 'F'},  // a lone "(" is just a character after F
              {"(T", 'E'},
              {"X", 'E'},
              {"TAX", 'T'},
              {"((", 'E'},
              {")(", 'E'},
          };
  for (const Case& c : cases) {
    EXPECT_EQ(TVLLLogic::Evaluate(c.s), c.expected) << c.s;
  }
}

}  // namespace
}  // namespace vellorax::vll2
