#include "search/ccl_parser.h"

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "search/scode_list.h"

namespace vellorax::search {
namespace {

// Characters of code 32 or below count as blanks, as in the catalogue's Trim.
bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

bool IsOneOf(char c, std::string_view set) { return set.find(c) != std::string_view::npos; }

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// True when `text` starts with `upper_word` in any letter case.
bool StartsWithUpper(std::string_view text, std::string_view upper_word) {
  if (text.size() < upper_word.size()) return false;
  for (std::size_t i = 0; i < upper_word.size(); ++i) {
    if (UpperAscii(text[i]) != upper_word[i]) return false;
  }
  return true;
}

std::string_view Trim(std::string_view text) {
  std::size_t first = 0;
  while (first < text.size() && IsBlank(text[first])) ++first;
  std::size_t last = text.size();
  while (last > first && IsBlank(text[last - 1])) --last;
  return text.substr(first, last - first);
}

// `message` with its "%s" placeholders replaced by the arguments in turn.
std::string Format(std::string_view message, std::string_view first,
                   std::string_view second = {}) {
  std::string out;
  std::string_view args[2] = {first, second};
  int next = 0;
  for (std::size_t i = 0; i < message.size(); ++i) {
    if (message[i] == '%' && i + 1 < message.size() && message[i + 1] == 's' && next < 2) {
      out.append(args[next++]);
      ++i;
    } else {
      out += message[i];
    }
  }
  return out;
}

[[noreturn]] void Fail(std::string_view message, std::string_view first,
                       std::string_view second = {}) {
  throw ECCLError(Format(message, first, second));
}

// One entry of a parse list: a term, an operator, or a parenthesised group.
struct TCCLItem {
  enum class Kind { kTerm, kOperator, kGroup };
  Kind kind = Kind::kTerm;
  std::string text;              // term or operator text; empty for a group
  std::vector<TCCLItem> group;   // the nested list of a group
};
using TCCLParseList = std::vector<TCCLItem>;

// normalised -> { blank-run | phrase | other-char }
// Trims the command, turns every run of blanks outside phrases into one " ",
// and copies phrases unchanged up to and including their closing quote.
std::string NormaliseBlanks(std::string_view command) {
  const std::string_view text = Trim(command);
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '"') {
      const std::size_t close = text.find('"', i + 1);
      if (close == std::string_view::npos) Fail(kUnresolvedPhraseMessage, text);
      out.append(text.substr(i, close - i + 1));
      i = close + 1;
    } else if (IsBlank(c)) {
      while (i < text.size() && IsBlank(text[i])) ++i;
      out += ' ';
    } else {
      out += c;
      ++i;
    }
  }
  return out;
}

// Reads a normalised command from the front. Positions are 0-based offsets
// into the normalised text; the text itself is never changed: blanks the
// grammar inserts around relations go into the term being built instead.
class TCCLReader {
 public:
  TCCLReader(std::string_view text, const KnownCodeFn& is_known_code)
      : text_(text), is_known_code_(is_known_code) {}

  // command -> group   (a ")" at the outer level ends the command)
  TCCLParseList ReadCommand() { return ReadGroup(0); }

 private:
  // group -> [ start-check ] { '(' group | item } [ ')' ]
  // Items are read until a ")" or the end of the text. Adjacent operands are
  // joined by an implicit OR. `depth` counts the open parentheses around the
  // group; this is the one place that bounds the recursion.
  TCCLParseList ReadGroup(int depth) {
    if (depth > kMaxGroupDepth) Fail(kNestingTooDeepMessage, Rest());
    TCCLParseList list;
    SkipBlanks();
    if (AtEnd()) return list;
    CheckGroupStart();
    bool previous_was_operator = true;
    for (;;) {
      SkipBlanks();
      if (AtEnd()) break;
      if (Peek() == ')') {
        ++pos_;
        break;
      }
      if (Peek() == '(') {
        ++pos_;
        if (!previous_was_operator) list.push_back(Operator("OR"));
        TCCLItem group;
        group.kind = TCCLItem::Kind::kGroup;
        group.group = ReadGroup(depth + 1);
        list.push_back(std::move(group));
        previous_was_operator = false;
        continue;
      }
      TCCLItem item = ReadItem();
      const bool is_operator = item.kind == TCCLItem::Kind::kOperator;
      if (!is_operator && !previous_was_operator) list.push_back(Operator("OR"));
      list.push_back(std::move(item));
      previous_was_operator = is_operator;
    }
    return list;
  }

  // start-check: a group may not open with "+", "-", NOT, AND or OR.
  void CheckGroupStart() const {
    const std::string_view rest = Rest();
    if (Peek() == '+') Fail(kNotHandledBeforeFirstWordMessage, "\"+\"", rest);
    if (Peek() == '-') Fail(kNotHandledBeforeFirstWordMessage, "\"-\"", rest);
    if (StartsWithWord("NOT")) Fail(kNotHandledBeforeFirstWordMessage, "\"NOT\"", rest);
    if (StartsWithWord("AND") || StartsWithWord("OR")) Fail(kIllegalStartMessage, rest);
  }

  // item -> '+' [ 'NOT' ] | '-' | 'AND' [ 'NOT' ] | 'OR' [ 'NOT' ] | term
  // "+" stands for "AND " and "-" for "AND NOT "; a complemented operator
  // reads as "NOT AND" / "NOT OR". REQUIRES: not at the end, no "(" or ")".
  TCCLItem ReadItem() {
    SkipBlanks();
    if (Peek() == '+') {
      ++pos_;
      return CompletedOperator("AND");
    }
    if (Peek() == '-') {
      ++pos_;
      return Operator("NOT AND");
    }
    if (Peek() == '"') Fail(kPhraseWithoutCodeMessage, Rest());
    if (StartsWithWord("AND")) {
      pos_ += 3;
      return CompletedOperator("AND");
    }
    if (StartsWithWord("OR")) {
      pos_ += 2;
      return CompletedOperator("OR");
    }
    TCCLItem term;
    term.text = ReadTerm();
    return term;
  }

  // Finishes an operator whose word has been read: a following NOT makes it
  // the complemented form.
  TCCLItem CompletedOperator(std::string_view word) {
    SkipBlanks();
    if (StartsWithWord("NOT")) {
      pos_ += 3;
      return Operator("NOT " + std::string(word));
    }
    return Operator(word);
  }

  // term -> [ default-code ] { relation | phrase | char }
  // relation -> '=' | '<' | '>'   (blanks put around it)
  // A term is a code, a relation and one word, or a phrase; "IN" keeps its
  // neighbours in the term. A term not led by a known code gets the default
  // search code in front.
  std::string ReadTerm() {
    std::string term;
    const std::size_t word_end = LeadingWordEnd();
    const std::size_t word_length = word_end - pos_;
    if (word_length > 0 &&
        (word_length > kMaxCodeLength || !is_known_code_(text_.substr(pos_, word_length)))) {
      term = kDefaultSearchCode;
    }
    std::size_t i = pos_;
    while (i < text_.size()) {
      const char c = text_[i];
      if (c == '"') {
        const std::size_t close = text_.find('"', i + 1);
        if (close == std::string_view::npos) Fail(kUnresolvedPhraseMessage, term + std::string(Rest(i)));
        term.append(text_.substr(i, close - i + 1));
        i = close + 1;
        break;
      }
      if (IsOneOf(c, "=<>")) {
        if (term.empty()) Fail(kIllegalStartMessage, Rest(i));
        if (i + 1 == text_.size()) Fail(kIllegalEndMessage, term + std::string(Rest(i)));
        const char after = text_[i + 1];
        const bool blank_before = c == '=' ? !IsOneOf(term.back(), " <>") : term.back() != ' ';
        const bool blank_after = c == '=' ? after != ' ' : !IsOneOf(after, " =");
        if (blank_before) term += ' ';
        term += c;
        ++i;
        if (blank_after) {
          // The inserted blank is scanned like any other; being next to a
          // relation, it ends the term only before a parenthesis.
          if (after == '(' || after == ')') break;
          term += ' ';
        }
        continue;
      }
      if (TermEndsAt(i, term)) break;
      term += c;
      ++i;
    }
    pos_ = i;
    return term;
  }

  // The term ends at `i` when the rest from there, trimmed, is empty or opens
  // with a parenthesis; or at a blank that does not sit next to a relation and
  // does not follow or precede the word IN. `term` is the term read so far.
  bool TermEndsAt(std::size_t i, const std::string& term) const {
    const std::size_t next = SkipBlanksFrom(i);
    if (next == text_.size() || text_[next] == '(' || text_[next] == ')') return true;
    if (text_[i] != ' ') return false;
    const char before = term.empty() ? '\0' : term.back();
    const char after = i + 1 < text_.size() ? text_[i + 1] : '\0';
    if (IsOneOf(before, "<=>") || IsOneOf(after, "<=>")) return false;
    if (term.size() >= 3 && StartsWithUpper(std::string_view(term).substr(term.size() - 3), " IN")) {
      return false;
    }
    if (i + 3 < text_.size() && StartsWithUpper(text_.substr(i + 1, 3), "IN ")) return false;
    return true;
  }

  // True when the rest starts with `word` (any case) followed by the end, a
  // blank or a parenthesis.
  bool StartsWithWord(std::string_view word) const {
    const std::string_view rest = Rest();
    if (!StartsWithUpper(rest, word)) return false;
    return rest.size() == word.size() || IsOneOf(rest[word.size()], " ()");
  }

  static TCCLItem Operator(std::string_view text) {
    TCCLItem item;
    item.kind = TCCLItem::Kind::kOperator;
    item.text = text;
    return item;
  }

  // End of the leading word: the first blank, parenthesis or relation at or
  // after pos_. Remembered, because a word holding several phrases yields one
  // term per phrase and would otherwise be scanned again for each.
  std::size_t LeadingWordEnd() {
    if (!(word_start_ <= pos_ && pos_ <= word_end_)) {
      word_end_ = pos_;
      while (word_end_ < text_.size() && !IsOneOf(text_[word_end_], " ()<=>")) ++word_end_;
    }
    word_start_ = pos_;
    return word_end_;
  }
  std::size_t SkipBlanksFrom(std::size_t from) const {
    while (from < text_.size() && text_[from] == ' ') ++from;
    return from;
  }
  void SkipBlanks() { pos_ = SkipBlanksFrom(pos_); }
  bool AtEnd() const { return pos_ >= text_.size(); }
  char Peek() const { return text_[pos_]; }
  std::string_view Rest(std::size_t from) const { return text_.substr(from); }
  std::string_view Rest() const { return Rest(pos_); }

  std::string_view text_;
  const KnownCodeFn& is_known_code_;
  std::size_t pos_ = 0;
  std::size_t word_start_ = 1;  // [word_start_, word_end_) holds no delimiter;
  std::size_t word_end_ = 0;    // empty until the first scan
};

std::string ItemRPN(const TCCLItem& item);

// rpn -> operand1 { ' ' operand ' ' operator }
// Items 1, 3, 5 ... are operands, the items between them their operators, all
// of one precedence and left-associative. A trailing operator is dropped.
std::string ListRPN(const TCCLParseList& list) {
  if (list.empty()) return {};
  std::string rpn = ItemRPN(list[0]);
  for (std::size_t k = 2; k < list.size(); k += 2) {
    rpn += ' ';
    rpn += ItemRPN(list[k]);
    rpn += ' ';
    rpn += ItemRPN(list[k - 1]);
  }
  return rpn;
}

std::string ItemRPN(const TCCLItem& item) {
  return item.kind == TCCLItem::Kind::kGroup ? ListRPN(item.group) : item.text;
}

}  // namespace

TCCLParser::TCCLParser(KnownCodeFn is_known_code) : is_known_code_(std::move(is_known_code)) {}

TCCLParser::TCCLParser(const TVLSCodeList& codes)
    : is_known_code_([&codes](std::string_view word) {
        std::string name(word);
        const TVLSCode* code = nullptr;
        return codes.FindSCode(name, code);
      }) {}

std::string TCCLParser::ToRPN(std::string_view command) const {
  const std::string text = NormaliseBlanks(command);
  if (text.empty()) return {};
  TCCLReader reader(text, is_known_code_);
  return ListRPN(reader.ReadCommand());
}

std::string ToRPN(std::string_view command, const KnownCodeFn& is_known_code) {
  return TCCLParser(is_known_code).ToRPN(command);
}

}  // namespace vellorax::search
