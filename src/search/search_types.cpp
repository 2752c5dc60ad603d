#include "search/search_types.h"

namespace vellorax::search {

std::string TrimBlanks(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
  return std::string(text.substr(begin, end - begin));
}

std::string UpperTrimName(std::string_view text) {
  std::string result = TrimBlanks(text);
  for (char& c : result) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return result;
}

LogOp LogOpFromText(std::string_view text) {
  const std::string t = UpperTrimName(text);
  if (t == "AND") return LogOp::And;
  if (t == "OR") return LogOp::Or;
  if (t == "NOT") return LogOp::Not;
  return LogOp::None;
}

RelOp RelOpFromText(std::string_view text) {
  const std::string t = UpperTrimName(text);
  if (t == "<") return RelOp::Less;
  if (t == "<=") return RelOp::LessEqual;
  if (t == ">") return RelOp::Greater;
  if (t == ">=") return RelOp::GreaterEqual;
  if (t == "=") return RelOp::Equal;
  if (t == "IN") return RelOp::Interval;
  return RelOp::None;
}

std::string RelOpToText(RelOp rel) {
  switch (rel) {
    case RelOp::Equal: return "=";
    case RelOp::Less: return "<";
    case RelOp::Greater: return ">";
    case RelOp::GreaterEqual: return ">=";
    case RelOp::LessEqual: return "<=";
    case RelOp::Interval: return "IN";
    case RelOp::Like: return "like";
    case RelOp::None: break;
  }
  return {};
}

Datatype DatatypeFromColumnType(std::string_view type_name) {
  const std::string t = UpperTrimName(type_name);
  if (t == "INTEGER" || t == "SMALLINT") return Datatype::Integer;
  if (t == "DATE") return Datatype::Date;
  if (t == "NUMERIC") return Datatype::Numeric;
  if (t == "TIMESTAMP") return Datatype::Timestamp;
  return Datatype::String;  // "CHAR", "LONG VARCHAR" and every unknown type
}

IndexType IndexTypeFromNumber(int number) {
  return number >= 0 && number <= 2 ? static_cast<IndexType>(number) : IndexType{3};
}

Datatype DatatypeFromNumber(int number) {
  return number >= 0 && number <= 5 ? static_cast<Datatype>(number) : Datatype::None;
}

std::string StripBrackets(std::string_view text) {
  if (text.size() >= 2 && text.front() == '[' && text.back() == ']') {
    return std::string(text.substr(1, text.size() - 2));
  }
  return std::string(text);
}

}  // namespace vellorax::search
