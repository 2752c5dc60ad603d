// Dynamic-library loading behind three functions (load, symbol, unload), the
// one place that speaks to dlopen.
#pragma once

#include <string>

namespace vellorax::com {

using TLibraryHandle = void*;

// Loads `path` with all symbols resolved now and kept local. Returns null and
// sets `error` (dlerror's text) when it fails.
TLibraryHandle LoadLibrary(const std::string& path, std::string& error);
// The address of `name`, or null when the library lacks it.
void* LibrarySymbol(TLibraryHandle library, const char* name);
void UnloadLibrary(TLibraryHandle library);
// The path of the loaded file that holds `address` (empty when unknown).
std::string LibraryPathOf(const void* address);

}  // namespace vellorax::com
