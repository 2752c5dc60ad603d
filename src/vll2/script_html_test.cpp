#include <gtest/gtest.h>

#include <string>

#include "vll2/script.h"

namespace vellorax::vll2 {
namespace {

struct Conversion {
  std::string in, out;
};

TEST(TVLLScriptHtmlTest, ReadTagAndReadEntity) {
  std::string content = "stale";
  int pos = 2;
  EXPECT_EQ(TVLLScript::ReadTag("a<abc>x", pos, content), 0);
  EXPECT_EQ(content, "abc");
  EXPECT_EQ(pos, 7);
  pos = 1;
  EXPECT_EQ(TVLLScript::ReadTag("<>", pos, content), 0);
  EXPECT_EQ(content, "");
  // Failures leave the position and give no content.
  const std::pair<std::string, int> failures[] = {{"a<b>", 1}, {"<abc", 1}, {"<abc>", 0},
                                                  {"<abc>", 6}, {"", 1},    {"<a>", -3}};
  for (const auto& [text, start] : failures) {
    content = "stale";
    pos = start;
    EXPECT_EQ(TVLLScript::ReadTag(text, pos, content), 9) << text;
    EXPECT_EQ(pos, start) << text;
    EXPECT_EQ(content, "") << text;
  }
  pos = 1;
  EXPECT_EQ(TVLLScript::ReadEntity("&amp;x", pos, content), 0);
  EXPECT_EQ(content, "amp");
  EXPECT_EQ(pos, 6);
  pos = 1;
  EXPECT_EQ(TVLLScript::ReadEntity("&amp", pos, content), 9);
  EXPECT_EQ(pos, 1);
}

TEST(TVLLScriptHtmlTest, HtmlTagKindKnowsTheRecognisedNames) {
  for (const char* name : {"BR", "br", "P", "a", "Font", "span", "TABLE", "IMG", "STYLE", "BODY",
                           "COMMENT", "TBODY", "META", "SCRIPT", "AREA", "FORM"}) {
    EXPECT_NE(TVLLScript::HtmlTagKind(name), 0) << name;
  }
  for (const char* name : {"", "B", "I", "EM", "H1", "FORMS", "BR ", "/BR", "UL", "LI"}) {
    EXPECT_EQ(TVLLScript::HtmlTagKind(name), 0) << name;
  }
}

TEST(TVLLScriptHtmlTest, HtmlToTextDropsRecognisedMarkupAndDecodesEntities) {
  const Conversion cases[] = {
      {"Tom &amp; Jerry", "Tom & Jerry"},
      {"&foo; bar", "&foo; bar"},      // unknown entity kept as written
      {"Tom & Jerry", "Tom & Jerry"},  // no ";" after the ampersand
      {"a &AMP; b", "a &AMP; b"},      {"&;", "&;"},
      {"&#;x", "&#;x"},                {"&#x;", "&#x;"},
      {"&Auml;pfel &nbsp;x", "\xC4pfel  x"},
      {"&#65;&#x42;&#1000;", "ABd"},   {"line<BR>next", "linenext"},
      {"<p>para</P>", "para"},         {"a<!-- note -->b", "ab"},
      {"<B>bold</B>", "<B>bold</B>"},  // B is not a recognised name
      {"< br/>x</ td>", "x"},          {"<font color=\"red\">x</font>", "x"},
      {"<!x>", "<!x>"},                {"<>", "<>"},
      {"a < b", "a < b"},              {"a <b", "a <b"},
      {"\\<BR>", "\\<BR>"},            // an escaped "<" is no markup
      {"\\&amp;", "\\&amp;"},          {"end\\", "end\\"},
      {"\xE6\xF8\xE5", "\xE6\xF8\xE5"},
  };
  for (const Conversion& c : cases) EXPECT_EQ(TVLLScript::HtmlToText(c.in), c.out) << c.in;
}

TEST(TVLLScriptHtmlTest, TextToHtmlEncodesButLetsMarkupAndEntitiesThrough) {
  const Conversion cases[] = {
      {"line<BR>next", "line<BR>next"}, {"<br/>", "<br/>"},
      {"</B>", "</B>"},                 // any closing tag
      {"<B>bold", "&lt;B&gt;bold"},
      {"< br>", "&lt; br&gt;"},         // letters are read from the first character
      {"<a href=\"x\">", "<a href=\"x\">"}, {"<!-- c -->", "<!-- c -->"},
      {"a < b", "a &lt; b"},            {"<>", "&lt;&gt;"},
      {"say \"hi\"", "say &quot;hi&quot;"}, {"&amp;", "&amp;"},
      {"&nbsp;&Oslash;", "&nbsp;&Oslash;"}, {"&foo;", "&amp;foo;"},
      {"&#65;&#x41;", "&#65;&#x41;"},   {"&#xyz;", "&amp;#xyz;"},
      {"&AMP;", "&amp;AMP;"},           {"&;", "&amp;;"},
      {"\\<", "&lt;"},                  // the backslash goes
      {"\\n", "\\n"},                   // kept for the final unescape
      {"\\\"", "&quot;"},               {"\\&amp;", "&amp;amp;"},
      {"\\\xE6", "&aelig;"},            {"end\\", "end\\"},
      {"bl\xE5\xA0\xA9", "bl&aring;\xA0&copy;"},
  };
  for (const Conversion& c : cases) EXPECT_EQ(TVLLScript::TextToHtml(c.in), c.out) << c.in;
  // Plain text without markup or backslashes survives the round trip.
  for (const char* text : {"Tom & Jerry", "3 > 2 < 4", "\"quoted\"", "bl\xE5" "b\xE6r \xD8l",
                           "a&b;c"}) {
    EXPECT_EQ(TVLLScript::HtmlToText(TVLLScript::TextToHtml(text)), text) << text;
  }
}

}  // namespace
}  // namespace vellorax::vll2
