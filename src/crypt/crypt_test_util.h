// Helpers shared by the cipher's tests: hexadecimal text to bytes and back, and
// the error a call ends with.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "crypt/crypt_errors.h"

namespace vellorax::crypt::test {

inline std::string FromHex(std::string_view hex) {
  std::string bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes += static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
  }
  return bytes;
}

inline std::string ToHex(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  for (char c : bytes) {
    hex += kDigits[static_cast<unsigned char>(c) >> 4];
    hex += kDigits[static_cast<unsigned char>(c) & 15];
  }
  return hex;
}

// The cipher's exception a call leaves with, as "EKeyError: message", or "none".
inline std::string Failure(const std::function<void()>& call) {
  try {
    call();
  } catch (const EKeyError& e) {
    return std::string("EKeyError: ") + e.what();
  } catch (const EConvertError& e) {
    return std::string("EConvertError: ") + e.what();
  } catch (const EInputError& e) {
    return std::string("EInputError: ") + e.what();
  }
  return "none";
}

}  // namespace vellorax::crypt::test
