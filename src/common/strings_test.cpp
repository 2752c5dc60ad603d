#include "common/strings.h"

#include <gtest/gtest.h>

#include <optional>
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

TEST(SplitFieldsTest, AppendsWithoutClearing) {
  std::vector<std::string> list{"old"};
  SplitFields("new one", " ", list);
  EXPECT_EQ(list, (std::vector<std::string>{"old", "new", "one"}));
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

// TryStrToInt's value, or none when the text does not convert; IsInteger also
// refuses -2147483647, the value that stands for a failed conversion.
TEST(IsIntegerTest, TableWithValues) {
  constexpr int kMin = -2147483647 - 1, kMax = 2147483647, kFailure = -2147483647;
  const std::optional<int> no;
  const std::pair<const char*, std::optional<int>> cases[] = {
      {"123", 123},         {"  42", 42},          {"42 ", no},          {"$1F", 31},
      {"-2147483647", kFailure}, {"-2147483648", kMin}, {"2147483647", kMax},
      {"2147483648", no},   {"-2147483649", no},   {"", no},             {" ", no},
      {"-", no},            {"+", no},             {"+5", 5},            {"  +7", 7},
      {"-0", 0},            {"x1f", 31},           {"X1F", 31},          {"0x1F", 31},
      {"0X1f", 31},         {"-0x10", -16},        {"x7fffffff", kMax},  {"0x", no},
      {"$", no},            {"1.5", no},           {"12a", no},          {"\t5", no},
      {"$FFFFFFFF", -1},    {"$80000001", kFailure}, {"$100000000", no}, {"-$10", -16},
      {"00012", 12},        {"0", 0},              {"000000000000000000001", 1},
      {"1 2", no},          {"$G", no},            {"--1", no},          {"- 1", no},
  };
  for (const auto& [text, expected] : cases) {
    int value = 99;
    EXPECT_EQ(TryStrToInt(text, value), expected.has_value()) << "[" << text << "]";
    EXPECT_EQ(value, expected.value_or(99)) << "[" << text << "]";  // untouched on failure
    EXPECT_EQ(IsInteger(text), expected.has_value() && *expected != kFailure) << "[" << text << "]";
  }
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
