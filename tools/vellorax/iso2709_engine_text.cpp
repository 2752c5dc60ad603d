#include "iso2709_engine_text.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "iso2709_layout.h"

namespace vellorax::tool {

namespace {

using namespace iso2709;

#if defined(__SSE2__)
constexpr size_t kBlock = 16;
#else
constexpr size_t kBlock = 8;
#endif
constexpr size_t kInitialBuffer = 1 << 14;
constexpr std::string_view kControlStart = "*001  $a";

// Copies bytes from `s` to `o` up to (not including) the first byte below
// 0x20 or, with kDollar, the first "$", a block at a time: each block is
// stored whole and both cursors move on only by the bytes before that byte.
// REQUIRES: a control byte at or after `s` with kBlock - 1 readable bytes
// after it; room in the output for the copied bytes plus kBlock.
template <bool kDollar>
inline void CopyToStop(const char*& s, char*& o) {
#if defined(__SSE2__)
  const __m128i last_control = _mm_set1_epi8(0x1f);
  const __m128i dollar = _mm_set1_epi8('$');
  while (true) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(o), block);
    __m128i stop = _mm_cmpeq_epi8(_mm_min_epu8(block, last_control), block);  // <= 0x1f
    if constexpr (kDollar) stop = _mm_or_si128(stop, _mm_cmpeq_epi8(block, dollar));
    const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(stop));
    if (mask != 0) {
      const int step = std::countr_zero(mask);
      s += step;
      o += step;
      return;
    }
    s += kBlock;
    o += kBlock;
  }
#else
  constexpr uint64_t kOnes = 0x0101010101010101ULL;
  while (true) {
    uint64_t word;
    std::memcpy(&word, s, 8);
    std::memcpy(o, &word, 8);
    // The first byte in the low bits: borrows run towards later bytes only.
    if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
    // A high bit for each stop byte, exact for the first one (all that is used).
    uint64_t stop = (word - 0x20 * kOnes) & ~word & (0x80 * kOnes);
    if constexpr (kDollar) {
      const uint64_t x = word ^ ('$' * kOnes);
      stop |= (x - kOnes) & ~x & (0x80 * kOnes);
    }
    if (stop != 0) {
      const int step = std::countr_zero(stop) / 8;
      s += step;
      o += step;
      return;
    }
    s += 8;
    o += 8;
  }
#endif
}

// True when none of the `n` bytes at `p` is 0x80 or above.
bool IsAscii(const char* p, size_t n) {
  size_t i = 0;
#if defined(__SSE2__)
  __m128i any = _mm_setzero_si128();
  for (; i + 16 <= n; i += 16) {
    any = _mm_or_si128(any, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)));
  }
  if (_mm_movemask_epi8(any) != 0) return false;
#endif
  for (; i < n; ++i) {
    if (static_cast<unsigned char>(p[i]) >= 0x80) return false;
  }
  return true;
}

// A field's text that no line break may cut: every byte up to `end` (where
// the terminator stands) except NUL (Iso2709LineWriter declines it), a
// terminator, CR and LF. Copied to `o`, which moves on by its length.
inline bool CopyControlText(const char* s, const char* end, char*& o) {
  while (true) {
    CopyToStop<false>(s, o);
    const char c = *s;
    if (EndsField(c)) return s == end;
    if (c == '\0' || c == '\r' || c == '\n') return false;
    *o++ = c;
    ++s;
  }
}

// A subfield code Iso2709LineWriter takes and the repair reads as it stands:
// not a control byte, nor from 0x80 up.
inline bool IsPlainCode(char code) { return static_cast<unsigned char>(code) - 0x20u < 0x60u; }

// "*TAGII$atext" LF "$btext" ... LF: the repair's reading of the line
// "TAG II $a text $b text". Empty subfields are left out as YAZ leaves them.
// REQUIRES: a terminator at `end`; room for twice the field plus 8 + kBlock.
inline bool WriteDataField(const char* tag, const char* s, const char* end, char*& o) {
  if (end - s < 2) return false;
  // Iso2709LineWriter declines indicators with control bytes or from 0x80 up.
  uint16_t indicators;
  std::memcpy(&indicators, s, 2);
  if (((indicators - 0x2020u) | indicators) & 0x8080u) return false;
  // "*" and the tag: the byte before the tag (the leader's or the previous
  // entry's last) is overwritten.
  std::memcpy(o, tag - 1, 4);
  o[0] = '*';
  std::memcpy(o + 4, &indicators, 2);
  o += 6;
  s += 2;
  // Empty subfields (a mark before another or before the terminator) are
  // dropped; text right after the indicators would be read as if its first
  // byte were a mark.
  while (s != end && *s == kSubfieldMark && (s + 1 == end || s[1] == kSubfieldMark)) ++s;
  if (s == end) {
    *o++ = '\n';
    return true;
  }
  if (*s != kSubfieldMark || !IsPlainCode(s[1])) return false;
  o[0] = '$';
  o[1] = s[1];
  o += 2;
  s += 2;
  // One loop from stop byte to stop byte (`p`), the text between copied.
  const char* text = s;  // where the current subfield's text starts
  CopyToStop<true>(s, o);
  const char* p = s;
  while (true) {
    const char c = *p;
    if (c == kSubfieldMark) {
      const char code = p[1];
      if (IsPlainCode(code)) {
        o[0] = '\n';
        o[1] = '$';
        o[2] = code;
        o += 3;
        s = text = p + 2;
      } else if (p + 1 == end || code == kSubfieldMark) {
        s = p + 1;  // an empty subfield, dropped
      } else {
        return false;  // a control code, or one from 0x80 up
      }
    } else if (EndsField(c)) {
      if (p != end) return false;  // a terminator inside the field
      *o++ = '\n';
      return true;
    } else if (c == '$') {
      // The repair starts a new subfield at every " $" of the line, and the
      // text follows the blank after the code.
      if (p == text || p[-1] == ' ') return false;
      *o++ = c;
      s = p + 1;
    } else if (c == '\0' || c == '\r' || c == '\n') {
      return false;
    } else {
      *o++ = c;  // another control byte, plain text
      s = p + 1;
    }
    CopyToStop<true>(s, o);
    p = s;
  }
}

}  // namespace

bool Iso2709EngineTextWriter::Convert(std::string_view data, bool ascii_only) {
  Layout layout;
  if (!ReadLayout(data, kBlock, padded_, layout) || !IsPlainDirectory(layout)) return false;
  const char* const buf = layout.buf;
  const long record_length = layout.record_length;
  const long base_address = layout.base_address;
  const long end_of_directory = layout.end_of_directory;
  if (ascii_only && !IsAscii(buf, static_cast<size_t>(record_length))) return false;

  if (buffer_.size() < kInitialBuffer) buffer_.resize(kInitialBuffer);
  char* o = buffer_.data();
  char* limit = o + buffer_.size();
  size_t control_end = 0;  // control number lines stand in front of all others

  for (long p = kLeaderLength; p != end_of_directory; p += kEntryLength) {
    const char* const tag = buf + p;
    long length = 0;
    long start = 0;
    DecodeEntry(tag, length, start);
    start += base_address;
    const long last = start + length - 1;  // where the terminator stands
    if (length <= 0 || last >= record_length || !EndsField(buf[last])) return false;
    // A field's text takes at most twice its length plus the tag.
    const size_t need = 2 * static_cast<size_t>(length) + 8 + 4 + kBlock;
    if (static_cast<size_t>(limit - o) < need) {
      const size_t used = static_cast<size_t>(o - buffer_.data());
      buffer_.resize(2 * (used + need));
      o = buffer_.data() + used;
      limit = buffer_.data() + buffer_.size();
    }
    if (!IsControlFieldTag(tag)) {
      if (!WriteDataField(tag, buf + start, buf + last, o)) return false;
    } else if (ReadsAsDataField(data, start)) {
      return false;
    } else if (tag[2] == '1') {
      char* const line = o;
      std::memcpy(o, kControlStart.data(), kControlStart.size());
      o += kControlStart.size();
      if (!CopyControlText(buf + start, buf + last, o)) return false;
      *o++ = '\n';
      if (static_cast<size_t>(line - buffer_.data()) != control_end) {
        std::rotate(buffer_.data() + control_end, line, o);
      }
      control_end += static_cast<size_t>(o - line);
    } else {
      // Other control fields are dropped, but must read as one line.
      char* scratch = o;
      if (!CopyControlText(buf + start, buf + last, scratch)) return false;
    }
  }
  // The record's closing empty line reads as "*"; then the end mark.
  std::memcpy(o, "*\n^", 4);
  o += 4;
  char* const begin = buffer_.data();
  for (char* p = begin; (p = static_cast<char*>(std::memchr(p, '\\', static_cast<size_t>(o - p))));) {
    *p = '/';
  }
  size_ = static_cast<size_t>(o - begin);
  record_length_ = static_cast<size_t>(record_length);
  return true;
}

}  // namespace vellorax::tool
