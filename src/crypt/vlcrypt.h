// TVLCrypt: the string cipher of the Crypt object. Blowfish in ECB under one
// fixed key, ciphertext carried as text (see cipher_text.h). Each call keys,
// uses and burns its cipher, so no key schedule outlives a call. Strings are
// 8-bit code-page bytes. Not thread-safe; make one per thread or per call.
#pragma once

#include <string>
#include <string_view>

#include "crypt/blowfish.h"

namespace vellorax::crypt {

inline constexpr char kVLCryptKey[] = "Kormoran";
inline constexpr char kVLCryptIV[] = "Seed Blocks";

class TVLCrypt {
 public:
  TVLCrypt();

  // Returns the ciphertext text of `plain` ("" for ""). Throws the cipher's
  // exceptions (crypt_errors.h); the cipher is burnt either way.
  std::string Encrypt(std::string_view plain);

  // Returns the plain string of a ciphertext text ("" for ""). Throws
  // EConvertError for a character outside the alphabet and EInputError for a
  // text that does not decode to whole blocks; the cipher is burnt either way.
  std::string Decrypt(std::string_view cipher);

 private:
  TBlowfish blowfish_;
};

}  // namespace vellorax::crypt
