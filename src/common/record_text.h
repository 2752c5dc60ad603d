// Repair of display-layout MARC records into the engine record text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vellorax::common {

// Turns a record in the one-line-per-field display layout ("245 10 $a Title")
// into engine record text ("*24510$aTitle" ..., closing "^" and a NUL byte).
std::string RepairRecordText(std::string_view text);

// Removes the third character of every line of `text` and joins the lines with
// line feeds ("$a word" becomes "$aword").
std::string JoinSubfieldLines(std::string_view text);

// Splits at CR LF, CR or LF; a break at the very end adds no empty last line.
std::vector<std::string_view> SplitLines(std::string_view text);

}  // namespace vellorax::common
