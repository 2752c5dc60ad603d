// One engine formats record after record: whatever it keeps between runs (the
// read form of scripts and tag specifications, the commands' spare clones,
// remembered keyword skips) must never make a run differ from the same run on
// a fresh engine, failures included.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "vll2/vll2w.h"

namespace vellorax::vll2 {
namespace {

struct Definition {
  const char* name;
  const char* type;
  const char* body;
};

// Displays that reach every kind of kept state, and broken ones whose
// failures must be reported on every run alike.
const Definition kDefinitions[] = {
    {"words", "constant", "etal  et al.\nby  by"},
    {"rel", "table", "aut  (author)\nill  (illustrator)\nedt  (editor)"},
    {"t", "tag",
     "&name {$a $b $c $d}\n"
     "100 {&name#rel(, $4, )}\n"
     "700 {&name. $t#rel(, $4, )}\n"
     "245 {$a $n $p $b $c}\n"
     "020 {$a ($q)}\n"
     "650 {$a -- $x -- $z}\n"
     "264 {?($c){$a : $b, $c}::{[$a]}}\n"
     "300 {$a(:pos=1 len=3:)}\n"
     "bad {$a \"unclosed}"},
    {"full", "script",
     "#t(<b>, 245, </b>\\n)\n"
     "if (#count(, 700, )>\"1\") %words.etal% elseif (#count(, 100, )==\"1\") #t(100) "
     "else \"anonymous\" endif\n"
     "#select(, 110, 100, 700, )\n"
     "#t(, 700, R, ; , \\n)#t(, 650, 2, \\, , )#t(, 264, )#t(, 300, )#t(, 020, R, ; , )\n"
     "ifnot (#count(, 245, )==\"0\") #txt(: , #t(245), ) endif"},
    {"self", "script", "if (#count(, 700, )>\"0\") #t(, 700, S, , ) endif #t(, 100, )"},
    {"noendif", "script", "#t(245) if (#count(, 245, )==\"1\") \"one\""},
    {"badspec", "script", "#t(<, bad, >) #t(, 245, {$a #nosuch(}, S, , )"},
};

const char* const kRuns[] = {"full", "self", "noendif", "badspec"};

std::vector<std::string> FixtureRecords() {
  std::vector<std::string> records;
  const std::filesystem::path dir = std::filesystem::path(VX_SOURCE_DIR) / "tests/data/records";
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (entry.path().extension() == ".txt") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  for (const auto& file : files) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    records.push_back(text.str());
  }
  return records;
}

void Define(TVLL2W& engine, bool html) {
  engine.SetDebug(true);
  engine.SetHtml(html);
  for (const Definition& d : kDefinitions) {
    ASSERT_EQ(engine.Command(d.name, d.type, d.body, "add"), "") << d.name;
  }
}

TEST(EngineReuseTest, EveryRunOfALongLivedEngineEqualsAFreshEngine) {
  const std::vector<std::string> records = FixtureRecords();
  ASSERT_GE(records.size(), 20u);
  for (const bool html : {false, true}) {
    TVLL2W kept;
    Define(kept, html);
    // Twice over all records, so every run after the first meets kept state.
    int displays = 0;
    for (int round = 0; round < 2; ++round) {
      for (size_t i = 0; i < records.size(); ++i) {
        for (const char* run : kRuns) {
          TVLL2W fresh;
          Define(fresh, html);
          const std::string output = kept.Execute(run, records[i], true);
          EXPECT_EQ(output, fresh.Execute(run, records[i], true))
              << run << " record " << i << " round " << round << " html " << html;
          if (run == kRuns[0] && output.find("</b>") != std::string::npos) ++displays;
        }
      }
    }
    EXPECT_EQ(displays, 2 * static_cast<int>(records.size()));
  }
}

TEST(EngineReuseTest, FailuresAreReportedOnEveryRun) {
  TVLL2W engine;
  Define(engine, false);
  const std::string record = "001 1\n245 10 $a Title\n";
  for (int round = 0; round < 3; ++round) {
    EXPECT_EQ(engine.Execute("noendif", record, true),
              "VLL2 execute error: if without endif (TVLLScriptCommand: noendif)")
        << round;
    const std::string bad = engine.Execute("badspec", record, true);
    EXPECT_EQ(bad.rfind("VLL2 execute error: Error in script:", 0), 0u) << bad;
  }
}

// Records of one length in turn, given as engine text: the kept record copy
// reuses its memory, and nothing read from one record may serve the next.
TEST(EngineReuseTest, RecordsOfOneLengthFollowingEachOther) {
  TVLL2W engine;
  Define(engine, false);
  const std::string records[] = {
      "*001  $a1\n*24510$aFirst$bone\n*7001 $aAnna$4aut\n^",
      "*001  $a2\n*24500$aOther$btwo\n*7001 $aBera$4ill\n^",
      "*001  $a3\n*7001 $aCarl$4edt\n*24510$aThird$bsix\n^",
  };
  for (int round = 0; round < 2; ++round) {
    for (const std::string& record : records) {
      ASSERT_EQ(record.size(), records[0].size());
      TVLL2W fresh;
      Define(fresh, false);
      for (const char* run : kRuns) {
        EXPECT_EQ(engine.Execute(run, record, false), fresh.Execute(run, record, false))
            << run << " " << record;
      }
    }
  }
  EXPECT_EQ(engine.Execute("self", records[1], false), "Bera (illustrator)");
}

TEST(EngineReuseTest, ARegistrationMadeBetweenRunsIsUsedAtOnce) {
  TVLL2W engine;
  Define(engine, false);
  const std::string record = "001 1\n245 10 $a Title $b Sub\n";
  EXPECT_EQ(engine.Execute("self", "001 1\n100 1  $a Hansen, Ola\n", true), "Hansen, Ola");
  EXPECT_EQ(engine.Command("t", "tag", "245 {$b}", "add"), "");
  EXPECT_EQ(engine.Command("show", "script", "#t(245)", "add"), "");
  EXPECT_EQ(engine.Execute("show", record, true), "Sub");
  EXPECT_EQ(engine.Command("t", "tag", "245 {$a}", "add"), "");
  EXPECT_EQ(engine.Execute("show", record, true), "Title");
  EXPECT_EQ(engine.Command("show", "script", "#t([, 245, {$b}, S, , ])", "add"), "");
  EXPECT_EQ(engine.Execute("show", record, true), "[Sub]");
  // The command a call found before is not kept once another takes its name.
  EXPECT_EQ(engine.Command("t", "script", "\"replaced\"", "add"), "");
  EXPECT_EQ(engine.Execute("show", record, true), "[replaced]");
}

}  // namespace
}  // namespace vellorax::vll2
