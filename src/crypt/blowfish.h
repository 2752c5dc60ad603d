// TBlowfish: a string cipher over TBlowCore with a choice of block mode and
// of ciphertext form. Plain strings are padded to whole blocks (r = length
// mod 8; 8 - r bytes of value 8 - r); ciphertexts are text (smEncode, see
// cipher_text.h) or raw bytes (smNormal). Not thread-safe.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "crypt/blow_core.h"

namespace vellorax::crypt {

enum class TCipherMode : std::uint8_t { ECB = 0, CBC = 1, CFB = 2, OFB = 3 };
enum class TStringMode : std::uint8_t { smEncode = 0, smNormal = 1 };

class TBlowfish {
 public:
  // Unkeyed, no IV, ECB, smEncode.
  TBlowfish() noexcept = default;
  // Burns; the core wipes itself as well.
  ~TBlowfish();
  TBlowfish(const TBlowfish&) = delete;
  TBlowfish& operator=(const TBlowfish&) = delete;

  // Runs the key schedule over the key's bytes. Throws EKeyError unless the
  // key has 1 to 56 bytes. The IV register is not touched.
  void InitKey(std::string_view key);

  // Folds the IV string into the 8-byte IV register (byte k goes to k mod 8).
  void InitIV(std::string_view iv) noexcept;

  // Pads and enciphers `plain`; an empty string gives an empty string.
  // Throws EKeyError without a key, or without an IV in a mode other than ECB.
  std::string EncryptString(std::string_view plain);

  // Deciphers and unpads: a last byte p of 1 to 8 drops p bytes, any other
  // value drops that byte only. An empty string gives an empty string. Throws
  // EKeyError as EncryptString, EConvertError for a character outside the
  // text alphabet (smEncode) and EInputError unless the ciphertext holds one or
  // more whole blocks.
  std::string DecryptString(std::string_view cipher);

  // Wipes the key schedule, the block buffer and the chaining registers;
  // key and IV must be initialised again.
  void Burn() noexcept;

  bool KeySet() const noexcept { return key_set_; }
  bool IVSet() const noexcept { return iv_set_; }
  TCipherMode CipherMode() const noexcept { return cipher_mode_; }
  void SetCipherMode(TCipherMode mode) noexcept { cipher_mode_ = mode; }
  TStringMode StringMode() const noexcept { return string_mode_; }
  void SetStringMode(TStringMode mode) noexcept { string_mode_ = mode; }

 private:
  void CheckReady() const;
  void EncryptBlocks(std::uint8_t* data, std::size_t blocks) noexcept;
  void DecryptBlocks(std::uint8_t* data, std::size_t blocks) noexcept;

  TBlowCore core_;
  bool key_set_ = false;
  bool iv_set_ = false;
  std::uint8_t iv_[kBlockSize] = {};
  std::uint8_t save_[kBlockSize] = {};
  TCipherMode cipher_mode_ = TCipherMode::ECB;
  TStringMode string_mode_ = TStringMode::smEncode;
};

// Burns a cipher when the scope ends, however it ends.
class TBurnOnExit {
 public:
  explicit TBurnOnExit(TBlowfish& cipher) noexcept : cipher_(cipher) {}
  ~TBurnOnExit() { cipher_.Burn(); }
  TBurnOnExit(const TBurnOnExit&) = delete;
  TBurnOnExit& operator=(const TBurnOnExit&) = delete;

 private:
  TBlowfish& cipher_;
};

}  // namespace vellorax::crypt
