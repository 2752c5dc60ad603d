/* Calls the VLL2 object from C through the explicit vtable structs of
 * vellorax_c.h, which proves that the C++ objects have exactly the COM slot
 * layout. Exit status 0 on success, 1 on a failed check, 77 (skipped) when the
 * library is built without the VLL2 engine. */
#include <stddef.h>
#include <stdio.h>
#include <string.h>

#include "vellorax/vellorax_c.h"

static int failures = 0;

#define CHECK(cond) \
  ((cond) ? (void)0 : (void)(fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond), ++failures))

/* True when `b` holds exactly the ASCII text `expected`. */
static int Equals(BSTR b, const char* expected) {
  size_t n = strlen(expected);
  if (SysStringLen(b) != n) return 0;
  for (size_t i = 0; i < n; ++i)
    if (b[i] != (OLECHAR)(unsigned char)expected[i]) return 0;
  return 1;
}

static int ErrorIs(const char* expected) {
  IErrorInfo* info = NULL;
  BSTR description = NULL;
  int same;
  if (GetErrorInfo(0, &info) != S_OK || info == NULL) return 0;
  info->lpVtbl->GetDescription(info, &description);
  same = Equals(description, expected);
  SysFreeString(description);
  info->lpVtbl->Release(info);
  return same;
}

int main(void) {
  IClassFactory* factory = NULL;
  IVLL2* vll2 = NULL;
  BSTR name = SysAllocString(u"hello"), type = SysAllocString(u"script"), command = SysAllocString(u"\"Hello\""),
       action = SysAllocString(u"add"), record = SysAllocString(u""), result = NULL;
  int skipped = 0;

  /* Slot positions: seven IUnknown/IDispatch slots, then the table's order. */
  CHECK(offsetof(IVLL2Vtbl, Invoke) == 6 * sizeof(void*));
  CHECK(offsetof(IVLL2Vtbl, Load) == 7 * sizeof(void*));
  CHECK(offsetof(IVLL2Vtbl, put_Html) == 12 * sizeof(void*));
  CHECK(sizeof(VARIANT) == 24);

  CHECK(DllGetClassObject(&CLSID_VLL2, &IID_IClassFactory, (void**)&factory) == S_OK);
  if (factory == NULL) return 1;
  CHECK(factory->lpVtbl->CreateInstance(factory, NULL, &IID_IVLL2, (void**)&vll2) == S_OK);
  factory->lpVtbl->Release(factory);
  if (vll2 == NULL) return 1;

  {
    /* Late-bound names through the IDispatch slots of the same vtable. */
    OLECHAR member[] = u"execute";
    LPOLESTR names[1] = {member};
    DISPID id = 0;
    CHECK(vll2->lpVtbl->GetIDsOfNames(vll2, &IID_NULL, names, 1, 0, &id) == S_OK);
    CHECK(id == 5);
  }

  if (vll2->lpVtbl->Load(vll2) != S_OK) {
#ifdef VX_HAVE_VLL2
    CHECK(!"Load failed");
#else
    CHECK(ErrorIs("VLL2 engine not available"));
    skipped = 1;
#endif
  } else {
    CHECK(vll2->lpVtbl->Command(vll2, name, type, command, action, &result) == S_OK);
    CHECK(result == NULL);
    CHECK(vll2->lpVtbl->Execute(vll2, name, record, VARIANT_FALSE, &result) == S_OK);
    CHECK(Equals(result, "Hello"));
    SysFreeString(result);
    result = NULL;
    CHECK(vll2->lpVtbl->put_Debug(vll2, VARIANT_TRUE) == S_OK);
    CHECK(vll2->lpVtbl->put_Html(vll2, VARIANT_FALSE) == S_OK);
    CHECK(vll2->lpVtbl->Unload(vll2) == S_OK);
  }
  /* Unloaded: the engine is gone and the call fails with the error record. */
  CHECK(vll2->lpVtbl->Execute(vll2, name, record, VARIANT_FALSE, &result) == E_UNEXPECTED);
  CHECK(result == NULL);
  CHECK(ErrorIs("VLL2 not loaded"));

  CHECK(DllCanUnloadNow() == S_FALSE);
  CHECK(vll2->lpVtbl->Release(vll2) == 0);
  CHECK(DllCanUnloadNow() == S_OK);

  SysFreeString(name), SysFreeString(type), SysFreeString(command), SysFreeString(action), SysFreeString(record);
  return failures > 0 ? 1 : skipped ? 77 : 0;
}
