// Execute of the fixture display formats over the fixture records: the work
// `vellorax format` does per record once the record is read.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/record_text.h"
#include "definitions_file.h"
#include "record_input.h"
#include "vll2/vll2w.h"

namespace {

std::string Slurp(const std::string& path) {
  std::string content;
  vellorax::tool::ReadRecordFile(path, content);
  return content;
}
std::vector<std::string> DisplayRecords() {
  std::vector<std::string> records;
  for (int i = 1; i <= 24; ++i) {
    char name[64];
    std::snprintf(name, sizeof name, "/tests/data/records/%03d.txt", i);
    records.push_back(Slurp(std::string(VX_SOURCE_DIR) + name));
  }
  return records;
}

void Register(vellorax::vll2::TVLL2W& engine) {
  for (const auto& def : vellorax::tool::ReadDefinitionsFile(std::string(VX_SOURCE_DIR) +
                                                             "/tests/data/formats/opac.defs")) {
    engine.Command(def.name, def.type, def.body, "add");
  }
}

// Engine record text (already repaired): only the run is measured.
void BM_ExecuteEngineText(benchmark::State& state, const char* name, bool html) {
  vellorax::vll2::TVLL2W engine;
  Register(engine);
  engine.SetHtml(html);
  std::vector<std::string> records;
  for (const std::string& r : DisplayRecords()) records.push_back(vellorax::common::RepairRecordText(r));
  size_t bytes = 0;
  for (auto _ : state) {
    for (const std::string& r : records) {
      std::string out = engine.Execute(name, r, false);
      bytes += out.size();
      benchmark::DoNotOptimize(out);
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * records.size()));
  state.counters["out_bytes_per_record"] =
      static_cast<double>(bytes) / static_cast<double>(state.iterations() * records.size());
}

// Display lines with AFix: repair and run, as for --fix and ISO 2709 input.
void BM_ExecuteWithRepair(benchmark::State& state, const char* name, bool html) {
  vellorax::vll2::TVLL2W engine;
  Register(engine);
  engine.SetHtml(html);
  const std::vector<std::string> records = DisplayRecords();
  for (auto _ : state) {
    for (const std::string& r : records) benchmark::DoNotOptimize(engine.Execute(name, r, true));
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * records.size()));
}

BENCHMARK_CAPTURE(BM_ExecuteEngineText, full_text, "full", false);
BENCHMARK_CAPTURE(BM_ExecuteEngineText, full_html, "full", true);
BENCHMARK_CAPTURE(BM_ExecuteEngineText, short_text, "short", false);
BENCHMARK_CAPTURE(BM_ExecuteWithRepair, full_text, "full", false);

}  // namespace

BENCHMARK_MAIN();
