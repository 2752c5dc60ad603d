// The structural checks that every fast ISO 2709 writer of `vellorax format`
// shares: the leader, the directory and each directory entry are read here
// once, so that the writers accept exactly the same record shapes and differ
// only in the text they make of the fields.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vellorax::tool::iso2709 {

constexpr char kSubfieldMark = '\x1f';  // before each subfield code
constexpr char kFieldEnd = '\x1e';      // after each field and the directory
constexpr char kRecordEnd = '\x1d';     // after the record
constexpr size_t kLeaderLength = 24;
constexpr size_t kEntryLength = 12;     // tag 3, field length 4, start 5

inline bool IsDigit(char c) { return static_cast<unsigned char>(c - '0') < 10; }
inline bool IsControl(char c) { return static_cast<unsigned char>(c) < 0x20; }
inline bool EndsField(char c) { return c == kFieldEnd || c == kRecordEnd; }

// The number in the five digits at `p` (eight bytes readable), or -1 when one
// of them is not a digit.
inline long Number5(const char* p) {
  constexpr uint64_t kFive = 0x000000FFFFFFFFFFULL;
  constexpr uint64_t kOnes = 0x0101010101010101ULL & kFive;
  uint64_t word;
  std::memcpy(&word, p, 8);
  if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
  word &= kFive;
  // Digits are 0x30..0x39: high nibble 3, and adding 6 keeps it 3.
  if ((word & (0xF0 * kOnes)) != 0x30 * kOnes ||
      ((word + 0x06 * kOnes) & (0xF0 * kOnes)) != 0x30 * kOnes) {
    return -1;
  }
  const uint64_t d = word & (0x0F * kOnes);
  return static_cast<long>((d & 0xFF) * 10000 + ((d >> 8) & 0xFF) * 1000 + ((d >> 16) & 0xFF) * 100 +
                           ((d >> 24) & 0xFF) * 10 + (d >> 32));
}

// True when one of the three bytes at `p` is below 0x20 (four readable).
inline bool HasControlIn3(const char* p) {
  uint32_t word;
  std::memcpy(&word, p, 4);
  if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap32(word);
  word |= 0xFF000000u;  // the fourth byte is not looked at
  return ((word - 0x20202020u) & ~word & 0x80808080u) != 0;
}

// The field length and start of a directory entry whose nine numbers are
// digits (as IsPlainDirectory makes sure).
inline void DecodeEntry(const char* entry, long& length, long& start) {
  constexpr uint64_t kOnes = 0x0101010101010101ULL;
  uint64_t word;
  std::memcpy(&word, entry + 3, 8);
  if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
  // Eight digit values, first in the low byte: pairs, then fours.
  uint64_t v = word & (0x0F * kOnes);
  v = (v * 10 + (v >> 8)) & 0x00FF00FF00FF00FFULL;
  v = (v * 100 + (v >> 16)) & 0x0000FFFF0000FFFFULL;
  length = static_cast<long>(v & 0xFFFF);
  start = static_cast<long>(v >> 32) * 10 + (entry[11] - '0');
}

// The field length (4 digits) and start (5 digits) of the directory entry at
// `entry`; false when one of the nine is not a digit.
inline bool EntryNumbers(const char* entry, long& length, long& start) {
  constexpr uint64_t kOnes = 0x0101010101010101ULL;
  uint64_t word;
  std::memcpy(&word, entry + 3, 8);
  // Digits are 0x30..0x39: high nibble 3, and adding 6 keeps it 3.
  if ((word & (0xF0 * kOnes)) != 0x30 * kOnes ||
      ((word + 0x06 * kOnes) & (0xF0 * kOnes)) != 0x30 * kOnes || !IsDigit(entry[11])) {
    return false;
  }
  DecodeEntry(entry, length, start);
  return true;
}

// True when the 24 bytes at `p` are printable ASCII (0x20..0x7e).
inline bool IsPrintableLeader(const char* p) {
  constexpr uint64_t kOnes = 0x0101010101010101ULL;
  uint64_t flags = 0;
  for (int k = 0; k < 3; ++k) {
    uint64_t word;
    std::memcpy(&word, p + 8 * k, 8);
    // Below 0x20, and 0x7f or above (a byte of 0xff carries into the next
    // one, but is flagged itself).
    flags |= ((word - 0x20 * kOnes) & ~word) | word | (word + kOnes);
  }
  return (flags & (0x80 * kOnes)) == 0;
}

// A record's layout as its leader describes it. `buf` is the record itself
// or a padded copy of it, followed by at least the slack asked for.
struct Layout {
  const char* buf = nullptr;
  long record_length = 0;
  long base_address = 0;
  long end_of_directory = 0;  // the directory's terminator, right before the base address
};

// Reads the leader of the record at the start of `data` (the rest of the
// file) and checks the directory's extent. A record that ends less than
// `slack` bytes before the end of `data` is copied to `padded` with `slack`
// NUL bytes after it, so that writers may read words past a terminator.
// False for anything but a well-formed MARC 21 shaped record: indicator and
// subfield code counts 2, entries 3+4+5, printable leader (YAZ replaces other
// bytes and comments on it), whole entries ending in a terminator.
inline bool ReadLayout(std::string_view data, size_t slack, std::string& padded, Layout& layout) {
  if (data.size() <= kLeaderLength) return false;
  const long record_length = Number5(data.data());
  if (record_length <= static_cast<long>(kLeaderLength) ||
      static_cast<size_t>(record_length) > data.size()) {
    return false;
  }
  const char* buf = data.data();
  if (data.size() - static_cast<size_t>(record_length) < slack) {
    padded.assign(data.substr(0, static_cast<size_t>(record_length)));
    padded.append(slack, '\0');
    buf = padded.data();
  }
  if (buf[10] != '2' || buf[11] != '2' || buf[20] != '4' || buf[21] != '5' || !IsDigit(buf[22])) {
    return false;
  }
  if (!IsPrintableLeader(buf)) return false;
  // No entry starts with the directory's terminator, as tags hold no control
  // bytes; YAZ's directory scan so ends at the same place.
  const long base_address = Number5(buf + 12);
  const long end_of_directory = base_address - 1;
  if (end_of_directory < static_cast<long>(kLeaderLength) || end_of_directory >= record_length ||
      (end_of_directory - static_cast<long>(kLeaderLength)) % static_cast<long>(kEntryLength) != 0 ||
      buf[end_of_directory] != kFieldEnd) {
    return false;
  }
  layout.buf = buf;
  layout.record_length = record_length;
  layout.base_address = base_address;
  layout.end_of_directory = end_of_directory;
  return true;
}

// One directory entry (at offset `p` of the record): its tag, and where its
// field starts and its terminator stands, both as offsets into the record.
// False for a tag holding control bytes, numbers that are not digits, an
// empty field or one whose terminator is missing or outside the record.
inline bool ReadEntry(const Layout& layout, long p, const char*& tag, long& start, long& last) {
  tag = layout.buf + p;
  if (HasControlIn3(tag)) return false;
  long length = 0;
  if (!EntryNumbers(tag, length, start)) return false;
  start += layout.base_address;
  last = start + length - 1;
  return length > 0 && last < layout.record_length && EndsField(layout.buf[last]);
}

namespace detail {

// For a 16-byte block of the directory starting `phase` bytes into an entry,
// the lowest and highest byte each position may hold: tags no control byte,
// numbers digits.
struct DirectoryBounds {
  alignas(16) std::array<std::array<unsigned char, 16>, kEntryLength> low{};
  alignas(16) std::array<std::array<unsigned char, 16>, kEntryLength> high{};
};

constexpr DirectoryBounds MakeDirectoryBounds() {
  DirectoryBounds b;
  for (size_t phase = 0; phase < kEntryLength; ++phase) {
    for (size_t i = 0; i < 16; ++i) {
      const bool tag = (phase + i) % kEntryLength < 3;
      b.low[phase][i] = tag ? 0x20 : '0';
      b.high[phase][i] = tag ? 0xFF : '9';
    }
  }
  return b;
}

inline constexpr DirectoryBounds kDirectoryBounds = MakeDirectoryBounds();

}  // namespace detail

// True when every directory entry has a tag without control bytes and nine
// digits: ReadEntry's checks of tag and numbers for all entries at once.
inline bool IsPlainDirectory(const Layout& layout) {
  const char* const dir = layout.buf + kLeaderLength;
  const size_t n = static_cast<size_t>(layout.end_of_directory) - kLeaderLength;
#if defined(__SSE2__)
  if (n >= 16) {
    // Whole blocks, the last one moved back to end with the directory.
    size_t phase = 0;  // q % kEntryLength
    for (size_t q = 0; q < n; q += 16) {
      if (q + 16 > n) {
        q = n - 16;
        phase = 8;  // n is whole entries, so (n - 16) % 12 is (-16) % 12
      }
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dir + q));
      const __m128i low = _mm_load_si128(
          reinterpret_cast<const __m128i*>(detail::kDirectoryBounds.low[phase].data()));
      const __m128i high = _mm_load_si128(
          reinterpret_cast<const __m128i*>(detail::kDirectoryBounds.high[phase].data()));
      const __m128i in = _mm_and_si128(_mm_cmpeq_epi8(_mm_max_epu8(v, low), v),
                                       _mm_cmpeq_epi8(_mm_min_epu8(v, high), v));
      if (_mm_movemask_epi8(in) != 0xFFFF) return false;
      phase = phase >= kEntryLength - 4 ? phase + 4 - kEntryLength : phase + 4;
    }
    return true;
  }
#endif
  for (size_t q = 0; q < n; ++q) {
    const auto c = static_cast<unsigned char>(dir[q]);
    const bool tag = q % kEntryLength < 3;
    if (c < (tag ? 0x20 : '0') || (!tag && c > '9')) return false;
  }
  return true;
}

inline bool IsControlFieldTag(const char* tag) { return tag[0] == '0' && tag[1] == '0'; }

// YAZ reads a 00X field with a subfield mark after two or three bytes as a
// data field (as Danish MARC writes them); it looks at those bytes even past
// the field's end, in the unpadded input `data`. Writers decline such fields.
inline bool ReadsAsDataField(std::string_view data, long start) {
  return static_cast<size_t>(start) + 3 >= data.size() || data[start + 2] == kSubfieldMark ||
         data[start + 3] == kSubfieldMark;
}

}  // namespace vellorax::tool::iso2709
