// The SQL of one search term, by kind of search code. The statements are
// SQL Anywhere text, written exactly as the catalogue database expects them
// (including the doubled blanks that the relational text produces).
#include <stdexcept>
#include <string>
#include <vector>

#include "common/strings.h"
#include "search/bitarr.h"
#include "search/isbn.h"
#include "search/scode.h"

namespace vellorax::search {
namespace {

constexpr std::string_view kValueRange = ":ValueRange";
// Templates of nsu.SearchCodes spell the document-group placeholder with a
// small g; the category statement spells it with a capital G.
constexpr std::string_view kTemplateDocGroups = ":DocgrpRange";
constexpr std::string_view kCategoryDocGroups = ":DocGrpRange";
constexpr std::string_view kEndOfDay = " 23:59:59";
// A MARC field holds at most 9999 bytes (four digits in the record
// directory): a longer stretch of a control field can match nothing.
constexpr std::int32_t kMaxControlFieldLength = 9999;
constexpr const char* kMatchNothingSQL = "select marc_id from nsu.Marc_Record where marc_id = -1";

bool IsDateLike(Datatype d) { return d == Datatype::Date || d == Datatype::Timestamp; }

bool IsQuoted(Datatype d) {
  return d == Datatype::Date || d == Datatype::String || d == Datatype::Word ||
         d == Datatype::Timestamp;
}

std::string Replaced(std::string statement, std::string_view placeholder, std::string_view text) {
  common::ReplaceAll(placeholder, text, statement);
  return statement;
}

std::string IndexSQL(const TVLSCode& code, const std::string& range, const TBitarr& groups) {
  std::string statement;
  for (int g = 1; g <= kMaxDocGroup && g < groups.Size(); ++g) {
    const std::int32_t tab = code.TabNumber(g);
    if (tab <= 0 || !groups.TestBit(g)) continue;
    statement += statement.empty() ? "select marc_id from nsu.index_entry_"
                                   : " union all select marc_id from nsu.index_entry_";
    statement += std::to_string(tab) + " where (text " + range + ")";
  }
  return statement;
}

std::string TemplateSQL(const TVLSCode& code, RelOp rel, std::string value,
                        const std::string& value2, const TBitarr& groups) {
  // '%%245abc' searches a field code: the second wildcard becomes "*".
  if (value.size() >= 6 && value[1] == '%' && value[2] == '%' &&
      common::IsInteger(common::Copy(value, 4, 3))) {
    value[2] = '*';
  }
  std::string statement = Replaced(code.SelectMal(), kValueRange, RelationalText(rel, value, value2));
  return Replaced(std::move(statement), kTemplateDocGroups, DocGroupListText(groups));
}

std::string ControlFieldSQL(std::string_view name, RelOp rel, std::string value) {
  std::string field_code;
  std::int32_t length = 0;
  std::int32_t start = 0;
  if (!TVLSCode::IsControlFieldCode(name, field_code, length, start)) {
    throw std::invalid_argument("vlScode: not a control-field code: " + std::string(name));
  }
  if (length > kMaxControlFieldLength) return kMatchNothingSQL;  // and no huge padding
  const std::size_t n = length > 0 ? static_cast<std::size_t>(length) : 0;
  if (value.size() < n) {
    rel = RelOp::Like;
    value.resize(n, '_');
  } else if (value.size() == n) {
    rel = RelOp::Equal;
  } else {
    value.resize(n);
  }
  const std::string statement =
      "select marc_id from nsu.Control_Field where (Field_Code = '" + field_code + "') and " +
      " (substr(Value," + std::to_string(static_cast<long long>(start) + 1) + "," +
      std::to_string(length) + ") :ValueRange )";
  return Replaced(statement, kValueRange, RelationalText(rel, QuoteValue(value), {}));
}

std::string ColumnSQL(std::string_view name, int column_from, std::string_view table,
                      const std::string& range) {
  if (name.size() < 5) {
    throw std::invalid_argument("vlScode: search code name too short: " + std::string(name));
  }
  return Replaced("select marc_id from nsu." + std::string(table) + " where (" +
                      common::TailFrom(name, column_from) + " :ValueRange)",
                  kValueRange, range);
}

std::string SystemIndexSQL(const TVLSCode& code, RelOp rel, const std::string& value,
                           const std::string& value2) {
  const std::string ident = std::to_string(code.IdentId());
  const std::string v = value.size() >= 2 ? value.substr(1, value.size() - 2) : std::string();
  if (code.Name() == "IS" && IsValidISBN(v)) {
    // An ISBN is searched under both its 10- and its 13-character form.
    const std::string a = QuoteValue(v.size() == 13 ? ISBN10Form(v) : v);
    const std::string b = QuoteValue(v.size() == 10 ? ISBN13Form(v) : v);
    return "select marc_id from nsu.SystemIndexEntry where ( (text " +
           RelationalText(rel, a, value2) + ") or (text " + RelationalText(rel, b, value2) +
           ") ) and (ident_id = " + ident + ")";
  }
  return "select marc_id from nsu.SystemIndexEntry where (text " +
         RelationalText(rel, value, value2) + ") and (ident_id = " + ident + " )";
}

std::string AuthoritySQL(std::string_view name, const std::string& range) {
  const std::string type = TrimBlanks(common::TailFrom(name, 6));
  return Replaced("Select A.marc_id from nsu.auth_marc_link A join nsu.auth_inx  where "
                  "(Auth_Type_Code = '" + type + "') and (Term_Display :ValueRange)",
                  kValueRange, range);
}

std::string CategorySQL(std::string_view name, const std::string& range, const TBitarr& groups) {
  std::vector<std::string> pieces;
  common::SplitFields(name, "_", pieces);
  if (pieces.size() != 3) return kMatchNothingSQL;
  std::string in_out = pieces[2];
  for (char& c : in_out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  if (in_out != "IN" && in_out != "OUT") return kMatchNothingSQL;
  std::string statement =
      "select marc_id from nsu.marc_category key join nsu.category  where (name = '" + pieces[1] +
      "') and (document_group_id in :DocGrpRange) and (" + pieces[2] + "date :ValueRange)";
  statement = Replaced(std::move(statement), kValueRange, range);
  return Replaced(std::move(statement), kCategoryDocGroups, DocGroupListText(groups));
}

}  // namespace

std::string RelationalText(RelOp rel, std::string_view low, std::string_view high) {
  std::string text;
  switch (rel) {
    case RelOp::Equal: text = " = "; break;
    case RelOp::Less: text = " < "; break;
    case RelOp::Greater: text = " > "; break;
    case RelOp::GreaterEqual: text = " >= "; break;
    case RelOp::LessEqual: text = " <= "; break;
    case RelOp::Interval:
      text = " between ";
      text += low;
      text += " and ";
      text += high;
      return text;
    case RelOp::Like: text = " like "; break;
    case RelOp::None: return {};
  }
  text += low;
  return text;
}

std::string DocGroupListText(const TBitarr& doc_groups) {
  std::string text = "(";
  for (int g = 1; g <= kMaxDocGroup && g < doc_groups.Size(); ++g) {
    if (!doc_groups.TestBit(g)) continue;
    if (text.size() > 1) text += ',';
    text += std::to_string(g);
  }
  text += ')';
  return text;
}

std::string QuoteValue(std::string_view text) {
  std::string quoted;
  quoted.reserve(text.size() + 2);
  quoted += '\'';
  quoted += text;
  quoted += '\'';
  return quoted;
}

Datatype TVLSCode::GetDatatype(std::string_view name) const {
  std::string column;
  switch (kind_) {
    case SCodeKind::Index:
    case SCodeKind::Template:
    case SCodeKind::SystemIndex:
      return datatype_;
    case SCodeKind::ControlField:
      return Datatype::Word;
    case SCodeKind::RecordColumn:
    case SCodeKind::CopyColumn: {
      if (columns_ == nullptr) return Datatype::None;
      const bool record = kind_ == SCodeKind::RecordColumn;
      const bool found = record ? IsTitleCode(name, column, *columns_)
                                : IsCopyCode(name, column, *columns_);
      if (!found) return Datatype::None;
      const TVLColumnDatatype* entry = columns_->Find(column, record ? "MARC_RECORD" : "COPY");
      return entry != nullptr ? entry->datatype : Datatype::None;
    }
    case SCodeKind::Authority:
      return Datatype::String;
    case SCodeKind::Category:
      return Datatype::Date;
    case SCodeKind::Unused:
      break;
  }
  return Datatype::None;
}

std::string TVLSCode::GetSQL(RelOp rel, std::string value, std::string value2,
                             const TBitarr& doc_groups, std::string_view name) const {
  const Datatype datatype = GetDatatype(name);
  if (IsDateLike(datatype)) {
    // "=" covers the whole day; ">" and "<=" compare with its end.
    if (rel == RelOp::Equal) {
      rel = RelOp::Interval;
      value2 = value;
    } else if ((rel == RelOp::Greater || rel == RelOp::LessEqual) && value.size() == 10) {
      value += kEndOfDay;
    }
    if (value2.size() == 10) value2 += kEndOfDay;
  }
  if (IsQuoted(datatype) && kind_ != SCodeKind::ControlField) {
    value = QuoteValue(value);
    value2 = QuoteValue(value2);
  }
  switch (kind_) {
    case SCodeKind::Index:
      return IndexSQL(*this, RelationalText(rel, value, value2), doc_groups);
    case SCodeKind::Template:
      return TemplateSQL(*this, rel, std::move(value), value2, doc_groups);
    case SCodeKind::ControlField:
      return ControlFieldSQL(name, rel, std::move(value));
    case SCodeKind::RecordColumn:
      return ColumnSQL(name, 7, "marc_record", RelationalText(rel, value, value2));
    case SCodeKind::CopyColumn:
      return ColumnSQL(name, 6, "copy", RelationalText(rel, value, value2));
    case SCodeKind::SystemIndex:
      return SystemIndexSQL(*this, rel, value, value2);
    case SCodeKind::Authority:
      return AuthoritySQL(name, RelationalText(rel, value, value2));
    case SCodeKind::Category:
      return CategorySQL(name, RelationalText(rel, value, value2), doc_groups);
    case SCodeKind::Unused:
      break;
  }
  return {};
}

}  // namespace vellorax::search
