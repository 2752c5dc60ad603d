/* A minimal C client: creates "VelloraX.VLL2" by ProgID, registers a format
 * and formats one MARC record. Needs `vellorax register` to have run. */
#include <stdio.h>

#include "vellorax/client.h"
#include "vellorax/vellorax_c.h"

/* Prints the failed step with the object's error message; returns 1. */
static int Fail(const char* step, HRESULT status) {
  IErrorInfo* info = NULL;
  BSTR description = NULL;
  UINT i;
  fprintf(stderr, "%s failed (0x%08X): ", step, (unsigned)status);
  if (VxGetErrorInfo((void**)&info) == S_OK) {
    info->lpVtbl->GetDescription(info, &description);
    for (i = 0; i < SysStringLen(description); ++i) fputc((char)description[i], stderr);
    SysFreeString(description);
    info->lpVtbl->Release(info);
  }
  fputc('\n', stderr);
  return 1;
}

/* Command(name, type, text, "add"); the result text is not needed here. */
static HRESULT Register(IVLL2* vll2, BSTR name, BSTR type, BSTR text, BSTR add) {
  BSTR result = NULL;
  HRESULT status = vll2->lpVtbl->Command(vll2, name, type, text, add, &result);
  SysFreeString(result);
  return status;
}

static void Print(BSTR text) {
  UINT i;
  for (i = 0; i < SysStringLen(text); ++i) putchar((char)text[i]);
  putchar('\n');
}

int main(void) {
  IVLL2* vll2 = NULL;
  BSTR add = SysAllocString(u"add"), t = SysAllocString(u"t"), tag = SysAllocString(u"tag");
  BSTR spec = SysAllocString(u"245 {$a : $b}"), title = SysAllocString(u"title");
  BSTR script = SysAllocString(u"script"), call = SysAllocString(u"#t(245)");
  BSTR record = SysAllocString(u"*001  $a12345\n*24510$aMain title\n$bsubtitle\n^");
  BSTR result = NULL;
  HRESULT status;
  int exit_code = 0;

  status = VxCreateInstanceByName("VelloraX.VLL2", &IID_IVLL2, (void**)&vll2);
  if (status != S_OK) {
    exit_code = Fail("creating VelloraX.VLL2", status);
  } else if ((status = vll2->lpVtbl->Load(vll2)) != S_OK) {
    exit_code = Fail("Load", status);
  } else if ((status = Register(vll2, t, tag, spec, add)) != S_OK ||
             (status = Register(vll2, title, script, call, add)) != S_OK) {
    exit_code = Fail("Command", status);
  } else if ((status = vll2->lpVtbl->Execute(vll2, title, record, VARIANT_FALSE, &result)) != S_OK) {
    exit_code = Fail("Execute", status);
  } else {
    Print(result); /* Main title : subtitle */
    SysFreeString(result);
    vll2->lpVtbl->Unload(vll2);
  }
  if (vll2 != NULL) vll2->lpVtbl->Release(vll2);
  SysFreeString(add);
  SysFreeString(t);
  SysFreeString(tag);
  SysFreeString(spec);
  SysFreeString(title);
  SysFreeString(script);
  SysFreeString(call);
  SysFreeString(record);
  return exit_code;
}
