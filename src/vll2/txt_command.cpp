#include "vll2/txt_command.h"

namespace vellorax::vll2 {

std::unique_ptr<TVLLBaseCommand> TVLLTxtCommand::Clone() const {
  return std::make_unique<TVLLTxtCommand>(Name(), SharedTag());
}

TVLLStatus TVLLTxtCommand::DoExecute() {
  const int s = Output().Length();
  TVLLStatus status = kStatusOk;
  if (ParamCount() != 3) {
    RecordError(kStatusWrongParams, "vll2TxtCommand",
                "There must be exactly 3 parameters for the txt-command.", Name());
    status = kStatusWrongParams;
  } else {
    if (!Param(1).empty()) status = WriteParameter(Param(0));
    if (status == kStatusOk) {
      const int m = Output().Length();
      status = WriteParameter(Param(1));
      if (status == kStatusOk) {
        if (Output().Length() > m) {
          status = WriteParameter(Param(2));
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
