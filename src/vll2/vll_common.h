// Small shared pieces of the macro engine: named-object list helpers,
// case-insensitive substring search and single-character HTML entities
// (TVLLCommon), and the truth-string evaluator of the conditional commands
// (TVLLLogic). Both classes hold only class-level functions and no state, so
// they are safe to call from any thread.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "vll2/named_object_list.h"

namespace vellorax::vll2 {

class TVLLCommon {
 public:
  TVLLCommon() = delete;

  // Returned by DecodeHtmlEntity in place of a character when the entity
  // cannot be decoded; callers compare against it.
  static constexpr std::string_view kErrorMarker = "_$_error_$_";

  // Adds (name, obj) to `list`, or, when a pair of that name exists (letter
  // case ignored, user's locale), destroys its object and puts `obj` (may be
  // null) in its place, keeping the name first given. Returns the 0-based
  // index of the pair. The list owns `obj` afterwards.
  static int SetObject(TVLLNamedObjectList& list, std::string_view name,
                       std::unique_ptr<TVLLObject> obj);

  // The Value of the text value stored under `name`; empty when the name is
  // missing or its object is not a TVLLString.
  static std::string GetString(const TVLLNamedObjectList& list, std::string_view name);

  // 1-based position of the first occurrence of `sub` in `text`, letter case
  // ignored (user's locale); 0 when either is empty or `sub` is longer.
  static int PosText(std::string_view text, std::string_view sub);
  // `text` without the characters of codes 0 to 32 at either end.
  static std::string_view TrimControl(std::string_view text);

  // The HTML entity for one ISO 8859-1 byte ("&quot;", "&Auml;" ...), or the
  // byte itself as a one-character string.
  static std::string EncodeHtmlChar(char ch);

  // `name` is the text between "&" and ";". Yields one character ("nbsp" is
  // a plain space, "#65" / "#x41" numeric forms read at most three
  // characters), or kErrorMarker when the entity is unknown or unreadable.
  static std::string DecodeHtmlEntity(std::string_view name);
};

// Truth strings: operands "T"/"F" alternating with the operators "A" (and),
// "N" (and not) and "O" (or); "A" binds tighter than "N", "N" than "O".
class TVLLLogic {
 public:
  TVLLLogic() = delete;

  // Value of a flat truth string (no parentheses): its first character after
  // every operator has been resolved; 'E' for an empty string.
  static char Reduce(std::string_view s);

  // Value of a truth string with parentheses: 'T', 'F', or 'E' when it is
  // malformed (unbalanced, empty, or not reducing to T/F). Never throws.
  static char Evaluate(std::string_view s);
};

}  // namespace vellorax::vll2
