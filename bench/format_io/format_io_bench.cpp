// The work `vellorax format` does around the macro engine, per record: reading
// ISO 2709 into display lines, repairing display lines into engine record
// text, and the direct way from ISO 2709 to engine record text. Records are the fixture records (24 of them) and 2,000 records made
// by bench/vll2_format/gen_records.py (as scripts/bench-format uses), read by
// Iso2709LineWriter and by YAZ alone.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "common/record_text.h"
#include "iso2709_engine_text.h"
#include "iso2709_lines.h"
#include "record_input.h"
#include "yaz_lines.h"

namespace {

std::string ReadWhole(const std::string& path) {
  std::string content;
  vellorax::tool::ReadRecordFile(path, content);
  return content;
}

std::string Iso2709File() {
  return ReadWhole(std::string(VX_SOURCE_DIR) + "/tests/data/formats/records.mrc");
}

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

// Reading into display lines; with argument 1 also their repair into engine
// text, both steps as the formatter runs them before the engine.
void BM_Iso2709ToDisplayLines(benchmark::State& state) {
  const std::string file = Iso2709File();
  const bool repair = state.range(0) != 0;
  vellorax::tool::RecordFileReader reader;
  int64_t records = 0;
  for (auto _ : state) {
    reader.ForEach(file, vellorax::tool::RecordFileFormat::kIso2709,
                   [&](const vellorax::tool::InputRecord& r) {
                     if (repair) {
                       benchmark::DoNotOptimize(vellorax::common::RepairRecordText(r.text));
                     } else {
                       benchmark::DoNotOptimize(r.text.data());
                     }
                     ++records;
                   });
  }
  state.SetItemsProcessed(records);
}
BENCHMARK(BM_Iso2709ToDisplayLines)->Arg(0)->Arg(1);

// The reader as the formatter runs it: engine text straight from ISO 2709
// where the direct writer takes a record (all fixture records).
void BM_Iso2709ToEngineText(benchmark::State& state) {
  const std::string file = Iso2709File();
  vellorax::tool::RecordFileReader reader(vellorax::tool::RecordReaderOptions{.engine_text = true});
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
BENCHMARK(BM_Iso2709ToEngineText);

// The generated records, one string each (empty when python3 is missing).
const std::vector<std::string>& GeneratedRecords() {
  static const std::vector<std::string> records = [] {
    std::vector<std::string> out;
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("vx_bench_" + std::to_string(::getpid()));
    const std::string command = "python3 " + std::string(VX_SOURCE_DIR) +
                                "/bench/vll2_format/gen_records.py --count 2000 --seed 20261207 " +
                                file.string();
    if (std::system(command.c_str()) != 0) return out;
    const std::string content = ReadWhole(file.string());
    std::filesystem::remove(file);
    for (const std::string_view record : vellorax::tool::SplitIso2709ByLength(content)) {
      out.emplace_back(record);
    }
    return out;
  }();
  return records;
}

void BM_GeneratedRecordsIso2709LineWriter(benchmark::State& state) {
  const std::vector<std::string>& records = GeneratedRecords();
  if (records.empty()) return state.SkipWithError("python3 could not generate the records");
  vellorax::tool::Iso2709LineWriter writer;
  size_t bytes = 0;
  for (auto _ : state) {
    for (const std::string& r : records) {
      if (!writer.Convert(r)) return state.SkipWithError("a generated record was declined");
      benchmark::DoNotOptimize(writer.lines().data());
      bytes += r.size();
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * records.size()));
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK(BM_GeneratedRecordsIso2709LineWriter);

// The long way to engine text (display lines, then their repair) against the
// direct one, on the generated records.
void BM_GeneratedRecordsLinesAndRepair(benchmark::State& state) {
  const std::vector<std::string>& records = GeneratedRecords();
  if (records.empty()) return state.SkipWithError("python3 could not generate the records");
  vellorax::tool::Iso2709LineWriter writer;
  for (auto _ : state) {
    for (const std::string& r : records) {
      if (!writer.Convert(r)) return state.SkipWithError("a generated record was declined");
      benchmark::DoNotOptimize(
          vellorax::common::RepairRecordText(vellorax::tool::FieldLines(writer.lines())));
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * records.size()));
}
BENCHMARK(BM_GeneratedRecordsLinesAndRepair);

void BM_GeneratedRecordsEngineText(benchmark::State& state) {
  const std::vector<std::string>& records = GeneratedRecords();
  if (records.empty()) return state.SkipWithError("python3 could not generate the records");
  vellorax::tool::Iso2709EngineTextWriter writer;
  for (auto _ : state) {
    for (const std::string& r : records) {
      if (!writer.Convert(r, false)) return state.SkipWithError("a generated record was declined");
      benchmark::DoNotOptimize(writer.text().data());
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * records.size()));
}
BENCHMARK(BM_GeneratedRecordsEngineText);

void BM_GeneratedRecordsYaz(benchmark::State& state) {
  const std::vector<std::string>& records = GeneratedRecords();
  if (records.empty()) return state.SkipWithError("python3 could not generate the records");
  vellorax::tool::YazLineReader yaz;
  size_t bytes = 0;
  for (auto _ : state) {
    for (const std::string& r : records) {
      if (yaz.ReadIso2709(r) == 0) return state.SkipWithError("YAZ could not read a record");
      benchmark::DoNotOptimize(yaz.lines().data());
      bytes += r.size();
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * records.size()));
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK(BM_GeneratedRecordsYaz);

}  // namespace

BENCHMARK_MAIN();
