#include "common/strings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vellorax::common {
namespace {

struct SplitCase {
  const char* text;
  const char* separators;
  std::vector<std::string> fields;
};

TEST(SplitFieldsTest, Table) {
  const SplitCase cases[] = {
      {"Smith \"John Paul\"", " ", {"Smith", "John Paul"}},
      {"  one  two\tthree  ", " \t", {"one", "two", "three"}},
      {"\"", " ", {""}},
      {"a \"b c d", " ", {"a", "\"b c d"}},
      {"x\"y z\"w", " ", {"x\"y z\"w"}},
      {"a,,b,", ",", {"a", "b"}},
      {"\"\" x", " ", {"", "x"}},
      {"245_a", "_", {"245", "a"}},
      {"008_7_4", "_", {"008", "7", "4"}},
      {"", " ", {}},
      {"   ", " ", {}},
      {"\"a b\"\"c d\"", " ", {"a b\"\"c d"}},
      {"bl\xE5 \"\xE6" "ble tre\"", " ", {"bl\xE5", "\xE6" "ble tre"}},
  };
  for (const SplitCase& c : cases) {
    std::vector<std::string> list;
    SplitFields(c.text, c.separators, list);
    EXPECT_EQ(list, c.fields) << "text: " << c.text;
  }
}

TEST(SplitFieldsTest, AppendsWithoutClearing) {
  std::vector<std::string> list{"old"};
  SplitFields("new one", " ", list);
  EXPECT_EQ(list, (std::vector<std::string>{"old", "new", "one"}));
}

TEST(SplitFieldsTest, VeryLongLine) {
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "word ";
  std::vector<std::string> list;
  SplitFields(text, " ", list);
  ASSERT_EQ(list.size(), 20000u);
  EXPECT_EQ(list.back(), "word");
}

TEST(ReplaceAllTest, Table) {
  struct Case {
    const char* old_text;
    const char* new_text;
    const char* input;
    const char* expected;
  };
  const Case cases[] = {
      {" $", "\n$", "$a one $b two $c three", "$a one\n$b two\n$c three"},
      {"a", "aa", "banana", "baanaanaa"},
      {"", "x", "abc", "abc"},
      {"abc", "", "xabcabcx", "xx"},
      {"aa", "a", "aaaa", "aa"},
      {"aa", "a", "aaa", "aa"},
      {"q", "z", "abc", "abc"},
      {"A", "b", "aA", "ab"},
      {"abc", "x", "ab", "ab"},
      {"ab", "ba", "abab", "baba"},
      {"\xE6", "ae", "\xE6" "ble", "aeble"},
  };
  for (const Case& c : cases) {
    std::string s = c.input;
    ReplaceAll(c.old_text, c.new_text, s);
    EXPECT_EQ(s, c.expected) << c.input;
  }
}

TEST(TrimKeepWildcardsTest, Table) {
  struct Case {
    const char* input;
    const char* chars;
    const char* expected;
  };
  const Case cases[] = {
      {"...", ".", "..."},
      {"% word.%", ".", "%word%"},
      {" % ", ".", "%"},
      {"%", ".", "%"},
      {"", ".", ""},
      {"  hello  ", "", "hello"},
      {"%hello", ".,", "%hello"},
      {"hello.%", ".", "hello%"},
      {"%.%", ".", "%.%"},
      {"%%", "", "%%"},
      {"\t,.word,. \r\n", ".,", "word"},
      {"\xE6" "ble.", ".", "\xE6" "ble"},
      {". \xF8 .", ".", "\xF8"},
      {"a.b", ".", "a.b"},
      {"%  %", "", "%  %"},
  };
  for (const Case& c : cases) {
    std::string s = c.input;
    TrimKeepWildcards(s, c.chars);
    EXPECT_EQ(s, c.expected) << "[" << c.input << "]";
  }
}

TEST(SmallRoutinesTest, ReplaceChar) {
  std::string s = "C:\\dir\\file";
  ReplaceChar(s, '\\', '/');
  EXPECT_EQ(s, "C:/dir/file");
  std::string none = "abc";
  ReplaceChar(none, 'x', 'y');
  EXPECT_EQ(none, "abc");
}

TEST(SmallRoutinesTest, AddBackslash) {
  const std::pair<const char*, const char*> cases[] = {
      {"", ""}, {"a", "a\\"}, {"a\\", "a\\"}, {"C:\\dir", "C:\\dir\\"}, {"\\", "\\"}};
  for (const auto& [input, expected] : cases) {
    std::string s = input;
    AddBackslash(s);
    EXPECT_EQ(s, expected);
    EXPECT_EQ(WithBackslash(input), expected);
  }
}

TEST(SmallRoutinesTest, DoubleQuotes) {
  const std::pair<const char*, const char*> cases[] = {
      {"O'Brien", "O''Brien"}, {"''", "''''"}, {"none", "none"}, {"", ""}, {"'", "''"}};
  for (const auto& [input, expected] : cases) {
    std::string s = input;
    DoubleQuotes(s);
    EXPECT_EQ(s, expected);
  }
}

TEST(IsIntegerTest, Table) {
  const std::pair<const char*, bool> cases[] = {
      {"123", true},          {"  42", true},        {"42 ", false},
      {"$1F", true},          {"-2147483647", false}, {"-2147483648", true},
      {"2147483647", true},   {"2147483648", false}, {"-2147483649", false},
      {"", false},            {" ", false},          {"-", false},
      {"+", false},           {"+5", true},          {"-0", true},
      {"x1f", true},          {"X1F", true},         {"0x1F", true},
      {"0X1f", true},         {"0x", false},         {"$", false},
      {"1.5", false},         {"12a", false},        {"\t5", false},
      {"$FFFFFFFF", true},    {"$80000001", false},  {"$100000000", false},
      {"-$10", true},         {"00012", true},       {"0", true},
      {"000000000000000000001", true},             {"1 2", false},
      {"$G", false},          {"--1", false},        {"- 1", false},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(IsInteger(text), expected) << "[" << text << "]";
  }
}

TEST(IsIntegerTest, TryStrToIntValues) {
  const std::pair<const char*, int> cases[] = {
      {"$1F", 31},          {"-0x10", -16},         {"$FFFFFFFF", -1},
      {"-2147483647", -2147483647}, {"-2147483648", -2147483647 - 1},
      {"  +7", 7},          {"x7fffffff", 2147483647}, {"-$10", -16},
  };
  for (const auto& [text, expected] : cases) {
    int value = 0;
    ASSERT_TRUE(TryStrToInt(text, value)) << text;
    EXPECT_EQ(value, expected) << text;
  }
  int untouched = 99;
  EXPECT_FALSE(TryStrToInt("abc", untouched));
  EXPECT_EQ(untouched, 99);
}

TEST(PositionTest, TailFrom) {
  const std::pair<int, const char*> cases[] = {
      {3, "cdef"}, {1, "abcdef"}, {0, "abcdef"}, {-5, "abcdef"}, {6, "f"}, {7, ""}, {1000, ""}};
  for (const auto& [index, expected] : cases) {
    EXPECT_EQ(TailFrom("abcdef", index), expected) << index;
  }
  EXPECT_EQ(TailFrom("", 1), "");
}

TEST(PositionTest, Pos) {
  EXPECT_EQ(Pos("b", "abcb"), 2);
  EXPECT_EQ(Pos("b", "abcb", 3), 4);
  EXPECT_EQ(Pos("b", "abcb", 4), 4);
  EXPECT_EQ(Pos("b", "abcb", 5), 0);
  EXPECT_EQ(Pos("b", "abcb", 0), 2);
  EXPECT_EQ(Pos("", "abc"), 0);
  EXPECT_EQ(Pos("abcd", "abc"), 0);
  EXPECT_EQ(Pos("cb", "abcb"), 3);
  EXPECT_EQ(Pos("x", ""), 0);
}

TEST(PositionTest, CopyAndCharAt) {
  struct Case {
    int index;
    int count;
    const char* expected;
  };
  const Case cases[] = {{2, 3, "bcd"}, {0, 2, "ab"},  {-3, 2, "ab"}, {5, 10, "ef"},
                        {7, 1, ""},    {6, 1, "f"},   {2, 0, ""},    {2, -1, ""},
                        {1, 2147483647, "abcdef"}};
  for (const Case& c : cases) {
    EXPECT_EQ(Copy("abcdef", c.index, c.count), c.expected) << c.index << "," << c.count;
  }
  EXPECT_EQ(CharAt("abc", 1), 'a');
  EXPECT_EQ(CharAt("abc", 3), 'c');
  EXPECT_EQ(CharAt("abc", 0), '\0');
  EXPECT_EQ(CharAt("abc", 4), '\0');
  EXPECT_EQ(CharAt("", 1), '\0');
}

}  // namespace
}  // namespace vellorax::common
