// The read form of a tag specification: each level of the language ("{...}",
// a group's content, a branch, a parameter run as a specification) becomes a
// list of elements, read once with the same reader calls the language's
// grammar prescribes and then run by TVLLTagCommand for every field of every
// record. Reading depends on the text alone, so a text is read once per
// command and every run of it behaves exactly as a fresh reading would,
// including the point where a malformed element stops the level.
//
// A level reads its own elements on first use; nested levels are read only
// when they run, so reading never recurses and the run's nesting guard bounds
// how deep it goes.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "vll2/base_command.h"

namespace vellorax::vll2 {

class TVLLScript;
class TVLLString;
class TVLLTagLevel;
class TVLLWorkSpace;

// A text-group reference as read ("%group.key.language%" and shorter forms)
// and its own text, which is written between "?" when no text is found.
struct TVLLTagTextRef {
  std::string group;
  std::string key;
  std::string language;
  std::string raw;
};

// A command call as read. A parameter starting with "$", "{", "*" or "&" is a
// specification of its own (`levels`), run when the call is made; `trimmed`
// is each parameter with control characters and blanks cut from both ends.
struct TVLLTagCall {
  std::string name;
  mutable TVLLCommandCache command;  // what the name found last time
  std::vector<std::string> trimmed;
  std::vector<std::unique_ptr<TVLLTagLevel>> levels;  // null for plain parameters
  bool fixed = false;  // no level: `trimmed` is the parameter list itself
};

struct TVLLTagCondition;

// What a literal text becomes in text mode after the run (HtmlToText, then
// Unescape), and whether it converts alike whatever follows it (no token of
// either conversion reads past its end).
struct TVLLConvertedText {
  std::string converted;
  bool stands_alone = false;
  bool unchanged = false;  // no character either conversion looks at
};

// One element of a level. Which fields are used depends on `kind`.
struct TVLLTagOp {
  enum class Kind : std::uint8_t {
    kLiteral,        // `text` joins the pending text
    kBlock,          // "{...}": `level` runs as a level of its own
    kUnclosedBlock,  // "{" without its "}": the level ends with status 9
    kSubfield,       // "$" `code` with options `start`, `count`
    kFieldRef,       // "*" path `text` with options `start`, `count`
    kNamedSpec,      // "&name": the named specification `text` ("&name")
    kEntity,         // "&name;": `text` in HTML mode, `alt` in text mode
    kConditional,    // "?(...){...}::{...}": `condition`, `level`, `other`
    kGroup,          // "(...)" / "[...]": opener `text`, content `level`
    kClearPending,   // a group without its closer: the pending text goes
    kQuoted,         // quoted item `text`; `ref` or `call` when it is one
    kCommand,        // "#name(...)": `call`
    kTextRef,        // "%...%": `ref`
    kFail,           // a malformed element: the level fails here
    // Operands of a condition only.
    kOperandValue,    // a quoted string: `text`
    kOperandLetters,  // a word: true (empty value) when it is "NULL"
    kOperandFail,     // nothing readable
  };

  Kind kind = Kind::kLiteral;
  char code = '\0';
  // kConditional: negated; kFail: write the pending text first; kOperandLetters: the
  // word is "NULL".
  bool flag = false;
  int start = 0;
  int count = 0;
  // Literal text, path, name, entity, opener, or, for kFail, a text written before the
  // level fails ("??" for an unreadable reference).
  std::string text;
  std::string alt;
  std::unique_ptr<TVLLTagLevel> level;
  std::unique_ptr<TVLLTagLevel> other;
  std::unique_ptr<TVLLTagCall> call;
  std::unique_ptr<TVLLTagTextRef> ref;
  std::unique_ptr<TVLLTagCondition> condition;
  // kLiteral, and kQuoted written as it stands: `text` converted.
  std::unique_ptr<TVLLConvertedText> as_text;
  // kNamedSpec: what the name found last time, right while the workspace's
  // registrations (CommandsVersion) and the tag spec's text are as then.
  struct NamedFound {
    const TVLLWorkSpace* work_space = nullptr;
    std::uint64_t version = 0;
    const TVLLString* source = nullptr;
    unsigned source_changes = 0;
    const TVLLTagLevel* level = nullptr;
  };
  mutable NamedFound named;
};

// "operand [operator operand]" of a conditional, as read.
struct TVLLTagCondition {
  bool empty = false;  // no text at all: malformed
  std::vector<TVLLTagOp> operands;
  std::string operator_text;  // empty: a single operand
  bool trailing = false;      // text after the second operand: malformed
};

// `text` as written into a tag command's output, converted for text mode.
std::unique_ptr<TVLLConvertedText> ConvertText(std::string_view text);
// True when HtmlToText reads `text` without looking past its end, so that
// text + anything converts as the two parts apart: no backslash ends it, and
// every "&" finds its ";" and every "<" its ">" inside it.
bool HtmlToTextStandsAlone(std::string_view text);
// The same for Unescape: no backslash pair reaches past the end.
bool UnescapeStandsAlone(std::string_view text);

class TVLLTagLevel {
 public:
  // Reads `text` in place: it must outlive the level (a parent level's text).
  explicit TVLLTagLevel(std::string_view text) : text_(text) {}
  // Keeps its own copy of `text`.
  struct Own {};
  TVLLTagLevel(std::string text, Own) : owned_(std::move(text)), text_(owned_) {}
  TVLLTagLevel(const TVLLTagLevel&) = delete;
  TVLLTagLevel& operator=(const TVLLTagLevel&) = delete;
  ~TVLLTagLevel();

  std::string_view Text() const { return text_; }
  // The elements, read on first use.
  const std::vector<TVLLTagOp>& Ops() const {
    if (ops_) [[likely]] {
      return *ops_;
    }
    return ReadOps();
  }
  // True when the elements are literal texts, subfield references without
  // options and quoted texts written as they stand only, the usual field
  // layout. REQUIRES: Ops() was called.
  bool Plain() const { return plain_; }

 private:
  const std::vector<TVLLTagOp>& ReadOps() const;

  std::string owned_;
  std::string_view text_;
  mutable std::optional<std::vector<TVLLTagOp>> ops_;
  mutable bool plain_ = false;
};

// The read specifications of one tag command and its clones, by text. Not
// thread-safe (like the workspace it serves while it runs).
class TVLLTagProgramCache {
 public:
  // The level for the tag specification `text`, read once and kept; a held
  // level stays valid whatever happens to the cache afterwards.
  std::shared_ptr<const TVLLTagLevel> Get(std::string_view text);

 private:
  struct TextHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  std::unordered_map<std::string, std::shared_ptr<const TVLLTagLevel>, TextHash, std::equal_to<>>
      levels_;
};

}  // namespace vellorax::vll2
