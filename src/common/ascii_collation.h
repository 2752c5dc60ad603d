// What a collator does to pure ASCII text, learnt once per collator so that
// two ASCII strings differing only in letter case can be called equal without
// asking it: which letters collate apart from their other case (Turkish I/i,
// or every letter when case counts) and which ASCII letter sequences the
// locale collates as one unit (Norwegian "aa"). Not thread-safe to build;
// read-only afterwards.
#pragma once

#include <unicode/ucol.h>

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace vellorax::common {

struct AsciiCollation {
  std::array<bool, 128> letter_case_differs{};
  std::array<bool, 128> starts_contraction{};
  std::vector<std::string> contractions;  // lower-cased ASCII, two letters or more
  // True when strings of ASCII digits collate as their bytes compare: the
  // digits sort 0 to 9, the locale tailors none of them (alone or in a
  // sequence) and numeric ordering is off.
  bool digits_ordered = false;

  // Learns the facts from the collator's tailoring: its ASCII contractions
  // are the ASCII strings it tailors, as the root collation has none (a fact
  // of the CLDR root order that the tests check). False when ICU fails.
  bool Study(const UCollator* collator);

  // Adds one ASCII contraction or prefix rule (any case).
  void AddContraction(std::u16string_view text);

  // True when `a` and `b` are provably equal for the collator: equal ignoring
  // ASCII case, no differing letter whose cases collate apart, and no ASCII
  // contraction anywhere in the text. False means "ask the collator".
  // REQUIRES: both pure ASCII.
  bool CaseEqualCollates(std::string_view a, std::string_view b) const;
  // The collator's order of two different strings of ASCII digits, when
  // digits_ordered: negative when `a` sorts first, positive otherwise.
  static int CompareDigits(std::string_view a, std::string_view b) { return a < b ? -1 : 1; }
};

}  // namespace vellorax::common
