// The printable form of a ciphertext: Base64 over the XXencode alphabet
// ("+" is 0, "-" is 1, digits 2..11, "A".."Z" 12..37, "a".."z" 38..63),
// without padding characters or line breaks. 1 byte gives 2 characters,
// 2 bytes 3, 3 bytes 4; 8 bytes give 11.
#pragma once

#include <string>
#include <string_view>

namespace vellorax::crypt {

inline constexpr char kCipherAlphabet[] =
    "+-0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// Encodes raw bytes as text.
std::string EncodeCipherText(std::string_view bytes);

// Decodes text to raw bytes; a trailing group of 2 characters gives 1 byte,
// of 3 characters 2 bytes, of 1 character none. Throws EConvertError for any
// character outside the alphabet (also "=", blanks and line breaks).
std::string DecodeCipherText(std::string_view text);

}  // namespace vellorax::crypt
