// TAwk: the configurable field splitter behind SplitFields.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vellorax::common {

// Splits one line into fields by separator characters, with optional quoting.
// Not thread-safe; a splitter is reused by assigning properties and calling
// Split again. Lines of any length are accepted.
class TAwk {
 public:
  // Separator characters; empty means " \t" (substituted when a split starts).
  std::string FS;
  // Characters that open and close a quoted stretch (when MatchQuotes).
  std::string QuoteChars;
  bool MatchQuotes = false;
  // Leave quote characters out of the fields.
  bool FilterQuotes = false;
  // Two adjacent separators produce an empty field.
  bool AllowNilTokens = false;
  // 0 unchanged, 1 upper case, 2 lower case (locale-aware) before splitting.
  int ConvertCase = 0;

  std::string Version() const { return "3.0"; }
  void SetVersion(std::string_view) {}  // read-only in effect

  // Copies `line` and splits it; returns the field count.
  int Split(std::string_view line);

  const std::string& Line() const { return line_; }
  int FieldCount() const { return static_cast<int>(fields_.size()); }
  // Field `index` (0-based); empty outside 0 .. FieldCount()-1.
  std::string Field(int index) const;
  const std::vector<std::string>& Fields() const { return fields_; }
  // The last separator met outside quotes, '\0' before any.
  char LastSeparator() const { return last_separator_; }
  bool Quoted() const { return quoted_; }

 private:
  std::string line_;
  std::vector<std::string> fields_;
  char last_separator_ = '\0';
  bool quoted_ = false;
};

}  // namespace vellorax::common
