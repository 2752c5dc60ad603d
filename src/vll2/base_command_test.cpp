// The command framework: parameter evaluation, text lookups, the seam rule of
// WriteText, calls by name and the nesting guard.
#include <functional>
#include <string>
#include <vector>

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
  using TVLLBaseCommand::CallSite;
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

  // Runs `body` in a probe over a fresh output holding `before`; returns the output.
  std::string Run(Probe::Body body, TVLLStatus expected = kStatusOk, const char* before = "") {
    context_.Output().Clear();
    context_.Output().Append(before);
    Probe probe("probe", std::move(body));
    EXPECT_EQ(probe.Execute(context_, nullptr), expected);
    return context_.Output().Text();
  }

  TVLLWorkSpace ws_;
  TVLLContext context_;
};

// Each syntax error is returned as status 9 and recorded with its message.
TEST_F(BaseCommandTest, EvalParameterForms) {
  ws_.AddCommand("say", std::make_unique<Probe>("say", [](Probe& p) {
                   p.WriteRaw("<" + p.Param(0) + ">");
                   return kStatusOk;
                 }));
  struct Case { const char* parameter; TVLLStatus status; const char *output, *message; };
  const Case cases[] = {
      {"", 0, "", ""}, {"%nosuch%", 0, "", ""}, {"%yes%", 0, " Ja", ""},
      {"%other.k%", 0, "other-k", ""}, {"%default.hello.eng%", 0, "Hello", ""},
      {"%default.hello.nor%", 0, "Hei", ""}, {"#say(x)", 0, "<x>", ""},
      {"\"quoted\"", 0, "quoted", ""}, {"'single'", 0, "single", ""},
      {"\"a\\nb\"", 0, "a\r\nb", ""},  // the quoted text is unescaped by WriteText
      {"plain", 6, "", ""},
      {"%a.b.c.d%", 9, "", "Syntax Error for ParseTextCommand"},
      {"#say(", 9, "", "Syntax Error for ParseCommand"},
      {"'open", 9, "", "Syntax Error for ParseQuotedString"},
  };
  for (const Case& c : cases) {
    context_.ClearError();
    TVLLStatus status = 255;
    const std::string output = Run([&](Probe& p) { return status = p.EvalParameter(c.parameter); },
                                   c.status);
    EXPECT_EQ(status, c.status) << c.parameter;
    EXPECT_EQ(output, c.output) << c.parameter;
    EXPECT_EQ(context_.ErrorMessage(), c.message) << c.parameter;
    if (c.status == 9) {
      EXPECT_EQ(context_.ErrorCode(), kStatusSyntax);
      EXPECT_EQ(context_.ErrorWhere(), "vll2BaseCommand.EvalParameter");
      EXPECT_EQ(context_.ErrorDetail(), c.parameter);
    }
  }
  // An unknown call is recorded but not passed on.
  context_.ClearError();
  EXPECT_EQ(Run([](Probe& p) { return p.EvalParameter("#nosuch()"); }), "");
  EXPECT_EQ(context_.ErrorCode(), kStatusNotFound);
  EXPECT_EQ(context_.ErrorWhere(), "TVLLBaseCommand.CallCommand");
  EXPECT_EQ(context_.ErrorMessage(), "Could not find the command: nosuch");
  EXPECT_EQ(context_.ErrorDetail(), "probe");
}

TEST_F(BaseCommandTest, WriteParameterReplacesLeadingKeyOfDefaultGroup) {
  const std::pair<const char*, const char*> cases[] = {
      {"yes", " Ja"},        {"yes please", " Ja"},      {"YES", " Ja"},
      {"nosuch", "nosuch"},  {"Oslo, Norway", "Oslo, Norway"}, {"other.k", "other-k"},
      {"hello", "Hello"},  // two languages, none asked: "mul" missing, "eng" next
      {"-x", "-x"},          {"", ""},
  };
  for (const auto& [parameter, expected] : cases) {
    EXPECT_EQ(Run([&](Probe& p) { return p.WriteParameter(parameter); }), expected) << parameter;
  }
}

// The asked language, else the context's, else the workspace's.
TEST_F(BaseCommandTest, GetGroupTextLanguagePrecedence) {
  struct Case {
    const char *context, *workspace, *group, *key, *asked;
    TVLLStatus status;
    const char* text;
  };
  const Case cases[] = {
      {"", "", "", "hello", "", kStatusOk, "Hello"},  // none: "mul" missing, "eng" next
      {"", "", "", "hello", "nor", kStatusOk, "Hei"},
      {"", "", "nosuch", "hello", "", kStatusNotFound, ""},
      {"", "", "", "missing", "", kStatusNotFound, ""},
      {"nor", "", "DEFAULT", "hello", "", kStatusOk, "Hei"},
      {"nor", "", "", "hello", "eng", kStatusOk, "Hello"},
      {"", "nor", "", "hello", "", kStatusOk, "Hei"},
  };
  for (const Case& c : cases) {
    context_.SetLanguage(c.context);
    ws_.SetLanguage(c.workspace);
    std::string text;
    Run([&](Probe& p) {
      EXPECT_EQ(p.GetGroupText(c.group, c.key, c.asked, text), c.status) << c.key << c.asked;
      return kStatusOk;
    });
    EXPECT_EQ(text, c.text) << c.context << "/" << c.workspace << "/" << c.asked;
  }
}

// One command asks for the same texts again and again and keeps what it
// found; every answer must still follow each change made in between: the
// languages, the group's entries, a group registered anew.
TEST_F(BaseCommandTest, GroupTextFollowsEveryChange) {
  struct Step {
    std::function<void()> change;
    const char *group, *key, *asked;
    const char* text;  // null: none found
  };
  TVLLTextGroup* other = ws_.FindTextGroup("other");
  const Step steps[] = {
      {[] {}, "", "hello", "", "Hello"},
      {[] {}, "", "hello", "", "Hello"},
      {[&] { context_.SetLanguage("nor"); }, "", "hello", "", "Hei"},
      {[&] { context_.SetLanguage(""); }, "", "hello", "", "Hello"},
      {[&] { ws_.SetLanguage("nor"); }, "", "hello", "", "Hei"},
      {[&] { ws_.SetLanguage(""); }, "", "hello", "nor", "Hei"},
      {[] {}, "other", "k", "", "other-k"},
      {[&] { other->AddText("k", "changed"); }, "other", "k", "", "changed"},
      {[] {}, "other", "new", "", nullptr},
      {[&] { other->AddText("new", "added"); }, "other", "new", "", "added"},
      {[&] { other->AddName("new"); }, "other", "new", "", nullptr},
      {[&] {
         auto group = std::make_unique<TVLLTextGroup>();
         group->AddText("k", "replaced");
         ws_.AddTextGroup("other", std::move(group));
       },
       "other", "k", "", "replaced"},
      {[] {}, "nosuch", "k", "", nullptr},
      {[&] {
         auto group = std::make_unique<TVLLTextGroup>();
         group->AddText("k", "registered");
         ws_.AddTextGroup("nosuch", std::move(group));
       },
       "nosuch", "k", "", "registered"},
  };
  Run([&](Probe& p) {
    for (const Step& step : steps) {
      step.change();
      const std::string* text = p.GroupText(step.group, step.key, step.asked);
      if (step.text == nullptr) {
        EXPECT_EQ(text, nullptr) << step.group << "." << step.key;
      } else if (text == nullptr) {
        ADD_FAILURE() << step.group << "." << step.key << " not found";
      } else {
        EXPECT_EQ(*text, step.text) << step.group << "." << step.key;
      }
    }
    return kStatusOk;
  });
}

// Leading characters of the text equal to the output's last one are dropped,
// except a last blank; the text is then unescaped. WriteRaw writes as is.
TEST_F(BaseCommandTest, WriteTextSeamRule) {
  struct Case { const char* before; const char* text; const char* after; };
  const Case cases[] = {
      {"Main.", ". Oslo", "Main. Oslo"}, {"x", "x", "xx"},
      {"a\r\n", "\r\nabc", "a\r\nabc"},  {"a\n", "\r\n\r\nabc", "a\nabc"},
      {"", "a\\nb", "a\r\nb"},           {"a", "", "a"},
      {"a ", "  b", "a b"},              {"a ", "   ", "a  "},  // the last blank is always kept
      {"-", "---", "--"},                {"a", "\\\\b", "a\\b"},
      {"a.", ".\\\\n", "a.\r\n"},  // dropping "." leaves "\\n", unescaped again into CR LF
      {"", "trailing\\", "trailing\\"},  {"x", "y", "xy"},
  };
  for (const Case& c : cases) {
    const auto write = [&](Probe& p) { return p.WriteText(c.text), kStatusOk; };
    EXPECT_EQ(Run(write, kStatusOk, c.before), c.after) << c.before << "|" << c.text;
  }
  const auto long_run = [](Probe& p) { return p.WriteText(std::string(200000, '.') + "x"), 0; };
  EXPECT_EQ(Run(long_run, kStatusOk, "."), ".x");  // linear, not one pass per character
  const auto raw = [](Probe& p) { return p.WriteRaw("a\\nb"), p.WriteRaw("b"), kStatusOk; };
  EXPECT_EQ(Run(raw), "a\\nbb");
}

// A "#name(...)" parameter is read once per text and kept by the evaluating
// command, which makes the call a fixed call site: the same site for the same
// text, another for another, with the same answers as a fresh reading.
TEST_F(BaseCommandTest, ParameterCallsAreKeptByTheirText) {
  // The site of each call, and whether it was a fixed one, noted during the
  // call: a site goes with the text the command forgets.
  std::vector<const TVLLCommandCache*> sites;
  std::vector<bool> fixed;
  ws_.AddCommand("say", std::make_unique<Probe>("say", [&sites, &fixed](Probe& p) {
                   sites.push_back(p.CallSite());
                   fixed.push_back(p.CallSite() != nullptr && p.CallSite()->fixed_parameters);
                   p.WriteRaw("<" + p.Param(0) + ">");
                   return kStatusOk;
                 }));
  // More texts than the command keeps, then the first ones again.
  std::vector<std::string> texts;
  for (int i = 0; i < 12; ++i) texts.push_back("#say(" + std::to_string(i) + ")");
  for (int i = 0; i < 3; ++i) texts.push_back(texts[static_cast<size_t>(i)]);
  const std::string output = Run([&](Probe& p) {
    for (const std::string& text : texts) EXPECT_EQ(p.EvalParameter(text), kStatusOk) << text;
    EXPECT_EQ(p.EvalParameter("#say(a)"), kStatusOk);
    EXPECT_EQ(p.EvalParameter("#say(a)"), kStatusOk);
    EXPECT_EQ(p.EvalParameter(" #say(b)"), kStatusNotFound);  // no special form
    return kStatusOk;
  });
  EXPECT_EQ(output, "<0><1><2><3><4><5><6><7><8><9><10><11><0><1><2><a><a>");
  ASSERT_EQ(sites.size(), texts.size() + 2);
  for (size_t i = 0; i < sites.size(); ++i) EXPECT_TRUE(fixed[i]) << i;
  EXPECT_EQ(sites[sites.size() - 1], sites[sites.size() - 2]);  // one text, one site
  EXPECT_NE(sites[0], sites[1]);

  // A text that does not read fails, and is recorded, on every evaluation.
  Run([&](Probe& p) {
    for (int i = 0; i < 2; ++i) {
      context_.ClearError();
      EXPECT_EQ(p.EvalParameter("#say("), kStatusSyntax);
      EXPECT_EQ(context_.ErrorMessage(), "Syntax Error for ParseCommand");
      EXPECT_EQ(context_.ErrorDetail(), "#say(");
    }
    return kStatusOk;
  });
}

TEST_F(BaseCommandTest, CallCommandRunsCloneWithParameters) {
  int runs = 0;
  ws_.AddCommand("Echo", std::make_unique<Probe>("Echo", [&runs](Probe& p) {
                   ++runs;
                   for (int i = 0; i < p.ParamCount(); ++i) p.WriteRaw("[" + p.Param(i) + "]");
                   return static_cast<TVLLStatus>(p.ParamCount());
                 }));
  TVLLParams params = {"a", "", "c"};
  const std::string output = Run([&](Probe& p) {
    EXPECT_EQ(p.CallCommand("ECHO", &params), 3);
    EXPECT_EQ(p.CallCommand("echo", nullptr), 0);
    return kStatusOk;
  });
  EXPECT_EQ(runs, 2);
  EXPECT_EQ(output, "[a][][c]");

  auto tag = std::make_shared<TVLLString>("script");  // a clone shares the attached text
  TVLLBaseCommand command("c", tag);
  auto clone = command.Clone();
  EXPECT_EQ(clone->Tag(), tag.get());
  clone.reset();
  EXPECT_EQ(static_cast<TVLLString*>(command.Tag())->Value(), "script");
}

// What a command keeps at a call site (TVLLCommandCache::data) was made under
// the registrations as they are now: CallCommand lets go of it when a
// registration here or in a parent workspace changes them, and Execute offers
// a site only while it is current and its parameters are fixed.
TEST_F(BaseCommandTest, ACallSiteIsOfferedOnlyWhileItsRegistrationsHold) {
  struct Kept : TVLLCallSiteData {};
  struct Seen {
    bool offered;
    bool kept;
  };
  std::vector<Seen> seen;
  TVLLWorkSpace child(&ws_);
  child.AddCommand("keep", std::make_unique<Probe>("keep", [&seen](Probe& p) {
                     TVLLCommandCache* site = p.CallSite();
                     seen.push_back({site != nullptr, site != nullptr && site->data != nullptr});
                     if (site != nullptr && !site->data) site->data = std::make_shared<Kept>();
                     return kStatusOk;
                   }));
  TVLLContext context;
  context.SetWorkSpace(&child);
  TVLLCommandCache site;
  site.fixed_parameters = true;
  TVLLCommandCache varying;  // parameters evaluated anew on every call
  Probe caller("caller", [&](Probe& p) {
    EXPECT_EQ(p.CallCommand("keep", nullptr, &site), kStatusOk);
    EXPECT_EQ(p.CallCommand("keep", nullptr, &varying), kStatusOk);
    return kStatusOk;
  });
  struct Step {
    const char* what;
    std::function<void()> change;
    bool kept;  // what the fixed site holds when the call comes
  };
  const Step steps[] = {
      {"first call", [] {}, false},
      {"unchanged", [] {}, true},
      {"text group in the parent", [&] { ws_.AddTextGroup("g", std::make_unique<TVLLTextGroup>()); },
       false},
      {"unchanged again", [] {}, true},
      {"tag spec in the child", [&] { child.AddTagSpec("245", "{$a}"); }, false},
      {"command in the parent", [&] { ws_.AddCommand("x", std::make_unique<Probe>("x", nullptr)); },
       false},
  };
  for (const Step& step : steps) {
    step.change();
    seen.clear();
    EXPECT_EQ(caller.Execute(context, nullptr), kStatusOk) << step.what;
    ASSERT_EQ(seen.size(), 2u) << step.what;
    EXPECT_TRUE(seen[0].offered) << step.what;
    EXPECT_EQ(seen[0].kept, step.kept) << step.what;
    EXPECT_FALSE(seen[1].offered) << step.what;
  }
  EXPECT_EQ(varying.command, child.FindCommand("keep"));  // found once, kept all the same

  // Straight runs with a site: offered while it is current, never once the
  // registrations changed (its data untouched), nor without a workspace.
  TVLLBaseCommand* keep = child.FindCommand("keep");
  auto run = [&](TVLLContext& in, TVLLCommandCache* at) {
    seen.clear();
    EXPECT_EQ(keep->Clone()->Execute(in, nullptr, at), kStatusOk);
    return seen.at(0);
  };
  EXPECT_TRUE(run(context, &site).offered);
  EXPECT_TRUE(run(context, &site).kept);
  child.AddTagSpec("100", "{$a}");
  EXPECT_FALSE(run(context, &site).offered);
  EXPECT_NE(site.data, nullptr);
  TVLLCommandCache fresh;
  fresh.fixed_parameters = true;
  EXPECT_FALSE(run(context, &fresh).offered);
  TVLLContext without;
  site.work_space = nullptr;
  EXPECT_FALSE(run(without, &site).offered);
}

TEST_F(BaseCommandTest, SelfCallingCommandStopsAtNestingLimit) {
  int calls = 0;
  ws_.AddCommand("loop", std::make_unique<Probe>("loop", [&calls](Probe& p) {
                   ++calls;
                   return p.CallCommand("loop", nullptr);
                 }));
  Run([](Probe& p) { return p.CallCommand("loop", nullptr); }, kStatusSyntax);
  EXPECT_EQ(context_.ErrorCode(), kStatusSyntax);
  EXPECT_EQ(context_.ErrorWhere(), "TVLLBaseCommand.Execute");
  EXPECT_EQ(context_.ErrorDetail(), "loop");
  EXPECT_EQ(context_.Depth(), 0);
  EXPECT_LT(calls, kMaxNestingDepth + 1);
}

}  // namespace
}  // namespace vellorax::vll2
