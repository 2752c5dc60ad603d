#include "crypt/vlcrypt.h"

#include <gtest/gtest.h>

#include <string>

#include "crypt/cipher_text.h"
#include "crypt/crypt_test_util.h"

namespace vellorax::crypt {
namespace {

// Random texts are checked against OpenSSL in the oracle test; here the edges.
TEST(TVLCryptTest, RoundTrips) {
  TVLCrypt crypt;
  EXPECT_EQ(crypt.Encrypt(""), "");
  EXPECT_EQ(crypt.Decrypt(""), "");
  for (const std::string& plain : {std::string("nul\0inside", 10), std::string(200, '\x08')}) {
    const std::string text = crypt.Encrypt(plain);
    EXPECT_EQ(text.find_first_not_of(kCipherAlphabet), std::string::npos) << text;
    EXPECT_EQ(crypt.Decrypt(text), plain);
  }
}

TEST(TVLCryptTest, Failures) {
  TVLCrypt crypt;
  // An invalid character is reported before the length.
  EXPECT_EQ(test::Failure([&] { crypt.Decrypt("ab="); }),
            "EConvertError: Blowfish: Error converting from Base64 - invalid character");
  for (std::size_t length = 1; length <= 10; ++length) {
    EXPECT_EQ(test::Failure([&] { crypt.Decrypt(std::string("MK7XN+MK7XN").substr(0, length)); }),
              "EInputError: Blowfish: Input not valid - too short")
        << length;
  }
  EXPECT_THROW(crypt.Decrypt("#"), std::runtime_error);
  EXPECT_THROW(crypt.Decrypt("MK7X"), std::runtime_error);
  // A failed call leaves nothing behind: the next call works as on a new object.
  EXPECT_EQ(crypt.Decrypt(crypt.Encrypt("after a failure")), "after a failure");
}

}  // namespace
}  // namespace vellorax::crypt
