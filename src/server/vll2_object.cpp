// TVLL2, the VLL2 object: a shell over the version 2 macro engine TVLL2W,
// held between Load and Unload.
#include <memory>
#include <stdexcept>

#include "server/automation_object.h"
#include "server/objects.h"

#ifdef VX_HAVE_VLL2
#include "vll2/vll2w.h"
#endif

namespace vellorax::server {
namespace {

#ifdef VX_HAVE_VLL2
using TEngine = vll2::TVLL2W;
std::unique_ptr<TEngine> MakeEngine() { return std::make_unique<TEngine>(); }
#else
// Stands in for the macro engine in builds without it; it is never made.
struct TEngine {
  std::string Command(std::string_view, std::string_view, std::string_view, std::string_view) { return {}; }
  std::string Execute(std::string_view, std::string_view, bool) { return {}; }
  void SetDebug(bool) {}
  void SetHtml(bool) {}
};
std::unique_ptr<TEngine> MakeEngine() { throw std::runtime_error("VLL2 engine not available"); }
#endif

class TVLL2 final : public TAutomationObject<TVLL2, IVLL2> {
 public:
  TVLL2() : TAutomationObject(ClassInfo(TClassIndex::kVLL2)) {}

  // A second Load frees the engine it replaces first, with all registered
  // commands.
  HRESULT Load() override {
    return Frame([&] {
      engine_.reset();
      engine_ = MakeEngine();
    });
  }

  HRESULT Command(BSTR AName, BSTR AType, BSTR ACommand, BSTR AAction, BSTR* AResult) override {
    return Frame([&] {
      ClearOut(AResult);
      const std::string name = In(AName), type = In(AType), command = In(ACommand), action = In(AAction);
      Out(AResult, Engine().Command(name, type, command, action));
    });
  }

  HRESULT Execute(BSTR AName, BSTR ARecord, VARIANT_BOOL AFix, BSTR* AResult) override {
    return Frame([&] {
      ClearOut(AResult);
      const std::string name = In(AName), record = In(ARecord);
      Out(AResult, Engine().Execute(name, record, In(AFix)));
    });
  }

  HRESULT Unload() override {
    return Frame([&] { engine_.reset(); });
  }

  HRESULT put_Debug(VARIANT_BOOL Value) override {
    return Frame([&] { Engine().SetDebug(In(Value)); });
  }

  HRESULT put_Html(VARIANT_BOOL Value) override {
    return Frame([&] { Engine().SetHtml(In(Value)); });
  }

 private:
  TEngine& Engine() {
    if (!engine_) throw std::runtime_error("VLL2 not loaded");
    return *engine_;
  }

  std::unique_ptr<TEngine> engine_;
};

}  // namespace

IUnknown* NewVLL2() { return static_cast<IVLL2*>(new TVLL2()); }

}  // namespace vellorax::server
