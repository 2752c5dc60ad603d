// Calls whose parameters are the same texts on every run (a script's own
// calls, calls in a tag specification without a specification among their
// parameters, calls written as a parameter "#name(...)") keep what those
// decide at the call site: the tag command its frames, mode and
// specification, select a fixed call per alternative, count the patterns
// written as they stand. Those runs must equal the same call made straight on
// the command without a call site, which reads everything anew and keeps
// nothing, and must follow every change of the registrations, of a
// specification's text or of a text group at once.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "vll2/script_command.h"
#include "vll2/tag_test_support.h"

namespace vellorax::vll2 {
namespace {

constexpr std::string_view kRecord =
    "*001  $a42\n*24510$aMain\n$bSub\n*250  $a2nd ed. & more <rev>\n*500  $aA note\n$bbr\n*520  $aSummary\n"
    "*7001 $aFirst, Anna\n*7001 $aSecond, Bo\n^";

class CallSitePlanTest : public testing::RecordCommandTest {
 protected:
  CallSitePlanTest() {
    AddTag("t", {{"245", "{$a : $b}"},
                 {"700", "{$a}"},
                 {"2451", "{$a #count(|, 700, ) #count(, 7??, )}"},
                 {"250", R"({"<b>"$a"</b>"\\n(<i>$z</i>)[&nbsp;$a]})"},
                 // A "<" that meets its ">" only in the whole output.
                 {"500", R"({"<"$b">"$a})"},
                 // A literal taken back by a call that writes nothing.
                 {"520", R"({$a<hr>#select(, 999, )Xtail"&amp;"})"}});
    AddTag("tag");  // what select calls
    AddConstants("words", {{"etal", "et al."}, {"names", "7??"}});
  }

  // Runs `script` as a registered script command over kRecord; the command
  // is registered again only for another text, so that runs of one script
  // meet what its calls kept.
  std::string RunScript(std::string_view script, bool html = false) {
    if (script != registered_) {
      registered_ = script;
      ws_.AddCommand("s", std::make_unique<TVLLScriptCommand>(
                              "s", std::make_shared<TVLLString>(registered_)));
    }
    TVLLContext context;
    context.SetWorkSpace(&ws_);
    context.SetHtml(html);
    context.SetObject("marc", std::make_unique<TVLLString>(std::string(kRecord)));
    std::unique_ptr<TVLLBaseCommand> clone = ws_.FindCommand("s")->Clone();
    const TVLLStatus status = clone->Execute(context, nullptr);
    return std::to_string(status) + "|" + context.Output().Text();
  }

  // Runs the script `lead` and then `call` `times` times, made straight on
  // the command without a call site, so that every run reads its parameters
  // anew and keeps nothing; the output.
  std::string RunDirect(std::string_view lead, std::string_view call, int times, bool html) {
    TVLLContext context;
    context.SetWorkSpace(&ws_);
    context.SetHtml(html);
    context.SetObject("marc", std::make_unique<TVLLString>(std::string(kRecord)));
    TVLLScriptCommand script("lead", std::make_shared<TVLLString>(std::string(lead)));
    script.Execute(context, nullptr);
    TVLLScript reader(call);
    std::string name;
    TVLLParams params;
    EXPECT_EQ(reader.ParseCommand(name, &params), TVLLScript::kOk) << call;
    for (int i = 0; i < times; ++i) {
      TVLLBaseCommand* command = ws_.FindCommand(name);
      if (command == nullptr) return "no command " + name;
      command->Clone()->Execute(context, &params);
    }
    return context.Output().Text();
  }

 private:
  std::string registered_;
};

// Each call follows a text that ends in a line break, so that frames whose
// first character meets it go through the seam rule.
TEST_F(CallSitePlanTest, KeptCallsEqualCallsReadAnew) {
  // As a catalogue writes them: a script reads "\\n" as the parameter text
  // "\n", which becomes a line break when written, and "\\\\n" as "\\n".
  const char* const kCalls[] = {
      R"x(#t(<b>, 245, </b>))x",
      R"x(#t(\\n\\nB: , 245, \\n))x",
      R"x(#t(\\nB: , 245, R, \\n\\n, \\\\n))x",
      R"x(#t(\\n, 700, R, ; , \\n))x",
      R"x(#t(\\\\n, 700, 2, \\n, ))x",
      R"x(#t(\\n\\\\nx, 700, 2, \\n\\\\n, ))x",
      R"x(#t(etal, 700, R, etal, etal))x",
      R"x(#t(%words.etal%, 700, 1, ; , "!"))x",
      R"x(#t(, 700, B, ;\\n, ))x",
      R"x(#t([, 245, {$b}, S, , ]))x",
      R"x(#t(x, 246, y))x",
      R"x(#t(245_0))x",
      R"x(#select(\\n, 246, 245, 700, \\n))x",
      R"x(#select(, "x", 700, ))x",
      R"x(#select(\\n, 246, 700, ;))x",
      R"x(#select(<, 24500, 100, >))x",
      R"x(#count(<, 700, 245, 7??, 246, >))x",
      R"x(#count(, etal, 700, ))x",
      R"x(#count(, names, %words.names%, ))x",
      R"x(#count(, 700 x, "245", %words.etal%, ))x",
      R"x(#t(\\n, 2451, \\n))x",
      // Frames and field texts that the conversions after the run change.
      R"x(#t(<div><span class=label>Title: </span>, 245, </div>\\n))x",
      R"x(#t(<i>&amp;&lt;, 245, &gt;&x</i>))x",
      R"x(#t((& <, 245, >;))x",
      R"x(#t(<b>\\\\, 245, </b>))x",
      R"x(#t(<b>, 250, </b>))x",
      R"x(#t(<br>, 700, R, <br>&nbsp;, <p>))x",
      R"x(#t(<div>, 500, </div>))x",
      R"x(#t(<div>, 500, R, <hr>, \\n))x",
      R"x(#select(<div>, 246, 500, </div>))x",
      R"x(#t(<div>, 520, </div>))x",
      // After frames of a run converted before them: one whose first
      // character meets the run's last (plain, escaped), one that converts,
      // one whose markup does not close, and a run that needs no conversion.
      R"x(#t(<b>, 700, R, ; , oo))x",
      R"x(#t(<b>, 700, R, ; , o\\n))x",
      R"x(#t(<b>, 700, R, ; , &lt;o&gt;))x",
      R"x(#t(<b>, 245, <x))x",
      R"x(#t(a, 700, R, ; , b))x",
      R"x(#t(<b>, 700, R, <br>, ))x",
      // Frames whose first character meets the output's last one, or is a
      // single character that never drops.
      R"x(#t(\\n, 245, bb))x",
      R"x(#t(, 700, R, aa, ))x",
      R"x(#t(\\r\\nA, 245, \\r))x",
      R"x(#t(\\r, 245, b))x",
      R"x(#t(<, 700, R, a\\\\, \\n\\n))x",
  };
  for (const bool html : {false, true}) {
    for (const char* call : kCalls) {
      const std::string lead = R"x(#t(, 001, {$a\\n}, S, , ))x";
      const std::string kept = lead + call + call;
      // A select alternative that is a call is read anew on every run (a
      // txt parameter that is a call is kept at the txt call's site).
      const std::string anew =
          lead + "#select(, " + call + ", )" + "#select(, " + call + ", )";
      const std::string first = RunScript(kept, html);
      EXPECT_EQ(first, RunScript(anew, html)) << call << " html " << html;
      EXPECT_EQ(RunScript(kept, html), first) << call << " html " << html;
      EXPECT_EQ(first.substr(first.find('|') + 1), RunDirect(lead, call, 2, html))
          << call << " html " << html;
    }
  }
}

TEST_F(CallSitePlanTest, ASpecificationChangedBetweenRunsIsUsedAtOnce) {
  const std::string script = "#t(<, 245, >)#select(|, 246, 245, )";
  EXPECT_EQ(RunScript(script), "0|<Main : Sub>|Main : Sub");
  // Registered again under its name.
  ws_.AddTagSpec("245", "{$b}");
  EXPECT_EQ(RunScript(script), "0|<Sub>|Sub");
  // Its text changed where it is stored.
  const TVLLNamedObjectList& specs = ws_.TagSpecs();
  AsText(specs.Object(specs.IndexOf("245")))->SetValue("{$a}");
  EXPECT_EQ(RunScript(script), "0|<Main>|Main");
  AsText(specs.Object(specs.IndexOf("245")))->SetValue("");
  EXPECT_EQ(RunScript(script), "0|<Main>|Main");  // the default specification
  // A specification for a pattern that had none.
  EXPECT_EQ(RunScript("#t(<, 24510, >)"), "0|<Main>");
  ws_.AddTagSpec("24510", "{$b $a}");
  EXPECT_EQ(RunScript("#t(<, 24510, >)"), "0|<Sub Main>");
}

// A named specification is remembered where it is used, and followed when
// it is registered again or its text changes.
TEST_F(CallSitePlanTest, ANamedSpecificationChangedBetweenRunsIsUsedAtOnce) {
  ws_.AddTagSpec("&n", "{$a}");
  ws_.AddTagSpec("24510", "{[&n]}");
  const std::string script = "#t(, 24510, )";
  EXPECT_EQ(RunScript(script), "0|[Main]");
  EXPECT_EQ(RunScript(script), "0|[Main]");
  ws_.AddTagSpec("&n", "{$b}");
  EXPECT_EQ(RunScript(script), "0|[Sub]");
  const TVLLNamedObjectList& specs = ws_.TagSpecs();
  AsText(specs.Object(specs.IndexOf("&n")))->SetValue("{$a $b}");
  EXPECT_EQ(RunScript(script), "0|[Main Sub]");
}

TEST_F(CallSitePlanTest, AKeyAddedToTheDefaultTextGroupIsUsedAtOnce) {
  const std::string script = "#count(, 700, )#t(, 2451, )";
  EXPECT_EQ(RunScript(script), "0|2Main |2 2");
  ws_.FindTextGroup("words")->AddText("700", "245");
  EXPECT_EQ(RunScript(script), "0|1Main |1 2");
  // A group registered in front of it would not be the default one; one
  // registered in its place is.
  auto other = std::make_unique<TVLLTextGroup>();
  other->AddText("700", "001");
  ws_.AddTextGroup("words", std::move(other));
  EXPECT_EQ(RunScript(script), "0|1Main |1 2");
}

// A site run straight by Execute after the registrations changed is not
// offered to the command (its plan was made under the old ones), and one
// offered again follows the new ones.
TEST_F(CallSitePlanTest, AStaleSiteRunStraightReadsItsCallAnew) {
  TVLLParams params = {"<", "245", ">"};
  TVLLCommandCache site;
  site.fixed_parameters = true;
  auto run = [&] {
    TVLLContext context;
    context.SetWorkSpace(&ws_);
    context.SetObject("marc", std::make_unique<TVLLString>(std::string(kRecord)));
    EXPECT_EQ(ws_.FindCommand("t")->Clone()->Execute(context, &params, &site), kStatusOk);
    return context.Output().Text();
  };
  auto make_current = [&] {  // as CallCommand does
    site.work_space = &ws_;
    site.version = ws_.CommandsVersion();
    site.command = ws_.FindCommand("t");
    site.data.reset();
  };
  make_current();
  EXPECT_EQ(run(), "<Main : Sub>");
  ASSERT_NE(site.data, nullptr);  // the plan
  EXPECT_EQ(run(), "<Main : Sub>");
  ws_.AddTagSpec("245", "{$b}");
  EXPECT_EQ(run(), "<Sub>");
  make_current();
  EXPECT_EQ(run(), "<Sub>");
  EXPECT_EQ(run(), "<Sub>");
  ws_.AddTagSpec("245", "{$a}");
  EXPECT_EQ(run(), "<Main>");
}

}  // namespace
}  // namespace vellorax::vll2
