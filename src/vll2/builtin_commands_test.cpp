// The text, select, count and text-group commands, called as in a script.
#include "vll2/builtin_commands.h"

#include <gtest/gtest.h>

#include "vll2/tag_test_support.h"

namespace vellorax::vll2 {
namespace {

using testing::CallResult;

// Two 700 fields, one 710 field and the 245 field «*24510$aMain$bSub».
constexpr std::string_view kRecord =
    "*001  $a7\n*24510$aMain$bSub\n*7001 $aFirst, Anna\n*7001 $aSecond, Bo\n"
    "*7102 $aSome Corporation\n^";

class BuiltinCommandsTest : public testing::RecordCommandTest {
 protected:
  void SetUp() override { AddTag("tag"); }
};

struct Row {
  const char* call;
  TVLLStatus status;
  const char* output;
};

TEST_F(BuiltinCommandsTest, EdgeCaseTable) {
  const Row rows[] = {
      {"#txt([, x, ])", 0, "[x]"},
      {"#txt([, %nosuch%, ])", 0, ""},
      {"#txt([, , ])", 0, ""},
      {"#txt(a, b)", 7, ""},
      {"#select(Title: , 246, 245, .)", 0, "Title: Main."},
      {"#select(246)", 0, ""},
      {"#select(245)", 0, "Main"},
      {"#select([, 700)", 0, "[First, Anna"},  // two parameters: prefix and one item
      {"#count(Count: , 700, )", 0, "Count: 2"},
      {"#count(700, 710)", 0, "7001"},
      {"#count(, 999, )", 0, "0"},
      {"#count(, 700, 710, 7??, )", 0, "6"},  // items add up
      {"#count(7)", 0, "3"},
      // The pattern is what the item writes, also when the prefix ends with
      // the character it begins with.
      {"#count(7, 700, )", 0, "72"},
  };
  for (const Row& row : rows) {
    CallResult r = Run(row.call, kRecord);
    EXPECT_EQ(r.status, row.status) << row.call;
    EXPECT_EQ(r.output, row.output) << row.call;
  }
}

TEST_F(BuiltinCommandsTest, FailureMessages) {
  CallResult txt = Run("#txt(a, b)", kRecord);
  EXPECT_EQ(txt.error_code, 7);
  EXPECT_EQ(txt.error_where, "vll2TxtCommand");
  EXPECT_EQ(txt.error_message, "There must be exactly 3 parameters for the txt-command.");
  EXPECT_EQ(txt.error_detail, "txt");

  CallResult select = Run("#select()", kRecord);
  EXPECT_EQ(select.status, 7);
  EXPECT_EQ(select.error_where, "vll2SelectCommand");
  EXPECT_EQ(select.error_message, "Mising parameters");
  EXPECT_EQ(select.error_detail, "select");

  CallResult count = Run("#count()", kRecord);
  EXPECT_EQ(count.status, 7);
  EXPECT_EQ(count.error_where, "vll2CountCommand");
  EXPECT_EQ(count.error_message, "Mising parameters");

  AddConstants("labels", {{"a", " A"}});
  CallResult group = Run("#labels(x, a)", kRecord);
  EXPECT_EQ(group.status, 7);
  EXPECT_EQ(group.error_where, "vll2TextgroupAsCommand");
  EXPECT_EQ(group.error_message, "There must be exactly 3 parameters for the this command.");
  EXPECT_EQ(group.error_detail, "labels");
}

TEST_F(BuiltinCommandsTest, CountWithoutRecordKeepsPrefixAndRecordsWithStatusZero) {
  CallResult r = Run("#count(Count: , 700, .)", kRecord, false, /*with_record=*/false);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, "Count: ");
  EXPECT_EQ(r.error_code, 0);
  EXPECT_EQ(r.error_where, "vllTagCommand._DoExecute");
  EXPECT_EQ(r.error_message, "Missing MarcrecordCount: \r\n700\r\n.\r\n");
  EXPECT_EQ(r.error_detail, "count");
}

TEST_F(BuiltinCommandsTest, SelectWithoutTagCommandRecordsTheMissingCommand) {
  ws_.AddCommand("tag", nullptr);  // replaces the registered "tag" by nothing
  CallResult r = Run("#select(a, b)", kRecord);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, "");
  EXPECT_EQ(r.error_code, 6);
  EXPECT_EQ(r.error_message, "Could not find the command: tag");
}

TEST_F(BuiltinCommandsTest, SelectStopsAtSyntaxErrorAndTakesNothingBack) {
  CallResult r = Run("#select([, 246, %a.b.c.d%, 245, ])", kRecord);
  EXPECT_EQ(r.status, 9);
  EXPECT_EQ(r.output, "[");
}

TEST_F(BuiltinCommandsTest, SelectAlternativesOfEveryForm) {
  AddConstants("labels", {{"none", " (none)"}});
  const Row rows[] = {
      {"#select(<, \"quoted\", 245, >)", 0, "<quoted>"},
      {"#select(<, %labels.none%, >)", 0, "< (none)>"},
      {"#select(<, #txt(, %nosuch%, ), 245, >)", 0, "<Main>"},
      {"#select(<, , 245, >)", 0, "<Main>"},  // an empty alternative writes nothing
  };
  for (const Row& row : rows) {
    CallResult r = Run(row.call, kRecord);
    EXPECT_EQ(r.status, row.status) << row.call;
    EXPECT_EQ(r.output, row.output) << row.call;
  }
}

TEST_F(BuiltinCommandsTest, TextGroupCommand) {
  AddConstants("lang", {{"nor", " Norsk"}});
  const Row rows[] = {
      {"#lang(, \"nor\", )", 0, " Norsk"},  // the quoted key is taken as it is
      {"#lang(, nor, )", 6, ""},  // replaced by « Norsk» first, and "Norsk" is no key
      {"#lang(, xx, )", 6, ""},
      {"#lang([, \"nor\", ])", 0, "[ Norsk]"},
      {"#lang([, \"xx\", ])", 6, ""},  // the prefix is taken back
      {"#lang([, , ])", 0, ""},
      {"#lang(n, \"nor\", )", 0, "n Norsk"},  // the key keeps its "n" after the prefix "n"
  };
  for (const Row& row : rows) {
    CallResult r = Run(row.call, kRecord);
    EXPECT_EQ(r.status, row.status) << row.call;
    EXPECT_EQ(r.output, row.output) << row.call;
    EXPECT_EQ(r.error_code, 0) << row.call;  // a missing key records nothing
  }
}

TEST_F(BuiltinCommandsTest, TxtFramesAreParameters) {
  AddConstants("labels", {{"isbn", " ISBN"}});
  const Row rows[] = {
      {"#txt(isbn, \"x\", .)", 0, " ISBNx."},  // a plain frame naming a key is replaced
      {"#txt(<, #count(, 700, ), >)", 0, "<2>"},
      {"#txt(<, #count(, 999, ), >)", 0, "<0>"},
      {"#txt(<, #select(246), >)", 0, ""},
      {"#txt(%a.b.c.d%, x, y)", 9, ""},
  };
  for (const Row& row : rows) {
    CallResult r = Run(row.call, kRecord);
    EXPECT_EQ(r.status, row.status) << row.call;
    EXPECT_EQ(r.output, row.output) << row.call;
  }
}

}  // namespace
}  // namespace vellorax::vll2
