#include "vll2/string_builder.h"

namespace vellorax::vll2 {

void TVLLStringBuilder::Truncate(int n) {
  if (n >= Length()) return;
  text_.resize(n <= 0 ? 0 : static_cast<size_t>(n));
}

std::string TVLLStringBuilder::TextFrom(int n) const {
  if (n >= Length()) return std::string();
  if (n <= 0) return text_;
  return text_.substr(static_cast<size_t>(n));
}

}  // namespace vellorax::vll2
