// TCrypt, the Crypt object: every call makes, uses and frees its own cipher.
#include <stdexcept>

#include "server/automation_object.h"
#include "server/objects.h"

#ifdef VX_HAVE_CRYPT
#include "crypt/vlcrypt.h"
#endif

namespace vellorax::server {
namespace {

#ifdef VX_HAVE_CRYPT
std::string EncryptText(std::string_view text) { return crypt::TVLCrypt().Encrypt(text); }
std::string DecryptText(std::string_view text) { return crypt::TVLCrypt().Decrypt(text); }
#else
[[noreturn]] void NoCipher() { throw std::runtime_error("Crypt engine not available"); }
std::string EncryptText(std::string_view) { NoCipher(); }
std::string DecryptText(std::string_view) { NoCipher(); }
#endif

class TCrypt final : public TAutomationObject<TCrypt, ICrypt> {
 public:
  TCrypt() : TAutomationObject(ClassInfo(TClassIndex::kCrypt)) {}

  HRESULT Encrypt(BSTR AStr, BSTR* AResult) override {
    return Frame([&] {
      ClearOut(AResult);
      Out(AResult, EncryptText(In(AStr)));
    });
  }

  HRESULT Decrypt(BSTR AStr, BSTR* AResult) override {
    return Frame([&] {
      ClearOut(AResult);
      Out(AResult, DecryptText(In(AStr)));
    });
  }
};

}  // namespace

IUnknown* NewCrypt() { return static_cast<ICrypt*>(new TCrypt()); }

}  // namespace vellorax::server
