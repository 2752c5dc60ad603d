// Throughput of the engine framework: a display script run over one record
// through the facade (records per second), name lookups in a large registry,
// and the seam rule of WriteText.
#include <benchmark/benchmark.h>

#include <string>

#include "common/text_compare.h"
#include "vll2/vll2w.h"
#include "vll2/work_space.h"

namespace {

using vellorax::vll2::TVLL2W;

const char* const kRecord =
    "*001  $a12345\n"
    "*1001 $aHansen, Ola$d1950-\n"
    "*24510$aMain title$bsubtitle$cOla Hansen\n"
    "*260  $aOslo$bForlaget$c2001\n"
    "*300  $a250 s.$bill.\n"
    "*650 0$aFisk\n"
    "*650 0$aFiske\n"
    "*7001 $aNilsen, Kari\n"
    "*7001 $aBerg, Per\n"
    "^";

void Register(TVLL2W& engine) {
  vellorax::common::SetTextLocale("nb_NO");
  engine.Command("lang", "constant", "title Tittel\nauthor Forfatter\nsubject Emne", "add");
  engine.Command("t", "tag",
                 "245 {$a : $b / $c}\n100 {$a ($d)}\n260 {$a : $b, $c}\n300 {$a : $b}\n"
                 "650 {$a}\n700 {$a}",
                 "add");
  engine.Command("display", "script",
                 "#txt(, %lang.author%, \": \") #t(100) \"\\n\" "
                 "#txt(, %lang.title%, \": \") #t(245) \"\\n\" "
                 "#t(, 260, \". \") #t(300) "
                 "if (#count(, 650, )>0) \"\\n\" %lang.subject% \": \" #t(, 650, R, \"; \", ) endif "
                 "#t(\"\\nAlso: \", 700, R, \"; \", )",
                 "add");
}

void BM_ExecuteDisplayScript(benchmark::State& state) {
  TVLL2W engine;
  Register(engine);
  size_t bytes = 0;
  for (auto _ : state) {
    std::string out = engine.Execute("display", kRecord, false);
    bytes += out.size();
    benchmark::DoNotOptimize(out);
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["records/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ExecuteDisplayScript);

void BM_ExecuteTrivialScript(benchmark::State& state) {
  TVLL2W engine;
  engine.Command("s", "script", "\"x\"", "add");
  for (auto _ : state) benchmark::DoNotOptimize(engine.Execute("s", kRecord, false));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ExecuteTrivialScript);

// One lookup per iteration among `n` registered commands, asked in another
// letter case than registered.
void BM_FindCommand(benchmark::State& state) {
  vellorax::common::SetTextLocale("nb_NO");
  TVLL2W engine;
  const int n = static_cast<int>(state.range(0));
  for (int i = 0; i < n; ++i) engine.Command("cmd" + std::to_string(i), "script", "", "add");
  const std::string asked = "CMD" + std::to_string(n - 1);
  for (auto _ : state) benchmark::DoNotOptimize(engine.WorkSpace().FindCommand(asked));
}
BENCHMARK(BM_FindCommand)->Arg(10)->Arg(200);

}  // namespace

BENCHMARK_MAIN();
