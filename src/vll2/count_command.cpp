#include "vll2/count_command.h"

#include <string>

#include "vll2/marc.h"

namespace vellorax::vll2 {
namespace {

// Never the first character of a written text, and no line break.
constexpr std::string_view kSeamGuard = "\x01";

}  // namespace

std::unique_ptr<TVLLBaseCommand> TVLLCountCommand::Clone() const {
  return std::make_unique<TVLLCountCommand>(Name(), SharedTag());
}

TVLLStatus TVLLCountCommand::DoExecute() {
  const int count = ParamCount();
  if (count == 0) {
    RecordError(kStatusWrongParams, "vll2CountCommand", "Mising parameters", Name());
    return kStatusWrongParams;
  }
  const int first_item = count == 1 ? 0 : 1;
  const int end_item = count >= 3 ? count - 1 : count;
  if (count >= 2) WriteText(Param(0));
  long long total = 0;
  for (int i = first_item; i < end_item; ++i) {
    // The pattern is what the item writes, behind a guard character so that
    // WriteText's seam rule cannot drop its first character ("7" before
    // "700" would otherwise count "00").
    const int m = Output().Length();
    Output().Append(kSeamGuard);
    const TVLLStatus status = WriteParameter(Param(i));
    const std::string pattern = Output().TextFrom(m + 1);
    Output().Truncate(m);
    if (status == kStatusSyntax) return kStatusSyntax;
    if (status != kStatusOk || pattern.empty()) continue;

    TVLLObject* record = Context().MarcObject();
    std::string_view text;
    if (auto* value = AsText(record)) {
      text = value->Value();
    } else if (auto* navigator = dynamic_cast<TVLLMarc*>(record)) {
      text = navigator->Text();
    } else {
      std::string message = "Missing Marcrecord";
      for (int p = 0; p < count; ++p) message += Param(p) + "\r\n";
      RecordError(kStatusOk, "vllTagCommand._DoExecute", message, Name());
      return kStatusOk;
    }
    TVLLMarc marc(text, TVLLMarc::BorrowText{});
    if (auto* value = AsText(record)) {
      marc.ShareIndex(Context().RecordIndex(*value));
    }
    if (marc.FindFirstTag(pattern)) {
      do {
        ++total;
      } while (marc.FindNextTag());
    }
  }
  WriteRaw(std::to_string(total));
  if (count >= 3) WriteText(Param(count - 1));
  return kStatusOk;
}

}  // namespace vellorax::vll2
