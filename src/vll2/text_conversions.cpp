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
    std::uint64_t word;
    if (whole_word) {
      std::memcpy(&word, p, sizeof word);
    } else {
      std::memcpy(&word, limit - 8, sizeof word);
      word >>= 8 * (8 - (limit - p));
    }
#if defined(__SSE2__)
    // The letters are the bytes that, with bit 5 set, lie no more than 25
    // above "a"; the bytes past the word are zero, which is none.
    const __m128i folded =
        _mm_or_si128(_mm_cvtsi64_si128(static_cast<long long>(word)), _mm_set1_epi8(0x20));
    const __m128i above_a = _mm_sub_epi8(folded, _mm_set1_epi8('a'));
    const __m128i letters = _mm_cmpeq_epi8(_mm_min_epu8(above_a, _mm_set1_epi8(25)), above_a);
    n = static_cast<size_t>(std::countr_zero(~static_cast<unsigned>(_mm_movemask_epi8(letters))));
#else
    constexpr std::uint64_t kHighs = 0x8080808080808080ull;
    const std::uint64_t lower = word | (kOnes * 0x20);
    const std::uint64_t low7 = lower & ~kHighs;
    const std::uint64_t at_least_a = low7 + kOnes * (0x80 - 'a');
    const std::uint64_t past_z = low7 + kOnes * (0x80 - 'z' - 1);
    const std::uint64_t letters = at_least_a & ~past_z & ~lower & kHighs;
    n = static_cast<size_t>(std::countr_zero(~letters & kHighs)) / 8;
#endif
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

// EncodeHtmlChar of every byte, worked out once, padded so that any entry
// can be copied as a whole.
struct EncodedChar {
  char text[16];
  size_t length;
};

const std::array<EncodedChar, 256>& EncodedChars() {
  static const std::array<EncodedChar, 256> table = [] {
    std::array<EncodedChar, 256> encoded{};
    for (int code = 0; code < 256; ++code) {
      const std::string text = TVLLCommon::EncodeHtmlChar(static_cast<char>(code));
      EncodedChar& entry = encoded[static_cast<size_t>(code)];
      entry.length = std::min(text.size(), sizeof entry.text);
      std::memcpy(entry.text, text.data(), entry.length);
    }
    return encoded;
  }();
  return table;
}

// Whether HtmlToText keeps the markup with the (non-empty) content
// [content, close) as written: it drops comments and recognised tags.
// REQUIRES: begin <= content < close < end, all in one text; *close is ">".
inline bool KeepsMarkup(const char* begin, const char* content, const char* close,
                        const char* end) {
  if (IsComment(content, close)) return false;
  const char* name = content;
  if (*name == '/') ++name;
  while (name != close && IsBlank(*name)) ++name;
  // The letters end at the ">" at the latest; reading on is harmless.
  return LeadingNameKind(begin, name, end) == 0;
}

// The character DecodeHtmlEntity makes of `name`, or -1 when it makes none.
// Kept out of line: entities are rare, and the temporary string would cost
// the scanning loop its registers.
[[gnu::noinline]] int DecodedEntity(std::string_view name) {
  const std::string decoded = TVLLCommon::DecodeHtmlEntity(name);
  return decoded == TVLLCommon::kErrorMarker ? -1 : static_cast<unsigned char>(decoded[0]);
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
      if (FindByte(p, p + count, '\\') != nullptr) backslash_ = true;
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
    } else if (c == '\\') {
      backslash_ = true;
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
      backslash_ = true;
      w_[0] = '\\';
      w_[1] = c;
      w_ += 2;
    }
  }

  // Writes what is held back; returns the end of the result.
  char* Finish() {
    if (kUnescape && pending_) {
      backslash_ = true;
      *w_++ = '\\';
    }
    return w_;
  }

  // Whether a backslash has been written (false is certain, true may be
  // too cautious).
  bool Backslash() const { return backslash_; }

 private:
  // The character `c` escaped by a backslash: "n" is a line break.
  void Escaped(char c) {
    if (c == 'n') {
      w_[0] = '\r';
      w_[1] = '\n';
      w_ += 2;
    } else {
      if (c == '\\') backslash_ = true;
      *w_++ = c;
    }
  }

  char* w_;
  bool pending_ = false;
  bool backslash_ = false;
};

// The ">" that closes markup opened at a marked "<" of the 64-byte window at
// `base` whose later marks are `bits`: the next one marked, or else the first
// beyond the window (remembering in `no_gt` where none is left); null when
// there is none.
inline const char* ClosingGt(const char* base, std::uint64_t bits, const char* end,
                             const char** no_gt) {
  for (std::uint64_t rest = bits; rest != 0; rest &= rest - 1) {
    const char* at = base + std::countr_zero(rest);
    if (*at == '>') return at;
  }
  return end - base > 64 ? FindRemembering(base + 64, end, '>', no_gt) : nullptr;
}

// HtmlToText (followed by Unescape with `kUnescape`) of [in, in + n) written
// at `out`; returns the length written, and in `backslash` whether the
// result may hold a backslash.
// REQUIRES: `out` has room for n bytes and is either `in`, a place before
// `in` or outside the input.
//
// The text is looked at 64 bytes at a time: `bits` marks the "\\", "&",
// "<" and ">" of the window at `base` not yet passed, and the ordinary
// bytes between them are copied in runs. A ">" outside markup is ordinary.
template <bool kUnescape>
size_t HtmlToTextRaw(const char* in, size_t n, char* out, bool& backslash) {
  const char* const end = in + n;
  Sink<kUnescape> sink(out);
  const char* r = in;  // the first byte not yet converted
  const char* base = in;
  std::uint64_t bits = n == 0 ? 0 : MarkWindow<false, '\\', '&', '<', '>'>(in, base, end);
  const char* no_gt = end;
  const char* no_semicolon = end;
  for (;;) {
    if (bits == 0) {
      if (end - base <= 64 || r == end) break;
      base = std::max(base + 64, r);
      bits = MarkWindow<false, '\\', '&', '<', '>'>(in, base, end);
      continue;
    }
    const char* q = base + std::countr_zero(bits);
    bits &= bits - 1;
    const char c = *q;
    if (c == '>') continue;
    sink.Run(r, static_cast<size_t>(q - r));
    if (c == '<') {
      const char* close = ClosingGt(base, bits, end, &no_gt);
      if (close == nullptr) {
        sink.Byte('<');
        r = q + 1;
      } else {
        const char* content = q + 1;
        r = close + 1;
        if (content == close) {
          sink.Byte('<');
          sink.Byte('>');
        } else if (KeepsMarkup(in, content, close, end)) {
          sink.Bytes(q, static_cast<size_t>(r - q));  // "<" + content + ">"
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
  const char* written = sink.Finish();
  backslash = sink.Backslash();
  return static_cast<size_t>(written - out);
}

// Unescape of [in, in + n) written at `out`, as HtmlToTextRaw. A line
// break takes the room of its escape, so in place nothing moves until some
// other escape has been resolved.
size_t UnescapeRaw(const char* in, size_t n, char* out) {
  const char* r = in;
  const char* const end = in + n;
  char* w = out;
  for (;;) {
    const char* slash = FindByte(r, end, '\\');
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
  bool backslash;
  out.resize(old + HtmlToTextRaw<false>(text.data(), text.size(), out.data() + old, backslash));
}

bool HtmlToTextInPlace(std::string& text, size_t from) {
  if (from >= text.size()) return false;
  char* start = text.data() + from;
  bool backslash;
  text.resize(from + HtmlToTextRaw<false>(start, text.size() - from, start, backslash));
  return backslash;
}

bool HtmlToTextAndUnescapeInPlace(std::string& text, size_t from) {
  if (from >= text.size()) return false;
  char* start = text.data() + from;
  bool backslash;
  text.resize(from + HtmlToTextRaw<true>(start, text.size() - from, start, backslash));
  return backslash;
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

// Writes through a raw pointer into `buffer` from `used` on, whose size
// serves as its capacity and grows only when a write would not fit; the
// bytes past what is written are left as they are.
class Writer {
 public:
  Writer(std::string& buffer, size_t used, size_t expected) : buffer_(buffer) {
    if (buffer_.size() < used + expected) buffer_.resize(used + expected);
    at_ = buffer_.data() + used;
  }
  void Put(const char* p, size_t n) {
    Room(n);
    MoveBytes(at_, p, n);
    at_ += n;
  }
  void Put(std::string_view s) { Put(s.data(), s.size()); }
  void Put(char c) {
    Room(1);
    *at_++ = c;
  }
  void PutEncoded(char c) {
    const EncodedChar& entry = EncodedChars()[static_cast<unsigned char>(c)];
    Room(sizeof entry.text);
    std::memcpy(at_, entry.text, sizeof entry.text);
    at_ += entry.length;
  }
  size_t Used() const { return static_cast<size_t>(at_ - buffer_.data()); }

 private:
  void Room(size_t n) {
    if (static_cast<size_t>(buffer_.data() + buffer_.size() - at_) < n) Grow(n);
  }
  [[gnu::noinline]] void Grow(size_t n) {
    const size_t used = Used();
    buffer_.resize(std::max(buffer_.size() * 2, used + n));
    at_ = buffer_.data() + used;
  }

  std::string& buffer_;
  char* at_;
};

// TextToHtml of `text` written by `writer`, looking at the text 64 bytes at
// a time as HtmlToTextRaw does; the marks are of the bytes that are not
// written as they are: "\\", "<", "&", "\"", ">" and those of code 128 or
// above.
void TextToHtmlRaw(std::string_view text, Writer& writer) {
  const char* const in = text.data();
  const char* const end = in + text.size();
  const char* r = in;
  const char* base = in;
  auto marks = [in, end](const char* at) {
    return MarkWindow<true, '\\', '<', '&', '"', '>'>(in, at, end);
  };
  std::uint64_t bits = text.empty() ? 0 : marks(base);
  const char* no_gt = end;
  const char* no_semicolon = end;
  for (;;) {
    if (bits == 0) {
      if (end - base <= 64 || r == end) break;
      base = std::max(base + 64, r);
      bits = marks(base);
      continue;
    }
    const char* q = base + std::countr_zero(bits);
    bits &= bits - 1;
    writer.Put(r, static_cast<size_t>(q - r));
    const char c = *q;
    r = q + 1;
    if (c == '\\') {
      if (r == end) {
        writer.Put(c);
        break;
      }
      const char next = *r++;
      if (static_cast<unsigned char>(next) < 128 && next != '"' && next != '&' && next != '<' &&
          next != '>') {
        writer.Put(q, 2);
      } else {
        // An escaped markup character or national letter is written as text.
        writer.PutEncoded(next);
      }
    } else if (c == '<') {
      const char* close = ClosingGt(base, bits, end, &no_gt);
      if (close == nullptr) {
        writer.Put("&lt;");
        continue;
      }
      const char* content = q + 1;
      r = close + 1;
      if (content == close) {
        writer.Put("&lt;&gt;");
      } else if (*content == '/' || IsComment(content, close) ||
                 LeadingNameKind(in, content, end) != 0) {
        writer.Put(q, static_cast<size_t>(r - q));  // "<" + content + ">" as written
      } else {
        writer.Put("&lt;");
        writer.Put(content, static_cast<size_t>(close - content));
        writer.Put("&gt;");
      }
    } else if (c == '&') {
      const char* semicolon = FindRemembering(r, end, ';', &no_semicolon);
      if (semicolon == nullptr) {
        writer.Put("&amp;");
        continue;
      }
      const std::string_view name(r, static_cast<size_t>(semicolon - r));
      r = semicolon + 1;
      if (name.empty()) {
        writer.Put("&amp;;");
      } else if (DecodedEntity(name) >= 0) {
        writer.Put(q, name.size() + 2);  // a known entity as written
      } else {
        writer.Put("&amp;");
        writer.Put(name);
        writer.Put(';');
      }
    } else {
      // A double quote, ">" or a character of code 128 or above.
      writer.PutEncoded(c);
    }
    // Forget the marks passed.
    const auto passed = static_cast<size_t>(r - base);
    bits = passed >= 64 ? 0 : bits & (~std::uint64_t{0} << passed);
  }
  writer.Put(r, static_cast<size_t>(end - r));
}

}  // namespace

void AppendTextToHtml(std::string_view text, std::string& out) {
  const size_t used = out.size();
  Writer writer(out, used, text.size() + text.size() / 2 + 16);
  TextToHtmlRaw(text, writer);
  out.resize(writer.Used());
}

size_t TextToHtmlInto(std::string_view text, std::string& buffer) {
  Writer writer(buffer, 0, 2 * text.size() + 16);
  TextToHtmlRaw(text, writer);
  return writer.Used();
}

}  // namespace vellorax::vll2
