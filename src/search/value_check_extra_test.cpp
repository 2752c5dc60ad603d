// Edges of the check by data type: what the integer test accepts (blanks,
// signs, hexadecimal), which parts of a date or timestamp are examined and
// which are not, and how the operator picks the rule for string and word
// values. Expected values follow the written rules, quirks included.
#include <gtest/gtest.h>

#include <string>

#include "search/value_check.h"

namespace vellorax::search {
namespace {

constexpr const char* kPass = "";
constexpr const char* kInteger = "Integer was expected. (T)";
constexpr const char* kDate = "Illegal date format. YYYY-MM-DD, YYYY-MM or YYYY expected. (T)";
constexpr const char* kTimestamp =
    "Illegal timestamp format. YYYY-MM-DD HH:MM:SS, YYYY-MM-DD, YYYY-MM or YYYY expected. (T)";
constexpr const char* kWildcardOp = "Wildcard is not allowed with this relational operator. (T)";
constexpr const char* kWildcardInterval = "Wildcard is not allowed in interval search. (T)";
constexpr const char* kSpaceOrWildcardOp =
    "Space or wildcard is not allowed with this relational operator. (T)";
constexpr const char* kSpaceOrWildcardInterval =
    "Space or wildcard is not allowed in interval search. (T)";
constexpr const char* kSpace = "Space is not allowed. (T)";

struct Case {
  Datatype type;
  RelOp rel;
  const char* value;
  const char* value2;
  const char* message;  // kPass when the check passes
  const char* value_after;
  const char* value2_after;
};

const Case kCases[] = {
    // Integers: leading blanks and a sign are allowed, "$"/"0x" start hex
    // digits; a trailing blank, overflow and -2147483647 are not integers.
    {Datatype::Integer, RelOp::Equal, " 42", "", kPass, " 42", ""},
    {Datatype::Integer, RelOp::Equal, "+7", "", kPass, "+7", ""},
    {Datatype::Integer, RelOp::Greater, "-12", "", kPass, "-12", ""},
    {Datatype::Integer, RelOp::Equal, "$1F", "", kPass, "$1F", ""},
    {Datatype::Integer, RelOp::Equal, "0x10", "", kPass, "0x10", ""},
    {Datatype::Integer, RelOp::Equal, "42 ", "", kInteger, "", ""},
    {Datatype::Integer, RelOp::Equal, "", "", kInteger, "", ""},
    {Datatype::Integer, RelOp::Equal, "2147483648", "", kInteger, "", ""},
    {Datatype::Integer, RelOp::Equal, "-2147483647", "", kInteger, "", ""},
    {Datatype::Integer, RelOp::Equal, "12%", "", kInteger, "", ""},
    {Datatype::Integer, RelOp::Interval, "1", " 2", kPass, "1", " 2"},
    {Datatype::Integer, RelOp::Interval, "1 ", "2", kInteger, "", ""},
    // Dates: only the three number fields are examined, not the separators
    // nor the month and day ranges; the operator does not matter.
    {Datatype::Date, RelOp::Equal, "1999/05/01", "", kPass, "1999/05/01", ""},
    {Datatype::Date, RelOp::Greater, "1999-13-45", "", kPass, "1999-13-45", ""},
    {Datatype::Date, RelOp::Equal, " 1999 ", "", kPass, "1999-01-01", ""},
    {Datatype::Date, RelOp::Equal, "1999.07", "", kPass, "1999.07-01", ""},
    {Datatype::Date, RelOp::Equal, "99-01-01", "", kDate, "", ""},
    {Datatype::Date, RelOp::Equal, "1999-5", "", kDate, "", ""},
    {Datatype::Date, RelOp::Equal, "1999-05-01x", "", kDate, "", ""},
    {Datatype::Date, RelOp::Equal, "", "", kDate, "", ""},
    {Datatype::Date, RelOp::Like, "199%", "", kDate, "", ""},
    {Datatype::Date, RelOp::Interval, "1999", "", kDate, "", ""},
    {Datatype::Date, RelOp::Interval, "1999-02", "2000", kPass, "1999-02-01", "2000-01-01"},
    // Timestamps: nineteen characters need all six number fields; anything
    // else is a date, reported with the timestamp message.
    {Datatype::Timestamp, RelOp::Equal, "1999-05-01T10:20:30", "", kPass, "1999-05-01T10:20:30", ""},
    {Datatype::Timestamp, RelOp::Equal, "  1999-05-01 10:20:30 ", "", kPass, "1999-05-01 10:20:30",
     ""},
    {Datatype::Timestamp, RelOp::Less, "1999-05-01", "", kPass, "1999-05-01", ""},
    {Datatype::Timestamp, RelOp::Less, "1999-05", "", kPass, "1999-05-01", ""},
    {Datatype::Timestamp, RelOp::Equal, "1999-05-01 10:20", "", kTimestamp, "", ""},
    {Datatype::Timestamp, RelOp::Equal, "1999-05-01 10:20:3x", "", kTimestamp, "", ""},
    {Datatype::Timestamp, RelOp::Interval, "1999", "2000-01-01 00:00:00", kPass, "1999-01-01",
     "2000-01-01 00:00:00"},
    {Datatype::Timestamp, RelOp::Interval, "1999", "later", kTimestamp, "", ""},
    // Strings: "*" is a wildcard too; only like admits wildcards, and a
    // missing operator counts as any other operator.
    {Datatype::String, RelOp::Like, "a*b", "", kPass, "a*b", ""},
    {Datatype::String, RelOp::GreaterEqual, "a*", "", kWildcardOp, "", ""},
    {Datatype::String, RelOp::None, "a_", "", kWildcardOp, "", ""},
    {Datatype::String, RelOp::Interval, "a%", "b", kWildcardInterval, "", ""},
    {Datatype::String, RelOp::Equal, " (a b) ", "", kPass, " (a b) ", ""},
    // Words: punctuation and white space go first, so they never count as a
    // space; the rule by operator runs on the trimmed value.
    {Datatype::Word, RelOp::Equal, "  hello,  ", "", kPass, "hello", ""},
    {Datatype::Word, RelOp::Equal, "\"quoted\"", "", kPass, "quoted", ""},
    {Datatype::Word, RelOp::Less, "a*", "", kSpaceOrWildcardOp, "", ""},
    {Datatype::Word, RelOp::Equal, "%", "", kSpaceOrWildcardOp, "", ""},
    {Datatype::Word, RelOp::Like, "a*b_", "", kPass, "a*b_", ""},
    {Datatype::Word, RelOp::Like, "(a b)", "", kSpace, "", ""},
    {Datatype::Word, RelOp::Interval, "(a):", "[b].", kPass, "a", "b"},
    {Datatype::Word, RelOp::Interval, "a", "b_", kSpaceOrWildcardInterval, "", ""},
    // Numeric and untyped values are never checked, whatever the operator.
    {Datatype::Numeric, RelOp::Interval, "x%", "y z", kPass, "x%", "y z"},
    {Datatype::None, RelOp::Like, "", "", kPass, "", ""},
};

TEST(CheckByDatatypeEdgeTest, RulesAtTheirEdges) {
  for (const Case& c : kCases) {
    std::string value = c.value;
    std::string value2 = c.value2;
    std::string message;
    try {
      CheckByDatatype(c.type, c.rel, value, value2, "T");
    } catch (const VLSearchException& e) {
      message = e.what();
    }
    const std::string where = std::string("'") + c.value + "' / '" + c.value2 + "'";
    EXPECT_EQ(message, c.message) << where;
    if (message.empty()) {
      EXPECT_EQ(value, c.value_after) << where;
      EXPECT_EQ(value2, c.value2_after) << where;
    }
  }
}

// The search store splits an interval before checking it: the ends keep their
// blanks, so an integer interval written with blanks before ":" fails.
TEST(CheckByDatatypeEdgeTest, IntervalSplitThenChecked) {
  std::string low;
  std::string high;
  SplitInterval(" 1990 :2000 ", "T", low, high);
  EXPECT_EQ(low, "1990 ");
  EXPECT_EQ(high, "2000");
  EXPECT_THROW(CheckByDatatype(Datatype::Integer, RelOp::Interval, low, high, "T"),
               VLSearchException);

  SplitInterval("1999:2000-06", "T", low, high);
  CheckByDatatype(Datatype::Date, RelOp::Interval, low, high, "T");
  EXPECT_EQ(low, "1999-01-01");
  EXPECT_EQ(high, "2000-06-01");
}

}  // namespace
}  // namespace vellorax::search
