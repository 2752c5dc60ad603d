// The small enumerations every part of the search engine shares (relational and
// logical operators, value data types, kinds of search code), their text
// conversions, and VLSearchException, the exception of user-facing search
// errors. The numeric values are the ones the catalogue database and the stored
// searches use, so they stay fixed.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vellorax::search {

// Relational operator of a search term.
enum class RelOp : std::uint8_t {
  Equal = 0,         // "="
  Less = 1,          // "<"
  Greater = 2,       // ">"
  GreaterEqual = 3,  // ">="
  LessEqual = 4,     // "<="
  Interval = 5,      // "IN", low:high
  Like = 6,          // pattern match, never typed by users
  None = 7,          // missing or not recognised
};

// Logical operator; also the operator that joins the values a term expands to.
enum class LogOp : std::uint8_t { And = 0, Or = 1, Not = 2, None = 3 };

// Data type of a term's value: drives validation and quoting.
enum class Datatype : std::uint8_t {
  None = 0,
  Integer = 1,
  Date = 2,
  String = 3,
  Word = 4,
  Numeric = 5,
  Timestamp = 6,
};

// Which SQL generator a search code uses.
enum class SCodeKind : std::uint8_t {
  Index = 0,         // word or phrase index tables nsu.index_entry_N
  Template = 1,      // SQL template from nsu.SearchCodes
  Unused = 2,        // produces no SQL
  ControlField = 3,  // built-in "CONTR_AUTO": a position in a control field
  RecordColumn = 4,  // built-in "TITLE_AUTO": a column of nsu.marc_record
  CopyColumn = 5,    // built-in "COPY_AUTO": a column of nsu.copy
  SystemIndex = 6,   // nsu.SystemIndexEntry
  Authority = 7,     // built-in "AUT1_AUTO"
  Category = 8,      // built-in "CAT_AUTO": category with IN or OUT date
};

// Index type of a search code: 0 is a word index, anything else a phrase index.
using IndexType = std::uint8_t;
inline constexpr IndexType kWordIndex = 0;
inline constexpr IndexType kPhraseIndex = 3;

// User-facing search error; what() is the exact message shown to the user.
class VLSearchException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Text conversions. Texts are trimmed and upper-cased (ASCII) before matching.
// "AND" And, "OR" Or, "NOT" Not, anything else None.
LogOp LogOpFromText(std::string_view text);
// "=" "<" ">" ">=" "<=" "IN"; anything else (also "like") None.
RelOp RelOpFromText(std::string_view text);
// "=", "<", ">", ">=", "<=", "IN", "like", or empty for None.
std::string RelOpToText(RelOp rel);
// Database column type name: "INTEGER"/"SMALLINT" Integer, "DATE" Date,
// "NUMERIC" Numeric, "TIMESTAMP" Timestamp, everything else String.
Datatype DatatypeFromColumnType(std::string_view type_name);
// 0, 1 and 2 unchanged, anything else 3.
IndexType IndexTypeFromNumber(int number);
// 0..5 unchanged; anything else (6 included) None: nsu.SearchCodes rows carry
// no timestamp type.
Datatype DatatypeFromNumber(int number);
// "[text]" gives "text"; anything else is returned unchanged.
std::string StripBrackets(std::string_view text);

// Removes characters of code 32 or below at both ends.
std::string TrimBlanks(std::string_view text);

// Trims blanks (codes <= 32) and upper-cases the letters a-z only: the form in
// which the catalogue keeps code, column, table and alias names.
std::string UpperTrimName(std::string_view text);

}  // namespace vellorax::search
