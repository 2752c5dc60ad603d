#include "server_api.h"

const TServerApi& Server() {
  static const TServerApi api{DllGetClassObject, DllCanUnloadNow,   DllRegisterServer,
                              DllUnregisterServer, GetErrorInfo,    SetErrorInfo,
                              SysAllocString,    SysAllocStringLen, SysFreeString,
                              SysStringLen,      VariantClear};
  return api;
}
