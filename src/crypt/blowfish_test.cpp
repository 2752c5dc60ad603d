#include "crypt/blowfish.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "crypt/crypt_errors.h"
#include "crypt/crypt_test_util.h"

namespace vellorax::crypt {
namespace {

using test::Failure;
using test::ToHex;

constexpr char kKeyNotSet[] = "EKeyError: Blowfish: Key not set";
constexpr char kIVNotSet[] = "EKeyError: Blowfish: IV not set";
constexpr char kTooShort[] = "EInputError: Blowfish: Input not valid - too short";

constexpr TCipherMode kModes[] = {TCipherMode::ECB, TCipherMode::CBC, TCipherMode::CFB,
                                  TCipherMode::OFB};

// One block through the primitive under "Kormoran", for composing expected values.
std::string E(std::string block) {
  TBlowCore core;
  core.InitKey("Kormoran");
  core.EncipherBlock(reinterpret_cast<std::uint8_t*>(block.data()));
  return block;
}

std::string Xor(std::string a, std::string_view b) {
  for (std::size_t i = 0; i < a.size(); ++i) a[i] = static_cast<char>(a[i] ^ b[i]);
  return a;
}

TBlowfish& Keyed(TBlowfish& cipher, TCipherMode mode, TStringMode string_mode,
                 std::string_view iv = "Seed Blocks") {
  cipher.SetCipherMode(mode);
  cipher.SetStringMode(string_mode);
  cipher.InitKey("Kormoran");
  cipher.InitIV(iv);
  return cipher;
}

TEST(TBlowfishTest, KeyAndIVChecks) {
  TBlowfish cipher;
  EXPECT_EQ(cipher.CipherMode(), TCipherMode::ECB);
  EXPECT_EQ(cipher.StringMode(), TStringMode::smEncode);
  EXPECT_EQ(Failure([&] { cipher.EncryptString("abc"); }), kKeyNotSet);
  EXPECT_EQ(Failure([&] { cipher.DecryptString("MK7X"); }), kKeyNotSet);
  EXPECT_EQ(Failure([&] { cipher.EncryptString(""); }), kKeyNotSet);
  EXPECT_EQ(Failure([&] { cipher.InitKey(std::string(57, 'k')); }),
            "EKeyError: Blowfish: Key must be between 1 and 56 bytes");
  EXPECT_FALSE(cipher.KeySet());

  cipher.InitKey(std::string(56, 'k'));
  EXPECT_EQ(Failure([&] { cipher.EncryptString("abc"); }), "none");  // ECB needs no IV
  for (TCipherMode mode : {TCipherMode::CBC, TCipherMode::CFB, TCipherMode::OFB}) {
    cipher.SetCipherMode(mode);
    EXPECT_EQ(Failure([&] { cipher.EncryptString("abc"); }), kIVNotSet);
    EXPECT_EQ(Failure([&] { cipher.DecryptString("MK7X"); }), kIVNotSet);
  }
  cipher.InitIV("");
  EXPECT_EQ(Failure([&] { cipher.EncryptString("abc"); }), "none");
}

TEST(TBlowfishTest, BurnForgetsKeyAndIVAlsoWhenAnExceptionLeaves) {
  TBlowfish cipher;
  EXPECT_EQ(Failure([&] {
              TBurnOnExit burn(cipher);
              Keyed(cipher, TCipherMode::CBC, TStringMode::smEncode);
              cipher.DecryptString("ab=");
            }),
            "EConvertError: Blowfish: Error converting from Base64 - invalid character");
  EXPECT_FALSE(cipher.KeySet());
  EXPECT_FALSE(cipher.IVSet());
  cipher.InitKey("Kormoran");
  EXPECT_EQ(Failure([&] { cipher.EncryptString("abc"); }), kIVNotSet);
  cipher.Burn();
  EXPECT_EQ(Failure([&] { cipher.EncryptString("abc"); }), kKeyNotSet);
}

TEST(TBlowfishTest, UnpaddingTrustsTheLastByteOnly) {
  // Deciphered last blocks whose final byte is 1..8 lose that many bytes; any
  // other value loses the one byte. The other padding bytes are not checked.
  const std::pair<std::string, std::string> cases[] = {
      {"abcdefg\x01", "abcdefg"},
      {"abc\x05\x05\x05\x05\x05", "abc"},
      {"abcde\x01\x02\x03", "abcde"},
      {std::string(8, '\x08'), ""},
      {std::string("abcdefg\0", 8), "abcdefg"},
      {"abcdefg\x09", "abcdefg"},
      {"abcdefg\xFF", "abcdefg"},
      {"abcdefgh", "abcdefg"},
  };
  for (const auto& [block, plain] : cases) {
    TBlowfish cipher;
    Keyed(cipher, TCipherMode::ECB, TStringMode::smNormal);
    EXPECT_EQ(cipher.DecryptString(E(block)), plain) << ToHex(block);
    EXPECT_EQ(cipher.DecryptString(E("12345678") + E(block)), "12345678" + plain) << ToHex(block);
  }
}

TEST(TBlowfishTest, CiphertextMustHoldWholeBlocks) {
  TBlowfish cipher;
  Keyed(cipher, TCipherMode::ECB, TStringMode::smNormal);
  for (std::size_t length : {1, 7, 9, 15, 17}) {
    EXPECT_EQ(Failure([&] { cipher.DecryptString(std::string(length, 'x')); }), kTooShort);
  }
  cipher.SetStringMode(TStringMode::smEncode);
  // 1 to 10 characters decode to fewer than 8 bytes, 12 to 21 to 9..15 bytes.
  for (std::size_t length = 1; length <= 22; ++length) {
    const bool whole = length == 11 || length == 22;
    EXPECT_EQ(Failure([&] { cipher.DecryptString(std::string(length, 'A')); }),
              whole ? "none" : kTooShort)
        << length;
  }
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

TEST(TBlowfishTest, LongIVFoldsIntoOneBlockAndSurvivesInitKey) {
  // "Seed Blocks" folds to "Seed Blo" xor "cks" over its first three bytes.
  const std::string folded = Xor("Seed Blo", std::string("cks\0\0\0\0\0", 8));
  TBlowfish first, second;
  Keyed(first, TCipherMode::CBC, TStringMode::smNormal, folded);
  second.SetCipherMode(TCipherMode::CBC);
  second.SetStringMode(TStringMode::smNormal);
  second.InitIV("Seed Blocks");
  second.InitKey("another key");
  second.InitKey("Kormoran");
  EXPECT_EQ(ToHex(second.EncryptString("same text")), ToHex(first.EncryptString("same text")));
}

TEST(TBlowfishTest, ChainingCarriesOverBetweenCalls) {
  // The IV register keeps the chaining value: a second call continues the chain.
  TBlowfish cipher;
  Keyed(cipher, TCipherMode::CBC, TStringMode::smNormal);
  const std::string first = cipher.EncryptString("abc");
  const std::string second = cipher.EncryptString("abc");
  EXPECT_NE(first, second);
  EXPECT_EQ(second, E(Xor("abc\x05\x05\x05\x05\x05", first)));
}

}  // namespace
}  // namespace vellorax::crypt
