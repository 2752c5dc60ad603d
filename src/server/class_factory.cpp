#include "server/class_factory.h"

#include "com/call_frame.h"
#include "com/live_objects.h"
#include "server/type_library.h"

namespace vellorax::server {
namespace {

class TClassFactory final : public IClassFactory {
 public:
  explicit constexpr TClassFactory(TClassIndex index) : index_(index) {}

  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IClassFactory) {
      *object = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return 2; }
  ULONG Release() override { return 1; }

  HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    const TClassInfo& info = ClassInfo(index_);
    return com::CallFrame({info.progid, IID_IClassFactory}, E_OUTOFMEMORY, [&] {
      IUnknown* created = info.create();
      const HRESULT status = created->QueryInterface(riid, object);
      created->Release();  // the object lives on only through *object
      return status;
    });
  }

  HRESULT LockServer(BOOL lock) override {
    com::LockServer(lock != 0);
    return S_OK;
  }

 private:
  TClassIndex index_;
};

TClassFactory factories[] = {
    TClassFactory(TClassIndex::kZClient), TClassFactory(TClassIndex::kVLL),
    TClassFactory(TClassIndex::kCrypt),   TClassFactory(TClassIndex::kVLL2),
    TClassFactory(TClassIndex::kVLSrc),
};

}  // namespace

IClassFactory* FindClassFactory(const GUID& clsid) {
  const auto classes = Classes();
  for (size_t i = 0; i < classes.size(); ++i)
    if (classes[i].clsid == clsid) return &factories[i];
  return nullptr;
}

}  // namespace vellorax::server
