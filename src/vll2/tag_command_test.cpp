// The tag command: parameter forms, modes, separators, before/after frames,
// the default specification, post-processing and the failure table.
#include "vll2/tag_command.h"

#include <gtest/gtest.h>

#include "vll2/tag_test_support.h"

namespace vellorax::vll2 {
namespace {

using testing::CallResult;

constexpr std::string_view kTwoTitles = "*24510$aMain$bSub\n*24500$aOther\n^";

class TagCommandTest : public testing::RecordCommandTest {};

// The worked example: «{$a : $b}» under "245" for "t", two 245 fields.
TEST_F(TagCommandTest, WorkedExample) {
  AddTag("t", {{"245", "{$a : $b}"}});
  const std::pair<const char*, const char*> rows[] = {
      {"#t(245)", "Main : Sub"},     {"#t([, 245, ])", "[Main : Sub]"},
      {"#t([, 245, R, ; , ])", "[Main : Sub; Other]"},
      {"#t([, 245, B, ; , ])", "[Other]"},
      {"#t(245_0)", ""},             {"#t([, 246, ])", ""},
  };
  for (const auto& [call, output] : rows) {
    CallResult r = Run(call, kTwoTitles);
    EXPECT_EQ(r.status, 0) << call;
    EXPECT_EQ(r.output, output) << call;
    EXPECT_EQ(r.error_code, 0) << call;
  }
}

TEST_F(TagCommandTest, DefaultSpecificationWritesAValuesElseBValues) {
  AddTag("t");
  CheckRows({{"#t(245)", 0, "a1"}}, "*24510$aa1\n^");
  CheckRows({{"#t(245)", 0, "a1 / a2"}}, "*24510$aa1$aa2\n^");
  CheckRows({{"#t(245)", 0, "a1 / a2a3"}}, "*24510$aa1$aa2$aa3\n^");  // " / " is written once
  CheckRows({{"#t(245)", 0, "b1 / b2"}}, "*24510$bb1$bb2\n^");
  CheckRows({{"#t(245)", 0, ""}}, "*24510$cc1\n^");
}

constexpr std::string_view kThreePersons =
    "*001  $a42\n*7001 $xno name here\n*7001 $aFirst, Anna\n*7001 $aSecond, Bo\n^";

TEST_F(TagCommandTest, ModesSelectFields) {
  AddTag("t");
  CheckRows({
                {"#t(, 700, 2, ; )", 0, "First, Anna; Second, Bo"},  // only fields that write count
                {"#t(, 700, 1, ; )", 0, "First, Anna"},
                {"#t(, 700, R, ; )", 0, "First, Anna; Second, Bo"},
                {"#t(, 700, B, ; )", 0, "First, Anna; Second, Bo"},  // the first writes nothing
                {"#t(, 700, S, ; )", 0, ""},
                {"#t(<, 700, X, ; , >)", 0, ""},
                {"#t(<, 700, r, ; , >)", 0, ""},  // modes are compared exactly
                {"#t(<, 700, 5x, ; , >)", 0, "<First, Anna; Second, Bo>"},
            },
            kThreePersons);
}

TEST_F(TagCommandTest, SeparatorOnlyBetweenFieldsThatWrite) {
  AddTag("t", {{"700", "{$a}"}});
  constexpr std::string_view record =
      "*7001 $aA1\n*7001 $xnothing\n*7001 $aA3\n*7001 $xnothing again\n^";
  EXPECT_EQ(Run("#t([, 700, R, \\, , ])", record).output, "[A1, A3]");
}

TEST_F(TagCommandTest, SpecificationsAndPatterns) {
  AddTag("t", {{"245", "{$a}"}, {"245:short", "{$b}"}});
  ws_.AddTagSpec("245", "{$a!}");  // the same key again: the second stands
  EXPECT_EQ(Run("#t(245)", kTwoTitles).output, "Main!");
  EXPECT_EQ(Run("#t(245:short)", kTwoTitles).output, "Sub");
  EXPECT_EQ(Run("#t(, 245, R, \\ | )", kTwoTitles).output, "Main! | Other!");
  // Six parameters carry the tag specification in the call.
  EXPECT_EQ(Run("#t(<, 245, {$b$a}, R, ; , >)", kTwoTitles).output, "<SubMain; Other>");
  // "script" is a tag command and finds the same specifications.
  EXPECT_EQ(Run("#script(245)", kTwoTitles).output, "Main!");
  // The pattern is the key too: "2451?" has no specification of its own.
  EXPECT_EQ(Run("#t(2451?)", kTwoTitles).output, "Main");
  EXPECT_EQ(Run("#t(24500)", kTwoTitles).output, "Other");
}

TEST_F(TagCommandTest, BeforeAndAfterAreParameters) {
  AddTag("t", {{"245", "{$a}"}});
  AddConstants("labels", {{"title", " Title:"}});
  // A plain frame whose first word is a key of the default group is replaced.
  EXPECT_EQ(Run("#t(title, 245, .)", kTwoTitles).output, " Title:Main.");
  EXPECT_EQ(Run("#t(\"title\", 245, \"!\")", kTwoTitles).output, "titleMain!");
  EXPECT_EQ(Run("#t(%labels.title%, 246, .)", kTwoTitles).output, "");
}

TEST_F(TagCommandTest, OutputIsDecodedOrEncodedForHtml) {
  AddTag("t", {{"245", "{$a}"}, {"260", "{$b}"}});
  constexpr std::string_view record = "*24510$aR&amp;D <notes>\n*260  $bFaber & Faber\n^";
  EXPECT_EQ(Run("#t(245)", record, false).output, "R&D <notes>");
  EXPECT_EQ(Run("#t(245)", record, true).output, "R&amp;D &lt;notes&gt;");
  EXPECT_EQ(Run("#t(260)", record, true).output, "Faber &amp; Faber");
  // Recognised markup passes in HTML mode and vanishes in text mode.
  ws_.AddTagSpec("245:br", "{$a<br>}");
  EXPECT_EQ(Run("#t(245:br)", "*24510$aLine\n^", true).output, "Line<br>");
  EXPECT_EQ(Run("#t(245:br)", "*24510$aLine\n^", false).output, "Line");
}

TEST_F(TagCommandTest, FailureTable) {
  AddTag("t");
  struct Row {
    const char* call;
    bool with_record;
    TVLLStatus status;
    const char* message;
    const char* output;
  };
  const Row rows[] = {
      {"#t()", true, 7, "Missing parameters:", ""},
      {"#t(a, b, c, d, e, f, g)", true, 7,
       "Missing parameters:a\r\nb\r\nc\r\nd\r\ne\r\nf\r\ng\r\n", ""},
      {"#t(x, , y)", true, 7, "Missing tagspec:x\r\n\r\ny\r\n", ""},
      {"#t(<, 245, >)", false, 7, "Missing Marcrecord:<\r\n245\r\n>\r\n", ""},
      // What the field wrote before the error stays.
      {"#t(, 245, {$a?}, S, , )", true, 9, "Error in script:$a?", "Main"},
  };
  for (const Row& row : rows) {
    CallResult r = Run(row.call, kTwoTitles, false, row.with_record);
    EXPECT_EQ(r.status, row.status) << row.call;
    EXPECT_EQ(r.error_code, row.status) << row.call;
    EXPECT_EQ(r.error_message, row.message) << row.call;
    EXPECT_EQ(r.error_detail, row.status == 9 ? "_Process" : "t") << row.call;
    EXPECT_EQ(r.output, row.output) << row.call;
  }
  EXPECT_EQ(Run("#t(x, , y)", kTwoTitles).error_where, "vllTagCommand._DoExecute");
  EXPECT_EQ(Run("#t(, 245, {$a?}, S, , )", kTwoTitles).error_where, "vll2TagCommand");
}

TEST_F(TagCommandTest, FailingFieldStopsTheWalkAndKeepsEarlierOutput) {
  // A field with $b runs a branch that holds a conditional without condition.
  AddTag("t", {{"245", "{$a?($b){?}}"}});
  CallResult r = Run("#t([, 245, R, ; , ])", "*24510$aOne\n*24510$aTwo$bB\n*24510$aThree\n^");
  EXPECT_EQ(r.status, 9);
  EXPECT_EQ(r.output, "[One; Two]");
  EXPECT_EQ(r.error_where, "vll2TagCommand");
  EXPECT_EQ(r.error_message, "Error in script:?");
}

TEST_F(TagCommandTest, AddTagRecordsTheSpecificationWhenNothingElseDid) {
  AddTag("t", {{"245", "{$a}{unclosed"}});
  CallResult r = Run("#t(245)", kTwoTitles);
  EXPECT_EQ(r.status, 9);
  EXPECT_EQ(r.error_where, "vllTagCommand._DoExecute._AddTag");
  EXPECT_EQ(r.error_message, "Error in script:{$a}{unclosed");
  EXPECT_EQ(r.error_detail, "t");
  EXPECT_EQ(r.output, "Main");  // the first block wrote before the second failed
}

TEST_F(TagCommandTest, SelfCallingSpecificationStopsAtTheNestingLimit) {
  AddTag("t", {{"245", "{$a#t(245)}"}, {"&loop", "{x&loop}"}, {"100", "{&loop}"}});
  for (const auto& [call, record] :
       {std::pair{"#t(245)", kTwoTitles}, std::pair{"#t(100)", std::string_view("*1001 $aName\n^")}}) {
    CallResult r = Run(call, record);
    EXPECT_EQ(r.status, 9) << call;
    EXPECT_EQ(r.error_code, 9) << call;
  }
}

}  // namespace
}  // namespace vellorax::vll2
