#include "crypt/blowfish.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "crypt/crypt_errors.h"
#include "crypt/crypt_test_util.h"

namespace vellorax::crypt {
namespace {

using test::FromHex;
using test::ToHex;

constexpr TCipherMode kModes[] = {TCipherMode::ECB, TCipherMode::CBC, TCipherMode::CFB,
                                  TCipherMode::OFB};

// One block through the primitive under `key`, for composing expected values.
std::string E(std::string_view key, std::string block) {
  TBlowCore core;
  core.InitKey(key);
  core.EncipherBlock(reinterpret_cast<std::uint8_t*>(block.data()));
  return block;
}

std::string Xor(std::string a, std::string_view b) {
  for (std::size_t i = 0; i < a.size(); ++i) a[i] = static_cast<char>(a[i] ^ b[i]);
  return a;
}

template <typename Exception>
void ExpectFailure(const std::function<void()>& call, const char* message) {
  try {
    call();
    ADD_FAILURE() << "no exception, expected " << message;
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), message);
  }
}

TBlowfish& Keyed(TBlowfish& cipher, TCipherMode mode, TStringMode string_mode) {
  cipher.SetCipherMode(mode);
  cipher.SetStringMode(string_mode);
  cipher.InitKey("Kormoran");
  cipher.InitIV("Seed Blocks");
  return cipher;
}

TEST(TBlowfishTest, Defaults) {
  TBlowfish cipher;
  EXPECT_EQ(cipher.CipherMode(), TCipherMode::ECB);
  EXPECT_EQ(cipher.StringMode(), TStringMode::smEncode);
  EXPECT_FALSE(cipher.KeySet());
  EXPECT_FALSE(cipher.IVSet());
}

TEST(TBlowfishTest, KeyAndIVChecks) {
  TBlowfish cipher;
  ExpectFailure<EKeyError>([&] { cipher.EncryptString("abc"); }, "Blowfish: Key not set");
  ExpectFailure<EKeyError>([&] { cipher.DecryptString("MK7X"); }, "Blowfish: Key not set");
  ExpectFailure<EKeyError>([&] { cipher.EncryptString(""); }, "Blowfish: Key not set");
  ExpectFailure<EKeyError>([&] { cipher.InitKey(""); }, "Blowfish: Key must be between 1 and 56 bytes");
  ExpectFailure<EKeyError>([&] { cipher.InitKey(std::string(57, 'k')); },
                           "Blowfish: Key must be between 1 and 56 bytes");
  EXPECT_FALSE(cipher.KeySet());

  cipher.InitKey(std::string(56, 'k'));
  EXPECT_TRUE(cipher.KeySet());
  EXPECT_NO_THROW(cipher.EncryptString("abc"));  // ECB needs no IV
  for (TCipherMode mode : {TCipherMode::CBC, TCipherMode::CFB, TCipherMode::OFB}) {
    cipher.SetCipherMode(mode);
    ExpectFailure<EKeyError>([&] { cipher.EncryptString("abc"); }, "Blowfish: IV not set");
    ExpectFailure<EKeyError>([&] { cipher.DecryptString("MK7X"); }, "Blowfish: IV not set");
  }
  cipher.InitIV("");
  EXPECT_TRUE(cipher.IVSet());
  EXPECT_NO_THROW(cipher.EncryptString("abc"));
}

TEST(TBlowfishTest, BurnForgetsKeyAndIV) {
  TBlowfish cipher;
  Keyed(cipher, TCipherMode::CBC, TStringMode::smEncode);
  cipher.Burn();
  EXPECT_FALSE(cipher.KeySet());
  EXPECT_FALSE(cipher.IVSet());
  ExpectFailure<EKeyError>([&] { cipher.EncryptString("abc"); }, "Blowfish: Key not set");
  cipher.InitKey("Kormoran");
  ExpectFailure<EKeyError>([&] { cipher.EncryptString("abc"); }, "Blowfish: IV not set");
}

TEST(TBlowfishTest, BurnOnExitAlsoWhenAnExceptionLeaves) {
  TBlowfish cipher;
  try {
    TBurnOnExit burn(cipher);
    Keyed(cipher, TCipherMode::ECB, TStringMode::smEncode);
    cipher.DecryptString("ab=");
    ADD_FAILURE() << "no exception";
  } catch (const EConvertError&) {
  }
  EXPECT_FALSE(cipher.KeySet());
  EXPECT_FALSE(cipher.IVSet());
}

TEST(TBlowfishTest, PaddingFillsToTheNextWholeBlock) {
  const std::string key = "Kormoran";
  const struct {
    std::string plain;
    std::string padded;
  } cases[] = {
      {"a", "a" + std::string(7, '\x07')},
      {"abc", "abc" + std::string(5, '\x05')},
      {"abcdefg", "abcdefg\x01"},
      {"abcdefgh", "abcdefgh" + std::string(8, '\x08')},
      {"abcdefghi", "abcdefghi" + std::string(7, '\x07')},
  };
  for (const auto& c : cases) {
    TBlowfish cipher;
    Keyed(cipher, TCipherMode::ECB, TStringMode::smNormal);
    std::string expected;
    for (std::size_t i = 0; i < c.padded.size(); i += 8) expected += E(key, c.padded.substr(i, 8));
    EXPECT_EQ(ToHex(cipher.EncryptString(c.plain)), ToHex(expected)) << c.plain;
  }
}

TEST(TBlowfishTest, UnpaddingTrustsTheLastByteOnly) {
  // Deciphered last blocks whose final byte is 1..8 lose that many bytes; any
  // other value loses the one byte. The other padding bytes are not checked.
  const struct {
    std::string block;
    std::string plain;
  } cases[] = {
      {"abcdefg\x01", "abcdefg"},
      {"abc\x05\x05\x05\x05\x05", "abc"},
      {"abcde\x01\x02\x03", "abcde"},
      {std::string(8, '\x08'), ""},
      {std::string("abcdefg\0", 8), "abcdefg"},
      {"abcdefg\x09", "abcdefg"},
      {"abcdefg\xFF", "abcdefg"},
      {"abcdefgh", "abcdefg"},
  };
  for (const auto& c : cases) {
    TBlowfish cipher;
    Keyed(cipher, TCipherMode::ECB, TStringMode::smNormal);
    EXPECT_EQ(cipher.DecryptString(E("Kormoran", c.block)), c.plain) << ToHex(c.block);
    const std::string two_blocks = E("Kormoran", "12345678") + E("Kormoran", c.block);
    EXPECT_EQ(cipher.DecryptString(two_blocks), "12345678" + c.plain) << ToHex(c.block);
  }
}

TEST(TBlowfishTest, CiphertextMustHoldWholeBlocks) {
  TBlowfish cipher;
  Keyed(cipher, TCipherMode::ECB, TStringMode::smNormal);
  for (std::size_t length : {1, 7, 9, 15, 17}) {
    ExpectFailure<EInputError>([&] { cipher.DecryptString(std::string(length, 'x')); },
                               "Blowfish: Input not valid - too short");
  }
  cipher.SetStringMode(TStringMode::smEncode);
  // 1 to 10 characters decode to fewer than 8 bytes; 12 to 21 to 9..15 bytes.
  for (std::size_t length = 1; length <= 21; ++length) {
    if (length == 11) continue;
    ExpectFailure<EInputError>([&] { cipher.DecryptString(std::string(length, 'A')); },
                               "Blowfish: Input not valid - too short");
  }
  EXPECT_NO_THROW(cipher.DecryptString(std::string(11, 'A')));
  EXPECT_NO_THROW(cipher.DecryptString(std::string(22, 'A')));
}

TEST(TBlowfishTest, InvalidCharacterBeforeLengthCheck) {
  TBlowfish cipher;
  Keyed(cipher, TCipherMode::ECB, TStringMode::smEncode);
  ExpectFailure<EConvertError>([&] { cipher.DecryptString("ab="); },
                               "Blowfish: Error converting from Base64 - invalid character");
}

TEST(TBlowfishTest, EmptyStringsInEveryMode) {
  for (TCipherMode mode : kModes) {
    for (TStringMode string_mode : {TStringMode::smEncode, TStringMode::smNormal}) {
      TBlowfish cipher;
      Keyed(cipher, mode, string_mode);
      EXPECT_EQ(cipher.EncryptString(""), "");
      EXPECT_EQ(cipher.DecryptString(""), "");
    }
  }
}

TEST(TBlowfishTest, RoundTripInEveryMode) {
  std::string plain;
  for (int i = 0; i < 41; ++i) plain += static_cast<char>(i * 37 + 1);
  for (TCipherMode mode : kModes) {
    for (TStringMode string_mode : {TStringMode::smEncode, TStringMode::smNormal}) {
      for (std::size_t length = 1; length <= plain.size(); ++length) {
        const std::string input = plain.substr(0, length);
        TBlowfish cipher;
        Keyed(cipher, mode, string_mode);
        const std::string encrypted = cipher.EncryptString(input);
        cipher.InitIV("Seed Blocks");
        EXPECT_EQ(cipher.DecryptString(encrypted), input)
            << "mode " << static_cast<int>(mode) << " length " << length;
      }
    }
  }
}

TEST(TBlowfishTest, ChainingModesFollowTheirDefinitions) {
  // IV "Seed Blocks" folds to "Seed Blo" xor "cks" over its first three bytes.
  const std::string key = "Kormoran";
  const std::string iv = Xor("Seed Blo", std::string("cks\0\0\0\0\0", 8));
  const std::string p1 = "Block 1.", p2 = "Block 2.", pad(8, '\x08');

  const std::string cbc1 = E(key, Xor(p1, iv)), cbc2 = E(key, Xor(p2, cbc1)),
                    cbc3 = E(key, Xor(pad, cbc2));
  const std::string cfb1 = Xor(p1, E(key, iv)), cfb2 = Xor(p2, E(key, cfb1)),
                    cfb3 = Xor(pad, E(key, cfb2));
  const std::string k1 = E(key, iv), k2 = E(key, k1), k3 = E(key, k2);
  const std::string ofb = Xor(p1, k1) + Xor(p2, k2) + Xor(pad, k3);

  const std::pair<TCipherMode, std::string> cases[] = {
      {TCipherMode::ECB, E(key, p1) + E(key, p2) + E(key, pad)},
      {TCipherMode::CBC, cbc1 + cbc2 + cbc3},
      {TCipherMode::CFB, cfb1 + cfb2 + cfb3},
      {TCipherMode::OFB, ofb},
  };
  for (const auto& [mode, expected] : cases) {
    TBlowfish cipher;
    Keyed(cipher, mode, TStringMode::smNormal);
    EXPECT_EQ(ToHex(cipher.EncryptString(p1 + p2)), ToHex(expected)) << static_cast<int>(mode);
  }
}

TEST(TBlowfishTest, KeyInitialisationLeavesTheIVRegister) {
  TBlowfish first, second;
  Keyed(first, TCipherMode::CBC, TStringMode::smNormal);
  second.SetCipherMode(TCipherMode::CBC);
  second.SetStringMode(TStringMode::smNormal);
  second.InitIV("Seed Blocks");
  second.InitKey("another key");
  second.InitKey("Kormoran");
  EXPECT_EQ(first.EncryptString("same text"), second.EncryptString("same text"));
}

TEST(TBlowfishTest, ChainingCarriesOverBetweenCalls) {
  // The IV register keeps the chaining value: a second call continues the chain.
  TBlowfish cipher;
  Keyed(cipher, TCipherMode::CBC, TStringMode::smNormal);
  const std::string first = cipher.EncryptString("abc");
  const std::string second = cipher.EncryptString("abc");
  EXPECT_NE(first, second);
  EXPECT_EQ(second, E("Kormoran", Xor("abc\x05\x05\x05\x05\x05", first)));
}

}  // namespace
}  // namespace vellorax::crypt
