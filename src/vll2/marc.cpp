#include "vll2/marc.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// The ASCII letters and digits, looked up rather than compared in the
// index pass.
constexpr std::array<bool, 256> kAsciiAlnum = [] {
  std::array<bool, 256> table{};
  for (int c = 0; c < 256; ++c) {
    table[static_cast<size_t>(c)] =
        (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
  }
  return table;
}();

inline bool IsAsciiAlnum(char c) {
  return kAsciiAlnum[static_cast<unsigned char>(c)];
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
inline std::uint64_t PackTag(std::string_view text, int f) {
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

}  // namespace

TVLLMarc::TVLLMarc(std::string text) : owned_(std::move(text)), text_(owned_) {}


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

void TVLLMarc::Reset(std::string_view text) {
  owned_.clear();
  text_ = text;
  pattern_ = {};
  field_ = 0;
  field_slot_ = 0;
  code_ = '\0';
  subfield_ = 0;
  subfield_slot_ = -1;
  indexed_ = false;
  // An index another navigator still reads stays as it is.
  if (index_ && index_.use_count() > 1) index_.reset();
}

const TVLLMarc::Index& TVLLMarc::BuildIndex() const {
  // Only an index no other navigator reads is filled again.
  if (!index_ || index_.use_count() > 1) index_ = std::make_shared<Index>();
  FillIndex(text_, *index_);
  indexed_ = true;
  view_ = index_.get();
  return *index_;
}

namespace {

// Replaces `array` by one of at least `need` entries (and twice the old
// room), keeping the first `used`; new room is left uninitialised.
template <typename T>
[[gnu::noinline]] T* Enlarge(std::unique_ptr<T[]>& array, int& room, int need, int used) {
  const int grown = std::max(need, 2 * room);
  auto bigger = std::make_unique_for_overwrite<T[]>(static_cast<size_t>(grown));
  if (used > 0) std::memcpy(bigger.get(), array.get(), sizeof(T) * static_cast<size_t>(used));
  array = std::move(bigger);
  room = grown;
  return array.get();
}

// Room for at least `need` entries in `array`, keeping the first `used`.
template <typename T>
inline T* Grow(std::unique_ptr<T[]>& array, int& room, int need, int used) {
  return need <= room ? array.get() : Enlarge(array, room, need, used);
}

// The "$", "*" and line-break (LF, CR) bytes among positions at + 1 ...
// at + n of the text (0-based offsets at ... at + n - 1), bit i for
// position at + 1 + i. n is 1..64; reads only inside the text.
struct Marks {
  std::uint64_t dollars;
  std::uint64_t stars;
  std::uint64_t breaks;
};

inline Marks MarksAt(const char* data, int at, int n, int length) {
#if defined(__SSE2__)
  if (length >= 16) {
    Marks marks{0, 0, 0};
    // Runs of 16; a short last run is read as the 16 bytes that end the
    // text.
    for (int r = 0; r < n; r += 16) {
      const int from = at + r + 16 <= length ? at + r : length - 16;
      const int skip = at + r - from;
      const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + from));
      const auto bits = [skip, r](__m128i hits) {
        return std::uint64_t{static_cast<unsigned>(_mm_movemask_epi8(hits)) >> skip} << r;
      };
      marks.dollars |= bits(_mm_cmpeq_epi8(block, _mm_set1_epi8('$')));
      marks.stars |= bits(_mm_cmpeq_epi8(block, _mm_set1_epi8('*')));
      marks.breaks |= bits(_mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8('\n')),
                                        _mm_cmpeq_epi8(block, _mm_set1_epi8('\r'))));
    }
    return marks;
  }
#endif
  Marks marks{0, 0, 0};
  for (int i = 0; i < n; ++i) {
    const char c = data[at + i];
    marks.dollars |= std::uint64_t{c == '$'} << i;
    marks.stars |= std::uint64_t{c == '*'} << i;
    marks.breaks |= std::uint64_t{c == '\n' || c == '\r'} << i;
  }
  return marks;
}

}  // namespace

// Ends at `e` the data of every open subfield whose data an end at `e` ends
// (see FillIndex). REQUIRES: e >= first_end.
[[gnu::always_inline]] inline void TVLLMarc::EndData(Subfield* chain, int count, int& open,
                                                     int& first_end, int e) {
  do {
    if (chain[open].data_length == 0) chain[open].data_length = e - chain[open].pos - 2;
    ++open;
  } while (open < count && chain[open].pos + 3 <= e);
  first_end = open < count ? chain[open].pos + 3 : std::numeric_limits<int>::max();
}

// One pass over the line breaks, "*" and "$" of the text. Fields and the
// subfields of each are found in order as the walks of FindNextTag and
// FindNextSubfield find them. A subfield's data stays open until the first
// end after its first data character: a line break, a field start, a "$"
// that starts a subfield wherever it stands, or the "$" right after the
// indicators of the subfield's own field.
void TVLLMarc::FillIndex(std::string_view text, Index& index) {
  index.field_count = 0;
  index.walk_end = 0;
  index.linked = false;
  ++index.fills;
  const int length = Size(text);
  if (length == 0) return;
  // The pass appends through raw pointers, growing the room by doubling.
  Field* fields = Grow(index.fields, index.field_room, length / 16 + 72, 0);
  Subfield* chain = Grow(index.chain, index.chain_room, length / 8 + 72, 0);
  int field_count = 1;
  int chain_count = 0;
  std::uint64_t codes = 0;  // of the field being walked
  fields[0] = {PackTag(text, 1), 0, 1, 0, 0, kNoSlot};
  const char* data = text.data();
  int f = 1;     // the field being walked
  int last = 1;  // its last subfield so far, or f
  int open = 0;  // chain[0, open) have their data end
  // chain[open].pos + 3: no end before it ends any data.
  int first_end = std::numeric_limits<int>::max();
  // Positions 2 ... length in runs of 64; every mark p has data[p - 2]
  // before it.
  for (int at = 1; at < length; at += 64) {
    // Room for every mark of the run, so that appends need no check.
    chain = Grow(index.chain, index.chain_room, chain_count + 64, chain_count);
    fields = Grow(index.fields, index.field_room, field_count + 64, field_count);
    const Marks marks = MarksAt(data, at, std::min(64, length - at), length);
    for (std::uint64_t all = marks.dollars | marks.stars | marks.breaks; all != 0; all &= all - 1) {
      const int i = std::countr_zero(all);
      const int p = at + i + 1;
      if ((marks.breaks >> i) & 1) {
        if (p >= first_end) EndData(chain, chain_count, open, first_end, p);
        continue;
      }
      const char before = data[p - 2];
      if ((marks.dollars >> i) & 1) {
        char code;
        if (before != '\\' && p + 1 < length && IsAsciiAlnum(data[p])) {
          // A subfield start wherever it stands (the usual case).
          if (p >= first_end) EndData(chain, chain_count, open, first_end, p);
          code = data[p];
        } else if (p == f + 6) {
          // The subfield start right after the indicators: ends only this
          // field's data (that of subfields inside its tag and indicators).
          for (int k = chain_count; k > open && chain[k - 1].pos > f; --k) {
            Subfield& sub = chain[k - 1];
            if (sub.pos + 3 <= p && sub.data_length == 0) sub.data_length = p - sub.pos - 2;
          }
          code = p < length ? data[p] : '\0';
        } else {
          continue;
        }
        // No further subfield is looked for within two characters of the end.
        if (last + 2 < length) {
          if (open == chain_count) first_end = p + 3;
          chain[chain_count++] = {p, std::min(p + 1, length), 0, code};
          codes |= std::uint64_t{1} << (code & 63);
          last = p;
        }
      } else if (before == '\n' || before == '\r' ||
                 (before != '\\' && p + 7 < length && IsDigit(data[p]) && IsDigit(data[p + 1]) &&
                  IsDigit(data[p + 2]) && data[p + 5] == '$')) {
        if (p >= first_end) EndData(chain, chain_count, open, first_end, p);
        fields[field_count - 1].chain_end = chain_count;
        fields[field_count - 1].codes = codes;
        fields[field_count++] = {PackTag(text, p), 0, p, chain_count, 0, kNoSlot};
        f = last = p;
        codes = 0;
      }
    }
  }
  fields[field_count - 1].chain_end = chain_count;
  fields[field_count - 1].codes = codes;
  // The rest runs to the end of the text.
  for (; open < chain_count; ++open) {
    Subfield& sub = chain[open];
    if (sub.data_length == 0) sub.data_length = std::max(0, length - sub.pos - 1);
  }
  // A next field is looked for only from fields with more than 16
  // characters after them, so walks end one past the last of those.
  int reachable = field_count;
  while (reachable > 0 && !MayHaveNextField(text, fields[reachable - 1].pos)) --reachable;
  index.field_count = field_count;
  index.walk_end = std::min(field_count, reachable + 1);
  if (index.fills > 1) LinkTags(index);
}

void TVLLMarc::LinkTags(Index& index) {
  constexpr int kTags = 1000;
  if (!index.tags) index.tags = std::make_unique<TagFields[]>(kTags);
  if (++index.stamp == 0) {
    // Once in 2^32 fills the stamps start again from a cleared table.
    for (int i = 0; i < kTags; ++i) index.tags[i].stamp = 0;
    index.stamp = 1;
  }
  const std::uint32_t stamp = index.stamp;
  TagFields* tags = index.tags.get();
  Field* fields = index.fields.get();
  for (int slot = 0; slot < index.field_count; ++slot) {
    // A missing character packs as 0, which is no digit.
    const std::uint64_t tag = fields[slot].tag;
    const unsigned d0 = static_cast<unsigned>(tag & 0xFF) - '0';
    const unsigned d1 = static_cast<unsigned>((tag >> 8) & 0xFF) - '0';
    const unsigned d2 = static_cast<unsigned>((tag >> 16) & 0xFF) - '0';
    if (d0 > 9 || d1 > 9 || d2 > 9) continue;
    TagFields& entry = tags[d0 * 100 + d1 * 10 + d2];
    if (entry.stamp == stamp) {
      fields[entry.last].next_same = slot;
      entry.last = slot;
    } else {
      entry = {stamp, slot, slot};
    }
  }
  index.linked = true;
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
  const Field& field = view_->fields[found.slot];
  const int k = MatchingSubfield(field.chain_begin, field.chain_end, code);
  return k < 0 ? std::string_view() : SubfieldViewAt(k);
}

std::string TVLLMarc::ValueByPathPart(std::string_view path, int start, int count) const {
  return Part(ValueViewByPath(path), start, count);
}

}  // namespace vellorax::vll2
