// The library's exports as the tests reach them: either through dlopen and
// dlsym, as a foreign client does (server_api_dlopen.cpp), or linked directly
// (server_api_linked.cpp), so that leaks show up in both set-ups.
#pragma once

#include "vellorax/vellorax.h"

struct TServerApi {
  HRESULT (*GetClassObject)(REFCLSID, REFIID, void**);
  HRESULT (*CanUnloadNow)();
  HRESULT (*RegisterServer)();
  HRESULT (*UnregisterServer)();
  HRESULT (*GetErrorInfo)(ULONG, IErrorInfo**);
  HRESULT (*SetErrorInfo)(ULONG, IErrorInfo*);
  BSTR (*AllocString)(const OLECHAR*);
  BSTR (*AllocStringLen)(const OLECHAR*, UINT);
  void (*FreeString)(BSTR);
  UINT (*StringLen)(BSTR);
  HRESULT (*ClearVariant)(VARIANT*);
};

const TServerApi& Server();
