// TVLL, the VLL object: a shell over the version 1 macro engine bridge, held
// between Load (or LoadDll) and Unload. This build has no version 1 engine
// bridge, so loading fails and the object stays unloaded.
#include <stdexcept>

#include "server/automation_object.h"
#include "server/objects.h"

namespace vellorax::server {
namespace {

class TVLL final : public TAutomationObject<TVLL, IVLL> {
 public:
  TVLL() : TAutomationObject(ClassInfo(TClassIndex::kVLL)) {}

  HRESULT Command(BSTR, BSTR, BSTR, BSTR, BSTR* AResult) override {
    return Frame([&] {
      ClearOut(AResult);
      RequireLoaded();
    });
  }
  HRESULT Execute(BSTR, BSTR, VARIANT_BOOL, BSTR* AResult) override {
    return Frame([&] {
      ClearOut(AResult);
      RequireLoaded();
    });
  }
  // Load is LoadDll with an empty file name (the default engine).
  HRESULT Load() override {
    return Frame([&] { LoadEngine(""); });
  }
  HRESULT Unload() override {
    return Frame([] {});
  }
  HRESULT LoadDll(BSTR ADll) override {
    return Frame([&] { LoadEngine(In(ADll)); });
  }

 private:
  [[noreturn]] static void LoadEngine(const std::string&) {
    throw std::runtime_error("VLL engine not available");
  }
  [[noreturn]] static void RequireLoaded() { throw std::runtime_error("VLL not loaded"); }
};

}  // namespace

IUnknown* NewVLL() { return static_cast<IVLL*>(new TVLL()); }

}  // namespace vellorax::server
