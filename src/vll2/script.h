// TVLLScript: the cursor with which every command of the macro language reads
// its definition text and its parameters, plus class-level helpers that work
// on a plain text and a 1-based position (attribute lists, escapes, HTML text
// conversion). A reader is used by one command run at a time; the class
// functions keep no state.
//
// Positions are 1-based as in the macro language's own algorithms: Position()
// is 0 before the first character and Length() + 1 once the end has been
// passed; Current() is '\0' at and past the end. No reader ever looks outside
// Text(), whatever the input.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vellorax::vll2 {

class TVLLNamedObjectList;

class TVLLScript {
 public:
  // Reader statuses.
  static constexpr int kOk = 0;
  static constexpr int kSyntaxError = 9;

  // Codes of ReadOperator.
  static constexpr int kOpNone = 0;
  static constexpr int kOpLess = 1;          // "<"
  static constexpr int kOpLessEqual = 2;     // "<="
  static constexpr int kOpEqual = 3;         // "=="
  static constexpr int kOpGreaterEqual = 4;  // ">="
  static constexpr int kOpGreater = 5;       // ">"
  static constexpr int kOpStartsWith = 6;    // "*="
  static constexpr int kOpContains = 7;      // "#="

  // Codes of ReadLogicWord.
  static constexpr int kLogicNone = 0;
  static constexpr int kLogicAnd = 1;  // "AND "
  static constexpr int kLogicOr = 2;   // "OR "
  static constexpr int kLogicNot = 3;  // "NOT "

  // Nested command calls deeper than this ("#a(#b(#c(...") do not read.
  static constexpr int kMaxCallNesting = 200;

  // Stands on the first character of `text` (or at the end for ""). A view
  // or a C string is read in place and must outlive the reader; a temporary
  // string is kept by the reader.
  explicit TVLLScript(std::string_view text);
  explicit TVLLScript(const char* text) : TVLLScript(std::string_view(text)) {}
  explicit TVLLScript(std::string&& text);
  virtual ~TVLLScript() = default;

  TVLLScript(const TVLLScript&) = delete;
  TVLLScript& operator=(const TVLLScript&) = delete;

  std::string_view Text() const { return text_; }
  int Position() const { return position_; }
  int Length() const { return length_; }
  char Current() const { return current_; }

  // ---- cursor ----
  // Moves one character on; past the last character Position() becomes
  // Length() + 1 and Current() '\0'. Returns the new Current().
  char Next() {
    if (position_ < length_) {
      ++position_;
      current_ = text_[position_ - 1];
    } else {
      position_ = length_ + 1;
      current_ = '\0';
    }
    return current_;
  }
  // 0 puts the reader before the start; 1..Length() moves there; any other
  // value is ignored.
  void SetPosition(int n);
  // Moves to any position 0..Length() + 1, as ParseCommand leaves the reader
  // (used to replay a remembered reading); other values are clamped.
  void Seek(int n) { Restore(n); }
  bool NotEnd() const { return position_ <= length_; }
  // The character after Current() without moving ('\0' when none).
  char PeekNext() const { return At(position_ + 1); }
  // Sets Current() from Position() again.
  void Reread() { current_ = At(position_); }
  // Advances while Current() is blank; returns NotEnd().
  bool SkipBlanks();
  // Collect Current() and advance while it is not '\0' and is, respectively,
  // not blank / an ASCII letter / a name character.
  std::string ReadUntilBlank();
  std::string ReadLetters();
  std::string ReadNameChars();
  // The same without a copy: the view points into Text() and lives as long
  // as the reader.
  std::string_view ReadUntilBlankView();
  std::string_view ReadLettersView();

  // ---- character classes (ASCII only) ----
  // Blank: space, tab, CR, LF. Name character: letter, digit, "_" or "-".
  static bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
  static bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
  static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
  static bool IsNameChar(char c) { return IsLetter(c) || IsDigit(c) || c == '_' || c == '-'; }
  bool IsBlank() const { return IsBlank(current_); }
  bool IsLetter() const { return IsLetter(current_); }
  bool IsDigit() const { return IsDigit(current_); }
  bool IsNameChar() const { return IsNameChar(current_); }

  // ---- token readers ----
  // A comparison operator at Position() (kOp... code); moves past it on
  // success, nothing consumed for kOpNone.
  int ReadOperator();
  // "AND ", "OR " or "NOT " (any letter case, the following blank included)
  // at Position(); moves past word and blank on success.
  int ReadLogicWord();

  // A command call: optional "#", a name, "(", parameters separated by ",",
  // ")". `params` may be null (the call is only checked and skipped); when
  // given it is emptied and filled. Quoted parameters come back between
  // double quotes, nested calls as their raw text. On failure returns
  // kSyntaxError and restores the position; name/params are then unusable.
  virtual int ParseCommand(std::string& name, std::vector<std::string>* params);

  // A text-group reference: key, group.key, or %group.key.language% (the
  // "%" signs optional for one or two names). Outputs the form does not
  // contain are left as the caller set them; on failure nothing is changed,
  // the position is restored and kSyntaxError returned.
  int ParseTextCommand(std::string& group, std::string& key, std::string& language);

  // A block "(...)", "[...]", "{...}" or "(:...:)". `kind` empty: set to the
  // opener found; otherwise the opener must be that kind. Only the block's
  // own kind nests. kSyntaxError when no closer is found (the reader is then
  // left where it stopped).
  int ReadBracketed(std::string& kind, std::string& content);
  // The same with `content` a view into Text().
  int ReadBracketed(std::string& kind, std::string_view& content);

  // A string in double or single quotes; backslash + quote gives the quote,
  // backslash + anything else stays as written. On failure `value` is
  // empty and the position restored.
  int ParseQuotedString(std::string& value);

  // ---- class functions on a text and a 1-based position ----
  // Advances `pos` over blanks; true when it stopped on a non-blank.
  static bool SkipBlanksIn(std::string_view text, int& pos);
  // `s` := the ASCII letters starting at `pos`; `pos` moves past them.
  static void ReadLettersIn(std::string_view text, int& pos, std::string& s);
  // The lookups behind ReadOperator / ReadLogicWord; `pos` moves on success.
  static int ReadOperatorAt(std::string_view text, int& pos);
  static int ReadLogicWordAt(std::string_view text, int& pos);
  // Reads blank-separated name=value pairs (value a word, or text in double
  // or single quotes) from `pos` and appends each as (name, TVLLString) to
  // `list`, repeats included. kSyntaxError when a name lacks its "=" or the
  // text ends right after "=". A single character left at the end is ignored.
  static int ReadAttributes(std::string_view text, int& pos, TVLLNamedObjectList& list);
  // Backslash + "n" becomes CR LF, backslash + any other character that
  // character; a backslash at the very end stays.
  static std::string Unescape(std::string_view text);

  // HTML text conversion.
  // `pos` must stand on "<": `content` := text up to the next ">", `pos`
  // just after it, kOk. Otherwise `content` empty, `pos` unchanged,
  // kSyntaxError.
  static int ReadTag(std::string_view text, int& pos, std::string& content);
  // The same for "&" ... ";".
  static int ReadEntity(std::string_view text, int& pos, std::string& name);
  // Non-zero when `name` (any letter case) is one of the recognised HTML tag
  // names (BR, P, A, FONT, DIV, ...); 0 otherwise, "" included.
  static int HtmlTagKind(std::string_view name);
  // Removes recognised markup and comments and decodes known entities.
  static std::string HtmlToText(std::string_view text);
  // Encodes a text for HTML output, letting recognised markup and known
  // entities through.
  static std::string TextToHtml(std::string_view text);

 private:
  // The 1-based character of text_, '\0' outside 1..Length().
  char At(int pos) const {
    return pos >= 1 && pos <= length_ ? text_[static_cast<size_t>(pos) - 1] : '\0';
  }
  // Moves to any position 0..Length()+1 (used to restore a start).
  void Restore(int pos) {
    position_ = pos < 0 ? 0 : (pos > length_ + 1 ? length_ + 1 : pos);
    Reread();
  }
  int ParseCall(std::string& name, std::vector<std::string>* params, int depth);
  // Collects Current() and moves on while it is not '\0' and `accept` holds.
  template <typename Predicate>
  std::string_view ReadWhile(Predicate accept);

  std::string owned_;
  std::string_view text_;
  int position_ = 0;
  int length_ = 0;
  char current_ = '\0';
};

}  // namespace vellorax::vll2
