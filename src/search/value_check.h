// Validation and normalisation of search-term values by data type, as done
// when a term is recorded: intervals split, dates completed, punctuation around
// words trimmed. Failures raise VLSearchException with the user's message,
// whose "(%s)" holds the term text (see TermText).
//
// Every function takes any input without crashing, so they can be fuzzed
// directly.
#pragma once

#include <string>
#include <string_view>

#include "search/search_types.h"

namespace vellorax::search {

// Messages ("%s" receives the term text).
inline constexpr const char* kIntervalExpectedMessage = "Interval search was expected. (%s)";
inline constexpr const char* kIntegerExpectedMessage = "Integer was expected. (%s)";
inline constexpr const char* kIllegalDateMessage =
    "Illegal date format. YYYY-MM-DD, YYYY-MM or YYYY expected. (%s)";
inline constexpr const char* kIllegalTimestampMessage =
    "Illegal timestamp format. YYYY-MM-DD HH:MM:SS, YYYY-MM-DD, YYYY-MM or YYYY expected. (%s)";
inline constexpr const char* kWildcardInIntervalMessage =
    "Wildcard is not allowed in interval search. (%s)";
inline constexpr const char* kWildcardWithOperatorMessage =
    "Wildcard is not allowed with this relational operator. (%s)";
inline constexpr const char* kSpaceOrWildcardInIntervalMessage =
    "Space or wildcard is not allowed in interval search. (%s)";
inline constexpr const char* kSpaceNotAllowedMessage = "Space is not allowed. (%s)";
inline constexpr const char* kSpaceOrWildcardWithOperatorMessage =
    "Space or wildcard is not allowed with this relational operator. (%s)";

// The 24 characters trimmed around words: , . : ; ! " # & \ = ? @ £(163) { } ( ) [ ] < > + - /
extern const std::string kWordPunctuation;

// message with its first "%s" replaced by `argument`.
std::string FormatMessage(std::string_view message, std::string_view argument);
// The term text of a message: name + " " + operator text + " " + value.
std::string TermText(std::string_view name, RelOp rel, std::string_view value);

// Splits low:high at the first ":" (ends not trimmed); a value without ":"
// raises kIntervalExpectedMessage with `term`.
void SplitInterval(std::string_view value, std::string_view term, std::string& low,
                   std::string& high);

// Checks `value` (and `value2` for RelOp::Interval) against `datatype` and
// normalises them in place; raises the data type's message with `term`.
void CheckByDatatype(Datatype datatype, RelOp rel, std::string& value, std::string& value2,
                     std::string_view term);

// Trims white space and word punctuation around a word, keeping one leading
// and one trailing "%"; a text made only of such characters stays as it is.
void TrimWordPunctuation(std::string& text);

// YYYY -> YYYY-01-01, YYYY-MM -> YYYY-MM-01; then YYYY?MM?DD with integer
// parts is required. False (value unspecified) when the value does not pass.
bool NormaliseDate(std::string& value);
// YYYY?MM?DD?HH?MM?SS with integer parts, or a date as NormaliseDate takes it.
bool NormaliseTimestamp(std::string& value);

// Checks in place, raising kIllegalDateMessage / kIllegalTimestampMessage.
void CheckDate(std::string& value, std::string_view term);
void CheckTimestamp(std::string& value, std::string_view term);

}  // namespace vellorax::search
