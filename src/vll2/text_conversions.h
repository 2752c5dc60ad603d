// The text conversions of the macro engine's output, without temporaries:
// HTML to plain text, plain text to HTML and the backslash escapes, as
// TVLLScript::HtmlToText, TVLLScript::TextToHtml and TVLLScript::Unescape
// define them (those are thin wrappers over these). Texts are 8-bit
// code-page bytes. Stateless and thread-safe.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vellorax::vll2 {

// TVLLScript::HtmlTagKind: 1 + the place of `name` (any letter case) among
// the recognised tag names BR, P, A, FONT, DIV, ...; 0 for any other name.
int HtmlTagNameKind(std::string_view name);

// Append the conversion of `text` to `out`.
// REQUIRES: `text` does not point into `out`.
void AppendHtmlToText(std::string_view text, std::string& out);
void AppendTextToHtml(std::string_view text, std::string& out);
void AppendUnescaped(std::string_view text, std::string& out);

// TextToHtml of `text` written at the start of `buffer`, whose size is taken
// as room to write in (it grows when that is too little and never shrinks, so
// that a buffer kept for the next call needs no fresh memory); returns the
// length written.
// REQUIRES: `text` does not point into `buffer`.
size_t TextToHtmlInto(std::string_view text, std::string& buffer);

// Convert the characters of `text` from the 0-based byte `from` on, in
// place (neither result is ever longer than its input). Nothing happens when
// `from` is at or past the end. The two HTML-to-text forms return false when
// the converted characters certainly hold no backslash, so that unescaping
// them would change nothing.
bool HtmlToTextInPlace(std::string& text, size_t from);
void UnescapeInPlace(std::string& text, size_t from);
// HtmlToTextInPlace followed by UnescapeInPlace, in one pass.
bool HtmlToTextAndUnescapeInPlace(std::string& text, size_t from);

}  // namespace vellorax::vll2
