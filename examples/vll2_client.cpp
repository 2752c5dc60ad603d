// A minimal C++ client: creates "VelloraX.VLL2" by ProgID, registers a format
// and formats one MARC record. Needs `vellorax register` to have run.
#include <cstdio>
#include <string>

#include "vellorax/client.h"
#include "vellorax/vellorax.h"

namespace {

// Prints the failed step with the object's error message; returns 1.
int Fail(const char* step, HRESULT status) {
  std::string message;
  IErrorInfo* info = nullptr;
  if (VxGetErrorInfo(reinterpret_cast<void**>(&info)) == S_OK) {
    BSTR description = nullptr;
    info->GetDescription(&description);
    for (UINT i = 0; i < SysStringLen(description); ++i) message += static_cast<char>(description[i]);
    SysFreeString(description);
    info->Release();
  }
  std::fprintf(stderr, "%s failed (0x%08X): %s\n", step, static_cast<unsigned>(status), message.c_str());
  return 1;
}

// An owned BSTR.
struct Text {
  BSTR value;
  explicit Text(const char16_t* text) : value(SysAllocString(text)) {}
  Text(const Text&) = delete;
  Text& operator=(const Text&) = delete;
  ~Text() { SysFreeString(value); }
  operator BSTR() const { return value; }
};

}  // namespace

int main() {
  IVLL2* vll2 = nullptr;
  HRESULT status = VxCreateInstanceByName("VelloraX.VLL2", &IID_IVLL2, reinterpret_cast<void**>(&vll2));
  if (status != S_OK) return Fail("creating VelloraX.VLL2", status);
  if ((status = vll2->Load()) != S_OK) return Fail("Load", status);

  // A tag command "t" formatting field 245 as "$a : $b", and a script
  // "title" that calls it.
  Text add(u"add"), t(u"t"), tag(u"tag"), spec(u"245 {$a : $b}");
  Text title(u"title"), script(u"script"), call(u"#t(245)");
  BSTR result = nullptr;
  if ((status = vll2->Command(t, tag, spec, add, &result)) != S_OK) return Fail("Command", status);
  SysFreeString(result);
  if ((status = vll2->Command(title, script, call, add, &result)) != S_OK) return Fail("Command", status);
  SysFreeString(result);

  // One record in the engine's text layout.
  Text record(u"*001  $a12345\n*24510$aMain title\n$bsubtitle\n^");
  if ((status = vll2->Execute(title, record, VARIANT_FALSE, &result)) != S_OK) return Fail("Execute", status);
  std::string text;
  for (UINT i = 0; i < SysStringLen(result); ++i) text += static_cast<char>(result[i]);
  std::printf("%s\n", text.c_str());  // Main title : subtitle
  SysFreeString(result);

  vll2->Unload();
  vll2->Release();
  return 0;
}
