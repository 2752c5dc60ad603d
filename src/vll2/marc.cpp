#include "vll2/marc.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "common/strings.h"

namespace vellorax::vll2 {

namespace {

// The 1-based character of `text`, '\0' outside 1..size. Every read of the
// record goes through here or through a bounds-checked loop.
inline char At(std::string_view text, int p) {
  return p >= 1 && static_cast<size_t>(p) <= text.size() ? text[p - 1] : '\0';
}

inline bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

inline bool IsAsciiAlnum(char c) {
  return IsDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

inline int Size(std::string_view text) {
  return static_cast<int>(text.size());
}

// Whether a field after the one at `p` is looked for at all: not when 16 or
// fewer characters follow the current "*".
inline bool MayHaveNextField(std::string_view text, int p) {
  return p >= 1 && p + 16 < Size(text);
}

// The first field start after position `p`; 0 when none.
int ScanFieldAfter(std::string_view text, int p) {
  const int length = Size(text);
  const char* data = text.data();
  // Only a "*" can start a field: jump from one to the next.
  for (int q = p + 1; q <= length;) {
    const void* hit = std::memchr(data + q - 1, '*', static_cast<size_t>(length - q + 1));
    if (hit == nullptr) return 0;
    q = static_cast<int>(static_cast<const char*>(hit) - data) + 1;
    if (TVLLMarc::IsFieldStart(text, q)) return q;
    ++q;
  }
  return 0;
}

// The subfield of the field at `f` after position `s`; 0 when none is left.
// `end` is the start of the next field (or length + 1): every "*" before it
// is data, so only "$" needs looking at.
int NextSubfield(std::string_view text, int f, int s, int end) {
  const int length = Size(text);
  if (s < 1 || s + 2 >= length) return 0;
  const char* data = text.data();
  for (int q = s + 1; q < end;) {
    const void* hit = std::memchr(data + q - 1, '$', static_cast<size_t>(end - q));
    if (hit == nullptr) return 0;
    q = static_cast<int>(static_cast<const char*>(hit) - data) + 1;
    if (TVLLMarc::IsSubfieldStart(text, q, f)) return q;
    ++q;
  }
  return 0;
}

// Up to `count` characters of `s` from the 1-based `start`.
std::string Part(std::string_view s, int start, int count) {
  return common::Copy(s, start, count);
}

}  // namespace

TVLLMarc::TVLLMarc(std::string text) : owned_(std::move(text)), text_(owned_) {}

TVLLMarc::TVLLMarc(std::string_view text, BorrowText) : text_(text) {}

bool TVLLMarc::IsFieldStart(std::string_view text, int p) {
  if (At(text, p) != '*') return false;
  if (p == 1) return true;
  const char before = text[p - 2];
  if (before == '\r' || before == '\n') return true;
  if (before == '\\' || p + 7 >= Size(text)) return false;
  return IsDigit(text[p]) && IsDigit(text[p + 1]) && IsDigit(text[p + 2]) && text[p + 5] == '$';
}

bool TVLLMarc::IsSubfieldStart(std::string_view text, int p, int f) {
  if (f >= p || At(text, p) != '$') return false;
  if (p == f + 6) return true;
  // p > f >= 0, so p >= 2 here and the character before p exists.
  if (text[p - 2] == '\\' || p + 1 >= Size(text)) return false;
  return IsAsciiAlnum(text[p]);
}

bool TVLLMarc::TagMatches(std::string_view text, int f, std::string_view pattern) {
  const int n = std::min(Size(pattern), 5);
  for (int i = 0; i < n; ++i) {
    const char want = pattern[i];
    if (want == ':') return true;
    const int p = f + 1 + i;
    if (p < 1 || p > Size(text)) return false;
    const char have = text[p - 1];
    if (want == '?') continue;
    if (want == '_' ? have != ' ' : have != want) return false;
  }
  return true;
}

void TVLLMarc::ShareIndex(const TVLLMarc& other) {
  if (other.text_.data() != text_.data() || other.text_.size() != text_.size()) return;
  if (other.index_count_ < 0) other.BuildIndex();
  index_count_ = other.index_count_;
  const int copied = std::min(index_count_, kIndexSize);
  std::copy(other.index_.begin(), other.index_.begin() + copied, index_.begin());
}

void TVLLMarc::BuildIndex() const {
  index_count_ = 0;
  for (int p = ScanFieldAfter(text_, 0); p != 0; p = ScanFieldAfter(text_, p)) {
    if (index_count_ == kIndexSize) {
      index_count_ = kIndexSize + 1;
      return;
    }
    index_[index_count_++] = p;
  }
}

int TVLLMarc::FieldEnd(int f) const {
  if (index_count_ < 0) BuildIndex();
  int next = 0;
  if (index_count_ > kIndexSize) {
    next = ScanFieldAfter(text_, f);
  } else {
    const int* begin = index_.data();
    const int* end = begin + index_count_;
    const int* after = std::upper_bound(begin, end, f);
    next = after == end ? 0 : *after;
  }
  return next == 0 ? Size(text_) + 1 : next;
}

int TVLLMarc::MatchingFieldAfter(int p, std::string_view pattern) const {
  if (index_count_ < 0) BuildIndex();
  if (index_count_ > kIndexSize) {
    while (MayHaveNextField(text_, p)) {
      p = ScanFieldAfter(text_, p);
      if (p == 0 || TagMatches(text_, p, pattern)) return p;
    }
    return 0;
  }
  // Most fields differ from the pattern in the first tag character already.
  const char first = pattern.empty() ? ':' : pattern[0];
  const bool literal_first = first != '?' && first != '_' && first != ':';
  const int* begin = index_.data();
  const int* end = begin + index_count_;
  for (const int* next = std::upper_bound(begin, end, p); next != end; ++next) {
    // The next field is looked for only while more than 16 characters follow.
    if (!MayHaveNextField(text_, p)) return 0;
    p = *next;
    if (literal_first && At(text_, p + 1) != first) continue;
    if (TagMatches(text_, p, pattern)) return p;
  }
  return 0;
}

int TVLLMarc::FirstField(std::string_view pattern) const {
  // The record is expected to begin with a field at position 1.
  if (Size(text_) <= 1) return 0;
  if (TagMatches(text_, 1, pattern)) return 1;
  const int p = MatchingFieldAfter(1, pattern);
  // A "*" as the very last character is too late to be a field.
  return p < Size(text_) ? p : 0;
}

bool TVLLMarc::FindFirstTag(std::string_view pattern) {
  pattern_size_ = std::min(Size(pattern), 5);
  std::copy_n(pattern.data(), pattern_size_, pattern_);
  SetField(FirstField(pattern));
  return field_ != 0;
}

bool TVLLMarc::FindNextTag() {
  if (field_ == 0) return false;
  const std::string_view pattern(pattern_, static_cast<size_t>(pattern_size_));
  SetField(MatchingFieldAfter(field_, pattern));
  return field_ != 0;
}

void TVLLMarc::SetField(int f) {
  field_ = f;
  field_end_ = f == 0 ? 0 : FieldEnd(f);
  subfield_ = 0;
}

int TVLLMarc::NextMatchingSubfield(int f, int end, int s, char code) const {
  for (;;) {
    s = NextSubfield(text_, f, s, end);
    if (s == 0 || code == '?' || At(text_, s + 1) == code) return s;
  }
}

bool TVLLMarc::FindFirstSubfield(char code) {
  code_ = code;
  subfield_ = field_ == 0 ? 0 : NextMatchingSubfield(field_, field_end_, field_, code);
  return subfield_ != 0;
}

bool TVLLMarc::FindNextSubfield() {
  if (field_ == 0 || subfield_ == 0) return false;
  subfield_ = NextMatchingSubfield(field_, field_end_, subfield_, code_);
  return subfield_ != 0;
}

std::string_view TVLLMarc::SubfieldViewAt(int f, int end, int s) const {
  const int length = Size(text_);
  if (s <= f || s + 2 > length) return {};
  // The first character of the data is never taken as its end; the data
  // ends at the next subfield, line break or field (at `end`).
  // A field start at s + 1 or s + 2 (possible for a first subfield with
  // code "*") is not looked at, so the end is the first one after those.
  if (end < s + 3) end = FieldEnd(s + 2);
  int e = s + 3;
  for (; e < end; ++e) {
    const char c = text_[e - 1];
    if (c == '\r' || c == '\n') break;
    if (c == '$' && IsSubfieldStart(text_, e, f)) break;
  }
  return text_.substr(static_cast<size_t>(s + 1), static_cast<size_t>(e - s - 2));
}

std::string_view TVLLMarc::SubfieldView() const {
  return SubfieldViewAt(field_, field_end_, subfield_);
}

std::string TVLLMarc::SubfieldPart(int start, int count) const {
  return Part(SubfieldView(), start, count);
}

std::string_view TVLLMarc::ValueViewByPath(std::string_view path) const {
  std::string_view pattern;
  char code = '\0';
  if (path.size() == 7) {
    pattern = path.substr(0, 5);
    code = path[6];
  } else if (path.size() == 5) {
    pattern = path.substr(0, 3);
    code = path[4];
  } else {
    return {};
  }
  const int f = FirstField(pattern);
  if (f == 0) return {};
  const int end = FieldEnd(f);
  const int s = NextMatchingSubfield(f, end, f, code);
  return s == 0 ? std::string_view() : SubfieldViewAt(f, end, s);
}

std::string TVLLMarc::ValueByPathPart(std::string_view path, int start, int count) const {
  return Part(ValueViewByPath(path), start, count);
}

}  // namespace vellorax::vll2
