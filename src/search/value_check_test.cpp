#include "search/value_check.h"

#include <gtest/gtest.h>

#include "search/system_index.h"

namespace vellorax::search {
namespace {

// Runs CheckByDatatype and returns the message, or "" when the check passed.
std::string Check(Datatype type, RelOp rel, std::string& value, std::string& value2,
                  const std::string& term = "T") {
  try {
    CheckByDatatype(type, rel, value, value2, term);
  } catch (const VLSearchException& e) {
    return e.what();
  }
  return {};
}

struct CheckCase {
  Datatype type;
  RelOp rel;
  const char* value;
  const char* value2;
  const char* message;  // "" when the check passes
  const char* value_after;
  const char* value2_after;
};

TEST(CheckByDatatypeTest, RulesAndMessages) {
  const CheckCase cases[] = {
      // integer
      {Datatype::Integer, RelOp::Equal, "42", "", "", "42", ""},
      {Datatype::Integer, RelOp::Less, "4x", "", "Integer was expected. (T)", "4x", ""},
      {Datatype::Integer, RelOp::Interval, "1990", "2000", "", "1990", "2000"},
      {Datatype::Integer, RelOp::Interval, "1990", "x", "Integer was expected. (T)", "", ""},
      {Datatype::Integer, RelOp::Interval, "", "2000", "Integer was expected. (T)", "", ""},
      // date: a year or a month means its first day
      {Datatype::Date, RelOp::Equal, "1999", "", "", "1999-01-01", ""},
      {Datatype::Date, RelOp::Equal, " 1999-05 ", "", "", "1999-05-01", ""},
      {Datatype::Date, RelOp::Less, "2001-05-17", "", "", "2001-05-17", ""},
      {Datatype::Date, RelOp::Equal, "1999-5-1", "",
       "Illegal date format. YYYY-MM-DD, YYYY-MM or YYYY expected. (T)", "", ""},
      {Datatype::Date, RelOp::Equal, "19990501", "",
       "Illegal date format. YYYY-MM-DD, YYYY-MM or YYYY expected. (T)", "", ""},
      {Datatype::Date, RelOp::Interval, "1999", "2000-06", "", "1999-01-01", "2000-06-01"},
      {Datatype::Date, RelOp::Interval, "1999", "later",
       "Illegal date format. YYYY-MM-DD, YYYY-MM or YYYY expected. (T)", "", ""},
      // timestamp
      {Datatype::Timestamp, RelOp::Equal, "1999-05-01 10:20:30", "", "", "1999-05-01 10:20:30", ""},
      {Datatype::Timestamp, RelOp::Equal, "1999-05-01 10:xx:30", "",
       "Illegal timestamp format. YYYY-MM-DD HH:MM:SS, YYYY-MM-DD, YYYY-MM or YYYY expected. (T)",
       "", ""},
      {Datatype::Timestamp, RelOp::Greater, "1999", "", "", "1999-01-01", ""},
      {Datatype::Timestamp, RelOp::Equal, "19", "",
       "Illegal timestamp format. YYYY-MM-DD HH:MM:SS, YYYY-MM-DD, YYYY-MM or YYYY expected. (T)",
       "", ""},
      {Datatype::Timestamp, RelOp::Interval, "2001-01-01 00:00:00", "2001-02", "",
       "2001-01-01 00:00:00", "2001-02-01"},
      // string
      {Datatype::String, RelOp::Less, "abc%", "",
       "Wildcard is not allowed with this relational operator. (T)", "", ""},
      {Datatype::String, RelOp::Equal, "a_c", "",
       "Wildcard is not allowed with this relational operator. (T)", "", ""},
      {Datatype::String, RelOp::Like, "abc%", "", "", "abc%", ""},
      {Datatype::String, RelOp::Equal, "two words", "", "", "two words", ""},
      {Datatype::String, RelOp::Interval, "a", "b*",
       "Wildcard is not allowed in interval search. (T)", "", ""},
      {Datatype::String, RelOp::Interval, "a b", "c d", "", "a b", "c d"},
      // word: punctuation trimmed first
      {Datatype::Word, RelOp::Equal, "(hello).", "", "", "hello", ""},
      {Datatype::Word, RelOp::Like, "%hello", "", "", "%hello", ""},
      {Datatype::Word, RelOp::Like, "%(hello)%", "", "", "%hello%", ""},
      {Datatype::Word, RelOp::Equal, "...", "", "", "...", ""},
      {Datatype::Word, RelOp::Equal, "two words", "",
       "Space or wildcard is not allowed with this relational operator. (T)", "", ""},
      {Datatype::Word, RelOp::Greater, "ab*", "",
       "Space or wildcard is not allowed with this relational operator. (T)", "", ""},
      {Datatype::Word, RelOp::Like, "ab%", "", "", "ab%", ""},
      {Datatype::Word, RelOp::Like, "a b%", "", "Space is not allowed. (T)", "", ""},
      {Datatype::Word, RelOp::Interval, "(a)", "[z]", "", "a", "z"},
      {Datatype::Word, RelOp::Interval, "a", "y z",
       "Space or wildcard is not allowed in interval search. (T)", "", ""},
      {Datatype::Word, RelOp::Interval, "a%", "z",
       "Space or wildcard is not allowed in interval search. (T)", "", ""},
      // numeric and untyped values pass unchanged
      {Datatype::Numeric, RelOp::Equal, " 1,5 x ", "", "", " 1,5 x ", ""},
      {Datatype::None, RelOp::Less, "a b%", "", "", "a b%", ""},
  };
  for (const CheckCase& c : cases) {
    std::string value = c.value;
    std::string value2 = c.value2;
    const std::string message = Check(c.type, c.rel, value, value2);
    EXPECT_EQ(message, c.message) << c.value << " / " << c.value2;
    if (message.empty()) {
      EXPECT_EQ(value, c.value_after) << c.value;
      EXPECT_EQ(value2, c.value2_after) << c.value2;
    }
  }
}

TEST(CheckByDatatypeTest, MessageCarriesTermText) {
  std::string value = "abc%";
  std::string value2;
  const std::string term = TermText("TI", RelOp::Less, value);
  EXPECT_EQ(term, "TI < abc%");
  EXPECT_EQ(Check(Datatype::String, RelOp::Less, value, value2, term),
            "Wildcard is not allowed with this relational operator. (TI < abc%)");
  EXPECT_EQ(TermText("PY", RelOp::Interval, "1990:x"), "PY IN 1990:x");
  EXPECT_EQ(TermText("PY", RelOp::None, "1990"), "PY  1990");
}

TEST(SplitIntervalTest, SplitsAtFirstColon) {
  std::string low;
  std::string high;
  SplitInterval(" 1990:2000 ", "T", low, high);
  EXPECT_EQ(low, "1990");
  EXPECT_EQ(high, "2000");
  SplitInterval("a : b:c", "T", low, high);
  EXPECT_EQ(low, "a ");
  EXPECT_EQ(high, " b:c");
  SplitInterval(":", "T", low, high);
  EXPECT_EQ(low, "");
  EXPECT_EQ(high, "");
  try {
    SplitInterval("1990-2000", "PY IN 1990-2000", low, high);
    FAIL() << "no exception";
  } catch (const VLSearchException& e) {
    EXPECT_STREQ(e.what(), "Interval search was expected. (PY IN 1990-2000)");
  }
}

TEST(TrimWordPunctuationTest, KeepsWildcardsAndAllPunctuationTexts) {
  struct Case {
    const char* in;
    const char* out;
  };
  const Case cases[] = {
      {"", ""},
      {"%", "%"},
      {" % ", "%"},
      {"\"quoted\"", "quoted"},
      {"#&\\=?@{x}<>+-/", "x"},
      {"\xA3" "42\xA3", "42"},
      {"%%", "%%"},
      {"% hello. %", "%hello%"},
      {"!?", "!?"},
      {"a-b", "a-b"},
  };
  for (const Case& c : cases) {
    std::string s = c.in;
    TrimWordPunctuation(s);
    EXPECT_EQ(s, c.out) << c.in;
  }
  EXPECT_EQ(kWordPunctuation.size(), 24u);
}

TEST(SystemIndexTest, TypesByExactName) {
  EXPECT_EQ(SystemIndexType("IS"), 1);
  EXPECT_EQ(SystemIndexType("SN"), 2);
  EXPECT_EQ(SystemIndexType("UD"), 3);
  EXPECT_EQ(SystemIndexType("AX"), 4);
  EXPECT_EQ(SystemIndexType("is"), 0);
  EXPECT_EQ(SystemIndexType("TI"), 0);
  EXPECT_EQ(SystemIndexType(""), 0);
}

TEST(SystemIndexTest, ExpandValues) {
  using List = std::vector<std::string>;
  struct Case {
    int type;
    const char* value;
    List expected;
  };
  const List b = {"06", "07", "08"};
  const Case cases[] = {
      {kSystemIndexIS, "82 05 12345 6", {"8205123456"}},
      {kSystemIndexSN, "1234-5678", {"12345678"}},
      {kSystemIndexUD, "821.111-3 ", {"821.111-3 "}},
      {kSystemIndexOther, " x-y ", {" x-y "}},
      {kSystemIndexAX, "B", b},
      {kSystemIndexAX, "b", b},
      {kSystemIndexAX, "[B]", b},
      {kSystemIndexAX, "B%", b},
      {kSystemIndexAX, "B/U", {"06", "07", "08", "09", "10", "11", "12"}},
      {kSystemIndexAX, "b-u", {"06", "07", "08", "09", "10", "11", "12"}},
      {kSystemIndexAX, "A,MU", {"01", "02", "03", "04", "05", "06", "07", "08", "09", "10", "11",
                                "12", "13", "14", "15"}},
      {kSystemIndexAX, "<A/BL>", {"01", "02", "03", "04", "05"}},
      {kSystemIndexAX, "BU", {"09", "10"}},
      {kSystemIndexAX, "7", {"07"}},
      {kSystemIndexAX, "12", {"12"}},
      {kSystemIndexAX, "6-9", {"06", "07", "08", "09"}},
      {kSystemIndexAX, "9-11", {"09", "10", "11"}},
      {kSystemIndexAX, "9-6", {}},
      {kSystemIndexAX, "6:9", {"06:09"}},
      {kSystemIndexAX, " [6:12] ", {"06:12"}},
      {kSystemIndexAX, "BL", {}},
      {kSystemIndexAX, "", {}},
      {kSystemIndexAX, "  ", {}},
      {kSystemIndexAX, "[", {}},
      {kSystemIndexAX, "x", {}},
      {kSystemIndexAX, "0-2000000000", {}},  // no flood of values
  };
  for (const Case& c : cases) {
    List list = {"left over"};
    ExpandSystemValue(c.type, c.value, list);
    EXPECT_EQ(list, c.expected) << c.type << " " << c.value;
  }
}

}  // namespace
}  // namespace vellorax::search
