// Feeds arbitrary bytes to the search engine's text entry points. The first
// byte chooses the entry point and its settings, the rest is the text: below
// 128 the CCL parser, from 128 on the value checks (ISBN, data types, dates
// and words, system-index values, by the selector modulo 4). Every
// input must end in a result or in the documented exception; anything else
// (a crash, a sanitizer report, another exception type, a hang) is a fault.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "search/ccl_parser.h"
#include "search/isbn.h"
#include "search/search_types.h"
#include "search/system_index.h"
#include "search/value_check.h"

namespace {

namespace vs = vellorax::search;
using vs::ECCLError;
using vs::ToRPN;

[[noreturn]] void Fault() { __builtin_trap(); }

// Which words count as search codes: the catalogue's view (a few codes and
// every name holding "+"), none at all, or every word.
bool SomeCodes(std::string_view word) {
  if (word.find('+') != std::string_view::npos) return true;
  return word == "ti" || word == "TI" || word == "au" || word == "py";
}
bool NoCodes(std::string_view) { return false; }
bool AllCodes(std::string_view) { return true; }

void FuzzToRPN(std::uint8_t selector, std::string_view text) {
  static const vellorax::search::KnownCodeFn kLookups[] = {SomeCodes, NoCodes, AllCodes};
  try {
    const std::string rpn = ToRPN(text, kLookups[selector % 3]);
    // The RPN string only grows by the default code and the blanks it puts
    // around relations and operators: far below this bound.
    if (rpn.size() > 32 * (text.size() + 1)) Fault();
  } catch (const ECCLError&) {
  }
}

// The ISBN conversions of a valid ISBN are each other's inverse and keep the
// result valid.
void FuzzISBN(std::string_view text) {
  vs::ISBN10Form(text);
  vs::ISBN13Form(text);
  if (!vs::IsValidISBN(text)) return;
  std::string bare;
  for (char c : text) {
    if (c != ' ' && c != '-') bare += c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  }
  std::string_view trimmed(bare);
  while (!trimmed.empty() && static_cast<unsigned char>(trimmed.front()) <= 32) trimmed.remove_prefix(1);
  while (!trimmed.empty() && static_cast<unsigned char>(trimmed.back()) <= 32) trimmed.remove_suffix(1);
  if (trimmed.size() == 10) {
    const std::string isbn13 = vs::ISBN10To13(trimmed);
    if (!vs::IsValidISBN(isbn13) || vs::ISBN13To10(isbn13) != trimmed) Fault();
  } else if (trimmed.size() == 13 && trimmed.substr(0, 3) == "978") {
    const std::string isbn10 = vs::ISBN13To10(trimmed);
    if (!vs::IsValidISBN(isbn10) || vs::ISBN10To13(isbn10) != trimmed) Fault();
  }
}

// The check by data type, with the interval split before it as the search
// store does; only VLSearchException may leave.
void FuzzCheckByDatatype(std::uint8_t mode, std::string_view text) {
  const auto datatype = static_cast<vs::Datatype>(mode % 7);
  const auto rel = static_cast<vs::RelOp>((mode / 7) % 8);
  try {
    std::string value(text);
    std::string value2;
    if (rel == vs::RelOp::Interval) vs::SplitInterval(text, "fz", value, value2);
    vs::CheckByDatatype(datatype, rel, value, value2, "fz");
    if (datatype == vs::Datatype::Date && value.size() != 10) Fault();
  } catch (const vs::VLSearchException&) {
  }
}

void FuzzDatesAndWords(std::string_view text) {
  std::string date(text);
  if (vs::NormaliseDate(date) && date.size() != 10) Fault();
  std::string timestamp(text);
  if (vs::NormaliseTimestamp(timestamp) && timestamp.size() != 10 && timestamp.size() != 19) {
    Fault();
  }
  std::string word(text);
  vs::TrimWordPunctuation(word);
  if (word.size() > text.size()) Fault();
}

void FuzzSystemValue(std::uint8_t mode, std::string_view text) {
  std::vector<std::string> values{"left over"};
  vs::ExpandSystemValue(mode % 5, text, values);
  vs::SystemIndexType(text);
  // No range code names more than a thousand values.
  if (values.size() > 1000) Fault();
}

void FuzzValueChecks(std::uint8_t selector, std::string_view text) {
  const std::uint8_t mode = selector & 0x7F;
  switch (mode % 4) {
    case 0: FuzzISBN(text); break;
    case 1: FuzzCheckByDatatype(mode / 4, text); break;
    case 2: FuzzDatesAndWords(text); break;
    default: FuzzSystemValue(mode / 4, text); break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t selector = data[0];
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  if (selector < 128) {
    FuzzToRPN(selector, text);
  } else {
    FuzzValueChecks(selector, text);
  }
  return 0;
}
