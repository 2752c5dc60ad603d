// The VelloraX automation interfaces for C++ clients.
//
// Each interface is an abstract class without a virtual destructor, so its
// vtable holds exactly the COM slots: IUnknown (QueryInterface, AddRef,
// Release), IDispatch (GetTypeInfoCount, GetTypeInfo, GetIDsOfNames, Invoke),
// then the interface's own methods in the type library's slot order. Method
// and parameter names are the type library's; write-only properties appear as
// put_<Name>. Every method returns a status (S_OK or a failure; on failure
// GetErrorInfo gives the message). Objects are apartment-bound except VLSrc.
// C clients use vellorax_c.h, which declares the same layout as structs.
#pragma once

#include "vellorax/automation.h"
#include "vellorax/guids.h"

struct ITypeInfo;  // not provided: GetTypeInfoCount reports 0

struct IUnknown {
  virtual HRESULT QueryInterface(REFIID riid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;
};

struct IDispatch : IUnknown {
  virtual HRESULT GetTypeInfoCount(UINT* count) = 0;
  virtual HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) = 0;
  virtual HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                DISPID* ids) = 0;
  virtual HRESULT Invoke(DISPID member, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                         VARIANT* result, EXCEPINFO* exception, UINT* arg_error) = 0;

 protected:
  ~IDispatch() = default;
};

struct IClassFactory : IUnknown {
  virtual HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) = 0;
  virtual HRESULT LockServer(BOOL lock) = 0;

 protected:
  ~IClassFactory() = default;
};

struct ISupportErrorInfo : IUnknown {
  // S_OK when `riid` reports failures through GetErrorInfo, else S_FALSE.
  virtual HRESULT InterfaceSupportsErrorInfo(REFIID riid) = 0;

 protected:
  ~ISupportErrorInfo() = default;
};

struct IErrorInfo : IUnknown {
  virtual HRESULT GetGUID(GUID* guid) = 0;
  virtual HRESULT GetSource(BSTR* source) = 0;
  virtual HRESULT GetDescription(BSTR* description) = 0;
  virtual HRESULT GetHelpFile(BSTR* help_file) = 0;
  virtual HRESULT GetHelpContext(DWORD* help_context) = 0;

 protected:
  ~IErrorInfo() = default;
};

// "Z39.50 client interface"
struct IZClient : IDispatch {
  virtual HRESULT Load(INT ACount, VARIANT_BOOL AASynchronous) = 0;                 // id 1
  virtual HRESULT Init(INT ANo, BSTR AHost, INT APort, BSTR ADatabase, BSTR AUser,  // id 2
                       BSTR APassword, VARIANT_BOOL APiggyback) = 0;
  virtual HRESULT Search(INT ANo, BSTR AQuery, BSTR AElement, BSTR ASyntax,  // id 3
                         INT AStart, INT ACount) = 0;
  virtual HRESULT Hits(INT ANo, INT* AHits) = 0;                              // id 4
  virtual HRESULT Close(INT ANo) = 0;                                         // id 6
  virtual HRESULT Synchronize() = 0;                                          // id 7
  virtual HRESULT Error(INT ANo, BSTR AType, BSTR* AResult) = 0;              // id 8
  virtual HRESULT Unload() = 0;                                               // id 9
  virtual HRESULT Present(INT ANo, INT ARecordNo, BSTR AType, BSTR* AResult) = 0;  // id 5
  virtual HRESULT Option(INT ANo, BSTR AType, BSTR AKey, BSTR AValue) = 0;    // id 10

 protected:
  ~IZClient() = default;
};

// "VLL (Vellora Macro Language) interface "
struct IVLL : IDispatch {
  virtual HRESULT Command(BSTR AName, BSTR AType, BSTR ACommand, BSTR AAction,  // id 3
                          BSTR* AResult) = 0;
  virtual HRESULT Execute(BSTR AName, BSTR ARecord, VARIANT_BOOL AFix,  // id 4
                          BSTR* AResult) = 0;
  virtual HRESULT Load() = 0;              // id 2
  virtual HRESULT Unload() = 0;            // id 5
  virtual HRESULT LoadDll(BSTR ADll) = 0;  // id 1

 protected:
  ~IVLL() = default;
};

// "Crypt interface"
struct ICrypt : IDispatch {
  virtual HRESULT Encrypt(BSTR AStr, BSTR* AResult) = 0;  // id 1
  virtual HRESULT Decrypt(BSTR AStr, BSTR* AResult) = 0;  // id 2

 protected:
  ~ICrypt() = default;
};

// "VLL (Vellora Macro Language) interface  "
struct IVLL2 : IDispatch {
  virtual HRESULT Load() = 0;  // id 1
  virtual HRESULT Command(BSTR AName, BSTR AType, BSTR ACommand, BSTR AAction,  // id 4
                          BSTR* AResult) = 0;
  virtual HRESULT Execute(BSTR AName, BSTR ARecord, VARIANT_BOOL AFix,  // id 5
                          BSTR* AResult) = 0;
  virtual HRESULT Unload() = 0;                           // id 6
  virtual HRESULT put_Debug(VARIANT_BOOL Value) = 0;      // id 2, write-only
  virtual HRESULT put_Html(VARIANT_BOOL Value) = 0;       // id 3, write-only

 protected:
  ~IVLL2() = default;
};

// "VLSearch interface"
struct IVLSrc : IDispatch {
  virtual HRESULT CCLSearch(BSTR ADSN, BSTR ACCLCommand, BSTR AOrderBy, LONG ADocGrp,  // id 201
                            LONG APageNum, LONG APageSize, LONG AMaxHits,
                            VARIANT_BOOL AIncludeVolumes, BSTR* Value) = 0;

 protected:
  ~IVLSrc() = default;
};

// Library exports.
// Stores the class object for `clsid` queried for `riid` in *object. Returns
// CLASS_E_CLASSNOTAVAILABLE (and null) for a class the library does not have,
// E_NOINTERFACE (and null) when the class object lacks `riid`.
VX_API HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** object);
// S_OK when no object of the library is alive and no server lock is held.
VX_API HRESULT DllCanUnloadNow(void);
// Write or remove the classes, ProgIDs and type library in the registry;
// E_FAIL when anything fails.
VX_API HRESULT DllRegisterServer(void);
VX_API HRESULT DllUnregisterServer(void);
// Hands the calling thread's error record to the caller (who releases it) and
// clears it; S_FALSE and null when there is none. `reserved` must be 0.
VX_API HRESULT GetErrorInfo(ULONG reserved, IErrorInfo** info);
// Replaces the thread's error record (null clears it).
VX_API HRESULT SetErrorInfo(ULONG reserved, IErrorInfo* info);
