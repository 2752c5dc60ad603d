// Small client-side helpers for the integration tests: owning pointers and
// strings, object creation through DllGetClassObject, the error record.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "server_api.h"

// Owns one interface reference.
template <class T>
class TRef {
 public:
  TRef() = default;
  TRef(const TRef&) = delete;
  TRef& operator=(const TRef&) = delete;
  TRef(TRef&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
  TRef& operator=(TRef&& other) noexcept {
    if (this != &other) {
      reset();
      ptr_ = std::exchange(other.ptr_, nullptr);
    }
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
    Server().FreeString(value_);
    value_ = nullptr;
    return &value_;
  }
  BSTR get() const { return value_; }
  std::u16string text() const {
    return value_ == nullptr ? std::u16string() : std::u16string(value_, Server().StringLen(value_));
  }

 private:
  BSTR value_ = nullptr;
};

// UTF-8 for readable failure messages (ASCII and Latin-1 only).
std::string Narrow(std::u16string_view text);

struct TErrorRecord {
  bool present = false;
  std::u16string description;
  std::u16string source;
  GUID iid{};
  std::u16string help_file;
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
  if (factory) {
    EXPECT_EQ(factory->CreateInstance(nullptr, iid, object.put()), S_OK);
  }
  return object;
}

// Every test ends with no error record pending and nothing of the library
// alive: objects, error records and server locks all released.
class ComTest : public ::testing::Test {
 protected:
  void TearDown() override {
    Server().SetErrorInfo(0, nullptr);
    EXPECT_EQ(Server().CanUnloadNow(), S_OK) << "an object of the library is still alive";
  }
};

// The engines this build carries (VX_HAVE_VLL2 / VX_HAVE_CRYPT).
bool HaveVLL2();
bool HaveCrypt();
