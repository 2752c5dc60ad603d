#include "crypt/vlcrypt.h"

#include <gtest/gtest.h>

#include <string>

#include "crypt/cipher_text.h"
#include "crypt/crypt_errors.h"

namespace vellorax::crypt {
namespace {

TEST(TVLCryptTest, EmptyStrings) {
  TVLCrypt crypt;
  EXPECT_EQ(crypt.Encrypt(""), "");
  EXPECT_EQ(crypt.Decrypt(""), "");
}

TEST(TVLCryptTest, TextLengthByPlainLength) {
  for (std::size_t length = 1; length <= 23; ++length) {
    const std::size_t expected = length < 8 ? 11 : length < 16 ? 22 : 32;
    TVLCrypt crypt;
    EXPECT_EQ(crypt.Encrypt(std::string(length, 'q')).size(), expected) << length;
  }
}

TEST(TVLCryptTest, SameTextEveryTimeAndAcrossObjects) {
  TVLCrypt crypt;
  const std::string first = crypt.Encrypt("password");
  EXPECT_EQ(crypt.Encrypt("password"), first);  // the cipher was burnt and keyed again
  EXPECT_EQ(TVLCrypt().Encrypt("password"), first);
  const std::string bytes = DecodeCipherText(TVLCrypt().Encrypt("12345678123456789"));
  ASSERT_EQ(bytes.size(), 24u);
  EXPECT_EQ(bytes.substr(0, 8), bytes.substr(8, 8));
}

TEST(TVLCryptTest, RoundTrips) {
  const std::string cases[] = {"a",
                               "secret",
                               "exactly8",
                               "with blanks and = signs",
                               "\xC4\xD6\xDC\xE4\xF6\xFC\xDF",  // code-page letters
                               std::string("nul\0inside", 10),
                               std::string(200, '\x08')};
  for (const std::string& plain : cases) {
    TVLCrypt crypt;
    const std::string text = crypt.Encrypt(plain);
    EXPECT_EQ(text.find_first_not_of(kCipherAlphabet), std::string::npos) << text;
    EXPECT_EQ(crypt.Decrypt(text), plain);
  }
}

TEST(TVLCryptTest, Failures) {
  TVLCrypt crypt;
  try {
    crypt.Decrypt("ab=");
    ADD_FAILURE() << "accepted ab=";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Blowfish: Error converting from Base64 - invalid character");
  }
  for (std::size_t length = 1; length <= 10; ++length) {
    try {
      crypt.Decrypt(std::string("MK7XN+MK7XN").substr(0, length));
      ADD_FAILURE() << "accepted " << length << " characters";
    } catch (const EInputError& e) {
      EXPECT_STREQ(e.what(), "Blowfish: Input not valid - too short");
    }
  }
  // A failed call leaves nothing behind: the next call works as on a new object.
  EXPECT_EQ(crypt.Decrypt(crypt.Encrypt("after a failure")), "after a failure");
}

TEST(TVLCryptTest, ErrorsAreRuntimeErrors) {
  TVLCrypt crypt;
  EXPECT_THROW(crypt.Decrypt("#"), std::runtime_error);
  EXPECT_THROW(crypt.Decrypt("MK7X"), std::runtime_error);
}

}  // namespace
}  // namespace vellorax::crypt
