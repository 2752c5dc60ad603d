// Late binding through IDispatch: names to dispatch ids, Invoke for every
// dispatch id of every interface (also where slot and id differ), argument
// conversion and the exception information of failed calls.
#include <algorithm>
#include <functional>
#include <vector>

#include "com_test_support.h"

namespace {

// Builds DISPPARAMS from arguments given in declaration order (Invoke wants
// them reversed) and owns the BSTRs it makes.
class TArgs {
 public:
  TArgs& Int(INT v) { return Push(VT_INT, [&](VARIANT& x) { x.intVal = v; }); }
  TArgs& I2(SHORT v) { return Push(VT_I2, [&](VARIANT& x) { x.iVal = v; }); }
  TArgs& I4(LONG v) { return Push(VT_I4, [&](VARIANT& x) { x.lVal = v; }); }
  TArgs& Bool(bool v) { return Push(VT_BOOL, [&](VARIANT& x) { x.boolVal = v ? VARIANT_TRUE : VARIANT_FALSE; }); }
  TArgs& Str(std::u16string_view v) {
    BSTR b = Server().AllocStringLen(v.data(), static_cast<UINT>(v.size()));
    return Push(VT_BSTR, [&](VARIANT& x) { x.bstrVal = b; });
  }
  TArgs& OutStr(BSTR* target) {
    return Push(VT_BYREF | VT_BSTR, [&](VARIANT& x) { x.pbstrVal = target; });
  }
  TArgs& OutInt(LONG* target) {
    return Push(VT_BYREF | VT_I4, [&](VARIANT& x) { x.plVal = target; });
  }
  TArgs& OutVariant(VARIANT* target) {
    return Push(VT_BYREF | VT_VARIANT, [&](VARIANT& x) { x.pvarVal = target; });
  }
  TArgs& Named(DISPID id) {
    named_.push_back(id);
    return *this;
  }
  ~TArgs() {
    for (VARIANT& v : args_) Server().ClearVariant(&v);
  }

  DISPPARAMS* params() {
    reversed_.assign(args_.rbegin(), args_.rend());
    params_ = {reversed_.data(), named_.data(), static_cast<UINT>(reversed_.size()),
               static_cast<UINT>(named_.size())};
    return &params_;
  }

 private:
  template <class F>
  TArgs& Push(VARTYPE vt, F set) {
    VARIANT v{};
    v.vt = vt;
    set(v);
    args_.push_back(v);
    return *this;
  }
  std::vector<VARIANT> args_, reversed_;
  std::vector<DISPID> named_;
  DISPPARAMS params_{};
};

struct TInvokeResult {
  HRESULT status;
  std::u16string description;
  std::u16string source;
  SCODE scode = 0;
  UINT arg_error = 999;
};

TInvokeResult Invoke(IDispatch* object, DISPID id, TArgs& args, WORD flags = DISPATCH_METHOD,
                     VARIANT* result = nullptr) {
  EXCEPINFO info{};
  TInvokeResult r{};
  r.status = object->Invoke(id, IID_NULL, 0, flags, args.params(), result, &info, &r.arg_error);
  TStr source, description;
  *source.put() = info.bstrSource;
  *description.put() = info.bstrDescription;
  Server().FreeString(info.bstrHelpFile);
  r.description = description.text();
  r.source = source.text();
  r.scode = info.scode;
  return r;
}

TRef<IDispatch> Object(const GUID& clsid) { return Create<IDispatch>(clsid, IID_IDispatch); }

using NamesTest = ComTest;

TEST_F(NamesTest, EveryMemberByNameIgnoringCase) {
  const struct {
    const GUID& clsid;
    std::u16string_view name;
    DISPID id;
  } cases[] = {
      {CLSID_ZClient, u"Load", 1},     {CLSID_ZClient, u"init", 2},    {CLSID_ZClient, u"SEARCH", 3},
      {CLSID_ZClient, u"Hits", 4},     {CLSID_ZClient, u"Close", 6},   {CLSID_ZClient, u"Synchronize", 7},
      {CLSID_ZClient, u"Error", 8},    {CLSID_ZClient, u"Unload", 9},  {CLSID_ZClient, u"present", 5},
      {CLSID_ZClient, u"Option", 10},  {CLSID_VLL, u"Command", 3},     {CLSID_VLL, u"Execute", 4},
      {CLSID_VLL, u"Load", 2},         {CLSID_VLL, u"Unload", 5},      {CLSID_VLL, u"LOADDLL", 1},
      {CLSID_Crypt, u"Encrypt", 1},    {CLSID_Crypt, u"decrypt", 2},   {CLSID_VLL2, u"Load", 1},
      {CLSID_VLL2, u"Command", 4},     {CLSID_VLL2, u"Execute", 5},    {CLSID_VLL2, u"Unload", 6},
      {CLSID_VLL2, u"debug", 2},       {CLSID_VLL2, u"Html", 3},       {CLSID_VLSrc, u"cclsearch", 201},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Narrow(c.name));
    TRef<IDispatch> object = Object(c.clsid);
    std::u16string name(c.name);
    LPOLESTR names[] = {name.data()};
    DISPID id = 0;
    EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
    EXPECT_EQ(id, c.id);
  }
}

TEST_F(NamesTest, ParameterNamesAndUnknownNames) {
  TRef<IDispatch> vll2 = Object(CLSID_VLL2);
  std::u16string member = u"Execute", p1 = u"afix", p2 = u"AResult", p3 = u"nosuch", p4 = u"AName";
  LPOLESTR names[] = {member.data(), p1.data(), p2.data(), p3.data(), p4.data()};
  DISPID ids[5] = {};
  EXPECT_EQ(vll2->GetIDsOfNames(IID_NULL, names, 5, 0, ids), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(ids[0], 5);
  EXPECT_EQ(ids[1], 2);
  EXPECT_EQ(ids[2], 3);
  EXPECT_EQ(ids[3], DISPID_UNKNOWN);
  EXPECT_EQ(ids[4], 0);
  std::u16string unknown = u"Present";  // a ZClient method, not VLL2's
  LPOLESTR one[] = {unknown.data()};
  EXPECT_EQ(vll2->GetIDsOfNames(IID_NULL, one, 1, 0, ids), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(ids[0], DISPID_UNKNOWN);
  EXPECT_EQ(vll2->GetIDsOfNames(IID_IVLL2, one, 1, 0, ids), DISP_E_UNKNOWNINTERFACE);
}

using InvokeTest = ComTest;

// Every dispatch id reaches the operation its table names: a failing shell
// method reports its own message as exception information.
TEST_F(InvokeTest, EveryDispatchIdOfTheShells) {
  BSTR out = nullptr;
  LONG hits = 77;
  const struct {
    const char* what;
    const TClassCase& c;
    DISPID id;
    std::function<void(TArgs&)> args;
    const char16_t* message;  // null: the call succeeds
  } cases[] = {
      {"ZClient.Load", kClassCases[0], 1, [](TArgs& a) { a.Int(1).Bool(false); }, u"ZClient library not available"},
      {"ZClient.Init", kClassCases[0], 2,
       [](TArgs& a) { a.Int(0).Str(u"host").Int(210).Str(u"db").Str(u"u").Str(u"p").Bool(true); },
       u"ZClient not loaded"},
      {"ZClient.Search", kClassCases[0], 3,
       [](TArgs& a) { a.Int(0).Str(u"q").Str(u"F").Str(u"USMARC").Int(1).Int(10); }, u"ZClient not loaded"},
      {"ZClient.Hits", kClassCases[0], 4, [&](TArgs& a) { a.Int(0).OutInt(&hits); }, u"ZClient not loaded"},
      {"ZClient.Present (slot 9)", kClassCases[0], 5,
       [&](TArgs& a) { a.Int(0).Int(1).Str(u"F").OutStr(&out); }, u"ZClient not loaded"},
      {"ZClient.Close (slot 5)", kClassCases[0], 6, [](TArgs& a) { a.Int(0); }, u"ZClient not loaded"},
      {"ZClient.Synchronize", kClassCases[0], 7, [](TArgs&) {}, u"ZClient not loaded"},
      {"ZClient.Error", kClassCases[0], 8, [&](TArgs& a) { a.Int(0).Str(u"t").OutStr(&out); }, u"ZClient not loaded"},
      {"ZClient.Unload", kClassCases[0], 9, [](TArgs&) {}, nullptr},
      {"ZClient.Option", kClassCases[0], 10, [](TArgs& a) { a.Int(0).Str(u"t").Str(u"k").Str(u"v"); },
       u"ZClient not loaded"},
      {"VLL.LoadDll (slot 5)", kClassCases[1], 1, [](TArgs& a) { a.Str(u"/opt/vll/VLL32.DLL"); },
       u"VLL engine not available"},
      {"VLL.Load (slot 3)", kClassCases[1], 2, [](TArgs&) {}, u"VLL engine not available"},
      {"VLL.Command (slot 1)", kClassCases[1], 3,
       [&](TArgs& a) { a.Str(u"n").Str(u"t").Str(u"c").Str(u"add").OutStr(&out); }, u"VLL not loaded"},
      {"VLL.Execute (slot 2)", kClassCases[1], 4,
       [&](TArgs& a) { a.Str(u"n").Str(u"r").Bool(false).OutStr(&out); }, u"VLL not loaded"},
      {"VLL.Unload (slot 4)", kClassCases[1], 5, [](TArgs&) {}, nullptr},
      {"VLL2.Command (slot 2)", kClassCases[3], 4,
       [&](TArgs& a) { a.Str(u"n").Str(u"t").Str(u"c").Str(u"add").OutStr(&out); }, u"VLL2 not loaded"},
      {"VLL2.Execute (slot 3)", kClassCases[3], 5,
       [&](TArgs& a) { a.Str(u"n").Str(u"r").Bool(false).OutStr(&out); }, u"VLL2 not loaded"},
      {"VLL2.Unload (slot 4)", kClassCases[3], 6, [](TArgs&) {}, nullptr},
      {"VLSrc.CCLSearch", kClassCases[4], 201,
       [&](TArgs& a) {
         a.Str(u"dsn").Str(u"ti=x").Str(u"").I4(1).I4(1).I4(10).I4(100).Bool(false).OutStr(&out);
       },
       u"VLSrc search engine not available"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TRef<IDispatch> object = Object(c.c.clsid);
    TArgs args;
    c.args(args);
    out = Server().AllocString(u"stale");  // freed and emptied by the failed call
    const TInvokeResult r = Invoke(object.get(), c.id, args);
    if (c.message == nullptr) {
      EXPECT_EQ(r.status, S_OK);
    } else {
      EXPECT_EQ(r.status, DISP_E_EXCEPTION);
      EXPECT_EQ(r.scode, E_UNEXPECTED);
      EXPECT_EQ(Narrow(r.description), Narrow(c.message));
      EXPECT_EQ(Narrow(r.source), Narrow(c.c.progid));
      // The record stays the thread's current one as well.
      EXPECT_EQ(Narrow(TakeError().description), Narrow(c.message));
    }
    Server().FreeString(out);
  }
  EXPECT_EQ(hits, 77);
}

TEST_F(InvokeTest, WrongParameterCountsAndMembers) {
  TRef<IDispatch> z = Object(CLSID_ZClient);
  TArgs close_args;  // Close's one argument is not enough for Present (id 5)
  close_args.Int(0);
  EXPECT_EQ(Invoke(z.get(), 5, close_args).status, DISP_E_BADPARAMCOUNT);
  TArgs too_many;
  too_many.Int(0).Int(1);
  EXPECT_EQ(Invoke(z.get(), 6, too_many).status, DISP_E_BADPARAMCOUNT);
  TArgs none;
  EXPECT_EQ(Invoke(z.get(), 11, none).status, DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Invoke(z.get(), 0, none).status, DISP_E_MEMBERNOTFOUND);
  // Methods cannot be assigned to.
  EXPECT_EQ(Invoke(z.get(), 9, none, DISPATCH_PROPERTYPUT).status, DISP_E_MEMBERNOTFOUND);
  // Only IID_NULL is a valid riid.
  EXCEPINFO info{};
  EXPECT_EQ(z->Invoke(9, IID_IZClient, 0, DISPATCH_METHOD, none.params(), nullptr, &info, nullptr),
            DISP_E_UNKNOWNINTERFACE);
  EXPECT_EQ(z->Invoke(9, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr), E_INVALIDARG);
  // Visual Basic calls methods with METHOD | PROPERTYGET.
  EXPECT_EQ(Invoke(z.get(), 9, none, DISPATCH_METHOD | DISPATCH_PROPERTYGET).status, S_OK);
  EXPECT_FALSE(TakeError().present);
}

// Integers and booleans take VT_I2, VT_I4, VT_INT and VT_BOOL; strings only
// VT_BSTR. A mismatch names the argument's index in rgvarg.
TEST_F(InvokeTest, ArgumentConversion) {
  TRef<IDispatch> z = Object(CLSID_ZClient);
  const struct {
    const char* what;
    std::function<void(TArgs&)> args;  // Option(ANo int, AType, AKey, AValue string)
    HRESULT status;
    UINT arg_error;
  } cases[] = {
      {"VT_INT", [](TArgs& a) { a.Int(1).Str(u"t").Str(u"k").Str(u"v"); }, DISP_E_EXCEPTION, 999},
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
  // An out integer must be passed by reference.
  TArgs by_value;
  by_value.Int(0).Int(5);
  const TInvokeResult r = Invoke(z.get(), 4, by_value);
  EXPECT_EQ(r.status, DISP_E_TYPEMISMATCH);
  EXPECT_EQ(r.arg_error, 0u);
}

TEST_F(InvokeTest, NamedArguments) {
  TRef<IDispatch> z = Object(CLSID_ZClient);
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
  TakeError();
  TArgs twice;
  twice.Int(1).Named(0).Int(2).Named(0).Str(u"k").Named(2).Str(u"v").Named(3);
  UINT arg_error = 999;
  EXPECT_EQ(z->Invoke(10, IID_NULL, 0, DISPATCH_METHOD, twice.params(), nullptr, &info, &arg_error),
            DISP_E_PARAMNOTFOUND);
}

TEST_F(InvokeTest, WriteOnlyPropertiesArePut) {
  TRef<IDispatch> v = Object(CLSID_VLL2);
  for (DISPID id : {2, 3}) {
    SCOPED_TRACE(id);
    TArgs value;
    value.Bool(true).Named(DISPID_PROPERTYPUT);
    // Reading or calling a write-only property finds nothing.
    EXPECT_EQ(Invoke(v.get(), id, value, DISPATCH_PROPERTYGET).status, DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(Invoke(v.get(), id, value, DISPATCH_METHOD).status, DISP_E_MEMBERNOTFOUND);
    // Unloaded: the put reaches the object and fails there.
    const TInvokeResult r = Invoke(v.get(), id, value, DISPATCH_PROPERTYPUT);
    EXPECT_EQ(r.status, DISP_E_EXCEPTION);
    EXPECT_EQ(Narrow(r.description), "VLL2 not loaded");
    TakeError();
  }
}

}  // namespace
