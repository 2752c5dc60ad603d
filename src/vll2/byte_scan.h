// FindFirstOf: the hot byte searches of the record navigator and the HTML
// text conversions. Finds the first byte of a range that is one of a few
// given characters (and, on request, any byte of 0x80 or above), sixteen
// bytes at a time where the processor allows it, eight at a time otherwise.
// Reads only inside [begin, end).
#pragma once

#include <bit>
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

// Bytes of `word` equal to `c` get their top bit set. Only the lowest set
// bit is exact (a borrow can mark bytes above a match), which is all the
// search needs.
inline std::uint64_t EqualBytes(std::uint64_t word, char c) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ull;
  constexpr std::uint64_t kHighs = 0x8080808080808080ull;
  const std::uint64_t x = word ^ (kOnes * static_cast<unsigned char>(c));
  return (x - kOnes) & ~x & kHighs;
}

}  // namespace byte_scan_detail

// The first position in [begin, end) holding one of `kChars` (or, with
// `kHigh`, a byte of 0x80 or above); `end` when there is none. A range that
// does not end on a block boundary has its last block read again, shifted
// past the bytes already looked at.
template <bool kHigh, char... kChars>
const char* FindFirstOf(const char* begin, const char* end) {
  using byte_scan_detail::EqualBytes;
  const char* p = begin;
#if defined(__SSE2__)
  if (end - p >= 16) {
    auto block_hits = [](const char* at) {
      const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
      __m128i hits = _mm_setzero_si128();
      ((hits = _mm_or_si128(hits, _mm_cmpeq_epi8(block, _mm_set1_epi8(kChars)))), ...);
      unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(hits));
      if constexpr (kHigh) bits |= static_cast<unsigned>(_mm_movemask_epi8(block));
      return bits;
    };
    for (; end - p >= 16; p += 16) {
      if (const unsigned bits = block_hits(p); bits != 0) return p + std::countr_zero(bits);
    }
    if (p == end) return end;
    const unsigned bits = block_hits(end - 16) >> (p - (end - 16));
    return bits != 0 ? p + std::countr_zero(bits) : end;
  }
#endif
  if constexpr (std::endian::native == std::endian::little) {
    if (end - p >= 8) {
      auto word_hits = [](const char* at) {
        std::uint64_t word;
        std::memcpy(&word, at, sizeof word);
        std::uint64_t hits = (EqualBytes(word, kChars) | ...);
        if constexpr (kHigh) hits |= word & 0x8080808080808080ull;
        return hits;
      };
      for (; end - p >= 8; p += 8) {
        if (const std::uint64_t hits = word_hits(p); hits != 0) {
          return p + std::countr_zero(hits) / 8;
        }
      }
      if (p == end) return end;
      const std::uint64_t hits = word_hits(end - 8) >> (8 * (p - (end - 8)));
      return hits != 0 ? p + std::countr_zero(hits) / 8 : end;
    }
  }
  while (p != end && !byte_scan_detail::IsWanted<kHigh, kChars...>(*p)) ++p;
  return p;
}

}  // namespace vellorax::vll2
