// Every method of every interface early-bound and late-bound: names to
// dispatch ids, Invoke for every dispatch id (also where slot and id differ),
// argument conversion and the error convention of failed calls.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>

#include "com_test_support.h"

namespace {

// Marks an out string the callee must overwrite with "empty" without freeing.
BSTR Garbage() { return reinterpret_cast<BSTR>(uintptr_t{0x10}); }

enum { kZ, kVLL, kCrypt, kVLL2, kSrc };  // index into kClassCases

using MethodTest = ComTest;

// Each row: the name as a script host spells it, its dispatch id, the
// early-bound call and the late-bound arguments of the same call, and the
// message of the failure (null: the call succeeds). One object per class,
// unloaded; the VLL2 Load comes last.
TEST_F(MethodTest, EveryMethodEarlyAndLateBound) {
  TRef<IZClient> z = Create<IZClient>(CLSID_ZClient, IID_IZClient);
  TRef<IVLL> v = Create<IVLL>(CLSID_VLL, IID_IVLL);
  TRef<ICrypt> c = Create<ICrypt>(CLSID_Crypt, IID_ICrypt);
  TRef<IVLL2> v2 = Create<IVLL2>(CLSID_VLL2, IID_IVLL2);
  TRef<IVLSrc> s = Create<IVLSrc>(CLSID_VLSrc, IID_IVLSrc);
  ASSERT_TRUE(z && v && c && v2 && s);
  IDispatch* objects[] = {z.get(), v.get(), c.get(), v2.get(), s.get()};
  TStr text(u"abc");
  BSTR out = nullptr;
  INT hits = 1234;
  const char16_t* kZNotLoaded = u"ZClient not loaded";
  const char16_t* kCryptFails = kHaveCrypt ? u"Blowfish: Input not valid - too short" : u"Crypt engine not available";
  const struct {
    int cls;
    const char* name;
    DISPID id;
    std::function<HRESULT()> early;
    std::function<void(TArgs&)> args;
    const char16_t* message;
    WORD flags = DISPATCH_METHOD;
  } rows[] = {
      {kZ, "Load", 1, [&] { return z->Load(2, VARIANT_TRUE); }, [](TArgs& a) { a.Int(1).Bool(false); }, u"ZClient library not available"},
      {kZ, "init", 2, [&] { return z->Init(0, text, 210, text, text, text, VARIANT_FALSE); },
       [](TArgs& a) { a.Int(0).Str(u"host").Int(210).Str(u"db").Str(u"u").Str(u"p").Bool(true); }, kZNotLoaded},
      {kZ, "SEARCH", 3, [&] { return z->Search(0, text, text, text, 1, 10); },
       [](TArgs& a) { a.Int(0).Str(u"q").Str(u"F").Str(u"USMARC").Int(1).Int(10); }, kZNotLoaded},
      {kZ, "Hits", 4, [&] { return z->Hits(0, &hits); }, [&](TArgs& a) { a.Int(0).OutInt(&hits); }, kZNotLoaded},
      {kZ, "present", 5, [&] { return z->Present(0, 1, text, &out); }, [&](TArgs& a) { a.Int(0).Int(1).Str(u"F").OutStr(&out); }, kZNotLoaded},
      {kZ, "Close", 6, [&] { return z->Close(0); }, [](TArgs& a) { a.Int(0); }, kZNotLoaded},
      {kZ, "Synchronize", 7, [&] { return z->Synchronize(); }, [](TArgs&) {}, kZNotLoaded},
      {kZ, "Error", 8, [&] { return z->Error(0, text, &out); }, [&](TArgs& a) { a.Int(0).Str(u"t").OutStr(&out); }, kZNotLoaded},
      {kZ, "Unload", 9, [&] { return z->Unload(); }, [](TArgs&) {}, nullptr},
      {kZ, "Option", 10, [&] { return z->Option(0, text, text, text); }, [](TArgs& a) { a.Int(0).Str(u"t").Str(u"k").Str(u"v"); }, kZNotLoaded},
      {kVLL, "LOADDLL", 1, [&] { return v->LoadDll(text); }, [](TArgs& a) { a.Str(u"/opt/vll/VLL32.DLL"); }, u"VLL engine not available"},
      {kVLL, "Load", 2, [&] { return v->Load(); }, [](TArgs&) {}, u"VLL engine not available"},
      {kVLL, "Command", 3, [&] { return v->Command(text, text, text, text, &out); },
       [&](TArgs& a) { a.Str(u"n").Str(u"t").Str(u"c").Str(u"add").OutStr(&out); }, u"VLL not loaded"},
      {kVLL, "Execute", 4, [&] { return v->Execute(text, text, VARIANT_TRUE, &out); },
       [&](TArgs& a) { a.Str(u"n").Str(u"r").Bool(false).OutStr(&out); }, u"VLL not loaded"},
      {kVLL, "Unload", 5, [&] { return v->Unload(); }, [](TArgs&) {}, nullptr},
      {kCrypt, "Encrypt", 1, [&] { return c->Encrypt(text, &out); }, [&](TArgs& a) { a.Str(u"abc").OutStr(&out); },
       kHaveCrypt ? nullptr : u"Crypt engine not available"},
      {kCrypt, "decrypt", 2, [&] { return c->Decrypt(text, &out); }, [&](TArgs& a) { a.Str(u"abc").OutStr(&out); }, kCryptFails},
      {kVLL2, "Command", 4, [&] { return v2->Command(text, text, text, text, &out); },
       [&](TArgs& a) { a.Str(u"n").Str(u"t").Str(u"c").Str(u"add").OutStr(&out); }, u"VLL2 not loaded"},
      {kVLL2, "Execute", 5, [&] { return v2->Execute(text, text, VARIANT_FALSE, &out); },
       [&](TArgs& a) { a.Str(u"n").Str(u"r").Bool(false).OutStr(&out); }, u"VLL2 not loaded"},
      {kVLL2, "debug", 2, [&] { return v2->put_Debug(VARIANT_TRUE); }, [](TArgs& a) { a.Bool(true).Named(DISPID_PROPERTYPUT); },
       u"VLL2 not loaded", DISPATCH_PROPERTYPUT},
      {kVLL2, "Html", 3, [&] { return v2->put_Html(VARIANT_TRUE); }, [](TArgs& a) { a.Bool(true).Named(DISPID_PROPERTYPUT); },
       u"VLL2 not loaded", DISPATCH_PROPERTYPUT},
      {kVLL2, "Unload", 6, [&] { return v2->Unload(); }, [](TArgs&) {}, nullptr},
      {kVLL2, "Load", 1, [&] { return v2->Load(); }, [](TArgs&) {}, kHaveVLL2 ? nullptr : u"VLL2 engine not available"},
      {kSrc, "cclsearch", 201, [&] { return s->CCLSearch(text, text, text, 1, 1, 10, 100, VARIANT_FALSE, &out); },
       [&](TArgs& a) { a.Str(u"dsn").Str(u"ti=x").Str(u"").I4(1).I4(1).I4(10).I4(100).Bool(false).OutStr(&out); },
       u"VLSrc search engine not available"},
  };
  for (const auto& r : rows) {
    const TClassCase& cls = kClassCases[r.cls];
    SCOPED_TRACE(std::string(cls.name) + "." + r.name);
    std::u16string name(r.name, r.name + std::strlen(r.name));
    LPOLESTR names[] = {name.data()};
    DISPID id = 0;
    EXPECT_EQ(objects[r.cls]->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
    EXPECT_EQ(id, r.id);
    TArgs args;
    r.args(args);
    out = Garbage();
    const HRESULT status = r.early();
    if (r.message == nullptr) {
      EXPECT_EQ(status, S_OK);
      EXPECT_FALSE(TakeError().present);
      if (args.has_out_str()) Server().FreeString(out);
    } else {
      EXPECT_EQ(status, E_UNEXPECTED);
      if (args.has_out_str()) { EXPECT_EQ(out, nullptr); }
      const TErrorRecord e = TakeError();
      ASSERT_TRUE(e.present);
      EXPECT_EQ(e.description, r.message);
      EXPECT_EQ(e.source, cls.progid);
      EXPECT_TRUE(e.iid == cls.iid);
      EXPECT_TRUE(e.help_file.empty());
      EXPECT_EQ(e.help_context, 0u);
      EXPECT_FALSE(TakeError().present);  // taking the record clears it
    }
    out = Server().AllocString(u"stale");  // a failed call frees and empties it
    const TInvokeResult late = Invoke(objects[r.cls], r.id, args, r.flags);
    if (r.message == nullptr) {
      EXPECT_EQ(late.status, S_OK);
    } else {
      EXPECT_EQ(late.status, DISP_E_EXCEPTION);
      EXPECT_EQ(late.scode, E_UNEXPECTED);
      EXPECT_EQ(late.description, r.message);
      EXPECT_EQ(late.source, cls.progid);
      EXPECT_EQ(TakeError().description, r.message);  // also the thread's record
      if (args.has_out_str()) { EXPECT_EQ(out, nullptr); }
    }
    Server().FreeString(out);
  }
  EXPECT_EQ(hits, 1234);  // out integers are written only on success
}

TEST_F(MethodTest, ParameterNamesAndUnknownNames) {
  TRef<IDispatch> vll2 = Create<IDispatch>(CLSID_VLL2, IID_IDispatch);
  std::u16string member = u"Execute", p1 = u"afix", p2 = u"AResult", p3 = u"nosuch", p4 = u"AName";
  LPOLESTR names[] = {member.data(), p1.data(), p2.data(), p3.data(), p4.data()};
  DISPID ids[5] = {};
  EXPECT_EQ(vll2->GetIDsOfNames(IID_NULL, names, 5, 0, ids), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(std::vector<DISPID>(ids, ids + 5), (std::vector<DISPID>{5, 2, 3, DISPID_UNKNOWN, 0}));
  std::u16string unknown = u"Present";  // a ZClient method, not VLL2's
  LPOLESTR one[] = {unknown.data()};
  EXPECT_EQ(vll2->GetIDsOfNames(IID_NULL, one, 1, 0, ids), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(ids[0], DISPID_UNKNOWN);
  EXPECT_EQ(vll2->GetIDsOfNames(IID_IVLL2, one, 1, 0, ids), DISP_E_UNKNOWNINTERFACE);
}

TEST_F(MethodTest, WrongParameterCountsAndMembers) {
  TRef<IDispatch> z = Create<IDispatch>(CLSID_ZClient, IID_IDispatch);
  TArgs one, two, none;
  one.Int(0);
  two.Int(0).Int(1);
  EXPECT_EQ(Invoke(z.get(), 5, one).status, DISP_E_BADPARAMCOUNT);  // Present needs four
  EXPECT_EQ(Invoke(z.get(), 6, two).status, DISP_E_BADPARAMCOUNT);  // Close takes one
  EXPECT_EQ(Invoke(z.get(), 11, none).status, DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Invoke(z.get(), 0, none).status, DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Invoke(z.get(), 9, none, DISPATCH_PROPERTYPUT).status, DISP_E_MEMBERNOTFOUND);  // a method
  EXCEPINFO info{};
  EXPECT_EQ(z->Invoke(9, IID_IZClient, 0, DISPATCH_METHOD, none.params(), nullptr, &info, nullptr),
            DISP_E_UNKNOWNINTERFACE);  // only IID_NULL
  EXPECT_EQ(z->Invoke(9, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr), E_INVALIDARG);
  // Visual Basic calls methods with METHOD | PROPERTYGET.
  EXPECT_EQ(Invoke(z.get(), 9, none, DISPATCH_METHOD | DISPATCH_PROPERTYGET).status, S_OK);
  EXPECT_FALSE(TakeError().present);
  // The write-only properties cannot be read or called.
  TRef<IDispatch> v = Create<IDispatch>(CLSID_VLL2, IID_IDispatch);
  for (DISPID id : {2, 3}) {
    TArgs value;
    value.Bool(true).Named(DISPID_PROPERTYPUT);
    EXPECT_EQ(Invoke(v.get(), id, value, DISPATCH_PROPERTYGET).status, DISP_E_MEMBERNOTFOUND) << id;
    EXPECT_EQ(Invoke(v.get(), id, value, DISPATCH_METHOD).status, DISP_E_MEMBERNOTFOUND) << id;
  }
}

// Integers and booleans take VT_I2, VT_I4, VT_INT and VT_BOOL; strings only
// VT_BSTR. A mismatch names the argument's index in rgvarg.
TEST_F(MethodTest, ArgumentConversion) {
  TRef<IDispatch> z = Create<IDispatch>(CLSID_ZClient, IID_IDispatch);
  const struct {
    const char* what;
    std::function<void(TArgs&)> args;  // Option(ANo int, AType, AKey, AValue string)
    HRESULT status;
    UINT arg_error;
  } cases[] = {
      {"VT_I2", [](TArgs& a) { a.I2(1).Str(u"t").Str(u"k").Str(u"v"); }, DISP_E_EXCEPTION, 999},
      {"VT_I4", [](TArgs& a) { a.I4(1).Str(u"t").Str(u"k").Str(u"v"); }, DISP_E_EXCEPTION, 999},
      {"VT_BOOL", [](TArgs& a) { a.Bool(true).Str(u"t").Str(u"k").Str(u"v"); }, DISP_E_EXCEPTION, 999},
      {"string for int", [](TArgs& a) { a.Str(u"1").Str(u"t").Str(u"k").Str(u"v"); }, DISP_E_TYPEMISMATCH, 3},
      {"int for string", [](TArgs& a) { a.Int(1).Str(u"t").Int(2).Str(u"v"); }, DISP_E_TYPEMISMATCH, 1},
      {"int for last string", [](TArgs& a) { a.Int(1).Str(u"t").Str(u"k").Int(3); }, DISP_E_TYPEMISMATCH, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TArgs args;
    c.args(args);
    const TInvokeResult r = Invoke(z.get(), 10, args);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.arg_error, c.arg_error);
    TakeError();
  }
  TArgs by_value;  // an out integer must be passed by reference
  by_value.Int(0).Int(5);
  const TInvokeResult r = Invoke(z.get(), 4, by_value);
  EXPECT_EQ(r.status, DISP_E_TYPEMISMATCH);
  EXPECT_EQ(r.arg_error, 0u);
}

TEST_F(MethodTest, NamedArguments) {
  TRef<IDispatch> z = Create<IDispatch>(CLSID_ZClient, IID_IDispatch);
  // Option(AValue:="v", ANo:=1, AType:="t", AKey:="k") in any order.
  TArgs args;
  args.Str(u"v").Named(3).Int(1).Named(0).Str(u"t").Named(1).Str(u"k").Named(2);
  // Named arguments stand first in rgvarg in the order of rgdispidNamedArgs;
  // TArgs reverses everything, so reverse the ids as well.
  DISPPARAMS* p = args.params();
  std::reverse(p->rgdispidNamedArgs, p->rgdispidNamedArgs + p->cNamedArgs);
  EXCEPINFO info{};
  EXPECT_EQ(z->Invoke(10, IID_NULL, 0, DISPATCH_METHOD, p, nullptr, &info, nullptr), DISP_E_EXCEPTION);
  Server().FreeString(info.bstrSource);
  Server().FreeString(info.bstrDescription);
  EXPECT_EQ(TakeError().description, u"ZClient not loaded");
  TArgs twice;
  twice.Int(1).Named(0).Int(2).Named(0).Str(u"k").Named(2).Str(u"v").Named(3);
  EXPECT_EQ(Invoke(z.get(), 10, twice).status, DISP_E_PARAMNOTFOUND);
}

}  // namespace
