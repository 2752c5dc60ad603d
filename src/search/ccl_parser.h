// The CCL parser: turns one CCL command (search codes, relations, values,
// boolean operators, parentheses, phrases in double quotes) into the reverse
// Polish string that TVLSearch evaluates, for example
//   "ti=winter +au=river"  ->  "ti = winter au = river AND".
// It works on text only; its one outside question is whether a word names a
// search code. A parser holds no state between calls, so it may be shared by
// threads when its known-code test may.
#pragma once

#include <cstddef>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vellorax::search {

class TVLSCodeList;

// Raised for a malformed CCL command; what() is the exact message the user
// sees. A general error, deliberately not a VLSearchException.
class ECCLError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Answers whether `word` names a search code in any spelling the catalogue
// accepts (aliases, any letter case, every name that contains "+").
using KnownCodeFn = std::function<bool(std::string_view word)>;

// Put before a term that does not start with a known search code.
inline constexpr std::string_view kDefaultSearchCode = "FT+COPY_BAR_CODE = ";

// Longest word offered to the known-code test; a longer leading word is never
// taken for a search code (no catalogue has such names), which keeps the
// conversion linear on words made of many phrases.
inline constexpr std::size_t kMaxCodeLength = 256;

// Deepest nesting of parentheses accepted; deeper commands are rejected with
// kNestingTooDeepMessage instead of exhausting the stack.
inline constexpr int kMaxGroupDepth = 256;

// Messages ("%s" receives the text named in each comment).
// Opening double quote without a closing one (the command, or the rest of it).
inline constexpr std::string_view kUnresolvedPhraseMessage = "Unresolved phrase: %s";
// A group starts with "+", "-" or NOT: that sign or word in double quotes, and
// the rest of the command.
inline constexpr std::string_view kNotHandledBeforeFirstWordMessage =
    "%s before the first word not handled: %s";
// A group starts with AND or OR, or a term with "=", "<" or ">": the rest.
inline constexpr std::string_view kIllegalStartMessage = "Illegal start of command: %s";
// A term ends with "=", "<" or ">": the rest, from the start of the term.
inline constexpr std::string_view kIllegalEndMessage = "Illegal end of command: %s";
// An item starts with a double quote: the rest.
inline constexpr std::string_view kPhraseWithoutCodeMessage =
    "Phrase must be used along with a search code identifier: %s";
// Parentheses nested deeper than kMaxGroupDepth: the rest.
inline constexpr std::string_view kNestingTooDeepMessage =
    "Parentheses nested more than 256 levels deep: %s";

class TCCLParser {
 public:
  // `is_known_code` must stay callable for the parser's lifetime.
  explicit TCCLParser(KnownCodeFn is_known_code);
  // Asks the catalogue's FindSCode; `codes` must outlive the parser.
  explicit TCCLParser(const TVLSCodeList& codes);

  // Returns the RPN string of `command`, empty for an empty or blank command.
  // Terms appear as "code relation value" (the value possibly a phrase in
  // double quotes), operators as AND, OR, NOT AND, NOT OR. Throws ECCLError
  // with the exact message for a malformed command; any byte string is
  // accepted as input.
  std::string ToRPN(std::string_view command) const;

 private:
  KnownCodeFn is_known_code_;
};

// One-shot form of TCCLParser::ToRPN.
std::string ToRPN(std::string_view command, const KnownCodeFn& is_known_code);

}  // namespace vellorax::search
