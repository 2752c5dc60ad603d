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

// The kind of the tag name made of the ASCII letters at `p` (reading no
// further than `limit`); 0 when there are none or too many to be a
// recognised name.
int LeadingNameKind(const char* p, const char* limit) {
  std::uint64_t key = 0;
  size_t n = 0;
  if (std::endian::native == std::endian::little && limit - p >= 8) {
    // All eight bytes at once: a byte is a letter when, with bit 5 set (lower
    // case), it lies in "a".."z".
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kHighs = 0x8080808080808080ull;
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
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

// HtmlToText of [in, in + n) written at `out`; returns the length written.
// REQUIRES: `out` has room for n bytes and is either `in`, a place before
// `in` or outside the input: every step writes no more than it has read, so
// nothing unread is overwritten.
size_t HtmlToTextRaw(const char* in, size_t n, char* out) {
  const char* r = in;
  const char* const end = in + n;
  char* w = out;
  auto copy = [&w](const char* from, size_t count) {
    std::memmove(w, from, count);
    w += count;
  };
  while (r != end) {
    // A run of ordinary characters at once.
    const char* stop = FindFirstOf<false, '\\', '&', '<'>(r, end);
    copy(r, static_cast<size_t>(stop - r));
    r = stop;
    if (r == end) break;
    if (*r == '\\') {
      // An escaped character is never markup.
      *w++ = *r++;
      if (r != end) *w++ = *r++;
    } else if (*r == '&') {
      const char* semicolon = Find(r + 1, end, ';');
      if (semicolon == nullptr) {
        *w++ = *r++;
        continue;
      }
      const std::string decoded = TVLLCommon::DecodeHtmlEntity(
          std::string_view(r + 1, static_cast<size_t>(semicolon - r - 1)));
      if (decoded == TVLLCommon::kErrorMarker) {
        copy(r, static_cast<size_t>(semicolon + 1 - r));  // kept as written
      } else {
        copy(decoded.data(), decoded.size());  // one character
      }
      r = semicolon + 1;
    } else {
      const char* close = Find(r + 1, end, '>');
      if (close == nullptr) {
        *w++ = *r++;
        continue;
      }
      const char* content = r + 1;
      const size_t size = static_cast<size_t>(close - content);
      r = close + 1;
      if (size == 0) {
        copy("<>", 2);
      } else if (!IsComment(content, close)) {
        const char* name = content;
        if (*name == '/') ++name;
        while (name != close && IsBlank(*name)) ++name;
        // The letters end at the ">" at the latest; reading on is harmless.
        if (LeadingNameKind(name, end) == 0) {
          *w++ = '<';
          copy(content, size);
          *w++ = '>';
        }
      }
    }
  }
  return static_cast<size_t>(w - out);
}

// Unescape of [in, in + n) written at `out`, as HtmlToTextRaw.
size_t UnescapeRaw(const char* in, size_t n, char* out) {
  const char* r = in;
  const char* const end = in + n;
  char* w = out;
  while (r != end) {
    const char* slash = Find(r, end, '\\');
    if (slash == nullptr) slash = end;
    std::memmove(w, r, static_cast<size_t>(slash - r));
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
      *w++ = '\r';
      *w++ = '\n';
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
  return LeadingNameKind(name.data(), end);
}

void AppendHtmlToText(std::string_view text, std::string& out) {
  const size_t old = out.size();
  out.resize(old + text.size());
  out.resize(old + HtmlToTextRaw(text.data(), text.size(), out.data() + old));
}

void HtmlToTextInPlace(std::string& text, size_t from) {
  if (from >= text.size()) return;
  char* start = text.data() + from;
  text.resize(from + HtmlToTextRaw(start, text.size() - from, start));
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
                 LeadingNameKind(content, end) != 0) {
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
