// Scripts: items, if blocks, conditions, and every recorded error.
#include <gtest/gtest.h>

#include "common/text_compare.h"
#include "vll2/execute_control.h"
#include "vll2/script_command.h"
#include "vll2/text_group.h"
#include "vll2/work_space.h"

namespace vellorax::vll2 {
namespace {

// Writes its parameters joined by "|" and returns the status named by its
// first parameter when that is a number ("#ret(7)").
class EchoCommand : public TVLLBaseCommand {
 public:
  using TVLLBaseCommand::TVLLBaseCommand;
  std::unique_ptr<TVLLBaseCommand> Clone() const override {
    return std::make_unique<EchoCommand>(Name());
  }

 protected:
  TVLLStatus DoExecute() override {
    if (Name() == "ret") return static_cast<TVLLStatus>(std::stoi(Param(0)));
    for (int i = 0; i < ParamCount(); ++i) WriteRaw((i ? "|" : "") + Param(i));
    return kStatusOk;
  }
};

struct ScriptCase {
  const char* script;
  TVLLStatus status;
  const char* output;
  const char* error;  // recorded message, "" for none
};

class ScriptCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    common::SetTextLocale("en_US");
    auto group = std::make_unique<TVLLTextGroup>();
    group->AddText("lang", " nor");
    group->AddText("empty", "");
    ws_.AddTextGroup("consts", std::move(group));
    ws_.AddCommand("echo", std::make_unique<EchoCommand>("echo"));
    ws_.AddCommand("ret", std::make_unique<EchoCommand>("ret"));
  }

  void AddScript(const std::string& name, const std::string& script) {
    ws_.AddCommand(name, std::make_unique<TVLLScriptCommand>(
                             name, std::make_shared<TVLLString>(script)));
  }

  TVLLStatus RunScript(const std::string& script) {
    AddScript("s", script);
    return RunNamed("s");
  }

  void Check(const ScriptCase& c) {
    EXPECT_EQ(RunScript(c.script), c.status) << c.script;
    EXPECT_EQ(context_->Output().Text(), c.output) << c.script;
    EXPECT_EQ(context_->ErrorMessage(), c.error) << c.script;
  }

  // Runs the registered command `name` in a fresh context.
  TVLLStatus RunNamed(const std::string& name) {
    context_ = std::make_unique<TVLLContext>();
    context_->SetWorkSpace(&ws_);
    TVLLExecuteControl control;
    return control.Execute(*context_, name, nullptr);
  }

  TVLLWorkSpace ws_;
  std::unique_ptr<TVLLContext> context_;
};

TEST_F(ScriptCommandTest, WorkedExamplesEdgeCasesAndKeywordErrors) {
  const ScriptCase cases[] = {
      {"if (%lang%==nor) \"Norsk\" else \"Other\" endif", 0, "Other", ""},
      {"if (%lang%#=nor) \"Norsk\" endif", 0, "Norsk", ""},
      {"\"a\" \"b\"", 0, "ab", ""},
      {"abc", 9, "", "Error on parsing command:abc"},
      {"if (FALSE) \"yes\" endif", 0, "", ""},
      {"ifnot (FALSE) \"yes\" endif", 0, "yes", ""},
      {"if (%missing%) \"yes\" endif", 0, "yes", ""},
      {"if (\"\") \"yes\" endif", 0, "yes", ""},
      {"if (a == b) \"yes\" endif", 9, "", ""},
      {"if (a==b) \"yes\" endif", 0, "", ""},
      {"if ((a==a)AND (b==b)) \"yes\" endif", 0, "yes", ""},
      {"if (a==aAND b==b) \"yes\" endif", 9, "", ""},
      {"if (x) \"1\" elseif (y) \"2\" else \"3\" endif", 0, "1", ""},
      {"if (FALSE) \"1\" elseif (y) \"2\" else \"3\" endif", 0, "2", ""},
      {"if (FALSE) \"1\" else ifnot (z) \"n\" endif \"3\" endif", 0, "3", ""},
      {"else", 9, "", "Else without If"},
      {"if (x) \"1\"", 9, "", "if without endif"},
      {"if (x) if (y) \"1\" endif \"2\" endif", 0, "12", ""},
      {"if (x) ifnot (y) \"1\" else \"3\" endif \"2\" endif", 0, "32", ""},
      {"if (FALSE) if (y) \"1\" endif else \"4\" endif", 0, "4", ""},
      {"If (x) \"1\" Endif", 9, "", "if without endif"},
      {"elseif (x) \"1\" endif", 9, "", "Else/Elseifnot without If"},
      {"ENDIF", 9, "", "Endif without If"},
      {"if (x) \"1\" endif endif", 9, "1", "Endif without If"},
      {"%lang", 9, "", "Missing ending %"},
      {"%a.b.c.d%", 9, "", "Missing ending %"},
      {"\"open", 9, "", "Missing ending quote"},
  };
  for (const ScriptCase& c : cases) Check(c);
}

TEST_F(ScriptCommandTest, ItemsAndCalls) {
  const ScriptCase cases[] = {
      {"", 0, "", ""},
      {"#echo(a, b)", 0, "a|b", ""},
      {"echo(a)\"!\"", 0, "a!", ""},
      {"#echo()", 0, "", ""},
      // A comma before ")" gives an empty last parameter, blanks or not.
      {"#echo(, \"nor\", )", 0, "|\"nor\"|", ""},
      {"#echo(a, )", 0, "a|", ""},
      {"#echo(,a)", 0, "|a", ""},
      {"#echo(\"q\", 'r')", 0, "\"q\"|\"r\"", ""},
      {"%lang%", 0, " nor", ""},
      {"%nosuch%\"x\"", 0, "x", ""},
      {"\"raw\\n\"", 0, "raw\\n", ""},
      {"#ret(6) \"after\"", 6, "", ""},
      {"#nosuch() \"after\"", 6, "", "Could not find the command: nosuch"},
      {"'single'", 9, "", "Error on parsing command:"},
      {"#echo(a", 9, "", "Error on parsing command:echo"},
      {"\"x\" 12", 9, "x", "Error on parsing command:"},
  };
  for (const ScriptCase& c : cases) Check(c);
}

TEST_F(ScriptCommandTest, NulByteIsNotAnItem) {
  EXPECT_EQ(RunScript(std::string("\"a\"\0\"b\"", 7)), kStatusSyntax);
  EXPECT_EQ(context_->Output().Text(), "a");
  EXPECT_EQ(context_->ErrorMessage(), "Error on parsing command:");
  // Skipping over a NUL byte inside a skipped branch ends, too.
  EXPECT_EQ(RunScript(std::string("if (FALSE) \0 \"x\" endif \"y\"", 26)), kStatusOk);
  EXPECT_EQ(context_->Output().Text(), "y");
}

TEST_F(ScriptCommandTest, Conditions) {
  const ScriptCase cases[] = {
      {"if (#echo(abc)==abc) \"y\" endif", 0, "y", ""},
      {"if (echo(abc)==ABC) \"y\" endif", 0, "y", ""},
      {"if (#ret(6)) \"y\" else \"n\" endif", 0, "y", ""},  // no operand: "()" is true
      {"if (x==\"x\") \"y\" endif", 0, "y", ""},
      {"if (b>a) \"y\" endif", 0, "y", ""},
      {"if (a>=b) \"y\" else \"n\" endif", 0, "n", ""},
      {"if (Oslo*=os) \"y\" endif", 0, "y", ""},
      {"if (x OR y) \"y\" endif", 9, "", ""},
      {"if (FALSEOR x) \"y\" endif", 9, "", ""},
      {"if (FALSE)OR (x) \"y\" endif", 0, "", ""},
      {"if ((FALSE)OR (x)) \"y\" endif", 0, "y", ""},
      {"if ((x)AND (FALSE)OR (y)) \"y\" endif", 0, "y", ""},
      {"if ((x)NOT (y)) \"y\" else \"n\" endif", 0, "n", ""},
      {"if (x", 9, "", ""},
      {"if x) \"y\" endif", 9, "", ""},
      {"if (x(y)) \"y\" endif", 0, "y", "Could not find the command: x"},
      {"if (a<b<c) \"y\" endif", 9, "", ""},
      {"if (==a) \"y\" endif", 9, "", ""},
      {"if (\"a\"\"b\"\"c\") \"y\" endif", 0, "", ""},
      {"if (%empty%==\"\") \"y\" endif", 9, "", ""},
  };
  for (const ScriptCase& c : cases) Check(c);
}

TEST_F(ScriptCommandTest, PrefixAndSuffixOnlyAroundOutput) {
  AddScript("inner", "if (%lang%#=nor) \"Norsk\" endif");
  AddScript("silent", "if (FALSE) \"x\" endif");
  const ScriptCase cases[] = {
      {"#inner([, ])", 0, "[Norsk]", ""},
      {"#silent([, ])", 0, "", ""},
      {"#inner([)", 0, "[Norsk", ""},
      {"#inner(\"<\", \">\")", 0, "<Norsk>", ""},
  };
  for (const ScriptCase& c : cases) Check(c);
}

TEST_F(ScriptCommandTest, MissingOrWrongTag) {
  ws_.AddCommand("notag", std::make_unique<TVLLScriptCommand>("notag"));
  ws_.AddCommand("badtag", std::make_unique<TVLLScriptCommand>(
                               "badtag", std::make_shared<TVLLNamedObjectList>()));
  struct Case {
    const char* name;
    const char* message;
  };
  for (const Case& c : {Case{"notag", "Tag is null."}, Case{"badtag", "Tag must be TVLLString"}}) {
    EXPECT_EQ(RunNamed(c.name), kStatusWrongParams);
    EXPECT_EQ(context_->ErrorWhere(), "TVLLScriptCommand.Execute");
    EXPECT_EQ(context_->ErrorMessage(), c.message);
    EXPECT_EQ(context_->ErrorDetail(), c.name);
  }
}

TEST_F(ScriptCommandTest, SelfCallingScriptEndsWithNestingError) {
  AddScript("loop", "\"x\" #loop()");
  EXPECT_EQ(RunNamed("loop"), kStatusSyntax);
  EXPECT_EQ(context_->ErrorCode(), kStatusSyntax);
  EXPECT_NE(context_->ErrorMessage().find("Nesting too deep"), std::string::npos);
  EXPECT_EQ(context_->Depth(), 0);
  EXPECT_LE(context_->Output().Length(), kMaxNestingDepth);
}

TEST_F(ScriptCommandTest, FanOutRecursionEndsPromptly) {
  // Every level calls itself three times: without ending the whole run at the
  // first overflow this would take 3^256 calls.
  AddScript("fan", "if (#fan()) \"x\" endif #fan() #fan()");
  EXPECT_EQ(RunNamed("fan"), kStatusSyntax);
  EXPECT_TRUE(context_->Aborted());
  EXPECT_NE(context_->ErrorMessage().find("Nesting too deep"), std::string::npos);
}

TEST_F(ScriptCommandTest, DeeplyNestedIfBlocksEndWithNestingError) {
  std::string script;
  for (int i = 0; i < 2000; ++i) script += "if (x) ";
  script += "\"deep\" ";
  for (int i = 0; i < 2000; ++i) script += "endif ";
  EXPECT_EQ(RunScript(script), kStatusSyntax);
  EXPECT_NE(context_->ErrorMessage().find("Nesting too deep"), std::string::npos);
}

TEST_F(ScriptCommandTest, ExecuteControlReportsUnknownCommand) {
  TVLLContext context;
  context.SetWorkSpace(&ws_);
  context.SetError(9, "old", "old", "old");
  TVLLExecuteControl control;
  EXPECT_EQ(control.Execute(context, "nosuch", nullptr), kStatusNotFound);
  EXPECT_EQ(context.ErrorWhere(), "TVLLExecuteControl.Execute");
  EXPECT_EQ(context.ErrorMessage(), "Command not found.");
  EXPECT_EQ(context.ErrorDetail(), "nosuch");
}

// A command that enters the control running it again, as a command calling
// back into its own engine would.
class ReenteringCommand : public TVLLBaseCommand {
 public:
  ReenteringCommand(std::string name, TVLLExecuteControl* control, TVLLStatus* inner)
      : TVLLBaseCommand(std::move(name)), control_(control), inner_(inner) {}
  std::unique_ptr<TVLLBaseCommand> Clone() const override {
    return std::make_unique<ReenteringCommand>(Name(), control_, inner_);
  }

 protected:
  TVLLStatus DoExecute() override {
    *inner_ = control_->Execute(Context(), Name(), nullptr);
    return kStatusOk;
  }

 private:
  TVLLExecuteControl* control_;
  TVLLStatus* inner_;
};

TEST_F(ScriptCommandTest, ExecuteControlIsNotEnteredTwice) {
  TVLLExecuteControl control;
  TVLLStatus inner = kStatusOk;
  ws_.AddCommand("again", std::make_unique<ReenteringCommand>("again", &control, &inner));
  TVLLContext context;
  context.SetWorkSpace(&ws_);
  EXPECT_EQ(control.Execute(context, "again", nullptr), kStatusOk);
  EXPECT_EQ(inner, kStatusBusy);
  // The run over, the control is free again; a failed lookup frees it too.
  inner = kStatusOk;
  EXPECT_EQ(control.Execute(context, "nosuch", nullptr), kStatusNotFound);
  EXPECT_EQ(control.Execute(context, "again", nullptr), kStatusOk);
  EXPECT_EQ(inner, kStatusBusy);
}

}  // namespace
}  // namespace vellorax::vll2
