#include "common/text_compare.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace vellorax::common {
namespace {

int Sign(int v) { return (v > 0) - (v < 0); }

// Each test pins its locale; the environment is restored afterwards.
class TextCompareTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override { SetTextLocale(GetParam()); }
  void TearDown() override { SetTextLocale("en_US"); }
};

// Case pairs of the code page's national letters (Windows-1252 bytes).
const std::pair<const char*, const char*> kCasePairs[] = {
    {"\xE6" "ble", "\xC6" "BLE"}, {"\xF8l", "\xD8L"},   {"bl\xE5", "BL\xC5"}, {"\xE4rger", "\xC4RGER"},
    {"\xF6l", "\xD6L"},         {"caf\xE9", "CAF\xC9"}, {"\xFC" "ber", "\xDC" "BER"},
    {"hello world", "HELLO WORLD"}, {"", ""},
};

TEST_P(TextCompareTest, NationalLettersFoldInEveryLocale) {
  for (const auto& [lower, upper] : kCasePairs) {
    EXPECT_EQ(AnsiCompareText(lower, upper), 0) << lower;
    EXPECT_TRUE(AnsiSameText(lower, upper)) << lower;
    EXPECT_TRUE(AnsiContainsText(std::string("x ") + upper + " y", lower)) << lower;
    EXPECT_EQ(AnsiUpperCase(lower), upper) << lower;
    EXPECT_EQ(AnsiLowerCase(upper), lower) << upper;
  }
}

TEST_P(TextCompareTest, AccentsAndLettersStillCount) {
  const std::pair<const char*, const char*> different[] = {
      {"e", "\xE9"}, {"a", "\xE5"}, {"o", "\xF8"}, {"file", "files"}, {"abc", "abd"}, {"", "a"}};
  for (const auto& [a, b] : different) {
    EXPECT_NE(AnsiCompareText(a, b), 0) << a << " / " << b;
    EXPECT_EQ(Sign(AnsiCompareText(a, b)), -Sign(AnsiCompareText(b, a))) << a;
    EXPECT_FALSE(AnsiSameText(a, b)) << a << " / " << b;
  }
}

TEST_P(TextCompareTest, OrderIgnoresCase) {
  EXPECT_LT(AnsiCompareText("a", "B"), 0);
  EXPECT_GT(AnsiCompareText("B", "a"), 0);
  EXPECT_GT(AnsiCompareText("Zebra", "apple"), 0);  // byte order would say less
  EXPECT_LT(AnsiCompareText("1", "a"), 0);
  EXPECT_LT(AnsiCompareText("abc", "ABCD"), 0);
  EXPECT_LT(AnsiCompareText("\xE6", "\xC6x"), 0);
}

INSTANTIATE_TEST_SUITE_P(Locales, TextCompareTest, ::testing::Values("nb_NO", "en_US"));

TEST(TextCompareLocaleTest, NorwegianPutsAeOeAaAfterZ) {
  SetTextLocale("nb_NO");
  EXPECT_GT(AnsiCompareText("\xE5", "z"), 0);
  EXPECT_GT(AnsiCompareText("\xC6", "Z"), 0);
  EXPECT_LT(AnsiCompareText("\xE6", "\xF8"), 0);
  EXPECT_LT(AnsiCompareText("\xF8", "\xE5"), 0);
  SetTextLocale("en_US");
  EXPECT_LT(AnsiCompareText("\xE5", "z"), 0);
  EXPECT_LT(AnsiCompareText("\xE6", "b"), 0);
}

// In Turkish "I" is the capital of dotless "ı", which Windows-1252 lacks: the
// letters stay as they are and the collator keeps "FILE" and "file" apart.
TEST(TextCompareLocaleTest, TurkishDottedAndDotlessI) {
  SetTextLocale("tr_TR");
  EXPECT_EQ(AnsiUpperCase("i"), "i");
  EXPECT_EQ(AnsiLowerCase("I"), "I");
  EXPECT_EQ(AnsiUpperCase("ab"), "AB");
  EXPECT_NE(AnsiCompareText("FILE", "file"), 0);
  EXPECT_TRUE(AnsiSameText("FILE", "file"));  // case folding is not tailored
  SetTextLocale("en_US");
  EXPECT_EQ(AnsiUpperCase("i"), "I");
  EXPECT_EQ(AnsiCompareText("FILE", "file"), 0);
}

TEST(TextCompareLocaleTest, CasingKeepsLettersWithoutPartner) {
  SetTextLocale("en_US");
  EXPECT_EQ(AnsiUpperCase("\xFF"), "\x9F");       // ÿ -> Ÿ, both in the code page
  EXPECT_EQ(AnsiLowerCase("\x9F"), "\xFF");
  EXPECT_EQ(AnsiUpperCase("stra\xDF" "e"), "STRA\xDF" "E");  // ß keeps its length
  EXPECT_EQ(AnsiUpperCase("\xB5"), "\xB5");       // µ: capital mu is not in the code page
  EXPECT_EQ(AnsiUpperCase("\x9A\x9C"), "\x8A\x8C");  // š œ -> Š Œ
  EXPECT_EQ(AnsiUpperCase("a1-?\x80"), "A1-?\x80");
  EXPECT_EQ(AnsiLowerCase(""), "");
}

TEST(TextCompareLocaleTest, ContainsText) {
  SetTextLocale("nb_NO");
  const std::tuple<const char*, const char*, bool> cases[] = {
      {"Bl\xC5" "b\xC6r", "\xE5" "B", true},
      {"abc", "", true},
      {"", "a", false},
      {"Hello World", "WORLD", true},
      {"Hello World", "worlds", false},
      {"STRASSE", "\xDF", true},  // full case folding: ß is "ss"
      {"caf\xC9", "\xE9", true},
      {"cafe", "\xE9", false},
      {"ab", "abc", false},
  };
  for (const auto& [haystack, needle, expected] : cases) {
    EXPECT_EQ(AnsiContainsText(haystack, needle), expected) << haystack << " / " << needle;
  }
  EXPECT_TRUE(AnsiSameText("stra\xDF" "e", "STRASSE"));
  EXPECT_FALSE(AnsiSameText("stra\xDF", "STRASSE"));
}

TEST(TextCompareLocaleTest, LocaleFromEnvironment) {
  const char* saved = std::getenv("LC_ALL");
  const std::string saved_value = saved ? saved : "";
  setenv("LC_ALL", "nb_NO.UTF-8", 1);
  SetTextLocale("");
  EXPECT_EQ(TextLocale(), "nb_NO");
  EXPECT_GT(AnsiCompareText("\xE5", "z"), 0);
  setenv("LC_ALL", "POSIX", 1);
  SetTextLocale("");
  EXPECT_EQ(TextLocale(), "en_US");
  setenv("LC_ALL", "de_DE@euro", 1);
  SetTextLocale("");
  EXPECT_EQ(TextLocale(), "de_DE");
  if (saved) {
    setenv("LC_ALL", saved_value.c_str(), 1);
  } else {
    unsetenv("LC_ALL");
  }
  SetTextLocale("en_US");
  EXPECT_EQ(TextLocale(), "en_US");
}

TEST(TextCompareLocaleTest, ThreadsKeepTheirOwnCollators) {
  SetTextLocale("nb_NO");
  std::vector<std::thread> threads;
  std::vector<int> ok(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&ok, t] {
      bool all = true;
      for (int i = 0; i < 2000; ++i) {
        all = all && AnsiCompareText("\xE6" "ble", "\xC6" "BLE") == 0;
        all = all && AnsiCompareText("\xE5", "z") > 0;
        all = all && AnsiSameText("Tag", "TAG");
      }
      ok[static_cast<size_t>(t)] = all ? 1 : 0;
    });
  }
  for (std::thread& th : threads) th.join();
  EXPECT_EQ(ok, std::vector<int>(4, 1));
  SetTextLocale("en_US");
}

}  // namespace
}  // namespace vellorax::common
