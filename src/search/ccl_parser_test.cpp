#include "search/ccl_parser.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <random>
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
    {"py=<3", "py = < 3"},
    // A blank next to a relation never ends a term; "-" inside a term is text.
    {"ti=x =y", "ti = x = y"},
    {"py=-5", "py = -5"},
    // IN keeps its neighbours in the term, in any letter case.
    {"py IN 1990:2000 ti=x", "py IN 1990:2000 ti = x OR"},
    {"winter in garden", "FT+COPY_BAR_CODE = winter in garden"},
    {"pyIN 1990", "FT+COPY_BAR_CODE = pyIN FT+COPY_BAR_CODE = 1990 OR"},
    // Operators: words in any case, signs, complemented forms, left to right.
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
    // Groups: nesting, adjacency, empty groups, a closing ")" at the outer level.
    {"((ti=a OR ti=b) au=c) AND py=1", "ti = a ti = b OR au = c OR py = 1 AND"},
    {"ti=x(au=y)", "ti = x au = y OR"},
    {"()", ""},
    {"ti=x ()", "ti = x  OR"},
    {") ti=x", ""},
    {"ti=(x)", "ti = FT+COPY_BAR_CODE = x OR"},
    // The default search code goes before a term not led by a known code.
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
    {"ti=x AND (AND au=y)", "Illegal start of command: AND au=y)"},
    // A relation may not start or end a term.
    {"=x", "Illegal start of command: =x"},
    {"<2000", "Illegal start of command: <2000"},
    {"ti=x (=y)", "Illegal start of command: =y)"},
    {"ti=", "Illegal end of command: ti="},
    // The text shown is the term as scanned so far: the blank before "<" is in.
    {"py<=", "Illegal end of command: py <="},
    {"winter=", "Illegal end of command: FT+COPY_BAR_CODE = winter="},
    // Phrases.
    {"  ti=\"winter garden  ", "Unresolved phrase: ti=\"winter garden"},
    {"ti=\"a\" au=\"b\t\tc", "Unresolved phrase: ti=\"a\" au=\"b\t\tc"},
    {"\"winter garden\"",
     "Phrase must be used along with a search code identifier: \"winter garden\""},
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

// Generated well-formed commands: the RPN string re-parses token by token the
// way the search object reads it (terms of three tokens, AND/OR taking two
// operands, NOT just before one of them), leaves one operand, and keeps the
// command's terms, written as the RPN string must show them, in their order.
class CommandGenerator {
 public:
  explicit CommandGenerator(unsigned seed) : rng_(seed) {}

  // expression -> operand { operator operand }; operand -> term | '(' expression ')'
  std::string Expression(int depth, std::vector<std::string>& terms) {
    std::string text = Operand(depth, terms);
    for (int i = Below(4); i > 0; --i) {
      text += Pick({" AND ", " OR ", " AND NOT ", " or not ", " and ", " +", " + ", " -", " - ",
                    " "});
      text += Operand(depth, terms);
    }
    return text;
  }

 private:
  int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
  std::string Pick(std::initializer_list<const char*> choices) {
    return choices.begin()[Below(static_cast<int>(choices.size()))];
  }

  std::string Operand(int depth, std::vector<std::string>& terms) {
    if (depth >= 3 || Below(4) != 0) return Term(terms);
    const std::string open = "(" + Pick({"", " ", "\t"});
    const std::string inner = Expression(depth + 1, terms);
    return open + inner + Pick({"", " ", "\t"}) + ")";
  }

  std::string Term(std::vector<std::string>& terms) {
    const std::string code = Pick({"ti", "au", "py", "TI", "Au"});
    const std::string word = Pick({"winter", "garden", "2001", "o'clock", "x1", "%w_"});
    switch (Below(4)) {
      case 0:  // interval
        terms.push_back(code + (Below(2) ? " IN" : " in") + " 1990:2000");
        return terms.back();
      case 1:  // bare word: the default search code
        terms.push_back(std::string(kDefaultSearchCode) + word);
        return word;
      default: {  // code, relation, word or phrase
        const bool phrase = Below(3) == 0;
        const std::string rel = phrase ? "=" : Pick({"=", "<", ">", "<=", ">="});
        const std::string value =
            phrase ? Pick({"\"winter garden\"", "\"a  (b) AND c\"", "\"\""}) : word;
        terms.push_back(code + " " + rel + " " + value);
        const std::string blank = Pick({"", " ", "  ", "\t"});
        return code + blank + rel + Pick({"", " ", "  ", "\t"}) + value;
      }
    }
  }

  std::mt19937 rng_;
};

// Reads the RPN string as the search object does and returns its terms; a
// double-quoted stretch stays in its token.
std::vector<std::string> ReparseRpn(const std::string& rpn) {
  std::vector<std::string> tokens(1);
  bool quoted = false;
  for (char c : rpn) {
    if (c == '"') quoted = !quoted;
    if (c != ' ' || quoted) tokens.back() += c;
    else if (!tokens.back().empty()) tokens.emplace_back();
  }
  if (tokens.back().empty()) tokens.pop_back();
  std::vector<std::string> terms;
  int operands = 0;
  for (std::size_t p = 0; p < tokens.size(); ++p) {
    if (tokens[p] == "AND" || tokens[p] == "OR") {
      EXPECT_GE(operands--, 2) << "operator without two operands in " << rpn;
    } else if (tokens[p] == "NOT") {
      EXPECT_TRUE(p + 1 < tokens.size() && (tokens[p + 1] == "AND" || tokens[p + 1] == "OR"))
          << rpn;
    } else if (p + 3 > tokens.size()) {
      ADD_FAILURE() << "incomplete term in " << rpn;
      break;
    } else {
      terms.push_back(tokens[p] + " " + tokens[p + 1] + " " + tokens[p + 2]);
      ++operands;
      p += 2;
    }
  }
  EXPECT_EQ(operands, 1) << rpn;
  return terms;
}

TEST(CclParserPropertyTest, RpnOfWellFormedCommandsBalancesAndKeepsTerms) {
  CommandGenerator generator(20261207);
  for (int i = 0; i < 3000; ++i) {
    std::vector<std::string> terms;
    const std::string command = generator.Expression(0, terms);
    EXPECT_EQ(ReparseRpn(Convert(command)), terms) << command;
  }
}

}  // namespace
}  // namespace vellorax::search
