#include "vll2/select_command.h"

namespace vellorax::vll2 {

std::unique_ptr<TVLLBaseCommand> TVLLSelectCommand::Clone() const {
  return std::make_unique<TVLLSelectCommand>(Name(), SharedTag());
}

TVLLStatus TVLLSelectCommand::EvalParameter(std::string_view parameter) {
  const TVLLStatus status = TVLLBaseCommand::EvalParameter(parameter);
  if (status != kStatusNotFound) return status;
  // Kept between calls (a clone serves many): only the pattern changes.
  if (tag_call_.empty()) tag_call_ = {"", "", "S", "", ""};
  tag_call_[1].assign(parameter);
  return CallCommand("tag", &tag_call_, &tag_command_);
}

TVLLStatus TVLLSelectCommand::DoExecute() {
  const int s = Output().Length();
  const int count = ParamCount();
  if (count == 0) {
    RecordError(kStatusWrongParams, "vll2SelectCommand", "Mising parameters", Name());
    return kStatusWrongParams;
  }
  // One parameter is the only item; two are prefix and item; more are
  // prefix, items and suffix.
  const int first_item = count == 1 ? 0 : 1;
  const int end_item = count >= 3 ? count - 1 : count;
  if (count >= 2) WriteText(Param(0));
  const int m = Output().Length();
  for (int i = first_item; i < end_item; ++i) {
    const TVLLStatus status = EvalParameter(Param(i));
    if (status == kStatusSyntax) return kStatusSyntax;
    if (status == kStatusOk && Output().Length() > m) {
      if (count >= 3) WriteText(Param(count - 1));
      return kStatusOk;
    }
  }
  Output().Truncate(s);
  return kStatusOk;
}

}  // namespace vellorax::vll2
