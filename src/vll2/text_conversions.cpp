#include "vll2/text_conversions.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "vll2/byte_scan.h"
#include "vll2/vll_common.h"

namespace vellorax::vll2 {

namespace {

// The recognised tag names; a name's kind is its place here plus one.
constexpr std::array<std::string_view, 23> kHtmlTags = {
    "BR",    "P",    "A",     "FONT",  "DIV",    "SPAN", "TR",      "TD",
    "TABLE", "IMG",  "STYLE", "HTML",  "HEAD",   "BODY", "COMMENT", "TBODY",
    "TH",    "LINK", "META",  "TITLE", "SCRIPT", "AREA", "FORM"};
constexpr size_t kLongestTag = 7;

// A name of up to eight characters, one byte each, lowest byte first.
constexpr std::uint64_t NameKey(std::string_view upper) {
  std::uint64_t key = 0;
  for (size_t i = 0; i < upper.size(); ++i) {
    key |= std::uint64_t{static_cast<unsigned char>(upper[i])} << (8 * i);
  }
  return key;
}

// The recognised names in a table of 64 slots, each name in the slot its
// key hashes to (Slot); the multiplier is chosen at compile time so that no
// two names share a slot. Empty slots hold key 0, which no name has.
struct TagTable {
  std::uint64_t multiplier = 0;
  std::array<std::uint64_t, 64> keys{};
  std::array<int, 64> kinds{};
};

constexpr size_t Slot(std::uint64_t key, std::uint64_t multiplier) {
  return static_cast<size_t>((key * multiplier) >> 58);
}

constexpr TagTable MakeTagTable() {
  for (std::uint64_t multiplier = 0x9E3779B97F4A7C15ull;; multiplier += 0x2545F4914F6CDD1Dull) {
    TagTable table;
    table.multiplier = multiplier | 1;
    bool clash = false;
    for (size_t i = 0; i < kHtmlTags.size() && !clash; ++i) {
      const std::uint64_t key = NameKey(kHtmlTags[i]);
      const size_t slot = Slot(key, table.multiplier);
      clash = table.keys[slot] != 0;
      table.keys[slot] = key;
      table.kinds[slot] = static_cast<int>(i) + 1;
    }
    if (!clash) return table;
  }
}
constexpr TagTable kTagTable = MakeTagTable();

inline bool IsAsciiLetter(char c) {
  return static_cast<unsigned char>((c | 0x20) - 'a') < 26;
}

inline bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The kind of the tag name made of the ASCII letters at `p`, reading no
// further than `limit` (and, to make up a word near it, no further back than
// `begin`); 0 when there are none or too many to be a recognised name.
// REQUIRES: begin <= p <= limit.
inline int LeadingNameKind(const char* begin, const char* p, const char* limit) {
  if (p == limit) return 0;
  std::uint64_t key = 0;
  size_t n = 0;
  const bool whole_word = limit - p >= 8;
  if (std::endian::native == std::endian::little && (whole_word || limit - begin >= 8)) {
    // All eight bytes at once (near the limit, the eight before it moved
    // down, so that the bytes past it read as zero, which is no letter). A
    // byte is a letter when, with bit 5 set (lower case), it lies in "a".."z".
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kHighs = 0x8080808080808080ull;
    std::uint64_t word;
    if (whole_word) {
      std::memcpy(&word, p, sizeof word);
    } else {
      std::memcpy(&word, limit - 8, sizeof word);
      word >>= 8 * (8 - (limit - p));
    }
    const std::uint64_t lower = word | (kOnes * 0x20);
    const std::uint64_t low7 = lower & ~kHighs;
    const std::uint64_t at_least_a = low7 + kOnes * (0x80 - 'a');
    const std::uint64_t past_z = low7 + kOnes * (0x80 - 'z' - 1);
    const std::uint64_t letters = at_least_a & ~past_z & ~lower & kHighs;
    n = static_cast<size_t>(std::countr_zero(~letters & kHighs)) / 8;
    if (n == 0 || n > kLongestTag) return 0;
    // Clearing bit 5 upper-cases an ASCII letter.
    key = word & ~(kOnes * 0x20) & ((std::uint64_t{1} << (8 * n)) - 1);
  } else {
    const size_t available = std::min<size_t>(static_cast<size_t>(limit - p), kLongestTag + 1);
    for (; n < available && IsAsciiLetter(p[n]); ++n) {
      key |= std::uint64_t{static_cast<unsigned char>(p[n] & ~0x20)} << (8 * n);
    }
    if (n == 0 || n > kLongestTag) return 0;
  }
  const size_t slot = Slot(key, kTagTable.multiplier);
  return kTagTable.keys[slot] == key ? kTagTable.kinds[slot] : 0;
}

bool IsComment(const char* begin, const char* end) {
  return begin != end && *begin == '!' && end[-1] == '-';
}

const char* Find(const char* from, const char* end, char c) {
  const void* hit = std::memchr(from, c, static_cast<size_t>(end - from));
  return hit == nullptr ? nullptr : static_cast<const char*>(hit);
}

// EncodeHtmlChar of every byte, worked out once.
const std::array<std::string, 256>& EncodedChars() {
  static const std::array<std::string, 256> table = [] {
    std::array<std::string, 256> encoded;
    for (int code = 0; code < 256; ++code) {
      encoded[static_cast<size_t>(code)] = TVLLCommon::EncodeHtmlChar(static_cast<char>(code));
    }
    return encoded;
  }();
  return table;
}

// The character DecodeHtmlEntity makes of `name`, or -1 when it makes none.
// Kept out of line: entities are rare, and the temporary string would cost
// the scanning loop its registers.
[[gnu::noinline]] int DecodedEntity(std::string_view name) {
  const std::string decoded = TVLLCommon::DecodeHtmlEntity(name);
  return decoded == TVLLCommon::kErrorMarker ? -1 : static_cast<unsigned char>(decoded[0]);
}

// Moves `count` bytes from `from` to `to` as memmove does; short moves, the
// common case, without a call.
inline void MoveBytes(char* to, const char* from, size_t count) {
  if (count > 16) {
    std::memmove(to, from, count);
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
  const char* hit = Find(from, end, c);
  if (hit == nullptr) *none_from = from;
  return hit;
}

// Where a conversion writes its result. With `kUnescape` every byte goes
// through Unescape on its way, so that converting and then unescaping is
// one pass: a backslash is held back until the next byte shows what it
// escapes.
//
// Writing may overtake nothing still unread: each step writes no more than
// it has read, and a held-back backslash has been read but not written, so
// the line break it may turn into has room.
template <bool kUnescape>
class Sink {
 public:
  explicit Sink(char* out) : w_(out) {}

  // Bytes holding no backslash.
  void Run(const char* p, size_t count) {
    if constexpr (kUnescape) {
      if (pending_ && count != 0) {
        pending_ = false;
        Escaped(*p++);
        --count;
      }
    }
    if (w_ != p) MoveBytes(w_, p, count);
    w_ += count;
  }

  // Any bytes.
  void Bytes(const char* p, size_t count) {
    if constexpr (kUnescape) {
      const char* const end = p + count;
      for (;;) {
        const char* slash = FindFirstOf<false, '\\'>(p, end);
        Run(p, static_cast<size_t>(slash - p));
        if (slash == end) return;
        Byte('\\');
        p = slash + 1;
      }
    } else {
      Run(p, count);
    }
  }

  void Byte(char c) {
    if constexpr (kUnescape) {
      if (pending_) {
        pending_ = false;
        Escaped(c);
        return;
      }
      if (c == '\\') {
        pending_ = true;
        return;
      }
    }
    *w_++ = c;
  }

  // A backslash followed by `c`.
  void Pair(char c) {
    if constexpr (kUnescape) {
      if (!pending_) {
        Escaped(c);
        return;
      }
      Byte('\\');
      Byte(c);
    } else {
      w_[0] = '\\';
      w_[1] = c;
      w_ += 2;
    }
  }

  // Writes what is held back; returns the end of the result.
  char* Finish() {
    if (kUnescape && pending_) *w_++ = '\\';
    return w_;
  }

 private:
  // The character `c` escaped by a backslash: "n" is a line break.
  void Escaped(char c) {
    if (c == 'n') {
      w_[0] = '\r';
      w_[1] = '\n';
      w_ += 2;
    } else {
      *w_++ = c;
    }
  }

  char* w_;
  bool pending_ = false;
};

// HtmlToText (followed by Unescape with `kUnescape`) of [in, in + n) written
// at `out`; returns the length written.
// REQUIRES: `out` has room for n bytes and is either `in`, a place before
// `in` or outside the input.
//
// The text is looked at 64 bytes at a time: `bits` marks the "\\", "&",
// "<" and ">" of the window at `base` not yet passed, and the ordinary
// bytes between them are copied in runs. A ">" outside markup is ordinary.
template <bool kUnescape>
size_t HtmlToTextRaw(const char* in, size_t n, char* out) {
  const char* const end = in + n;
  Sink<kUnescape> sink(out);
  const char* r = in;  // the first byte not yet converted
  const char* base = in;
  std::uint64_t bits = n == 0 ? 0 : MarkWindow<'\\', '&', '<', '>'>(in, base, end);
  const char* no_gt = end;
  const char* no_semicolon = end;
  for (;;) {
    if (bits == 0) {
      if (end - base <= 64 || r == end) break;
      base = std::max(base + 64, r);
      bits = MarkWindow<'\\', '&', '<', '>'>(in, base, end);
      continue;
    }
    const char* q = base + std::countr_zero(bits);
    bits &= bits - 1;
    const char c = *q;
    if (c == '>') continue;
    sink.Run(r, static_cast<size_t>(q - r));
    if (c == '<') {
      // The closing ">" is the next one marked, or lies beyond the window.
      const char* close = nullptr;
      for (std::uint64_t rest = bits; rest != 0; rest &= rest - 1) {
        const char* at = base + std::countr_zero(rest);
        if (*at == '>') {
          close = at;
          break;
        }
      }
      if (close == nullptr && end - base > 64) {
        close = FindRemembering(base + 64, end, '>', &no_gt);
      }
      if (close == nullptr) {
        sink.Byte('<');
        r = q + 1;
      } else {
        const char* content = q + 1;
        r = close + 1;
        if (content == close) {
          sink.Byte('<');
          sink.Byte('>');
        } else if (!IsComment(content, close)) {
          const char* name = content;
          if (*name == '/') ++name;
          while (name != close && IsBlank(*name)) ++name;
          // The letters end at the ">" at the latest; reading on is harmless.
          if (LeadingNameKind(in, name, end) == 0) {
            sink.Bytes(q, static_cast<size_t>(r - q));  // "<" + content + ">"
          }
        }
      }
    } else if (c == '\\') {
      // An escaped character is never markup.
      if (q + 1 == end) {
        sink.Byte('\\');
        r = end;
        break;
      }
      sink.Pair(q[1]);
      r = q + 2;
    } else {
      const char* semicolon = FindRemembering(q + 1, end, ';', &no_semicolon);
      if (semicolon == nullptr) {
        sink.Byte('&');
        r = q + 1;
      } else {
        const int decoded =
            DecodedEntity(std::string_view(q + 1, static_cast<size_t>(semicolon - q - 1)));
        if (decoded < 0) {
          sink.Bytes(q, static_cast<size_t>(semicolon + 1 - q));  // kept as written
        } else {
          sink.Byte(static_cast<char>(decoded));
        }
        r = semicolon + 1;
      }
    }
    // Forget the marks passed.
    const auto passed = static_cast<size_t>(r - base);
    bits = passed >= 64 ? 0 : bits & (~std::uint64_t{0} << passed);
  }
  sink.Run(r, static_cast<size_t>(end - r));
  return static_cast<size_t>(sink.Finish() - out);
}

// Unescape of [in, in + n) written at `out`, as HtmlToTextRaw. A line
// break takes the room of its escape, so in place nothing moves until some
// other escape has been resolved.
size_t UnescapeRaw(const char* in, size_t n, char* out) {
  const char* r = in;
  const char* const end = in + n;
  char* w = out;
  for (;;) {
    const char* slash = Find(r, end, '\\');
    if (slash == nullptr) slash = end;
    if (w != r) MoveBytes(w, r, static_cast<size_t>(slash - r));
    w += slash - r;
    r = slash;
    if (r == end) break;
    if (r + 1 == end) {
      // A backslash at the very end stays.
      *w++ = '\\';
      break;
    }
    const char escaped = r[1];
    if (escaped == 'n') {
      w[0] = '\r';
      w[1] = '\n';
      w += 2;
    } else {
      *w++ = escaped;
    }
    r += 2;
  }
  return static_cast<size_t>(w - out);
}

}  // namespace

int HtmlTagNameKind(std::string_view name) {
  const char* end = name.data() + name.size();
  // Only a name made of letters alone can be recognised.
  for (const char c : name) {
    if (!IsAsciiLetter(c)) return 0;
  }
  return LeadingNameKind(name.data(), name.data(), end);
}

void AppendHtmlToText(std::string_view text, std::string& out) {
  const size_t old = out.size();
  out.resize(old + text.size());
  out.resize(old + HtmlToTextRaw<false>(text.data(), text.size(), out.data() + old));
}

void HtmlToTextInPlace(std::string& text, size_t from) {
  if (from >= text.size()) return;
  char* start = text.data() + from;
  text.resize(from + HtmlToTextRaw<false>(start, text.size() - from, start));
}

void HtmlToTextAndUnescapeInPlace(std::string& text, size_t from) {
  if (from >= text.size()) return;
  char* start = text.data() + from;
  text.resize(from + HtmlToTextRaw<true>(start, text.size() - from, start));
}

void AppendUnescaped(std::string_view text, std::string& out) {
  const size_t old = out.size();
  out.resize(old + text.size());
  out.resize(old + UnescapeRaw(text.data(), text.size(), out.data() + old));
}

void UnescapeInPlace(std::string& text, size_t from) {
  if (from >= text.size()) return;
  char* start = text.data() + from;
  text.resize(from + UnescapeRaw(start, text.size() - from, start));
}

namespace {

// Appends to a string through a raw pointer, growing the string only when a
// write would not fit; Finish cuts it to what was written.
class Writer {
 public:
  Writer(std::string& out, size_t expected) : out_(out) {
    const size_t used = out_.size();
    out_.resize(used + expected);
    at_ = out_.data() + used;
  }
  void Put(const char* p, size_t n) {
    if (static_cast<size_t>(out_.data() + out_.size() - at_) < n) Grow(n);
    std::memcpy(at_, p, n);
    at_ += n;
  }
  void Put(std::string_view s) { Put(s.data(), s.size()); }
  void Put(char c) { Put(&c, 1); }
  void Finish() { out_.resize(static_cast<size_t>(at_ - out_.data())); }

 private:
  void Grow(size_t n) {
    const size_t used = static_cast<size_t>(at_ - out_.data());
    out_.resize(std::max(out_.size() * 2, used + n));
    at_ = out_.data() + used;
  }

  std::string& out_;
  char* at_;
};

}  // namespace

void AppendTextToHtml(std::string_view text, std::string& out) {
  const auto& encoded = EncodedChars();
  Writer writer(out, 2 * text.size() + 16);
  auto put_encoded = [&encoded, &writer](char c) {
    writer.Put(encoded[static_cast<unsigned char>(c)]);
  };
  const char* r = text.data();
  const char* const end = r + text.size();
  while (r != end) {
    // A run of characters that are written as they are.
    const char* stop = FindFirstOf<true, '\\', '<', '&', '"', '>'>(r, end);
    writer.Put(r, static_cast<size_t>(stop - r));
    r = stop;
    if (r == end) break;
    const char c = *r;
    if (c == '\\') {
      if (r + 1 == end) {
        writer.Put(c);
        break;
      }
      const char next = r[1];
      if (static_cast<unsigned char>(next) < 128 && next != '"' && next != '&' && next != '<' &&
          next != '>') {
        writer.Put(r, 2);
      } else {
        // An escaped markup character or national letter is written as text.
        put_encoded(next);
      }
      r += 2;
    } else if (c == '<') {
      const char* close = Find(r + 1, end, '>');
      if (close == nullptr) {
        writer.Put("&lt;");
        ++r;
        continue;
      }
      const char* content = r + 1;
      const std::string_view markup(content, static_cast<size_t>(close - content));
      r = close + 1;
      if (markup.empty()) {
        writer.Put("&lt;&gt;");
      } else if (markup.front() == '/' || IsComment(content, close) ||
                 LeadingNameKind(text.data(), content, end) != 0) {
        writer.Put(content - 1, markup.size() + 2);  // "<" + markup + ">" as written
      } else {
        writer.Put("&lt;");
        writer.Put(markup);
        writer.Put("&gt;");
      }
    } else if (c == '&') {
      const char* semicolon = Find(r + 1, end, ';');
      if (semicolon == nullptr) {
        writer.Put("&amp;");
        ++r;
        continue;
      }
      const std::string_view name(r + 1, static_cast<size_t>(semicolon - r - 1));
      const char* entity = r;
      r = semicolon + 1;
      if (name.empty()) {
        writer.Put("&amp;;");
      } else if (TVLLCommon::DecodeHtmlEntity(name) != TVLLCommon::kErrorMarker) {
        writer.Put(entity, name.size() + 2);  // a known entity as written
      } else {
        writer.Put("&amp;");
        writer.Put(name);
        writer.Put(';');
      }
    } else {
      // A double quote, ">" or a character of code 128 or above.
      put_encoded(c);
      ++r;
    }
  }
  writer.Finish();
}

}  // namespace vellorax::vll2
