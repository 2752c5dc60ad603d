// The client helper library: object creation through the registry, as a COM
// client's runtime does it. See vellorax/client.h.
#include "vellorax/client.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

#include "com/call_frame.h"
#include "com/error_info.h"
#include "com/guid.h"
#include "com/library.h"
#include "com/registry.h"
#include "vellorax/vellorax.h"

namespace vellorax::com {
namespace {

using TGetClassObject = HRESULT (*)(REFCLSID, REFIID, void**);
using TCanUnloadNow = HRESULT (*)();
using TGetErrorInfo = HRESULT (*)(ULONG, IErrorInfo**);

constexpr TErrorSource kClientSource{u"VelloraX.Client", IID_NULL};

// Libraries this process loaded for object creation, by file path.
class TLoadedLibraries {
 public:
  TLibraryHandle Get(const std::string& path) {
    std::lock_guard lock(mutex_);
    if (auto it = libraries_.find(path); it != libraries_.end()) return it->second;
    std::string error;
    TLibraryHandle handle = LoadLibrary(path, error);
    if (handle == nullptr) throw EStatusError(CO_E_DLLNOTFOUND, error);
    libraries_.emplace(path, handle);
    return handle;
  }

  // The first error record any loaded library holds for this thread.
  IErrorInfo* TakeErrorInfo() {
    std::lock_guard lock(mutex_);
    for (const auto& [path, handle] : libraries_) {
      auto get = reinterpret_cast<TGetErrorInfo>(LibrarySymbol(handle, "GetErrorInfo"));
      IErrorInfo* info = nullptr;
      if (get != nullptr && get(0, &info) == S_OK && info != nullptr) return info;
    }
    return nullptr;
  }

  void FreeUnused() {
    std::lock_guard lock(mutex_);
    for (auto it = libraries_.begin(); it != libraries_.end();) {
      auto can_unload = reinterpret_cast<TCanUnloadNow>(LibrarySymbol(it->second, "DllCanUnloadNow"));
      if (can_unload != nullptr && can_unload() == S_OK) {
        UnloadLibrary(it->second);
        it = libraries_.erase(it);
      } else {
        ++it;
      }
    }
  }

 private:
  std::mutex mutex_;
  std::map<std::string, TLibraryHandle> libraries_;
};

TLoadedLibraries& Libraries() {
  static TLoadedLibraries* libraries = new TLoadedLibraries();  // never destroyed: used at exit
  return *libraries;
}

GUID ClassFromProgID(std::string_view progid) {
  const auto text =
      OpenRegistry()->GetValue(TRegistryRoot::kClassesRoot, std::string(progid) + "\\Clsid", "");
  if (!text) throw EStatusError(REGDB_E_CLASSNOTREG, "Class not registered: " + std::string(progid));
  const auto clsid = ParseGuid(*text);
  if (!clsid) throw EStatusError(CO_E_CLASSSTRING, "Invalid class string: " + *text);
  return *clsid;
}

void CreateObject(const CLSID& clsid, const IID& iid, void** object) {
  const std::string name = GuidToString(clsid);
  const auto path =
      OpenRegistry()->GetValue(TRegistryRoot::kClassesRoot, "CLSID\\" + name + "\\InprocServer32", "");
  if (!path || path->empty()) throw EStatusError(REGDB_E_CLASSNOTREG, "Class not registered: " + name);
  TLibraryHandle library = Libraries().Get(*path);
  auto get_class = reinterpret_cast<TGetClassObject>(LibrarySymbol(library, "DllGetClassObject"));
  if (get_class == nullptr) throw EStatusError(CO_E_ERRORINDLL, *path + " has no DllGetClassObject");
  IClassFactory* factory = nullptr;
  HRESULT status = get_class(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
  if (status < 0) throw EStatusError(status, "No class object for " + name);
  status = factory->CreateInstance(nullptr, iid, object);
  factory->Release();
  if (status < 0) throw EStatusError(status, "Cannot create an object of " + name);
}

}  // namespace
}  // namespace vellorax::com

using namespace vellorax::com;

HRESULT VxCLSIDFromString(const char* text, CLSID* clsid) {
  if (text == nullptr || clsid == nullptr) return E_POINTER;
  const auto parsed = ParseGuid(text);
  if (!parsed) return CO_E_CLASSSTRING;
  *clsid = *parsed;
  return S_OK;
}

void VxStringFromCLSID(const CLSID* clsid, char text[39]) {
  if (clsid == nullptr || text == nullptr) return;
  std::memcpy(text, GuidToString(*clsid).c_str(), 39);
}

HRESULT VxCLSIDFromProgID(const char* progid, CLSID* clsid) {
  if (progid == nullptr || clsid == nullptr) return E_POINTER;
  return CallFrame(kClientSource, REGDB_E_CLASSNOTREG, [&] { *clsid = ClassFromProgID(progid); });
}

HRESULT VxCreateInstance(const CLSID* clsid, const IID* iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (clsid == nullptr || iid == nullptr) return E_POINTER;
  return CallFrame(kClientSource, REGDB_E_CLASSNOTREG, [&] { CreateObject(*clsid, *iid, object); });
}

HRESULT VxCreateInstanceByName(const char* progid, const IID* iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (progid == nullptr || iid == nullptr) return E_POINTER;
  return CallFrame(kClientSource, REGDB_E_CLASSNOTREG, [&] {
    std::string_view name(progid);
    GUID clsid{};
    if (name.starts_with("{")) {
      const auto parsed = ParseGuid(name);
      if (!parsed) throw EStatusError(CO_E_CLASSSTRING, "Invalid class string: " + std::string(name));
      clsid = *parsed;
    } else {
      clsid = ClassFromProgID(name);
    }
    CreateObject(clsid, *iid, object);
  });
}

HRESULT VxGetErrorInfo(void** info) {
  if (info == nullptr) return E_POINTER;
  IErrorInfo* record = TakeThreadErrorInfo();
  if (record == nullptr) record = Libraries().TakeErrorInfo();
  *info = record;
  return record != nullptr ? S_OK : S_FALSE;
}

void VxFreeUnusedLibraries(void) { Libraries().FreeUnused(); }

long VxRegGetValue(const char* root, const char* key, const char* name, char* buffer, size_t size) {
  if (root == nullptr || key == nullptr) return -1;
  const auto parsed_root = ParseRegistryRoot(root);
  if (!parsed_root) return -1;
  std::optional<std::string> value;
  CallFrame(kClientSource, E_FAIL, [&] {
    value = OpenRegistry()->GetValue(*parsed_root, key, name != nullptr ? name : "");
  });
  if (!value) return -1;
  if (buffer != nullptr && size > 0) {
    const size_t n = std::min(size - 1, value->size());
    std::memcpy(buffer, value->data(), n);
    buffer[n] = '\0';
  }
  return static_cast<long>(value->size());
}
