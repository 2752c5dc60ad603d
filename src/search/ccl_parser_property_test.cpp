// Properties of the CCL parser over generated commands: the RPN string of a
// well-formed command re-parses token by token the way the search object reads
// it (terms of three tokens, AND/OR taking two operands, NOT before them), ends
// with exactly one operand, and keeps the command's terms in their order.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "search/ccl_parser.h"

namespace vellorax::search {
namespace {

bool KnownCode(std::string_view word) {
  if (word.find('+') != std::string_view::npos) return true;
  std::string upper;
  for (char c : word) upper += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  return upper == "TI" || upper == "AU" || upper == "PY";
}

// A generated command with the terms it holds, each written as it must appear
// in the RPN string.
struct Generated {
  std::string command;
  std::vector<std::string> terms;
};

class CommandGenerator {
 public:
  explicit CommandGenerator(unsigned seed) : rng_(seed) {}
  Generated Next() {
    Generated g;
    g.command = Expression(0, g.terms);
    return g;
  }

 private:
  template <std::size_t N>
  const char* Pick(const char* const (&choices)[N]) {
    return choices[std::uniform_int_distribution<std::size_t>(0, N - 1)(rng_)];
  }
  int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

  // expression -> operand { operator operand }
  std::string Expression(int depth, std::vector<std::string>& terms) {
    static const char* const kOperators[] = {" AND ", " OR ", " AND NOT ", " or not ", " and ",
                                             " +",    " + ", " -",        " - ",      " "};
    std::string text = Operand(depth, terms);
    for (int i = Below(4); i > 0; --i) text += Pick(kOperators) + Operand(depth, terms);
    return text;
  }

  // operand -> term | '(' expression ')'
  std::string Operand(int depth, std::vector<std::string>& terms) {
    if (depth < 3 && Below(4) == 0) {
      static const char* const kInside[] = {"", " ", "\t"};
      return std::string("(") + Pick(kInside) + Expression(depth + 1, terms) + Pick(kInside) + ")";
    }
    return Term(terms);
  }

  std::string Term(std::vector<std::string>& terms) {
    static const char* const kCodes[] = {"ti", "au", "py", "TI", "Au"};
    static const char* const kRelations[] = {"=", "<", ">", "<=", ">="};
    static const char* const kValues[] = {"winter", "garden", "2001", "o'clock", "x1", "%w_"};
    static const char* const kSpacing[] = {"", " ", "  ", "\t"};
    static const char* const kPhrases[] = {"\"winter garden\"", "\"a  (b) AND c\"", "\"\""};
    switch (Below(4)) {
      case 0: {  // code, relation, word
        const std::string code = Pick(kCodes), rel = Pick(kRelations), value = Pick(kValues);
        terms.push_back(code + " " + rel + " " + value);
        return code + Pick(kSpacing) + rel + Pick(kSpacing) + value;
      }
      case 1: {  // interval
        const std::string code = Pick(kCodes);
        const std::string in = Below(2) ? "IN" : "in";
        terms.push_back(code + " " + in + " 1990:2000");
        return code + " " + in + " 1990:2000";
      }
      case 2: {  // bare word: the default search code
        const std::string value = Pick(kValues);
        terms.push_back(std::string(kDefaultSearchCode) + value);
        return value;
      }
      default: {  // phrase
        const std::string code = Pick(kCodes), phrase = Pick(kPhrases);
        terms.push_back(code + " = " + phrase);
        return code + Pick(kSpacing) + "=" + Pick(kSpacing) + phrase;
      }
    }
  }

  std::mt19937 rng_;
};

// Splits on blanks; a double-quoted stretch stays in its token with its quotes.
std::vector<std::string> Tokens(std::string_view rpn) {
  std::vector<std::string> tokens;
  std::string token;
  bool quoted = false;
  for (char c : rpn) {
    if (c == '"') quoted = !quoted;
    if (c == ' ' && !quoted) {
      if (!token.empty()) tokens.push_back(token);
      token.clear();
    } else {
      token += c;
    }
  }
  if (!token.empty()) tokens.push_back(token);
  return tokens;
}

// Reads the RPN string as the search object does. Returns the terms found, or
// adds a failure when the operators and operands do not balance.
std::vector<std::string> ReparseRpn(const std::string& rpn, const std::string& command) {
  const std::vector<std::string> tokens = Tokens(rpn);
  std::vector<std::string> terms;
  int depth = 0;
  for (std::size_t p = 0; p < tokens.size();) {
    const std::string& t = tokens[p];
    if (t == "AND" || t == "OR") {
      EXPECT_GE(depth--, 2) << "operator without two operands in " << rpn << " from " << command;
      ++p;
    } else if (t == "NOT") {
      EXPECT_TRUE(p + 1 < tokens.size() && (tokens[p + 1] == "AND" || tokens[p + 1] == "OR"))
          << "NOT not followed by AND/OR in " << rpn;
      ++p;
    } else {
      if (p + 3 > tokens.size()) {
        ADD_FAILURE() << "incomplete term in " << rpn << " from " << command;
        break;
      }
      terms.push_back(tokens[p] + " " + tokens[p + 1] + " " + tokens[p + 2]);
      ++depth;
      p += 3;
    }
  }
  EXPECT_EQ(depth, 1) << rpn << " from " << command;
  return terms;
}

TEST(CclParserPropertyTest, RpnOfWellFormedCommandsBalancesAndKeepsTerms) {
  CommandGenerator generator(20261207);
  for (int i = 0; i < 3000; ++i) {
    const Generated g = generator.Next();
    EXPECT_EQ(ReparseRpn(ToRPN(g.command, KnownCode), g.command), g.terms) << g.command;
  }
}

}  // namespace
}  // namespace vellorax::search
