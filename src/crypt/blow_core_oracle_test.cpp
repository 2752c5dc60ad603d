// Our cipher against OpenSSL's independent Blowfish (BF_* functions, kept in
// OpenSSL 3 as deprecated low-level calls) on random keys and messages.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/blowfish.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>

#include "crypt/blow_core.h"
#include "crypt/blowfish.h"
#include "crypt/cipher_text.h"
#include "crypt/vlcrypt.h"

namespace vellorax::crypt {
namespace {

constexpr int kOracleRuns = 300;

class OracleTest : public ::testing::Test {
 protected:
  std::string RandomBytes(std::size_t size) {
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(byte_(random_));
    return bytes;
  }
  std::size_t RandomSize(std::size_t low, std::size_t high) {
    return std::uniform_int_distribution<std::size_t>(low, high)(random_);
  }

  std::mt19937 random_{20240607};
  std::uniform_int_distribution<int> byte_{0, 255};
};

BF_KEY OpenSslKey(std::string_view key) {
  BF_KEY schedule;
  BF_set_key(&schedule, static_cast<int>(key.size()), reinterpret_cast<const unsigned char*>(key.data()));
  return schedule;
}

std::string OpenSslEcb(const BF_KEY& schedule, std::string_view data, int direction) {
  std::string out(data.size(), '\0');
  for (std::size_t i = 0; i < data.size(); i += 8) {
    BF_ecb_encrypt(reinterpret_cast<const unsigned char*>(data.data() + i),
                   reinterpret_cast<unsigned char*>(out.data() + i), &schedule, direction);
  }
  return out;
}

// The string cipher's padding: r = length mod 8, then 8 - r bytes of 8 - r.
std::string Padded(std::string_view plain) {
  const std::size_t pad = 8 - plain.size() % 8;
  return std::string(plain) + std::string(pad, static_cast<char>(pad));
}

TEST_F(OracleTest, EcbPrimitiveMatchesOpenSsl) {
  for (int round = 0; round < kOracleRuns; ++round) {
    const std::string key = RandomBytes(RandomSize(1, 56));
    const std::string plain = RandomBytes(8 * RandomSize(1, 32));
    const BF_KEY schedule = OpenSslKey(key);

    TBlowCore core;
    core.InitKey(key);
    std::string data = plain;
    auto* bytes = reinterpret_cast<std::uint8_t*>(data.data());
    core.EncipherECB(bytes, data.size() / 8);
    ASSERT_EQ(data, OpenSslEcb(schedule, plain, BF_ENCRYPT)) << "round " << round;
    core.DecipherECB(bytes, data.size() / 8);
    ASSERT_EQ(data, plain) << "round " << round;
  }
}

TEST_F(OracleTest, StringCipherModesMatchOpenSsl) {
  for (int round = 0; round < kOracleRuns; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const std::string key = RandomBytes(RandomSize(1, 56));
    const std::string iv = RandomBytes(8);
    const std::string plain = RandomBytes(RandomSize(1, 100));
    const std::string padded = Padded(plain);
    const BF_KEY schedule = OpenSslKey(key);
    const auto* in = reinterpret_cast<const unsigned char*>(padded.data());
    const long length = static_cast<long>(padded.size());

    std::string expected_ecb = OpenSslEcb(schedule, padded, BF_ENCRYPT);
    std::string expected_cbc(padded.size(), '\0'), expected_cfb(padded.size(), '\0'),
        expected_ofb(padded.size(), '\0');
    unsigned char ivec[8];
    std::memcpy(ivec, iv.data(), 8);
    BF_cbc_encrypt(in, reinterpret_cast<unsigned char*>(expected_cbc.data()), length, &schedule, ivec,
                   BF_ENCRYPT);
    int num = 0;
    std::memcpy(ivec, iv.data(), 8);
    BF_cfb64_encrypt(in, reinterpret_cast<unsigned char*>(expected_cfb.data()), length, &schedule, ivec,
                     &num, BF_ENCRYPT);
    num = 0;
    std::memcpy(ivec, iv.data(), 8);
    BF_ofb64_encrypt(in, reinterpret_cast<unsigned char*>(expected_ofb.data()), length, &schedule, ivec,
                     &num);

    const std::pair<TCipherMode, const std::string*> cases[] = {
        {TCipherMode::ECB, &expected_ecb},
        {TCipherMode::CBC, &expected_cbc},
        {TCipherMode::CFB, &expected_cfb},
        {TCipherMode::OFB, &expected_ofb},
    };
    for (const auto& [mode, expected] : cases) {
      SCOPED_TRACE("mode " + std::to_string(static_cast<int>(mode)));
      TBlowfish cipher;
      cipher.SetCipherMode(mode);
      cipher.SetStringMode(TStringMode::smNormal);
      cipher.InitKey(key);
      cipher.InitIV(iv);
      ASSERT_EQ(cipher.EncryptString(plain), *expected);
      cipher.InitIV(iv);
      ASSERT_EQ(cipher.DecryptString(*expected), plain);
    }
  }
}

TEST_F(OracleTest, VLCryptIsEcbUnderKormoranAsText) {
  const BF_KEY schedule = OpenSslKey("Kormoran");
  for (int round = 0; round < kOracleRuns; ++round) {
    const std::string plain = RandomBytes(RandomSize(1, 40));
    const std::string expected = EncodeCipherText(OpenSslEcb(schedule, Padded(plain), BF_ENCRYPT));
    TVLCrypt crypt;
    ASSERT_EQ(crypt.Encrypt(plain), expected) << "round " << round;
    ASSERT_EQ(crypt.Decrypt(expected), plain) << "round " << round;
  }
}

}  // namespace
}  // namespace vellorax::crypt
