// The call frame at the binary boundary: the one place where exceptions
// become a status and the thread's error record, so that no exception ever
// leaves the library.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>

#include "vellorax/vellorax.h"

namespace vellorax::com {

// A failure that carries its own (negative) status, e.g. from a nested
// automation call or a type mismatch found by Invoke.
class EStatusError : public std::runtime_error {
 public:
  EStatusError(HRESULT status, const std::string& message)
      : std::runtime_error(message), status_(status) {}
  HRESULT status() const { return status_; }

 private:
  HRESULT status_;
};

// Who reports a failure: the error record's source (a ProgID) and interface.
struct TErrorSource {
  std::u16string_view progid;
  const GUID& iid;
};

// Makes the error record (description = `message`, an 8-bit code-page text)
// current and returns `status`. Never throws: when even the record cannot be
// made, the status alone is returned.
HRESULT ReportFailure(const TErrorSource& source, HRESULT status,
                      std::string_view message) noexcept;

// Runs `body`. It returns S_OK (or what a body that returns an HRESULT gives)
// when nothing is thrown; every exception becomes `failure` (or the
// EStatusError's own negative status) with the error record set.
template <class Body>
HRESULT CallFrame(const TErrorSource& source, HRESULT failure, Body&& body) noexcept {
  try {
    if constexpr (std::is_void_v<std::invoke_result_t<Body&>>) {
      body();
      return S_OK;
    } else {
      return body();
    }
  } catch (const EStatusError& e) {
    return ReportFailure(source, e.status() < 0 ? e.status() : failure, e.what());
  } catch (const std::exception& e) {
    return ReportFailure(source, failure, e.what());
  } catch (...) {
    return ReportFailure(source, failure, "Unknown failure");
  }
}

}  // namespace vellorax::com
