#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

#include "server_api.h"

namespace {

template <class F>
void Bind(void* library, F& slot, const char* name) {
  slot = reinterpret_cast<F>(::dlsym(library, name));
  if (slot == nullptr) {
    std::fprintf(stderr, "%s lacks %s\n", VX_LIBRARY_PATH, name);
    std::abort();
  }
}

TServerApi Load() {
  // Loaded once and never unloaded, so leak reports keep their symbols.
  void* library = ::dlopen(VX_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    std::fprintf(stderr, "cannot load %s: %s\n", VX_LIBRARY_PATH, ::dlerror());
    std::abort();
  }
  TServerApi api{};
  Bind(library, api.GetClassObject, "DllGetClassObject");
  Bind(library, api.CanUnloadNow, "DllCanUnloadNow");
  Bind(library, api.RegisterServer, "DllRegisterServer");
  Bind(library, api.UnregisterServer, "DllUnregisterServer");
  Bind(library, api.GetErrorInfo, "GetErrorInfo");
  Bind(library, api.SetErrorInfo, "SetErrorInfo");
  Bind(library, api.AllocString, "SysAllocString");
  Bind(library, api.AllocStringLen, "SysAllocStringLen");
  Bind(library, api.FreeString, "SysFreeString");
  Bind(library, api.StringLen, "SysStringLen");
  Bind(library, api.ClearVariant, "VariantClear");
  return api;
}

}  // namespace

const TServerApi& Server() {
  static const TServerApi api = Load();
  return api;
}
