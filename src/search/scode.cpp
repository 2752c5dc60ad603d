#include "search/scode.h"

#include <vector>

#include "common/strings.h"

namespace vellorax::search {

void TVLColumnDatatypeList::Load(IRowSource& query) {
  query.Open(kLoadSQL);
  while (query.Next()) {
    Add(query.Field("CName"), query.Field("TName"), DatatypeFromColumnType(query.Field("coltype")));
  }
  query.Close();
}

void TVLColumnDatatypeList::Add(std::string_view column, std::string_view table,
                                Datatype datatype) {
  entries_.push_back({UpperTrimName(column), UpperTrimName(table), datatype});
}

const TVLColumnDatatype* TVLColumnDatatypeList::Find(std::string_view column,
                                                     std::string_view table) const {
  const std::string c = UpperTrimName(column);
  const std::string t = UpperTrimName(table);
  for (const TVLColumnDatatype& entry : entries_) {
    if (entry.column == c && entry.table == t) return &entry;
  }
  return nullptr;
}

void TVLAliasList::Load(IRowSource& query) {
  query.Open(kLoadSQL);
  while (query.Next()) Add(query.Field("Alias"), query.Field("Name"));
  query.Close();
}

void TVLAliasList::Add(std::string_view alias, std::string_view name) {
  entries_.push_back({UpperTrimName(name), UpperTrimName(alias)});
}

bool TVLAliasList::Lookup(std::string_view alias, std::string& name) const {
  const std::string a = UpperTrimName(alias);
  if (a.empty()) return false;  // codes without an alias carry an empty one
  for (const Entry& entry : entries_) {
    if (entry.alias == a) {
      name = entry.name;
      return true;
    }
  }
  return false;
}

TVLSCode::TVLSCode(const TVLColumnDatatypeList* columns, std::string_view name, SCodeKind kind,
                   LogOp default_log_op, IndexType index_type, Datatype datatype,
                   std::int32_t ident_id, std::string select_mal)
    : columns_(columns),
      index_type_(index_type),
      select_mal_(std::move(select_mal)),
      name_(UpperTrimName(name)),
      ident_id_(ident_id),
      datatype_(datatype),
      default_log_op_(default_log_op),
      kind_(kind) {
  tab_number_.fill(-1);
}

std::int32_t TVLSCode::TabNumber(int doc_group) const {
  if (doc_group < 1 || doc_group > kMaxDocGroup) return -1;
  return tab_number_[static_cast<std::size_t>(doc_group - 1)];
}

void TVLSCode::SetTabNumber(int doc_group, std::int32_t tab_number) {
  if (doc_group < 1 || doc_group > kMaxDocGroup) return;
  tab_number_[static_cast<std::size_t>(doc_group - 1)] = tab_number;
}

bool TVLSCode::IsControlFieldCode(std::string_view name, std::string& field_code,
                                  std::int32_t& length, std::int32_t& start) {
  std::vector<std::string> pieces;
  common::SplitFields(name, "_", pieces);
  if (pieces.size() == 2) pieces.emplace_back("1");
  if (pieces.size() != 3) return false;
  const std::string& code = pieces[0];
  if (code.size() < 3 || code.compare(0, 2, "00") != 0) return false;
  int start_value = 0;
  int length_value = 0;
  if (!common::IsInteger(code) || !common::IsInteger(pieces[1]) ||
      !common::IsInteger(pieces[2]) || !common::TryStrToInt(pieces[1], start_value) ||
      !common::TryStrToInt(pieces[2], length_value)) {
    return false;
  }
  field_code = code;
  start = start_value;
  length = length_value;
  return true;
}

namespace {

// PREFIX_<column>: the prefix compared over its own length, the column taken
// from `column_from` (1-based) and looked up in `table`.
bool IsColumnCode(std::string_view name, std::string_view prefix, int column_from,
                  std::string_view table, std::string& column,
                  const TVLColumnDatatypeList& columns) {
  if (name.size() < 5) return false;
  if (UpperTrimName(common::Copy(name, 1, static_cast<int>(prefix.size()))) != prefix) {
    return false;
  }
  std::string candidate = UpperTrimName(common::TailFrom(name, column_from));
  if (columns.Find(candidate, table) == nullptr) return false;
  column = std::move(candidate);
  return true;
}

}  // namespace

bool TVLSCode::IsTitleCode(std::string_view name, std::string& column,
                           const TVLColumnDatatypeList& columns) {
  return IsColumnCode(name, "TITLE", 7, "MARC_RECORD", column, columns);
}

bool TVLSCode::IsCopyCode(std::string_view name, std::string& column,
                          const TVLColumnDatatypeList& columns) {
  return IsColumnCode(name, "COPY", 6, "COPY", column, columns);
}

}  // namespace vellorax::search
