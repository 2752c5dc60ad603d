// Speed of the macro engine's two readers on their hot paths: the record
// navigator walking a typical ~400-byte bibliographic record the way a full
// display format does, and the script reader taking command calls apart.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "vll2/marc.h"
#include "vll2/script.h"
#include "vll2/string_builder.h"
#include "vll2/text_conversions.h"

namespace {

using vellorax::vll2::TVLLMarc;
using vellorax::vll2::TVLLScript;
using vellorax::vll2::TVLLStringBuilder;

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
// walk each, every subfield value taken; gives the bytes of the values.
size_t WalkFullDisplay(TVLLMarc& marc) {
  static const std::pair<const char*, char> kSteps[] = {
      {"020", 'a'}, {"100", 'a'}, {"100", 'd'}, {"245", 'a'}, {"245", 'b'},
      {"245", 'c'}, {"250", 'a'}, {"260", 'a'}, {"260", 'b'}, {"260", 'c'},
      {"264", 'a'}, {"300", 'a'}, {"300", 'c'}, {"490", 'a'}, {"500", 'a'},
      {"650", 'a'}, {"650", 'x'}, {"700", 'a'}, {"700", 'e'}, {"110", 'a'}};
  size_t bytes = 0;
  for (const auto& [tag, code] : kSteps) {
    for (bool f = marc.FindFirstTag(tag); f; f = marc.FindNextTag()) {
      for (bool s = marc.FindFirstSubfield(code); s; s = marc.FindNextSubfield()) {
        bytes += marc.SubfieldView().size();
      }
    }
  }
  return bytes;
}

void BM_MarcFullDisplayWalk(benchmark::State& state) {
  const std::string& record = Record();
  size_t bytes = 0;
  for (auto _ : state) {
    TVLLMarc marc(std::string_view(record), TVLLMarc::BorrowText{});
    bytes += WalkFullDisplay(marc);
  }
  benchmark::DoNotOptimize(bytes);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MarcFullDisplayWalk);

// The same walk by one navigator reset onto each record in turn, as a
// holder kept from one record to the next would do: the index memory is
// reused.
void BM_MarcFullDisplayWalkReset(benchmark::State& state) {
  const std::string& record = Record();
  TVLLMarc marc(std::string_view(record), TVLLMarc::BorrowText{});
  size_t bytes = 0;
  for (auto _ : state) {
    marc.Reset(record);
    bytes += WalkFullDisplay(marc);
  }
  benchmark::DoNotOptimize(bytes);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MarcFullDisplayWalkReset);

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

// A navigator made for a record not seen before: the index is built by the
// first search.
void BM_MarcFirstSearch(benchmark::State& state) {
  const std::string& record = Record();
  for (auto _ : state) {
    TVLLMarc marc(std::string_view(record), TVLLMarc::BorrowText{});
    benchmark::DoNotOptimize(marc.FindFirstTag("245"));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MarcFirstSearch);

// The output of one field of a labelled display before conversion, as the tag
// command finds it (markup, Latin-1 letters, an entity, an escaped line end).
const std::string& FieldOutput() {
  static const std::string text =
      "<div><span class=label>Published: </span>Stockholm : Rab\xE9n &amp; Sj\xF6gren, "
      "2018 \"pocket\"</div>\\n";
  return text;
}

void BM_ScriptHtmlToText(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(TVLLScript::HtmlToText(FieldOutput()));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(FieldOutput().size()));
}
BENCHMARK(BM_ScriptHtmlToText);

void BM_ScriptFieldOutputToHtml(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(TVLLScript::TextToHtml(FieldOutput()));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(FieldOutput().size()));
}
BENCHMARK(BM_ScriptFieldOutputToHtml);

// The tag command's conversion of what a field wrote, in place in the output
// builder: 0 to plain text then unescaped, 1 to HTML then unescaped, 2 to
// plain text and unescaped in one pass.
// What a tag command does to its output after a run, from `s` on: mode 0
// text (two passes), 1 HTML, 2 text in one pass.
void ConvertFrom(TVLLStringBuilder& output, int s, int mode) {
  if (mode == 2) {
    output.HtmlToTextAndUnescapeFrom(s);
  } else {
    mode == 1 ? output.TextToHtmlFrom(s) : output.HtmlToTextFrom(s);
    output.UnescapeFrom(s);
  }
}

void BM_FieldConversionInPlace(benchmark::State& state) {
  const int mode = static_cast<int>(state.range(0));
  TVLLStringBuilder output;
  for (auto _ : state) {
    output.Clear();
    output.Append("kept");
    const int s = output.Length();
    output.Append(FieldOutput());
    ConvertFrom(output, s, mode);
    benchmark::DoNotOptimize(output.Length());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FieldConversionInPlace)->Arg(0)->Arg(1)->Arg(2);

// What the fields of one record of a labelled full display write, before
// conversion: a title, labelled fields (some ending in an escaped line end,
// one with a bare ampersand and a semicolon further on) and an id line.
const std::vector<std::string>& RecordFieldOutputs() {
  static const std::vector<std::string> fields = {
      "<div class=title>Byen historie : sj\xF8 himmel fjell / Liv \xC6r\xF8</div>\r\n",
      "<div><span class=label>Author: </span>\xC6r\xF8, Liv 1913- (author)</div>\\n",
      "<div><span class=label>Published: </span>Stockholm : Rab\xE9n & Sj\xF6gren, 2018</div>\\n",
      "<div><span class=label>Extent: </span>477 sider : illustrasjoner ; 24 cm</div>\r\n",
      "<div><span class=label>ISBN: </span>978-82-28-80868-1</div>\r\n",
      "<div><span class=label>Other names: </span>\xC5kesson, Kari (illustrator); Berg, Jon "
      "(editor)</div>\r\n",
      "<div><span class=label>Subjects: </span>Filosofi -- Nord-Norge; Romaner -- "
      "Danmark</div>\r\n",
      "<div><span class=label>Persons named: </span>2</div>\r\n",
      "<div class=id>No. 1000002</div>\r\n"};
  return fields;
}

// All the conversions of one record, as the tag commands make them; modes as
// BM_FieldConversionInPlace.
void BM_RecordConversions(benchmark::State& state) {
  const int mode = static_cast<int>(state.range(0));
  TVLLStringBuilder output;
  for (auto _ : state) {
    output.Clear();
    for (const std::string& field : RecordFieldOutputs()) {
      const int s = output.Length();
      output.Append(field);
      ConvertFrom(output, s, mode);
    }
    benchmark::DoNotOptimize(output.Length());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RecordConversions)->Arg(0)->Arg(1)->Arg(2);

}  // namespace

BENCHMARK_MAIN();
