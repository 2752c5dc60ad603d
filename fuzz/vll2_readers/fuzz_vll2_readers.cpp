// Feeds arbitrary bytes straight to the macro engine's readers: every token
// reader of TVLLScript from every start position, the class functions, the
// HTML conversions, and the record navigator walking the bytes as a record.
// Any crash, hang or read outside the text is a fault.
//
// Input layout: the first byte chooses a tag pattern and a subfield code for
// the navigator; the rest is the text.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "vll2/marc.h"
#include "vll2/named_object_list.h"
#include "vll2/script.h"
#include "vll2/string_builder.h"
#include "vll2/tag_program.h"
#include "vll2/text_conversions.h"
#include "vll2/vll_common.h"

namespace {

using vellorax::vll2::TVLLCommon;
using vellorax::vll2::TVLLLogic;
using vellorax::vll2::TVLLMarc;
using vellorax::vll2::TVLLNamedObjectList;
using vellorax::vll2::TVLLScript;
using vellorax::vll2::TVLLStringBuilder;

void ReadEverywhere(std::string_view text) {
  const int limit = static_cast<int>(text.size()) + 1;
  // Quadratic in the length: keep the start positions few for long inputs.
  const int step = limit > 256 ? limit / 64 : 1;
  for (int start = 0; start <= limit; start += step) {
    std::string a, b, c;
    std::vector<std::string> params;
    TVLLScript reader(text);
    reader.SetPosition(start);
    reader.ParseCommand(a, &params);
    reader.ParseTextCommand(a, b, c);
    reader.ParseQuotedString(a);
    std::string kind;
    reader.ReadBracketed(kind, a);
    reader.ReadOperator();
    reader.ReadLogicWord();
    reader.ReadUntilBlank();
    reader.ReadNameChars();
    int pos = start;
    TVLLNamedObjectList list;
    TVLLScript::ReadAttributes(text, pos, list);
    pos = start;
    TVLLScript::ReadTag(text, pos, a);
    TVLLScript::ReadEntity(text, pos, a);
    TVLLScript::ReadOperatorAt(text, pos);
    TVLLScript::ReadLogicWordAt(text, pos);
    TVLLScript::SkipBlanksIn(text, pos);
    TVLLScript::ReadLettersIn(text, pos, a);
  }
}

// The walk of FindFirstTag/FindNextTag and FindFirstSubfield/
// FindNextSubfield read plainly from the navigator's own recognition rules,
// a character at a time: "[field]" then "position=data|" per subfield.
class PlainWalk {
 public:
  explicit PlainWalk(std::string_view text) : t_(text), n_(static_cast<int>(text.size())) {}

  std::string Walk(std::string_view pattern, char code) const {
    std::string out;
    int f = 0;
    for (int p = 1; p != 0 && p < n_; p = NextField(p)) {
      if (TVLLMarc::TagMatches(t_, p, pattern)) {
        f = p;
        break;
      }
    }
    for (; f != 0; f = NextMatching(f, pattern)) {
      out += "[" + std::to_string(f) + "]";
      for (int s = NextSub(f, f, code); s != 0; s = NextSub(f, s, code)) {
        out += std::to_string(s) + "=" + std::string(Data(f, s)) + "|";
      }
    }
    return out;
  }

 private:
  char At(int p) const { return p >= 1 && p <= n_ ? t_[static_cast<size_t>(p - 1)] : '\0'; }
  int NextField(int f) const {
    if (f + 16 >= n_) return 0;
    for (int p = f + 1; p <= n_; ++p) {
      if (TVLLMarc::IsFieldStart(t_, p)) return p;
    }
    return 0;
  }
  int NextMatching(int f, std::string_view pattern) const {
    while ((f = NextField(f)) != 0 && !TVLLMarc::TagMatches(t_, f, pattern)) continue;
    return f;
  }
  int NextSub(int f, int s, char code) const {
    while (s + 2 < n_) {
      int p = s + 1;
      for (; p <= n_; ++p) {
        if (TVLLMarc::IsSubfieldStart(t_, p, f)) break;
        if (TVLLMarc::IsFieldStart(t_, p)) return 0;
      }
      if (p > n_) return 0;
      if (code == '?' || At(p + 1) == code) return p;
      s = p;
    }
    return 0;
  }
  std::string_view Data(int f, int s) const {
    if (s + 2 > n_) return {};
    int e = s + 3;
    while (e <= n_ && !TVLLMarc::IsSubfieldStart(t_, e, f) && At(e) != '\r' && At(e) != '\n' &&
           !TVLLMarc::IsFieldStart(t_, e)) {
      ++e;
    }
    return t_.substr(static_cast<size_t>(s + 1), static_cast<size_t>(e - s - 2));
  }

  std::string_view t_;
  int n_;
};

// The same listing from a navigator.
std::string IndexedWalk(TVLLMarc& marc, std::string_view pattern, char code) {
  std::string out;
  for (bool f = marc.FindFirstTag(pattern); f; f = marc.FindNextTag()) {
    out += "[" + std::to_string(marc.FieldPosition()) + "]";
    for (bool s = marc.FindFirstSubfield(code); s; s = marc.FindNextSubfield()) {
      out += std::to_string(marc.SubfieldPosition()) + "=" + std::string(marc.SubfieldView()) + "|";
    }
  }
  return out;
}

void Navigate(std::string_view text, unsigned char choice) {
  static const char* const kPatterns[] = {"245", "?????", "", "2:", "7001_", "00", "?", "650_0"};
  static const char kCodes[] = {'a', '?', 'b', '0'};
  TVLLMarc marc(text, TVLLMarc::BorrowText{});
  const char* pattern = kPatterns[choice % 8];
  const char code = kCodes[(choice >> 3) % 4];
  for (bool f = marc.FindFirstTag(pattern); f; f = marc.FindNextTag()) {
    for (bool s = marc.FindFirstSubfield(code); s; s = marc.FindNextSubfield()) {
      marc.SubfieldView();
      marc.SubfieldPart(2, 3);
    }
  }
  marc.ValueByPath("245$a");
  marc.ValueByPathPart("?????$?", 2, 5);
  // The index finds what the plain reading finds (quadratic: short texts).
  if (text.size() <= 2048) {
    const std::string plain = PlainWalk(text).Walk(pattern, code);
    TVLLMarc fresh(text, TVLLMarc::BorrowText{});
    if (IndexedWalk(fresh, pattern, code) != plain) __builtin_trap();
    // A navigator kept from input to input: its index is filled again.
    static TVLLMarc kept(std::string_view(), TVLLMarc::BorrowText{});
    kept.Reset(text);
    if (IndexedWalk(kept, pattern, code) != plain) __builtin_trap();
  }
  // A navigator on a shared or borrowed index, or one Reset onto this text
  // from another record, finds the same fields and subfields.
  TVLLMarc own(text, TVLLMarc::BorrowText{});
  TVLLMarc shared(text, TVLLMarc::BorrowText{});
  if (choice & 0x20) {
    shared.BorrowIndex(marc);
  } else if (choice & 0x40) {
    static const std::string other = "*24510$aOther\n$bSub\n*7001 $aX\n^";
    shared.Reset(other);
    shared.FindFirstTag("7??");
    shared.Reset(text);
  } else {
    shared.ShareIndex(marc);
  }
  bool found = own.FindFirstTag(pattern);
  bool also = shared.FindFirstTag(pattern);
  for (;;) {
    if (found != also || own.FieldPosition() != shared.FieldPosition()) __builtin_trap();
    if (!found) break;
    if (own.FindFirstSubfield(code) != shared.FindFirstSubfield(code) ||
        own.SubfieldView() != shared.SubfieldView()) {
      __builtin_trap();
    }
    found = own.FindNextTag();
    also = shared.FindNextTag();
  }
}

// The in-place and append forms of the conversions give what the
// string-returning ones give, after any kept prefix.
void ConvertInPlace(std::string_view text) {
  const std::string to_text = TVLLScript::HtmlToText(text);
  const std::string to_html = TVLLScript::TextToHtml(text);
  const std::string unescaped = TVLLScript::Unescape(text);
  const std::string prefix = "kept\\";
  TVLLStringBuilder builder;
  builder.Append(prefix);
  builder.Append(text);
  builder.HtmlToTextFrom(static_cast<int>(prefix.size()));
  if (builder.Text() != prefix + to_text) __builtin_trap();
  builder.UnescapeFrom(static_cast<int>(prefix.size()));
  if (builder.Text() != prefix + TVLLScript::Unescape(to_text)) __builtin_trap();
  builder.Clear();
  builder.Append(prefix);
  builder.Append(text);
  builder.TextToHtmlFrom(static_cast<int>(prefix.size()));
  if (builder.Text() != prefix + to_html) __builtin_trap();
  std::string out = prefix;
  vellorax::vll2::AppendUnescaped(text, out);
  if (out != prefix + unescaped) __builtin_trap();
  builder.Clear();
  builder.Append(prefix);
  builder.Append(text);
  builder.HtmlToTextAndUnescapeFrom(static_cast<int>(prefix.size()));
  if (builder.Text() != prefix + TVLLScript::Unescape(to_text)) __builtin_trap();
  // A text that stands alone converts apart from whatever follows it.
  const std::unique_ptr<vellorax::vll2::TVLLConvertedText> alone =
      vellorax::vll2::ConvertText(text);
  if (alone->converted != TVLLScript::Unescape(to_text)) __builtin_trap();
  if (alone->stands_alone) {
    for (std::string_view next : {"x;y>z", "\\n", "&amp;<b>", ";>"}) {
      const std::string joined = std::string(text) + std::string(next);
      const std::string apart =
          alone->converted + TVLLScript::Unescape(TVLLScript::HtmlToText(next));
      if (TVLLScript::Unescape(TVLLScript::HtmlToText(joined)) != apart) __builtin_trap();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const unsigned char choice = data[0];
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  ReadEverywhere(text);
  Navigate(text, choice);
  ConvertInPlace(text);
  TVLLLogic::Evaluate(text);
  TVLLCommon::DecodeHtmlEntity(text);
  return 0;
}
