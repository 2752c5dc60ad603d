// The command framework: parameter evaluation, text lookups, the seam rule of
// WriteText, calls by name and the nesting guard.
#include <functional>

#include <gtest/gtest.h>

#include "common/text_compare.h"
#include "vll2/base_command.h"
#include "vll2/script_command.h"
#include "vll2/text_group.h"
#include "vll2/work_space.h"

namespace vellorax::vll2 {
namespace {

// Runs a test body inside Execute, where the framework operations work.
class Probe : public TVLLBaseCommand {
 public:
  using Body = std::function<TVLLStatus(Probe&)>;
  Probe(std::string name, Body body) : TVLLBaseCommand(std::move(name)), body_(std::move(body)) {}
  std::unique_ptr<TVLLBaseCommand> Clone() const override {
    return std::make_unique<Probe>(Name(), body_);
  }
  using TVLLBaseCommand::Output;
  using TVLLBaseCommand::Param;
  using TVLLBaseCommand::ParamCount;

 protected:
  TVLLStatus DoExecute() override { return body_ ? body_(*this) : kStatusOk; }

 private:
  Body body_;
};

class BaseCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    common::SetTextLocale("en_US");
    context_.SetWorkSpace(&ws_);
    auto group = std::make_unique<TVLLTextGroup>();
    group->AddText("yes", " Ja");
    int index = group->AddName("hello");
    group->SetLanguageText(index, "nor", "Hei");
    group->SetLanguageText(index, "eng", "Hello");
    ws_.AddTextGroup("default", std::move(group));
    auto other = std::make_unique<TVLLTextGroup>();
    other->AddText("k", "other-k");
    ws_.AddTextGroup("other", std::move(other));
  }

  // Runs `body` in a probe and returns the output.
  std::string Run(Probe::Body body, TVLLStatus expected = kStatusOk,
                  const TVLLParams* params = nullptr) {
    Probe probe("probe", std::move(body));
    EXPECT_EQ(probe.Execute(context_, params), expected);
    return context_.Output().Text();
  }

  // The output of WriteParameter(parameter) and its status.
  std::pair<std::string, TVLLStatus> Param(std::string parameter) {
    context_.Output().Clear();
    TVLLStatus status = 255;
    Run([&](Probe& p) {
      status = p.WriteParameter(parameter);
      return kStatusOk;
    });
    return {context_.Output().Text(), status};
  }

  TVLLWorkSpace ws_;
  TVLLContext context_;
};

TEST_F(BaseCommandTest, EvalParameterForms) {
  ws_.AddCommand("say", std::make_unique<Probe>("say", [](Probe& p) {
                   p.WriteRaw("<" + p.Param(0) + ">");
                   return kStatusOk;
                 }));
  struct Case {
    const char* parameter;
    TVLLStatus status;
    const char* output;
  };
  const Case cases[] = {
      {"", 0, ""},
      {"%nosuch%", 0, ""},
      {"%yes%", 0, " Ja"},
      {"%other.k%", 0, "other-k"},
      {"%default.hello.eng%", 0, "Hello"},
      {"%default.hello.nor%", 0, "Hei"},
      {"%a.b.c.d%", 9, ""},
      {"#say(x)", 0, "<x>"},
      {"#say(x", 9, ""},
      {"#nosuch()", 0, ""},
      {"\"quoted\"", 0, "quoted"},
      {"'single'", 0, "single"},
      {"\"a\\nb\"", 0, "a\\\nb"},
      {"\"open", 9, ""},
      {"plain", 6, ""},
  };
  for (const Case& c : cases) {
    context_.Output().Clear();
    context_.ClearError();
    TVLLStatus status = 255;
    Run([&](Probe& p) {
      status = p.EvalParameter(c.parameter);
      return kStatusOk;
    });
    EXPECT_EQ(status, c.status) << c.parameter;
    if (std::string(c.parameter) == "\"a\\nb\"") {
      // The quoted content a, backslash, n, b is unescaped by WriteText.
      EXPECT_EQ(context_.Output().Text(), "a\r\nb");
    } else {
      EXPECT_EQ(context_.Output().Text(), c.output) << c.parameter;
    }
  }
}

TEST_F(BaseCommandTest, SyntaxErrorsAreRecorded) {
  struct Case {
    const char* parameter;
    const char* message;
  };
  const Case cases[] = {
      {"%a.b.c.d%", "Syntax Error for ParseTextCommand"},
      {"#say(", "Syntax Error for ParseCommand"},
      {"'open", "Syntax Error for ParseQuotedString"},
  };
  for (const Case& c : cases) {
    context_.ClearError();
    Run([&](Probe& p) { return p.EvalParameter(c.parameter); }, kStatusSyntax);
    EXPECT_EQ(context_.ErrorCode(), kStatusSyntax);
    EXPECT_EQ(context_.ErrorWhere(), "vll2BaseCommand.EvalParameter");
    EXPECT_EQ(context_.ErrorMessage(), c.message);
    EXPECT_EQ(context_.ErrorDetail(), c.parameter);
  }
}

TEST_F(BaseCommandTest, UnknownCallIsRecordedButNotPassedOn) {
  Run([](Probe& p) { return p.EvalParameter("#nosuch()"); });
  EXPECT_EQ(context_.ErrorCode(), kStatusNotFound);
  EXPECT_EQ(context_.ErrorWhere(), "TVLLBaseCommand.CallCommand");
  EXPECT_EQ(context_.ErrorMessage(), "Could not find the command: nosuch");
  EXPECT_EQ(context_.ErrorDetail(), "probe");
}

TEST_F(BaseCommandTest, WriteParameterReplacesLeadingKeyOfDefaultGroup) {
  struct Case {
    const char* parameter;
    const char* output;
  };
  const Case cases[] = {
      {"yes", " Ja"},
      {"yes please", " Ja"},
      {"YES", " Ja"},
      {"nosuch", "nosuch"},
      {"Oslo, Norway", "Oslo, Norway"},
      {"other.k", "other-k"},
      {"hello", "Hello"},  // two languages, none asked: "mul" missing, "eng" next
      {"-x", "-x"},
      {"", ""},
  };
  for (const Case& c : cases) {
    auto [output, status] = Param(c.parameter);
    EXPECT_EQ(status, kStatusOk) << c.parameter;
    EXPECT_EQ(output, c.output) << c.parameter;
  }
}

TEST_F(BaseCommandTest, GetGroupTextLanguagePrecedence) {
  std::string text;
  Run([&](Probe& p) {
    EXPECT_EQ(p.GetGroupText("", "hello", "", text), kStatusOk);
    EXPECT_EQ(text, "Hello");
    EXPECT_EQ(p.GetGroupText("", "hello", "nor", text), kStatusOk);
    EXPECT_EQ(text, "Hei");
    EXPECT_EQ(p.GetGroupText("nosuch", "hello", "", text), kStatusNotFound);
    EXPECT_EQ(p.GetGroupText("", "missing", "", text), kStatusNotFound);
    EXPECT_EQ(text, "");
    return kStatusOk;
  });
  context_.SetLanguage("nor");
  Run([&](Probe& p) {
    EXPECT_EQ(p.GetGroupText("DEFAULT", "hello", "", text), kStatusOk);
    EXPECT_EQ(text, "Hei");
    EXPECT_EQ(p.GetGroupText("", "hello", "eng", text), kStatusOk);
    EXPECT_EQ(text, "Hello");
    return kStatusOk;
  });
  context_.SetLanguage("");
  ws_.SetLanguage("nor");
  Run([&](Probe& p) {
    EXPECT_EQ(p.GetGroupText("", "hello", "", text), kStatusOk);
    EXPECT_EQ(text, "Hei");
    return kStatusOk;
  });
}

TEST_F(BaseCommandTest, WriteTextSeamRule) {
  struct Case {
    const char* before;
    const char* text;
    const char* after;
  };
  const Case cases[] = {
      {"Main.", ". Oslo", "Main. Oslo"},
      {"x", "x", "xx"},
      {"a\r\n", "\r\nabc", "a\r\nabc"},
      {"a\n", "\r\n\r\nabc", "a\nabc"},
      {"", "a\\nb", "a\r\nb"},
      {"", "", ""},
      {"a", "", "a"},
      {"a ", "  b", "a b"},
      {"a ", "   ", "a  "},  // the last blank is always kept
      {"-", "---", "--"},
      {"a", "\\\\b", "a\\b"},
      // Dropping "." leaves "\\n", which is unescaped again into CR LF.
      {"a.", ".\\\\n", "a.\r\n"},
      {"", "trailing\\", "trailing\\"},
      {"x", "y", "xy"},
  };
  for (const Case& c : cases) {
    context_.Output().Clear();
    context_.Output().Append(c.before);
    Run([&](Probe& p) {
      p.WriteText(c.text);
      return kStatusOk;
    });
    EXPECT_EQ(context_.Output().Text(), c.after) << c.before << "|" << c.text;
  }
}

TEST_F(BaseCommandTest, WriteTextLongRunIsLinear) {
  context_.Output().Append(".");
  Run([&](Probe& p) {
    p.WriteText(std::string(200000, '.') + "x");
    return kStatusOk;
  });
  EXPECT_EQ(context_.Output().Text(), ".x");
}

TEST_F(BaseCommandTest, WriteRawKeepsEscapes) {
  Run([](Probe& p) {
    p.WriteRaw("a\\nb");
    p.WriteRaw("b");
    return kStatusOk;
  });
  EXPECT_EQ(context_.Output().Text(), "a\\nbb");
}

TEST_F(BaseCommandTest, CallCommandRunsCloneWithParameters) {
  int runs = 0;
  ws_.AddCommand("Echo", std::make_unique<Probe>("Echo", [&runs](Probe& p) {
                   ++runs;
                   for (int i = 0; i < p.ParamCount(); ++i) p.WriteRaw("[" + p.Param(i) + "]");
                   return static_cast<TVLLStatus>(p.ParamCount());
                 }));
  TVLLParams params = {"a", "", "c"};
  Run([&](Probe& p) {
    EXPECT_EQ(p.CallCommand("ECHO", &params), 3);
    EXPECT_EQ(p.CallCommand("echo", nullptr), 0);
    return kStatusOk;
  });
  EXPECT_EQ(runs, 2);
  EXPECT_EQ(context_.Output().Text(), "[a][][c]");
}

TEST_F(BaseCommandTest, ExecuteClearsRunFieldsAndCloneSharesTag) {
  auto tag = std::make_shared<TVLLString>("script");
  TVLLBaseCommand command("c", tag);
  auto clone = command.Clone();
  EXPECT_EQ(clone->Tag(), tag.get());
  EXPECT_EQ(clone->Name(), "c");
  clone.reset();
  EXPECT_EQ(static_cast<TVLLString*>(command.Tag())->Value(), "script");
}

TEST_F(BaseCommandTest, SelfCallingCommandStopsAtNestingLimit) {
  int deepest = 0;
  ws_.AddCommand("loop", std::make_unique<Probe>("loop", [&deepest](Probe& p) {
                   deepest = std::max(deepest, 1);
                   ++deepest;
                   return p.CallCommand("loop", nullptr);
                 }));
  Run([](Probe& p) { return p.CallCommand("loop", nullptr); }, kStatusSyntax);
  EXPECT_EQ(context_.ErrorCode(), kStatusSyntax);
  EXPECT_EQ(context_.ErrorWhere(), "TVLLBaseCommand.Execute");
  EXPECT_EQ(context_.ErrorDetail(), "loop");
  EXPECT_EQ(context_.Depth(), 0);
  EXPECT_LT(deepest, kMaxNestingDepth + 2);
}

}  // namespace
}  // namespace vellorax::vll2
