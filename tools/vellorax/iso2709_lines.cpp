#include "iso2709_lines.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vellorax::tool {

namespace {

constexpr char kSubfieldMark = '\x1f';    // before each subfield code
constexpr char kFieldEnd = '\x1e';        // after each field and the directory
constexpr char kRecordEnd = '\x1d';       // after the record
constexpr size_t kLeaderLength = 24;
constexpr size_t kEntryLength = 12;       // tag 3, field length 4, start 5
constexpr size_t kWordSlack = 8;          // room for one 8-byte store past the text
constexpr size_t kInitialBuffer = 1 << 14;

inline bool IsDigit(char c) { return static_cast<unsigned char>(c - '0') < 10; }
inline bool IsControl(char c) { return static_cast<unsigned char>(c) < 0x20; }
inline bool EndsField(char c) { return c == kFieldEnd || c == kRecordEnd; }

// The number in `n` digits at `p`, or -1 when one of them is not a digit.
inline long Number(const char* p, int n) {
  long value = 0;
  for (int i = 0; i < n; ++i) {
    if (!IsDigit(p[i])) return -1;
    value = value * 10 + (p[i] - '0');
  }
  return value;
}

// Copies bytes from `s` to `o` up to (not including) the first control byte
// (below 0x20), eight bytes at a time: each word is stored whole and the
// output moves on only by the bytes before the control byte.
// REQUIRES: a control byte at or after `s` with at least 7 readable bytes
// after it; room in the output for the copied bytes plus kWordSlack.
inline void CopyPlainText(const char*& s, char*& o) {
  constexpr uint64_t kOnes = 0x0101010101010101ULL;
  while (true) {
    uint64_t word;
    std::memcpy(&word, s, 8);
    std::memcpy(o, &word, 8);
    // A high bit for each byte below 0x20 (exact for the first such byte,
    // which is all that is used).
    const uint64_t below = (word - 0x20 * kOnes) & ~word & (0x80 * kOnes);
    if (below != 0) {
      const int step = (std::endian::native == std::endian::little ? std::countr_zero(below)
                                                                    : std::countl_zero(below)) /
                       8;
      s += step;
      o += step;
      return;
    }
    s += 8;
    o += 8;
  }
}

// The text of a field up to the next terminator (or subfield mark with
// kStopAtSubfield), copied to `o`. Other control bytes are text, except NUL,
// which YAZ's strings would cut short: false then.
// REQUIRES: a terminator at the field's end (as for CopyPlainText).
template <bool kStopAtSubfield>
inline bool CopyFieldText(const char*& s, char*& o) {
  while (true) {
    CopyPlainText(s, o);
    const char c = *s;
    if (EndsField(c) || (kStopAtSubfield && c == kSubfieldMark)) return true;
    if (c == '\0') return false;
    *o++ = c;
    ++s;
  }
}

// The field length (4 digits) and start (5 digits) of the directory entry at
// `entry`; false when one of the nine is not a digit.
inline bool EntryNumbers(const char* entry, long& length, long& start) {
  constexpr uint64_t kOnes = 0x0101010101010101ULL;
  uint64_t word;
  std::memcpy(&word, entry + 3, 8);
  if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
  // Digits are 0x30..0x39: high nibble 3, and adding 6 keeps it 3.
  if ((word & (0xF0 * kOnes)) != 0x30 * kOnes ||
      ((word + 0x06 * kOnes) & (0xF0 * kOnes)) != 0x30 * kOnes || !IsDigit(entry[11])) {
    return false;
  }
  // Eight digit values, first in the low byte: pairs, then fours.
  uint64_t v = word & (0x0F * kOnes);
  v = (v * 10 + (v >> 8)) & 0x00FF00FF00FF00FFULL;
  v = (v * 100 + (v >> 16)) & 0x0000FFFF0000FFFFULL;
  length = static_cast<long>(v & 0xFFFF);
  start = static_cast<long>(v >> 32) * 10 + (entry[11] - '0');
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

inline void PutTag(char*& o, const char* tag) {
  o[0] = tag[0];
  o[1] = tag[1];
  o[2] = tag[2];
  o[3] = ' ';
  o += 4;
}

// "TAG data": the field from `s` must hold no terminator before `end`.
// REQUIRES: a terminator at `end`.
inline bool WriteControlField(const char* tag, const char* s, const char* end, char*& o) {
  PutTag(o, tag);
  if (!CopyFieldText<false>(s, o) || s != end) return false;
  *o++ = '\n';
  return true;
}

// "TAG II $a text $b text": two indicators, then subfields each opened by the
// subfield mark, up to `end`.
// REQUIRES: a terminator at `end`.
inline bool WriteDataField(const char* tag, const char* s, const char* end, char*& o) {
  if (end - s < 2) return false;
  // YAZ skips indicators that hold control bytes (and, as it compares signed
  // chars, bytes from 0x80 up): leave those records to it.
  for (int k = 0; k < 2; ++k) {
    if (static_cast<unsigned char>(s[k]) < 0x20 || static_cast<unsigned char>(s[k]) >= 0x80) {
      return false;
    }
  }
  PutTag(o, tag);
  o[0] = s[0];
  o[1] = s[1];
  o += 2;
  s += 2;
  // Every subfield opens with a mark: text right after the indicators would
  // be read as if its first byte were one, a terminator before `end` ends
  // the field early.
  while (s != end) {
    if (*s != kSubfieldMark) return false;
    const char code = s[1];
    // Not a letter or digit: an empty subfield (dropped by YAZ), the end, or
    // something left to YAZ (a code from 0x80 up it reads as UTF-8).
    if (static_cast<unsigned char>(code) - 0x20u >= 0x60u) {
      if (s + 1 == end || code == kSubfieldMark) {
        ++s;
        continue;
      }
      if (!IsControl(code) || EndsField(code) || code == '\0') return false;
    }
    o[0] = ' ';
    o[1] = '$';
    o[2] = code;
    o[3] = ' ';
    o += 4;
    s += 2;
    if (!CopyFieldText<true>(s, o)) return false;
  }
  *o++ = '\n';
  return true;
}

}  // namespace

bool Iso2709LineWriter::Convert(std::string_view data) {
  if (data.size() <= kLeaderLength) return false;
  const long record_length = Number(data.data(), 5);
  if (record_length <= static_cast<long>(kLeaderLength) ||
      static_cast<size_t>(record_length) > data.size()) {
    return false;
  }
  // Text is scanned eight bytes at a time: a record at the very end of the
  // input is read from a padded copy.
  const char* buf = data.data();
  if (data.size() - static_cast<size_t>(record_length) < kWordSlack) {
    padded_.assign(data.substr(0, static_cast<size_t>(record_length)));
    padded_.append(kWordSlack, '\0');
    buf = padded_.data();
  }
  // Indicator count, subfield code count and the directory entry layout.
  if (buf[10] != '2' || buf[11] != '2' || buf[20] != '4' || buf[21] != '5' || !IsDigit(buf[22])) {
    return false;
  }
  // YAZ replaces leader bytes outside printable ASCII (and comments on it).
  if (!IsPrintableLeader(buf)) return false;
  // The directory: whole entries from the leader up to its terminator right
  // before the base address. (No entry starts with that terminator, as tags
  // hold no control bytes; YAZ's directory scan so ends at the same place.)
  const long base_address = Number(buf + 12, 5);
  const long end_of_directory = base_address - 1;
  if (end_of_directory < static_cast<long>(kLeaderLength) || end_of_directory >= record_length ||
      (end_of_directory - kLeaderLength) % kEntryLength != 0 || buf[end_of_directory] != kFieldEnd) {
    return false;
  }

  if (buffer_.size() < kInitialBuffer) buffer_.resize(kInitialBuffer);
  char* o = buffer_.data();
  std::memcpy(o, buf, kLeaderLength);
  o[kLeaderLength] = '\n';
  o += kLeaderLength + 1;

  for (long p = kLeaderLength; p != end_of_directory; p += kEntryLength) {
    const char* tag = buf + p;
    if (IsControl(tag[0]) || IsControl(tag[1]) || IsControl(tag[2])) return false;
    long length = 0;
    long start = 0;
    if (!EntryNumbers(tag, length, start)) return false;
    start += base_address;
    const long last = start + length - 1;  // where the terminator belongs
    if (length <= 0 || last >= record_length || !EndsField(buf[last])) return false;
    // A field's lines take at most twice its length plus the tag.
    const size_t need = 2 * static_cast<size_t>(length) + 8 + 1 + kWordSlack;
    const size_t used = static_cast<size_t>(o - buffer_.data());
    if (buffer_.size() - used < need) {
      buffer_.resize(2 * (used + need));
      o = buffer_.data() + used;
    }
    const bool control = tag[0] == '0' && tag[1] == '0';
    if (control) {
      // YAZ reads a 00X field with a subfield mark after two or three bytes
      // as a data field (as Danish MARC writes them); it looks at those bytes
      // even past the field's end.
      if (static_cast<size_t>(start) + 3 >= data.size() || data[start + 2] == kSubfieldMark ||
          data[start + 3] == kSubfieldMark) {
        return false;
      }
      if (!WriteControlField(tag, buf + start, buf + last, o)) return false;
    } else if (!WriteDataField(tag, buf + start, buf + last, o)) {
      return false;
    }
  }
  *o++ = '\n';
  size_ = static_cast<size_t>(o - buffer_.data());
  record_length_ = static_cast<size_t>(record_length);
  return true;
}

}  // namespace vellorax::tool
