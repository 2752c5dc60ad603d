#include "com/error_info.h"

#include <atomic>
#include <string>

#include "com/bstr.h"
#include "com/live_objects.h"

namespace vellorax::com {
namespace {

// One immutable error record; reference counted, thread-safe.
class TErrorInfo final : public IErrorInfo {
 public:
  TErrorInfo(const GUID& iid, std::u16string_view source, std::u16string_view description)
      : iid_(iid), source_(source), description_(description) {
    ObjectCreated();
  }
  TErrorInfo(const TErrorInfo&) = delete;
  TErrorInfo& operator=(const TErrorInfo&) = delete;
  ~TErrorInfo() { ObjectDestroyed(); }

  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IErrorInfo) {
      AddRef();
      *object = static_cast<IErrorInfo*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return refs_.fetch_add(1, std::memory_order_relaxed) + 1; }
  ULONG Release() override {
    const ULONG left = refs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) delete this;
    return left;
  }

  HRESULT GetGUID(GUID* guid) override {
    if (guid == nullptr) return E_POINTER;
    *guid = iid_;
    return S_OK;
  }
  HRESULT GetSource(BSTR* source) override { return Copy(source_, source); }
  HRESULT GetDescription(BSTR* description) override { return Copy(description_, description); }
  HRESULT GetHelpFile(BSTR* help_file) override { return Copy(u"", help_file); }
  HRESULT GetHelpContext(DWORD* help_context) override {
    if (help_context == nullptr) return E_POINTER;
    *help_context = 0;
    return S_OK;
  }

 private:
  static HRESULT Copy(std::u16string_view text, BSTR* out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (text.empty()) return S_OK;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out == nullptr ? E_OUTOFMEMORY : S_OK;
  }

  std::atomic<ULONG> refs_{1};
  const GUID iid_;
  const std::u16string source_;
  const std::u16string description_;
};

// The per-thread slot; releases its record when the thread ends.
struct TErrorSlot {
  IErrorInfo* info = nullptr;
  TErrorSlot() = default;
  TErrorSlot(const TErrorSlot&) = delete;
  TErrorSlot& operator=(const TErrorSlot&) = delete;
  ~TErrorSlot() {
    if (info != nullptr) info->Release();
  }
  void Replace(IErrorInfo* next) {
    IErrorInfo* old = info;
    info = next;
    if (old != nullptr) old->Release();
  }
};

thread_local TErrorSlot current_error;

}  // namespace

void SetThreadError(const GUID& iid, std::u16string_view source,
                    std::u16string_view description) {
  current_error.Replace(new TErrorInfo(iid, source, description));
}

void ReplaceThreadErrorInfo(IErrorInfo* info) {
  if (info != nullptr) info->AddRef();
  current_error.Replace(info);
}

IErrorInfo* TakeThreadErrorInfo() {
  IErrorInfo* info = current_error.info;
  current_error.info = nullptr;
  return info;
}

IErrorInfo* PeekThreadErrorInfo() { return current_error.info; }

}  // namespace vellorax::com
