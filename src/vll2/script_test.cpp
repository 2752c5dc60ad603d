#include "vll2/script.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vll2/named_object_list.h"
#include "vll2/vll_common.h"

namespace vellorax::vll2 {
namespace {

using Params = std::vector<std::string>;
using S = TVLLScript;

TEST(TVLLScriptCursorTest, MovesWithinTheTextAndCollectsByClass) {
  TVLLScript ab("ab");
  EXPECT_EQ(ab.PeekNext(), 'b');
  EXPECT_EQ(ab.Next(), 'b');
  EXPECT_EQ(ab.Next(), '\0');
  EXPECT_EQ(ab.Next(), '\0');
  EXPECT_EQ(ab.Position(), 3);  // stops once past the end
  EXPECT_FALSE(ab.NotEnd());
  ab.SetPosition(4);  // outside the text: ignored
  EXPECT_EQ(ab.Position(), 3);
  ab.SetPosition(0);
  EXPECT_EQ(ab.Next(), 'a');
  EXPECT_EQ(TVLLScript("").Position(), 1);

  TVLLScript reader("  ab_1-c;d\tword x");
  EXPECT_TRUE(reader.SkipBlanks());
  EXPECT_EQ(reader.ReadLetters(), "ab");
  EXPECT_EQ(reader.ReadNameChars(), "_1-c");
  EXPECT_EQ(reader.ReadUntilBlank(), ";d");
  EXPECT_TRUE(reader.SkipBlanks());
  EXPECT_EQ(reader.ReadUntilBlank(), "word");
  EXPECT_FALSE(S::IsLetter('\xE6'));  // classes are ASCII only
}

// Operators prefer their two-character forms; logic words need the blank after them.
TEST(TVLLScriptTokenTest, ReadOperatorAndReadLogicWord) {
  struct Case { std::string text; int code, position_after; };
  const Case operators[] = {
      {"<=x", S::kOpLessEqual, 3}, {">=x", S::kOpGreaterEqual, 3}, {"==x", S::kOpEqual, 3},
      {"*=x", S::kOpStartsWith, 3}, {"#=x", S::kOpContains, 3}, {">x", S::kOpGreater, 2},
      {"<", S::kOpLess, 2}, {"=x", S::kOpNone, 1}, {"!=", S::kOpNone, 1}, {"*x", S::kOpNone, 1},
      {"", S::kOpNone, 1}};
  for (const Case& c : operators) {
    TVLLScript reader(c.text);
    EXPECT_EQ(reader.ReadOperator(), c.code) << c.text;
    EXPECT_EQ(reader.Position(), c.position_after) << c.text;
  }
  const Case words[] = {
      {"AND x", S::kLogicAnd, 5}, {"and x", S::kLogicAnd, 5}, {"Or x", S::kLogicOr, 4},
      {"NOT\tx", S::kLogicNot, 5}, {"AND", S::kLogicNone, 1}, {"ANDx", S::kLogicNone, 1},
      {"ORDER ", S::kLogicNone, 1}, {"NO ", S::kLogicNone, 1}};
  for (const Case& c : words) {
    TVLLScript reader(c.text);
    EXPECT_EQ(reader.ReadLogicWord(), c.code) << c.text;
    EXPECT_EQ(reader.Position(), c.position_after) << c.text;
  }
  int pos = 3;
  EXPECT_EQ(S::ReadLogicWordAt("x or y", pos), S::kLogicOr);
  EXPECT_EQ(pos, 6);
}

// `rest` is the text after the call, where the reader stands afterwards.
TEST(TVLLScriptParseCommandTest, ReadsCallsAndTheirParameters) {
  struct Case { std::string text; std::string name; Params params; std::string rest; };
  const Case cases[] = {
      {"lang()", "lang", {}, ""},
      {"  #my_cmd-2 ( a ) tail", "my_cmd-2", {"a "}, " tail"},
      {"#f(a,,b)", "f", {"a", "", "b"}, ""},
      {"#lang(,\"nor\",)", "lang", {"", "\"nor\"", ""}, ""},
      // Blanks between the last comma and ")" keep the empty last parameter.
      {"#lang(, \"nor\", )", "lang", {"", "\"nor\"", ""}, ""},
      {"#f(a,\t\n)", "f", {"a", ""}, ""}, {"#f( )", "f", {}, ""},
      {"#f('single')", "f", {"\"single\""}, ""}, {"#f(\"a,b)\")", "f", {"\"a,b)\""}, ""},
      {"#f('it\"s')", "f", {"\"it\"s\""}, ""},
      {"#f(\"a\\\")", "f", {"\"a\\\""}, ""},  // no escapes inside quotes
      {"#f(a\\,b\\)c)", "f", {"a,b)c"}, ""}, {"#f(x#y,z)", "f", {"x#y", "z"}, ""},
      {"#f(#g(1,2),3)", "f", {"#g(1,2)", "3"}, ""},
      {"#f( #g( (1 ), x)", "f", {"#g( (1 )", "x"}, ""},
  };
  for (const Case& c : cases) {
    TVLLScript reader(c.text);
    std::string name;
    Params params{"stale"};
    ASSERT_EQ(reader.ParseCommand(name, &params), 0) << c.text;
    EXPECT_EQ(reader.Text().substr(reader.Position() - 1), c.rest) << c.text;
    EXPECT_EQ(name, c.name) << c.text;
    EXPECT_EQ(params, c.params) << c.text;
  }
  // Failures leave the reader where it started.
  for (const char* bad : {"#f(#g)", "#f(#g(1)", "#f", "#f x()", "#1f()", "#", "", "#f(a,",
                          "#f(\"abc)", "#f(a\\"}) {
    TVLLScript reader(bad);
    std::string name;
    Params params;
    EXPECT_EQ(reader.ParseCommand(name, &params), 9) << bad;
    EXPECT_EQ(reader.Position(), 1) << bad;
  }
  TVLLScript skip("#f(a,b)x");  // without a parameter list the call is only skipped
  std::string name;
  EXPECT_EQ(skip.ParseCommand(name, nullptr), 0);
  EXPECT_EQ(name, "f");
  EXPECT_EQ(skip.Current(), 'x');
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
  EXPECT_EQ(params, Params{nested});
}

TEST(TVLLScriptParseTextCommandTest, ReadsOneTwoOrThreeNames) {
  struct Case { std::string text, group, key, language; int position_after; };
  // Outputs not named by the form keep the caller's "G", "K", "L".
  const Case cases[] = {
      {"key", "G", "key", "L", 4}, {"%key%", "G", "key", "L", 6},
      {"grp.key", "grp", "key", "L", 8},
      {"%grp.key.eng%", "grp", "key", "eng", 14},
      {"  %a-1._b% rest", "a-1", "_b", "L", 11}, {"Oslo, Norway", "G", "Oslo", "L", 5},
  };
  for (const Case& c : cases) {
    TVLLScript reader(c.text);
    std::string group = "G", key = "K", language = "L";
    EXPECT_EQ(reader.ParseTextCommand(group, key, language), 0) << c.text;
    EXPECT_EQ(group + "|" + key + "|" + language, c.group + "|" + c.key + "|" + c.language);
    EXPECT_EQ(reader.Position(), c.position_after) << c.text;
  }
  for (const char* bad : {"grp.key.eng", "%a.b.c.d%", "%key", "key%", "%%", "%grp.%", "grp.",
                          "%grp.key.%", ".key", "", "%"}) {
    TVLLScript reader(bad);
    std::string group = "G", key = "K", language = "L";
    EXPECT_EQ(reader.ParseTextCommand(group, key, language), 9) << bad;
    EXPECT_EQ(group + key + language, "GKL") << bad;
    EXPECT_EQ(reader.Position(), 1) << bad;
  }
}

TEST(TVLLScriptReadBracketedTest, ReadsBlocksOfEachKind) {
  struct Case { std::string text, kind_in; int status; std::string kind, content; };
  const Case cases[] = {
      {"{ a {b} c }x", "", 0, "{", "a {b} c "}, {"  (a(b)c)", "", 0, "(", "a(b)c"},
      {"[a[b]]", "", 0, "[", "a[b]"},
      {"(:pos=1 len=2:)", "", 0, "(:", "pos=1 len=2"},
      {"(: a (:b:) :)", "", 0, "(:", "a (:b:) "}, {"(: a (b) :)", "", 0, "(:", "a (b) "},
      {"(a (:b) )", "", 0, "(", "a (:b) "},  // "(:" is a plain "(" here
      {"{a (b} c)", "", 0, "{", "a (b"},     // other kinds do not nest
      {"{}", "", 0, "{", ""},      {"{a}", "{", 0, "{", "a"},   {"(a", "", 9, "(", ""},
      {"{a{b}", "", 9, "{", ""},   {"(:a)", "", 9, "(:", ""},   {"{a}", "(", 9, "(", ""},
      {"a{}", "", 9, "", ""},      {"   ", "", 9, "", ""},
      {std::string("{a\0b}", 5), "", 9, "{", ""},  // a NUL ends the block like the end
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
  TVLLScript reader("{a}::{b}");  // stops right after the closer
  std::string kind, content;
  ASSERT_EQ(reader.ReadBracketed(kind, content), 0);
  EXPECT_EQ(reader.Position(), 4);
}

TEST(TVLLScriptParseQuotedStringTest, ReadsQuotedTexts) {
  struct Case { std::string text; int status; std::string value; int position_after; };
  const Case cases[] = {
      {"\"abc\"x", 0, "abc", 6}, {"  'abc'", 0, "abc", 8},      {"'a\"b'", 0, "a\"b", 6},
      {"\"a\\\"b\"", 0, "a\"b", 7}, {"'a\\'b'", 0, "a'b", 7},   {"\"a\\nb\"", 0, "a\\nb", 7},
      {"\"a\\\\\"", 0, "a\\\\", 6}, {"\"\"", 0, "", 3},          {"\"abc", 9, "", 1},
      {"\"abc\\\"", 9, "", 1},      {"\"abc\\", 9, "", 1},       {"abc", 9, "", 1},
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
      {"a=1 a=2", 0, {{"a", "1"}, {"a", "2"}}}, {"a='open", 0, {{"a", "open"}}},
      {"a=1 b", 0, {{"a", "1"}}},  // one character left at the end
      {"", 0, {}}, {"a= ", 9, {}}, {"ab cd=1", 9, {}}, {"a=1 bc", 9, {{"a", "1"}}},
  };
  for (const Case& c : cases) {
    TVLLNamedObjectList list;
    int pos = 1;
    EXPECT_EQ(S::ReadAttributes(c.text, pos, list), c.status) << c.text;
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
  EXPECT_EQ(S::Unescape("a\\nb"), "a\r\nb");
  EXPECT_EQ(S::Unescape("a\\\\n"), "a\\n");
  EXPECT_EQ(S::Unescape("\\$a\\"), "$a\\");
  int pos = 1;
  EXPECT_TRUE(S::SkipBlanksIn(" \t\r\nx", pos));
  EXPECT_EQ(pos, 5);
  pos = 2;
  EXPECT_FALSE(S::SkipBlanksIn("x  ", pos));
  EXPECT_EQ(pos, 4);
  std::string letters;
  pos = 2;
  S::ReadLettersIn("1abC2", pos, letters);
  EXPECT_EQ(letters, "abC");
  EXPECT_EQ(pos, 5);
}

// Every reader on every prefix of realistic script texts, from every start:
// each returns a status and keeps the position within 0..Length()+1 (reads
// outside the text are caught by the sanitizer build; random bytes are the
// fuzzer's job).
TEST(TVLLScriptRobustnessTest, EveryReaderOnTruncatedInput) {
  for (const std::string whole : {
           "#if(#cnt(\"700\") > 1 AND %titles.many%){ #tag('700', \"x\\\"y\") }",
           "(: pos=1 len='2' :) [$a{$b}] (x(:y:)z) %g.k.nor% \\, \"a\\\"\" ",
           "<a href=\"x\">&amp;&#x41;&#;&Auml</a><!-- c -->\\<br>\\"}) {
    for (size_t n = 0; n <= whole.size(); ++n) {
      const std::string text = whole.substr(0, n);
      const int limit = static_cast<int>(n) + 1;
      for (int start = 0; start <= limit; ++start) {
        std::string a, b, c;
        Params params;
        TVLLScript reader(text);
        reader.SetPosition(start);
        for (const int status : {reader.ParseCommand(a, &params), reader.ParseTextCommand(a, b, c),
                                 reader.ParseQuotedString(a), reader.ReadBracketed(a, b)}) {
          EXPECT_TRUE(status == 0 || status == 9) << text;
        }
        reader.ReadOperator();
        reader.ReadLogicWord();
        while (reader.NotEnd()) {
          std::string kind;
          if (reader.ReadBracketed(kind, a) != 0) reader.Next();
          ASSERT_TRUE(reader.Position() >= 0 && reader.Position() <= limit) << text;
        }
        int pos = start;
        TVLLNamedObjectList list;
        S::ReadAttributes(text, pos, list);
        EXPECT_LE(pos, limit + 1) << text;
        pos = start;
        S::ReadTag(text, pos, a);
        S::ReadEntity(text, pos, a);
        S::ReadOperatorAt(text, pos);
      }
      S::HtmlToText(text);
      S::TextToHtml(text);
    }
  }
}

}  // namespace
}  // namespace vellorax::vll2
