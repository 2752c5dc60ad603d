#include "com/library.h"

#include <dlfcn.h>

#include <cstdlib>
#include <memory>

namespace vellorax::com {

TLibraryHandle LoadLibrary(const std::string& path, std::string& error) {
  void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* text = ::dlerror();
    error = text != nullptr ? text : "cannot load " + path;
  }
  return handle;
}

void* LibrarySymbol(TLibraryHandle library, const char* name) {
  return library == nullptr ? nullptr : ::dlsym(library, name);
}

void UnloadLibrary(TLibraryHandle library) {
  if (library != nullptr) ::dlclose(library);
}

std::string LibraryPathOf(const void* address) {
  Dl_info info{};
  if (::dladdr(address, &info) == 0 || info.dli_fname == nullptr) return {};
  std::unique_ptr<char, decltype(&std::free)> full(::realpath(info.dli_fname, nullptr), &std::free);
  return full ? std::string(full.get()) : std::string(info.dli_fname);
}

}  // namespace vellorax::com
