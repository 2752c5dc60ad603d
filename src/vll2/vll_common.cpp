#include "vll2/vll_common.h"

#include <array>
#include <string>

#include "common/strings.h"
#include "common/text_compare.h"

namespace vellorax::vll2 {

namespace {

// HTML 4 Latin-1 entity names of the codes 0xC0 to 0xFF, in code order.
constexpr std::array<std::string_view, 64> kLatin1Upper = {
    "Agrave", "Aacute", "Acirc",  "Atilde", "Auml",   "Aring",  "AElig", "Ccedil",
    "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave", "Iacute", "Icirc", "Iuml",
    "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",  "times",
    "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN", "szlig",
    "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig", "ccedil",
    "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc", "iuml",
    "eth",    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",  "divide",
    "oslash", "ugrave", "uacute", "ucirc",  "uuml",   "yacute", "thorn", "yuml"};

struct NamedChar {
  unsigned char code;
  std::string_view name;
};

// The entities below 0xC0 that the engine writes and reads.
constexpr std::array<NamedChar, 12> kSpecials = {{{34, "quot"},
                                                  {38, "amp"},
                                                  {60, "lt"},
                                                  {62, "gt"},
                                                  {0xA1, "iexcl"},
                                                  {0xA2, "cent"},
                                                  {0xA3, "pound"},
                                                  {0xA9, "copy"},
                                                  {0xAB, "laquo"},
                                                  {0xAE, "reg"},
                                                  {0xBB, "raquo"},
                                                  {0xBF, "iquest"}}};

// Name of the entity for `code`, or empty when the byte is written as itself.
std::string_view EntityName(unsigned char code) {
  if (code >= 0xC0) return kLatin1Upper[code - 0xC0];
  for (const NamedChar& special : kSpecials) {
    if (special.code == code) return special.name;
  }
  return {};
}

}  // namespace

int TVLLCommon::SetObject(TVLLNamedObjectList& list, std::string_view name,
                          std::unique_ptr<TVLLObject> obj) {
  return list.SetObject(name, std::move(obj));
}

std::string TVLLCommon::GetString(const TVLLNamedObjectList& list, std::string_view name) {
  const auto* value = dynamic_cast<const TVLLString*>(list.Find(name));
  return value != nullptr ? value->Value() : std::string();
}

std::string_view TVLLCommon::TrimControl(std::string_view text) {
  size_t b = 0;
  while (b < text.size() && static_cast<unsigned char>(text[b]) <= 32) ++b;
  size_t e = text.size();
  while (e > b && static_cast<unsigned char>(text[e - 1]) <= 32) --e;
  return text.substr(b, e - b);
}

int TVLLCommon::PosText(std::string_view text, std::string_view sub) {
  if (text.empty() || sub.empty() || sub.size() > text.size()) return 0;
  const std::string_view first = sub.substr(0, 1);
  const size_t last_start = text.size() - sub.size();
  for (size_t p = 0; p <= last_start; ++p) {
    // A cheap byte test first; the locale comparison only when it may match.
    const bool same_first = text[p] == sub[0] || common::AnsiSameText(text.substr(p, 1), first);
    if (same_first && common::AnsiSameText(text.substr(p, sub.size()), sub)) {
      return static_cast<int>(p) + 1;
    }
  }
  return 0;
}

std::string TVLLCommon::EncodeHtmlChar(char ch) {
  const std::string_view name = EntityName(static_cast<unsigned char>(ch));
  if (name.empty()) return std::string(1, ch);
  std::string result;
  result.reserve(name.size() + 2);
  result += '&';
  result += name;
  result += ';';
  return result;
}

std::string TVLLCommon::DecodeHtmlEntity(std::string_view name) {
  if (!name.empty() && name[0] == '#') {
    // Only the first three characters after "#" count: "#1000" is code 100.
    int value = 0;
    if (!common::TryStrToInt(name.substr(1, 3), value)) return std::string(kErrorMarker);
    return std::string(1, static_cast<char>(static_cast<unsigned>(value) & 0xFFu));
  }
  if (name == "nbsp") return " ";
  for (int code = 0xC0; code <= 0xFF; ++code) {
    if (kLatin1Upper[code - 0xC0] == name) return std::string(1, static_cast<char>(code));
  }
  for (const NamedChar& special : kSpecials) {
    if (special.name == name) return std::string(1, static_cast<char>(special.code));
  }
  return std::string(kErrorMarker);
}

char TVLLLogic::Reduce(std::string_view s) {
  if (s.empty()) return 'E';
  std::string work(s);
  // One pass per operator, tightest first; each resolved operator folds its
  // right operand into the left one and disappears with it.
  for (const char op : {'A', 'N', 'O'}) {
    size_t i = 1;
    while (i < work.size()) {
      if (work[i] != op) {
        i += 2;
        continue;
      }
      const char right = i + 1 < work.size() ? work[i + 1] : '\0';
      if (op == 'A' && right == 'F') work[i - 1] = 'F';
      if (op == 'N' && right == 'T') work[i - 1] = 'F';
      if (op == 'O' && right == 'T') work[i - 1] = 'T';
      work.erase(i, 2);
    }
  }
  return work[0];
}

char TVLLLogic::Evaluate(std::string_view s) {
  std::string work(s);
  char v = 'E';
  for (size_t close = work.find(')'); close != std::string::npos; close = work.find(')')) {
    const size_t open = work.rfind('(', close);
    if (open == std::string::npos) return 'E';
    const std::string_view inner = std::string_view(work).substr(open + 1, close - open - 1);
    if (inner.size() >= 3) {
      v = Reduce(inner);
    } else if (!inner.empty()) {
      v = inner[0];
    } else {
      v = 'T';
    }
    work.replace(open, close - open + 1, 1, v);
  }
  if (!work.empty()) v = Reduce(work);
  return v == 'T' || v == 'F' ? v : 'E';
}

}  // namespace vellorax::vll2
