// The library's C exports: class objects, unloading, registration and the
// thread's error record. (The BSTR and VARIANT functions come from the
// component runtime.)
#include "com/call_frame.h"
#include "com/error_info.h"
#include "com/library.h"
#include "com/live_objects.h"
#include "com/registry.h"
#include "server/class_factory.h"
#include "server/registration.h"
#include "vellorax/vellorax.h"

namespace {

constexpr vellorax::com::TErrorSource kServerSource{u"VelloraX", IID_NULL};

// The full path of this library file, as InprocServer32 records it.
std::string ThisLibraryPath() {
  std::string path = vellorax::com::LibraryPathOf(reinterpret_cast<const void*>(&DllRegisterServer));
  if (path.empty()) throw std::runtime_error("cannot determine the library's file name");
  return path;
}

}  // namespace

VX_API HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  IClassFactory* factory = vellorax::server::FindClassFactory(clsid);
  if (factory == nullptr) return CLASS_E_CLASSNOTAVAILABLE;
  return factory->QueryInterface(riid, object);
}

VX_API HRESULT DllCanUnloadNow(void) { return vellorax::com::CanUnloadNow() ? S_OK : S_FALSE; }

VX_API HRESULT DllRegisterServer(void) {
  return vellorax::com::CallFrame(kServerSource, E_FAIL, [] {
    vellorax::server::RegisterServer(*vellorax::com::OpenRegistry(), ThisLibraryPath());
  });
}

VX_API HRESULT DllUnregisterServer(void) {
  return vellorax::com::CallFrame(kServerSource, E_FAIL, [] {
    vellorax::server::UnregisterServer(*vellorax::com::OpenRegistry());
  });
}

VX_API HRESULT GetErrorInfo(ULONG reserved, IErrorInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  if (reserved != 0) return E_INVALIDARG;
  *info = vellorax::com::TakeThreadErrorInfo();
  return *info != nullptr ? S_OK : S_FALSE;
}

VX_API HRESULT SetErrorInfo(ULONG reserved, IErrorInfo* info) {
  if (reserved != 0) return E_INVALIDARG;
  vellorax::com::ReplaceThreadErrorInfo(info);
  return S_OK;
}
