#include "server/type_library.h"

#include "server/objects.h"

namespace vellorax::server {
namespace {

using com::TInvokeArgs;
using com::TMemberInfo;
using com::TMemberKind;
using com::TParamInfo;
using enum com::TParamType;

constexpr TMemberKind kMethod = TMemberKind::kMethod;
constexpr TMemberKind kPut = TMemberKind::kPropertyPut;

template <class T>
T* As(IDispatch* self) {
  return static_cast<T*>(self);
}

// IZClient, "Z39.50 client interface".
constexpr TParamInfo kZLoad[] = {{"ACount", kInt}, {"AASynchronous", kBool}};
constexpr TParamInfo kZInit[] = {{"ANo", kInt},       {"AHost", kString},     {"APort", kInt},
                                 {"ADatabase", kString}, {"AUser", kString}, {"APassword", kString},
                                 {"APiggyback", kBool}};
constexpr TParamInfo kZSearch[] = {{"ANo", kInt},        {"AQuery", kString}, {"AElement", kString},
                                   {"ASyntax", kString}, {"AStart", kInt},    {"ACount", kInt}};
constexpr TParamInfo kZHits[] = {{"ANo", kInt}, {"AHits", kOutInt}};
constexpr TParamInfo kZClose[] = {{"ANo", kInt}};
constexpr TParamInfo kZError[] = {{"ANo", kInt}, {"AType", kString}, {"AResult", kOutString}};
constexpr TParamInfo kZPresent[] = {
    {"ANo", kInt}, {"ARecordNo", kInt}, {"AType", kString}, {"AResult", kOutString}};
constexpr TParamInfo kZOption[] = {
    {"ANo", kInt}, {"AType", kString}, {"AKey", kString}, {"AValue", kString}};

constexpr TMemberInfo kZClientMembers[] = {
    {"Load", 1, 1, kMethod, kZLoad, "Load client(s)",
     [](IDispatch* s, TInvokeArgs& a) { return As<IZClient>(s)->Load(a.Int(0), a.Bool(1)); }},
    {"Init", 2, 2, kMethod, kZInit, "Initialize a client ",
     [](IDispatch* s, TInvokeArgs& a) {
       return As<IZClient>(s)->Init(a.Int(0), a.Str(1), a.Int(2), a.Str(3), a.Str(4), a.Str(5),
                                    a.Bool(6));
     }},
    {"Search", 3, 3, kMethod, kZSearch, "Search a client",
     [](IDispatch* s, TInvokeArgs& a) {
       return As<IZClient>(s)->Search(a.Int(0), a.Str(1), a.Str(2), a.Str(3), a.Int(4), a.Int(5));
     }},
    {"Hits", 4, 4, kMethod, kZHits, "Get search hits from a client",
     [](IDispatch* s, TInvokeArgs& a) { return As<IZClient>(s)->Hits(a.Int(0), a.OutInt(1)); }},
    {"Close", 6, 5, kMethod, kZClose, "Close a client",
     [](IDispatch* s, TInvokeArgs& a) { return As<IZClient>(s)->Close(a.Int(0)); }},
    {"Synchronize", 7, 6, kMethod, {}, "Synchronize asynchronous clients communication",
     [](IDispatch* s, TInvokeArgs&) { return As<IZClient>(s)->Synchronize(); }},
    {"Error", 8, 7, kMethod, kZError, "Get error information from a client",
     [](IDispatch* s, TInvokeArgs& a) {
       return As<IZClient>(s)->Error(a.Int(0), a.Str(1), a.OutStr(2));
     }},
    {"Unload", 9, 8, kMethod, {}, "Unload client(s)",
     [](IDispatch* s, TInvokeArgs&) { return As<IZClient>(s)->Unload(); }},
    {"Present", 5, 9, kMethod, kZPresent, "Get a record from a client",
     [](IDispatch* s, TInvokeArgs& a) {
       return As<IZClient>(s)->Present(a.Int(0), a.Int(1), a.Str(2), a.OutStr(3));
     }},
    {"Option", 10, 10, kMethod, kZOption, "Set global or specific client (ZOOM) options",
     [](IDispatch* s, TInvokeArgs& a) {
       return As<IZClient>(s)->Option(a.Int(0), a.Str(1), a.Str(2), a.Str(3));
     }},
};

// IVLL and IVLL2 share the parameter lists of Command and Execute.
constexpr TParamInfo kCommand[] = {{"AName", kString},
                                   {"AType", kString},
                                   {"ACommand", kString},
                                   {"AAction", kString},
                                   {"AResult", kOutString}};
constexpr TParamInfo kExecute[] = {
    {"AName", kString}, {"ARecord", kString}, {"AFix", kBool}, {"AResult", kOutString}};
constexpr TParamInfo kLoadDll[] = {{"ADll", kString}};

constexpr TMemberInfo kVLLMembers[] = {
    {"Command", 3, 1, kMethod, kCommand, "VLL command to register",
     [](IDispatch* s, TInvokeArgs& a) {
       return As<IVLL>(s)->Command(a.Str(0), a.Str(1), a.Str(2), a.Str(3), a.OutStr(4));
     }},
    {"Execute", 4, 2, kMethod, kExecute, "VLL command to execute",
     [](IDispatch* s, TInvokeArgs& a) {
       return As<IVLL>(s)->Execute(a.Str(0), a.Str(1), a.Bool(2), a.OutStr(3));
     }},
    {"Load", 2, 3, kMethod, {}, "Load VLL",
     [](IDispatch* s, TInvokeArgs&) { return As<IVLL>(s)->Load(); }},
    {"Unload", 5, 4, kMethod, {}, "Unload VLL",
     [](IDispatch* s, TInvokeArgs&) { return As<IVLL>(s)->Unload(); }},
    {"LoadDll", 1, 5, kMethod, kLoadDll,
     "Load VLL with given VLL32.dll (full filename including path)",
     [](IDispatch* s, TInvokeArgs& a) { return As<IVLL>(s)->LoadDll(a.Str(0)); }},
};

constexpr TParamInfo kCryptParams[] = {{"AStr", kString}, {"AResult", kOutString}};

constexpr TMemberInfo kCryptMembers[] = {
    {"Encrypt", 1, 1, kMethod, kCryptParams, "String to encrypt",
     [](IDispatch* s, TInvokeArgs& a) { return As<ICrypt>(s)->Encrypt(a.Str(0), a.OutStr(1)); }},
    {"Decrypt", 2, 2, kMethod, kCryptParams, "String to decrypt",
     [](IDispatch* s, TInvokeArgs& a) { return As<ICrypt>(s)->Decrypt(a.Str(0), a.OutStr(1)); }},
};

constexpr TParamInfo kPutValue[] = {{"Value", kBool}};

constexpr TMemberInfo kVLL2Members[] = {
    {"Load", 1, 1, kMethod, {}, "Load VLL",
     [](IDispatch* s, TInvokeArgs&) { return As<IVLL2>(s)->Load(); }},
    {"Command", 4, 2, kMethod, kCommand, "VLL command to register",
     [](IDispatch* s, TInvokeArgs& a) {
       return As<IVLL2>(s)->Command(a.Str(0), a.Str(1), a.Str(2), a.Str(3), a.OutStr(4));
     }},
    {"Execute", 5, 3, kMethod, kExecute, "VLL command to execute",
     [](IDispatch* s, TInvokeArgs& a) {
       return As<IVLL2>(s)->Execute(a.Str(0), a.Str(1), a.Bool(2), a.OutStr(3));
     }},
    {"Unload", 6, 4, kMethod, {}, "Unload VLL",
     [](IDispatch* s, TInvokeArgs&) { return As<IVLL2>(s)->Unload(); }},
    {"Debug", 2, 5, kPut, kPutValue, "Turn on / off VLL debug mode",
     [](IDispatch* s, TInvokeArgs& a) { return As<IVLL2>(s)->put_Debug(a.Bool(0)); }},
    {"Html", 3, 6, kPut, kPutValue, "Turn on / off VLL HTML mode",
     [](IDispatch* s, TInvokeArgs& a) { return As<IVLL2>(s)->put_Html(a.Bool(0)); }},
};

constexpr TParamInfo kCCLSearch[] = {
    {"ADSN", kString},  {"ACCLCommand", kString}, {"AOrderBy", kString},
    {"ADocGrp", kInt},  {"APageNum", kInt},       {"APageSize", kInt},
    {"AMaxHits", kInt}, {"AIncludeVolumes", kBool}, {"Value", kOutString}};

constexpr TMemberInfo kVLSrcMembers[] = {
    {"CCLSearch", 201, 1, kMethod, kCCLSearch, "",
     [](IDispatch* s, TInvokeArgs& a) {
       return As<IVLSrc>(s)->CCLSearch(a.Str(0), a.Str(1), a.Str(2), a.Int(3), a.Int(4), a.Int(5),
                                       a.Int(6), a.Bool(7), a.OutStr(8));
     }},
};

}  // namespace

const com::TInterfaceInfo kZClientInterface{"IZClient", IID_IZClient, "Z39.50 client interface",
                                            kZClientMembers};
const com::TInterfaceInfo kVLLInterface{"IVLL", IID_IVLL,
                                        "VLL (Vellora Macro Language) interface ", kVLLMembers};
const com::TInterfaceInfo kCryptInterface{"ICrypt", IID_ICrypt, "Crypt interface", kCryptMembers};
const com::TInterfaceInfo kVLL2Interface{"IVLL2", IID_IVLL2,
                                         "VLL (Vellora Macro Language) interface  ", kVLL2Members};
const com::TInterfaceInfo kVLSrcInterface{"IVLSrc", IID_IVLSrc, "VLSearch interface",
                                          kVLSrcMembers};

namespace {

const TClassInfo kClasses[] = {
    {"ZClient", u"VelloraX.ZClient", CLSID_ZClient, kZClientInterface, "Z39.50 client object ",
     "Apartment", NewZClient},
    {"VLL", u"VelloraX.VLL", CLSID_VLL, kVLLInterface, "VLL (Vellora Macro Language) object",
     "Apartment", NewVLL},
    {"Crypt", u"VelloraX.Crypt", CLSID_Crypt, kCryptInterface, "Crypt object", "Apartment",
     NewCrypt},
    {"VLL2", u"VelloraX.VLL2", CLSID_VLL2, kVLL2Interface, "VLL (Vellora Macro Language) object ",
     "Apartment", NewVLL2},
    {"VLSrc", u"VelloraX.VLSrc", CLSID_VLSrc, kVLSrcInterface, "", "Free", NewVLSrc},
};

}  // namespace

std::span<const TClassInfo> Classes() { return kClasses; }

const TClassInfo& ClassInfo(TClassIndex index) { return kClasses[static_cast<size_t>(index)]; }

const TClassInfo* FindClass(const GUID& clsid) {
  for (const TClassInfo& c : kClasses)
    if (c.clsid == clsid) return &c;
  return nullptr;
}

}  // namespace vellorax::server
