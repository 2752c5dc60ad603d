#include "common/strings.h"

#include <cstdint>
#include <limits>

#include "common/awk.h"

namespace vellorax::common {

namespace {

// Blanks in the catalogue's sense: every byte of code 32 or below.
inline bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

inline int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The value IsInteger treats as a failed conversion.
constexpr int kIntegerFailure = -2147483647;

}  // namespace

void SplitFields(std::string_view text, std::string_view separators,
                 std::vector<std::string>& list) {
  TAwk splitter;
  splitter.FS = std::string(separators);
  splitter.QuoteChars.assign(1, '"');
  splitter.MatchQuotes = true;
  splitter.Split(text);
  for (const std::string& field : splitter.Fields()) {
    if (field.empty()) continue;
    if (field.front() == '"' && field.back() == '"') {
      // A lone quote is both first and last character: it leaves nothing.
      list.push_back(field.size() >= 2 ? field.substr(1, field.size() - 2) : std::string());
    } else {
      list.push_back(field);
    }
  }
}

void ReplaceAll(std::string_view old_text, std::string_view new_text, std::string& s) {
  if (old_text.empty()) return;
  std::string result;
  size_t start = 0;
  size_t hit = s.find(old_text);
  if (hit == std::string::npos) return;
  result.reserve(s.size());
  while (hit != std::string::npos) {
    result.append(s, start, hit - start);
    result.append(new_text);
    start = hit + old_text.size();
    hit = s.find(old_text, start);
  }
  result.append(s, start, std::string::npos);
  s = std::move(result);
}

void TrimKeepWildcards(std::string& s, std::string_view chars) {
  if (s.empty() || s == "%") return;
  std::string_view t(s);
  while (!t.empty() && IsBlank(t.front())) t.remove_prefix(1);
  while (!t.empty() && IsBlank(t.back())) t.remove_suffix(1);
  bool leading = false;
  bool trailing = false;
  if (!t.empty() && t.front() == '%') {
    leading = true;
    t.remove_prefix(1);
  }
  if (!t.empty() && t.back() == '%') {
    trailing = true;
    t.remove_suffix(1);
  }
  auto kept = [&](char c) { return !IsBlank(c) && chars.find(c) == std::string_view::npos; };
  size_t first = 0;
  while (first < t.size() && !kept(t[first])) ++first;
  if (first < t.size()) {
    size_t last = t.size() - 1;
    while (!kept(t[last])) --last;
    t = t.substr(first, last - first + 1);
  }
  std::string result;
  result.reserve(t.size() + 2);
  if (leading) result += '%';
  result.append(t);
  if (trailing) result += '%';
  s = std::move(result);
}

void ReplaceChar(std::string& s, char from, char to) {
  for (char& c : s) {
    if (c == from) c = to;
  }
}

void AddBackslash(std::string& s) {
  if (!s.empty() && s.back() != '\\') s += '\\';
}

std::string WithBackslash(std::string_view s) {
  std::string result(s);
  AddBackslash(result);
  return result;
}

// Delphi's integer syntax: spaces, an optional sign, then decimal digits or,
// after "$", "x", "X", "0x" or "0X", hexadecimal digits. Decimal values must
// fit a signed 32-bit integer; hexadecimal ones are 32-bit patterns up to
// $FFFFFFFF ("$FFFFFFFF" is -1), as Delphi reads them. Nothing may follow.
bool TryStrToInt(std::string_view s, int& value) {
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    negative = s[i] == '-';
    ++i;
  }
  bool hex = false;
  if (i < s.size() && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i >= s.size()) return false;
  uint64_t magnitude = 0;
  const uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 2147483648ull : 2147483647ull);
  for (; i < s.size(); ++i) {
    int digit = hex ? HexDigit(s[i]) : (s[i] >= '0' && s[i] <= '9' ? s[i] - '0' : -1);
    if (digit < 0) return false;
    magnitude = magnitude * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
    if (magnitude > limit) return false;
  }
  uint32_t bits = static_cast<uint32_t>(magnitude);
  if (negative) bits = 0u - bits;
  value = static_cast<int32_t>(bits);
  return true;
}

bool IsInteger(std::string_view s) {
  int value = 0;
  return TryStrToInt(s, value) && value != kIntegerFailure;
}

std::string TailFrom(std::string_view s, int index) {
  if (index < 1) return std::string(s);
  if (static_cast<size_t>(index) > s.size()) return std::string();
  return std::string(s.substr(static_cast<size_t>(index) - 1));
}

void DoubleQuotes(std::string& s) {
  if (s.find('\'') == std::string::npos) return;
  std::string result;
  result.reserve(s.size() + 8);
  for (char c : s) {
    result += c;
    if (c == '\'') result += '\'';
  }
  s = std::move(result);
}

int Pos(std::string_view needle, std::string_view s, int from) {
  if (needle.empty()) return 0;
  if (from < 1) from = 1;
  if (static_cast<size_t>(from) > s.size()) return 0;
  size_t hit = s.find(needle, static_cast<size_t>(from) - 1);
  return hit == std::string_view::npos ? 0 : static_cast<int>(hit) + 1;
}

std::string Copy(std::string_view s, int index, int count) {
  size_t start = index < 1 ? 0 : static_cast<size_t>(index) - 1;
  if (count <= 0 || start >= s.size()) return std::string();
  return std::string(s.substr(start, static_cast<size_t>(count)));
}

}  // namespace vellorax::common
