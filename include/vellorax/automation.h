/* Binary types of the VelloraX automation interface, usable from C and C++.
 *
 * The layouts follow the COM/OLE Automation conventions of 64-bit Windows so
 * that any client with a C foreign-function interface can call the objects
 * early-bound (vtable slots) or late-bound (IDispatch::Invoke):
 *  - HRESULT is a 32-bit signed status: 0 success, negative failure.
 *  - BSTR points just after a 32-bit byte-length prefix to zero-terminated
 *    UTF-16 text. Only the library's SysAllocString* / SysFreeString allocate
 *    and free BSTRs. A null BSTR is the empty string. Out strings are
 *    allocated by the callee and freed by the caller.
 *  - VARIANT_BOOL is -1 for true and 0 for false; any nonzero value received
 *    counts as true.
 *  - VARIANT is 24 bytes: vt, three reserved words, a 16-byte union.
 * Interfaces are declared in vellorax.h (C++) and vellorax_c.h (C). */
#ifndef VELLORAX_AUTOMATION_H_
#define VELLORAX_AUTOMATION_H_

#include <stddef.h>
#include <stdint.h>
#ifndef __cplusplus
#include <uchar.h>
#endif

#ifdef __cplusplus
#define VX_EXTERN_C extern "C"
#define VX_CONSTANT(type, name, value) inline constexpr type name = static_cast<type>(value)
#define VX_DEFINE_GUID(name, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8) \
  inline constexpr GUID name = {l, w1, w2, {b1, b2, b3, b4, b5, b6, b7, b8}}
#else
#define VX_EXTERN_C
#define VX_CONSTANT(type, name, value) static const type name = (type)(value)
#define VX_DEFINE_GUID(name, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8) \
  static const GUID name = {l, w1, w2, {b1, b2, b3, b4, b5, b6, b7, b8}}
#endif

/* Functions exported by libvellorax.so (and, for the BSTR functions, by the
 * client helper library as well). */
#define VX_API VX_EXTERN_C __attribute__((visibility("default")))

typedef int32_t HRESULT;
typedef int32_t SCODE;
typedef uint32_t ULONG;
typedef uint32_t UINT;
typedef uint32_t DWORD;
typedef uint16_t WORD;
typedef int32_t BOOL;
typedef int32_t LONG;
typedef int16_t SHORT;
typedef int32_t INT;
typedef uint32_t LCID;
typedef int32_t DISPID;
typedef uint16_t VARTYPE;
typedef int16_t VARIANT_BOOL;
typedef char16_t OLECHAR;
typedef OLECHAR* BSTR;
typedef OLECHAR* LPOLESTR;
typedef const OLECHAR* LPCOLESTR;

typedef struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
} GUID;
typedef GUID IID;
typedef GUID CLSID;

#ifdef __cplusplus
typedef const GUID& REFGUID;
typedef const IID& REFIID;
typedef const CLSID& REFCLSID;
inline bool operator==(const GUID& a, const GUID& b) {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
  for (int i = 0; i < 8; ++i)
    if (a.Data4[i] != b.Data4[i]) return false;
  return true;
}
#else
typedef const GUID* REFGUID;
typedef const IID* REFIID;
typedef const CLSID* REFCLSID;
#endif

VX_CONSTANT(VARIANT_BOOL, VARIANT_TRUE, -1);
VX_CONSTANT(VARIANT_BOOL, VARIANT_FALSE, 0);

/* Status codes. */
VX_CONSTANT(HRESULT, S_OK, 0);
VX_CONSTANT(HRESULT, S_FALSE, 1);
VX_CONSTANT(HRESULT, E_NOTIMPL, 0x80004001u);
VX_CONSTANT(HRESULT, E_NOINTERFACE, 0x80004002u);
VX_CONSTANT(HRESULT, E_POINTER, 0x80004003u);
VX_CONSTANT(HRESULT, E_FAIL, 0x80004005u);
VX_CONSTANT(HRESULT, E_UNEXPECTED, 0x8000FFFFu);
VX_CONSTANT(HRESULT, E_OUTOFMEMORY, 0x8007000Eu);
VX_CONSTANT(HRESULT, E_INVALIDARG, 0x80070057u);
VX_CONSTANT(HRESULT, CLASS_E_NOAGGREGATION, 0x80040110u);
VX_CONSTANT(HRESULT, CLASS_E_CLASSNOTAVAILABLE, 0x80040111u);
VX_CONSTANT(HRESULT, REGDB_E_CLASSNOTREG, 0x80040154u);
VX_CONSTANT(HRESULT, CO_E_CLASSSTRING, 0x800401F3u);
VX_CONSTANT(HRESULT, CO_E_DLLNOTFOUND, 0x8004F006u);
VX_CONSTANT(HRESULT, CO_E_ERRORINDLL, 0x800401F9u);
VX_CONSTANT(HRESULT, DISP_E_UNKNOWNINTERFACE, 0x80020001u);
VX_CONSTANT(HRESULT, DISP_E_MEMBERNOTFOUND, 0x80020003u);
VX_CONSTANT(HRESULT, DISP_E_PARAMNOTFOUND, 0x80020004u);
VX_CONSTANT(HRESULT, DISP_E_TYPEMISMATCH, 0x80020005u);
VX_CONSTANT(HRESULT, DISP_E_UNKNOWNNAME, 0x80020006u);
VX_CONSTANT(HRESULT, DISP_E_EXCEPTION, 0x80020009u);
VX_CONSTANT(HRESULT, DISP_E_BADINDEX, 0x8002000Bu);
VX_CONSTANT(HRESULT, DISP_E_BADPARAMCOUNT, 0x8002000Eu);

/* IDispatch::Invoke flags and special dispatch ids. */
VX_CONSTANT(WORD, DISPATCH_METHOD, 1);
VX_CONSTANT(WORD, DISPATCH_PROPERTYGET, 2);
VX_CONSTANT(WORD, DISPATCH_PROPERTYPUT, 4);
VX_CONSTANT(WORD, DISPATCH_PROPERTYPUTREF, 8);
VX_CONSTANT(DISPID, DISPID_UNKNOWN, -1);
VX_CONSTANT(DISPID, DISPID_PROPERTYPUT, -3);

/* The VARIANT types this library reads and writes. */
enum VARENUM {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_BSTR = 8,
  VT_ERROR = 10,
  VT_BOOL = 11,
  VT_VARIANT = 12,
  VT_INT = 22,
  VT_BYREF = 0x4000
};

typedef struct VARIANT {
  VARTYPE vt;
  WORD wReserved1;
  WORD wReserved2;
  WORD wReserved3;
  union {
    SHORT iVal;
    LONG lVal;
    INT intVal;
    VARIANT_BOOL boolVal;
    SCODE scode;
    BSTR bstrVal;
    SHORT* piVal;
    LONG* plVal;
    INT* pintVal;
    VARIANT_BOOL* pboolVal;
    BSTR* pbstrVal;
    struct VARIANT* pvarVal;
    void* byref;
    struct {
      void* pvRecord;
      void* pRecInfo;
    } brecVal; /* fixes the union at 16 bytes, as on 64-bit Windows */
  };
} VARIANT;
typedef VARIANT VARIANTARG;

/* Arguments of Invoke: positional arguments stand in reverse order at the end
 * of rgvarg, named ones (ids in rgdispidNamedArgs) at its start. */
typedef struct DISPPARAMS {
  VARIANTARG* rgvarg;
  DISPID* rgdispidNamedArgs;
  UINT cArgs;
  UINT cNamedArgs;
} DISPPARAMS;

typedef struct EXCEPINFO {
  WORD wCode;
  WORD wReserved;
  BSTR bstrSource;
  BSTR bstrDescription;
  BSTR bstrHelpFile;
  DWORD dwHelpContext;
  void* pvReserved;
  HRESULT (*pfnDeferredFillIn)(struct EXCEPINFO*);
  SCODE scode;
} EXCEPINFO;

#ifdef __cplusplus
static_assert(sizeof(VARIANT) == 24, "VARIANT must keep the 64-bit Windows layout");
static_assert(sizeof(DISPPARAMS) == 24, "DISPPARAMS layout");
static_assert(sizeof(GUID) == 16, "GUID layout");
#else
_Static_assert(sizeof(VARIANT) == 24, "VARIANT must keep the 64-bit Windows layout");
#endif

/* BSTR functions. SysAllocString copies a zero-terminated text (null gives
 * null); SysAllocStringLen copies `len` characters (text may be null: the
 * characters are then zero); SysFreeString accepts null; SysStringLen is the
 * character count (0 for null). Allocation failure returns null. */
VX_API BSTR SysAllocString(const OLECHAR* text);
VX_API BSTR SysAllocStringLen(const OLECHAR* text, UINT len);
VX_API void SysFreeString(BSTR text);
VX_API UINT SysStringLen(BSTR text);

/* VARIANT helpers: VariantInit sets VT_EMPTY; VariantClear frees an owned
 * BSTR and sets VT_EMPTY (by-reference values are not followed). */
VX_API void VariantInit(VARIANT* v);
VX_API HRESULT VariantClear(VARIANT* v);

#endif /* VELLORAX_AUTOMATION_H_ */
