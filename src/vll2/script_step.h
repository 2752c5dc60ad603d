// TVLLScriptStep and TVLLScriptCondition: the items of a script text as the
// script command reads them, kept so that a script run once per record reads
// its text only once. Each is read from one reader slice and position (see
// TVLLCallMemo) and holds everything that reading decided, read failures
// included; what depends on the run (call results, text lookups, in which
// branch the run is) is left to the run.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "vll2/call_memo.h"

namespace vellorax::vll2 {

class TVLLScript;

// A condition "(...)" after "if", "ifnot", "elseif" or "elseifnot".
struct TVLLScriptCondition {
  struct Item {
    enum class Kind : std::uint8_t {
      kOpen,      // "("
      kClose,     // ")"
      kTextRef,   // %group.key.language%: `group`, `text` (the key), `language`
      kCall,      // a call whose output is the operand
      kQuoted,    // a quoted operand: `text`
      kOperator,  // `code` a TVLLScript::kOp... code
      kLogic,     // `code` 'A', 'O' or 'N'
      kWord,      // a word of name characters: `text`
      kFail,      // the text does not read on from here: the condition is malformed
    };
    Kind kind = Kind::kFail;
    std::uint8_t code = 0;
    std::shared_ptr<const TVLLCallMemo::Call> call;
    std::string text;
    std::string group;
    std::string language;
  };

  std::vector<Item> items;
  // The reader's position after the closing ")".
  int end = 0;
  // TVLLLogic::Evaluate of the truth texts met before (a pure function).
  mutable std::vector<std::pair<std::string, char>> answers;
};

// One item of a script level.
struct TVLLScriptStep {
  enum class Kind : std::uint8_t {
    kCall,        // `call`
    kQuoted,      // `text`
    kTextRef,     // `group`, `text` (the key), `language`
    kKeyword,     // `keyword` (TVLLScriptStep::kIf ...)
    kBadCall,     // "Error on parsing command:"
    kBadQuote,    // "Missing ending quote"
    kBadTextRef,  // "Missing ending %"
  };
  static constexpr std::uint8_t kIf = 1;
  static constexpr std::uint8_t kIfNot = 2;
  static constexpr std::uint8_t kElseIf = 3;
  static constexpr std::uint8_t kElseIfNot = 4;
  static constexpr std::uint8_t kElse = 5;
  static constexpr std::uint8_t kEndIf = 6;
  // A skip not made yet.
  static constexpr int kUnknown = -1;

  Kind kind = Kind::kBadCall;
  std::uint8_t keyword = 0;
  // Where the item starts, where the reader stands after it (for a keyword,
  // after the word) and where the level reads on: after the blanks behind
  // it, or at `end` for a keyword and a step that did not read.
  int start = 0;
  int end = 0;
  int next = 0;
  std::shared_ptr<const TVLLCallMemo::Call> call;
  std::string text;
  std::string group;
  std::string language;
  // Keywords: what the run found on first use. `condition` for the if kinds;
  // `skip_next`: where the skip to the next keyword of the level from the
  // body start ended (0: it ran off the end); `skip_endif` the same for the
  // skip to "endif" from there.
  mutable std::unique_ptr<const TVLLScriptCondition> condition;
  // Not a keyword: the step kept at `next` of the same slice, once a run has
  // found it there (both live in the same memo, and go together).
  mutable const TVLLScriptStep* following = nullptr;
  mutable int skip_next = kUnknown;
  mutable int skip_endif = kUnknown;
};

// The TVLLScriptStep::kIf ... code of a keyword written exactly (lower
// case); 0 for any other word.
std::uint8_t ScriptKeywordCode(std::string_view word);

// Reads the step at the reader's position (not blank, not at the end) as the
// script command's level reads it, calls through `memo`. The reader is left
// at step.next. REQUIRES: as TVLLCallMemo::ReadCall.
std::unique_ptr<TVLLScriptStep> ReadScriptStep(TVLLScript& reader, int base, TVLLCallMemo& memo);

// Reads the condition at the reader's position; the reader is left at its
// end (somewhere inside when it is malformed).
std::unique_ptr<const TVLLScriptCondition> ReadScriptCondition(TVLLScript& reader, int base,
                                                               TVLLCallMemo& memo);

}  // namespace vellorax::vll2
