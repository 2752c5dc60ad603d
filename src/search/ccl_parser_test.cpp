#include "search/ccl_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vellorax::search {
namespace {

// The catalogue of the examples: ti, au and py are search codes (in any
// letter case, as the catalogue's lookup upper-cases), names holding "+" are
// always accepted; winter, garden and river are not codes.
bool KnownCode(std::string_view word) {
  if (word.find('+') != std::string_view::npos) return true;
  std::string upper;
  for (char c : word) upper += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  return upper == "TI" || upper == "AU" || upper == "PY";
}

std::string Convert(std::string_view command) { return ToRPN(command, KnownCode); }

struct RpnCase {
  std::string_view command;
  const char* rpn;
};

// Each row: command -> RPN string, worked out from the grammar by hand.
const RpnCase kRpnCases[] = {
    // The documented examples.
    {"winter garden", "FT+COPY_BAR_CODE = winter FT+COPY_BAR_CODE = garden OR"},
    {"ti=winter au=river", "ti = winter au = river OR"},
    {"ti=winter +au=river", "ti = winter au = river AND"},
    {"ti=winter -au=river", "ti = winter au = river NOT AND"},
    {"ti = winter AND au = river OR py = 2001", "ti = winter au = river AND py = 2001 OR"},
    {"(ti=a OR ti=b) AND au=c", "ti = a ti = b OR au = c AND"},
    {"(ti=a) au=c", "ti = a au = c OR"},
    {"py<=2000", "py <= 2000"},
    {"py IN 1990:2000", "py IN 1990:2000"},
    {"(ti=x", "ti = x"},
    {"ti=x) au=y", "ti = x"},
    {"ti=x ti=y AND", "ti = x ti = y OR"},
    {"ti=x AND AND ti=y", "ti = x AND AND"},
    {"ti=\"winter garden\"", "ti = \"winter garden\""},
    // Blank normalisation: control characters and NUL are blanks, phrases keep theirs.
    {"", ""},
    {"  ti=x\t\t\n au=y  ", "ti = x au = y OR"},
    {std::string_view("ti=x\0au=y", 9), "ti = x au = y OR"},
    {"ti=\"a  \t b\"", "ti = \"a  \t b\""},
    {"ti = \"winter (garden)\" au=x", "ti = \"winter (garden)\" au = x OR"},
    {"ti=\"a b\"au=c", "ti = \"a b\" au = c OR"},
    // Relations get one blank on each side; "<=" and ">=" stay together.
    {"py>=2000", "py >= 2000"},
    {"ti =x", "ti = x"},
    {"py <= 2000 au=x", "py <= 2000 au = x OR"},
    {"py<>3", "py < > 3"},
    {"py=<3", "py = < 3"},
    // A blank next to a relation never ends a term; "-" inside a term is text.
    {"ti=x =y", "ti = x = y"},
    {"py=-5", "py = -5"},
    {"ti = OR", "ti = OR"},
    // IN keeps its neighbours in the term, in any letter case.
    {"py in 1990:2000", "py in 1990:2000"},
    {"py IN 1990:2000 ti=x", "py IN 1990:2000 ti = x OR"},
    {"winter in garden", "FT+COPY_BAR_CODE = winter in garden"},
    {"pyIN 1990", "FT+COPY_BAR_CODE = pyIN FT+COPY_BAR_CODE = 1990 OR"},
    // Operators: words in any case, signs, complemented forms, left to right.
    {"ti=x AND NOT au=y", "ti = x au = y NOT AND"},
    {"ti=x and au=y or not py=1", "ti = x au = y AND py = 1 NOT OR"},
    {"ti=x + au=y", "ti = x au = y AND"},
    {"ti=x +NOT au=y", "ti = x au = y NOT AND"},
    {"ti=x -NOT au=y", "ti = x FT+COPY_BAR_CODE = NOT NOT AND au = y OR"},
    {"ti=x NOT au=y", "ti = x FT+COPY_BAR_CODE = NOT OR au = y OR"},
    {"ti=x AND(au=y)", "ti = x au = y AND"},
    {"ti=x AND NOT(au=y OR py=1)", "ti = x au = y py = 1 OR NOT AND"},
    {"ti=x andy", "ti = x FT+COPY_BAR_CODE = andy OR"},
    {"ANDti", "FT+COPY_BAR_CODE = ANDti"},
    {"ti=x +", "ti = x"},
    {"ti=x OR", "ti = x"},
    // Groups: nesting, adjacency, empty groups, a closing ")" at the outer level.
    {"((ti=a OR ti=b) au=c) AND py=1", "ti = a ti = b OR au = c OR py = 1 AND"},
    {"ti=x(au=y)", "ti = x au = y OR"},
    {"(ti=a)(ti=b)", "ti = a ti = b OR"},
    {"((((ti=x))))", "ti = x"},
    {"ti=a (au=b", "ti = a au = b OR"},
    {"()", ""},
    {"ti=x ()", "ti = x  OR"},
    {") ti=x", ""},
    {"ti=(x)", "ti = FT+COPY_BAR_CODE = x OR"},
    // The default search code goes before a term not led by a known code.
    {"TI=x", "TI = x"},
    {"ti+au=x", "ti+au = x"},
    {"winter=x", "FT+COPY_BAR_CODE = winter = x"},
    {"ti", "ti"},
    {"ti x", "ti FT+COPY_BAR_CODE = x OR"},
    // 8-bit text: bytes above 127 are ordinary characters, NBSP is no blank.
    {"ti=\xE6" "ble", "ti = \xE6" "ble"},
    {"ti=x\xA0" "au=y", "ti = x\xA0" "au = y"},
};

TEST(CclParserTest, ConvertsCommandsToRpn) {
  for (const RpnCase& c : kRpnCases) EXPECT_EQ(Convert(c.command), c.rpn) << c.command;
}

const RpnCase kErrorCases[] = {
    // A group may not start with an operator.
    {"+ti=x", "\"+\" before the first word not handled: +ti=x"},
    {"-ti=x", "\"-\" before the first word not handled: -ti=x"},
    {"NOT ti=x", "\"NOT\" before the first word not handled: NOT ti=x"},
    {"ti=x (  NOT au=y)", "\"NOT\" before the first word not handled: NOT au=y)"},
    {"AND ti=x", "Illegal start of command: AND ti=x"},
    {"or ti=x", "Illegal start of command: or ti=x"},
    {"ti=x AND (AND au=y)", "Illegal start of command: AND au=y)"},
    // A relation may not start or end a term.
    {"=x", "Illegal start of command: =x"},
    {"<2000", "Illegal start of command: <2000"},
    {"ti=x (=y)", "Illegal start of command: =y)"},
    {"ti=", "Illegal end of command: ti="},
    {"ti=x au<", "Illegal end of command: au<"},
    // The text shown is the term as scanned so far: the blank before "<" is in.
    {"py<=", "Illegal end of command: py <="},
    {"winter=", "Illegal end of command: FT+COPY_BAR_CODE = winter="},
    // Phrases.
    {"  ti=\"winter garden  ", "Unresolved phrase: ti=\"winter garden"},
    {"ti=\"a\" au=\"b\t\tc", "Unresolved phrase: ti=\"a\" au=\"b\t\tc"},
    {"\"winter garden\"", "Phrase must be used along with a search code identifier: \"winter garden\""},
    {"ti=x \"y\"", "Phrase must be used along with a search code identifier: \"y\""},
    {"ti=x (\"y\")", "Phrase must be used along with a search code identifier: \"y\")"},
};

// Parser errors are general runtime errors (not search-value errors).
TEST(CclParserTest, RejectsMalformedCommandsWithTheirMessages) {
  for (const RpnCase& c : kErrorCases) {
    try {
      ADD_FAILURE() << c.command << " gave " << Convert(c.command);
    } catch (const std::runtime_error& e) {
      EXPECT_NE(dynamic_cast<const ECCLError*>(&e), nullptr) << c.command;
      EXPECT_STREQ(e.what(), c.rpn) << c.command;
    }
  }
}

TEST(CclParserTest, NestingIsBoundedAt256Levels) {
  EXPECT_EQ(Convert(std::string(kMaxGroupDepth, '(') + "ti=x"), "ti = x");
  try {
    Convert(std::string(kMaxGroupDepth + 1, '(') + "ti=x");
    ADD_FAILURE() << "257 levels accepted";
  } catch (const ECCLError& e) {
    EXPECT_STREQ(e.what(), "Parentheses nested more than 256 levels deep: ti=x");
  }
  // Far deeper input fails the same way rather than exhausting the stack.
  EXPECT_THROW(Convert(std::string(1'000'000, '(')), ECCLError);
  EXPECT_EQ(Convert(std::string(1'000'000, ')')), "");
}

// Regressions: many terms, and a word of many phrases (each term's leading
// word runs to the end of the command), must not take quadratic time.
TEST(CclParserTest, LongCommandsConvertInOnePass) {
  std::string terms, terms_rpn, phrases = "ti=x ", phrases_rpn = "ti = x";
  for (int i = 0; i < 100'000; ++i) {
    terms += "ti=w ";
    terms_rpn += i == 0 ? "ti = w" : " ti = w OR";
    phrases += "b\"c\"";
    phrases_rpn += " FT+COPY_BAR_CODE = b\"c\" OR";
  }
  EXPECT_EQ(Convert(terms), terms_rpn);
  EXPECT_EQ(Convert(phrases), phrases_rpn);
}

TEST(CclParserTest, OverlongLeadingWordIsNeverACode) {
  const std::string longest = "ti+" + std::string(kMaxCodeLength - 3, 'a');
  EXPECT_EQ(Convert(longest + "=x"), longest + " = x");
  EXPECT_EQ(Convert(longest + "a=x"), "FT+COPY_BAR_CODE = " + longest + "a = x");
}

TEST(CclParserTest, AsksTheLookupAboutTheLeadingWordOnly) {
  std::vector<std::string> asked;
  TCCLParser parser([&asked](std::string_view word) {
    asked.emplace_back(word);
    return word == "ti";
  });
  EXPECT_EQ(parser.ToRPN("ti<x winter(au>=y)"),
            "ti < x FT+COPY_BAR_CODE = winter OR FT+COPY_BAR_CODE = au >= y OR");
  EXPECT_EQ(asked, (std::vector<std::string>{"ti", "winter", "au"}));
}

}  // namespace
}  // namespace vellorax::search
