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

// The recognised names of one length, as keys, with their kinds.
struct TagsOfLength {
  int count = 0;
  std::array<std::uint64_t, kHtmlTags.size()> keys{};
  std::array<int, kHtmlTags.size()> kinds{};
};

constexpr std::array<TagsOfLength, kLongestTag + 1> MakeTagsByLength() {
  std::array<TagsOfLength, kLongestTag + 1> by_length{};
  for (size_t i = 0; i < kHtmlTags.size(); ++i) {
    TagsOfLength& tags = by_length[kHtmlTags[i].size()];
    tags.keys[static_cast<size_t>(tags.count)] = NameKey(kHtmlTags[i]);
    tags.kinds[static_cast<size_t>(tags.count)] = static_cast<int>(i) + 1;
    ++tags.count;
  }
  return by_length;
}
constexpr std::array<TagsOfLength, kLongestTag + 1> kTagsByLength = MakeTagsByLength();

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
  const TagsOfLength& tags = kTagsByLength[n];
  for (int i = 0; i < tags.count; ++i) {
    if (tags.keys[static_cast<size_t>(i)] == key) return tags.kinds[static_cast<size_t>(i)];
  }
  return 0;
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

void AppendTextToHtml(std::string_view text, std::string& out) {
  const auto& encoded = EncodedChars();
  auto encode = [&encoded](char c) -> const std::string& {
    return encoded[static_cast<unsigned char>(c)];
  };
  out.reserve(out.size() + text.size() + text.size() / 4);
  const char* r = text.data();
  const char* const end = r + text.size();
  while (r != end) {
    // A run of characters that are written as they are.
    const char* stop = FindFirstOf<true, '\\', '<', '&', '"', '>'>(r, end);
    out.append(r, static_cast<size_t>(stop - r));
    r = stop;
    if (r == end) break;
    const char c = *r;
    if (c == '\\') {
      if (r + 1 == end) {
        out += c;
        break;
      }
      const char next = r[1];
      if (static_cast<unsigned char>(next) < 128 && next != '"' && next != '&' && next != '<' &&
          next != '>') {
        out += c;
        out += next;
      } else {
        // An escaped markup character or national letter is written as text.
        out += encode(next);
      }
      r += 2;
    } else if (c == '<') {
      const char* close = Find(r + 1, end, '>');
      if (close == nullptr) {
        out += "&lt;";
        ++r;
        continue;
      }
      const char* content = r + 1;
      const std::string_view markup(content, static_cast<size_t>(close - content));
      r = close + 1;
      if (markup.empty()) {
        out += "&lt;&gt;";
      } else if (markup.front() == '/' || IsComment(content, close) ||
                 LeadingNameKind(content, end) != 0) {
        out += '<';
        out += markup;
        out += '>';
      } else {
        out += "&lt;";
        out += markup;
        out += "&gt;";
      }
    } else if (c == '&') {
      const char* semicolon = Find(r + 1, end, ';');
      if (semicolon == nullptr) {
        out += "&amp;";
        ++r;
        continue;
      }
      const std::string_view name(r + 1, static_cast<size_t>(semicolon - r - 1));
      r = semicolon + 1;
      if (name.empty()) {
        out += "&amp;;";
      } else {
        const bool known = TVLLCommon::DecodeHtmlEntity(name) != TVLLCommon::kErrorMarker;
        out += known ? "&" : "&amp;";
        out += name;
        out += ';';
      }
    } else {
      // A double quote, ">" or a character of code 128 or above.
      out += encode(c);
      ++r;
    }
  }
}

}  // namespace vellorax::vll2
