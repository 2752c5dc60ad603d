#include "crypt/blowfish.h"

#include <cstring>

#include "crypt/cipher_text.h"
#include "crypt/crypt_errors.h"
#include "crypt/secure_wipe.h"

namespace vellorax::crypt {
namespace {

inline void XorBlock(std::uint8_t* target, const std::uint8_t* other) noexcept {
  for (std::size_t i = 0; i < kBlockSize; ++i) target[i] ^= other[i];
}

inline std::uint8_t* Bytes(std::string& s) noexcept {
  return reinterpret_cast<std::uint8_t*>(s.data());
}

}  // namespace

TBlowfish::~TBlowfish() { Burn(); }

void TBlowfish::InitKey(std::string_view key) {
  if (key.size() < kMinKeyBytes || key.size() > kMaxKeyBytes) throw EKeyError(kMsgKeyLength);
  SecureZero(save_, sizeof save_);
  core_.InitKey(key);
  key_set_ = true;
}

void TBlowfish::InitIV(std::string_view iv) noexcept {
  SecureZero(iv_, sizeof iv_);
  for (std::size_t k = 0; k < iv.size(); ++k) iv_[k % kBlockSize] ^= static_cast<std::uint8_t>(iv[k]);
  iv_set_ = true;
}

void TBlowfish::Burn() noexcept {
  core_.Burn();
  // The registers may hold a plain block (save) or an OFB key-stream block
  // (IV); InitIV clears the IV register before use anyway.
  SecureZero(save_, sizeof save_);
  SecureZero(iv_, sizeof iv_);
  key_set_ = false;
  iv_set_ = false;
}

void TBlowfish::CheckReady() const {
  if (!key_set_) throw EKeyError(kMsgKeyNotSet);
  if (cipher_mode_ != TCipherMode::ECB && !iv_set_) throw EKeyError(kMsgIVNotSet);
}

std::string TBlowfish::EncryptString(std::string_view plain) {
  CheckReady();
  if (plain.empty()) return {};

  const std::size_t pad = kBlockSize - plain.size() % kBlockSize;
  std::string data;
  data.reserve(plain.size() + pad);
  data.append(plain);
  data.append(pad, static_cast<char>(pad));
  EncryptBlocks(Bytes(data), data.size() / kBlockSize);

  if (string_mode_ == TStringMode::smNormal) return data;
  return EncodeCipherText(data);
}

std::string TBlowfish::DecryptString(std::string_view cipher) {
  CheckReady();
  if (cipher.empty()) return {};

  std::string data =
      string_mode_ == TStringMode::smEncode ? DecodeCipherText(cipher) : std::string(cipher);
  // Only whole blocks can be deciphered; a partial tail means a damaged text.
  if (data.size() < kBlockSize || data.size() % kBlockSize != 0) throw EInputError(kMsgTooShort);
  DecryptBlocks(Bytes(data), data.size() / kBlockSize);

  const std::uint8_t last = static_cast<std::uint8_t>(data.back());
  const std::size_t drop = (last >= 1 && last <= kBlockSize) ? last : 1;
  data.resize(data.size() - drop);
  return data;
}

void TBlowfish::EncryptBlocks(std::uint8_t* data, std::size_t blocks) noexcept {
  if (cipher_mode_ == TCipherMode::ECB) {
    core_.EncipherECB(data, blocks);
    return;
  }
  std::uint8_t* block = core_.Block();
  for (std::size_t n = 0; n < blocks; ++n, data += kBlockSize) {
    std::memcpy(block, data, kBlockSize);
    switch (cipher_mode_) {
      case TCipherMode::CBC:  // B := E(B xor I); I := B
        XorBlock(block, iv_);
        core_.EncipherBlock(block);
        std::memcpy(iv_, block, kBlockSize);
        break;
      case TCipherMode::CFB:  // I := E(I); B := B xor I; I := B
        core_.EncipherBlock(iv_);
        XorBlock(block, iv_);
        std::memcpy(iv_, block, kBlockSize);
        break;
      case TCipherMode::OFB:  // I := E(I); B := B xor I
        core_.EncipherBlock(iv_);
        XorBlock(block, iv_);
        break;
      case TCipherMode::ECB:
        core_.EncipherBlock(block);
        break;
    }
    std::memcpy(data, block, kBlockSize);
  }
}

void TBlowfish::DecryptBlocks(std::uint8_t* data, std::size_t blocks) noexcept {
  if (cipher_mode_ == TCipherMode::ECB) {
    core_.DecipherECB(data, blocks);
    return;
  }
  std::uint8_t* block = core_.Block();
  for (std::size_t n = 0; n < blocks; ++n, data += kBlockSize) {
    std::memcpy(block, data, kBlockSize);
    switch (cipher_mode_) {
      case TCipherMode::CBC:  // C := B; B := D(B) xor I; I := C
        std::memcpy(save_, block, kBlockSize);
        core_.DecipherBlock(block);
        XorBlock(block, iv_);
        std::memcpy(iv_, save_, kBlockSize);
        break;
      case TCipherMode::CFB:  // C := B; I := E(I); B := C xor I; I := C
        std::memcpy(save_, block, kBlockSize);
        core_.EncipherBlock(iv_);
        XorBlock(block, iv_);
        std::memcpy(iv_, save_, kBlockSize);
        break;
      case TCipherMode::OFB:  // I := E(I); B := B xor I
        core_.EncipherBlock(iv_);
        XorBlock(block, iv_);
        break;
      case TCipherMode::ECB:
        core_.DecipherBlock(block);
        break;
    }
    std::memcpy(data, block, kBlockSize);
  }
}

}  // namespace vellorax::crypt
