// Expansion of a system-index term's value into the values searched:
// ISBN and ISSN lose blanks and hyphens, "AX" range codes become the list of
// two-digit codes they name.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vellorax::search {

enum SystemIndex : int {
  kSystemIndexOther = 0,
  kSystemIndexIS = 1,  // "IS": ISBN
  kSystemIndexSN = 2,  // "SN": ISSN
  kSystemIndexUD = 3,  // "UD"
  kSystemIndexAX = 4,  // "AX": range codes
};

// 1 "IS", 2 "SN", 3 "UD", 4 "AX", 0 for any other name (exact comparison).
int SystemIndexType(std::string_view code_name);

// Clears `list` and fills it with the values to search for `value`.
void ExpandSystemValue(int type, std::string_view value, std::vector<std::string>& list);

// Appends the values an "AX" range code names: "6:9" -> "06:09" (one interval
// value), "7" -> "07", "6-9" -> 06..09, letter ranges "A" 01-05, "B" 06-08,
// "BU" 09-10, "U" 11-12, "MU" 13-15 joined by "/", "," or "-" -> their span.
void ExpandRangeCode(std::string_view value, std::vector<std::string>& list);

}  // namespace vellorax::search
