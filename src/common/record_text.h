// Repair of display-layout MARC records into the engine record text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vellorax::common {

// Turns a record in the one-line-per-field display layout ("245 10 $a Title")
// into engine record text ("*24510$aTitle" ..., closing "^" and a NUL byte).
//
// Display layout: one line per field, lines broken by CR LF, CR or LF, tag in
// columns 1-3. "001" lines carry the control number from column 5; other
// lines starting "00" (000, 002-009) are dropped; data field lines hold the
// indicators in columns 5-6 and the subfields ("$a data $b data") from
// column 8. Every subfield line loses its third character (the blank after the
// code) and every backslash becomes "/".
//
// A 001 line always comes out first: when it follows data field lines, its
// output is placed in front of them, and those fields follow it unchanged
// (several 001 lines keep their order). Nothing is dropped. Never fails.
std::string RepairRecordText(std::string_view text);

// Removes the third character of every line of `text` and joins the lines with
// line feeds ("$a word" becomes "$aword").
std::string JoinSubfieldLines(std::string_view text);

// Splits at CR LF, CR or LF; a break at the very end adds no empty last line.
std::vector<std::string_view> SplitLines(std::string_view text);

}  // namespace vellorax::common
