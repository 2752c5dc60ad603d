#include "iso2709_lines.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "iso2709_layout.h"

namespace vellorax::tool {

namespace {

using namespace iso2709;

constexpr size_t kWordSlack = 8;          // room for one 8-byte store past the text
constexpr size_t kInitialBuffer = 1 << 14;

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
    // The first byte in the low bits: borrows run towards later bytes only.
    if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
    // A high bit for each byte below 0x20 (exact for the first such byte,
    // which is all that is used).
    const uint64_t below = (word - 0x20 * kOnes) & ~word & (0x80 * kOnes);
    if (below != 0) {
      const int step = std::countr_zero(below) / 8;
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
  // Text is scanned eight bytes at a time: a record at the very end of the
  // input is read from a padded copy.
  Layout layout;
  if (!ReadLayout(data, kWordSlack, padded_, layout)) return false;
  const char* const buf = layout.buf;

  if (buffer_.size() < kInitialBuffer) buffer_.resize(kInitialBuffer);
  char* o = buffer_.data();
  std::memcpy(o, buf, kLeaderLength);
  o[kLeaderLength] = '\n';
  o += kLeaderLength + 1;

  for (long p = kLeaderLength; p != layout.end_of_directory; p += kEntryLength) {
    const char* tag = nullptr;
    long start = 0;
    long last = 0;  // where the terminator stands
    if (!ReadEntry(layout, p, tag, start, last)) return false;
    // A field's lines take at most twice its length plus the tag.
    const size_t need = 2 * static_cast<size_t>(last + 1 - start) + 8 + 1 + kWordSlack;
    const size_t used = static_cast<size_t>(o - buffer_.data());
    if (buffer_.size() - used < need) {
      buffer_.resize(2 * (used + need));
      o = buffer_.data() + used;
    }
    if (IsControlFieldTag(tag)) {
      if (ReadsAsDataField(data, start)) return false;
      if (!WriteControlField(tag, buf + start, buf + last, o)) return false;
    } else if (!WriteDataField(tag, buf + start, buf + last, o)) {
      return false;
    }
  }
  *o++ = '\n';
  size_ = static_cast<size_t>(o - buffer_.data());
  record_length_ = static_cast<size_t>(layout.record_length);
  return true;
}

std::string_view FieldLines(std::string_view lines) {
  const size_t end = lines.find('\n');
  return end == std::string_view::npos ? std::string_view() : lines.substr(end + 1);
}

}  // namespace vellorax::tool
