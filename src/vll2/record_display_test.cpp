// A record display as a client builds it: tag, constant, table and script
// registrations through TVLL2W::Command, runs through Execute only.
#include <gtest/gtest.h>

#include <string>

#include "vll2/vll2w.h"

namespace vellorax::vll2 {
namespace {

// Display lines (repaired with AFix) and the same record as engine text.
constexpr std::string_view kDisplayLines =
    "001 4711\n"
    "008 240115s2023    no a   e     000 1 nob d\n"
    "100 1  $a Hansen, Ola $d 1950- $4 aut\n"
    "245 10 $a Fjell & fjord : $b <turer> $c Ola Hansen\n"
    "700 1  $a Berg, Kari $4 ill\n"
    "700 1  $a Dahl, Per $4 xyz\n";
constexpr std::string_view kEngineText =
    "*001  $a4711\n"
    "*1001 $aHansen, Ola\n$d1950-\n$4aut\n"
    "*24510$aFjell & fjord :\n$b<turer>\n$cOla Hansen\n"
    "*7001 $aBerg, Kari\n$4ill\n"
    "*7001 $aDahl, Per\n$4xyz\n^";

class RecordDisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(engine_.Command("words", "constant", "by  by\nmore  and others", "add"), "");
    ASSERT_EQ(engine_.Command("rel", "TABLE", "aut  (author)\nill  (illustrator)", "add"), "");
    ASSERT_EQ(engine_.Command("t", "tag",
                              "&name {$a $d}\n"
                              "100 {&name#rel(, $4, )}\n"
                              "700 {$a#rel(, $4, )}\n"
                              "245 {$a $b}\n"
                              "245 resp {$c}",
                              "add"),
              "");
    ASSERT_EQ(engine_.Command("display", "script",
                              "#t(, 245, )\n"
                              "#t(\\ / , 245:resp, )\n"
                              "if (#count(, 700, )>\"1\") %words.more% endif\n"
                              "#t(<br>, 100, )\n"
                              "#t(<br>, 700, R, ; , )",
                              "add"),
              "");
  }

  TVLL2W engine_;
};

TEST_F(RecordDisplayTest, RepairedAndEngineTextGiveTheSameDisplay) {
  const std::string expected =
      "Fjell & fjord : <turer> / Ola Hansen and othersHansen, Ola 1950- (author)"
      "Berg, Kari (illustrator); Dahl, Per";
  EXPECT_EQ(engine_.Execute("display", kDisplayLines, true), expected);
  EXPECT_EQ(engine_.Execute("display", kEngineText, false), expected);
  // Without the repair the display lines are no engine text: nothing matches.
  EXPECT_EQ(engine_.Execute("display", kDisplayLines, false), "");
}

TEST_F(RecordDisplayTest, HtmlModeEncodesFieldTextAndKeepsMarkup) {
  engine_.SetHtml(true);
  EXPECT_EQ(engine_.Execute("display", kEngineText, false),
            "Fjell &amp; fjord : &lt;turer&gt; / Ola Hansen and others<br>Hansen, Ola 1950- "
            "(author)<br>Berg, Kari (illustrator); Dahl, Per");
}

TEST_F(RecordDisplayTest, SpecificationErrorsReachTheDebugMessage) {
  ASSERT_EQ(engine_.Command("broken", "script", "#t(, 245, {$a ?}, S, , )", "add"), "");
  EXPECT_EQ(engine_.Execute("broken", kEngineText, false), "");
  engine_.SetDebug(true);
  EXPECT_EQ(engine_.Execute("broken", kEngineText, false),
            "VLL2 execute error: Error in script:$a ? (vll2TagCommand: _Process)");
}

// The relator key is looked up as its parameter writes it, whatever the
// output before it ends with ("Kari" before "ill", "7" before "700").
TEST_F(RecordDisplayTest, KeysAndPatternsDoNotMeltIntoThePrecedingOutput) {
  ASSERT_EQ(engine_.Command("k", "script", "#t(, 700, S, , )\n#count(7, 700, )", "add"), "");
  EXPECT_EQ(engine_.Execute("k", kEngineText, false), "Berg, Kari (illustrator)72");
}

TEST_F(RecordDisplayTest, TagCommandByNameHasNoParameterList) {
  engine_.SetDebug(true);
  EXPECT_EQ(engine_.Execute("t", kEngineText, false),
            "VLL2 execute error: Missing parameters: (vllTagCommand._DoExecute: t)");
}

}  // namespace
}  // namespace vellorax::vll2
