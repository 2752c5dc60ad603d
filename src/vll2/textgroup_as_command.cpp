#include "vll2/textgroup_as_command.h"

#include "vll2/vll_common.h"

namespace vellorax::vll2 {
namespace {

// Never the first character of a written text, and no line break.
constexpr std::string_view kSeamGuard = "\x01";

}  // namespace

std::unique_ptr<TVLLBaseCommand> TVLLTextgroupAsCommand::Clone() const {
  return std::make_unique<TVLLTextgroupAsCommand>(Name(), SharedTag());
}

TVLLStatus TVLLTextgroupAsCommand::DoExecute() {
  const int s = Output().Length();
  TVLLStatus status = kStatusOk;
  if (ParamCount() != 3) {
    RecordError(kStatusWrongParams, "vll2TextgroupAsCommand",
                "There must be exactly 3 parameters for the this command.", Name());
    status = kStatusWrongParams;
  } else {
    if (!Param(1).empty()) status = WriteParameter(Param(0));
    if (status == kStatusOk) {
      const int m = Output().Length();
      // The key is what the key parameter writes, trimmed. It is written
      // behind a guard character so that WriteText's seam rule cannot drop
      // its first character when the output happens to end with the same one
      // ("Kari" before the key "ill").
      Output().Append(kSeamGuard);
      status = WriteParameter(Param(1));
      // The key is read where it was written and looked up before the output
      // moves again.
      const std::string_view out = Output().Text();
      const std::string_view written =
          out.size() > static_cast<size_t>(m) + 1 ? out.substr(static_cast<size_t>(m) + 1)
                                                  : std::string_view();
      const std::string* text = nullptr;
      if (status == kStatusOk && !written.empty()) {
        text = GroupText(Name(), TVLLCommon::TrimControl(written), "");
      }
      Output().Truncate(m);
      if (status == kStatusOk) {
        if (!written.empty()) {
          if (text != nullptr) {
            WriteRaw(*text);
            status = WriteParameter(Param(2));
          } else {
            status = kStatusNotFound;
          }
        } else {
          Output().Truncate(s);
        }
      }
    }
  }
  if (status != kStatusOk) Output().Truncate(s);
  return status;
}

}  // namespace vellorax::vll2
