#include "vll2/script.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vll2/named_object_list.h"
#include "vll2/vll_common.h"

namespace vellorax::vll2 {
namespace {

using Params = std::vector<std::string>;

TEST(TVLLScriptCursorTest, EmptyTextStartsAtTheEnd) {
  TVLLScript reader("");
  EXPECT_EQ(reader.Current(), '\0');
  EXPECT_FALSE(reader.NotEnd());
  EXPECT_EQ(reader.Position(), 1);
  EXPECT_EQ(reader.Next(), '\0');
  EXPECT_EQ(reader.Position(), 1);
  EXPECT_FALSE(reader.SkipBlanks());
  EXPECT_EQ(reader.ReadUntilBlank(), "");
}

TEST(TVLLScriptCursorTest, NextStopsOncePastTheEnd) {
  TVLLScript reader("ab");
  EXPECT_EQ(reader.Position(), 1);
  EXPECT_EQ(reader.Current(), 'a');
  EXPECT_EQ(reader.PeekNext(), 'b');
  EXPECT_EQ(reader.Next(), 'b');
  EXPECT_EQ(reader.PeekNext(), '\0');
  EXPECT_EQ(reader.Next(), '\0');
  EXPECT_EQ(reader.Position(), 3);
  EXPECT_EQ(reader.Next(), '\0');
  EXPECT_EQ(reader.Position(), 3);
  EXPECT_FALSE(reader.NotEnd());
}

TEST(TVLLScriptCursorTest, SetPositionIgnoresPositionsOutsideTheText) {
  TVLLScript reader("abc");
  reader.SetPosition(3);
  EXPECT_EQ(reader.Current(), 'c');
  reader.SetPosition(4);
  EXPECT_EQ(reader.Position(), 3);
  reader.SetPosition(-1);
  EXPECT_EQ(reader.Position(), 3);
  reader.SetPosition(0);
  EXPECT_EQ(reader.Position(), 0);
  EXPECT_EQ(reader.Current(), '\0');
  EXPECT_EQ(reader.PeekNext(), 'a');
  EXPECT_EQ(reader.Next(), 'a');
}

TEST(TVLLScriptCursorTest, CollectorsStopAtTheirClassBoundary) {
  TVLLScript reader("  ab_1-c;d\tword x");
  EXPECT_TRUE(reader.SkipBlanks());
  EXPECT_EQ(reader.ReadLetters(), "ab");
  EXPECT_EQ(reader.ReadNameChars(), "_1-c");
  EXPECT_EQ(reader.ReadUntilBlank(), ";d");
  EXPECT_TRUE(reader.SkipBlanks());
  EXPECT_EQ(reader.ReadUntilBlank(), "word");
  EXPECT_TRUE(reader.SkipBlanks());
  EXPECT_EQ(reader.ReadUntilBlank(), "x");
  EXPECT_FALSE(reader.NotEnd());
}

TEST(TVLLScriptCursorTest, CharacterClassesAreAsciiOnly) {
  EXPECT_TRUE(TVLLScript::IsBlank('\r'));
  EXPECT_FALSE(TVLLScript::IsBlank('\f'));
  EXPECT_FALSE(TVLLScript::IsLetter('\xE6'));
  EXPECT_TRUE(TVLLScript::IsNameChar('-'));
  EXPECT_FALSE(TVLLScript::IsNameChar('.'));
  TVLLScript reader("7");
  EXPECT_TRUE(reader.IsDigit());
  EXPECT_FALSE(reader.IsLetter());
}

TEST(TVLLScriptTokenTest, ReadOperatorPrefersTwoCharacterForms) {
  struct Case {
    std::string text;
    int code, position_after;
  };
  const Case cases[] = {
      {"<=x", TVLLScript::kOpLessEqual, 3}, {">=x", TVLLScript::kOpGreaterEqual, 3},
      {"==x", TVLLScript::kOpEqual, 3},     {"*=x", TVLLScript::kOpStartsWith, 3},
      {"#=x", TVLLScript::kOpContains, 3},  {">x", TVLLScript::kOpGreater, 2},
      {"<x", TVLLScript::kOpLess, 2},       {"<", TVLLScript::kOpLess, 2},
      {"=x", TVLLScript::kOpNone, 1},       {"=", TVLLScript::kOpNone, 1},
      {"!=", TVLLScript::kOpNone, 1},       {"*x", TVLLScript::kOpNone, 1},
      {"", TVLLScript::kOpNone, 1},
  };
  for (const Case& c : cases) {
    TVLLScript reader(c.text);
    EXPECT_EQ(reader.ReadOperator(), c.code) << c.text;
    EXPECT_EQ(reader.Position(), c.position_after) << c.text;
  }
}

TEST(TVLLScriptTokenTest, ReadLogicWordNeedsTheFollowingBlank) {
  struct Case {
    std::string text;
    int code, position_after;
  };
  const Case cases[] = {
      {"AND x", TVLLScript::kLogicAnd, 5},   {"and x", TVLLScript::kLogicAnd, 5},
      {"Or x", TVLLScript::kLogicOr, 4},     {"NOT\tx", TVLLScript::kLogicNot, 5},
      {"AND", TVLLScript::kLogicNone, 1},    {"ANDx", TVLLScript::kLogicNone, 1},
      {"ORDER ", TVLLScript::kLogicNone, 1}, {"NO ", TVLLScript::kLogicNone, 1},
      {"", TVLLScript::kLogicNone, 1},
  };
  for (const Case& c : cases) {
    TVLLScript reader(c.text);
    EXPECT_EQ(reader.ReadLogicWord(), c.code) << c.text;
    EXPECT_EQ(reader.Position(), c.position_after) << c.text;
  }
  int pos = 3;
  EXPECT_EQ(TVLLScript::ReadLogicWordAt("x or y", pos), TVLLScript::kLogicOr);
  EXPECT_EQ(pos, 6);
}

// ParseCommand: one row per call text; `rest` is what the reader stands on
// afterwards (the text after the call on success, the whole text on failure).
TEST(TVLLScriptParseCommandTest, ReadsCallsAndTheirParameters) {
  struct Case {
    std::string text;
    int status;
    std::string name;
    Params params;
    std::string rest;
  };
  const Case cases[] = {
      {"#lang()", 0, "lang", {}, ""},
      {"lang()", 0, "lang", {}, ""},
      {"  #my_cmd-2 ( a ) tail", 0, "my_cmd-2", {"a "}, " tail"},
      {"#f(a,b)", 0, "f", {"a", "b"}, ""},
      {"#f( a , b )", 0, "f", {"a ", "b "}, ""},
      {"#f(,a)", 0, "f", {"", "a"}, ""},
      {"#f(a,)", 0, "f", {"a", ""}, ""},
      {"#f(a,,b)", 0, "f", {"a", "", "b"}, ""},
      {"#lang(,\"nor\",)", 0, "lang", {"", "\"nor\"", ""}, ""},
      // Blanks between the last comma and ")" keep the empty last parameter.
      {"#lang(, \"nor\", )", 0, "lang", {"", "\"nor\"", ""}, ""},
      {"#f(a,\t\n)", 0, "f", {"a", ""}, ""},
      {"#f( )", 0, "f", {}, ""},
      {"#f('single')", 0, "f", {"\"single\""}, ""},
      {"#f(\"a,b)\")", 0, "f", {"\"a,b)\""}, ""},
      {"#f('it\"s')", 0, "f", {"\"it\"s\""}, ""},
      {"#f(\"a\\\")", 0, "f", {"\"a\\\""}, ""},  // no escapes inside quotes
      {"#f(a\\,b\\)c)", 0, "f", {"a,b)c"}, ""},
      {"#f(x#y,z)", 0, "f", {"x#y", "z"}, ""},
      {"#f(#g(1,2),3)", 0, "f", {"#g(1,2)", "3"}, ""},
      {"#f( #g( (1 ), x)", 0, "f", {"#g( (1 )", "x"}, ""},
      {"#f(#g)", 9, "", {}, "#f(#g)"},
      {"#f(#g(1)", 9, "", {}, "#f(#g(1)"},
      {"#f", 9, "", {}, "#f"},
      {"#f x()", 9, "", {}, "#f x()"},
      {"#1f()", 9, "", {}, "#1f()"},
      {"#", 9, "", {}, "#"},
      {"", 9, "", {}, ""},
      {"#f(a", 9, "", {}, "#f(a"},
      {"#f(a,", 9, "", {}, "#f(a,"},
      {"#f(\"abc)", 9, "", {}, "#f(\"abc)"},
      {"#f(a\\", 9, "", {}, "#f(a\\"},
      {"#f(", 9, "", {}, "#f("},
  };
  for (const Case& c : cases) {
    TVLLScript reader(c.text);
    std::string name;
    Params params{"stale"};
    const int status = reader.ParseCommand(name, &params);
    ASSERT_EQ(status, c.status) << c.text;
    const std::string rest = reader.Text().substr(reader.Position() - 1);
    EXPECT_EQ(rest, c.rest) << c.text;
    if (status != 0) continue;
    EXPECT_EQ(name, c.name) << c.text;
    EXPECT_EQ(params, c.params) << c.text;
  }
}

TEST(TVLLScriptParseCommandTest, WithoutParameterListOnlySkipsTheCall) {
  TVLLScript reader("#f(a,b)x");
  std::string name;
  EXPECT_EQ(reader.ParseCommand(name, nullptr), 0);
  EXPECT_EQ(name, "f");
  EXPECT_EQ(reader.Current(), 'x');
}

TEST(TVLLScriptParseCommandTest, DeepNestingFailsInsteadOfOverflowing) {
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "#a(";
  TVLLScript reader(deep);
  std::string name;
  Params params;
  EXPECT_EQ(reader.ParseCommand(name, &params), 9);
  EXPECT_EQ(reader.Position(), 1);

  std::string nested = "#x()";
  for (int i = 0; i < 50; ++i) nested = "#a(" + nested + ")";
  TVLLScript ok_reader("#top(" + nested + ")");
  EXPECT_EQ(ok_reader.ParseCommand(name, &params), 0);
  EXPECT_EQ(name, "top");
  EXPECT_EQ(params, Params{nested});
}

TEST(TVLLScriptParseTextCommandTest, ReadsOneTwoOrThreeNames) {
  struct Case {
    std::string text;
    int status;
    std::string group, key, language;
    int position_after;
  };
  // Outputs not named by the form keep the caller's "G", "K", "L".
  const Case cases[] = {
      {"key", 0, "G", "key", "L", 4},
      {"%key%", 0, "G", "key", "L", 6},
      {"grp.key", 0, "grp", "key", "L", 8},
      {"%grp.key%", 0, "grp", "key", "L", 10},
      {"%grp.key.eng%", 0, "grp", "key", "eng", 14},
      {"  %a-1._b% rest", 0, "a-1", "_b", "L", 11},
      {"Oslo, Norway", 0, "G", "Oslo", "L", 5},
      {"grp.key.eng", 9, "G", "K", "L", 1},
      {"%a.b.c.d%", 9, "G", "K", "L", 1},
      {"%key", 9, "G", "K", "L", 1},
      {"key%", 9, "G", "K", "L", 1},
      {"%%", 9, "G", "K", "L", 1},
      {"%grp.%", 9, "G", "K", "L", 1},
      {"grp.", 9, "G", "K", "L", 1},
      {"%grp.key.%", 9, "G", "K", "L", 1},
      {".key", 9, "G", "K", "L", 1},
      {"", 9, "G", "K", "L", 1},
      {"%", 9, "G", "K", "L", 1},
  };
  for (const Case& c : cases) {
    TVLLScript reader(c.text);
    std::string group = "G", key = "K", language = "L";
    EXPECT_EQ(reader.ParseTextCommand(group, key, language), c.status) << c.text;
    EXPECT_EQ(group, c.group) << c.text;
    EXPECT_EQ(key, c.key) << c.text;
    EXPECT_EQ(language, c.language) << c.text;
    EXPECT_EQ(reader.Position(), c.position_after) << c.text;
  }
}

TEST(TVLLScriptReadBracketedTest, ReadsBlocksOfEachKind) {
  struct Case {
    std::string text, kind_in;
    int status;
    std::string kind, content;
  };
  const Case cases[] = {
      {"{ a {b} c }x", "", 0, "{", "a {b} c "},
      {"  (a(b)c)", "", 0, "(", "a(b)c"},
      {"[a[b]]", "", 0, "[", "a[b]"},
      {"(:pos=1 len=2:)", "", 0, "(:", "pos=1 len=2"},
      {"(: a (:b:) :)", "", 0, "(:", "a (:b:) "},
      {"(: a (b) :)", "", 0, "(:", "a (b) "},
      {"(a (:b) )", "", 0, "(", "a (:b) "},  // "(:" is a plain "(" here
      {"{a (b} c)", "", 0, "{", "a (b"},     // other kinds do not nest
      {"{}", "", 0, "{", ""},
      {"{a}", "{", 0, "{", "a"},
      {"(a", "", 9, "(", "a"},
      {"{a{b}", "", 9, "{", "a{b}"},
      {"(:a)", "", 9, "(:", "a)"},
      {"{a}", "(", 9, "(", ""},
      {"a{}", "", 9, "", ""},
      {"", "", 9, "", ""},
      {"   ", "", 9, "", ""},
  };
  for (const Case& c : cases) {
    TVLLScript reader(c.text);
    std::string kind = c.kind_in, content = "stale";
    EXPECT_EQ(reader.ReadBracketed(kind, content), c.status) << c.text;
    EXPECT_EQ(kind, c.kind) << c.text;
    if (c.status == 0) {
      EXPECT_EQ(content, c.content) << c.text;
    }
  }
}

TEST(TVLLScriptReadBracketedTest, ANulCharacterEndsTheBlockLikeTheEnd) {
  TVLLScript reader(std::string("{a\0b}", 5));
  std::string kind, content;
  EXPECT_EQ(reader.ReadBracketed(kind, content), 9);
}

TEST(TVLLScriptReadBracketedTest, StopsRightAfterTheCloser) {
  TVLLScript reader("{a}::{b}");
  std::string kind, content;
  ASSERT_EQ(reader.ReadBracketed(kind, content), 0);
  EXPECT_EQ(reader.Current(), ':');
  EXPECT_EQ(reader.Position(), 4);
}

TEST(TVLLScriptParseQuotedStringTest, ReadsQuotedTexts) {
  struct Case {
    std::string text;
    int status;
    std::string value;
    int position_after;
  };
  const Case cases[] = {
      {"\"abc\"x", 0, "abc", 6},
      {"  'abc'", 0, "abc", 8},
      {"'a\"b'", 0, "a\"b", 6},
      {"\"a\\\"b\"", 0, "a\"b", 7},
      {"'a\\'b'", 0, "a'b", 7},
      {"\"a\\nb\"", 0, "a\\nb", 7},
      {"\"a\\\\\"", 0, "a\\\\", 6},
      {"\"\"", 0, "", 3},
      {"\"abc", 9, "", 1},
      {"\"abc\\\"", 9, "", 1},
      {"\"abc\\", 9, "", 1},
      {"abc", 9, "", 1},
      {"", 9, "", 1},
  };
  for (const Case& c : cases) {
    TVLLScript reader(c.text);
    std::string value = "stale";
    EXPECT_EQ(reader.ParseQuotedString(value), c.status) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
    EXPECT_EQ(reader.Position(), c.position_after) << c.text;
  }
}

TEST(TVLLScriptClassTest, ReadAttributesAppendsPairs) {
  struct Case {
    std::string text;
    int status;
    std::vector<std::pair<std::string, std::string>> pairs;
  };
  const Case cases[] = {
      {"pos=1 len=2", 0, {{"pos", "1"}, {"len", "2"}}},
      {"  a = 'x y'  b=\"z\"", 0, {{"a", "x y"}, {"b", "z"}}},
      {"a=1 a=2", 0, {{"a", "1"}, {"a", "2"}}},
      {"a='open", 0, {{"a", "open"}}},
      {"a=1 b", 0, {{"a", "1"}}},  // one character left at the end
      {"", 0, {}},
      {"a=", 9, {}},
      {"a= ", 9, {}},
      {"ab cd=1", 9, {}},
      {"a=1 bc", 9, {{"a", "1"}}},
  };
  for (const Case& c : cases) {
    TVLLNamedObjectList list;
    int pos = 1;
    EXPECT_EQ(TVLLScript::ReadAttributes(c.text, pos, list), c.status) << c.text;
    ASSERT_EQ(list.Count(), static_cast<int>(c.pairs.size())) << c.text;
    for (int i = 0; i < list.Count(); ++i) {
      EXPECT_EQ(list.Name(i), c.pairs[i].first) << c.text;
      const auto* value = dynamic_cast<const TVLLString*>(list.Object(i));
      ASSERT_NE(value, nullptr);
      EXPECT_EQ(value->Value(), c.pairs[i].second) << c.text;
    }
  }
}

TEST(TVLLScriptClassTest, UnescapeAndPositionHelpers) {
  EXPECT_EQ(TVLLScript::Unescape("a\\nb"), "a\r\nb");
  EXPECT_EQ(TVLLScript::Unescape("a\\\\n"), "a\\n");
  EXPECT_EQ(TVLLScript::Unescape("\\$a\\"), "$a\\");
  EXPECT_EQ(TVLLScript::Unescape(""), "");

  int pos = 1;
  EXPECT_TRUE(TVLLScript::SkipBlanksIn(" \t\r\nx", pos));
  EXPECT_EQ(pos, 5);
  pos = 2;
  EXPECT_FALSE(TVLLScript::SkipBlanksIn("x  ", pos));
  EXPECT_EQ(pos, 4);
  std::string letters;
  pos = 2;
  TVLLScript::ReadLettersIn("1abC2", pos, letters);
  EXPECT_EQ(letters, "abC");
  EXPECT_EQ(pos, 5);
  pos = 9;
  TVLLScript::ReadLettersIn("abc", pos, letters);
  EXPECT_EQ(letters, "");
  EXPECT_EQ(pos, 9);
}

}  // namespace
}  // namespace vellorax::vll2

namespace vellorax::vll2 {
namespace {

// Every reader over every prefix of realistic script texts and over seeded
// random byte strings: each returns a status, keeps the position within
// 0..Length()+1 and (checked under the sanitizers) reads nothing outside
// the text.
TEST(TVLLScriptRobustnessTest, EveryReaderOnMalformedInput) {
  std::vector<std::string> texts;
  for (const std::string& whole : std::vector<std::string>{
           "#if(#cnt(\"700\") > 1 AND %titles.many%){ #tag('700', \"x\\\"y\") }",
           "(: pos=1 len='2' :) [$a{$b}] (x(:y:)z) %g.k.nor% \\, \"a\\\"\" ",
           "<a href=\"x\">&amp;&#x41;&#;&Auml</a><!-- c -->\\<br>\\"}) {
    for (size_t n = 0; n <= whole.size(); ++n) texts.push_back(whole.substr(0, n));
  }
  unsigned seed = 12345;
  const std::string alphabet = "#%(){}[]:,.'\"\\$&;<>=*!? aZ09_-\n\r\t\xE6";
  for (int i = 0; i < 2000; ++i) {
    std::string text;
    const int length = static_cast<int>(seed % 24);
    for (int j = 0; j < length; ++j) {
      seed = seed * 1103515245u + 12345u;
      text += alphabet[(seed >> 16) % alphabet.size()];
    }
    seed = seed * 1103515245u + 12345u;
    texts.push_back(text);
  }

  for (const std::string& text : texts) {
    const int limit = static_cast<int>(text.size()) + 1;
    auto in_range = [&](const TVLLScript& r) { return r.Position() >= 0 && r.Position() <= limit; };
    for (int start = 0; start <= limit; ++start) {
      std::string a, b, c;
      Params params;
      TVLLScript reader(text);
      reader.SetPosition(start);
      const int statuses[] = {reader.ParseCommand(a, &params), reader.ParseTextCommand(a, b, c),
                              reader.ParseQuotedString(a), reader.ReadBracketed(a, b)};
      for (const int status : statuses) EXPECT_TRUE(status == 0 || status == 9) << text;
      const int op = reader.ReadOperator();
      EXPECT_TRUE(op >= TVLLScript::kOpNone && op <= TVLLScript::kOpContains) << text;
      const int word = reader.ReadLogicWord();
      EXPECT_TRUE(word >= TVLLScript::kLogicNone && word <= TVLLScript::kLogicNot) << text;
      EXPECT_TRUE(in_range(reader)) << text;
      while (reader.NotEnd()) {
        std::string kind;
        if (reader.ReadBracketed(kind, a) != 0) reader.Next();
        EXPECT_TRUE(in_range(reader)) << text;
      }
      int pos = start;
      TVLLNamedObjectList list;
      TVLLScript::ReadAttributes(text, pos, list);
      EXPECT_LE(pos, limit + 1) << text;
      pos = start;
      TVLLScript::ReadTag(text, pos, a);
      TVLLScript::ReadEntity(text, pos, a);
      TVLLScript::ReadOperatorAt(text, pos);
      TVLLScript::ReadLogicWordAt(text, pos);
    }
    TVLLScript::HtmlToText(text);
    TVLLScript::TextToHtml(text);
    TVLLScript::Unescape(text);
  }
}

}  // namespace
}  // namespace vellorax::vll2
