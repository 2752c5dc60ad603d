// TMemoryRowSource: an IRowSource over tables held in memory, keyed by the exact
// statement text. Tests fill it with the rows a catalogue database would return;
// tools can use it to run the search engine without a database.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "search/row_source.h"

namespace vellorax::search {

class TMemoryRowSource : public IRowSource {
 public:
  struct Table {
    std::vector<std::string> columns;
    std::vector<std::vector<std::string>> rows;  // each row as long as columns
  };

  // Registers (or replaces) the result of the statement `sql`.
  void SetResult(std::string sql, Table table);

  // Opening a statement that has no registered result throws
  // std::runtime_error with the statement text, as a database would reject it.
  void Open(std::string_view sql) override;
  bool Next() override;
  std::string Field(std::string_view column) const override;
  std::string FirstField() const override;
  void Close() override;

  // Every statement opened so far, in order.
  const std::vector<std::string>& Statements() const { return statements_; }

 private:
  std::map<std::string, Table, std::less<>> results_;
  std::vector<std::string> statements_;
  const Table* current_ = nullptr;
  long row_ = -1;
};

}  // namespace vellorax::search
