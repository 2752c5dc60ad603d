#include "search/value_check.h"

#include <gtest/gtest.h>

#include <string>

#include "search/system_index.h"

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

// Type, operator, value and second value; the message (kPass when the check
// passes) and, when it passes, both values after the check.
struct Case {
  Datatype type;
  RelOp rel;
  const char *value, *value2, *message, *value_after, *value2_after;
};

using D = Datatype;
using R = RelOp;

const Case kCases[] = {
    // Integers: leading blanks and a sign are allowed, "$"/"0x" start hex
    // digits; a trailing blank, overflow and -2147483647 are not integers.
    {D::Integer, R::Equal, "42", "", kPass, "42", ""},
    {D::Integer, R::Less, "4x", "", kInteger, "", ""},
    {D::Integer, R::Equal, " 42", "", kPass, " 42", ""},
    {D::Integer, R::Greater, "-12", "", kPass, "-12", ""},
    {D::Integer, R::Equal, "$1F", "", kPass, "$1F", ""},
    {D::Integer, R::Equal, "0x10", "", kPass, "0x10", ""},
    {D::Integer, R::Equal, "42 ", "", kInteger, "", ""},
    {D::Integer, R::Equal, "", "", kInteger, "", ""},
    {D::Integer, R::Equal, "2147483648", "", kInteger, "", ""},
    {D::Integer, R::Equal, "-2147483647", "", kInteger, "", ""},
    {D::Integer, R::Interval, "1990", " 2000", kPass, "1990", " 2000"},
    {D::Integer, R::Interval, "1990", "x", kInteger, "", ""},
    {D::Integer, R::Interval, "1 ", "2", kInteger, "", ""},
    // Dates: a year or a month means its first day; only the three number
    // fields are examined, not the separators nor the month and day ranges.
    {D::Date, R::Equal, "1999", "", kPass, "1999-01-01", ""},
    {D::Date, R::Equal, " 1999-05 ", "", kPass, "1999-05-01", ""},
    {D::Date, R::Less, "2001-05-17", "", kPass, "2001-05-17", ""},
    {D::Date, R::Greater, "1999-13-45", "", kPass, "1999-13-45", ""},
    {D::Date, R::Equal, "1999.07", "", kPass, "1999.07-01", ""},
    {D::Date, R::Equal, "1999-5-1", "", kDate, "", ""},
    {D::Date, R::Equal, "19990501", "", kDate, "", ""},
    {D::Date, R::Equal, "1999-05-01x", "", kDate, "", ""},
    {D::Date, R::Equal, "", "", kDate, "", ""},
    {D::Date, R::Like, "199%", "", kDate, "", ""},
    {D::Date, R::Interval, "1999", "2000-06", kPass, "1999-01-01", "2000-06-01"},
    {D::Date, R::Interval, "1999", "later", kDate, "", ""},
    {D::Date, R::Interval, "1999", "", kDate, "", ""},
    // Timestamps: nineteen characters need all six number fields; anything
    // else is a date, reported with the timestamp message.
    {D::Timestamp, R::Equal, "1999-05-01 10:20:30", "", kPass, "1999-05-01 10:20:30", ""},
    {D::Timestamp, R::Equal, "1999-05-01T10:20:30", "", kPass, "1999-05-01T10:20:30", ""},
    {D::Timestamp, R::Equal, "  1999-05-01 10:20:30 ", "", kPass, "1999-05-01 10:20:30", ""},
    {D::Timestamp, R::Greater, "1999", "", kPass, "1999-01-01", ""},
    {D::Timestamp, R::Less, "1999-05", "", kPass, "1999-05-01", ""},
    {D::Timestamp, R::Equal, "1999-05-01 10:xx:30", "", kTimestamp, "", ""},
    {D::Timestamp, R::Equal, "1999-05-01 10:20", "", kTimestamp, "", ""},
    {D::Timestamp, R::Interval, "2001-01-01 00:00:00", "2001-02", kPass, "2001-01-01 00:00:00",
     "2001-02-01"},
    {D::Timestamp, R::Interval, "1999", "later", kTimestamp, "", ""},
    // Strings: "%", "_" and "*" are wildcards, admitted only by like; a missing
    // operator counts as any other operator.
    {D::String, R::Less, "abc%", "", kWildcardOp, "", ""},
    {D::String, R::Equal, "a_c", "", kWildcardOp, "", ""},
    {D::String, R::None, "a*", "", kWildcardOp, "", ""},
    {D::String, R::Like, "a*b%", "", kPass, "a*b%", ""},
    {D::String, R::Equal, " (two words) ", "", kPass, " (two words) ", ""},
    {D::String, R::Interval, "a", "b*", kWildcardInterval, "", ""},
    {D::String, R::Interval, "a b", "c d", kPass, "a b", "c d"},
    // Words: punctuation and white space are trimmed first, so they never
    // count as a space; the rule by operator runs on the trimmed value.
    {D::Word, R::Equal, "  (hello).  ", "", kPass, "hello", ""},
    {D::Word, R::Like, "%(hello)%", "", kPass, "%hello%", ""},
    {D::Word, R::Equal, "...", "", kPass, "...", ""},
    {D::Word, R::Equal, "two words", "", kSpaceOrWildcardOp, "", ""},
    {D::Word, R::Greater, "ab*", "", kSpaceOrWildcardOp, "", ""},
    {D::Word, R::Equal, "%", "", kSpaceOrWildcardOp, "", ""},
    {D::Word, R::Like, "a*b_", "", kPass, "a*b_", ""},
    {D::Word, R::Like, "(a b%)", "", kSpace, "", ""},
    {D::Word, R::Interval, "(a):", "[z].", kPass, "a", "z"},
    {D::Word, R::Interval, "a", "y z", kSpaceOrWildcardInterval, "", ""},
    {D::Word, R::Interval, "a%", "z", kSpaceOrWildcardInterval, "", ""},
    // Numeric and untyped values are never checked, whatever the operator.
    {D::Numeric, R::Interval, "x%", "y z", kPass, "x%", "y z"},
    {D::None, R::Less, "a b%", "", kPass, "a b%", ""},
};

TEST(CheckByDatatypeTest, RulesAndMessages) {
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

// The search store splits an interval at its first colon before checking it:
// the ends keep their blanks, so an integer interval with blanks fails.
TEST(CheckByDatatypeTest, TermTextAndIntervalSplit) {
  std::string value = "abc%";
  std::string value2;
  EXPECT_EQ(TermText("TI", RelOp::Less, value), "TI < abc%");
  EXPECT_EQ(TermText("PY", RelOp::Interval, "1990:x"), "PY IN 1990:x");
  EXPECT_EQ(TermText("PY", RelOp::None, "1990"), "PY  1990");
  try {
    CheckByDatatype(Datatype::String, RelOp::Less, value, value2, "TI < abc%");
    ADD_FAILURE() << "no exception";
  } catch (const VLSearchException& e) {
    EXPECT_STREQ(e.what(), "Wildcard is not allowed with this relational operator. (TI < abc%)");
  }
  std::string low, high;
  const std::tuple<const char*, const char*, const char*> splits[] = {
      {" 1990:2000 ", "1990", "2000"}, {"a : b:c", "a ", " b:c"}, {":", "", ""},
      {" 1990 :2000 ", "1990 ", "2000"}};
  for (const auto& [text, low_part, high_part] : splits) {
    SplitInterval(text, "T", low, high);
    EXPECT_EQ(low, low_part) << text;
    EXPECT_EQ(high, high_part) << text;
  }
  EXPECT_THROW(CheckByDatatype(Datatype::Integer, RelOp::Interval, low, high, "T"),
               VLSearchException);
  try {
    SplitInterval("1990-2000", "PY IN 1990-2000", low, high);
    ADD_FAILURE() << "no exception";
  } catch (const VLSearchException& e) {
    EXPECT_STREQ(e.what(), "Interval search was expected. (PY IN 1990-2000)");
  }
}

TEST(TrimWordPunctuationTest, KeepsWildcardsAndAllPunctuationTexts) {
  const std::pair<const char*, const char*> cases[] = {
      {"", ""},         {" % ", "%"},          {"\"quoted\"", "quoted"},
      {"#&\\=?@{x}<>+-/", "x"},                {"\xA3" "42\xA3", "42"},
      {"%%", "%%"},     {"% hello. %", "%hello%"}, {"!?", "!?"}, {"a-b", "a-b"},
  };
  for (const auto& [in, out] : cases) {
    std::string s = in;
    TrimWordPunctuation(s);
    EXPECT_EQ(s, out) << in;
  }
}

TEST(SystemIndexTest, TypesAndExpandedValues) {
  EXPECT_EQ(SystemIndexType("IS"), 1);
  EXPECT_EQ(SystemIndexType("SN"), 2);
  EXPECT_EQ(SystemIndexType("UD"), 3);
  EXPECT_EQ(SystemIndexType("AX"), 4);
  EXPECT_EQ(SystemIndexType("is"), 0);
  EXPECT_EQ(SystemIndexType("TI"), 0);
  using List = std::vector<std::string>;
  const List b = {"06", "07", "08"};
  const std::tuple<int, const char*, List> cases[] = {
      {kSystemIndexIS, "82 05 12345 6", {"8205123456"}},
      {kSystemIndexSN, "1234-5678", {"12345678"}},
      {kSystemIndexUD, "821.111-3 ", {"821.111-3 "}},
      {kSystemIndexOther, " x-y ", {" x-y "}},
      {kSystemIndexAX, "b", b},
      {kSystemIndexAX, "[B]", b},
      {kSystemIndexAX, "B%", b},
      {kSystemIndexAX, "B/U", {"06", "07", "08", "09", "10", "11", "12"}},
      {kSystemIndexAX, "A,MU", {"01", "02", "03", "04", "05", "06", "07", "08", "09", "10", "11",
                                "12", "13", "14", "15"}},
      {kSystemIndexAX, "<A/BL>", {"01", "02", "03", "04", "05"}},
      {kSystemIndexAX, "BU", {"09", "10"}},
      {kSystemIndexAX, "7", {"07"}},
      {kSystemIndexAX, "9-11", {"09", "10", "11"}},
      {kSystemIndexAX, "9-6", {}},
      {kSystemIndexAX, " [6:12] ", {"06:12"}},
      {kSystemIndexAX, "BL", {}},
      {kSystemIndexAX, "x", {}},
      {kSystemIndexAX, "0-2000000000", {}},  // no flood of values
  };
  for (const auto& [type, value, expected] : cases) {
    List list = {"left over"};
    ExpandSystemValue(type, value, list);
    EXPECT_EQ(list, expected) << type << " " << value;
  }
}

}  // namespace
}  // namespace vellorax::search
