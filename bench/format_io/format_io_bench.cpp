// The work `vellorax format` does around the macro engine, per record: reading
// ISO 2709 with YAZ into display lines, and repairing display lines into
// engine record text. Records are the fixture records (24 of them).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/record_text.h"
#include "record_input.h"

namespace {

std::string Slurp(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

std::string Iso2709File() { return Slurp(std::string(VX_SOURCE_DIR) + "/tests/data/formats/records.mrc"); }

// The display lines YAZ writes for the fixture records.
std::vector<std::string> DisplayRecords() {
  std::vector<std::string> records;
  vellorax::tool::RecordFileReader reader;
  reader.ForEach(Iso2709File(), vellorax::tool::RecordFileFormat::kIso2709,
                 [&](const vellorax::tool::InputRecord& r) { records.emplace_back(r.text); });
  return records;
}

void BM_RepairRecordText(benchmark::State& state) {
  const std::vector<std::string> records = DisplayRecords();
  size_t bytes = 0;
  for (auto _ : state) {
    for (const std::string& r : records) {
      benchmark::DoNotOptimize(vellorax::common::RepairRecordText(r));
      bytes += r.size();
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * records.size()));
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK(BM_RepairRecordText);

void BM_Iso2709ToDisplayLines(benchmark::State& state) {
  const std::string file = Iso2709File();
  vellorax::tool::RecordFileReader reader;
  int64_t records = 0;
  for (auto _ : state) {
    reader.ForEach(file, vellorax::tool::RecordFileFormat::kIso2709,
                   [&](const vellorax::tool::InputRecord& r) {
                     benchmark::DoNotOptimize(r.text.data());
                     ++records;
                   });
  }
  state.SetItemsProcessed(records);
}
BENCHMARK(BM_Iso2709ToDisplayLines);

// Both steps, as the formatter runs them before the engine.
void BM_Iso2709ToEngineText(benchmark::State& state) {
  const std::string file = Iso2709File();
  vellorax::tool::RecordFileReader reader;
  int64_t records = 0;
  for (auto _ : state) {
    reader.ForEach(file, vellorax::tool::RecordFileFormat::kIso2709,
                   [&](const vellorax::tool::InputRecord& r) {
                     benchmark::DoNotOptimize(vellorax::common::RepairRecordText(r.text));
                     ++records;
                   });
  }
  state.SetItemsProcessed(records);
}
BENCHMARK(BM_Iso2709ToEngineText);

}  // namespace

BENCHMARK_MAIN();
