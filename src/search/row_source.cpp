#include "search/row_source.h"

#include <stdexcept>

#include "common/strings.h"

namespace vellorax::search {
namespace {

int ToInteger(const std::string& text, std::string_view column) {
  if (text.empty()) return 0;
  int value = 0;
  if (!common::TryStrToInt(text, value)) {
    throw std::runtime_error("'" + text + "' is not a valid integer value for field '" +
                             std::string(column) + "'");
  }
  return value;
}

}  // namespace

int IRowSource::IntegerField(std::string_view column) const {
  return ToInteger(Field(column), column);
}

int IRowSource::FirstIntegerField() const { return ToInteger(FirstField(), "1"); }

}  // namespace vellorax::search
