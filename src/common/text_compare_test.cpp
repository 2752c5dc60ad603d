#include "common/text_compare.h"

#include <gtest/gtest.h>

#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <cstdlib>
#include <future>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "common/charset.h"

namespace vellorax::common {
namespace {

int Sign(int v) { return (v > 0) - (v < 0); }

// Case pairs of the code page's national letters (Windows-1252 bytes).
const std::pair<const char*, const char*> kCasePairs[] = {
    {"\xE6" "ble", "\xC6" "BLE"}, {"\xF8l", "\xD8L"},           {"bl\xE5", "BL\xC5"},
    {"\xE4rger", "\xC4RGER"},     {"\xF6l", "\xD6L"},           {"caf\xE9", "CAF\xC9"},
    {"\xFC" "ber", "\xDC" "BER"}, {"hello world", "HELLO WORLD"}, {"", ""},
};

// Pairs in order in both pinned locales: case is ignored, accents and letters count.
const std::pair<const char*, const char*> kLess[] = {
    {"a", "B"},    {"apple", "Zebra"}, {"1", "a"},    {"abc", "ABCD"},   {"\xE6", "\xC6x"},
    {"e", "\xE9"}, {"a", "\xE5"},       {"o", "\xF8"}, {"file", "files"}, {"abc", "abd"},
    {"", "a"}};

TEST(TextCompareTest, NorwegianAndEnglish) {
  for (const char* locale : {"nb_NO", "en_US"}) {
    SCOPED_TRACE(locale);
    SetTextLocale(locale);
    for (const auto& [lower, upper] : kCasePairs) {
      EXPECT_EQ(AnsiCompareText(lower, upper), 0) << lower;
      EXPECT_TRUE(AnsiSameText(lower, upper)) << lower;
      EXPECT_TRUE(AnsiContainsText(std::string("x ") + upper + " y", lower)) << lower;
      EXPECT_EQ(AnsiUpperCase(lower), upper) << lower;
      EXPECT_EQ(AnsiLowerCase(upper), lower) << upper;
    }
    for (const auto& [a, b] : kLess) {
      EXPECT_LT(AnsiCompareText(a, b), 0) << a << " / " << b;
      EXPECT_GT(AnsiCompareText(b, a), 0) << a << " / " << b;
      EXPECT_FALSE(AnsiSameText(a, b)) << a << " / " << b;
    }
  }
  SetTextLocale("en_US");
}

// Norwegian puts æ ø å after z and collates "aa" as a variant of "å" (CLDR
// tailoring "&[before 1]ǀ ... <å<<<Å<<aa<<<Aa<<<AA": an accent-level difference
// from å, a case-level one among its spellings); "aA" is not listed and stays
// two letters a. In Turkish "I" is the capital of dotless "ı" (ı < i).
TEST(TextCompareLocaleTest, TailoredOrder) {
  const std::tuple<const char*, const char*, const char*, int> cases[] = {
      {"nb_NO", "\xE5", "z", 1},       {"nb_NO", "\xC6", "Z", 1},
      {"nb_NO", "\xE6", "\xF8", -1},    {"nb_NO", "\xF8", "\xE5", -1},
      {"nb_NO", "Haag", "HAAG", 0},    {"nb_NO", "Haag", "H\xE5g", 1},
      {"nb_NO", "Haag", "Hz", 1},      {"nb_NO", "haAg", "haag", -1},
      {"nb_NO", "aa", "ab", 1},        {"nb_NO", "aa", "z", 1},
      {"en_US", "\xE5", "z", -1},      {"en_US", "\xE6", "b", -1},
      {"en_US", "aa", "ab", -1},       {"en_US", "haAg", "haag", 0},
      {"en_US", "FILE", "file", 0},    {"tr_TR", "FILE", "file", -1},
  };
  for (const auto& [locale, a, b, sign] : cases) {
    SetTextLocale(locale);
    EXPECT_EQ(Sign(AnsiCompareText(a, b)), sign) << locale << ": " << a << " / " << b;
  }
  EXPECT_TRUE(AnsiSameText("FILE", "file"));  // case folding is not tailored
  SetTextLocale("en_US");
}

// The fast paths must agree with ICU itself: the order of case variants of
// ASCII words full of letters in contractions (Czech "ch", Hungarian "dzs",
// Danish "aa") and the Turkish I, and AnsiSameText/AnsiContainsText with full
// case folding (ß and NUL included).
TEST(TextCompareLocaleTest, FastPathsAgreeWithIcu) {
  std::mt19937 random(20240607);
  auto word = [&random](std::string_view letters) {
    std::string w;
    for (size_t n = 1 + random() % 6; w.size() < n;) w += letters[random() % letters.size()];
    return w;
  };
  for (const char* locale : {"en_US", "nb_NO", "da_DK", "cs_CZ", "hu_HU", "tr_TR", "de_DE"}) {
    SetTextLocale(locale);
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Collator> coll(
        icu::Collator::createInstance(icu::Locale::createFromName(locale), status));
    ASSERT_TRUE(U_SUCCESS(status)) << locale;
    coll->setStrength(icu::Collator::SECONDARY);
    for (int n = 0; n < 1000; ++n) {
      const std::string a = word("aAcChHdDzZsSiIyY -");
      std::string b = a;
      for (char& c : b) c = static_cast<char>(c > '@' && random() % 2 ? c ^ 32 : c);  // letters
      const int expected = coll->compareUTF8(a, b, status);
      ASSERT_EQ(Sign(AnsiCompareText(a, b)), expected) << locale << ": " << a << " / " << b;
    }
  }
  SetTextLocale("en_US");
  auto folded = [](const std::string& s) {
    std::string utf8;
    icu::UnicodeString::fromUTF8(AnsiToUtf8(s)).foldCase(U_FOLD_CASE_DEFAULT).toUTF8String(utf8);
    return utf8;
  };
  const std::string letters("sSkK\xDF\xE6\xC6\xFF\x9F\xB5\xE5\xC5 \0", 14);
  for (int n = 0; n < 3000; ++n) {
    const std::string a = word(letters), b = word(letters).substr(random() % 2);
    const std::string fa = folded(a), fb = folded(b);
    ASSERT_EQ(AnsiSameText(a, b), fa == fb) << a << " / " << b;
    ASSERT_EQ(AnsiContainsText(a, b), fa.find(fb) != std::string::npos) << a << " / " << b;
  }
}

// Letters whose partner the code page lacks keep their case: ß, µ, and in
// Turkish i and I (their partners are İ and ı).
TEST(TextCompareLocaleTest, CasingKeepsLettersWithoutPartner) {
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {"en_US", "\xFF", "\x9F"},                      // ÿ Ÿ
      {"en_US", "stra\xDF" "e", "STRA\xDF" "E"},      // ß keeps its length
      {"en_US", "\xB5", "\xB5"},                      // µ
      {"en_US", "\x9A\x9C", "\x8A\x8C"},              // š œ / Š Œ
      {"en_US", "a1-?\x80", "A1-?\x80"},
      {"en_US", "", ""},
      {"en_US", "i", "I"},
      {"tr_TR", "i", "i"},
      {"tr_TR", "I", "I"},
      {"tr_TR", "ab", "AB"},
  };
  for (const auto& [locale, lower, upper] : cases) {
    SetTextLocale(locale);
    EXPECT_EQ(AnsiUpperCase(lower), upper) << locale << ": " << lower;
    EXPECT_EQ(AnsiLowerCase(upper), lower) << locale << ": " << upper;
  }
  SetTextLocale("en_US");
}

// Every byte of the code page cases as ICU cases its character in the locale
// (mapped back when the result is one character the code page has), in the
// locales with their own casing rules.
TEST(TextCompareLocaleTest, CasingFollowsIcuForEveryByte) {
  for (const char* locale : {"en_US", "tr_TR", "az", "lt_LT", "el_GR", "nl_NL"}) {
    SetTextLocale(locale);
    for (int b = 0; b < 256; ++b) {
      const std::string byte(1, static_cast<char>(b));
      const std::u16string wide = AnsiToUtf16(byte);
      std::string upper = byte, lower = byte;
      if (wide.size() == 1) {
        auto back = [&](const icu::UnicodeString& cased) {
          if (cased.length() != 1) return byte;
          const char16_t c = static_cast<char16_t>(cased.charAt(0));
          const std::string ansi = Utf16ToAnsi(std::u16string_view(&c, 1));
          return ansi.size() == 1 && (ansi != "?" || c == u'?') ? ansi : byte;
        };
        const icu::UnicodeString source(static_cast<UChar>(wide[0]));
        upper = back(icu::UnicodeString(source).toUpper(icu::Locale(locale)));
        lower = back(icu::UnicodeString(source).toLower(icu::Locale(locale)));
      }
      ASSERT_EQ(AnsiUpperCase(byte), upper) << locale << ": byte " << b;
      ASSERT_EQ(AnsiLowerCase(byte), lower) << locale << ": byte " << b;
    }
  }
  SetTextLocale("en_US");
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
  const std::pair<const char*, const char*> cases[] = {
      {"nb_NO.UTF-8", "nb_NO"}, {"POSIX", "en_US"}, {"de_DE@euro", "de_DE"}};
  for (const auto& [env, expected] : cases) {
    setenv("LC_ALL", env, 1);
    SetTextLocale("");
    EXPECT_EQ(TextLocale(), expected) << env;
    EXPECT_EQ(AnsiCompareText("\xE5", "z") > 0, TextLocale() == "nb_NO") << env;
  }
  saved ? setenv("LC_ALL", saved_value.c_str(), 1) : unsetenv("LC_ALL");
  SetTextLocale("en_US");
  EXPECT_EQ(TextLocale(), "en_US");
}

TEST(TextCompareLocaleTest, ThreadsKeepTheirOwnCollators) {
  SetTextLocale("nb_NO");
  std::vector<std::future<bool>> runs;
  for (int t = 0; t < 4; ++t) {
    runs.push_back(std::async(std::launch::async, [] {
      bool all = true;
      for (int i = 0; i < 2000; ++i) {
        all = all && AnsiCompareText("\xE6" "ble", "\xC6" "BLE") == 0 &&
              AnsiCompareText("\xE5", "z") > 0 && AnsiSameText("Tag", "TAG");
      }
      return all;
    }));
  }
  for (auto& run : runs) EXPECT_TRUE(run.get());
  SetTextLocale("en_US");
}

}  // namespace
}  // namespace vellorax::common
