#include "vll2/string_builder.h"

#include "vll2/text_conversions.h"

namespace vellorax::vll2 {

std::string TVLLStringBuilder::TextFrom(int n) const {
  if (n >= Length()) return std::string();
  if (n <= 0) return text_;
  return text_.substr(static_cast<size_t>(n));
}

namespace {

size_t Offset(int n) {
  return n <= 0 ? 0 : static_cast<size_t>(n);
}

}  // namespace

void TVLLStringBuilder::HtmlToTextFrom(int n) {
  HtmlToTextInPlace(text_, Offset(n));
}

void TVLLStringBuilder::HtmlToTextAndUnescapeFrom(int n) {
  HtmlToTextAndUnescapeInPlace(text_, Offset(n));
}

void TVLLStringBuilder::TextToHtmlFrom(int n) {
  const size_t from = Offset(n);
  if (from >= text_.size()) return;
  scratch_.assign(text_, from);
  text_.resize(from);
  AppendTextToHtml(scratch_, text_);
}

void TVLLStringBuilder::UnescapeFrom(int n) {
  UnescapeInPlace(text_, Offset(n));
}

}  // namespace vellorax::vll2
