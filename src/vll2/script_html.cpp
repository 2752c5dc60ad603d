// The HTML text conversions of TVLLScript: markup and entities between the
// engine's plain text and its HTML output.
#include <algorithm>
#include <array>

#include "vll2/script.h"
#include "vll2/vll_common.h"

namespace vellorax::vll2 {

namespace {

// Tag names that HtmlToText removes and TextToHtml lets through.
constexpr std::array<std::string_view, 23> kHtmlTags = {
    "BR",    "P",    "A",     "FONT",  "DIV",    "SPAN", "TR",      "TD",
    "TABLE", "IMG",  "STYLE", "HTML",  "HEAD",   "BODY", "COMMENT", "TBODY",
    "TH",    "LINK", "META",  "TITLE", "SCRIPT", "AREA", "FORM"};

bool IsAsciiLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The leading ASCII letters of `s` from the 0-based `from`.
std::string_view LeadingLetters(std::string_view s, size_t from) {
  size_t end = from;
  while (end < s.size() && IsAsciiLetter(s[end])) ++end;
  return s.substr(from, end - from);
}

// Characters TextToHtml does not copy through unchanged.
bool NeedsHtmlCare(char c) {
  return c == '\\' || c == '<' || c == '&' || c == '"' || c == '>' ||
         static_cast<unsigned char>(c) >= 128;
}

// HtmlToText copies every character up to the next of these unchanged.
bool NeedsTextCare(char c) { return c == '\\' || c == '&' || c == '<'; }

bool IsComment(std::string_view content) {
  return !content.empty() && content.front() == '!' && content.back() == '-';
}

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

int TVLLScript::HtmlTagKind(std::string_view name) {
  if (name.empty() || name.size() > 7) return 0;
  char upper[7];
  for (size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    upper[i] = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  }
  const std::string_view key(upper, name.size());
  for (size_t i = 0; i < kHtmlTags.size(); ++i) {
    if (kHtmlTags[i] == key) return static_cast<int>(i) + 1;
  }
  return 0;
}

std::string TVLLScript::HtmlToText(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  const int length = static_cast<int>(text.size());
  int pos = 1;
  while (pos <= length) {
    const char c = text[pos - 1];
    if (c == '\\') {
      // An escaped character is never markup.
      result += c;
      if (pos < length) result += text[pos];
      pos += 2;
    } else if (c == '&') {
      const size_t semicolon = text.find(';', static_cast<size_t>(pos));
      if (semicolon == std::string_view::npos) {
        result += c;
        ++pos;
        continue;
      }
      const std::string_view entity = text.substr(pos - 1, semicolon - (pos - 1) + 1);
      const std::string decoded = TVLLCommon::DecodeHtmlEntity(entity.substr(1, entity.size() - 2));
      if (decoded == TVLLCommon::kErrorMarker) {
        result += entity;
      } else {
        result += decoded;
      }
      pos = static_cast<int>(semicolon) + 2;
    } else if (c == '<') {
      // As ReadTag, reading the markup in place.
      const size_t close = text.find('>', static_cast<size_t>(pos));
      if (close == std::string_view::npos) {
        result += c;
        ++pos;
        continue;
      }
      const std::string_view content = text.substr(static_cast<size_t>(pos), close - pos);
      pos = static_cast<int>(close) + 2;
      if (content.empty()) {
        result += "<>";
      } else if (!IsComment(content)) {
        size_t i = 0;
        if (content[i] == '/') ++i;
        while (i < content.size() && IsBlank(content[i])) ++i;
        if (HtmlTagKind(LeadingLetters(content, i)) == 0) {
          result += '<';
          result += content;
          result += '>';
        }
      }
    } else {
      // A run of ordinary characters at once.
      int end = pos + 1;
      while (end <= length && !NeedsTextCare(text[end - 1])) ++end;
      result.append(text, static_cast<size_t>(pos) - 1, static_cast<size_t>(end - pos));
      pos = end;
    }
  }
  return result;
}

std::string TVLLScript::TextToHtml(std::string_view text) {
  std::string result;
  result.reserve(text.size() + text.size() / 4);
  std::string content;
  const int length = static_cast<int>(text.size());
  int pos = 1;
  while (pos <= length) {
    const char c = text[pos - 1];
    const auto code = static_cast<unsigned char>(c);
    if (c == '\\') {
      if (pos == length) {
        result += c;
        ++pos;
        continue;
      }
      const char next = text[pos];
      const auto next_code = static_cast<unsigned char>(next);
      if (next_code < 128 && next != '"' && next != '&' && next != '<' && next != '>') {
        result += c;
        result += next;
      } else {
        // An escaped markup character or national letter is written as text.
        result += TVLLCommon::EncodeHtmlChar(next);
      }
      pos += 2;
    } else if (c == '<') {
      // As ReadTag, reading the markup in place.
      const size_t close = text.find('>', static_cast<size_t>(pos));
      if (close == std::string_view::npos) {
        result += "&lt;";
        ++pos;
        continue;
      }
      const std::string_view content = text.substr(static_cast<size_t>(pos), close - pos);
      pos = static_cast<int>(close) + 2;
      if (content.empty()) {
        result += "&lt;&gt;";
      } else if (content.front() == '/' || IsComment(content) ||
                 HtmlTagKind(LeadingLetters(content, 0)) != 0) {
        result += '<';
        result += content;
        result += '>';
      } else {
        result += "&lt;";
        result += content;
        result += "&gt;";
      }
    } else if (c == '&') {
      if (ReadEntity(text, pos, content) != kOk) {
        result += "&amp;";
        ++pos;
      } else if (content.empty()) {
        result += "&amp;;";
      } else {
        const bool known = TVLLCommon::DecodeHtmlEntity(content) != TVLLCommon::kErrorMarker;
        result += known ? "&" : "&amp;";
        result += content;
        result += ';';
      }
    } else if (c == '"' || c == '>' || code >= 128) {
      result += TVLLCommon::EncodeHtmlChar(c);
      ++pos;
    } else {
      // A run of characters that are written as they are.
      int end = pos + 1;
      while (end <= length && !NeedsHtmlCare(text[end - 1])) ++end;
      result.append(text, static_cast<size_t>(pos) - 1, static_cast<size_t>(end - pos));
      pos = end;
    }
  }
  return result;
}

}  // namespace vellorax::vll2
