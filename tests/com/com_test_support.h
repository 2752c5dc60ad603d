// Small client-side helpers for the integration tests: owning pointers and
// strings, object creation through DllGetClassObject, the error record and
// late-bound calls.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "server_api.h"

// Owns one interface reference.
template <class T>
class TRef {
 public:
  TRef() = default;
  TRef(TRef&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
  TRef& operator=(TRef&& other) noexcept {
    std::swap(ptr_, other.ptr_);
    return *this;
  }
  ~TRef() { reset(); }
  void reset() {
    if (ptr_ != nullptr) std::exchange(ptr_, nullptr)->Release();
  }
  T* get() const { return ptr_; }
  T* operator->() const { return ptr_; }
  explicit operator bool() const { return ptr_ != nullptr; }
  void** put() {
    reset();
    return reinterpret_cast<void**>(&ptr_);
  }

 private:
  T* ptr_ = nullptr;
};

// Owns one BSTR allocated by the library.
class TStr {
 public:
  TStr() = default;
  explicit TStr(std::u16string_view text)
      : value_(Server().AllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  TStr(const TStr&) = delete;
  TStr& operator=(const TStr&) = delete;
  ~TStr() { Server().FreeString(value_); }
  operator BSTR() const { return value_; }
  BSTR* put() {
    Server().FreeString(std::exchange(value_, nullptr));
    return &value_;
  }
  BSTR get() const { return value_; }
  std::u16string text() const { return Text(value_); }
  static std::u16string Text(BSTR b) { return b ? std::u16string(b, Server().StringLen(b)) : u""; }

 private:
  BSTR value_ = nullptr;
};

struct TErrorRecord {
  bool present = false;
  std::u16string description, source, help_file;
  GUID iid{};
  DWORD help_context = 99;
};

// Takes the thread's error record from the library.
TErrorRecord TakeError();

struct TClassCase {
  const char* name;
  const GUID& clsid;
  const GUID& iid;
  std::u16string_view progid;
};
// The five classes in type-library order.
extern const TClassCase kClassCases[5];

TRef<IClassFactory> ClassObject(const GUID& clsid);

template <class T>
TRef<T> Create(const GUID& clsid, const GUID& iid) {
  TRef<T> object;
  TRef<IClassFactory> factory = ClassObject(clsid);
  EXPECT_TRUE(factory);
  if (factory) { EXPECT_EQ(factory->CreateInstance(nullptr, iid, object.put()), S_OK); }
  return object;
}

// Builds DISPPARAMS from arguments given in declaration order (Invoke wants
// them reversed) and owns the BSTRs it makes.
class TArgs {
 public:
  TArgs& Int(INT v) { return Push(VT_INT).intVal = v, *this; }
  TArgs& I2(SHORT v) { return Push(VT_I2).iVal = v, *this; }
  TArgs& I4(LONG v) { return Push(VT_I4).lVal = v, *this; }
  TArgs& Bool(bool v) { return Push(VT_BOOL).boolVal = v ? VARIANT_TRUE : VARIANT_FALSE, *this; }
  TArgs& Str(std::u16string_view v) {
    return Push(VT_BSTR).bstrVal = Server().AllocStringLen(v.data(), static_cast<UINT>(v.size())), *this;
  }
  TArgs& OutStr(BSTR* target) { return has_out_str_ = true, Push(VT_BYREF | VT_BSTR).pbstrVal = target, *this; }
  TArgs& OutInt(LONG* target) { return Push(VT_BYREF | VT_I4).plVal = target, *this; }
  TArgs& OutVariant(VARIANT* target) { return Push(VT_BYREF | VT_VARIANT).pvarVal = target, *this; }
  TArgs& Named(DISPID id) { return named_.push_back(id), *this; }
  ~TArgs() {
    for (VARIANT& v : args_) Server().ClearVariant(&v);
  }
  bool has_out_str() const { return has_out_str_; }
  DISPPARAMS* params() {
    reversed_.assign(args_.rbegin(), args_.rend());
    params_ = {reversed_.data(), named_.data(), static_cast<UINT>(reversed_.size()),
               static_cast<UINT>(named_.size())};
    return &params_;
  }

 private:
  VARIANT& Push(VARTYPE vt) {
    args_.push_back(VARIANT{});
    args_.back().vt = vt;
    return args_.back();
  }
  std::vector<VARIANT> args_, reversed_;
  std::vector<DISPID> named_;
  DISPPARAMS params_{};
  bool has_out_str_ = false;
};

struct TInvokeResult {
  HRESULT status;
  std::u16string description, source;
  SCODE scode = 0;
  UINT arg_error = 999;
};

// IDispatch::Invoke with IID_NULL, taking over the exception information.
TInvokeResult Invoke(IDispatch* object, DISPID id, TArgs& args, WORD flags = DISPATCH_METHOD,
                     VARIANT* result = nullptr);

// Every test ends with no error record pending and nothing of the library
// alive: objects, error records and server locks all released.
class ComTest : public ::testing::Test {
 protected:
  void TearDown() override {
    Server().SetErrorInfo(0, nullptr);
    EXPECT_EQ(Server().CanUnloadNow(), S_OK) << "an object of the library is still alive";
  }
};

// The engines this build carries.
#ifdef VX_HAVE_VLL2
constexpr bool kHaveVLL2 = true;
#else
constexpr bool kHaveVLL2 = false;
#endif
#ifdef VX_HAVE_CRYPT
constexpr bool kHaveCrypt = true;
#else
constexpr bool kHaveCrypt = false;
#endif
