// TZClient, the ZClient object: a shell over the Z39.50 client worker, held
// between Load and Unload. This build has no Z39.50 client library, so Load
// fails and the object stays unloaded.
#include <stdexcept>

#include "server/automation_object.h"
#include "server/objects.h"

namespace vellorax::server {
namespace {

class TZClient final : public TAutomationObject<TZClient, IZClient> {
 public:
  TZClient() : TAutomationObject(ClassInfo(TClassIndex::kZClient)) {}

  HRESULT Load(INT, VARIANT_BOOL) override {
    return Frame([&] { throw std::runtime_error("ZClient library not available"); });
  }
  HRESULT Init(INT, BSTR, INT, BSTR, BSTR, BSTR, VARIANT_BOOL) override {
    return Frame([&] { RequireLoaded(); });
  }
  HRESULT Search(INT, BSTR, BSTR, BSTR, INT, INT) override {
    return Frame([&] { RequireLoaded(); });
  }
  // AHits is written only on success.
  HRESULT Hits(INT, INT* AHits) override {
    return Frame([&] {
      CheckOut(AHits);
      RequireLoaded();
    });
  }
  HRESULT Close(INT) override {
    return Frame([&] { RequireLoaded(); });
  }
  HRESULT Synchronize() override {
    return Frame([&] { RequireLoaded(); });
  }
  HRESULT Error(INT, BSTR, BSTR* AResult) override {
    return Frame([&] {
      ClearOut(AResult);
      RequireLoaded();
    });
  }
  // Unloading an unloaded object does nothing and succeeds.
  HRESULT Unload() override {
    return Frame([] {});
  }
  HRESULT Present(INT, INT, BSTR, BSTR* AResult) override {
    return Frame([&] {
      ClearOut(AResult);
      RequireLoaded();
    });
  }
  HRESULT Option(INT, BSTR, BSTR, BSTR) override {
    return Frame([&] { RequireLoaded(); });
  }

 private:
  [[noreturn]] static void RequireLoaded() { throw std::runtime_error("ZClient not loaded"); }
};

}  // namespace

IUnknown* NewZClient() { return static_cast<IZClient*>(new TZClient()); }

}  // namespace vellorax::server
