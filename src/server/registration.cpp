#include "server/registration.h"

#include <cstdio>
#include <filesystem>

#include "com/guid.h"
#include "server/type_library.h"

namespace vellorax::server {
namespace {

using com::GuidToString;
using com::TRegistryData;
constexpr auto kRoot = com::TRegistryRoot::kClassesRoot;

// The universal marshaler that serves dual interfaces described by a type
// library.
constexpr GUID kAutomationProxy = {0x00020424, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

std::string Version() {
  char text[32];
  std::snprintf(text, sizeof text, "%d.%d", kTypeLibraryMajor, kTypeLibraryMinor);
  return text;
}

std::string ClassKey(const TClassInfo& c) { return "CLSID\\" + GuidToString(c.clsid); }

std::string ProgID(const TClassInfo& c) { return "VelloraX." + std::string(c.name); }

std::string TypeLibKey() { return "TypeLib\\" + GuidToString(LIBID_VelloraX); }

void RegisterTypeLibrary(TRegistryData& data, const std::string& library_path) {
  const std::string lib = TypeLibKey() + "\\" + Version();
  data.SetValue(kRoot, lib, "", kTypeLibraryHelp);
  data.SetValue(kRoot, lib + "\\0\\linux64", "", library_path);
  data.SetValue(kRoot, lib + "\\FLAGS", "", "0");
  data.SetValue(kRoot, lib + "\\HELPDIR", "",
                std::filesystem::path(library_path).parent_path().string());
  for (const TClassInfo& c : Classes()) {
    const std::string key = "Interface\\" + GuidToString(c.interface.iid);
    data.SetValue(kRoot, key, "", c.interface.name);
    data.SetValue(kRoot, key + "\\ProxyStubClsid32", "", GuidToString(kAutomationProxy));
    data.SetValue(kRoot, key + "\\TypeLib", "", GuidToString(LIBID_VelloraX));
    data.SetValue(kRoot, key + "\\TypeLib", "Version", Version());
  }
}

void UnregisterTypeLibrary(TRegistryData& data) {
  for (const TClassInfo& c : Classes()) data.DeleteKey(kRoot, "Interface\\" + GuidToString(c.interface.iid));
  data.DeleteKey(kRoot, TypeLibKey() + "\\" + Version());
  // The library's key goes too unless another version is registered in it.
  if (!data.HasSubkeys(kRoot, TypeLibKey())) data.DeleteKey(kRoot, TypeLibKey());
}

}  // namespace

void RegisterServer(com::TRegistry& registry, const std::string& library_path) {
  registry.Update([&](TRegistryData& data) {
    for (const TClassInfo& c : Classes()) {
      const std::string key = ClassKey(c), progid = ProgID(c);
      data.SetValue(kRoot, key, "", c.description);
      data.SetValue(kRoot, key + "\\InprocServer32", "", library_path);
      data.SetValue(kRoot, key + "\\InprocServer32", "ThreadingModel", c.threading);
      data.SetValue(kRoot, progid, "", c.description);
      data.SetValue(kRoot, progid + "\\Clsid", "", GuidToString(c.clsid));
      data.SetValue(kRoot, key + "\\ProgID", "", progid);
      data.SetValue(kRoot, key + "\\Version", "", Version());
      data.SetValue(kRoot, key + "\\TypeLib", "", GuidToString(LIBID_VelloraX));
    }
    RegisterTypeLibrary(data, library_path);
  });
}

void UnregisterServer(com::TRegistry& registry) {
  registry.Update([&](TRegistryData& data) {
    for (const TClassInfo& c : Classes()) {
      data.DeleteKey(kRoot, ClassKey(c));
      data.DeleteKey(kRoot, ProgID(c));
    }
    UnregisterTypeLibrary(data);
  });
}

}  // namespace vellorax::server
