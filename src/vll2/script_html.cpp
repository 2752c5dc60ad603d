// The HTML text conversions of TVLLScript: markup and entities between the
// engine's plain text and its HTML output.
#include "vll2/script.h"
#include "vll2/text_conversions.h"

namespace vellorax::vll2 {

namespace {

// Reads `open` ... `close` at the 1-based `pos` (see ReadTag).
int ReadDelimited(std::string_view text, int& pos, char open, char close, std::string& content) {
  content.clear();
  if (pos < 1 || static_cast<size_t>(pos) > text.size() || text[pos - 1] != open) {
    return TVLLScript::kSyntaxError;
  }
  const size_t end = text.find(close, static_cast<size_t>(pos));
  if (end == std::string_view::npos) return TVLLScript::kSyntaxError;
  content.assign(text.substr(pos, end - pos));
  pos = static_cast<int>(end) + 2;
  return TVLLScript::kOk;
}

}  // namespace

int TVLLScript::ReadTag(std::string_view text, int& pos, std::string& content) {
  return ReadDelimited(text, pos, '<', '>', content);
}

int TVLLScript::ReadEntity(std::string_view text, int& pos, std::string& name) {
  return ReadDelimited(text, pos, '&', ';', name);
}

int TVLLScript::HtmlTagKind(std::string_view name) { return HtmlTagNameKind(name); }

std::string TVLLScript::HtmlToText(std::string_view text) {
  std::string result;
  AppendHtmlToText(text, result);
  return result;
}

std::string TVLLScript::TextToHtml(std::string_view text) {
  std::string result;
  AppendTextToHtml(text, result);
  return result;
}

}  // namespace vellorax::vll2
