#include "vll2/text_conversions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "vll2/script.h"
#include "vll2/string_builder.h"
#include "vll2/vll_common.h"

namespace vellorax::vll2 {
namespace {

// The conversions read plainly, one character at a time with 1-based
// positions, to check the fast ones against.
class Reference {
 public:
  static int TagKind(std::string_view name) {
    static const std::vector<std::string> names = {
        "BR",    "P",    "A",     "FONT",  "DIV",    "SPAN", "TR",      "TD",
        "TABLE", "IMG",  "STYLE", "HTML",  "HEAD",   "BODY", "COMMENT", "TBODY",
        "TH",    "LINK", "META",  "TITLE", "SCRIPT", "AREA", "FORM"};
    std::string upper(name);
    for (char& c : upper) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
    for (size_t i = 0; i < names.size(); ++i) {
      if (names[i] == upper) return static_cast<int>(i) + 1;
    }
    return 0;
  }

  static std::string HtmlToText(const std::string& t) {
    std::string out;
    const int n = static_cast<int>(t.size());
    for (int p = 1; p <= n;) {
      const char c = t[p - 1];
      if (c == '\\') {
        out += c;
        if (p < n) out += t[p];
        p += 2;
      } else if (c == '&') {
        const size_t semi = t.find(';', p - 1);
        if (semi == std::string::npos) {
          out += c;
          ++p;
          continue;
        }
        const std::string name = t.substr(p, semi - p);
        const std::string d = TVLLCommon::DecodeHtmlEntity(name);
        out += d == TVLLCommon::kErrorMarker ? "&" + name + ";" : d;
        p = static_cast<int>(semi) + 2;
      } else if (c == '<') {
        std::string content;
        if (!ReadTag(t, p, content)) {
          out += c;
          ++p;
        } else if (content.empty()) {
          out += "<>";
        } else if (content[0] == '!' && content.back() == '-') {
        } else {
          size_t i = content[0] == '/' ? 1 : 0;
          while (i < content.size() && IsBlank(content[i])) ++i;
          if (TagKind(Letters(content, i)) == 0) out += "<" + content + ">";
        }
      } else {
        out += c;
        ++p;
      }
    }
    return out;
  }

  static std::string TextToHtml(const std::string& t) {
    std::string out;
    const int n = static_cast<int>(t.size());
    for (int p = 1; p <= n;) {
      const char c = t[p - 1];
      const auto code = static_cast<unsigned char>(c);
      if (c == '\\') {
        if (p == n) {
          out += c;
          ++p;
          continue;
        }
        const char d = t[p];
        const bool markup = d == '"' || d == '&' || d == '<' || d == '>';
        if (static_cast<unsigned char>(d) < 128 && !markup) {
          out += c;
          out += d;
        } else {
          out += TVLLCommon::EncodeHtmlChar(d);
        }
        p += 2;
      } else if (c == '<') {
        std::string content;
        if (!ReadTag(t, p, content)) {
          out += "&lt;";
          ++p;
        } else if (content.empty()) {
          out += "&lt;&gt;";
        } else if (content[0] == '/' || (content[0] == '!' && content.back() == '-') ||
                   TagKind(Letters(content, 0)) != 0) {
          out += "<" + content + ">";
        } else {
          out += "&lt;" + content + "&gt;";
        }
      } else if (c == '&') {
        const size_t semi = t.find(';', p - 1);
        if (semi == std::string::npos) {
          out += "&amp;";
          ++p;
          continue;
        }
        const std::string name = t.substr(p, semi - p);
        p = static_cast<int>(semi) + 2;
        if (name.empty()) {
          out += "&amp;;";
        } else {
          const bool known = TVLLCommon::DecodeHtmlEntity(name) != TVLLCommon::kErrorMarker;
          out += (known ? "&" : "&amp;") + name + ";";
        }
      } else if (c == '"' || c == '>' || code >= 128) {
        out += TVLLCommon::EncodeHtmlChar(c);
        ++p;
      } else {
        out += c;
        ++p;
      }
    }
    return out;
  }

  static std::string Unescape(const std::string& t) {
    std::string out;
    for (size_t i = 0; i < t.size(); ++i) {
      if (t[i] != '\\' || i + 1 == t.size()) {
        out += t[i];
      } else {
        out += t[++i] == 'n' ? std::string("\r\n") : std::string(1, t[i]);
      }
    }
    return out;
  }

 private:
  static bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
  // "<" at p: true with the content up to the next ">" and p after it.
  static bool ReadTag(const std::string& t, int& p, std::string& content) {
    const size_t close = t.find('>', p - 1);
    if (close == std::string::npos) return false;
    content = t.substr(p, close - p);
    p = static_cast<int>(close) + 2;
    return true;
  }
  static std::string Letters(const std::string& s, size_t from) {
    size_t e = from;
    while (e < s.size() && ((s[e] >= 'A' && s[e] <= 'Z') || (s[e] >= 'a' && s[e] <= 'z'))) ++e;
    return s.substr(from, e - from);
  }
};

TEST(TextConversionsTest, TagKindsAreThePlaceInTheNameList) {
  const std::pair<std::string, int> cases[] = {
      {"BR", 1},     {"p", 2},     {"A", 3},      {"Font", 4},   {"div", 5},   {"span", 6},
      {"TABLE", 9},  {"img", 10},  {"COMMENT", 15}, {"tbody", 16}, {"tH", 17},  {"form", 23},
      {"", 0},       {"B", 0},     {"COMMENTS", 0}, {"FORMX", 0}, {"BR ", 0},  {"/BR", 0},
      {std::string("P\0", 2), 0},  {"\xC5", 0},   {"TITLE", 20}, {"SCRIPT", 21},
  };
  for (const auto& [name, kind] : cases) {
    EXPECT_EQ(HtmlTagNameKind(name), kind) << name;
    EXPECT_EQ(TVLLScript::HtmlTagKind(name), kind) << name;
  }
}

// Seeded random texts made of markup, entity and escape fragments: every
// form of every conversion agrees with the plain reading (and, in the
// sanitizer build, reads and writes only inside its texts).
TEST(TextConversionsTest, AgreeWithACharacterByCharacterReading) {
  const std::vector<std::string> pieces = {
      "<", ">", "&", ";", "\\", "/", "!", "-", " ", "\t", "\n", "n", "\"", "x", "#",
      "BR", "br", "p", "Font", "COMMENT", "TBODYX", "b", "amp", "AMP", "nbsp", "Auml", "#65",
      "#x4", "#1000", "<!--", "-->", "</", "\xE6", "\xC5", "\xA0", "\xD7", "text ", "a=\"1\"",
      "<BR>", "&amp;", "\\n", "\\<", "\\\xF8", "<>", "&;", std::string(1, '\0'), "&#92;",
      "&#x5C;", "&#110;", "<a\\n>", "&x\\;", "</div>", "<span class=label>", "\\\\",
      "abcdefghijklmnopqrstuvwxyz0123456789 abcdefghij", "<tbody >", "< /p>"};
  unsigned seed = 1234;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) & 0x7FFF;
  };
  for (int i = 0; i < 6000; ++i) {
    // Mostly field-sized texts, some long enough to span several windows.
    std::string text;
    const unsigned count = i % 5 == 0 ? next() % 90 : next() % 24;
    for (unsigned k = count; k > 0; --k) text += pieces[next() % pieces.size()];
    const std::string prefix = i % 3 == 0 ? "" : "kept <BR> &amp; \\n";

    const std::string to_text = Reference::HtmlToText(text);
    ASSERT_EQ(TVLLScript::HtmlToText(text), to_text) << text;
    std::string s = prefix;
    AppendHtmlToText(text, s);
    ASSERT_EQ(s, prefix + to_text) << text;
    s = prefix + text;
    HtmlToTextInPlace(s, prefix.size());
    ASSERT_EQ(s, prefix + to_text) << text;

    const std::string to_html = Reference::TextToHtml(text);
    ASSERT_EQ(TVLLScript::TextToHtml(text), to_html) << text;
    s = prefix;
    AppendTextToHtml(text, s);
    ASSERT_EQ(s, prefix + to_html) << text;

    const std::string unescaped = Reference::Unescape(text);
    ASSERT_EQ(TVLLScript::Unescape(text), unescaped) << text;
    s = prefix;
    AppendUnescaped(text, s);
    ASSERT_EQ(s, prefix + unescaped) << text;
    s = prefix + text;
    UnescapeInPlace(s, prefix.size());
    ASSERT_EQ(s, prefix + unescaped) << text;

    TVLLStringBuilder builder;
    builder.Append(prefix + text);
    builder.HtmlToTextFrom(static_cast<int>(prefix.size()));
    builder.UnescapeFrom(static_cast<int>(prefix.size()));
    ASSERT_EQ(builder.Text(), prefix + Reference::Unescape(to_text)) << text;
    builder.Clear();
    builder.Append(prefix + text);
    builder.HtmlToTextAndUnescapeFrom(static_cast<int>(prefix.size()));
    ASSERT_EQ(builder.Text(), prefix + Reference::Unescape(to_text)) << text;
    s = prefix + text;
    HtmlToTextAndUnescapeInPlace(s, prefix.size());
    ASSERT_EQ(s, prefix + Reference::Unescape(to_text)) << text;
    builder.Clear();
    builder.Append(prefix + text);
    builder.TextToHtmlFrom(static_cast<int>(prefix.size()));
    ASSERT_EQ(builder.Text(), prefix + to_html) << text;
  }
}

// Every byte value, alone and around markup, escapes and entities, at every
// length near the 64-byte window edges: the one-pass conversion and unescape
// equals the two passes read plainly, and each conversion its plain reading.
TEST(TextConversionsTest, OnePassEqualsConvertThenUnescape) {
  const std::vector<std::string> tails = {"<BR>", "\\n", "\\", "&#92;", "&#92;n", "<b\\>",
                                          "&q\\;", "&amp;", "</span>\\n", "<", "&"};
  for (int code = 0; code < 256; ++code) {
    for (const std::string& tail : tails) {
      for (size_t fill : {0u, 1u, 15u, 16u, 55u, 62u, 63u, 64u, 65u, 127u, 128u, 200u}) {
        std::string text(fill, static_cast<char>(code));
        text += tail;
        text += static_cast<char>(code);
        const std::string expected = Reference::Unescape(Reference::HtmlToText(text));
        std::string s = text;
        HtmlToTextAndUnescapeInPlace(s, 0);
        ASSERT_EQ(s, expected) << code << " " << tail << " " << fill;
        s = text;
        HtmlToTextInPlace(s, 0);
        ASSERT_EQ(s, Reference::HtmlToText(text)) << code << " " << tail << " " << fill;
        ASSERT_EQ(TVLLScript::TextToHtml(text), Reference::TextToHtml(text)) << code << " " << fill;
      }
    }
  }
}

// Many unclosed "<" and "&" are kept as they are, one look-ahead each at
// most (the search for a closer is not repeated from every one of them).
TEST(TextConversionsTest, UnclosedMarkupIsKept) {
  const struct {
    std::string text, to_text, to_html;
  } cases[] = {
      {std::string(200000, '<'), std::string(200000, '<'), ""},
      {std::string(200000, '&'), std::string(200000, '&'), ""},
      {std::string(100000, '<') + ">", std::string(99999, '<') + "<>", ""},
      {"&" + std::string(100, 'x'), "&" + std::string(100, 'x'), "&amp;" + std::string(100, 'x')},
  };
  for (const auto& c : cases) {
    std::string s = c.text;
    HtmlToTextAndUnescapeInPlace(s, 0);
    EXPECT_EQ(s, c.to_text);
    if (!c.to_html.empty()) {
      EXPECT_EQ(TVLLScript::TextToHtml(c.text), c.to_html);
    }
  }
}

// Seeded random sequences of appends, cuts and conversions at random marks:
// the builder (which remembers where a conversion left no backslash, to
// skip a needless unescape) always holds what plain strings give.
TEST(TextConversionsTest, BuilderAgreesWithPlainStringsOverAnySequence) {
  const std::vector<std::string> pieces = {"<div>", "a\\n", "\\", "n", "&#92;", "x", "</span>",
                                           "\\\\", "&amp;", "\"", "\xE5", "<b>", " "};
  unsigned seed = 4321;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) & 0x7FFF;
  };
  for (int round = 0; round < 300; ++round) {
    TVLLStringBuilder builder;
    std::string model;
    for (int step = 0; step < 30; ++step) {
      const int mark = static_cast<int>(next() % (model.size() + 2)) - 1;
      const size_t from = mark <= 0 ? 0 : std::min(model.size(), static_cast<size_t>(mark));
      const std::string head = model.substr(0, from), tail = model.substr(from);
      switch (next() % 7) {
        case 0:
        case 1: {
          const std::string& piece = pieces[next() % pieces.size()];
          builder.Append(piece);
          model += piece;
          break;
        }
        case 2:
          builder.Truncate(mark);
          model = head;
          break;
        case 3:
          builder.HtmlToTextFrom(mark);
          model = head + Reference::HtmlToText(tail);
          break;
        case 4:
          builder.TextToHtmlFrom(mark);
          model = head + Reference::TextToHtml(tail);
          break;
        case 5:
          builder.UnescapeFrom(mark);
          model = head + Reference::Unescape(tail);
          break;
        default:
          builder.HtmlToTextAndUnescapeFrom(mark);
          model = head + Reference::Unescape(Reference::HtmlToText(tail));
          break;
      }
      ASSERT_EQ(builder.Text(), model) << round << " " << step;
    }
  }
}

TEST(TextConversionsTest, BuilderConvertsOnlyAfterTheMark) {
  struct Case { int from; std::string html_to_text, text_to_html, unescaped; };
  const std::string text = "a&amp;<BR>\\n\"";
  const Case cases[] = {
      {-1, "a&\\n\"", "a&amp;<BR>\\n&quot;", "a&amp;<BR>\r\n\""},
      {0, "a&\\n\"", "a&amp;<BR>\\n&quot;", "a&amp;<BR>\r\n\""},
      {1, "a&\\n\"", "a&amp;<BR>\\n&quot;", "a&amp;<BR>\r\n\""},
      {6, "a&amp;\\n\"", "a&amp;<BR>\\n&quot;", "a&amp;<BR>\r\n\""},
      {11, text, "a&amp;<BR>\\n&quot;", text},  // the mark splits the escape
      {13, text, text, text},  {99, text, text, text},
  };
  for (const Case& c : cases) {
    TVLLStringBuilder builder;
    builder.Append(text);
    builder.HtmlToTextFrom(c.from);
    EXPECT_EQ(builder.Text(), c.html_to_text) << c.from;
    builder.Clear();
    builder.Append(text);
    builder.TextToHtmlFrom(c.from);
    EXPECT_EQ(builder.Text(), c.text_to_html) << c.from;
    builder.Clear();
    builder.Append(text);
    builder.UnescapeFrom(c.from);
    EXPECT_EQ(builder.Text(), c.unescaped) << c.from;
  }
}

}  // namespace
}  // namespace vellorax::vll2
