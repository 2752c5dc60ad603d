// The engine as a client uses it: Command and Execute only (plus, in the last
// suite, a look into the workspace to see how definition lines were stored).
#include <gtest/gtest.h>

#include "common/text_compare.h"
#include "vll2/vll2w.h"
#include "vll2/work_space.h"

namespace vellorax::vll2 {
namespace {

// A script (or call, record) and what the run writes.
struct Case {
  const char* input;
  const char* output;
};

class VLL2WTest : public ::testing::Test {
 protected:
  void SetUp() override { common::SetTextLocale("en_US"); }

  // Registers `script` as the script command "s" and runs it.
  std::string RunScript(const std::string& script) {
    EXPECT_EQ(engine_.Command("s", "script", script, "add"), "");
    return engine_.Execute("s", "", false);
  }

  TVLL2W engine_;
};

TEST_F(VLL2WTest, UnknownActionIsAResultAndLetterCaseIsIgnored) {
  EXPECT_EQ(engine_.Command("t", "tag", "", "remove"), "VLL2 command error: Unknown action remove");
  EXPECT_EQ(engine_.Command("t", "tag", "", "REMOVE"), "VLL2 command error: Unknown action remove");
  EXPECT_EQ(engine_.Command("t", "script", "\"x\"", ""), "VLL2 command error: Unknown action ");
  EXPECT_EQ(engine_.Execute("t", "", false), "");
  // Type and action ignore letter case.
  EXPECT_EQ(engine_.Command("t", "TAG", "245 {$a : $b}", "Add"), "");
  EXPECT_EQ(engine_.Command("c", "Constant", "k  v", "ADD"), "");
  EXPECT_EQ(RunScript("%c.k%"), " v");
}

TEST_F(VLL2WTest, FailingRunsGiveEmptyResultOrDebugMessage) {
  const Case cases[] = {
      {"abc", "VLL2 execute error: Error on parsing command:abc (TVLLScriptCommand: s)"},
      {"\"x\" else", "VLL2 execute error: Else without If (TVLLScriptCommand: s)"},
      {"if (x) \"1\"", "VLL2 execute error: if without endif (TVLLScriptCommand: s)"},
      {"%a.b", "VLL2 execute error: Missing ending % (ScriptCommand: s)"},
      {"\"x\" #nosuch()",
       "VLL2 execute error: Could not find the command: nosuch (TVLLBaseCommand.CallCommand: s)"},
      // A malformed condition records nothing.
      {"if (a == b) \"x\" endif", "VLL2 execute error:  (: )"},
  };
  for (const Case& c : cases) {
    engine_.SetDebug(false);
    EXPECT_EQ(RunScript(c.input), "") << c.input;
    engine_.SetDebug(true);
    EXPECT_EQ(RunScript(c.input), c.output) << c.input;
  }
  // Commands run by name: one unknown, one built-in without its parameters.
  const Case by_name[] = {
      {"nosuch", "VLL2 execute error: Command not found. (TVLLExecuteControl.Execute: nosuch)"},
      {"count", "VLL2 execute error: Mising parameters (vll2CountCommand: count)"},
  };
  for (const Case& c : by_name) {
    engine_.SetDebug(false);
    EXPECT_EQ(engine_.Execute(c.input, "*24510$aMain\n^", false), "") << c.input;
    engine_.SetDebug(true);
    EXPECT_EQ(engine_.Execute(c.input, "*24510$aMain\n^", false), c.output) << c.input;
  }
}

TEST_F(VLL2WTest, ConstantAndTableTexts) {
  ASSERT_EQ(engine_.Command("c", "constant", "yes  Ja  takk\r\nempty\r\nq \"two  words\" x\n", "add"),
            "");
  ASSERT_EQ(engine_.Command("t", "table", "k Norsk\rk2 Second\nk Replaced", "add"), "");
  const Case cases[] = {
      {"%c.yes%", " Ja takk"},
      {"\"[\" %c.empty% \"]\"", "[]"},
      {"%c.q%", " two  words x"},
      {"%t.k%", " Replaced"},
      {"%t.k2%", " Second"},
      {"%t.k2.eng%", " Second"},
      {"%yes%", " Ja takk"},  // the first group registered is the default
  };
  for (const Case& c : cases) EXPECT_EQ(RunScript(c.input), c.output) << c.input;
}

TEST_F(VLL2WTest, FailingConstantLineKeepsEarlierEntries) {
  const char* definition = "a Alpha\n\nb Beta";
  try {
    engine_.Command("c", "constant", definition, "add");
    FAIL() << "no failure raised";
  } catch (const EVLL2Error& e) {
    EXPECT_STREQ(e.what(), "VLL command error: List index out of bounds (0)");
  }
  EXPECT_EQ(RunScript("%c.a%"), " Alpha");
  EXPECT_EQ(RunScript("\"[\" %c.b% \"]\""), "[]");
  engine_.SetDebug(true);
  EXPECT_EQ(engine_.Command("d", "table", "  \t ", "add"),
            "VLL command error: List index out of bounds (0)");
}

TEST_F(VLL2WTest, RegistrationReplacesBuiltInWithoutRegardToCase) {
  ASSERT_EQ(engine_.Command("TXT", "script", "\"mine\"", "add"), "");
  EXPECT_EQ(engine_.Execute("txt", "", false), "mine");
  ASSERT_EQ(engine_.Command("Title", "script", "\"one\"", "add"), "");
  ASSERT_EQ(engine_.Command("TITLE", "script", "\"two\"", "add"), "");
  EXPECT_EQ(engine_.Execute("title", "", false), "two");
}

TEST_F(VLL2WTest, SelfCallingScriptsEndWithNestingError) {
  ASSERT_EQ(engine_.Command("a", "script", "\"a\" #b()", "add"), "");
  ASSERT_EQ(engine_.Command("b", "script", "#a()", "add"), "");
  EXPECT_EQ(engine_.Execute("a", "", false), "");
  engine_.SetDebug(true);
  const std::string message = engine_.Execute("a", "", false);
  EXPECT_EQ(message.rfind("VLL2 execute error: Nesting too deep", 0), 0u) << message;
}

// The worked example of registration and execution, with the record in
// engine record text.
TEST_F(VLL2WTest, TagRegistrationWorkedExample) {
  EXPECT_EQ(engine_.Command("t", "tag", "245 {$a : $b}", "add"), "");
  EXPECT_EQ(engine_.Command("title", "script", "#t(245)", "add"), "");
  const Case cases[] = {
      {"*1001 $aAuthor\n*24510$aMain$bSub\n^", "Main : Sub"},
      {"*1001 $aAuthor\n*24510$aMain\n^", "Main"},
      {"*1001 $aAuthor\n*650 0$aSubject\n^", ""},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(engine_.Execute("title", c.input, false), c.output);
  EXPECT_EQ(engine_.Execute("nosuch", cases[0].input, false), "");
}

// A comma before ")" gives an empty last parameter even with a blank between:
// the text-group command needs its three parameters.
TEST_F(VLL2WTest, TextGroupCommandKeepsEmptyLastParameter) {
  ASSERT_EQ(engine_.Command("lang", "constant", "nor Norsk", "add"), "");
  const Case cases[] = {
      {"#lang(, \"nor\", )", " Norsk"},
      {"#lang(, \"nor\",)", " Norsk"},
      {"\"a\" #lang(, xx, ) \"b\"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(RunScript(c.input), c.output) << c.input;
}

// How definition lines are stored, seen through the workspace.

TEST_F(VLL2WTest, TagLinesBecomeKeysAndSpecifications) {
  ASSERT_EQ(engine_.Command("t", "tag",
                            "245 x {$a}\r\n245 {$a}\n\ta b c {$b} \n  {$c}\r\n  no brace  \n&name {$d}",
                            "add"),
            "");
  const Case cases[] = {
      {"245:x", "{$a}"}, {"245:X", "{$a}"}, {"245", "{$a}"},
      {"a b c", "{$b}"}, {"", "no brace"},  {"&name", "{$d}"},
  };
  for (const Case& c : cases) EXPECT_EQ(engine_.WorkSpace().GetTagSpec(c.input), c.output) << c.input;
  EXPECT_NE(engine_.WorkSpace().FindCommand("T"), nullptr);
}

TEST_F(VLL2WTest, BuiltInCommandsInOrder) {
  const TVLLNamedObjectList& commands = engine_.WorkSpace().Commands();
  ASSERT_EQ(commands.Count(), 4);
  const char* names[] = {"txt", "select", "count", "script"};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(commands.Name(i), names[i]);
}

}  // namespace
}  // namespace vellorax::vll2

namespace vellorax::vll2 {
namespace {

// ExecuteView gives what Execute gives, run after run and mixed with it, for
// output, a failing status (with and without Debug) and a run that writes
// nothing.
TEST_F(VLL2WTest, ExecuteViewGivesWhatExecuteGives) {
  ASSERT_EQ(engine_.Command("t", "tag", "245 {$a : $b}", "add"), "");
  ASSERT_EQ(engine_.Command("ok", "script", "#t(245)", "add"), "");
  ASSERT_EQ(engine_.Command("long", "script", "#t(245)\"-\"#t(245)\"-\"#t(245)", "add"), "");
  ASSERT_EQ(engine_.Command("bad", "script", "abc", "add"), "");
  ASSERT_EQ(engine_.Command("none", "script", "#t(100)", "add"), "");
  const std::string record = "*24510$aMain\n$bSub title of some length\n^";
  const Case runs[] = {
      {"ok", "Main : Sub title of some length"},
      {"long",
       "Main : Sub title of some length-Main : Sub title of some length-Main : Sub title of some "
       "length"},
      {"none", ""},
      {"ok", "Main : Sub title of some length"},
      {"bad", ""},
      {"ok", "Main : Sub title of some length"},
  };
  for (const bool debug : {false, true}) {
    engine_.SetDebug(debug);
    for (const Case& run : runs) {
      const std::string expected =
          debug && std::string_view(run.input) == "bad"
              ? "VLL2 execute error: Error on parsing command:abc (TVLLScriptCommand: bad)"
              : run.output;
      EXPECT_EQ(engine_.Execute(run.input, record, false), expected) << run.input;
      EXPECT_EQ(engine_.ExecuteView(run.input, record, false), expected) << run.input;
    }
  }
  // A record in display lines is repaired first, as for Execute.
  engine_.SetDebug(false);
  EXPECT_EQ(engine_.ExecuteView("ok", "245 10 $a Main $b Sub", true), "Main : Sub");
  EXPECT_EQ(engine_.Execute("ok", "245 10 $a Main $b Sub", true), "Main : Sub");
}

}  // namespace
}  // namespace vellorax::vll2
