#include "search/value_check.h"

#include "common/strings.h"

namespace vellorax::search {

const std::string kWordPunctuation = ",.:;!\"#&\\=?@\xA3{}()[]<>+-/";

namespace {


bool HasWildcard(std::string_view s) { return s.find_first_of("%_*") != std::string_view::npos; }
bool HasSpace(std::string_view s) { return s.find(' ') != std::string_view::npos; }

[[noreturn]] void Raise(std::string_view message, std::string_view term) {
  throw VLSearchException(FormatMessage(message, term));
}

// Characters first..first+count-1 (1-based) form an integer.
bool IntegerAt(std::string_view s, int first, int count) {
  return common::IsInteger(common::Copy(s, first, count));
}

}  // namespace

std::string FormatMessage(std::string_view message, std::string_view argument) {
  std::string result(message);
  const std::size_t at = result.find("%s");
  if (at != std::string::npos) result.replace(at, 2, argument);
  return result;
}

std::string TermText(std::string_view name, RelOp rel, std::string_view value) {
  std::string text(name);
  text += ' ';
  text += RelOpToText(rel);
  text += ' ';
  text += value;
  return text;
}

void SplitInterval(std::string_view value, std::string_view term, std::string& low,
                   std::string& high) {
  const std::string v = TrimBlanks(value);
  const std::size_t colon = v.find(':');
  if (colon == std::string::npos) Raise(kIntervalExpectedMessage, term);
  low = v.substr(0, colon);
  high = v.substr(colon + 1);
}

void TrimWordPunctuation(std::string& text) { common::TrimKeepWildcards(text, kWordPunctuation); }

bool NormaliseDate(std::string& value) {
  value = TrimBlanks(value);
  if (value.size() == 4) {
    value += "-01-01";
  } else if (value.size() == 7) {
    value += "-01";
  }
  return value.size() == 10 && IntegerAt(value, 1, 4) && IntegerAt(value, 6, 2) &&
         IntegerAt(value, 9, 2);
}

bool NormaliseTimestamp(std::string& value) {
  value = TrimBlanks(value);
  if (value.size() == 19) {
    return IntegerAt(value, 1, 4) && IntegerAt(value, 6, 2) && IntegerAt(value, 9, 2) &&
           IntegerAt(value, 12, 2) && IntegerAt(value, 15, 2) && IntegerAt(value, 18, 2);
  }
  return NormaliseDate(value);
}

void CheckDate(std::string& value, std::string_view term) {
  if (!NormaliseDate(value)) Raise(kIllegalDateMessage, term);
}

void CheckTimestamp(std::string& value, std::string_view term) {
  if (!NormaliseTimestamp(value)) Raise(kIllegalTimestampMessage, term);
}

void CheckByDatatype(Datatype datatype, RelOp rel, std::string& value, std::string& value2,
                     std::string_view term) {
  const bool interval = rel == RelOp::Interval;
  switch (datatype) {
    case Datatype::Integer:
      if (interval ? !(common::IsInteger(value) && common::IsInteger(value2))
                   : !common::IsInteger(value)) {
        Raise(kIntegerExpectedMessage, term);
      }
      break;
    case Datatype::Date:
      CheckDate(value, term);
      if (interval) CheckDate(value2, term);
      break;
    case Datatype::String:
      if (interval) {
        if (HasWildcard(value) || HasWildcard(value2)) Raise(kWildcardInIntervalMessage, term);
      } else if (rel != RelOp::Like && HasWildcard(value)) {
        Raise(kWildcardWithOperatorMessage, term);
      }
      break;
    case Datatype::Word:
      TrimWordPunctuation(value);
      TrimWordPunctuation(value2);
      if (interval) {
        if (HasSpace(value) || HasWildcard(value) || HasSpace(value2) || HasWildcard(value2)) {
          Raise(kSpaceOrWildcardInIntervalMessage, term);
        }
      } else if (rel == RelOp::Like) {
        if (HasSpace(value)) Raise(kSpaceNotAllowedMessage, term);
      } else if (HasSpace(value) || HasWildcard(value)) {
        Raise(kSpaceOrWildcardWithOperatorMessage, term);
      }
      break;
    case Datatype::Timestamp:
      CheckTimestamp(value, term);
      if (interval) CheckTimestamp(value2, term);
      break;
    case Datatype::Numeric:
    case Datatype::None:
      break;
  }
}

}  // namespace vellorax::search
