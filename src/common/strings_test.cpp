#include "common/strings.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace vellorax::common {
namespace {

TEST(SplitFieldsTest, Table) {
  const std::tuple<const char*, const char*, std::vector<std::string>> cases[] = {
      {"Smith \"John Paul\"", " ", {"Smith", "John Paul"}},
      {"  one  two\tthree  ", " \t", {"one", "two", "three"}},
      {"\"", " ", {""}},
      {"a \"b c d", " ", {"a", "\"b c d"}},
      {"x\"y z\"w", " ", {"x\"y z\"w"}},
      {"a,,b,", ",", {"a", "b"}},
      {"\"\" x", " ", {"", "x"}},
      {"008_7_4", "_", {"008", "7", "4"}},
      {"", " ", {}},
      {"   ", " ", {}},
      {"\"a b\"\"c d\"", " ", {"a b\"\"c d"}},
      {"bl\xE5 \"\xE6" "ble tre\"", " ", {"bl\xE5", "\xE6" "ble tre"}},
  };
  for (const auto& [text, separators, fields] : cases) {
    std::vector<std::string> list;
    SplitFields(text, separators, list);
    EXPECT_EQ(list, fields) << "text: " << text;
  }
}

TEST(SplitFieldsTest, AppendsWithoutClearingAndTakesAnyLength) {
  std::vector<std::string> list{"old"};
  SplitFields("new one", " ", list);
  EXPECT_EQ(list, (std::vector<std::string>{"old", "new", "one"}));
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "word ";
  list.clear();
  SplitFields(text, " ", list);
  EXPECT_EQ(list, std::vector<std::string>(20000, "word"));
}

TEST(ReplaceAllTest, Table) {
  const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
      // old, new, input, expected
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
  for (const auto& [old_text, new_text, input, expected] : cases) {
    std::string s = input;
    ReplaceAll(old_text, new_text, s);
    EXPECT_EQ(s, expected) << input;
  }
}

TEST(TrimKeepWildcardsTest, Table) {
  const std::tuple<const char*, const char*, const char*> cases[] = {
      // input, characters to trim, expected
      {"...", ".", "..."},
      {"% word.%", ".", "%word%"},
      {" % ", ".", "%"},
      {"", ".", ""},
      {"  hello  ", "", "hello"},
      {"%hello", ".,", "%hello"},
      {"hello.%", ".", "hello%"},
      {"%.%", ".", "%.%"},
      {"%%", "", "%%"},
      {"\t,.word,. \r\n", ".,", "word"},
      {". \xF8 .", ".", "\xF8"},
      {"a.b", ".", "a.b"},
      {"%  %", "", "%  %"},
  };
  for (const auto& [input, chars, expected] : cases) {
    std::string s = input;
    TrimKeepWildcards(s, chars);
    EXPECT_EQ(s, expected) << "[" << input << "]";
  }
}

TEST(SmallRoutinesTest, ReplaceCharBackslashAndQuotes) {
  std::string path = "C:\\dir\\file";
  ReplaceChar(path, '\\', '/');
  EXPECT_EQ(path, "C:/dir/file");
  const std::pair<const char*, const char*> backslash[] = {
      {"", ""}, {"a", "a\\"}, {"a\\", "a\\"}, {"C:\\dir", "C:\\dir\\"}, {"\\", "\\"}};
  for (const auto& [input, expected] : backslash) {
    std::string s = input;
    AddBackslash(s);
    EXPECT_EQ(s, expected);
    EXPECT_EQ(WithBackslash(input), expected);
  }
  const std::pair<const char*, const char*> quotes[] = {
      {"O'Brien", "O''Brien"}, {"''", "''''"}, {"none", "none"}, {"", ""}};
  for (const auto& [input, expected] : quotes) {
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

// TailFrom, Copy, Pos and CharAt on "abcdef"/"abcb": 1-based, clamped at both ends.
TEST(PositionTest, OneBasedAndClamped) {
  const std::pair<int, const char*> tails[] = {
      {3, "cdef"}, {1, "abcdef"}, {0, "abcdef"}, {-5, "abcdef"}, {6, "f"}, {7, ""}, {1000, ""}};
  for (const auto& [index, expected] : tails) {
    EXPECT_EQ(TailFrom("abcdef", index), expected) << index;
  }
  const std::tuple<int, int, const char*> copies[] = {
      {2, 3, "bcd"}, {0, 2, "ab"}, {-3, 2, "ab"}, {5, 10, "ef"}, {7, 1, ""},
      {6, 1, "f"},   {2, 0, ""},   {2, -1, ""},   {1, 2147483647, "abcdef"}};
  for (const auto& [index, count, expected] : copies) {
    EXPECT_EQ(Copy("abcdef", index, count), expected) << index << "," << count;
  }
  const std::tuple<const char*, const char*, int, int> positions[] = {
      {"b", "abcb", 1, 2}, {"b", "abcb", 3, 4}, {"b", "abcb", 4, 4},  {"b", "abcb", 5, 0},
      {"b", "abcb", 0, 2}, {"", "abc", 1, 0},   {"abcd", "abc", 1, 0}, {"cb", "abcb", 1, 3},
      {"x", "", 1, 0}};
  for (const auto& [needle, s, from, expected] : positions) {
    EXPECT_EQ(Pos(needle, s, from), expected) << needle << " in " << s << " from " << from;
  }
  EXPECT_EQ(std::string({CharAt("abc", 1), CharAt("abc", 3)}), "ac");
  EXPECT_EQ(CharAt("abc", 0), '\0');
  EXPECT_EQ(CharAt("abc", 4), '\0');
  EXPECT_EQ(TailFrom("", 1), "");
  EXPECT_EQ(Pos("cb", "abcb"), 3);
}

}  // namespace
}  // namespace vellorax::common
