// TVLLMarc: the record navigator. Finds fields and subfields in one MARC
// record held as engine record text ("*" + tag + two indicators + "$" + code +
// data, one further subfield per line, lines separated by LF, a closing "^").
// It keeps a current field and a current subfield so that a tag command can
// walk every field with a given tag and, inside one field, every subfield with
// a given code. It never changes the text and never reads outside it,
// whatever the record.
//
// Recognition (bytes, letter case included):
// - a "*" starts a field at the start of the text, after CR or LF, or, when
//   not preceded by a backslash, where three digits, two characters and "$"
//   follow it (with at least two characters after that "$");
// - a "$" starts a subfield right after the tag and indicators, or, when not
//   preceded by a backslash, where an ASCII letter or digit follows it (and is
//   not the last character of the text).
// Tag patterns compare at most five characters (tag, then the indicators):
// "?" matches any character, "_" a blank, ":" ends the pattern with a match.
//
// Positions are 1-based; 0 means none. Not thread-safe; cheap to make.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "vll2/vll_string.h"

namespace vellorax::vll2 {

class TVLLMarc : public TVLLObject {
 public:
  // Tag for the borrowing constructor.
  struct BorrowText {};

  // Keeps its own copy of `text`.
  explicit TVLLMarc(std::string text);
  // Reads `text` in place without copying it (the formatting hot path).
  // REQUIRES: `text` outlives the navigator and does not change meanwhile.
  TVLLMarc(std::string_view text, BorrowText) : text_(text) {}

  std::string_view Text() const { return text_; }

  // Turns this navigator into a fresh one over the borrowed `text` (as if
  // made anew with BorrowText), keeping the memory of its record index for
  // the next record when no other navigator shares that index.
  // REQUIRES: as for the borrowing constructor.
  void Reset(std::string_view text);

  // Shares the record index of `other` (built now if need be) when it reads
  // the very same text, so that navigators made one after another over one
  // record scan it only once; the index is not copied. Otherwise does
  // nothing.
  inline void ShareIndex(const TVLLMarc& other);
  // ShareIndex without taking a share: the index stays `other`'s.
  // REQUIRES: `other` outlives this navigator's searches and is not Reset
  // meanwhile.
  inline void BorrowIndex(const TVLLMarc& other);
  // Position of the "*" of the current field / "$" of the current subfield.
  int FieldPosition() const { return field_; }
  int SubfieldPosition() const { return subfield_; }

  // Stores `pattern` and makes the first matching field current. False (and
  // no current field) when none matches.
  inline bool FindFirstTag(std::string_view pattern);
  // The next field after the current one that matches the stored pattern.
  inline bool FindNextTag();
  // Stores `code` ("?" for any) and makes the first subfield of the current
  // field with that code current. False without a current field.
  inline bool FindFirstSubfield(char code);
  // The next subfield of the stored code after the current one, in the
  // current field.
  inline bool FindNextSubfield();

  // Data of the current subfield (after "$" and code) up to the next
  // subfield, field or line break; empty without a current subfield.
  std::string SubfieldText() const { return std::string(SubfieldView()); }
  inline std::string_view SubfieldView() const;
  // `count` characters of SubfieldText from the 1-based `start`.
  std::string SubfieldPart(int start, int count) const;

  // The first subfield value found by a path of seven characters (a
  // five-character tag pattern, a separator, the code: "24510$a") or five
  // (tag pattern, separator, code: "245$a"), searched from the start of the
  // record without moving the current field and subfield. Empty for any other
  // path length or when nothing matches.
  std::string ValueByPath(std::string_view path) const {
    return std::string(ValueViewByPath(path));
  }
  std::string_view ValueViewByPath(std::string_view path) const;
  // `count` characters of ValueByPath(path) from the 1-based `start`.
  std::string ValueByPathPart(std::string_view path, int start, int count) const;

  // The recognition rules themselves, on 1-based positions of `text`.
  static bool IsFieldStart(std::string_view text, int p);
  static bool IsSubfieldStart(std::string_view text, int p, int f);
  static bool TagMatches(std::string_view text, int f, std::string_view pattern);

 private:
  // A tag pattern as one masked comparison of the packed tag and indicators
  // (see PackTag in marc.cpp).
  struct Pattern {
    std::uint64_t mask = 0;
    std::uint64_t value = 0;
    // For a pattern of three digits alone, the tag as a number (0 ... 999):
    // its fields are then looked up in the index rather than searched for.
    int digits = -1;
  };
  // A field found by a search: its position (0 for none) and its slot in the
  // field index.
  struct Found {
    int pos = 0;
    int slot = 0;
  };
  // One field of the index.
  struct Field {
    std::uint64_t tag;    // PackTag
    std::uint64_t codes;  // bit (code & 63) set for the code of each subfield
    int pos;
    int chain_begin;  // its subfields: chain[chain_begin, chain_end)
    int chain_end;
    // In an index that links its tags: the slot of the next field whose tag
    // is the same three digits; kNoSlot when there is none or the tag is not
    // three digits.
    int next_same;
  };
  static constexpr int kNoSlot = 0x7FFFFFFF;
  // The fields of one three-digit tag in an index: valid when `stamp` is the
  // index's stamp.
  struct TagFields {
    std::uint32_t stamp;
    int first;  // slot
    int last;   // slot
  };
  // One subfield that a walk through its field visits.
  struct Subfield {
    int pos;
    // Its data, 0-based in the text: up to the first line break, subfield
    // start or field start after the first data character.
    int data;
    int data_length;  // 0 until the pass that builds the index finds the end
    char code;        // the character after the "$", or '\0' at the end of the text
  };
  // Every field of the text with the subfields a walk through it finds,
  // worked out in one pass on first use so that the many searches of one
  // display do not rescan the record. Its memory is kept when it is filled
  // again for another record.
  struct Index {
    // fields[0, field_count): slot 0 stands for position 1, where the first
    // search starts whether or not a field starts there; then every other
    // position where IsFieldStart holds, in order.
    std::unique_ptr<Field[]> fields;
    int field_room = 0;
    int field_count = 0;
    // For each field in turn the subfields that FindFirstSubfield("?") and
    // FindNextSubfield would visit, in order.
    std::unique_ptr<Subfield[]> chain;
    int chain_room = 0;
    // Walks for a next field end before this slot: it is one past the last
    // field with more than 16 characters after it.
    int walk_end = 0;
    // For each three-digit tag (as a number) its first and last field, for
    // the fields of this fill only: entries of earlier fills carry an older
    // stamp, so that none needs clearing. Kept only by an index filled more
    // than once (a navigator's memory reused record after record, where the
    // table pays): `linked` says whether this fill made it.
    std::unique_ptr<TagFields[]> tags;
    std::uint32_t stamp = 0;
    bool linked = false;
    int fills = 0;
  };

  static Pattern Compile(std::string_view pattern);
  static bool IsTagDigit(char c) { return c >= '0' && c <= '9'; }
  // Whether a field after the one at `p` is looked for at all: not when 16
  // or fewer characters follow its "*".
  bool MayHaveFieldAfter(int p) const {
    return p >= 1 && p + 16 < static_cast<int>(text_.size());
  }
  const Index& GetIndex() const { return indexed_ ? *view_ : BuildIndex(); }
  const Index& BuildIndex() const;
  // Fills `index` for `text` in one pass.
  static void FillIndex(std::string_view text, Index& index);
  // Fills index.tags and each field's next_same.
  static void LinkTags(Index& index);
  // In that pass: ends at `e` the data of the open subfields chain[open, ...)
  // that an end at `e` ends, and moves `open` and `first_end` past them.
  static void EndData(Subfield* chain, int count, int& open, int& first_end, int e);
  // The first field from the start of the record that matches `pattern`.
  [[gnu::always_inline]] inline Found FirstField(const Pattern& pattern) const;
  // The first field after `from` that matches `pattern`; pos 0 when none.
  Found MatchingFieldAfter(const Found& from, const Pattern& pattern) const;
  // The first of chain[k, end) that matches `code`; -1 when none.
  int MatchingSubfield(int k, int end, char code) const;

  // Data of the subfield at chain slot `k`.
  std::string_view SubfieldViewAt(int k) const {
    const Subfield& sub = view_->chain[k];
    return std::string_view(text_.data() + sub.data, static_cast<size_t>(sub.data_length));
  }

  std::string owned_;
  std::string_view text_;
  Pattern pattern_;
  int field_ = 0;
  int field_slot_ = 0;
  char code_ = '\0';
  int subfield_ = 0;
  int subfield_slot_ = -1;  // chain slot of the current subfield

  // Built on first use; shared by navigators over the same text
  // (ShareIndex). A navigator that holds the only reference may refill it
  // for another text (Reset); `indexed_` says whether it describes text_.
  mutable std::shared_ptr<Index> index_;
  mutable bool indexed_ = false;
  // The index read: index_, or one borrowed from another navigator
  // (BorrowIndex). Valid while `indexed_`.
  mutable const Index* view_ = nullptr;
};

inline TVLLMarc::Pattern TVLLMarc::Compile(std::string_view pattern) {
  Pattern compiled;
  // The usual patterns, three tag digits, alone or before a ":" (which ends
  // the comparison: "100:full"), without the general loop.
  if ((pattern.size() == 3 || (pattern.size() > 3 && pattern[3] == ':')) &&
      IsTagDigit(pattern[0]) && IsTagDigit(pattern[1]) && IsTagDigit(pattern[2])) {
    compiled.mask = 0xFFFFFF | (std::uint64_t{0x7} << 40);
    compiled.value = static_cast<unsigned char>(pattern[0]) |
                     (std::uint64_t{static_cast<unsigned char>(pattern[1])} << 8) |
                     (std::uint64_t{static_cast<unsigned char>(pattern[2])} << 16) |
                     (std::uint64_t{0x7} << 40);
    compiled.digits = (pattern[0] - '0') * 100 + (pattern[1] - '0') * 10 + (pattern[2] - '0');
    return compiled;
  }
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

inline TVLLMarc::Found TVLLMarc::MatchingFieldAfter(const Found& from,
                                                   const Pattern& pattern) const {
  if (!MayHaveFieldAfter(from.pos)) return {};
  const Index& index = GetIndex();
  const Field* fields = index.fields.get();
  if (pattern.digits >= 0 && index.linked &&
      (fields[from.slot].tag & pattern.mask) == pattern.value) {
    // The field at `from` has the pattern's tag: the next of that tag.
    const int slot = fields[from.slot].next_same;
    return slot < index.walk_end ? Found{fields[slot].pos, slot} : Found{};
  }
  for (int slot = from.slot + 1; slot < index.walk_end; ++slot) {
    if ((fields[slot].tag & pattern.mask) == pattern.value) return {fields[slot].pos, slot};
  }
  return {};
}

inline TVLLMarc::Found TVLLMarc::FirstField(const Pattern& pattern) const {
  // The record is expected to begin with a field at position 1.
  if (static_cast<int>(text_.size()) <= 1) return {};
  const Found first{1, 0};
  const Index& index = GetIndex();
  if ((index.fields[0].tag & pattern.mask) == pattern.value) return first;
  if (pattern.digits >= 0 && index.linked) {
    // The first field of the tag, if a walk from position 1 reaches it.
    const TagFields& tag = index.tags[pattern.digits];
    if (tag.stamp != index.stamp || !MayHaveFieldAfter(1) || tag.first >= index.walk_end ||
        index.fields[tag.first].pos >= static_cast<int>(text_.size())) {
      return {};
    }
    return {index.fields[tag.first].pos, tag.first};
  }
  const Found found = MatchingFieldAfter(first, pattern);
  // A "*" as the very last character is too late to be a field.
  return found.pos < static_cast<int>(text_.size()) ? found : Found{};
}

inline bool TVLLMarc::FindFirstTag(std::string_view pattern) {
  pattern_ = Compile(pattern);
  const Found found = FirstField(pattern_);
  field_ = found.pos;
  field_slot_ = found.slot;
  subfield_ = 0;
  return field_ != 0;
}

inline bool TVLLMarc::FindNextTag() {
  if (field_ == 0) return false;
  const Found found = MatchingFieldAfter({field_, field_slot_}, pattern_);
  field_ = found.pos;
  field_slot_ = found.slot;
  subfield_ = 0;
  return field_ != 0;
}

inline void TVLLMarc::ShareIndex(const TVLLMarc& other) {
  if (other.text_.data() != text_.data() || other.text_.size() != text_.size()) return;
  other.GetIndex();
  index_ = other.index_;
  view_ = other.view_;
  indexed_ = true;
}

inline void TVLLMarc::BorrowIndex(const TVLLMarc& other) {
  if (other.text_.data() != text_.data() || other.text_.size() != text_.size()) return;
  view_ = &other.GetIndex();
  indexed_ = true;
}

inline int TVLLMarc::MatchingSubfield(int k, int end, char code) const {
  if (code == '?') return k < end ? k : -1;
  const Subfield* chain = view_->chain.get();
  for (; k < end; ++k) {
    if (chain[k].code == code) return k;
  }
  return -1;
}

inline bool TVLLMarc::FindFirstSubfield(char code) {
  code_ = code;
  subfield_ = 0;
  if (field_ == 0) return false;
  // A current field means the index is built.
  const Field& field = view_->fields[field_slot_];
  if (code != '?' && ((field.codes >> (code & 63)) & 1) == 0) return false;
  subfield_slot_ = MatchingSubfield(field.chain_begin, field.chain_end, code);
  if (subfield_slot_ < 0) return false;
  subfield_ = view_->chain[subfield_slot_].pos;
  return true;
}

inline bool TVLLMarc::FindNextSubfield() {
  if (field_ == 0 || subfield_ == 0) return false;
  const Field& field = view_->fields[field_slot_];
  subfield_slot_ = MatchingSubfield(subfield_slot_ + 1, field.chain_end, code_);
  subfield_ = subfield_slot_ < 0 ? 0 : view_->chain[subfield_slot_].pos;
  return subfield_ != 0;
}

inline std::string_view TVLLMarc::SubfieldView() const {
  return subfield_ == 0 ? std::string_view() : SubfieldViewAt(subfield_slot_);
}

}  // namespace vellorax::vll2
