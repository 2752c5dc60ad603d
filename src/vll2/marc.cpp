#include "vll2/marc.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "common/strings.h"
#include "vll2/byte_scan.h"

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

// Whether the "$" at `p` starts a subfield wherever it stands in a field
// (not only right after the indicators): see IsSubfieldStart.
// REQUIRES: 1 <= p <= length.
inline bool IsLaterSubfieldStart(std::string_view text, int p) {
  return (p == 1 || text[p - 2] != '\\') && p + 1 < Size(text) && IsAsciiAlnum(text[p]);
}

// The five characters after position `f` (tag and indicators) packed one per
// byte, lowest byte first, with bit 40 + i set when character i exists.
// A tag pattern then matches with one masked comparison (see Compile).
std::uint64_t PackTag(std::string_view text, int f) {
  if (std::endian::native == std::endian::little && f >= 1 && f + 5 <= Size(text)) {
    std::uint32_t low;
    std::memcpy(&low, text.data() + f, sizeof low);
    const std::uint64_t high = static_cast<unsigned char>(text[f + 4]);
    return low | (high << 32) | (std::uint64_t{0x1F} << 40);
  }
  std::uint64_t key = 0;
  for (int i = 0; i < 5; ++i) {
    const int at = f + i;  // 0-based offset of position f + 1 + i
    if (at < 0 || at >= Size(text)) break;
    key |= std::uint64_t{static_cast<unsigned char>(text[at])} << (8 * i);
    key |= std::uint64_t{1} << (40 + i);
  }
  return key;
}

// Up to `count` characters of `s` from the 1-based `start`.
std::string Part(std::string_view s, int start, int count) {
  return common::Copy(s, start, count);
}

// A list of positions kept on the stack while a record has few of them.
class PositionList {
 public:
  void Add(int p) {
    if (size_ < kStack) {
      stack_[size_++] = p;
      return;
    }
    if (heap_.empty()) heap_.assign(stack_, stack_ + kStack);
    heap_.push_back(p);
    ++size_;
  }
  int size() const { return size_; }
  // REQUIRES: no Add after the first call.
  const int* data() const { return size_ <= kStack ? stack_ : heap_.data(); }

 private:
  static constexpr int kStack = 512;
  int stack_[kStack];
  std::vector<int> heap_;
  int size_ = 0;
};

}  // namespace

struct TVLLMarc::Index {
  struct Field {
    int pos;
    int chain_begin;  // its subfields: chain[chain_begin, chain_end)
    int chain_end;
    std::uint64_t tag;  // PackTag
  };
  struct Subfield {
    int pos;
    // Position just after the data: the first line break, subfield start or
    // field start after the first data character (or length + 1).
    int data_end;
    char code;  // the character after the "$", or '\0' at the end of the text
  };
  // Slot 0 stands for position 1, where the first search starts whether or
  // not a field starts there; then every other position where IsFieldStart
  // holds, in order.
  std::vector<Field> fields;
  // For each field the subfields that FindFirstSubfield("?") and
  // FindNextSubfield would visit, in order.
  std::vector<Subfield> chain;
  // Fields from which a next field is still looked for (MayHaveNextField);
  // they come first, so this is a count.
  int reachable = 0;

  // Start of the first field after position `f`, or length + 1.
  int FieldEnd(int f, int length) const {
    const auto after = std::upper_bound(fields.begin(), fields.end(), f,
                                        [](int p, const Field& field) { return p < field.pos; });
    return after == fields.end() ? length + 1 : after->pos;
  }
};

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
  return p == f + 6 || IsLaterSubfieldStart(text, p);
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

inline TVLLMarc::Pattern TVLLMarc::Compile(std::string_view pattern) {
  Pattern compiled;
  // Bit i: character i must exist (and, unless it is "?", equal).
  std::uint64_t needed = 0;
  const size_t n = std::min<size_t>(pattern.size(), 5);
  for (size_t i = 0; i < n; ++i) {
    const char want = pattern[i];
    if (want == ':') break;
    needed |= std::uint64_t{1} << i;
    if (want == '?') continue;
    const unsigned shift = 8 * static_cast<unsigned>(i);
    compiled.mask |= std::uint64_t{0xFF} << shift;
    compiled.value |= std::uint64_t{static_cast<unsigned char>(want == '_' ? ' ' : want)} << shift;
  }
  compiled.mask |= needed << 40;
  compiled.value |= needed << 40;
  return compiled;
}

void TVLLMarc::ShareIndex(const TVLLMarc& other) {
  if (other.text_.data() != text_.data() || other.text_.size() != text_.size()) return;
  other.GetIndex();
  index_ = other.index_;
}

const TVLLMarc::Index& TVLLMarc::BuildIndex() const {
  auto index = std::make_shared<Index>();
  const int length = Size(text_);
  if (length == 0) {
    index_ = std::move(index);
    return *index_;
  }
  const char* data = text_.data();
  auto& fields = index->fields;
  fields.reserve(static_cast<size_t>(length / 32 + 4));
  // Every "$" after position 1 that starts a subfield wherever it stands,
  // and every line break.
  PositionList sub_list;
  PositionList break_list;
  // Until the chains are made, chain_begin holds the number of such "$"
  // before the field.
  fields.push_back({1, 0, 0, PackTag(text_, 1)});
  // Only a "*" can start a field and only a "$" a subfield.
  ForEachOf<'*', '$', '\n', '\r'>(data + 1, data + length, [&](const char* hit) {
    const int p = static_cast<int>(hit - data) + 1;
    if (*hit == '$') {
      if (IsLaterSubfieldStart(text_, p)) sub_list.Add(p);
    } else if (*hit != '*') {
      break_list.Add(p);
    } else if (IsFieldStart(text_, p)) {
      fields.push_back({p, sub_list.size(), 0, PackTag(text_, p)});
    }
  });
  const int* subs = sub_list.data();
  const int subs_count = sub_list.size();
  const int* breaks = break_list.data();
  const int breaks_count = break_list.size();
  int b = 0;  // the first line break not before the current data
  while (index->reachable < static_cast<int>(fields.size()) &&
         MayHaveNextField(text_, fields[index->reachable].pos)) {
    ++index->reachable;
  }

  // Walk each field's subfields as NextSubfield does, once for all codes.
  auto& chain = index->chain;
  chain.reserve(static_cast<size_t>(subs_count) + fields.size());
  for (size_t i = 0; i < fields.size(); ++i) {
    const int f = fields[i].pos;
    const bool last = i + 1 == fields.size();
    const int field_end = last ? length + 1 : fields[i + 1].pos;
    int k = fields[i].chain_begin;
    const int k_end = last ? subs_count : fields[i + 1].chain_begin;
    // The "$" right after the indicators starts a subfield whatever follows.
    const int first = f + 6;
    const bool first_is_dollar = At(text_, first) == '$';
    fields[i].chain_begin = static_cast<int>(chain.size());
    // s >= f >= 1 throughout.
    for (int s = f; s + 2 < length;) {
      while (k < k_end && subs[k] <= s) ++k;
      int next = k < k_end ? subs[k] : field_end;
      if (first_is_dollar && first > s && first < next) next = first;
      // A field start comes first: the field ends.
      if (next >= field_end) break;
      s = next;
      // The data's end is looked for from its second character on: up to a
      // field start (at the field's end unless that comes too early), a
      // subfield start by either rule, or a line break.
      int data_end = field_end >= s + 3 ? field_end : index->FieldEnd(s + 2, length);
      int g = k;
      while (g < subs_count && subs[g] < s + 3) ++g;
      if (g < subs_count) data_end = std::min(data_end, subs[g]);
      if (first_is_dollar && first >= s + 3) data_end = std::min(data_end, first);
      while (b < breaks_count && breaks[b] < s + 3) ++b;
      if (b < breaks_count) data_end = std::min(data_end, breaks[b]);
      chain.push_back({s, data_end, At(text_, s + 1)});
    }
    fields[i].chain_end = static_cast<int>(chain.size());
  }
  index_ = std::move(index);
  return *index_;
}

inline TVLLMarc::Found TVLLMarc::MatchingFieldAfter(const Found& from,
                                                   const Pattern& pattern) const {
  if (!MayHaveNextField(text_, from.pos)) return {};
  const Index& index = GetIndex();
  const auto& fields = index.fields;
  // The next field is looked for only from fields with more than 16
  // characters after them, so the walk ends one past the reachable ones.
  const size_t limit = std::min(fields.size(), static_cast<size_t>(index.reachable) + 1);
  for (size_t slot = static_cast<size_t>(from.slot) + 1; slot < limit; ++slot) {
    if ((fields[slot].tag & pattern.mask) == pattern.value) {
      return {fields[slot].pos, static_cast<int>(slot)};
    }
  }
  return {};
}

inline TVLLMarc::Found TVLLMarc::FirstField(const Pattern& pattern) const {
  // The record is expected to begin with a field at position 1.
  if (Size(text_) <= 1) return {};
  const Found first{1, 0};
  if ((GetIndex().fields[0].tag & pattern.mask) == pattern.value) return first;
  const Found found = MatchingFieldAfter(first, pattern);
  // A "*" as the very last character is too late to be a field.
  return found.pos < Size(text_) ? found : Found{};
}

bool TVLLMarc::FindFirstTag(std::string_view pattern) {
  pattern_ = Compile(pattern);
  const Found found = FirstField(pattern_);
  field_ = found.pos;
  field_slot_ = found.slot;
  subfield_ = 0;
  return field_ != 0;
}

bool TVLLMarc::FindNextTag() {
  if (field_ == 0) return false;
  const Found found = MatchingFieldAfter({field_, field_slot_}, pattern_);
  field_ = found.pos;
  field_slot_ = found.slot;
  subfield_ = 0;
  return field_ != 0;
}

inline int TVLLMarc::MatchingSubfield(int slot, int k, char code) const {
  const Index& index = GetIndex();
  const int k_end = index.fields[static_cast<size_t>(slot)].chain_end;
  if (code == '?') return k < k_end ? k : -1;
  for (; k < k_end; ++k) {
    if (index.chain[static_cast<size_t>(k)].code == code) return k;
  }
  return -1;
}

bool TVLLMarc::FindFirstSubfield(char code) {
  code_ = code;
  subfield_ = 0;
  if (field_ == 0) return false;
  const Index& index = GetIndex();
  const int first = index.fields[static_cast<size_t>(field_slot_)].chain_begin;
  subfield_slot_ = MatchingSubfield(field_slot_, first, code);
  if (subfield_slot_ >= 0) subfield_ = index.chain[static_cast<size_t>(subfield_slot_)].pos;
  return subfield_ != 0;
}

bool TVLLMarc::FindNextSubfield() {
  if (field_ == 0 || subfield_ == 0) return false;
  subfield_slot_ = MatchingSubfield(field_slot_, subfield_slot_ + 1, code_);
  subfield_ = subfield_slot_ < 0 ? 0 : GetIndex().chain[static_cast<size_t>(subfield_slot_)].pos;
  return subfield_ != 0;
}

inline std::string_view TVLLMarc::SubfieldViewAt(int k) const {
  const Index::Subfield& sub = GetIndex().chain[static_cast<size_t>(k)];
  if (sub.pos + 2 > Size(text_)) return {};
  return text_.substr(static_cast<size_t>(sub.pos + 1),
                      static_cast<size_t>(sub.data_end - sub.pos - 2));
}

std::string_view TVLLMarc::SubfieldView() const {
  return subfield_ == 0 ? std::string_view() : SubfieldViewAt(subfield_slot_);
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
  const Found found = FirstField(Compile(pattern));
  if (found.pos == 0) return {};
  const int k = MatchingSubfield(
      found.slot, GetIndex().fields[static_cast<size_t>(found.slot)].chain_begin, code);
  return k < 0 ? std::string_view() : SubfieldViewAt(k);
}

std::string TVLLMarc::ValueByPathPart(std::string_view path, int start, int count) const {
  return Part(ValueViewByPath(path), start, count);
}

}  // namespace vellorax::vll2
