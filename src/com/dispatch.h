// Late binding: the type metadata of a dual interface (members with their
// dispatch ids, vtable slots, parameters and help strings) and the generic
// GetIDsOfNames / Invoke that reach each member through its early-bound
// method, converting the arguments as an automation host does.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "com/call_frame.h"
#include "vellorax/vellorax.h"

namespace vellorax::com {

// Automation INT and LONG (I4) are both 32-bit signed: kInt stands for both.
enum class TParamType : uint8_t { kInt, kBool, kString, kOutInt, kOutString };

struct TParamInfo {
  std::string_view name;
  TParamType type;
};

enum class TMemberKind : uint8_t { kMethod, kPropertyPut };

class TInvokeArgs;
// Calls the member's early-bound method on `self` with the converted
// arguments and returns its status.
using TMemberThunk = HRESULT (*)(IDispatch* self, TInvokeArgs& args);

struct TMemberInfo {
  std::string_view name;
  DISPID dispid;
  int slot;  // 1-based, after the seven IUnknown and IDispatch slots
  TMemberKind kind;
  std::span<const TParamInfo> params;
  std::string_view help;
  TMemberThunk call;
};

struct TInterfaceInfo {
  std::string_view name;
  const GUID& iid;
  std::string_view help;
  std::span<const TMemberInfo> members;
};

// The converted arguments of one Invoke, in declaration order. In strings are
// borrowed from the caller's VARIANTs; out values are temporaries that Invoke
// copies back to the caller after a successful call.
class TInvokeArgs {
 public:
  explicit TInvokeArgs(size_t count);
  TInvokeArgs(const TInvokeArgs&) = delete;
  TInvokeArgs& operator=(const TInvokeArgs&) = delete;
  ~TInvokeArgs();

  INT Int(size_t index) const { return values_[index].number; }
  VARIANT_BOOL Bool(size_t index) const { return values_[index].number ? VARIANT_TRUE : VARIANT_FALSE; }
  BSTR Str(size_t index) const { return values_[index].text; }
  INT* OutInt(size_t index) { return &values_[index].number; }
  BSTR* OutStr(size_t index) { return &values_[index].text; }

 private:
  friend class TInvoker;
  struct TValue {
    INT number = 0;
    BSTR text = nullptr;       // borrowed for in strings, owned for out strings
    VARIANT* target = nullptr;  // where an out value goes; null: the result
    bool owned = false;
  };
  std::vector<TValue> values_;
};

const TMemberInfo* FindMember(const TInterfaceInfo& info, DISPID id);

// IDispatch::GetIDsOfNames: names[0] is a member, further names are its
// parameters (their ids are their 0-based positions). Case-insensitive.
HRESULT DispatchGetIDsOfNames(const TInterfaceInfo& info, REFIID riid, LPOLESTR* names,
                              UINT count, DISPID* ids) noexcept;

// IDispatch::Invoke on `self` (the interface `info` describes). Integers and
// booleans accept VT_I2, VT_I4, VT_INT and VT_BOOL, strings VT_BSTR (each also
// by reference); out parameters take VT_BYREF of VT_BSTR / VT_I4 / VT_INT or
// VT_VARIANT. A trailing out parameter may be left out: its value is then the
// call's result. A failed member returns DISP_E_EXCEPTION with `exception`
// filled from the thread's error record, scode = the member's status.
HRESULT DispatchInvoke(const TInterfaceInfo& info, IDispatch* self, const TErrorSource& source,
                       DISPID member, REFIID riid, WORD flags, DISPPARAMS* params,
                       VARIANT* result, EXCEPINFO* exception, UINT* arg_error) noexcept;

}  // namespace vellorax::com
