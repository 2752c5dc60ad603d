/* The client helper library (vx_client): creates automation objects the way a
 * COM client does, for C and C++ programs. A ProgID ("VelloraX.VLL2") is
 * looked up in the registry file (HKEY_CLASSES_ROOT\<ProgID>\Clsid), the class
 * id's "InprocServer32" names the library file, which is loaded once per
 * process; its DllGetClassObject gives the class object, whose CreateInstance
 * makes the object. The helper also provides the BSTR and VARIANT functions of
 * automation.h, so a client need not link the server library itself.
 *
 * The registry file is $VELLORAX_REGISTRY, else
 * ${XDG_CONFIG_HOME:-$HOME/.config}/vellorax/registry. Thread-safe. */
#ifndef VELLORAX_CLIENT_H_
#define VELLORAX_CLIENT_H_

#include "vellorax/automation.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Parses "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (braces required, any
 * letter case). CO_E_CLASSSTRING when malformed. */
HRESULT VxCLSIDFromString(const char* text, CLSID* clsid);

/* Writes the braced upper-case form (39 bytes with the terminating zero) to
 * `text`. */
void VxStringFromCLSID(const CLSID* clsid, char text[39]);

/* Resolves a ProgID through the registry. REGDB_E_CLASSNOTREG when the ProgID
 * is not registered, CO_E_CLASSSTRING when its class id is malformed. */
HRESULT VxCLSIDFromProgID(const char* progid, CLSID* clsid);

/* Creates an object of class `clsid` and stores it, queried for `iid`, in
 * *object (the caller releases it). REGDB_E_CLASSNOTREG when the class has no
 * "InprocServer32" entry, CO_E_DLLNOTFOUND when its library does not load,
 * CO_E_ERRORINDLL when it lacks DllGetClassObject; otherwise the status of the
 * class object's CreateInstance. *object is null on failure. */
HRESULT VxCreateInstance(const CLSID* clsid, const IID* iid, void** object);

/* VxCLSIDFromProgID followed by VxCreateInstance. A text that starts with "{"
 * is taken as a class id. */
HRESULT VxCreateInstanceByName(const char* progid, const IID* iid, void** object);

/* The calling thread's error record from the libraries this helper loaded
 * (see GetErrorInfo in vellorax.h); `info` is an IErrorInfo**. S_FALSE and
 * null when there is none. */
HRESULT VxGetErrorInfo(void** info);

/* Unloads every library whose DllCanUnloadNow allows it. */
void VxFreeUnusedLibraries(void);

/* Reads the string value `name` ("" for the default value) of `key` below
 * `root` ("HKEY_CLASSES_ROOT" or "HKEY_LOCAL_MACHINE") into `buffer`, cut to
 * `size` - 1 bytes and zero-terminated. Returns the value's full length, or
 * -1 when the key or value does not exist or the registry cannot be read. */
long VxRegGetValue(const char* root, const char* key, const char* name, char* buffer,
                   size_t size);

#ifdef __cplusplus
}
#endif

#endif /* VELLORAX_CLIENT_H_ */
