// IRowSource: the one query object through which the search engine reads the
// catalogue database. The database layer implements it over a real connection;
// TMemoryRowSource (memory_row_source.h) serves tests and tools.
//
// A row source runs one statement at a time. Not thread-safe: one search call
// owns it. Failures of the database surface as exceptions from the
// implementation and are not caught by the search engine.
#pragma once

#include <string>
#include <string_view>

namespace vellorax::search {

class IRowSource {
 public:
  virtual ~IRowSource() = default;

  // Closes any open statement, replaces the statement text by `sql` and runs it.
  // The cursor stands before the first row.
  virtual void Open(std::string_view sql) = 0;
  // Moves to the next row; false (and no row) at the end of the data.
  virtual bool Next() = 0;
  // The current row's value of `column`, found without regard to letter case
  // ("Ident_Id" reads the column ident_id). NULL reads as an empty string.
  // REQUIRES: Next() returned true; an unknown column throws std::runtime_error.
  virtual std::string Field(std::string_view column) const = 0;
  // The current row's value of its first column; NULL reads as empty.
  virtual std::string FirstField() const = 0;
  // Ends the statement; harmless when none is open.
  virtual void Close() = 0;

  // Field(column) as a 32-bit integer: NULL (empty) reads as 0; a value that
  // is not an integer throws std::runtime_error naming the column.
  int IntegerField(std::string_view column) const;
  int FirstIntegerField() const;
};

}  // namespace vellorax::search
