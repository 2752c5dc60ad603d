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
  const size_t from = Offset(n);
  no_backslash_from_ = HtmlToTextInPlace(text_, from) ? kUnknown : from;
}

void TVLLStringBuilder::HtmlToTextAndUnescapeFrom(int n) {
  const size_t from = Offset(n);
  no_backslash_from_ = HtmlToTextAndUnescapeInPlace(text_, from) ? kUnknown : from;
}

void TVLLStringBuilder::TextToHtmlFrom(int n) {
  const size_t from = Offset(n);
  if (from >= text_.size()) return;
  const std::string_view input = std::string_view(text_).substr(from);
  const size_t length = TextToHtmlInto(input, scratch_);
  // The conversion writes no backslash of its own.
  const bool backslash = input.find('\\') != std::string_view::npos;
  text_.resize(from);
  text_.append(scratch_.data(), length);
  no_backslash_from_ = backslash ? kUnknown : from;
}

void TVLLStringBuilder::UnescapeFrom(int n) {
  const size_t from = Offset(n);
  if (from >= no_backslash_from_) return;
  UnescapeInPlace(text_, from);
  no_backslash_from_ = kUnknown;
}

}  // namespace vellorax::vll2
