// Registration of the library's classes, ProgIDs and type library in the
// registry, as DllRegisterServer / DllUnregisterServer perform it.
#pragma once

#include <string>

#include "com/registry.h"

namespace vellorax::server {

// Writes, under HKEY_CLASSES_ROOT, for every class: CLSID\{id} (description)
// with InprocServer32 (library path, ThreadingModel), ProgID, Version "1.0"
// and TypeLib; the ProgID key with Clsid; and the type library under
// TypeLib\{id}\1.0 with its interfaces under Interface\{iid}. One atomic
// update; throws when the registry cannot be written.
void RegisterServer(com::TRegistry& registry, const std::string& library_path);

// Removes what RegisterServer writes; keys already gone are skipped.
void UnregisterServer(com::TRegistry& registry);

}  // namespace vellorax::server
