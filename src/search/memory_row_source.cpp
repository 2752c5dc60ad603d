#include "search/memory_row_source.h"

#include <stdexcept>

namespace vellorax::search {
namespace {

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i];
    char y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

}  // namespace

void TMemoryRowSource::SetResult(std::string sql, Table table) {
  results_[std::move(sql)] = std::move(table);
}

void TMemoryRowSource::Open(std::string_view sql) {
  Close();
  statements_.emplace_back(sql);
  auto it = results_.find(sql);
  if (it == results_.end()) {
    throw std::runtime_error("no result registered for statement: " + std::string(sql));
  }
  current_ = &it->second;
  row_ = -1;
}

bool TMemoryRowSource::Next() {
  if (current_ == nullptr) return false;
  if (row_ < static_cast<long>(current_->rows.size())) ++row_;
  return row_ < static_cast<long>(current_->rows.size());
}

std::string TMemoryRowSource::Field(std::string_view column) const {
  if (current_ == nullptr || row_ < 0 || row_ >= static_cast<long>(current_->rows.size())) {
    throw std::runtime_error("no current row");
  }
  const auto& row = current_->rows[static_cast<std::size_t>(row_)];
  for (std::size_t i = 0; i < current_->columns.size(); ++i) {
    if (SameName(current_->columns[i], column)) return i < row.size() ? row[i] : std::string();
  }
  throw std::runtime_error("Field '" + std::string(column) + "' not found");
}

std::string TMemoryRowSource::FirstField() const {
  if (current_ == nullptr || current_->columns.empty()) throw std::runtime_error("no columns");
  return Field(current_->columns.front());
}

void TMemoryRowSource::Close() {
  current_ = nullptr;
  row_ = -1;
}

}  // namespace vellorax::search
