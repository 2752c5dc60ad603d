// The tag specification language, one row per specification as written, run
// by a tag command over one field (and, for record references, the record).
#include <gtest/gtest.h>

#include "vll2/tag_test_support.h"

namespace vellorax::vll2 {
namespace {

using testing::CallResult;

constexpr std::string_view kTitleOnly = "*001  $a1\n*24510$aMain$bSub\n^";
constexpr std::string_view kWithAuthor = "*001  $a1\n*1001 $aAusten, Jane\n*24510$aMain$bSub\n^";

class TagSpecTest : public testing::RecordCommandTest {
 protected:
  // Formats the 245 field with `spec` (registered as the tag specification
  // "{" + spec + "}", the block every registered specification is).
  CallResult Format(std::string_view spec, std::string_view record = kTitleOnly,
                    bool html = false) {
    ws_.AddTagSpec("245", "{" + std::string(spec) + "}");
    return Run("#t(245)", record, html);
  }

  void SetUp() override { AddTag("t"); }
};

struct SpecRow {
  const char* spec;
  const char* output;
};

TEST_F(TagSpecTest, EdgeCasesOnMainAndSub) {
  const SpecRow rows[] = {
      {"$a : $b", "Main : Sub"},
      {"$a : $c", "Main"},
      {"$c : $b", "Sub"},  // the leading " : " is dropped by the first-write rule
      {"Title: $a", "Title: Main"},
      {"Title: $c $a", "Main"},
      {"$a ($b)", "Main (Sub)"},
      {"$a [$b]", "Main [Sub]"},
      {"?($b){has $b}::{no $b}", "has Sub"},
      {"?($c){has $c}::{no $c}", ""},  // "no " is pending text and goes with the missing $c
      {"?!($c){no c}", "no c"},
      {"?($a==\"main\"){yes}::{no}", "yes"},
      {"?($a == \"Mai\"){yes}::{no}", "no"},
      {"?($a*=\"MA\"){starts}", "starts"},
      {"?($a#=\"AI\"){contains}", "contains"},
      {"?($a<\"N\"){before}", "before"},
      {"?($c==NULL){empty}", "empty"},
      {"?($a!=\"Main\"){equal}", "equal"},  // "!=" is the unknown operator 0: equality
      {"$a(:pos=1 len=2:)", "Ma"},
      {"$a(:pos=2 len=10:)", "ain"},
      {"$a(:pos=x len=2:)", "Main"},
      {"\"x\" $c", "x"},
      {"&x", "?&&x?"},
      {"&amp;", "&"},
      {"$a&nosuch;", "Main?&&nosuch;?"},
      {"\\$a", "$a"},
      {"a\\\\nb", "a\r\nb"},
      {"a\\nb", "anb"},
      {"$a%nosuch%", "Main?%nosuch%?"},
      {"%nosuch%$a", "Main"},  // pending punctuation before the first value goes
      {"$a - #txt(, , )", "Main"},         // a call that writes nothing takes " - " back
      {"$a - #txt(<, $b, >)", "Main - <Sub>"},
      {"\"\"$a", "Main"},
      {"$a$ $b", "Main$ Sub"},
      {"{$a} : {$c}", "Main"},  // the pending text flows into the block and goes with $c
      {"{$a}{ : }", "Main: "},  // blanks after "{" are skipped; the rest is written at the end
      {"{$a}{\\ : }", "Main : "},
      {"$a [*100$a]", "Main"},
  };
  for (const SpecRow& row : rows) {
    CallResult r = Format(row.spec);
    EXPECT_EQ(r.status, 0) << row.spec;
    EXPECT_EQ(r.output, row.output) << row.spec;
  }
}

TEST_F(TagSpecTest, HtmlModeKeepsEntities) {
  EXPECT_EQ(Format("&amp;", kTitleOnly, true).output, "&amp;");
  EXPECT_EQ(Format("$a &eacute; $b", kTitleOnly, true).output, "Main &eacute; Sub");
  EXPECT_EQ(Format("$a &eacute; $b", kTitleOnly, false).output, "Main \xE9 Sub");
  EXPECT_EQ(Format("&x", kTitleOnly, true).output, "?&amp;&amp;x?");
}

TEST_F(TagSpecTest, RecordReferencesReadTheWholeRecord) {
  EXPECT_EQ(Format("$a [*100$a]", kWithAuthor).output, "Main [Austen, Jane]");
  EXPECT_EQ(Format("$a / *1001 $a", kWithAuthor).output, "Main / Austen, Jane");
  EXPECT_EQ(Format("*100$a(:pos=1 len=6:): $a", kWithAuthor).output, "Austen: Main");
  EXPECT_EQ(Format("$a?(*100$a){ / *100$a}", kTitleOnly).output, "Main");
  EXPECT_EQ(Format("$a?(*100$a){ / *100$a}", kWithAuthor).output, "Main/ Austen, Jane");
  EXPECT_EQ(Format("$a?(*100$a){\\ / *100$a}", kWithAuthor).output, "Main / Austen, Jane");
  // A reference that finds nothing leaves the pending text for the next value.
  EXPECT_EQ(Format("$a / *700$a$b", kWithAuthor).output, "Main / Sub");
}

TEST_F(TagSpecTest, RepeatedSubfieldReferences) {
  constexpr std::string_view three = "*24510$aA$aB$aC\n^";
  EXPECT_EQ(Format("$a / $a", three).output, "A / BC");
  EXPECT_EQ(Format("$a", three).output, "A");
  // A block resets the last code, so it starts again at the first $a.
  EXPECT_EQ(Format("$a{, $a}", three).output, "A, A");
  // A reference of another code in between also starts again.
  EXPECT_EQ(Format("$a$b$a", three).output, "AA");
}

// A level of literal texts and subfield references alone runs in a loop of
// its own; it must write what the general loop writes. A record reference
// that finds nothing ("*999$z") changes nothing but sends its level through
// the general loop, so each specification is run both ways, also over
// damaged records and fields.
TEST_F(TagSpecTest, PlainLevelsEqualTheGeneralLoop) {
  const char* const records[] = {
      "*24510$aA$aB$aC\n^",
      "*24510$aOne$bSub$aTwo\n$cEnd\n^",
      "*24510$a$b$c\n^",
      "*24510$aMain$",
      "*24510$aMain",
      "*24510",
      "*245",
      "*24510$a\\$b$$c\n^",
      "*24510 $a Lead $b&amp; <b>x</b>\n^",
      "*24510$aA\r\n$aB\r\n*24510$aC\n^",
      "*001  $a1\n*24510$a\xE9t\xE9$bB$4aut\n^",
  };
  const char* const specs[] = {
      "$a",
      "$a $a",
      "$a / $a",
      "$a$a$a",
      "$a $b $a $c",
      ", $a",
      "x$a",
      "$a.",
      "$c.",
      ". $c",
      "lit",
      "",
      "$b $a $b",
      "{$a} $a",
      "$a{, $a}",
      "$a {$b} $a",
      "$a \\$b $b",
      "$? $a",
      "$1$a $4",
      "{{$a $b}}",
      "$a, {$c}; $b",
      "$a$(:x:) $b",
      "$$a $b",
      "{$b} : {$c}",
      // Quoted texts written as they stand, also empty and with markup.
      "\"<b>\"$a\"</b>\"\\n",
      "$a\"\"$b",
      ", \"x\" $c",
      "$a \"&amp;\" $b $a",
      "$c\", \"$b",
  };
  auto general = [](std::string_view spec) {
    std::string out;
    for (char c : spec) {
      if (c == '}') out += "*999$z";
      out += c;
    }
    return out + "*999$z";
  };
  for (const bool html : {false, true}) {
    for (const char* record : records) {
      for (const char* spec : specs) {
        const CallResult plain = Format(spec, record, html);
        const CallResult loop = Format(general(spec), record, html);
        EXPECT_EQ(plain.output, loop.output) << spec << " over " << record;
        EXPECT_EQ(plain.status, loop.status) << spec << " over " << record;
      }
    }
  }
}

TEST_F(TagSpecTest, PlainLevelsOverRepeatedAndMissingSubfields) {
  constexpr std::string_view record = "*24510$aOne$bSub$aTwo$aThree\n^";
  const SpecRow rows[] = {
      {"$a", "One"},
      // The second "$a" goes on from the first: the pending text goes out
      // once, before the first further value.
      {"$a $a", "One TwoThree"},
      {"$a, $b", "One, Sub"},
      {", $a", "One"},  // punctuation before the field's first value goes
      {"x$a", "xOne"},  // a name character does not
      {"$a.", "One."},
      {"$c : $b", "Sub"},
      {"$b $a $a", "Sub One TwoThree"},
      {"$a{; $a}", "One; One"},     // the block starts again at the first $a
      {"{$a} $a", "One TwoThree"},  // the block's last code carries over
  };
  for (const SpecRow& row : rows) {
    const CallResult r = Format(row.spec, record);
    EXPECT_EQ(r.status, 0) << row.spec;
    EXPECT_EQ(r.output, row.output) << row.spec;
  }
}

TEST_F(TagSpecTest, NamedSpecifications) {
  ws_.AddTagSpec("&person", "{$a $b $d}");
  ws_.AddTagSpec("100", "{&person!}");
  EXPECT_EQ(Run("#t(100)", "*1001 $aAusten, Jane,$d1775-1817\n^").output,
            "Austen, Jane, 1775-1817!");
  // Pending text before a named specification is written as it stands.
  ws_.AddTagSpec("700", "{: &person}");
  EXPECT_EQ(Run("#t(700)", "*7001 $aTanner, Tony\n^").output, ": Tanner, Tony");
}

TEST_F(TagSpecTest, TextReferencesBehaveLikeLiteralText) {
  AddConstants("labels", {{"by", " by"}, {"and", " and "}});
  EXPECT_EQ(Format("$a%labels.by% $c").output, "Main");
  EXPECT_EQ(Format("$a%labels.and%$b").output, "Main and Sub");
  EXPECT_EQ(Format("$a\"%labels.by%\"").output, "Main by");
  EXPECT_EQ(Format("$a\"%nosuch%\"").output, "Main?%nosuch%?");
  EXPECT_EQ(Format("?(%labels.by%#=\"BY\"){yes}").output, "yes");
}

TEST_F(TagSpecTest, CallParametersAreEvaluatedAndTrimmed) {
  // The first group is the default one; were "lang" first, the plain key
  // "nor" would be replaced by its own text before the lookup.
  AddConstants("labels", {{"by", " by"}});
  AddConstants("lang", {{"nor", " Norsk"}, {"eng", " English"}});
  constexpr std::string_view record = "*04100$a nor \n*24510$aMain$bSub\n^";
  ws_.AddTagSpec("041", "{#lang(<, $a, >)}");
  EXPECT_EQ(Run("#t(041)", record).output, "< Norsk>");
  // A parameter that writes nothing stays as its own text.
  ws_.AddTagSpec("041", "{#txt(<, $x, >)}");
  EXPECT_EQ(Run("#t(041)", record).output, "<$x>");
  ws_.AddTagSpec("041", "{#txt(<, {$a}, >)}");
  EXPECT_EQ(Run("#t(041)", record).output, "<nor>");
  ws_.AddTagSpec("041", "{\"#txt([, $a, ])\"}");
  EXPECT_EQ(Run("#t(041)", record).output, "[nor]");
}

// A parameter that is one subfield reference is read straight from the
// navigator; it must give what the same reference run as a block gives,
// including where the walk through the field's subfields stands afterwards.
TEST_F(TagSpecTest, LoneSubfieldParametersEqualTheirBlocks) {
  constexpr std::string_view record = "*24510$a Main $aSecond$bSub\n$4aut\n^";
  const char* params[] = {"$a", "$b", "$4", "$?"};
  for (const char* param : params) {
    const std::string tail = ", >)|$a|$b|$a}";
    ws_.AddTagSpec("245", "{#txt(<, " + std::string(param) + tail);
    const CallResult lone = Run("#t(245)", record);
    ws_.AddTagSpec("245", "{#txt(<, {" + std::string(param) + "}" + tail);
    const CallResult block = Run("#t(245)", record);
    EXPECT_EQ(lone.output, block.output) << param;
    EXPECT_EQ(lone.status, block.status) << param;
    EXPECT_NE(lone.output.find('|'), std::string::npos) << param << ": " << lone.output;
  }
  // One that finds nothing stays as its own text, as a block would.
  ws_.AddTagSpec("245", "{#txt(<, $x, >)|$a}");
  EXPECT_EQ(Run("#t(245)", record).output, "<$x>| Main ");
}

// The parameter list of a call in a specification is kept for the next call
// at the same depth; every call must still see its own parameters, whatever
// the call before it left there.
TEST_F(TagSpecTest, KeptParameterListsFollowEveryCall) {
  const std::string spec = "#txt(<, $a, >)#txt([, $b, ])#txt(<<, $c, )";
  struct Case {
    const char* record;
    const char* output;
  };
  const Case cases[] = {
      {"*24510$aMain$bSub\n^", "<Main>[Sub]<<$c"},
      {"*24510$a  Longer title \x01$bS$cC\n^", "<Longer title>[S]<<C"},
      {"*24510$cC\n^", "<$a>[$b]<<C"},  // no value: the parameter's own text
      {"*24510$aMain$bSub\n^", "<Main>[Sub]<<$c"},
  };
  for (const Case& c : cases) {
    const CallResult r = Format(spec, c.record);
    EXPECT_EQ(r.status, 0) << c.record;
    EXPECT_EQ(r.output, c.output) << c.record;
  }
}

TEST_F(TagSpecTest, SyntaxErrorsRecordTheLevelText) {
  const char* specs[] = {
      "$a ?",         // conditional without condition
      "$a ?($b)",     // without a branch
      "?($b){x}::",   // "::" without a branch
      "?($a $b){x}",  // a second operand without operator reads as operator "$"
      "*24x$a",      "*245a", "*245$1", "\"open", "#(", "$a%a.b.c.d%",
  };
  for (const char* spec : specs) {
    CallResult r = Format(spec);
    EXPECT_EQ(r.status, 9) << spec;
    EXPECT_EQ(r.error_where, "vll2TagCommand") << spec;
    EXPECT_EQ(r.error_message, "Error in script:" + std::string(spec)) << spec;
    EXPECT_EQ(r.error_detail, "_Process") << spec;
  }
}

TEST_F(TagSpecTest, UnclosedBracketsAreNoSyntaxErrorOfTheirLevel) {
  // An unclosed group is consumed quietly.
  CallResult group = Format("$a (unclosed");
  EXPECT_EQ(group.status, 0);
  EXPECT_EQ(group.output, "Main");
  // An unclosed block gives 9 recorded by the field, not by the level.
  ws_.AddTagSpec("245", "{$a}{");
  CallResult block = Run("#t(245)", kTitleOnly);
  EXPECT_EQ(block.status, 9);
  EXPECT_EQ(block.error_where, "vllTagCommand._DoExecute._AddTag");
}

}  // namespace
}  // namespace vellorax::vll2
