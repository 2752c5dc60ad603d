#include "vll2/textgroup_as_command.h"

namespace vellorax::vll2 {
namespace {

std::string TrimControl(std::string_view s) {
  size_t b = 0;
  while (b < s.size() && static_cast<unsigned char>(s[b]) <= 32) ++b;
  size_t e = s.size();
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
  return std::string(s.substr(b, e - b));
}

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
      status = WriteParameter(Param(1));
      if (status == kStatusOk) {
        if (Output().Length() > m) {
          // The key is what the key parameter wrote, trimmed.
          const std::string key = TrimControl(Output().TextFrom(m));
          Output().Truncate(m);
          std::string text;
          status = GetGroupText(Name(), key, "", text);
          if (status == kStatusOk) {
            WriteRaw(text);
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
