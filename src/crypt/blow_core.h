// TBlowCore: the Blowfish key schedule and block primitive (64-bit block,
// 16 rounds, key of 1 to 56 bytes). A block is read as two 32-bit halves,
// left = bytes 0..3 and right = bytes 4..7, each big-endian, as in the
// published test vectors. Not thread-safe; one core belongs to one cipher.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "crypt/pi_tables.h"

namespace vellorax::crypt {

inline constexpr std::size_t kBlockSize = 8;
inline constexpr std::size_t kMinKeyBytes = 1;
inline constexpr std::size_t kMaxKeyBytes = 56;

class TBlowCore {
 public:
  // An unkeyed core: every table and the block buffer hold zeros.
  TBlowCore() noexcept;
  // Burns the key schedule.
  ~TBlowCore();
  TBlowCore(const TBlowCore&) = delete;
  TBlowCore& operator=(const TBlowCore&) = delete;

  // Zeroes the block buffer and runs the standard key schedule over the key's
  // bytes. Throws EKeyError unless the key has 1 to 56 bytes (the core is then
  // left as it was).
  void InitKey(std::string_view key);

  // Zeroes P-array, S-boxes and block buffer so no key material remains.
  void Burn() noexcept;

  // The primitive on two halves.
  void EncipherWords(std::uint32_t& left, std::uint32_t& right) const noexcept;
  void DecipherWords(std::uint32_t& left, std::uint32_t& right) const noexcept;

  // The primitive on 8 bytes in place.
  void EncipherBlock(std::uint8_t* block) const noexcept;
  void DecipherBlock(std::uint8_t* block) const noexcept;

  // ECB over `blocks` consecutive 8-byte blocks in place.
  void EncipherECB(std::uint8_t* data, std::size_t blocks) const noexcept;
  void DecipherECB(std::uint8_t* data, std::size_t blocks) const noexcept;

  // The block buffer: the 8 bytes a chaining mode works on.
  std::uint8_t* Block() noexcept { return block_; }

 private:
  std::uint32_t p_[kRounds + 2];
  std::uint32_t s_[4][256];
  std::uint8_t block_[kBlockSize];
};

}  // namespace vellorax::crypt
