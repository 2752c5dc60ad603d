// Class objects, object identity and lifetime, all through the library's
// binary interface.
#include <functional>
#include <thread>

#include "com_test_support.h"

namespace {

using ObjectTest = ComTest;

TEST_F(ObjectTest, ClassObjects) {
  for (const TClassCase& c : kClassCases) {
    SCOPED_TRACE(c.name);
    TRef<IUnknown> factory, unknown;
    EXPECT_EQ(Server().GetClassObject(c.clsid, IID_IClassFactory, factory.put()), S_OK);
    EXPECT_TRUE(factory);
    EXPECT_EQ(Server().GetClassObject(c.clsid, IID_IUnknown, unknown.put()), S_OK);
    EXPECT_TRUE(unknown);
    void* object = reinterpret_cast<void*>(0x1);  // a class object is no automation object
    EXPECT_EQ(Server().GetClassObject(c.clsid, IID_IDispatch, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
  }
  for (const GUID* id : {&IID_IVLL2, &LIBID_VelloraX, &IID_NULL}) {  // no class ids
    void* object = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(Server().GetClassObject(*id, IID_IClassFactory, &object), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);
  }
  EXPECT_EQ(Server().GetClassObject(CLSID_VLL2, IID_IClassFactory, nullptr), E_POINTER);
}

TEST_F(ObjectTest, CreateInstanceAndInterfaces) {
  const GUID* foreign[] = {&IID_IClassFactory, &IID_IErrorInfo, &IID_IZClient, &IID_IVLL,
                           &IID_ICrypt,        &IID_IVLL2,      &IID_IVLSrc};
  for (const TClassCase& c : kClassCases) {
    SCOPED_TRACE(c.name);
    TRef<IClassFactory> factory = ClassObject(c.clsid);
    ASSERT_TRUE(factory);
    TRef<IUnknown> object, other, outer;
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, outer.put()), S_OK);
    EXPECT_EQ(factory->CreateInstance(outer.get(), IID_IUnknown, object.put()), CLASS_E_NOAGGREGATION);
    EXPECT_FALSE(object);
    // An interface the object lacks: nothing is handed out and nothing stays alive.
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, object.put()), E_NOINTERFACE);
    EXPECT_FALSE(object);
    EXPECT_EQ(factory->CreateInstance(nullptr, c.iid, nullptr), E_POINTER);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, object.put()), S_OK);
    ASSERT_TRUE(object);
    EXPECT_EQ(factory->CreateInstance(nullptr, c.iid, other.put()), S_OK);
    EXPECT_NE(object.get(), other.get());
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
      void* none = reinterpret_cast<void*>(0x1);
      EXPECT_EQ(object->QueryInterface(*iid, &none), E_NOINTERFACE);
      EXPECT_EQ(none, nullptr);
    }
    UINT count = 7;
    EXPECT_EQ(dispatch->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 0u);
    ITypeInfo* info = reinterpret_cast<ITypeInfo*>(0x1);
    EXPECT_EQ(dispatch->GetTypeInfo(0, 0, &info), DISP_E_BADINDEX);
    EXPECT_EQ(info, nullptr);
  }
}

// DllCanUnloadNow counts live objects, server locks and pending error records.
TEST_F(ObjectTest, ReferenceCountsAndCanUnloadNow) {
  IVLL2* raw = nullptr;
  ASSERT_EQ(ClassObject(CLSID_VLL2)->CreateInstance(nullptr, IID_IVLL2, reinterpret_cast<void**>(&raw)), S_OK);
  EXPECT_EQ(raw->AddRef(), 2u);
  EXPECT_EQ(raw->Release(), 1u);
  EXPECT_EQ(Server().CanUnloadNow(), S_FALSE);
  EXPECT_EQ(raw->Release(), 0u);
  EXPECT_EQ(Server().CanUnloadNow(), S_OK);
  TRef<IClassFactory> factory = ClassObject(CLSID_Crypt);
  EXPECT_EQ(Server().CanUnloadNow(), S_OK);  // holding a class object is no lock
  {
    TRef<ICrypt> a = Create<ICrypt>(CLSID_Crypt, IID_ICrypt);
    TRef<IVLSrc> b = Create<IVLSrc>(CLSID_VLSrc, IID_IVLSrc);
    a.reset();
    EXPECT_EQ(Server().CanUnloadNow(), S_FALSE);
  }
  EXPECT_EQ(Server().CanUnloadNow(), S_OK);
  EXPECT_EQ(factory->LockServer(1), S_OK);
  EXPECT_EQ(factory->LockServer(1), S_OK);
  EXPECT_EQ(factory->LockServer(0), S_OK);
  EXPECT_EQ(Server().CanUnloadNow(), S_FALSE);
  EXPECT_EQ(factory->LockServer(0), S_OK);
  EXPECT_EQ(Server().CanUnloadNow(), S_OK);
  // An unlock without a lock cannot make a later lock ineffective.
  EXPECT_EQ(factory->LockServer(0), S_OK);
  EXPECT_EQ(factory->LockServer(1), S_OK);
  EXPECT_EQ(Server().CanUnloadNow(), S_FALSE);
  EXPECT_EQ(factory->LockServer(0), S_OK);
  TRef<IZClient> z = Create<IZClient>(CLSID_ZClient, IID_IZClient);
  EXPECT_EQ(z->Synchronize(), E_UNEXPECTED);
  z.reset();
  EXPECT_EQ(Server().CanUnloadNow(), S_FALSE);
  EXPECT_TRUE(TakeError().present);
  EXPECT_EQ(Server().CanUnloadNow(), S_OK);
}

// A null out pointer is refused instead of being written through.
TEST_F(ObjectTest, NullOutPointersAreRefused) {
  TRef<IVLL2> v = Create<IVLL2>(CLSID_VLL2, IID_IVLL2);
  TRef<IZClient> z = Create<IZClient>(CLSID_ZClient, IID_IZClient);
  TRef<ICrypt> c = Create<ICrypt>(CLSID_Crypt, IID_ICrypt);
  TStr text(u"x");
  const std::function<HRESULT()> calls[] = {[&] { return v->Execute(text, text, VARIANT_FALSE, nullptr); },
                                            [&] { return z->Hits(0, nullptr); },
                                            [&] { return c->Encrypt(text, nullptr); }};
  for (const auto& call : calls) {
    EXPECT_EQ(call(), E_POINTER);
    EXPECT_EQ(TakeError().description, u"Invalid pointer");
  }
}

TEST_F(ObjectTest, ErrorRecordsBelongToTheirThread) {
  TRef<IVLSrc> s = Create<IVLSrc>(CLSID_VLSrc, IID_IVLSrc);  // free-threaded
  BSTR value = nullptr;
  EXPECT_EQ(s->CCLSearch(nullptr, nullptr, nullptr, 0, 0, 0, 0, 0, &value), E_UNEXPECTED);
  bool other_thread_saw_record = true;
  std::thread([&] { other_thread_saw_record = TakeError().present; }).join();
  EXPECT_FALSE(other_thread_saw_record);
  EXPECT_TRUE(TakeError().present);
}

}  // namespace
