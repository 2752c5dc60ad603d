// vellorax register / unregister / progid: the library's registration in the
// registry file, through its public exports as any client would call them.
// libvellorax.so is loaded only here, so the other subcommands start without
// it and its dependencies.
#include <dlfcn.h>

#include <cstdio>
#include <string>
#include <string_view>

#include "subcommands.h"
#include "vellorax/client.h"
#include "vellorax/vellorax.h"

namespace vellorax::tool {

namespace {

constexpr const char* kRegisterHelp =
    "usage: vellorax register\n"
    "       vellorax unregister\n"
    "\n"
    "Writes (or removes) the VelloraX classes, their ProgIDs (VelloraX.VLL2 ...)\n"
    "and the type library in the registry file, with this libvellorax.so as the\n"
    "classes' InprocServer32. The registry file is $VELLORAX_REGISTRY, else\n"
    "${XDG_CONFIG_HOME:-$HOME/.config}/vellorax/registry.\n";

constexpr const char* kProgIDHelp =
    "usage: vellorax progid NAME\n"
    "\n"
    "Prints the class id that the ProgID NAME (e.g. VelloraX.VLL2) resolves to in\n"
    "the registry file; exit status 1 when NAME is not registered.\n";

bool WantsHelp(int argc, char** argv) {
  return argc > 1 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h");
}

// The exports of libvellorax.so that registration uses, found at run time.
struct ServerExports {
  HRESULT (*register_server)() = nullptr;
  HRESULT (*unregister_server)() = nullptr;
  HRESULT (*get_error_info)(ULONG, IErrorInfo**) = nullptr;
};

template <class Function>
bool Find(void* library, const char* name, Function& out) {
  out = reinterpret_cast<Function>(dlsym(library, name));
  return out != nullptr;
}

// Loads the library (kept loaded until exit): the one built with this tool,
// else libvellorax.so from the library path; false with a message printed.
bool LoadServer(const char* subcommand, ServerExports& exports) {
  void* library = dlopen(VX_BUILT_SERVER_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) library = dlopen("libvellorax.so", RTLD_NOW | RTLD_LOCAL);
  if (library != nullptr && Find(library, "DllRegisterServer", exports.register_server) &&
      Find(library, "DllUnregisterServer", exports.unregister_server) &&
      Find(library, "GetErrorInfo", exports.get_error_info)) {
    return true;
  }
  const char* error = dlerror();
  std::fprintf(stderr, "vellorax %s: cannot load libvellorax.so: %s\n", subcommand,
               error != nullptr ? error : "exports missing");
  return false;
}

// The description of the thread's error record, or the status in hex.
std::string Describe(HRESULT status, void* record) {
  std::string text;
  if (auto* info = static_cast<IErrorInfo*>(record)) {
    BSTR description = nullptr;
    if (info->GetDescription(&description) == S_OK && description != nullptr) {
      for (UINT i = 0; i < SysStringLen(description); ++i)
        text += description[i] < 0x80 ? static_cast<char>(description[i]) : '?';
    }
    SysFreeString(description);
    info->Release();
  }
  char code[16];
  std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(status));
  return text.empty() ? std::string(code) : text + " (" + code + ")";
}

int RunRegistration(int argc, char** argv, bool unregister, const char* done) {
  if (WantsHelp(argc, argv)) {
    std::fputs(kRegisterHelp, stdout);
    return 0;
  }
  if (argc != 1) {
    std::fputs(kRegisterHelp, stderr);
    return 2;
  }
  ServerExports exports;
  if (!LoadServer(argv[0], exports)) return 1;
  const HRESULT status = unregister ? exports.unregister_server() : exports.register_server();
  if (status != S_OK) {
    IErrorInfo* record = nullptr;
    exports.get_error_info(0, &record);
    std::fprintf(stderr, "vellorax %s: %s\n", argv[0], Describe(status, record).c_str());
    return 1;
  }
  std::printf("%s\n", done);
  return 0;
}

}  // namespace

int RegisterMain(int argc, char** argv) {
  return RunRegistration(argc, argv, false, "VelloraX registered");
}

int UnregisterMain(int argc, char** argv) {
  return RunRegistration(argc, argv, true, "VelloraX unregistered");
}

int ProgIDMain(int argc, char** argv) {
  if (WantsHelp(argc, argv)) {
    std::fputs(kProgIDHelp, stdout);
    return 0;
  }
  if (argc != 2) {
    std::fputs(kProgIDHelp, stderr);
    return 2;
  }
  CLSID clsid{};
  const HRESULT status = VxCLSIDFromProgID(argv[1], &clsid);
  if (status != S_OK) {
    void* record = nullptr;
    VxGetErrorInfo(&record);
    std::fprintf(stderr, "vellorax progid: %s\n", Describe(status, record).c_str());
    return 1;
  }
  char text[39];
  VxStringFromCLSID(&clsid, text);
  std::printf("%s\n", text);
  return 0;
}

}  // namespace vellorax::tool
