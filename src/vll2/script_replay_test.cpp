// A script run replays the steps, conditions and skips read on its first run
// (script_step.h), a table command the key lookups it made before, and count
// the record it found for its first pattern. Each replay must give what a
// fresh reading gives, on odd and broken scripts too, and must follow every
// change of the script text, the registrations and the text groups at once.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "common/text_compare.h"
#include "vll2/call_memo.h"
#include "vll2/script_command.h"
#include "vll2/script_step.h"
#include "vll2/tag_test_support.h"

namespace vellorax::vll2 {
namespace {

// Two 700 fields and one 710 field.
constexpr std::string_view kRecord =
    "*001  $a7\n*24510$aMain$bSub\n*7001 $aFirst, Anna$4aut\n*7001 $aSecond, Bo$4edt\n"
    "*7102 $aSome Corporation\n^";
// No added entries.
constexpr std::string_view kShortRecord = "*001  $a8\n*24510$aOther\n^";

// Writes its parameters joined by "|", behind its own name's first letter.
class EchoCommand : public TVLLBaseCommand {
 public:
  using TVLLBaseCommand::TVLLBaseCommand;
  std::unique_ptr<TVLLBaseCommand> Clone() const override {
    return std::make_unique<EchoCommand>(Name());
  }

 protected:
  TVLLStatus DoExecute() override {
    WriteRaw(Name().substr(0, 1));
    for (int i = 0; i < ParamCount(); ++i) WriteRaw((i ? "|" : "") + Param(i));
    return kStatusOk;
  }
};

class ScriptReplayTest : public testing::RecordCommandTest {
 protected:
  ScriptReplayTest() {
    common::SetTextLocale("en_US");
    // The first group is the default one.
    AddConstants("phrases", {{"etal", "et al."}});
    AddConstants("c", {{"k", "v"}, {"empty", ""}});
    AddConstants("rel", {{"aut", "(author)"}, {"edt", "(editor)"}});
    ws_.AddCommand("echo", std::make_unique<EchoCommand>("echo"));
    ws_.AddCommand("x", std::make_unique<EchoCommand>("x"));
    AddTag("tag", {{"245", "{$a : $b}"}, {"700", "{$a #rel(, $4, )}"}});
  }

  // Registers `script` as the script command "s" (a new command with an
  // empty memo) and keeps its text object for changes in place.
  void Register(std::string_view script) {
    text_ = std::make_shared<TVLLString>(std::string(script));
    ws_.AddCommand("s", std::make_unique<TVLLScriptCommand>("s", text_));
  }

  // Runs "s" over `record`: status, output and the first recorded error.
  std::string RunS(std::string_view record = kRecord) {
    TVLLContext context;
    context.SetWorkSpace(&ws_);
    context.SetObject("marc", std::make_unique<TVLLString>(std::string(record)));
    TVLLBaseCommand* command = ws_.FindCommand("s");
    std::unique_ptr<TVLLBaseCommand> clone = command->TakeClone();
    const TVLLStatus status = clone->Execute(context, nullptr);
    command->ReturnClone(std::move(clone));
    return std::to_string(status) + "|" + context.Output().Text() + "|" +
           context.ErrorMessage();
  }

  // What a fresh reading of `script` gives over `record`.
  std::string Fresh(std::string_view script, std::string_view record = kRecord) {
    Register(script);
    return RunS(record);
  }

  std::shared_ptr<TVLLString> text_;
};

TEST_F(ScriptReplayTest, ReplayedRunsEqualAFreshReading) {
  const std::string scripts[] = {
      R"("a" %c.k% #echo(x, "q") echo(y) if (#count(, 700, )>"1") "many" else "few" endif)",
      R"(IF (x) "1" ELSE "2" ENDIF)",
      R"(If (x) "1" Endif)",
      R"(if (x) "1")",
      R"(if (FALSE) "1")",
      R"("a" "open)",
      R"("a" %lang)",
      R"("a" %a.b.c.d%)",
      R"("a" abc)",
      R"("a" #echo(a)",
      R"("a" 12)",
      R"(else)",
      R"("a" elseif (x) "1" endif)",
      R"(if (x) "1" endif endif)",
      R"(if (a == b) "y" endif)",
      R"(if ((a==a)AND (b==b)) "y" endif)",
      R"(if (NOT (a==b)) "y" else "n" endif)",
      R"(if ("a"<"b"OR "c"=="d") "y" endif)",
      R"(if (#count(, 700, )#=2) "y" endif)",
      R"(if (%c.k%==v) "y" endif)",
      R"(ifnot (%c.empty%) "e" endif)",
      R"(if (#nosuch()) "1" endif "2")",
      R"(if (x "1" endif)",
      R"(if x) "1" endif)",
      R"(if () "1" endif)",
      R"(if ((x)) "1" endif)",
      R"(if (x)) "1" endif)",
      R"(if (a=="b) "1" endif)",
      R"(if (%a.b.c.d%) "1" endif)",
      R"(if (#echo(a) "1" endif)",
      R"(if (x==) "1" endif)",
      R"(if (==x) "1" endif)",
      R"(if ("x""y""z") "1" endif)",
      // A call that reads in the whole text but not in the branch body.
      R"(if (x) #echo(y endif z) endif)",
      R"(if (FALSE) #echo(y endif z) endif "after")",
      R"(if (x) if (FALSE) "1" elseif (y) "2" endif "3" endif)",
      R"(if (FALSE) "1" elseifnot (FALSE) "2" else "3" endif)",
      R"(if (x) ifnot (y) "1" else "3" endif "2" endif)",
      R"(if (#count(, 700, 710, )>"2") #echo(many) else #echo(few) endif "|" #rel(<, aut, >))",
      std::string("\"a\"\0 \"b\"", 9),
      std::string("if (x)\0\"1\" endif \"2\"", 20),
      "\t\r\n \"a\"\n",
  };
  for (const std::string& script : scripts) {
    for (const std::string_view record : {kRecord, kShortRecord}) {
      const std::string want = Fresh(script, record);
      // The same registration: every later run replays what the first read.
      EXPECT_EQ(RunS(record), want) << script;
      EXPECT_EQ(RunS(record), want) << script;
    }
    // Runs over records that take other branches, in turn.
    const std::string want_long = Fresh(script, kRecord);
    const std::string want_short = Fresh(script, kShortRecord);
    Register(script);
    for (int round = 0; round < 2; ++round) {
      EXPECT_EQ(RunS(kShortRecord), want_short) << script;
      EXPECT_EQ(RunS(kRecord), want_long) << script;
    }
  }
}

// Hand-checked answers, so that the replays are not only equal to the first
// run but right.
TEST_F(ScriptReplayTest, ReplayedRunsGiveTheWrittenAnswers) {
  const struct {
    const char* script;
    std::string_view record;
    const char* want;
  } rows[] = {
      {R"(if (#count(, 700, )>"1") "many" else "few" endif)", kRecord, "0|many|"},
      {R"(if (#count(, 700, )>"1") "many" else "few" endif)", kShortRecord, "0|few|"},
      {R"(if (x) #echo(y endif z) endif)", kRecord, "9||Error on parsing command:echo"},
      // The skip stops at the "endif" inside the call's text; "z)" reads on.
      {R"(if (FALSE) #echo(y endif z) endif "after")", kRecord, "9||Error on parsing command:z"},
      {R"(if (x) "1")", kRecord, "9||if without endif"},
      {R"(if (FALSE) "1")", kRecord, "9||if without endif"},
      {R"("a" elseif (x) "1" endif)", kRecord, "9|a|Else/Elseifnot without If"},
      {R"(if (#count(, 700, 710, )>"2") #echo(many) else #echo(few) endif)", kRecord, "0|emany|"},
      {R"(#rel(<, aut, >) #rel(<, edt, >))", kRecord, "0|<(author)><(editor)>|"},
  };
  for (const auto& row : rows) {
    Register(row.script);
    for (int round = 0; round < 3; ++round) EXPECT_EQ(RunS(row.record), row.want) << row.script;
  }
}

TEST_F(ScriptReplayTest, FollowsChangesBetweenRuns) {
  Register(R"(#x(1) "|" %c.k% if (#x(2)=="x2") "y" else "n" endif)");
  EXPECT_EQ(RunS(), "0|x1|vy|");
  EXPECT_EQ(RunS(), "0|x1|vy|");
  // Another command under the called name.
  ws_.AddCommand("x", std::make_unique<EchoCommand>("z"));
  EXPECT_EQ(RunS(), "0|z1|vn|");
  // A changed text of a referenced group.
  ws_.FindTextGroup("c")->AddText("k", "w");
  EXPECT_EQ(RunS(), "0|z1|wn|");
  // The script text changed in place, to one of the same length (so every
  // step position of the old text is one of the new) and back.
  text_->SetValue(R"(#x(3) "|" %c.k% if (#x(2)=="z2") "y" else "n" endif)");
  EXPECT_EQ(RunS(), "0|z3|wy|");
  text_->SetValue(R"("a")");
  EXPECT_EQ(RunS(), "0|a|");
  text_->SetValue(R"("b")");
  EXPECT_EQ(RunS(), "0|b|");
  text_->SetValue(R"("b)");
  EXPECT_EQ(RunS(), "9||Missing ending quote");
  text_->Assign(R"("b")");
  EXPECT_EQ(RunS(), "0|b|");
}

// Steps past the memo's bound are read anew on every run.
TEST_F(ScriptReplayTest, ScriptsWithMoreStepsThanTheMemoKeeps) {
  std::string script;
  std::string want = "0|";
  for (int i = 0; i < 5000; ++i) {
    script += i % 2 ? "\"a\" " : "#echo(b) ";
    want += i % 2 ? "a" : "eb";
  }
  script += "if (x) \"end\" endif";
  want += "end|";
  Register(script);
  EXPECT_EQ(RunS(), want);
  EXPECT_EQ(RunS(), want);
}

// A step is kept for the first slice that read at its position; another
// slice reading there gets a step of its own, not the kept one.
TEST(CallMemoStepTest, AStepIsKeptForTheSliceThatReadIt) {
  const std::string text = R"("ab" "cd")";
  TVLLCallMemo memo;
  memo.Bind(text);
  const TVLLCallMemo::Use use(memo);
  TVLLScript whole(text);
  std::unique_ptr<TVLLScriptStep> spare;
  const TVLLScriptStep* kept =
      memo.KeepStep(whole, 0, 1, ReadScriptStep(whole, 0, memo), spare);
  EXPECT_EQ(spare, nullptr);
  EXPECT_EQ(kept->kind, TVLLScriptStep::Kind::kQuoted);
  EXPECT_EQ(kept->text, "ab");
  EXPECT_EQ(kept->next, 6);

  // The slice "\"ab" of the same text: the quote does not close there.
  TVLLScript cut(std::string_view(text).substr(0, 3));
  EXPECT_EQ(memo.FindStep(cut, 0), nullptr);
  const TVLLScriptStep* own = memo.KeepStep(cut, 0, 1, ReadScriptStep(cut, 0, memo), spare);
  EXPECT_EQ(own, spare.get());
  EXPECT_EQ(own->kind, TVLLScriptStep::Kind::kBadQuote);

  TVLLScript again(text);
  EXPECT_EQ(memo.FindStep(again, 0), kept);
  memo.Bind(R"("xy" "cd")");
  EXPECT_EQ(memo.FindStep(again, 0), nullptr);
}

TEST_F(ScriptReplayTest, TableLookupsFollowTheirGroups) {
  auto check = [this](const char* call, TVLLStatus status, const char* output) {
    // Twice: the second call answers from the lookups the first made.
    for (int round = 0; round < 2; ++round) {
      const testing::CallResult r = Run(call, kRecord);
      EXPECT_EQ(r.status, status) << call << " round " << round;
      EXPECT_EQ(r.output, output) << call << " round " << round;
    }
  };
  check("#rel(<, aut, >)", 0, "<(author)>");
  check("#rel(<,  aut , >)", 0, "<(author)>");
  check("#rel(<, xyz, >)", 6, "");
  check("#rel(<, , >)", 0, "");
  check("#rel(, aut, )", 0, "(author)");
  check("#rel(<, %c.k%, >)", 6, "");  // the key "v"
  // A key of the default group writes that group's text ("et al."), which is
  // no key here.
  check("#rel(<, etal, >)", 6, "");
  ws_.FindTextGroup("phrases")->AddText("aut", "edt");
  check("#rel(<, aut, >)", 0, "<(editor)>");
  // An entry without text: the key parameter writes itself again.
  ws_.FindTextGroup("phrases")->AddName("aut");
  check("#rel(<, aut, >)", 0, "<(author)>");

  TVLLTextGroup* rel = ws_.FindTextGroup("rel");
  check("#rel(<, edt, >)", 0, "<(editor)>");
  // A text emptied where it is stored is no text; a text changed there is
  // the new text.
  TVLLString* edt = AsText(rel->Items().Object(rel->Items().IndexOf("edt")));
  edt->SetValue("");
  check("#rel(<, edt, >)", 6, "");
  edt->SetValue("(ed.)");
  check("#rel(<, edt, >)", 0, "<(ed.)>");
  rel->AddText("ill", "(illustrator)");
  check("#rel(<, ill, >)", 0, "<(illustrator)>");
  // Keys looked up before, set again: one found, one that was missing.
  rel->AddText("edt", "(editor)");
  check("#rel(<, edt, >)", 0, "<(editor)>");
  rel->AddText("xyz", "(x)");
  check("#rel(<, xyz, >)", 0, "<(x)>");

  // Language texts: the workspace's language, else the fallback order.
  const int trl = rel->AddName("trl");
  rel->SetLanguageText(trl, "nor", "(oversetter)");
  rel->SetLanguageText(trl, "eng", "(translator)");
  check("#rel(<, trl, >)", 0, "<(translator)>");
  ws_.SetLanguage("nor");
  check("#rel(<, trl, >)", 0, "<(oversetter)>");
  ws_.SetLanguage("mul");

  // A group registered in the group's place.
  auto other = std::make_unique<TVLLTextGroup>();
  other->AddText("aut", "(forfatter)");
  ws_.AddTextGroup("rel", std::move(other));
  check("#rel(<, aut, >)", 0, "<(forfatter)>");
  check("#rel(<, edt, >)", 6, "");
  ws_.FindTextGroup("phrases")->AddText("aut", "edt");
  check("#rel(<, aut, >)", 6, "");
}

// A txt parameter that is a call is read once at the txt call's site; the
// same txt called from a select alternative has no site and reads it anew.
TEST_F(ScriptReplayTest, TxtCallsKeptAtTheirSiteEqualCallsReadAnew) {
  const char* const kCalls[] = {
      "#tag(245)",
      "#tag(<, 700, R, ; , >)",
      "#tag(999)",
      "#select(, 246, 245, )",
      "#select(, 246, 999, )",
      "#count(, 700, )",
      "#echo(x, \"y\")",
      "#rel(, aut, )",
      "#rel(, xyz, )",
      "#nosuch(1)",
      // Parameters that begin with "#" but are no call (the script reads
      // "\\#" as "#").
      "\\#echo(",
      "\\#",
      "#txt([, #tag(245), ])",
      "#txt([, #tag(999), ])",
  };
  for (const char* call : kCalls) {
    for (const std::string& txt : {"#txt(<, " + std::string(call) + ", >)",
                                   "#txt(" + std::string(call) + ", x, )",
                                   "#txt(<, y, " + std::string(call) + ")"}) {
      // Output and error; the status of the select run is its own.
      auto answer = [](const std::string& run) { return run.substr(run.find('|')); };
      const std::string anew = answer(Fresh("#select(, " + txt + ", )"));
      Register(txt);
      for (int round = 0; round < 3; ++round) EXPECT_EQ(answer(RunS()), anew) << txt;
    }
  }
  // Hand-checked.
  const struct {
    const char* script;
    const char* want;
  } rows[] = {
      {"#txt(<, #tag(245), >)", "0|<Main : Sub>|"},
      {"#txt(<, #tag(999), >)", "0||"},
      {"#txt(<, #tag(, 700, R, ; , ), >)", "0|<First, Anna (author); Second, Bo (editor)>|"},
      {"#txt(<, \\#echo(, >)", "9||Syntax Error for ParseCommand"},
      {"#txt(#nosuch(), x, )", "0|x|Could not find the command: nosuch"},
  };
  for (const auto& row : rows) {
    Register(row.script);
    for (int round = 0; round < 2; ++round) EXPECT_EQ(RunS(), row.want) << row.script;
  }
}

TEST_F(ScriptReplayTest, CountReadsTheRecordOncePerCallOnlyWhenNoPatternRunsACommand) {
  const struct {
    const char* script;
    const char* long_record;
    const char* short_record;
  } rows[] = {
      {"#count(, 700, 710, )", "0|3|", "0|0|"},
      {"#count(<, 700, 245, 7??, >)", "0|<6>|", "0|<1>|"},
      {"#count(, #echo(00), 7, )", "0|3|", "0|0|"},  // the pattern "e00" matches nothing
      {"#count(, %c.k%, 700, )", "0|2|", "0|0|"},
  };
  for (const auto& row : rows) {
    Register(row.script);
    for (int round = 0; round < 2; ++round) {
      EXPECT_EQ(RunS(kRecord), row.long_record) << row.script;
      EXPECT_EQ(RunS(kShortRecord), row.short_record) << row.script;
    }
  }
}

}  // namespace
}  // namespace vellorax::vll2
