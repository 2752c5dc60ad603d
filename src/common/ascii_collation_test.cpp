// AsciiCollation learnt from the tailoring against the full computation from
// every contraction and expansion of the collator (slow, hence only here),
// and against the collator itself, over every collation ICU ships.
#include "common/ascii_collation.h"

#include <gtest/gtest.h>

#include <unicode/ucol.h>
#include <unicode/uenum.h>
#include <unicode/uloc.h>
#include <unicode/uset.h>

#include <algorithm>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace vellorax::common {
namespace {

struct CollatorCloser {
  void operator()(UCollator* c) const { ucol_close(c); }
};
using Collator = std::unique_ptr<UCollator, CollatorCloser>;

Collator Open(const std::string& locale) {
  UErrorCode status = U_ZERO_ERROR;
  Collator collator(ucol_open(locale.c_str(), &status));
  if (U_FAILURE(status)) return nullptr;
  ucol_setStrength(collator.get(), UCOL_SECONDARY);
  return collator;
}

// The oracle: every ASCII string among all contractions and prefix rules of
// the collator, root ones included.
std::vector<std::string> AllAsciiContractions(const UCollator* collator) {
  AsciiCollation facts;
  UErrorCode status = U_ZERO_ERROR;
  USet* set = uset_openEmpty();
  ucol_getContractionsAndExpansions(collator, set, nullptr, true, &status);
  EXPECT_TRUE(U_SUCCESS(status));
  for (int32_t i = 0; i < uset_getItemCount(set); ++i) {
    UChar32 start = 0, end = 0;
    UChar buffer[64];
    status = U_ZERO_ERROR;
    const int32_t length = uset_getItem(set, i, &start, &end, buffer, 64, &status);
    if (U_SUCCESS(status)) {
      facts.AddContraction(std::u16string_view(reinterpret_cast<const char16_t*>(buffer),
                                               static_cast<size_t>(length)));
    }
  }
  uset_close(set);
  return facts.contractions;
}

// One collator per distinct tailoring: every available locale's default
// collation and each of its named alternatives ("es@collation=traditional").
std::vector<std::string> DistinctCollations() {
  std::set<std::string> seen;
  std::vector<std::string> names;
  auto add = [&](const std::string& name) {
    Collator c = Open(name);
    if (!c) return;
    UErrorCode status = U_ZERO_ERROR;
    const char* actual = ucol_getLocaleByType(c.get(), ULOC_ACTUAL_LOCALE, &status);
    const size_t at = name.find('@');
    const std::string key = std::string(actual ? actual : "") +
                            (at == std::string::npos ? "" : name.substr(at));
    if (seen.insert(key).second) names.push_back(name);
  };
  for (int32_t i = 0; i < ucol_countAvailable(); ++i) {
    const std::string locale = ucol_getAvailable(i);
    add(locale);
    UErrorCode status = U_ZERO_ERROR;
    UEnumeration* values = ucol_getKeywordValuesForLocale("collation", locale.c_str(), true, &status);
    if (U_FAILURE(status)) continue;
    while (const char* value = uenum_next(values, nullptr, &status)) {
      if (std::string(value) != "standard") add(locale + "@collation=" + value);
    }
    uenum_close(values);
  }
  return names;
}

// The fixed fact the tailored-set study rests on.
TEST(AsciiCollationTest, RootCollationHasNoAsciiContractionsAndIgnoresCase) {
  Collator root = Open("");
  ASSERT_TRUE(root);
  EXPECT_EQ(AllAsciiContractions(root.get()), std::vector<std::string>{});
  AsciiCollation facts;
  ASSERT_TRUE(facts.Study(root.get()));
  for (char c = 'a'; c <= 'z'; ++c) EXPECT_FALSE(facts.letter_case_differs[c]) << c;
}

// Known tailorings, from the CLDR collation rules of each language.
TEST(AsciiCollationTest, LearnsKnownTailorings) {
  const struct {
    const char* locale;
    std::vector<std::string> contractions;  // among those learnt
    std::string case_differs;                // exactly these letters
  } rows[] = {
      {"nb_NO", {"aa"}, ""},
      {"da_DK", {"aa"}, ""},
      {"tr_TR", {}, "i"},
      {"az", {}, "i"},
      {"cs_CZ", {"ch"}, ""},
      {"hu_HU", {"cs", "dz", "dzs", "gy", "ly", "ny", "sz", "ty", "zs"}, ""},
      {"cy", {"ch", "dd", "ff", "ll", "ng", "ph", "rh", "th"}, ""},
      {"es@collation=traditional", {"ch", "ll"}, ""},
      {"en_US", {}, ""},
      {"de_DE", {}, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.locale);
    Collator c = Open(row.locale);
    ASSERT_TRUE(c);
    AsciiCollation facts;
    ASSERT_TRUE(facts.Study(c.get()));
    for (const std::string& contraction : row.contractions) {
      EXPECT_NE(std::find(facts.contractions.begin(), facts.contractions.end(), contraction),
                facts.contractions.end())
          << contraction;
    }
    if (row.contractions.empty()) {
      EXPECT_EQ(facts.contractions, std::vector<std::string>{});
    }
    std::string differs;
    for (char l = 'a'; l <= 'z'; ++l) {
      EXPECT_EQ(facts.letter_case_differs[l], facts.letter_case_differs[l - 32]) << l;
      if (facts.letter_case_differs[l]) differs += l;
    }
    EXPECT_EQ(differs, row.case_differs);
  }
}

// For every collation ICU has: each ASCII contraction of the full computation
// begins with one learnt from the tailoring (so text holding it is never
// judged without the collator), and whenever the facts call two strings equal
// the collator agrees.
TEST(AsciiCollationTest, AgreesWithTheFullComputationForEveryCollation) {
  const std::vector<std::string> names = DistinctCollations();
  ASSERT_GT(names.size(), 50u);
  RecordProperty("collations", static_cast<int>(names.size()));
  std::mt19937 random(20261207);
  const std::string letters = "aAbBcCdDgGhHiIlLnNsStTyYzZ ";
  int equal_calls = 0;
  int digit_collations = 0;
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    Collator c = Open(name);
    AsciiCollation facts;
    ASSERT_TRUE(facts.Study(c.get()));
    for (const std::string& full : AllAsciiContractions(c.get())) {
      EXPECT_TRUE(std::any_of(facts.contractions.begin(), facts.contractions.end(),
                              [&](const std::string& t) { return full.starts_with(t); }))
          << full;
    }
    for (int n = 0; n < 200; ++n) {
      std::string a;
      for (size_t k = 1 + random() % 5; a.size() < k;) a += letters[random() % letters.size()];
      std::string b = a;
      for (char& ch : b) ch = static_cast<char>(ch != ' ' && random() % 2 ? ch ^ 32 : ch);
      if (!facts.CaseEqualCollates(a, b)) continue;
      ++equal_calls;
      UErrorCode status = U_ZERO_ERROR;
      ASSERT_EQ(ucol_strcollUTF8(c.get(), a.data(), static_cast<int32_t>(a.size()), b.data(),
                                 static_cast<int32_t>(b.size()), &status),
                UCOL_EQUAL)
          << a << " / " << b;
    }
    if (!facts.digits_ordered) continue;
    ++digit_collations;
    for (int n = 0; n < 200; ++n) {
      std::string a, b;
      for (size_t k = 1 + random() % 4; a.size() < k;) a += static_cast<char>('0' + random() % 10);
      for (size_t k = 1 + random() % 4; b.size() < k;) b += static_cast<char>('0' + random() % 10);
      if (a == b) continue;
      UErrorCode status = U_ZERO_ERROR;
      const UCollationResult r = ucol_strcollUTF8(
          c.get(), a.data(), static_cast<int32_t>(a.size()), b.data(),
          static_cast<int32_t>(b.size()), &status);
      ASSERT_EQ(AsciiCollation::CompareDigits(a, b) < 0, r == UCOL_LESS) << a << " / " << b;
    }
  }
  EXPECT_GT(equal_calls, 1000);
  EXPECT_GT(digit_collations, 50);
}

TEST(AsciiCollationTest, NumericOrderingKeepsDigitsToTheCollator) {
  Collator c = Open("en");
  UErrorCode status = U_ZERO_ERROR;
  AsciiCollation facts;
  ASSERT_TRUE(facts.Study(c.get()));
  EXPECT_TRUE(facts.digits_ordered);
  ucol_setAttribute(c.get(), UCOL_NUMERIC_COLLATION, UCOL_ON, &status);
  ASSERT_TRUE(U_SUCCESS(status));
  ASSERT_TRUE(facts.Study(c.get()));
  EXPECT_FALSE(facts.digits_ordered);  // "10" sorts after "9" there
}

}  // namespace
}  // namespace vellorax::common
