#include "com/call_frame.h"

#include "com/error_info.h"
#include "common/charset.h"

namespace vellorax::com {

HRESULT ReportFailure(const TErrorSource& source, HRESULT status,
                      std::string_view message) noexcept {
  try {
    SetThreadError(source.iid, source.progid, common::AnsiToUtf16(message));
  } catch (...) {
    ReplaceThreadErrorInfo(nullptr);
  }
  return status;
}

}  // namespace vellorax::com
