// Locale-aware, case-insensitive comparison of 8-bit code-page strings, as the
// catalogue uses for command names, text-group names, conditions and search
// codes. The locale comes from LC_ALL, LC_COLLATE or LANG (in that order), or
// "en_US" when none is set; SetTextLocale overrides it (tests pin it).
// Thread-safe.
#pragma once

#include <string>
#include <string_view>

namespace vellorax::common {

// Replaces the locale used by every function below (e.g. "nb_NO", "en_US");
// an empty name goes back to the environment's locale. Threads pick the
// change up at their next call. Unknown names fall back to ICU's root order.
void SetTextLocale(std::string_view locale);
std::string TextLocale();

// Compares ignoring case (secondary strength: accents count, case does not).
// Negative, zero or positive, like strcmp. Follows the locale's collation, so
// in Norwegian "å" sorts after "z" and "aa" with "å".
int AnsiCompareText(std::string_view a, std::string_view b);
// True when both texts are equal after full Unicode case folding (not
// collation: "e" and "é" differ, "straße" and "STRASSE" are the same).
bool AnsiSameText(std::string_view a, std::string_view b);
// True when `needle` occurs in `haystack` ignoring case (full case folding of
// the code page's letters, not only ASCII). An empty needle is contained.
bool AnsiContainsText(std::string_view haystack, std::string_view needle);

// Locale-aware upper and lower casing, character by character; letters whose
// case partner is not in the code page, or is more than one letter ("ß" ->
// "SS"), stay as they are, so the length never changes.
std::string AnsiUpperCase(std::string_view s);
std::string AnsiLowerCase(std::string_view s);

}  // namespace vellorax::common
