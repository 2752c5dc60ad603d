#include "definitions_file.h"

#include <gtest/gtest.h>

namespace vellorax::tool {
namespace {

TEST(DefinitionsFileTest, BlocksCommentsAndBlankLines) {
  const std::vector<Definition> defs = ParseDefinitions(
      "%# display formats\n"
      "\n"
      "%% labels constant\n"
      "yes  Ja\n"
      "%# a comment inside a body is left out\n"
      "no   Nei\n"
      "\n"
      "\n"
      "%%  short\tscript  \r\n"
      "\r\n"
      "#tag(245)\r\n"
      "\r\n"
      "\"x\"\r\n");
  ASSERT_EQ(defs.size(), 2u);
  EXPECT_EQ(defs[0].name, "labels");
  EXPECT_EQ(defs[0].type, "constant");
  EXPECT_EQ(defs[0].body, "yes  Ja\nno   Nei");  // trailing empty lines dropped
  EXPECT_EQ(defs[0].line, 3);
  EXPECT_EQ(defs[1].name, "short");
  EXPECT_EQ(defs[1].type, "script");
  EXPECT_EQ(defs[1].body, "#tag(245)\n\n\"x\"");  // inner empty lines stay
  EXPECT_EQ(defs[1].line, 9);
}

TEST(DefinitionsFileTest, EmptyBodyAndEmptyFile) {
  EXPECT_TRUE(ParseDefinitions("").empty());
  EXPECT_TRUE(ParseDefinitions("%# only a comment\n  \n").empty());
  const std::vector<Definition> defs = ParseDefinitions("%% t tag\n%% s script\n");
  ASSERT_EQ(defs.size(), 2u);
  EXPECT_EQ(defs[0].body, "");
  EXPECT_EQ(defs[1].body, "");
}

TEST(DefinitionsFileTest, MalformedInputNamesTheLine) {
  struct Row {
    const char* text;
    const char* message;
  };
  const Row rows[] = {
      {"#tag(245)\n", "line 1: text before the first \"%% NAME TYPE\" header"},
      {"%% t tag\n%% onlyname\n", "line 2: a header is \"%% NAME TYPE\""},
      {"%% a b c\n", "line 1: a header is \"%% NAME TYPE\""},
  };
  for (const Row& row : rows) {
    try {
      ParseDefinitions(row.text);
      ADD_FAILURE() << row.text;
    } catch (const DefinitionsError& e) {
      EXPECT_EQ(std::string(e.what()), row.message);
    }
  }
  EXPECT_THROW(ReadDefinitionsFile("/nonexistent/defs.txt"), DefinitionsError);
}

TEST(DefinitionsFileTest, TheFixtureDefinitionsRead) {
  const std::vector<Definition> defs = ReadDefinitionsFile("tests/data/formats/opac.defs");
  ASSERT_EQ(defs.size(), 5u);
  EXPECT_EQ(defs[0].name, "phrases");
  EXPECT_EQ(defs[1].type, "table");
  EXPECT_EQ(defs[2].name, "tag");
  EXPECT_EQ(defs[3].name, "short");
  EXPECT_EQ(defs[4].name, "full");
}

}  // namespace
}  // namespace vellorax::tool
