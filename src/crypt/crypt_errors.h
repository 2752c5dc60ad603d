// The cipher's exception classes and their exact messages. Every failure of
// the string cipher leaves it as one of these, derived from std::runtime_error
// so callers can report what() unchanged.
#pragma once

#include <stdexcept>

namespace vellorax::crypt {

inline constexpr char kMsgKeyLength[] = "Blowfish: Key must be between 1 and 56 bytes";
inline constexpr char kMsgKeyNotSet[] = "Blowfish: Key not set";
inline constexpr char kMsgIVNotSet[] = "Blowfish: IV not set";
inline constexpr char kMsgInvalidCharacter[] =
    "Blowfish: Error converting from Base64 - invalid character";
inline constexpr char kMsgTooShort[] = "Blowfish: Input not valid - too short";

// A key of the wrong length, or a key or IV missing when a string is processed.
class EKeyError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A character outside the ciphertext alphabet.
class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A ciphertext that does not hold whole blocks.
class EInputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace vellorax::crypt
