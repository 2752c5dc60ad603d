// TVLSrc, the VLSrc object: every CCLSearch builds its whole search state and
// frees it before returning. This build has no search engine.
#include <stdexcept>

#include "server/automation_object.h"
#include "server/objects.h"

namespace vellorax::server {
namespace {

class TVLSrc final : public TAutomationObject<TVLSrc, IVLSrc> {
 public:
  TVLSrc() : TAutomationObject(ClassInfo(TClassIndex::kVLSrc)) {}

  HRESULT CCLSearch(BSTR, BSTR, BSTR, LONG, LONG, LONG, LONG, VARIANT_BOOL, BSTR* Value) override {
    return Frame([&] {
      ClearOut(Value);
      throw std::runtime_error("VLSrc search engine not available");
    });
  }
};

}  // namespace

IUnknown* NewVLSrc() { return static_cast<IVLSrc*>(new TVLSrc()); }

}  // namespace vellorax::server
