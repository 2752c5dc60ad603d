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

TEST_F(BuiltinCommandsTest, EdgeCaseTable) {
  AddConstants("labels", {{"none", " (none)"}, {"isbn", " ISBN"}});
  CheckRows({
                {"#txt([, x, ])", 0, "[x]"},
                {"#txt([, %nosuch%, ])", 0, ""},
                {"#txt([, , ])", 0, ""},
                {"#txt(isbn, \"x\", .)", 0, " ISBNx."},  // a plain frame naming a key is replaced
                {"#txt(<, #count(, 700, ), >)", 0, "<2>"},
                {"#txt(<, #select(246), >)", 0, ""},
                {"#txt(%a.b.c.d%, x, y)", 9, ""},
                {"#select(Title: , 246, 245, .)", 0, "Title: Main."},
                {"#select(246)", 0, ""},
                {"#select([, 700)", 0, "[First, Anna"},  // two parameters: prefix and one item
                {"#select(<, \"quoted\", 245, >)", 0, "<quoted>"},
                {"#select(<, %labels.none%, >)", 0, "< (none)>"},
                {"#select(<, #txt(, %nosuch%, ), 245, >)", 0, "<Main>"},
                {"#select(<, , 245, >)", 0, "<Main>"},  // an empty alternative writes nothing
                {"#select([, 246, %a.b.c.d%, 245, ])", 9, "["},  // stops, takes nothing back
                {"#count(Count: , 700, )", 0, "Count: 2"},
                {"#count(700, 710)", 0, "7001"},
                {"#count(, 999, )", 0, "0"},
                {"#count(, 700, 710, 7??, )", 0, "6"},  // items add up
                {"#count(7)", 0, "3"},
                // The pattern is what the item writes, also when the prefix ends with
                // the character it begins with.
                {"#count(7, 700, )", 0, "72"},
            },
            kRecord);
}

TEST_F(BuiltinCommandsTest, FailureMessages) {
  AddConstants("labels", {{"a", " A"}});
  const struct {
    const char* call;
    const char* where;
    const char* message;
    const char* detail;
  } rows[] = {
      {"#txt(a, b)", "vll2TxtCommand", "There must be exactly 3 parameters for the txt-command.",
       "txt"},
      {"#select()", "vll2SelectCommand", "Mising parameters", "select"},
      {"#count()", "vll2CountCommand", "Mising parameters", "count"},
      {"#labels(x, a)", "vll2TextgroupAsCommand",
       "There must be exactly 3 parameters for the this command.", "labels"},
  };
  for (const auto& row : rows) {
    CallResult r = Run(row.call, kRecord);
    EXPECT_EQ(r.status, 7) << row.call;
    EXPECT_EQ(r.error_code, 7) << row.call;
    EXPECT_EQ(r.output, "") << row.call;
    EXPECT_EQ(r.error_where, row.where) << row.call;
    EXPECT_EQ(r.error_message, row.message) << row.call;
    EXPECT_EQ(r.error_detail, row.detail) << row.call;
  }
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

TEST_F(BuiltinCommandsTest, TextGroupCommand) {
  AddConstants("lang", {{"nor", " Norsk"}});
  const Row rows[] = {
      {"#lang(, \"nor\", )", 0, " Norsk"},  // the quoted key is taken as it is
      {"#lang(, nor, )", 6, ""},  // replaced by « Norsk» first, and "Norsk" is no key
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

}  // namespace
}  // namespace vellorax::vll2
