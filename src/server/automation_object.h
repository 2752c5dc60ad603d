// The base of the five automation objects: reference counting, interface
// lookup, late binding through the type metadata, ISupportErrorInfo, and the
// call frame through which every method runs. Counts as a live object for
// DllCanUnloadNow from construction to destruction.
#pragma once

#include <atomic>
#include <string>

#include "com/bstr.h"
#include "com/call_frame.h"
#include "com/dispatch.h"
#include "com/live_objects.h"
#include "server/type_library.h"

namespace vellorax::server {

// TDerived is the final implementing class, TInterface its dual interface.
template <class TDerived, class TInterface>
class TAutomationObject : public TInterface, public ISupportErrorInfo {
 public:
  explicit TAutomationObject(const TClassInfo& info) : info_(info) { com::ObjectCreated(); }
  TAutomationObject(const TAutomationObject&) = delete;
  TAutomationObject& operator=(const TAutomationObject&) = delete;

  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == info_.interface.iid) {
      *object = static_cast<TInterface*>(this);
    } else if (riid == IID_ISupportErrorInfo) {
      *object = static_cast<ISupportErrorInfo*>(this);
    } else {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return refs_.fetch_add(1, std::memory_order_relaxed) + 1; }
  ULONG Release() override {
    const ULONG left = refs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) delete static_cast<TDerived*>(this);
    return left;
  }

  HRESULT GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT GetTypeInfo(UINT, LCID, ITypeInfo** type_info) override {
    if (type_info != nullptr) *type_info = nullptr;
    return DISP_E_BADINDEX;
  }
  HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    return com::DispatchGetIDsOfNames(info_.interface, riid, names, count, ids);
  }
  HRESULT Invoke(DISPID member, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                 EXCEPINFO* exception, UINT* arg_error) override {
    return com::DispatchInvoke(info_.interface, static_cast<TInterface*>(this), Source(), member,
                               riid, flags, params, result, exception, arg_error);
  }

  HRESULT InterfaceSupportsErrorInfo(REFIID riid) override {
    return riid == info_.interface.iid ? S_OK : S_FALSE;
  }

 protected:
  ~TAutomationObject() { com::ObjectDestroyed(); }

  // Runs one method body through the call frame (status 0x8000FFFF and the
  // error record for any failure).
  template <class Body>
  HRESULT Frame(Body&& body) noexcept {
    return com::CallFrame(Source(), E_UNEXPECTED, std::forward<Body>(body));
  }

  // Step 1 of every call: out strings start empty.
  static void ClearOut(BSTR* out) {
    if (out == nullptr) throw com::EStatusError(E_POINTER, "Invalid pointer");
    *out = nullptr;
  }
  static void CheckOut(const void* out) {
    if (out == nullptr) throw com::EStatusError(E_POINTER, "Invalid pointer");
  }
  static std::string In(BSTR text) { return com::BstrToAnsi(text); }
  static bool In(VARIANT_BOOL value) { return value != 0; }
  static void Out(BSTR* out, std::string_view text) { *out = com::AnsiToBstr(text); }

 private:
  com::TErrorSource Source() const { return {info_.progid, info_.interface.iid}; }

  const TClassInfo& info_;
  std::atomic<ULONG> refs_{1};
};

}  // namespace vellorax::server
