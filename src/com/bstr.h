// BSTR allocation and conversion between BSTRs and the engines' 8-bit
// code-page strings. The C functions of vellorax/automation.h
// (SysAllocString...) are defined in bstr.cpp on top of these.
#pragma once

#include <string>
#include <string_view>

#include "vellorax/automation.h"

namespace vellorax::com {

// A new BSTR holding `text`; throws std::bad_alloc when memory runs out.
BSTR AllocBstr(std::u16string_view text);

// The characters of `text` (empty for a null BSTR); the view lives as long as
// the BSTR.
std::u16string_view BstrView(BSTR text);

// UTF-16 to the system's ANSI code page; characters the code page lacks
// become its substitution character. A null BSTR gives the empty string.
std::string BstrToAnsi(BSTR text);

// The ANSI code-page string as a new BSTR (an empty string gives null).
BSTR AnsiToBstr(std::string_view text);

// Owns one BSTR and frees it on destruction.
class TBstr {
 public:
  TBstr() = default;
  explicit TBstr(BSTR owned) : value_(owned) {}
  TBstr(const TBstr&) = delete;
  TBstr& operator=(const TBstr&) = delete;
  ~TBstr() { SysFreeString(value_); }

  BSTR get() const { return value_; }
  // Hands the string over to the caller.
  BSTR release() {
    BSTR v = value_;
    value_ = nullptr;
    return v;
  }

 private:
  BSTR value_ = nullptr;
};

}  // namespace vellorax::com
