// VARIANT helpers exported with the BSTR functions.
#include "vellorax/automation.h"

VX_API void VariantInit(VARIANT* v) {
  if (v == nullptr) return;
  v->vt = VT_EMPTY;
  v->wReserved1 = v->wReserved2 = v->wReserved3 = 0;
  v->brecVal.pvRecord = nullptr;
  v->brecVal.pRecInfo = nullptr;
}

VX_API HRESULT VariantClear(VARIANT* v) {
  if (v == nullptr) return E_INVALIDARG;
  if (v->vt == VT_BSTR) SysFreeString(v->bstrVal);
  VariantInit(v);
  return S_OK;
}
