// The hot byte searches of the record navigator and the HTML text
// conversions. FindFirstOf finds the first byte of a range that is one of a
// few given characters (and, on request, any byte of 0x80 or above), sixteen
// bytes at a time where the processor allows it, eight at a time otherwise;
// ForEachOf visits every such byte; MarkWindow notes where each of a few
// characters lies in 64 bytes at once. All read only inside their text.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vellorax::vll2 {

namespace byte_scan_detail {

template <bool kHigh, char... kChars>
constexpr bool IsWanted(char c) {
  return (kHigh && static_cast<unsigned char>(c) >= 0x80) || ((c == kChars) || ...);
}

// The top bit of every byte of `word` that equals `c`, and no other bit.
inline std::uint64_t EqualBytes(std::uint64_t word, char c) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ull;
  constexpr std::uint64_t kLows = 0x7F7F7F7F7F7F7F7Full;
  const std::uint64_t x = word ^ (kOnes * static_cast<unsigned char>(c));
  return ~(((x & kLows) + kLows) | x | kLows);
}

#if defined(__SSE2__)
// Bit i set when byte i of the 16 at `at` is wanted.
template <bool kHigh, char... kChars>
inline unsigned BlockHits(const char* at) {
  const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
  __m128i hits = _mm_setzero_si128();
  ((hits = _mm_or_si128(hits, _mm_cmpeq_epi8(block, _mm_set1_epi8(kChars)))), ...);
  unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(hits));
  if constexpr (kHigh) bits |= static_cast<unsigned>(_mm_movemask_epi8(block));
  return bits;
}
#endif

// The top bit of byte i set when byte i of the 8 at `at` is wanted.
template <bool kHigh, char... kChars>
inline std::uint64_t WordHits(const char* at) {
  std::uint64_t word;
  std::memcpy(&word, at, sizeof word);
  std::uint64_t hits = (EqualBytes(word, kChars) | ...);
  if constexpr (kHigh) hits |= word & 0x8080808080808080ull;
  return hits;
}

}  // namespace byte_scan_detail

// The first position in [begin, end) holding one of `kChars` (or, with
// `kHigh`, a byte of 0x80 or above); `end` when there is none. A range that
// does not end on a block boundary has its last block read again, shifted
// past the bytes already looked at.
template <bool kHigh, char... kChars>
const char* FindFirstOf(const char* begin, const char* end) {
  using namespace byte_scan_detail;
  const char* p = begin;
#if defined(__SSE2__)
  if (end - p >= 16) {
    for (; end - p >= 16; p += 16) {
      if (const unsigned bits = BlockHits<kHigh, kChars...>(p); bits != 0) {
        return p + std::countr_zero(bits);
      }
    }
    if (p == end) return end;
    const unsigned bits = BlockHits<kHigh, kChars...>(end - 16) >> (p - (end - 16));
    return bits != 0 ? p + std::countr_zero(bits) : end;
  }
#endif
  if constexpr (std::endian::native == std::endian::little) {
    if (end - p >= 8) {
      for (; end - p >= 8; p += 8) {
        if (const std::uint64_t hits = WordHits<kHigh, kChars...>(p); hits != 0) {
          return p + std::countr_zero(hits) / 8;
        }
      }
      if (p == end) return end;
      const std::uint64_t hits = WordHits<kHigh, kChars...>(end - 8) >> (8 * (p - (end - 8)));
      return hits != 0 ? p + std::countr_zero(hits) / 8 : end;
    }
  }
  while (p != end && !IsWanted<kHigh, kChars...>(*p)) ++p;
  return p;
}

// Calls `visit(p)` for every position p in [begin, end) holding one of
// `kChars`, in order. `visit` is called from one place so that it inlines.
template <char... kChars, typename Visit>
void ForEachOf(const char* begin, const char* end, Visit&& visit) {
  using namespace byte_scan_detail;
  for (const char* p = begin; p != end;) {
    // Bit i << shift set when byte p + i is wanted.
    std::uint64_t bits = 0;
    int shift = 0;
    std::ptrdiff_t width = end - p;
#if defined(__SSE2__)
    if (width >= 16) {
      bits = BlockHits<false, kChars...>(p);
      width = 16;
    } else
#endif
    if (std::endian::native == std::endian::little && width >= 8) {
      bits = WordHits<false, kChars...>(p);
      shift = 3;
      width = 8;
    } else {
      for (std::ptrdiff_t i = 0; i < width; ++i) {
        if (IsWanted<false, kChars...>(p[i])) bits |= std::uint64_t{1} << i;
      }
    }
    for (; bits != 0; bits &= bits - 1) visit(p + (std::countr_zero(bits) >> shift));
    p += width;
  }
}

// The first `c` in [from, end), or nullptr.
inline const char* FindByte(const char* from, const char* end, char c) {
  const void* hit = std::memchr(from, c, static_cast<size_t>(end - from));
  return hit == nullptr ? nullptr : static_cast<const char*>(hit);
}

// Moves `count` bytes from `from` to `to` as memmove does; short moves, the
// common case, without a call.
inline void MoveBytes(char* to, const char* from, size_t count) {
  if (count > 32) {
    std::memmove(to, from, count);
  } else if (count > 16) {
    // All four loads come before the stores, so overlap does no harm.
    std::uint64_t head[2], tail[2];
    std::memcpy(head, from, 16);
    std::memcpy(tail, from + count - 16, 16);
    std::memcpy(to, head, 16);
    std::memcpy(to + count - 16, tail, 16);
  } else if (count >= 8) {
    // Both loads come before both stores, so overlap does no harm.
    std::uint64_t head, tail;
    std::memcpy(&head, from, 8);
    std::memcpy(&tail, from + count - 8, 8);
    std::memcpy(to, &head, 8);
    std::memcpy(to + count - 8, &tail, 8);
  } else if (count >= 4) {
    std::uint32_t head, tail;
    std::memcpy(&head, from, 4);
    std::memcpy(&tail, from + count - 4, 4);
    std::memcpy(to, &head, 4);
    std::memcpy(to + count - 4, &tail, 4);
  } else if (count != 0) {
    const char first = from[0], middle = from[count / 2], last = from[count - 1];
    to[0] = first;
    to[count / 2] = middle;
    to[count - 1] = last;
  }
}

// The first `c` in [from, end), or nullptr; once there is none from some
// place on (`*none_from`), asking again from there or later costs nothing,
// so that a text full of unclosed "<" or "&" still takes linear time.
inline const char* FindRemembering(const char* from, const char* end, char c,
                                   const char** none_from) {
  if (from >= *none_from) return nullptr;
  const char* hit = FindByte(from, end, c);
  if (hit == nullptr) *none_from = from;
  return hit;
}

// Bit i set when base[i] is one of `kChars` (or, with `kHigh`, of code 0x80
// or above), for i below 64 and below end - base. The bytes before `base`
// from `text_begin` on may be read (and ignored) to finish a short last block.
// REQUIRES: text_begin <= base < end, all in one text.
template <bool kHigh, char... kChars>
[[gnu::always_inline]] inline std::uint64_t MarkWindow(const char* text_begin, const char* base,
                                                       const char* end) {
  using namespace byte_scan_detail;
  const size_t length = end - base < 64 ? static_cast<size_t>(end - base) : 64;
  std::uint64_t marks = 0;
  size_t i = 0;
#if defined(__SSE2__)
  if (length == 64) {
    // The common whole window, without a loop.
    return std::uint64_t{BlockHits<kHigh, kChars...>(base)} |
           std::uint64_t{BlockHits<kHigh, kChars...>(base + 16)} << 16 |
           std::uint64_t{BlockHits<kHigh, kChars...>(base + 32)} << 32 |
           std::uint64_t{BlockHits<kHigh, kChars...>(base + 48)} << 48;
  }
  for (; i + 16 <= length; i += 16) {
    marks |= std::uint64_t{BlockHits<kHigh, kChars...>(base + i)} << i;
  }
  if (i == length) return marks;
  // Fewer than 16 bytes are left and they run to `end`.
  const auto rest = static_cast<unsigned>(length - i);
  unsigned bits;
  if (end - text_begin >= 16) {
    bits = BlockHits<kHigh, kChars...>(end - 16) >> (16 - rest);
  } else {
    char block[16] = {};
    std::memcpy(block, base + i, rest);
    bits = BlockHits<kHigh, kChars...>(block) & ((1u << rest) - 1);
  }
  marks |= std::uint64_t{bits} << i;
#else
  (void)text_begin;
  for (; i < length; ++i) {
    if (IsWanted<kHigh, kChars...>(base[i])) marks |= std::uint64_t{1} << i;
  }
#endif
  return marks;
}

}  // namespace vellorax::vll2
