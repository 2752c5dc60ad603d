#include "common/awk.h"

#include "common/text_compare.h"

namespace vellorax::common {

// The line is held in a std::string, so lines of any length split safely. An
// empty line has no fields; otherwise the token standing at the end of the
// line is always a field, even when empty (a line ending in a separator).
int TAwk::Split(std::string_view line) {
  if (FS.empty()) FS = " \t";
  if (ConvertCase == 1) {
    line_ = AnsiUpperCase(line);
  } else if (ConvertCase == 2) {
    line_ = AnsiLowerCase(line);
  } else {
    line_.assign(line);
  }
  fields_.clear();
  quoted_ = false;
  last_separator_ = '\0';
  if (line_.empty()) return 0;

  std::string token;
  for (char c : line_) {
    const bool is_quote = MatchQuotes && QuoteChars.find(c) != std::string::npos;
    if (is_quote) quoted_ = !quoted_;
    const bool is_separator = FS.find(c) != std::string::npos;
    if (!is_separator) {
      if (!(is_quote && FilterQuotes)) token += c;
    } else if (quoted_) {
      token += c;
    } else {
      if (!token.empty()) {
        fields_.push_back(std::move(token));
      } else if (AllowNilTokens) {
        fields_.emplace_back();
      }
      last_separator_ = c;
      token.clear();
    }
  }
  fields_.push_back(std::move(token));
  quoted_ = false;
  return FieldCount();
}

std::string TAwk::Field(int index) const {
  if (index < 0 || index >= FieldCount()) return std::string();
  return fields_[static_cast<size_t>(index)];
}

}  // namespace vellorax::common
