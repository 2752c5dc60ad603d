// The call memo answers exactly as a fresh reading of the same slice would.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "vll2/call_memo.h"
#include "vll2/execute_control.h"
#include "vll2/script.h"
#include "vll2/script_command.h"
#include "vll2/work_space.h"

namespace vellorax::vll2 {
namespace {

struct Reading {
  bool ok;
  int end;
  std::string name;
  TVLLParams params;
};

Reading Fresh(std::string_view text, int position) {
  TVLLScript reader(text);
  reader.SetPosition(position);
  Reading r{};
  r.ok = reader.ParseCommand(r.name, &r.params) == TVLLScript::kOk;
  r.end = reader.Position();
  return r;
}

// Reads the call at `position` of the slice (`base`, `length`) of `script`
// twice through the memo and checks both against a fresh reading.
void CheckSlice(TVLLCallMemo& memo, const std::string& script, int base, int length,
                int position) {
  const std::string slice = script.substr(static_cast<size_t>(base), static_cast<size_t>(length));
  const Reading want = Fresh(slice, position);
  for (int round = 0; round < 2; ++round) {
    TVLLScript reader(slice);
    reader.SetPosition(position);
    auto call = memo.ReadCall(reader, base);
    EXPECT_EQ(call->ok, want.ok) << slice << " round " << round;
    EXPECT_EQ(reader.Position(), want.end) << slice << " round " << round;
    if (want.ok) {
      EXPECT_EQ(call->name, want.name);
      EXPECT_EQ(call->params, want.params);
    }
  }
}

TEST(CallMemoTest, ReplaysReadingsOfWholeTextAndSlices) {
  // The second call reads only when its slice reaches the closing ")" beyond
  // the "endif" that ends a branch body.
  const std::string script = R"(#a(x, "q,r", #b(1)) #c(y endif z) #d)";
  TVLLCallMemo memo;
  memo.Bind(script);
  const int length = static_cast<int>(script.size());
  const struct {
    int base, length, position;
  } cases[] = {
      {0, length, 1},        // whole text, first call: reads, ends after ")"
      {0, length, 21},       // "#c(y endif z)": reads across "endif"
      {20, 10, 1},           // same call in a body cut before "endif": fails
      {0, length, 35},       // "#d" without "(": fails
      {0, length, 36},       // "d" without "#" or "(": fails
      {0, 19, 1},            // the first call alone: ends at the end
  };
  for (const auto& c : cases) CheckSlice(memo, script, c.base, c.length, c.position);
}

TEST(CallMemoTest, ForgetsReadingsOfAnotherTextButKeepsAnswersWhileInUse) {
  TVLLCallMemo memo;
  memo.Bind("#a(1)");
  const TVLLCallMemo::Use use(memo);
  TVLLScript first("#a(1)");
  const TVLLCallMemo::Call* held = memo.ReadCall(first, 0);
  memo.Bind("#b(2)");
  TVLLScript second("#b(2)");
  const TVLLCallMemo::Call* call = memo.ReadCall(second, 0);
  EXPECT_EQ(call->name, "b");
  EXPECT_EQ(call->params, TVLLParams{"2"});
  EXPECT_EQ(held->name, "a");
  EXPECT_EQ(held->params, TVLLParams{"1"});
}

// A script command whose text is changed between runs reads the new text,
// also in its clones, and a replaced command starts afresh.
TEST(CallMemoTest, ScriptRunsFollowTheirText) {
  TVLLWorkSpace ws;
  auto text = std::make_shared<TVLLString>("#w(\"one\")");
  ws.AddCommand("w", std::make_unique<TVLLScriptCommand>(
                         "w", std::make_shared<TVLLString>("\"<\" %p% \">\"")));
  ws.AddCommand("s", std::make_unique<TVLLScriptCommand>("s", text));
  auto run = [&ws]() {
    TVLLContext context;
    context.SetWorkSpace(&ws);
    TVLLExecuteControl control;
    const TVLLStatus status = control.Execute(context, "s", nullptr);
    return std::to_string(status) + ":" + context.Output().Text() + ":" + context.ErrorMessage();
  };
  EXPECT_EQ(run(), "0:one<>:");
  EXPECT_EQ(run(), "0:one<>:");
  text->SetValue("#x(1)");
  EXPECT_EQ(run(), "6::Could not find the command: x");
  text->SetValue("#w(1");
  EXPECT_EQ(run(), "9::Error on parsing command:w");
  ws.AddCommand("s", std::make_unique<TVLLScriptCommand>(
                         "s", std::make_shared<TVLLString>("\"a\" #nope()")));
  EXPECT_EQ(run(), "6:a:Could not find the command: nope");
}

}  // namespace
}  // namespace vellorax::vll2
