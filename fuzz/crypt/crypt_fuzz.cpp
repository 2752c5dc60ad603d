// Arbitrary bytes as ciphertext (text and raw, every mode) and as plain text:
// decryption either succeeds or fails with one of the cipher's exceptions, and
// encryption always decrypts back to its input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "crypt/blowfish.h"
#include "crypt/crypt_errors.h"
#include "crypt/vlcrypt.h"

namespace {

using namespace vellorax::crypt;

void DecryptAnything(TBlowfish& cipher, std::string_view input) {
  try {
    cipher.DecryptString(input);
  } catch (const EConvertError&) {
  } catch (const EInputError&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const auto mode = static_cast<TCipherMode>(size > 0 ? data[0] % 4 : 0);

  for (TStringMode string_mode : {TStringMode::smEncode, TStringMode::smNormal}) {
    TBlowfish cipher;
    cipher.SetCipherMode(mode);
    cipher.SetStringMode(string_mode);
    cipher.InitKey(input.empty() || input.size() > 56 ? std::string_view("Kormoran") : input);
    cipher.InitIV(input);
    DecryptAnything(cipher, input);
    cipher.InitIV(input);
    const std::string encrypted = cipher.EncryptString(input);
    cipher.InitIV(input);
    if (cipher.DecryptString(encrypted) != input) std::abort();
  }

  TVLCrypt crypt;
  try {
    crypt.Decrypt(input);
  } catch (const EConvertError&) {
  } catch (const EInputError&) {
  }
  if (crypt.Decrypt(crypt.Encrypt(input)) != input) std::abort();
  return 0;
}
