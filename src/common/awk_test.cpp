#include "common/awk.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/text_compare.h"

namespace vellorax::common {
namespace {

struct AwkCase {
  const char* name;
  const char* fs;
  const char* quote_chars;
  const char* flags;  // m: MatchQuotes, f: FilterQuotes, n: AllowNilTokens
  const char* line;
  std::vector<std::string> fields;
  char last_separator;
};

TEST(TAwkTest, SplitTable) {
  const AwkCase cases[] = {
      {"default separators", "", "", "", "a b\tc", {"a", "b", "c"}, '\t'},
      {"runs of blanks", "", "", "", "a  b", {"a", "b"}, ' '},
      {"nil tokens", ",", "", "n", "a,,b", {"a", "", "b"}, ','},
      {"leading nil token", ",", "", "n", ",a", {"", "a"}, ','},
      {"trailing separator", "", "", "", "a b ", {"a", "b", ""}, ' '},
      {"empty line", "", "", "", "", {}, '\0'},
      {"only separators", ",", "", "", ",,", {""}, ','},
      {"quotes kept", "", "\"", "m", "say \"hello world\"", {"say", "\"hello world\""}, ' '},
      {"quotes filtered", "", "\"", "mf", "say \"hello world\"", {"say", "hello world"}, ' '},
      {"quotes not matched", "", "\"", "f", "\"a b\"", {"\"a", "b\""}, ' '},
      {"two quote characters", "", "'\"", "mf", "'a b' \"c d\"", {"a b", "c d"}, ' '},
      {"separator in quotes not remembered", ",;", "\"", "m", "a,\"b;c\"", {"a", "\"b;c\""}, ','},
      {"last of several separators", ",;", "", "", "a,b;c", {"a", "b", "c"}, ';'},
      {"unclosed quote", "", "\"", "m", "a \"b c", {"a", "\"b c"}, ' '},
  };
  for (const AwkCase& c : cases) {
    TAwk awk;
    awk.FS = c.fs;
    awk.QuoteChars = c.quote_chars;
    const std::string flags = c.flags;
    awk.MatchQuotes = flags.find('m') != std::string::npos;
    awk.FilterQuotes = flags.find('f') != std::string::npos;
    awk.AllowNilTokens = flags.find('n') != std::string::npos;
    const int count = awk.Split(c.line);
    EXPECT_EQ(awk.Fields(), c.fields) << c.name;
    EXPECT_EQ(count, static_cast<int>(c.fields.size())) << c.name;
    EXPECT_EQ(awk.FieldCount(), count) << c.name;
    EXPECT_EQ(awk.LastSeparator(), c.last_separator) << c.name;
    EXPECT_FALSE(awk.Quoted()) << c.name;
    EXPECT_EQ(awk.Line(), c.line) << c.name;
  }
}

TEST(TAwkTest, PropertiesBetweenSplits) {
  TAwk awk;
  awk.Split("one two");
  EXPECT_EQ(awk.FS, " \t");  // empty separators become blank and tab
  EXPECT_EQ(awk.Field(1), "two");
  EXPECT_EQ(awk.Field(2), "");
  EXPECT_EQ(awk.Field(-1), "");
  awk.FS = ",";
  awk.Split("a,b,c");
  awk.Split("d");  // a new line starts afresh
  EXPECT_EQ(awk.Fields(), std::vector<std::string>{"d"});
  EXPECT_EQ(awk.LastSeparator(), '\0');
  awk.SetVersion("9.9");  // read-only
  EXPECT_EQ(awk.Version(), "3.0");
}

TEST(TAwkTest, ConvertCaseUsesCodePageLetters) {
  SetTextLocale("nb_NO");
  TAwk awk;
  awk.ConvertCase = 1;
  awk.Split("abc \xE6\xF8\xE5");
  EXPECT_EQ(awk.Fields(), (std::vector<std::string>{"ABC", "\xC6\xD8\xC5"}));
  EXPECT_EQ(awk.Line(), "ABC \xC6\xD8\xC5");
  awk.ConvertCase = 2;
  awk.Split("ABC \xC6\xD8\xC5");
  EXPECT_EQ(awk.Fields(), (std::vector<std::string>{"abc", "\xE6\xF8\xE5"}));
  SetTextLocale("en_US");
}

TEST(TAwkTest, LinesLongerThanAnyFixedBuffer) {
  TAwk awk;
  const std::string word(100000, 'x');
  ASSERT_EQ(awk.Split(word + " " + word), 2);
  EXPECT_EQ(awk.Field(1), word);
}

}  // namespace
}  // namespace vellorax::common
