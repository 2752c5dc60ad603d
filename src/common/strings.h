// Small string routines shared by the macro engines, the record text repair and
// the search engine. Strings are 8-bit code-page bytes; positions are 1-based
// wherever the catalogue's algorithms speak of positions.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vellorax::common {

// Appends the non-empty fields of `text`, split at any character of
// `separators`, to `list` (which is not emptied first). Separators inside a
// double-quoted stretch stay in the field; a field that starts and ends with a
// double quote loses those two characters.
void SplitFields(std::string_view text, std::string_view separators,
                 std::vector<std::string>& list);

// Replaces every occurrence of `old_text` in `s` by `new_text`. Text produced by
// a replacement is never searched again; an empty `old_text` is never found.
void ReplaceAll(std::string_view old_text, std::string_view new_text, std::string& s);

// Trims blanks (codes <= 32) and the characters of `chars` at both ends of `s`,
// keeping a leading and a trailing "%" wildcard.
void TrimKeepWildcards(std::string& s, std::string_view chars);

// Every `from` byte in `s` becomes `to`.
void ReplaceChar(std::string& s, char from, char to);

// Appends "\" unless `s` is empty or already ends with one.
void AddBackslash(std::string& s);
std::string WithBackslash(std::string_view s);

// True when `s` converts to a 32-bit signed integer in Delphi's syntax and is
// not -2147483647 (the value that stands for a failed conversion). Syntax:
// leading spaces, an optional sign, then decimal digits in the signed 32-bit
// range, or "$"/"x"/"X"/"0x"/"0X" and hexadecimal digits up to $FFFFFFFF,
// read as a 32-bit pattern ("$FFFFFFFF" is -1). Nothing may follow.
bool IsInteger(std::string_view s);

// Parses `s` with the syntax of IsInteger; false when it does not convert.
bool TryStrToInt(std::string_view s, int& value);

// The characters of `s` from the 1-based `index` to the end; the whole string
// for an index below 1, empty past the end.
std::string TailFrom(std::string_view s, int index);

// Every single quote becomes two, for embedding in SQL literals.
void DoubleQuotes(std::string& s);

// 1-based position of the first `needle` in `s` at or after 1-based `from`, or
// 0 when absent (also for an empty needle). The one place where the catalogue's
// 1-based positions meet std::string's 0-based ones.
int Pos(std::string_view needle, std::string_view s, int from = 1);

// The 1-based character at `index`, or '\0' outside 1..size.
inline char CharAt(std::string_view s, int index) {
  return index >= 1 && static_cast<size_t>(index) <= s.size() ? s[index - 1] : '\0';
}

// Up to `count` characters of `s` from the 1-based `index` (Delphi's Copy):
// clamped at both ends, never reads outside `s`.
std::string Copy(std::string_view s, int index, int count);

}  // namespace vellorax::common
