#include "crypt/cipher_text.h"

#include <array>
#include <cstdint>

#include "crypt/crypt_errors.h"

namespace vellorax::crypt {
namespace {

constexpr std::uint8_t kInvalid = 0xFF;

constexpr std::array<std::uint8_t, 256> MakeDecodeTable() {
  std::array<std::uint8_t, 256> table{};
  for (auto& value : table) value = kInvalid;
  for (std::uint8_t i = 0; i < 64; ++i) table[static_cast<unsigned char>(kCipherAlphabet[i])] = i;
  return table;
}

constexpr std::array<std::uint8_t, 256> kDecode = MakeDecodeTable();

inline std::uint8_t Byte(std::string_view text, std::size_t i) {
  return static_cast<std::uint8_t>(text[i]);
}

}  // namespace

std::string EncodeCipherText(std::string_view bytes) {
  std::string text;
  text.reserve((bytes.size() * 4 + 2) / 3);
  std::size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const std::uint8_t b1 = Byte(bytes, i), b2 = Byte(bytes, i + 1), b3 = Byte(bytes, i + 2);
    text += kCipherAlphabet[b1 >> 2];
    text += kCipherAlphabet[((b1 & 3) << 4) | (b2 >> 4)];
    text += kCipherAlphabet[((b2 & 15) << 2) | (b3 >> 6)];
    text += kCipherAlphabet[b3 & 63];
  }
  // A short last group is completed with zero bits; only the characters that
  // carry input bits are written.
  const std::size_t rest = bytes.size() - i;
  if (rest == 1) {
    const std::uint8_t b1 = Byte(bytes, i);
    text += kCipherAlphabet[b1 >> 2];
    text += kCipherAlphabet[(b1 & 3) << 4];
  } else if (rest == 2) {
    const std::uint8_t b1 = Byte(bytes, i), b2 = Byte(bytes, i + 1);
    text += kCipherAlphabet[b1 >> 2];
    text += kCipherAlphabet[((b1 & 3) << 4) | (b2 >> 4)];
    text += kCipherAlphabet[(b2 & 15) << 2];
  }
  return text;
}

std::string DecodeCipherText(std::string_view text) {
  for (char c : text) {
    if (kDecode[static_cast<unsigned char>(c)] == kInvalid) throw EConvertError(kMsgInvalidCharacter);
  }
  auto digit = [&](std::size_t i) { return kDecode[Byte(text, i)]; };

  std::string bytes;
  bytes.reserve(text.size() / 4 * 3 + 2);
  std::size_t i = 0;
  for (; i + 4 <= text.size(); i += 4) {
    const std::uint8_t d1 = digit(i), d2 = digit(i + 1), d3 = digit(i + 2), d4 = digit(i + 3);
    bytes += static_cast<char>((d1 << 2) | (d2 >> 4));
    bytes += static_cast<char>(((d2 << 4) | (d3 >> 2)) & 0xFF);
    bytes += static_cast<char>(((d3 << 6) | d4) & 0xFF);
  }
  const std::size_t rest = text.size() - i;
  if (rest >= 2) bytes += static_cast<char>(((digit(i) << 2) | (digit(i + 1) >> 4)) & 0xFF);
  if (rest == 3) bytes += static_cast<char>(((digit(i + 1) << 4) | (digit(i + 2) >> 2)) & 0xFF);
  return bytes;
}

}  // namespace vellorax::crypt
