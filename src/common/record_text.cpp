#include "common/record_text.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vellorax::common {

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(text.substr(start, i - start));
      i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

std::string JoinSubfieldLines(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  bool first = true;
  for (std::string_view line : SplitLines(text)) {
    if (!first) result += '\n';
    first = false;
    result.append(line.substr(0, 2));
    if (line.size() > 3) result.append(line.substr(3));
  }
  return result;
}

namespace {

// The first `c` in [p, end), or `end`. Reads whole 16-byte blocks while they
// lie before `limit` (the end of the readable text, at or after `end`), as
// the lines and subfields searched here are short.
inline const char* FindByte(const char* p, const char* end, [[maybe_unused]] const char* limit,
                            char c) {
#if defined(__SSE2__)
  const __m128i needle = _mm_set1_epi8(c);
  for (; p < end && limit - p >= 16; p += 16) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, needle)));
    if (mask != 0) return std::min(p + std::countr_zero(mask), end);
  }
#endif
  for (; p < end; ++p) {
    if (*p == c) return p;
  }
  return end;
}

// The first CR or LF in [p, end) (LF only when the text holds no CR), or
// `end`; reads as FindByte.
inline const char* FindLineBreak(const char* p, const char* end, const char* limit, bool has_cr) {
  if (!has_cr) return FindByte(p, end, limit, '\n');
#if defined(__SSE2__)
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  for (; p < end && limit - p >= 16; p += 16) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const auto mask = static_cast<unsigned>(_mm_movemask_epi8(
        _mm_or_si128(_mm_cmpeq_epi8(block, lf), _mm_cmpeq_epi8(block, cr))));
    if (mask != 0) return std::min(p + std::countr_zero(mask), end);
  }
#endif
  for (; p < end; ++p) {
    if (*p == '\n' || *p == '\r') return p;
  }
  return end;
}

constexpr size_t kCopySlack = 16;

// The output is written through a local cursor `o` (kept in a register: a
// member would be reloaded after every byte stored) into a string made large
// enough beforehand with Reserve.

// Grows `text` (written up to `o`) for `n` more bytes; returns the new cursor.
[[gnu::noinline]] char* Grow(std::string& text, char* o, size_t n) {
  const size_t used = static_cast<size_t>(o - text.data());
  text.resize(std::max(2 * text.size(), used + n));
  return text.data() + used;
}

inline void Reserve(std::string& text, char*& o, size_t n) {
  if (static_cast<size_t>(text.data() + text.size() - o) < n) o = Grow(text, o, n);
}

inline void Put(char*& o, std::string_view s) {
  if (s.empty()) return;  // an empty view may hold a null pointer
  std::memcpy(o, s.data(), s.size());
  o += s.size();
}

// Copies [p, q) to `o`, where q is the first "$" in [p, end) or `end`, and
// returns q. Reads and stores whole 16-byte blocks while they lie before
// `limit`. REQUIRES: room for the bytes plus kCopySlack.
inline const char* CopyToDollar(const char* p, const char* end, [[maybe_unused]] const char* limit,
                                char*& o) {
#if defined(__SSE2__)
  const __m128i dollar = _mm_set1_epi8('$');
  while (p < end && limit - p >= 16) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(o), block);
    const auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, dollar)));
    const size_t n = mask != 0 ? static_cast<size_t>(std::countr_zero(mask)) : 16;
    if (n >= static_cast<size_t>(end - p)) {
      o += end - p;
      return end;
    }
    o += n;
    if (mask != 0) return p + n;
    p += 16;
  }
#endif
  while (p < end && *p != '$') *o++ = *p++;
  return p;
}

// The subfields of a data field line ([d, end), from column 8) in one pass:
// a line break in place of the blank of every " $", and the third character
// of each resulting piece dropped ("$a Title $b sub" becomes "$aTitle" LF
// "$bsub"). A break is a "$" after a blank, looked for from the second
// character of each piece on. Writes at most end - d bytes (plus kCopySlack
// of scratch). REQUIRES: d < end; `limit` is the end of the readable text.
inline void PutSubfields(char*& o, const char* d, const char* end, const char* limit) {
  const char* piece = d;
  while (true) {
    // The first three characters one by one, as a break may come among them.
    if (piece[0] == ' ' && piece + 1 < end && piece[1] == '$') {
      *o++ = '\n';  // an empty piece
      piece += 1;
      continue;
    }
    *o++ = piece[0];
    if (piece + 1 == end) return;
    if (piece[1] == ' ' && piece + 2 < end && piece[2] == '$') {
      *o++ = '\n';
      piece += 2;
      continue;
    }
    *o++ = piece[1];
    if (piece + 2 == end) return;
    if (piece[2] == ' ' && piece + 3 < end && piece[3] == '$') {
      *o++ = '\n';
      piece += 3;
      continue;
    }
    // The third character is dropped; the rest runs to the next break.
    const char* p = piece + 3;
    while (true) {
      const char* const q = CopyToDollar(p, end, limit, o);
      if (q == end) return;
      if (q > piece + 3 && q[-1] == ' ') {
        o[-1] = '\n';  // the blank copied last
        piece = q;
        break;
      }
      *o++ = '$';
      p = q + 1;
    }
  }
}

// End of the line starting at `start`, and where the next line starts.
// `has_cr` tells whether the text holds a carriage return at all.
void FindLineEnd(std::string_view text, bool has_cr, size_t start, size_t& end, size_t& next) {
  const char* p = text.data();
  const size_t size = text.size();
  end = static_cast<size_t>(FindLineBreak(p + start, p + size, p + size, has_cr) - p);
  if (end == size) {
    next = size;
  } else {
    next = end + ((p[end] == '\r' && end + 1 < size && p[end + 1] == '\n') ? 2 : 1);
  }
}

}  // namespace

// One output buffer, filled line by line; the control number lines go to the
// front part (before `control_end`), data fields after it. No line writes
// more than its length + 6 bytes ("001" alone becomes "*001  $a" LF).
std::string RepairRecordText(std::string_view text) {
  constexpr std::string_view kControlStart = "*001  $a";
  std::string result(text.size() + 64, '\0');
  char* o = result.data();
  const bool has_cr = text.find('\r') != std::string_view::npos;
  const char* const limit = text.data() + text.size();
  size_t control_end = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = 0;
    size_t next = 0;
    FindLineEnd(text, has_cr, start, end, next);
    const std::string_view line = text.substr(start, end - start);
    const bool last = next >= text.size();
    start = next;
    if (line.starts_with("001")) {
      Reserve(result, o, line.size() + 8);
      char* const at = o;
      Put(o, kControlStart);
      if (line.size() > 4) Put(o, line.substr(4));
      *o++ = '\n';
      char* const front = result.data() + control_end;
      if (front != at) std::rotate(front, at, o);
      control_end += static_cast<size_t>(o - at);
    } else if (line.starts_with("00")) {
      continue;
    } else {
      Reserve(result, o, line.size() + 8 + kCopySlack);
      *o++ = '*';
      if (line.size() > 7) {
        std::memcpy(o, line.data(), 3);
        std::memcpy(o + 3, line.data() + 4, 2);
        o += 5;
        PutSubfields(o, line.data() + 7, line.data() + line.size(), limit);
      } else {
        for (const char c : line.substr(0, 3)) *o++ = c;
        for (const char c : line.substr(std::min<size_t>(line.size(), 4), 2)) *o++ = c;
      }
      if (!last) *o++ = '\n';
    }
  }
  Reserve(result, o, 3);
  std::memcpy(o, "\n^", 3);  // with the closing NUL byte
  o += 3;
  result.resize(static_cast<size_t>(o - result.data()));
  char* const end = result.data() + result.size();
  for (char* p = result.data(); (p = static_cast<char*>(std::memchr(p, '\\', end - p)));) {
    *p = '/';
  }
  return result;
}

}  // namespace vellorax::common
