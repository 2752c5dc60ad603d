// Feeds arbitrary bytes to the record text repair, the field splitter and the
// small string routines, checking the invariants they promise.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "common/awk.h"
#include "common/charset.h"
#include "common/record_text.h"
#include "common/strings.h"
#include "common/text_compare.h"

using namespace vellorax::common;

namespace {

void Fail(const char* what) {
  std::fprintf(stderr, "check failed: %s\n", what);
  std::abort();
}

#define Check(condition) ((condition) ? (void)0 : Fail(#condition))

int Sign(int v) { return (v > 0) - (v < 0); }

// The repair done step by step from its building blocks, line by line; the
// repair itself works in one pass and must give the same bytes.
std::string StepwiseRepair(std::string_view text) {
  const std::vector<std::string_view> lines = SplitLines(text);
  std::string control;
  std::string fields;
  for (size_t n = 0; n < lines.size(); ++n) {
    const std::string_view line = lines[n];
    if (line.substr(0, 3) == "001") {
      control += "*001  $a";
      control.append(line.size() > 4 ? line.substr(4) : std::string_view());
      control += '\n';
    } else if (line.substr(0, 2) != "00") {
      std::string data(line.size() > 7 ? line.substr(7) : std::string_view());
      ReplaceAll(" $", "\n$", data);
      fields += '*';
      fields.append(line.substr(0, 3));
      fields.append(line.size() > 4 ? line.substr(4, 2) : std::string_view());
      fields += JoinSubfieldLines(data);
      if (n + 1 < lines.size()) fields += '\n';
    }
  }
  std::string result = control + fields;
  ReplaceChar(result, '\\', '/');
  return result + std::string("\n^\0", 3);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  // The first byte chooses the splitter's options, the rest is the text.
  const uint8_t options = data[0];
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

  const std::string engine = RepairRecordText(text);
  Check(engine.size() >= 3 && engine.compare(engine.size() - 3, 3, std::string("\n^\0", 3)) == 0);
  Check(engine.find('\\') == std::string::npos);
  Check(engine == StepwiseRepair(text));

  TAwk awk;
  awk.FS = text.substr(0, options % 4);
  awk.QuoteChars = "\"'";
  awk.MatchQuotes = options & 0x04;
  awk.FilterQuotes = options & 0x08;
  awk.AllowNilTokens = options & 0x10;
  awk.ConvertCase = (options >> 5) % 3;
  const int count = awk.Split(text);
  Check(count == awk.FieldCount() && (count == 0) == text.empty());
  size_t total = 0;
  for (const std::string& field : awk.Fields()) total += field.size();
  Check(total <= text.size());

  std::vector<std::string> list;
  SplitFields(text, " \t,", list);

  std::string s(text);
  ReplaceAll(" $", "\n$", s);
  TrimKeepWildcards(s, ".,:;");
  Check(s.size() <= text.size() + text.size());
  int value = 0;
  TryStrToInt(text, value);
  IsInteger(text);
  Check(TailFrom(text, options).size() <= text.size());
  Check(Copy(text, options - 100, options).size() <= text.size());

  const std::string upper = AnsiUpperCase(text);
  Check(upper.size() == text.size());
  // Upper-casing changes case only, so folding makes both the same. (Not so
  // for the collator: in Norwegian "AA" is a spelling of "å", "aA" is not.)
  Check(AnsiSameText(text, upper));
  Check(AnsiContainsText(upper, text));
  const std::string tail(TailFrom(text, 2));
  Check(Sign(AnsiCompareText(text, tail)) == -Sign(AnsiCompareText(tail, text)));
  Check(Utf16ToAnsi(AnsiToUtf16(text)) == text);
  Utf8ToAnsi(text);
  return 0;
}
