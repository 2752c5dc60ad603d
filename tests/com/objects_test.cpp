// Class objects, object identity and lifetime, and the error convention of
// the early-bound methods, all through the library's binary interface.
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

#include "com_test_support.h"

namespace {

using ClassObjectTest = ComTest;

TEST_F(ClassObjectTest, EveryClassHasAClassObject) {
  for (const TClassCase& c : kClassCases) {
    SCOPED_TRACE(c.name);
    void* object = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(Server().GetClassObject(c.clsid, IID_IClassFactory, &object), S_OK);
    ASSERT_NE(object, nullptr);
    static_cast<IClassFactory*>(object)->Release();
    TRef<IUnknown> unknown;
    EXPECT_EQ(Server().GetClassObject(c.clsid, IID_IUnknown, unknown.put()), S_OK);
    EXPECT_TRUE(unknown);
    // A class object is no automation object.
    object = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(Server().GetClassObject(c.clsid, IID_IDispatch, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
  }
}

TEST_F(ClassObjectTest, UnknownClassIsNotAvailable) {
  // Interface and library ids are no class ids.
  for (const GUID* id : {&IID_IVLL2, &LIBID_VelloraX, &IID_NULL}) {
    void* object = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(Server().GetClassObject(*id, IID_IClassFactory, &object), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);
  }
  EXPECT_EQ(Server().GetClassObject(CLSID_VLL2, IID_IClassFactory, nullptr), E_POINTER);
}

TEST_F(ClassObjectTest, CreateInstanceRulesAndMultipleInstances) {
  for (const TClassCase& c : kClassCases) {
    SCOPED_TRACE(c.name);
    TRef<IClassFactory> factory = ClassObject(c.clsid);
    ASSERT_TRUE(factory);
    TRef<IUnknown> a, b, outer;
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, outer.put()), S_OK);
    EXPECT_EQ(factory->CreateInstance(outer.get(), IID_IUnknown, a.put()), CLASS_E_NOAGGREGATION);
    EXPECT_FALSE(a);
    // An interface the object lacks: nothing is handed out and nothing stays alive.
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, a.put()), E_NOINTERFACE);
    EXPECT_FALSE(a);
    EXPECT_EQ(factory->CreateInstance(nullptr, c.iid, nullptr), E_POINTER);
    EXPECT_EQ(factory->CreateInstance(nullptr, c.iid, a.put()), S_OK);
    EXPECT_EQ(factory->CreateInstance(nullptr, c.iid, b.put()), S_OK);
    EXPECT_NE(a.get(), b.get());
  }
}

TEST_F(ClassObjectTest, InterfacesOfAnObject) {
  const GUID* foreign[] = {&IID_IClassFactory, &IID_IErrorInfo, &IID_IZClient, &IID_IVLL,
                           &IID_ICrypt,        &IID_IVLL2,      &IID_IVLSrc};
  for (const TClassCase& c : kClassCases) {
    SCOPED_TRACE(c.name);
    TRef<IUnknown> object = Create<IUnknown>(c.clsid, IID_IUnknown);
    ASSERT_TRUE(object);
    TRef<IDispatch> own, dispatch;
    TRef<ISupportErrorInfo> support;
    TRef<IUnknown> identity;
    EXPECT_EQ(object->QueryInterface(c.iid, own.put()), S_OK);
    EXPECT_EQ(object->QueryInterface(IID_IDispatch, dispatch.put()), S_OK);
    EXPECT_EQ(object->QueryInterface(IID_ISupportErrorInfo, support.put()), S_OK);
    // The dual interface is the IDispatch, and IUnknown is one pointer from every interface.
    EXPECT_EQ(own.get(), dispatch.get());
    EXPECT_EQ(support->QueryInterface(IID_IUnknown, identity.put()), S_OK);
    EXPECT_EQ(identity.get(), object.get());
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(c.iid), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);
    for (const GUID* iid : foreign) {
      if (*iid == c.iid) continue;
      void* other = reinterpret_cast<void*>(0x1);
      EXPECT_EQ(object->QueryInterface(*iid, &other), E_NOINTERFACE);
      EXPECT_EQ(other, nullptr);
    }
    UINT count = 7;
    EXPECT_EQ(dispatch->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 0u);
    ITypeInfo* info = reinterpret_cast<ITypeInfo*>(0x1);
    EXPECT_EQ(dispatch->GetTypeInfo(0, 0, &info), DISP_E_BADINDEX);
    EXPECT_EQ(info, nullptr);
  }
}

TEST_F(ClassObjectTest, ReferenceCounting) {
  IVLL2* raw = nullptr;
  ASSERT_EQ(ClassObject(CLSID_VLL2)->CreateInstance(nullptr, IID_IVLL2, reinterpret_cast<void**>(&raw)), S_OK);
  EXPECT_EQ(raw->AddRef(), 2u);
  EXPECT_EQ(raw->AddRef(), 3u);
  EXPECT_EQ(raw->Release(), 2u);
  EXPECT_EQ(raw->Release(), 1u);
  EXPECT_EQ(Server().CanUnloadNow(), S_FALSE);
  EXPECT_EQ(raw->Release(), 0u);
  EXPECT_EQ(Server().CanUnloadNow(), S_OK);
}

TEST_F(ClassObjectTest, CanUnloadNowCountsObjectsAndServerLocks) {
  EXPECT_EQ(Server().CanUnloadNow(), S_OK);
  TRef<IClassFactory> factory = ClassObject(CLSID_Crypt);
  EXPECT_EQ(Server().CanUnloadNow(), S_OK);  // holding a class object is no lock
  {
    TRef<ICrypt> a = Create<ICrypt>(CLSID_Crypt, IID_ICrypt);
    TRef<IVLSrc> b = Create<IVLSrc>(CLSID_VLSrc, IID_IVLSrc);
    EXPECT_EQ(Server().CanUnloadNow(), S_FALSE);
    a.reset();
    EXPECT_EQ(Server().CanUnloadNow(), S_FALSE);
  }
  EXPECT_EQ(Server().CanUnloadNow(), S_OK);
  EXPECT_EQ(factory->LockServer(1), S_OK);
  EXPECT_EQ(factory->LockServer(1), S_OK);
  EXPECT_EQ(Server().CanUnloadNow(), S_FALSE);
  EXPECT_EQ(factory->LockServer(0), S_OK);
  EXPECT_EQ(Server().CanUnloadNow(), S_FALSE);
  EXPECT_EQ(factory->LockServer(0), S_OK);
  EXPECT_EQ(Server().CanUnloadNow(), S_OK);
  // An unlock without a lock cannot make a later lock ineffective.
  EXPECT_EQ(factory->LockServer(0), S_OK);
  EXPECT_EQ(factory->LockServer(1), S_OK);
  EXPECT_EQ(Server().CanUnloadNow(), S_FALSE);
  EXPECT_EQ(factory->LockServer(0), S_OK);
  // A pending error record is an object of the library too.
  TRef<IZClient> z = Create<IZClient>(CLSID_ZClient, IID_IZClient);
  EXPECT_EQ(z->Synchronize(), E_UNEXPECTED);
  z.reset();
  EXPECT_EQ(Server().CanUnloadNow(), S_FALSE);
  EXPECT_TRUE(TakeError().present);
  EXPECT_EQ(Server().CanUnloadNow(), S_OK);
}

// One early-bound call that must fail through the error convention.
struct TFailingCall {
  const char* what;
  std::u16string_view message;
  std::function<HRESULT()> call;
};

void ExpectFailures(const TClassCase& c, const std::vector<TFailingCall>& calls) {
  for (const TFailingCall& f : calls) {
    SCOPED_TRACE(std::string(c.name) + "." + f.what);
    EXPECT_EQ(f.call(), E_UNEXPECTED);
    const TErrorRecord record = TakeError();
    ASSERT_TRUE(record.present);
    EXPECT_EQ(Narrow(record.description), Narrow(f.message));
    EXPECT_EQ(Narrow(record.source), Narrow(c.progid));
    EXPECT_TRUE(record.iid == c.iid);
    EXPECT_TRUE(record.help_file.empty());
    EXPECT_EQ(record.help_context, 0u);
    EXPECT_FALSE(TakeError().present);  // taking the record clears it
  }
}

// Marks an out string the callee must overwrite with "empty" without freeing.
BSTR Garbage() { return reinterpret_cast<BSTR>(uintptr_t{0x10}); }

using ShellTest = ComTest;

TEST_F(ShellTest, ZClientWithoutItsLibrary) {
  TRef<IZClient> z = Create<IZClient>(CLSID_ZClient, IID_IZClient);
  ASSERT_TRUE(z);
  TStr host(u"z3950.example.org"), text(u"x");
  BSTR result = Garbage();
  INT hits = 1234;
  const std::u16string_view kNotLoaded = u"ZClient not loaded";
  ExpectFailures(kClassCases[0], {
      {"Hits", kNotLoaded, [&] { return z->Hits(0, &hits); }},
      {"Load", u"ZClient library not available", [&] { return z->Load(2, VARIANT_TRUE); }},
      {"Init", kNotLoaded, [&] { return z->Init(0, host, 210, text, text, text, VARIANT_FALSE); }},
      {"Search", kNotLoaded, [&] { return z->Search(0, text, text, text, 1, 10); }},
      {"Close", kNotLoaded, [&] { return z->Close(0); }},
      {"Synchronize", kNotLoaded, [&] { return z->Synchronize(); }},
      {"Error", kNotLoaded, [&] { return z->Error(0, text, &result); }},
      {"Present", kNotLoaded, [&] { return z->Present(0, 1, text, &result); }},
      {"Option", kNotLoaded, [&] { return z->Option(0, text, text, text); }},
  });
  EXPECT_EQ(hits, 1234);  // out integers are written only on success
  EXPECT_EQ(result, nullptr);
  EXPECT_EQ(z->Unload(), S_OK);
  EXPECT_EQ(z->Unload(), S_OK);
  EXPECT_FALSE(TakeError().present);
}

TEST_F(ShellTest, VLLWithoutItsEngine) {
  TRef<IVLL> v = Create<IVLL>(CLSID_VLL, IID_IVLL);
  ASSERT_TRUE(v);
  TStr text(u"x");
  BSTR result = Garbage();
  ExpectFailures(kClassCases[1], {
      {"Load", u"VLL engine not available", [&] { return v->Load(); }},
      {"LoadDll", u"VLL engine not available", [&] { return v->LoadDll(text); }},
      {"Command", u"VLL not loaded", [&] { return v->Command(text, text, text, text, &result); }},
      {"Execute", u"VLL not loaded", [&] { return v->Execute(text, text, VARIANT_TRUE, &result); }},
  });
  EXPECT_EQ(result, nullptr);
  EXPECT_EQ(v->Unload(), S_OK);
}

TEST_F(ShellTest, VLSrcWithoutItsEngine) {
  TRef<IVLSrc> s = Create<IVLSrc>(CLSID_VLSrc, IID_IVLSrc);
  ASSERT_TRUE(s);
  TStr dsn(u"catalogue"), ccl(u"ti=hamsun"), order(u"");
  BSTR value = Garbage();
  ExpectFailures(kClassCases[4], {
      {"CCLSearch", u"VLSrc search engine not available",
       [&] { return s->CCLSearch(dsn, ccl, order, 1, 1, 10, 100, VARIANT_FALSE, &value); }},
  });
  EXPECT_EQ(value, nullptr);
}

TEST_F(ShellTest, UnloadedVLL2) {
  TRef<IVLL2> v = Create<IVLL2>(CLSID_VLL2, IID_IVLL2);
  ASSERT_TRUE(v);
  TStr text(u"x");
  BSTR result = Garbage();
  const std::u16string_view kNotLoaded = u"VLL2 not loaded";
  std::vector<TFailingCall> calls = {
      {"Command", kNotLoaded, [&] { return v->Command(text, text, text, text, &result); }},
      {"Execute", kNotLoaded, [&] { return v->Execute(text, text, VARIANT_FALSE, &result); }},
      {"Debug", kNotLoaded, [&] { return v->put_Debug(VARIANT_TRUE); }},
      {"Html", kNotLoaded, [&] { return v->put_Html(VARIANT_TRUE); }},
  };
  if (!HaveVLL2()) calls.push_back({"Load", u"VLL2 engine not available", [&] { return v->Load(); }});
  ExpectFailures(kClassCases[3], calls);
  EXPECT_EQ(result, nullptr);
  EXPECT_EQ(v->Unload(), S_OK);
  EXPECT_EQ(v->Unload(), S_OK);
}

TEST_F(ShellTest, CryptWithoutItsCipher) {
  if (HaveCrypt()) GTEST_SKIP() << "the cipher is built";
  TRef<ICrypt> c = Create<ICrypt>(CLSID_Crypt, IID_ICrypt);
  ASSERT_TRUE(c);
  TStr text(u"secret");
  BSTR result = Garbage();
  ExpectFailures(kClassCases[2], {
      {"Encrypt", u"Crypt engine not available", [&] { return c->Encrypt(text, &result); }},
      {"Decrypt", u"Crypt engine not available", [&] { return c->Decrypt(text, &result); }},
  });
  EXPECT_EQ(result, nullptr);
}

// A null out pointer is refused instead of being written through.
TEST_F(ShellTest, NullOutPointersAreRefused) {
  TRef<IVLL2> v = Create<IVLL2>(CLSID_VLL2, IID_IVLL2);
  TRef<IZClient> z = Create<IZClient>(CLSID_ZClient, IID_IZClient);
  TRef<ICrypt> c = Create<ICrypt>(CLSID_Crypt, IID_ICrypt);
  TStr text(u"x");
  const struct {
    const char* what;
    std::function<HRESULT()> call;
  } calls[] = {
      {"VLL2.Execute", [&] { return v->Execute(text, text, VARIANT_FALSE, nullptr); }},
      {"ZClient.Hits", [&] { return z->Hits(0, nullptr); }},
      {"Crypt.Encrypt", [&] { return c->Encrypt(text, nullptr); }},
  };
  for (const auto& call : calls) {
    SCOPED_TRACE(call.what);
    EXPECT_EQ(call.call(), E_POINTER);
    EXPECT_EQ(Narrow(TakeError().description), "Invalid pointer");
  }
}

// Each thread has its own error record.
TEST_F(ShellTest, ErrorRecordsBelongToTheirThread) {
  TRef<IVLSrc> s = Create<IVLSrc>(CLSID_VLSrc, IID_IVLSrc);  // free-threaded
  BSTR value = nullptr;
  EXPECT_EQ(s->CCLSearch(nullptr, nullptr, nullptr, 0, 0, 0, 0, 0, &value), E_UNEXPECTED);
  bool other_thread_saw_record = true;
  std::thread([&] { other_thread_saw_record = TakeError().present; }).join();
  EXPECT_FALSE(other_thread_saw_record);
  EXPECT_TRUE(TakeError().present);
}

}  // namespace
