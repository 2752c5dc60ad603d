// Our cipher against OpenSSL's independent Blowfish (BF_* functions, kept in
// OpenSSL 3 as deprecated low-level calls) on random keys and messages.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/blowfish.h>

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "crypt/blowfish.h"
#include "crypt/cipher_text.h"
#include "crypt/vlcrypt.h"

namespace vellorax::crypt {
namespace {

constexpr int kOracleRuns = 300;

std::mt19937 random_source(20240607);

std::size_t RandomSize(std::size_t low, std::size_t high) {
  return std::uniform_int_distribution<std::size_t>(low, high)(random_source);
}

std::string RandomBytes(std::size_t size) {
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(RandomSize(0, 255));
  return bytes;
}

BF_KEY OpenSslKey(std::string_view key) {
  BF_KEY schedule;
  const auto* bytes = reinterpret_cast<const unsigned char*>(key.data());
  BF_set_key(&schedule, static_cast<int>(key.size()), bytes);
  return schedule;
}

// The string cipher's padding, checked here for every length 1..100: r = length
// mod 8, then 8 - r bytes of 8 - r.
std::string Padded(std::string_view plain) {
  const std::size_t pad = 8 - plain.size() % 8;
  return std::string(plain) + std::string(pad, static_cast<char>(pad));
}

// Whole blocks through OpenSSL in `mode`, starting from the 8-byte `iv`.
std::string OpenSsl(const BF_KEY& schedule, TCipherMode mode, std::string_view data,
                    std::string_view iv) {
  const auto* in = reinterpret_cast<const unsigned char*>(data.data());
  std::string out(data.size(), '\0');
  auto* to = reinterpret_cast<unsigned char*>(out.data());
  const long length = static_cast<long>(data.size());
  unsigned char ivec[8] = {};
  std::memcpy(ivec, iv.data(), iv.size());
  int num = 0;
  if (mode == TCipherMode::ECB) {
    for (long i = 0; i < length; i += 8) BF_ecb_encrypt(in + i, to + i, &schedule, BF_ENCRYPT);
  } else if (mode == TCipherMode::CBC) {
    BF_cbc_encrypt(in, to, length, &schedule, ivec, BF_ENCRYPT);
  } else if (mode == TCipherMode::CFB) {
    BF_cfb64_encrypt(in, to, length, &schedule, ivec, &num, BF_ENCRYPT);
  } else {
    BF_ofb64_encrypt(in, to, length, &schedule, ivec, &num);
  }
  return out;
}

// In ECB the string cipher hands all blocks to the primitive's bulk EncipherECB/DecipherECB.
TEST(OracleTest, EveryModeMatchesOpenSsl) {
  for (int round = 0; round < kOracleRuns; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const std::string key = RandomBytes(RandomSize(1, 56));
    const std::string iv = RandomBytes(8);
    const std::string plain = RandomBytes(RandomSize(1, 100));
    const std::string padded = Padded(plain);
    const BF_KEY schedule = OpenSslKey(key);

    for (auto mode : {TCipherMode::ECB, TCipherMode::CBC, TCipherMode::CFB, TCipherMode::OFB}) {
      SCOPED_TRACE("mode " + std::to_string(static_cast<int>(mode)));
      const std::string expected = OpenSsl(schedule, mode, padded, iv);
      TBlowfish cipher;
      cipher.SetCipherMode(mode);
      cipher.SetStringMode(TStringMode::smNormal);
      cipher.InitKey(key);
      cipher.InitIV(iv);
      ASSERT_EQ(cipher.EncryptString(plain), expected);
      cipher.InitIV(iv);
      ASSERT_EQ(cipher.DecryptString(expected), plain);
      cipher.SetStringMode(TStringMode::smEncode);
      cipher.InitIV(iv);
      ASSERT_EQ(cipher.EncryptString(plain), EncodeCipherText(expected));
      cipher.InitIV(iv);
      ASSERT_EQ(cipher.DecryptString(EncodeCipherText(expected)), plain);
    }
  }
}

// One object for all rounds: every call keys the cipher afresh.
TEST(OracleTest, VLCryptIsEcbUnderKormoranAsText) {
  const BF_KEY schedule = OpenSslKey("Kormoran");
  TVLCrypt crypt;
  for (int round = 0; round < kOracleRuns; ++round) {
    const std::string plain = RandomBytes(RandomSize(1, 40));
    const std::string expected =
        EncodeCipherText(OpenSsl(schedule, TCipherMode::ECB, Padded(plain), ""));
    ASSERT_EQ(crypt.Encrypt(plain), expected) << "round " << round;
    ASSERT_EQ(crypt.Decrypt(expected), plain) << "round " << round;
  }
}

}  // namespace
}  // namespace vellorax::crypt
