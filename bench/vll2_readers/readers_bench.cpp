// Speed of the macro engine's two readers on their hot paths: the record
// navigator walking a typical ~400-byte bibliographic record the way a full
// display format does, and the script reader taking command calls apart.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "vll2/marc.h"
#include "vll2/script.h"

namespace {

using vellorax::vll2::TVLLMarc;
using vellorax::vll2::TVLLScript;

const std::string& Record() {
  static const std::string record = std::string(
                                        "*001  $a0012345\n"
                                        "*008  $a900101s1990    no            000 1 nor d\n"
                                        "*020  $a82-05-30000-1\n"
                                        "$cNOK 249\n"
                                        "*1001 $aHamsun, Knut\n"
                                        "$d1859-1952\n"
                                        "*24510$aSult :\n"
                                        "$broman /\n"
                                        "$cKnut Hamsun\n"
                                        "*250  $a14. oppl.\n"
                                        "*260  $aOslo :\n"
                                        "$bGyldendal,\n"
                                        "$c1990\n"
                                        "*300  $a229 s. ;\n"
                                        "$c21 cm\n"
                                        "*490 0$aGyldendals pocket\n"
                                        "*500  $aF\xF8rste gang utgitt 1890\n"
                                        "*650 0$aNorsk litteratur\n"
                                        "$xRomaner\n"
                                        "*650 0$aSult\n"
                                        "$xSkj\xF8nnlitteratur\n"
                                        "*7001 $aAndersen, Per\n"
                                        "$eill.\n"
                                        "*7001 $aBerg, Kari\n"
                                        "$eforord\n"
                                        "^") +
                                    '\0';
  return record;
}

// The tags and codes a full display visits, one FindFirstTag/FindNextTag
// walk each, every subfield value taken.
void BM_MarcFullDisplayWalk(benchmark::State& state) {
  static const std::vector<std::pair<const char*, char>> steps = {
      {"020", 'a'}, {"100", 'a'}, {"100", 'd'}, {"245", 'a'}, {"245", 'b'},
      {"245", 'c'}, {"250", 'a'}, {"260", 'a'}, {"260", 'b'}, {"260", 'c'},
      {"264", 'a'}, {"300", 'a'}, {"300", 'c'}, {"490", 'a'}, {"500", 'a'},
      {"650", 'a'}, {"650", 'x'}, {"700", 'a'}, {"700", 'e'}, {"110", 'a'}};
  const std::string& record = Record();
  size_t bytes = 0;
  for (auto _ : state) {
    TVLLMarc marc(std::string_view(record), TVLLMarc::BorrowText{});
    for (const auto& [tag, code] : steps) {
      for (bool f = marc.FindFirstTag(tag); f; f = marc.FindNextTag()) {
        for (bool s = marc.FindFirstSubfield(code); s; s = marc.FindNextSubfield()) {
          bytes += marc.SubfieldView().size();
        }
      }
    }
  }
  benchmark::DoNotOptimize(bytes);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MarcFullDisplayWalk);

void BM_MarcValueByPath(benchmark::State& state) {
  const std::string& record = Record();
  TVLLMarc marc(std::string_view(record), TVLLMarc::BorrowText{});
  for (auto _ : state) {
    benchmark::DoNotOptimize(marc.ValueViewByPath("7001 $e"));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MarcValueByPath);

void BM_ScriptParseCommand(benchmark::State& state) {
  const std::string call = "#lang(, \"nor\", #txt(%titles.main%, 'x'), plain text\\, more)";
  std::string name;
  std::vector<std::string> params;
  for (auto _ : state) {
    TVLLScript reader(call);
    benchmark::DoNotOptimize(reader.ParseCommand(name, &params));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ScriptParseCommand);

void BM_ScriptTextToHtml(benchmark::State& state) {
  const std::string text = "Hamsun, Knut: Sult <BR>roman & \"pocket\" \xC5sg\xE5rdstrand \\<x>";
  for (auto _ : state) {
    benchmark::DoNotOptimize(TVLLScript::TextToHtml(text));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ScriptTextToHtml);

}  // namespace

BENCHMARK_MAIN();
