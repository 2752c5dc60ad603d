// TVLSCode: one search code of the catalogue (a word or phrase index, an SQL
// template, a system index, or one of the built-in families), and the SQL it
// generates for one search term. Codes are owned by TVLSCodeList and read-only
// once loaded; GetSQL never changes the code.
//
// Also here: the column list (column data types of nsu.marc_record and nsu.copy)
// and the alias list, both loaded from the catalogue database.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "search/row_source.h"
#include "search/search_types.h"

namespace vellorax::search {

class TBitarr;

// Document groups are numbered 1..kMaxDocGroup throughout the search engine.
inline constexpr int kMaxDocGroup = 1000;

struct TVLColumnDatatype {
  std::string column;  // upper-cased a-z, trimmed
  std::string table;   // upper-cased a-z, trimmed
  Datatype datatype = Datatype::String;
};

class TVLColumnDatatypeList {
 public:
  static constexpr const char* kLoadSQL =
      "select cname, tname, coltype from syscolumns where (tname = 'marc_record') or "
      "(tname = 'copy')";

  // Appends the rows of kLoadSQL (columns CName, TName, coltype).
  void Load(IRowSource& query);
  void Add(std::string_view column, std::string_view table, Datatype datatype);
  // First entry whose column and table equal the (upper-cased, trimmed)
  // arguments; nullptr when there is none.
  const TVLColumnDatatype* Find(std::string_view column, std::string_view table) const;
  void Clear() { entries_.clear(); }
  std::size_t Count() const { return entries_.size(); }

 private:
  std::vector<TVLColumnDatatype> entries_;
};

class TVLAliasList {
 public:
  static constexpr const char* kLoadSQL = "select Alias, Name from Nsu.SearchCodes";

  // Appends the rows of kLoadSQL (columns Alias, Name).
  void Load(IRowSource& query);
  void Add(std::string_view alias, std::string_view name);
  // When the (upper-cased, trimmed, non-empty) alias is known, replaces `name` by the code
  // name it stands for and returns true; otherwise leaves `name` alone.
  bool Lookup(std::string_view alias, std::string& name) const;
  void Clear() { entries_.clear(); }
  std::size_t Count() const { return entries_.size(); }

 private:
  struct Entry {
    std::string name;
    std::string alias;
  };
  std::vector<Entry> entries_;
};

class TVLSCode {
 public:
  // `columns` types the record and copy columns; it must outlive the code.
  // The name is kept upper-cased (a-z) and trimmed.
  TVLSCode(const TVLColumnDatatypeList* columns, std::string_view name, SCodeKind kind,
           LogOp default_log_op, IndexType index_type, Datatype datatype,
           std::int32_t ident_id = -1, std::string select_mal = {});

  const std::string& Name() const { return name_; }
  SCodeKind Kind() const { return kind_; }
  LogOp DefaultLogOp() const { return default_log_op_; }
  IndexType GetIndexType() const { return index_type_; }
  // The data type stored with the code (see GetDatatype for a term's type).
  Datatype CodeDatatype() const { return datatype_; }
  std::int32_t IdentId() const { return ident_id_; }
  const std::string& SelectMal() const { return select_mal_; }

  // Table number N of nsu.index_entry_N for document group 1..1000; -1 when
  // none. Outside 1..1000 reads -1 and writes nothing.
  std::int32_t TabNumber(int doc_group) const;
  void SetTabNumber(int doc_group, std::int32_t tab_number);

  // The effective data type of a term written with `name` (the term's code
  // name, upper-cased and trimmed): record and copy columns take their
  // column's type.
  Datatype GetDatatype(std::string_view name) const;

  // The SQL statement selecting the marc_id of every record that matches the
  // term (name, rel, value, value2) within the document groups set in
  // `doc_groups` (bits 1..1000; the array has at least 1001 bits). Values are
  // already validated and normalised; single quotes in them already doubled.
  // Empty for a code of kind Unused or an index without selected tables.
  std::string GetSQL(RelOp rel, std::string value, std::string value2,
                     const TBitarr& doc_groups, std::string_view name) const;

  // Class tests of the built-in families.
  // field_start[_length], e.g. 008_7_4 (field "008", start 7, length 4);
  // a missing length is 1.
  static bool IsControlFieldCode(std::string_view name, std::string& field_code,
                                 std::int32_t& length, std::int32_t& start);
  // TITLE_<column of nsu.marc_record>; the column is returned upper-cased.
  static bool IsTitleCode(std::string_view name, std::string& column,
                          const TVLColumnDatatypeList& columns);
  // COPY_<column of nsu.copy>.
  static bool IsCopyCode(std::string_view name, std::string& column,
                         const TVLColumnDatatypeList& columns);

 private:
  const TVLColumnDatatypeList* columns_;
  IndexType index_type_;
  std::string select_mal_;
  std::string name_;
  std::int32_t ident_id_;
  Datatype datatype_;
  LogOp default_log_op_;
  SCodeKind kind_;
  std::array<std::int32_t, kMaxDocGroup> tab_number_;
};

// The text that replaces ":ValueRange" or follows a column; begins with a
// blank (" = v", " between a and b"), empty for RelOp::None.
std::string RelationalText(RelOp rel, std::string_view low, std::string_view high);
// "(" + the set document groups 1..1000 in ascending order, "," between + ")".
std::string DocGroupListText(const TBitarr& doc_groups);
// "'" + text + "'"; apostrophes are doubled earlier, for the whole command.
std::string QuoteValue(std::string_view text);

}  // namespace vellorax::search
