// TVLLStringBuilder: the output text of one run of the macro engine.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

namespace vellorax::vll2 {

// Lengths and positions are counts of 8-bit characters. Not thread-safe.
class TVLLStringBuilder {
 public:
  void Append(std::string_view s) {
    if (s.empty()) return;
    text_.append(s);
    no_backslash_from_ = kUnknown;
  }
  int Length() const { return static_cast<int>(text_.size()); }
  // Keeps the first `n` characters when `n` < Length (none when n <= 0).
  void Truncate(int n) {
    if (n < Length()) text_.resize(n <= 0 ? 0 : static_cast<size_t>(n));
  }
  // The characters after the first `n` when `n` < Length, otherwise "".
  std::string TextFrom(int n) const;
  void Clear() {
    text_.clear();
    no_backslash_from_ = kUnknown;
  }
  // The last character, or '\0' when the text is empty.
  char LastChar() const { return text_.empty() ? '\0' : text_.back(); }

  const std::string& Text() const { return text_; }
  // Hands the text over and leaves the builder empty.
  std::string Take() {
    no_backslash_from_ = kUnknown;
    return std::move(text_);
  }
  void Reserve(size_t n) { text_.reserve(n); }
  // The characters themselves, for rewriting them in place (followed by
  // Truncate when the text shrinks). Forgets what conversions found, as the
  // rewrite may put a backslash anywhere.
  char* MutableData() {
    no_backslash_from_ = kUnknown;
    return text_.data();
  }

  // Convert the characters after the first `n` (all when n <= 0, none when
  // n >= Length) in place, as TVLLScript::HtmlToText, TVLLScript::TextToHtml
  // and TVLLScript::Unescape would, without temporary strings.
  void HtmlToTextFrom(int n);
  void TextToHtmlFrom(int n);
  void UnescapeFrom(int n);
  // HtmlToTextFrom(n) followed by UnescapeFrom(n), in one pass.
  void HtmlToTextAndUnescapeFrom(int n);

 private:
  static constexpr size_t kUnknown = static_cast<size_t>(-1);

  std::string text_;
  // Room for the output of TextToHtmlFrom, kept to reuse its memory.
  std::string scratch_;
  // The characters from this 0-based place on hold no backslash, as the
  // last conversion found; kUnknown when no conversion has told. Lets the
  // unescape after a conversion skip text it would not change. Everything
  // that may add characters forgets it; cutting characters off keeps it.
  size_t no_backslash_from_ = kUnknown;
};

}  // namespace vellorax::vll2
