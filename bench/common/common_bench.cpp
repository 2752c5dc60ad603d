// Speed of the text layer on the strings the macro engine compares most:
// short ASCII command names and short national-letter texts.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "common/charset.h"
#include "common/record_text.h"
#include "common/strings.h"
#include "common/text_compare.h"

namespace {

using namespace vellorax::common;

const std::string kAsciiA = "FormatTitle";
const std::string kAsciiB = "formattitle";
const std::string kAsciiOther = "formatauthor";
const std::string kNationalA = "Bl\xE5" "b\xE6r og \xF8l";
const std::string kNationalB = "BL\xC5" "B\xC6R OG \xD8L";

void PinLocale() { SetTextLocale("nb_NO"); }

void BM_AnsiSameText_AsciiEqual(benchmark::State& state) {
  PinLocale();
  for (auto _ : state) benchmark::DoNotOptimize(AnsiSameText(kAsciiA, kAsciiB));
}
BENCHMARK(BM_AnsiSameText_AsciiEqual);

void BM_AnsiSameText_AsciiDifferent(benchmark::State& state) {
  PinLocale();
  for (auto _ : state) benchmark::DoNotOptimize(AnsiSameText(kAsciiA, kAsciiOther));
}
BENCHMARK(BM_AnsiSameText_AsciiDifferent);

void BM_AnsiSameText_National(benchmark::State& state) {
  PinLocale();
  for (auto _ : state) benchmark::DoNotOptimize(AnsiSameText(kNationalA, kNationalB));
}
BENCHMARK(BM_AnsiSameText_National);

void BM_AnsiCompareText_AsciiEqual(benchmark::State& state) {
  PinLocale();
  for (auto _ : state) benchmark::DoNotOptimize(AnsiCompareText(kAsciiA, kAsciiB));
}
BENCHMARK(BM_AnsiCompareText_AsciiEqual);

void BM_AnsiCompareText_AsciiEqual_en_US(benchmark::State& state) {
  SetTextLocale("en_US");
  for (auto _ : state) benchmark::DoNotOptimize(AnsiCompareText(kAsciiA, kAsciiB));
}
BENCHMARK(BM_AnsiCompareText_AsciiEqual_en_US);

void BM_AnsiCompareText_AsciiDifferent(benchmark::State& state) {
  PinLocale();
  for (auto _ : state) benchmark::DoNotOptimize(AnsiCompareText(kAsciiA, kAsciiOther));
}
BENCHMARK(BM_AnsiCompareText_AsciiDifferent);

void BM_AnsiCompareText_National(benchmark::State& state) {
  PinLocale();
  for (auto _ : state) benchmark::DoNotOptimize(AnsiCompareText(kNationalA, kNationalB));
}
BENCHMARK(BM_AnsiCompareText_National);

void BM_AnsiUpperCase_Short(benchmark::State& state) {
  PinLocale();
  for (auto _ : state) benchmark::DoNotOptimize(AnsiUpperCase(kNationalA));
}
BENCHMARK(BM_AnsiUpperCase_Short);

void BM_AnsiContainsText_National(benchmark::State& state) {
  PinLocale();
  for (auto _ : state) benchmark::DoNotOptimize(AnsiContainsText(kNationalB, "\xF8l"));
}
BENCHMARK(BM_AnsiContainsText_National);

void BM_Utf16ToAnsi_Ascii(benchmark::State& state) {
  const std::u16string text = u"FormatTitle";
  for (auto _ : state) benchmark::DoNotOptimize(Utf16ToAnsi(text));
}
BENCHMARK(BM_Utf16ToAnsi_Ascii);

void BM_Utf16ToAnsi_National(benchmark::State& state) {
  const std::u16string text = u"Bl\u00E5b\u00E6r og \u00F8l";
  for (auto _ : state) benchmark::DoNotOptimize(Utf16ToAnsi(text));
}
BENCHMARK(BM_Utf16ToAnsi_National);

void BM_AnsiToUtf16_National(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(AnsiToUtf16(kNationalA));
}
BENCHMARK(BM_AnsiToUtf16_National);

void BM_SplitFields_DefinitionLine(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<std::string> list;
    SplitFields("title \"Tittel og ansvar\" 245 a b c", " \t", list);
    benchmark::DoNotOptimize(list);
  }
}
BENCHMARK(BM_SplitFields_DefinitionLine);

void BM_RepairRecordText(benchmark::State& state) {
  const std::string record =
      "001 1000001\n005 20240115103000.0\n008 240115s2023    no a   e     000 1 nob d\n"
      "020    $a 978-82-02-12345-6 $q innbundet $c kr 399\n"
      "100 1  $a Hansen, Ola $d 1950- $4 aut\n"
      "245 10 $a Bl\xE5" "b\xE6r og tytteb\xE6r : $b en bok om norske b\xE6r / $c Ola Hansen\n"
      "264  1 $a Oslo : $b Cappelen Damm, $c 2023\n"
      "300    $a 214 sider : $b illustrasjoner ; $c 24 cm\n"
      "650  0 $a B\xE6r $z Norge\n700 1  $a \xD8stby, \xC5se $e illustrat\xF8r\n";
  for (auto _ : state) benchmark::DoNotOptimize(RepairRecordText(record));
}
BENCHMARK(BM_RepairRecordText);

}  // namespace

BENCHMARK_MAIN();
