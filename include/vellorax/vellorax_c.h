/* The VelloraX automation interfaces for C clients: each interface is a struct
 * whose first member points to an explicit vtable struct with the COM slots in
 * order (IUnknown, IDispatch, then the interface's methods in the type
 * library's slot order). Call as obj->lpVtbl->Method(obj, ...). The layout is
 * the one vellorax.h declares for C++; include only one of the two. */
#ifndef VELLORAX_VELLORAX_C_H_
#define VELLORAX_VELLORAX_C_H_

#ifdef __cplusplus
#error "C++ clients include vellorax/vellorax.h"
#endif

#include "vellorax/automation.h"
#include "vellorax/guids.h"

typedef struct ITypeInfo ITypeInfo; /* not provided */

/* Declares struct NAME { const NAMEVtbl* lpVtbl; } ahead of its vtable. */
#define VX_C_INTERFACE(name)        \
  typedef struct name##Vtbl name##Vtbl; \
  typedef struct name {             \
    const name##Vtbl* lpVtbl;       \
  } name

VX_C_INTERFACE(IUnknown);
VX_C_INTERFACE(IDispatch);
VX_C_INTERFACE(IClassFactory);
VX_C_INTERFACE(ISupportErrorInfo);
VX_C_INTERFACE(IErrorInfo);
VX_C_INTERFACE(IZClient);
VX_C_INTERFACE(IVLL);
VX_C_INTERFACE(ICrypt);
VX_C_INTERFACE(IVLL2);
VX_C_INTERFACE(IVLSrc);

#define VX_IUNKNOWN_SLOTS(T)                                            \
  HRESULT (*QueryInterface)(T * This, REFIID riid, void** object);      \
  ULONG (*AddRef)(T * This);                                            \
  ULONG (*Release)(T * This)

#define VX_IDISPATCH_SLOTS(T)                                                          \
  VX_IUNKNOWN_SLOTS(T);                                                                \
  HRESULT (*GetTypeInfoCount)(T * This, UINT * count);                                 \
  HRESULT (*GetTypeInfo)(T * This, UINT index, LCID lcid, ITypeInfo * *info);          \
  HRESULT (*GetIDsOfNames)(T * This, REFIID riid, LPOLESTR * names, UINT count,        \
                           LCID lcid, DISPID * ids);                                   \
  HRESULT (*Invoke)(T * This, DISPID member, REFIID riid, LCID lcid, WORD flags,       \
                    DISPPARAMS * params, VARIANT * result, EXCEPINFO * exception,      \
                    UINT * arg_error)

struct IUnknownVtbl {
  VX_IUNKNOWN_SLOTS(IUnknown);
};

struct IDispatchVtbl {
  VX_IDISPATCH_SLOTS(IDispatch);
};

struct IClassFactoryVtbl {
  VX_IUNKNOWN_SLOTS(IClassFactory);
  HRESULT (*CreateInstance)(IClassFactory* This, IUnknown* outer, REFIID riid, void** object);
  HRESULT (*LockServer)(IClassFactory* This, BOOL lock);
};

struct ISupportErrorInfoVtbl {
  VX_IUNKNOWN_SLOTS(ISupportErrorInfo);
  HRESULT (*InterfaceSupportsErrorInfo)(ISupportErrorInfo* This, REFIID riid);
};

struct IErrorInfoVtbl {
  VX_IUNKNOWN_SLOTS(IErrorInfo);
  HRESULT (*GetGUID)(IErrorInfo* This, GUID* guid);
  HRESULT (*GetSource)(IErrorInfo* This, BSTR* source);
  HRESULT (*GetDescription)(IErrorInfo* This, BSTR* description);
  HRESULT (*GetHelpFile)(IErrorInfo* This, BSTR* help_file);
  HRESULT (*GetHelpContext)(IErrorInfo* This, DWORD* help_context);
};

struct IZClientVtbl {
  VX_IDISPATCH_SLOTS(IZClient);
  HRESULT (*Load)(IZClient* This, INT ACount, VARIANT_BOOL AASynchronous);
  HRESULT (*Init)(IZClient* This, INT ANo, BSTR AHost, INT APort, BSTR ADatabase, BSTR AUser,
                  BSTR APassword, VARIANT_BOOL APiggyback);
  HRESULT (*Search)(IZClient* This, INT ANo, BSTR AQuery, BSTR AElement, BSTR ASyntax,
                    INT AStart, INT ACount);
  HRESULT (*Hits)(IZClient* This, INT ANo, INT* AHits);
  HRESULT (*Close)(IZClient* This, INT ANo);
  HRESULT (*Synchronize)(IZClient* This);
  HRESULT (*Error)(IZClient* This, INT ANo, BSTR AType, BSTR* AResult);
  HRESULT (*Unload)(IZClient* This);
  HRESULT (*Present)(IZClient* This, INT ANo, INT ARecordNo, BSTR AType, BSTR* AResult);
  HRESULT (*Option)(IZClient* This, INT ANo, BSTR AType, BSTR AKey, BSTR AValue);
};

struct IVLLVtbl {
  VX_IDISPATCH_SLOTS(IVLL);
  HRESULT (*Command)(IVLL* This, BSTR AName, BSTR AType, BSTR ACommand, BSTR AAction,
                     BSTR* AResult);
  HRESULT (*Execute)(IVLL* This, BSTR AName, BSTR ARecord, VARIANT_BOOL AFix, BSTR* AResult);
  HRESULT (*Load)(IVLL* This);
  HRESULT (*Unload)(IVLL* This);
  HRESULT (*LoadDll)(IVLL* This, BSTR ADll);
};

struct ICryptVtbl {
  VX_IDISPATCH_SLOTS(ICrypt);
  HRESULT (*Encrypt)(ICrypt* This, BSTR AStr, BSTR* AResult);
  HRESULT (*Decrypt)(ICrypt* This, BSTR AStr, BSTR* AResult);
};

struct IVLL2Vtbl {
  VX_IDISPATCH_SLOTS(IVLL2);
  HRESULT (*Load)(IVLL2* This);
  HRESULT (*Command)(IVLL2* This, BSTR AName, BSTR AType, BSTR ACommand, BSTR AAction,
                     BSTR* AResult);
  HRESULT (*Execute)(IVLL2* This, BSTR AName, BSTR ARecord, VARIANT_BOOL AFix, BSTR* AResult);
  HRESULT (*Unload)(IVLL2* This);
  HRESULT (*put_Debug)(IVLL2* This, VARIANT_BOOL Value);
  HRESULT (*put_Html)(IVLL2* This, VARIANT_BOOL Value);
};

struct IVLSrcVtbl {
  VX_IDISPATCH_SLOTS(IVLSrc);
  HRESULT (*CCLSearch)(IVLSrc* This, BSTR ADSN, BSTR ACCLCommand, BSTR AOrderBy, LONG ADocGrp,
                       LONG APageNum, LONG APageSize, LONG AMaxHits,
                       VARIANT_BOOL AIncludeVolumes, BSTR* Value);
};

#undef VX_IUNKNOWN_SLOTS
#undef VX_IDISPATCH_SLOTS
#undef VX_C_INTERFACE

/* Library exports; see vellorax.h for their contracts. */
VX_API HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** object);
VX_API HRESULT DllCanUnloadNow(void);
VX_API HRESULT DllRegisterServer(void);
VX_API HRESULT DllUnregisterServer(void);
VX_API HRESULT GetErrorInfo(ULONG reserved, IErrorInfo** info);
VX_API HRESULT SetErrorInfo(ULONG reserved, IErrorInfo* info);

#endif /* VELLORAX_VELLORAX_C_H_ */
