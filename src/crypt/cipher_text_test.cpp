#include "crypt/cipher_text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "crypt/crypt_errors.h"

namespace vellorax::crypt {
namespace {

const std::string kAlphabet = "+-0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// A second, deliberately literal rendering of the text encoding: append one
// zero byte when the count is not a multiple of 3, walk groups of three, and
// emit only characters that are complete (the fourth one of the group holding
// the appended zero byte is left out).
std::string ReferenceEncode(const std::string& input) {
  std::vector<unsigned> bytes(input.begin(), input.end());
  for (unsigned& b : bytes) b &= 0xFF;
  const bool padded = bytes.size() % 3 != 0;
  if (padded) bytes.push_back(0);
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const unsigned b1 = bytes[i];
    const bool has_b2 = i + 1 < bytes.size();
    const bool has_b3 = i + 2 < bytes.size();
    const unsigned b2 = has_b2 ? bytes[i + 1] : 0;
    const unsigned b3 = has_b3 ? bytes[i + 2] : 0;
    out += kAlphabet[b1 >> 2];
    if (!has_b2) break;
    out += kAlphabet[((b1 & 3) << 4) | (b2 >> 4)];
    if (!has_b3) break;
    out += kAlphabet[((b2 & 15) << 2) | (b3 >> 6)];
    if (padded && i + 3 == bytes.size()) break;
    out += kAlphabet[b3 & 63];
  }
  return out;
}

// Groups of four characters d1..d4; a last group of 2 gives one byte, of 3
// two bytes, of 1 none.
std::string ReferenceDecode(const std::string& text) {
  std::vector<unsigned> d;
  for (char c : text) d.push_back(static_cast<unsigned>(kAlphabet.find(c)));
  std::string out;
  for (std::size_t i = 0; i < d.size(); i += 4) {
    const std::size_t n = std::min<std::size_t>(4, d.size() - i);
    if (n >= 2) out += static_cast<char>(((d[i] << 2) | (d[i + 1] >> 4)) & 255);
    if (n >= 3) out += static_cast<char>(((d[i + 1] << 4) | (d[i + 2] >> 2)) & 255);
    if (n == 4) out += static_cast<char>(((d[i + 2] << 6) | d[i + 3]) & 255);
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
      {"\x04\x10\x41", "----"},  // every 6-bit value 1
      {"\xFF\xFF\xFF", "zzzz"},
      {"\x08\x20\x82", "0000"},  // every 6-bit value 2, the digit "0"
      {"\x30\xC3\x0C", "AAAA"},  // 12
      {"\x96\x59\x65", "ZZZZ"},  // 37
      {"\x9A\x69\xA6", "aaaa"},  // 38
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
    try {
      DecodeCipherText(text);
      ADD_FAILURE() << "accepted " << text;
    } catch (const EConvertError& e) {
      EXPECT_STREQ(e.what(), "Blowfish: Error converting from Base64 - invalid character");
    }
  }
}

}  // namespace
}  // namespace vellorax::crypt
