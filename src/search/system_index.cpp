#include "search/system_index.h"

#include <algorithm>
#include <string>

#include "common/strings.h"
#include "search/search_types.h"

namespace vellorax::search {
namespace {

// A numeric range may name at most this many codes; wider ranges (which no
// range code means) add nothing instead of flooding the search with terms.
constexpr long long kMaxRangeValues = 1000;


std::string PadTwo(std::string piece) {
  if (piece.size() == 1) piece.insert(piece.begin(), '0');
  return piece;
}

void AddSpan(int first, int last, std::vector<std::string>& list) {
  if (first > last || static_cast<long long>(last) - first >= kMaxRangeValues) return;
  for (long long n = first; n <= last; ++n) {
    list.push_back(n < 10 ? "0" + std::to_string(n) : std::to_string(n));
  }
}

struct NamedRange {
  const char* name;
  int first;
  int last;
};
constexpr NamedRange kNamedRanges[] = {
    {"A", 1, 5}, {"B", 6, 8}, {"BU", 9, 10}, {"U", 11, 12}, {"MU", 13, 15},
};

}  // namespace

int SystemIndexType(std::string_view code_name) {
  if (code_name == "IS") return kSystemIndexIS;
  if (code_name == "SN") return kSystemIndexSN;
  if (code_name == "UD") return kSystemIndexUD;
  if (code_name == "AX") return kSystemIndexAX;
  return kSystemIndexOther;
}

void ExpandSystemValue(int type, std::string_view value, std::vector<std::string>& list) {
  list.clear();
  switch (type) {
    case kSystemIndexIS:
    case kSystemIndexSN: {
      std::string v;
      for (char c : value) {
        if (c != ' ' && c != '-') v.push_back(c);
      }
      list.push_back(std::move(v));
      break;
    }
    case kSystemIndexAX:
      ExpandRangeCode(value, list);
      break;
    default:
      list.emplace_back(value);
      break;
  }
}

void ExpandRangeCode(std::string_view value, std::vector<std::string>& list) {
  std::string v = TrimBlanks(value);
  if (!v.empty() && (v.front() == '<' || v.front() == '[')) v.erase(0, 1);
  if (!v.empty() && (v.back() == '%' || v.back() == '>' || v.back() == ']')) v.pop_back();
  if (v.empty()) return;

  std::vector<std::string> pieces;
  common::SplitFields(v, ":", pieces);
  if (pieces.size() == 2 && common::IsInteger(pieces[0]) && common::IsInteger(pieces[1])) {
    list.push_back(PadTwo(pieces[0]) + ":" + PadTwo(pieces[1]));
    return;
  }
  if (pieces.size() == 1 && common::IsInteger(pieces[0])) {
    list.push_back(PadTwo(pieces[0]));
    return;
  }

  pieces.clear();
  common::SplitFields(v, "-", pieces);
  int first = 0;
  int last = 0;
  if (pieces.size() == 2 && common::IsInteger(pieces[0]) && common::IsInteger(pieces[1]) &&
      common::TryStrToInt(pieces[0], first) && common::TryStrToInt(pieces[1], last)) {
    AddSpan(first, last, list);
    return;
  }

  pieces.clear();
  common::SplitFields(v, "/,-", pieces);
  int lowest = 100;
  int highest = 0;
  for (const std::string& piece : pieces) {
    std::string name = TrimBlanks(piece);
    for (char& c : name) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    for (const NamedRange& range : kNamedRanges) {
      if (name == range.name) {
        lowest = std::min(lowest, range.first);
        highest = std::max(highest, range.last);
      }
    }
  }
  if (highest > lowest) AddSpan(lowest, highest, list);
}

}  // namespace vellorax::search
