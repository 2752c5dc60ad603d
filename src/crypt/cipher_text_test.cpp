#include "crypt/cipher_text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "crypt/crypt_test_util.h"

namespace vellorax::crypt {
namespace {

const std::string kAlphabet = "+-0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// A second rendering of the text encoding, as a bit stream instead of groups:
// the bytes' bits, most significant first, cut into 6-bit digits; a last
// partial digit is filled with zero bits (so n bytes give ceil(8n/6) characters).
std::string ReferenceEncode(std::string_view bytes) {
  std::string out;
  unsigned bits = 0, count = 0;
  for (unsigned char b : bytes) {
    bits = (bits << 8) | b;
    for (count += 8; count >= 6; count -= 6) out += kAlphabet[(bits >> (count - 6)) & 63];
  }
  if (count > 0) out += kAlphabet[(bits << (6 - count)) & 63];
  return out;
}

// And back: whole bytes only, left-over bits (fewer than 8) are dropped.
std::string ReferenceDecode(std::string_view text) {
  std::string out;
  unsigned bits = 0, count = 0;
  for (char c : text) {
    bits = (bits << 6) | static_cast<unsigned>(kAlphabet.find(c));
    count += 6;
    if (count >= 8) out += static_cast<char>((bits >> (count -= 8)) & 255);
  }
  return out;
}

TEST(CipherTextTest, WorkedExamples) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"a", "ME"},
      {"ab", "MK6"},
      {"abc", "MK7X"},
      {"abcd", "MK7XN+"},
      {std::string(3, '\0'), "++++"},
      {"\xFF\xFF\xFF", "zzzz"},
  };
  for (const auto& [bytes, text] : cases) {
    EXPECT_EQ(EncodeCipherText(bytes), text) << text;
    EXPECT_EQ(DecodeCipherText(text), bytes) << text;
  }
  // Texts no encoder makes: a lone last character, stray low bits.
  EXPECT_EQ(DecodeCipherText("M"), "");
  EXPECT_EQ(DecodeCipherText("MK7XN"), "abc");
  EXPECT_EQ(DecodeCipherText("MF"), "a");
}

TEST(CipherTextTest, LengthTable) {
  const std::pair<std::size_t, std::size_t> cases[] = {
      {1, 2}, {2, 3}, {3, 4}, {4, 6}, {8, 11}, {16, 22}, {24, 32}, {32, 43}};
  for (auto [bytes, chars] : cases) {
    EXPECT_EQ(EncodeCipherText(std::string(bytes, 'x')).size(), chars) << bytes;
  }
}

TEST(CipherTextTest, MatchesReferenceOnRandomBytesAndTexts) {
  std::mt19937 random(7);
  for (std::size_t length = 0; length <= 64; ++length) {
    for (int round = 0; round < 4; ++round) {
      std::string bytes(length, '\0'), text;
      for (char& c : bytes) c = static_cast<char>(random() % 256);
      for (std::size_t i = 0; i < length; ++i) text += kCipherAlphabet[random() % 64];
      ASSERT_EQ(EncodeCipherText(bytes), ReferenceEncode(bytes)) << "length " << length;
      ASSERT_EQ(DecodeCipherText(ReferenceEncode(bytes)), bytes) << "length " << length;
      ASSERT_EQ(DecodeCipherText(text), ReferenceDecode(text)) << text;
    }
  }
}

TEST(CipherTextTest, InvalidCharacters) {
  const std::string cases[] = {"ab=",  "MK7X==", "MK 7X", "MK7X\n", "MK7X\r\n", "MK/X",
                               "MK_X", "\xE9",   "MK7\x80", std::string("MK\0X", 4)};
  for (const std::string& text : cases) {
    EXPECT_EQ(test::Failure([&] { DecodeCipherText(text); }),
              "EConvertError: Blowfish: Error converting from Base64 - invalid character")
        << text;
  }
}

}  // namespace
}  // namespace vellorax::crypt
