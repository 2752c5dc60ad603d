#include "definitions_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace vellorax::tool {
namespace {

TEST(DefinitionsFileTest, BlocksCommentsAndBlankLines) {
  const std::vector<Definition> defs = ParseDefinitions(
      "%# display formats\n\n%% labels constant\nyes  Ja\n%# a comment inside a body is left out\n"
      "no   Nei\n\n\n%%  short\tscript  \r\n\r\n#tag(245)\r\n\r\n\"x\"\r\n%% t tag\n");
  ASSERT_EQ(defs.size(), 3u);
  EXPECT_EQ(defs[0].name, "labels");
  EXPECT_EQ(defs[0].type, "constant");
  EXPECT_EQ(defs[0].body, "yes  Ja\nno   Nei");  // trailing empty lines dropped
  EXPECT_EQ(defs[0].line, 3);
  EXPECT_EQ(defs[1].name, "short");
  EXPECT_EQ(defs[1].type, "script");
  EXPECT_EQ(defs[1].body, "#tag(245)\n\n\"x\"");  // inner empty lines stay
  EXPECT_EQ(defs[1].line, 9);
  EXPECT_EQ(defs[2].body, "");
  EXPECT_TRUE(ParseDefinitions("").empty());
  EXPECT_TRUE(ParseDefinitions("%# only a comment\n  \n").empty());
}

TEST(DefinitionsFileTest, MalformedInputNamesTheLine) {
  const std::pair<const char*, const char*> rows[] = {
      {"#tag(245)\n", "line 1: text before the first \"%% NAME TYPE\" header"},
      {"%% t tag\n%% onlyname\n", "line 2: a header is \"%% NAME TYPE\""},
      {"%% a b c\n", "line 1: a header is \"%% NAME TYPE\""},
  };
  for (const auto& [text, message] : rows)
    EXPECT_THAT([&] { ParseDefinitions(text); }, testing::ThrowsMessage<DefinitionsError>(testing::StrEq(message)));
  EXPECT_THROW(ReadDefinitionsFile("/nonexistent/defs.txt"), DefinitionsError);
}

TEST(DefinitionsFileTest, TheFixtureDefinitionsRead) {
  const std::vector<Definition> defs = ReadDefinitionsFile("tests/data/formats/opac.defs");
  ASSERT_EQ(defs.size(), 5u);
  EXPECT_EQ(defs[1].type, "table");
  EXPECT_EQ(defs[0].name + " " + defs[2].name + " " + defs[3].name + " " + defs[4].name, "phrases tag short full");
}

}  // namespace
}  // namespace vellorax::tool
