#include "crypt/blow_core.h"

#include <cstring>

#include "crypt/crypt_errors.h"
#include "crypt/secure_wipe.h"

namespace vellorax::crypt {
namespace {

inline std::uint32_t LoadBigEndian(const std::uint8_t* bytes) noexcept {
  return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
         (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
}

inline void StoreBigEndian(std::uint32_t word, std::uint8_t* bytes) noexcept {
  bytes[0] = static_cast<std::uint8_t>(word >> 24);
  bytes[1] = static_cast<std::uint8_t>(word >> 16);
  bytes[2] = static_cast<std::uint8_t>(word >> 8);
  bytes[3] = static_cast<std::uint8_t>(word);
}

// The round function F of one half.
inline std::uint32_t Feistel(const std::uint32_t (&s)[4][256], std::uint32_t x) noexcept {
  return ((s[0][x >> 24] + s[1][(x >> 16) & 0xFF]) ^ s[2][(x >> 8) & 0xFF]) + s[3][x & 0xFF];
}

// Subkey i of the network: in order to encipher, reversed to decipher.
template <bool kReverse>
constexpr int Subkey(int i) noexcept {
  return kReverse ? kRounds + 1 - i : i;
}

// The sixteen rounds of the classic loop (L ^= P[i]; R ^= F(L); swap) two at a
// time, so the halves trade places without the swaps.
template <bool kReverse>
inline void Network(const std::uint32_t (&p)[kRounds + 2], const std::uint32_t (&s)[4][256],
                    std::uint32_t& left, std::uint32_t& right) noexcept {
  std::uint32_t l = left ^ p[Subkey<kReverse>(0)];
  std::uint32_t r = right;
#pragma GCC unroll 8
  for (int i = 1; i < kRounds; i += 2) {
    r ^= Feistel(s, l) ^ p[Subkey<kReverse>(i)];
    l ^= Feistel(s, r) ^ p[Subkey<kReverse>(i + 1)];
  }
  left = r ^ p[Subkey<kReverse>(kRounds + 1)];
  right = l;
}

// The same network on two independent blocks side by side, so the table
// look-ups of one hide the latency of the other's.
template <bool kReverse>
inline void Network2(const std::uint32_t (&p)[kRounds + 2], const std::uint32_t (&s)[4][256],
                     std::uint32_t& left1, std::uint32_t& right1, std::uint32_t& left2,
                     std::uint32_t& right2) noexcept {
  std::uint32_t l1 = left1 ^ p[Subkey<kReverse>(0)], r1 = right1;
  std::uint32_t l2 = left2 ^ p[Subkey<kReverse>(0)], r2 = right2;
#pragma GCC unroll 8
  for (int i = 1; i < kRounds; i += 2) {
    r1 ^= Feistel(s, l1) ^ p[Subkey<kReverse>(i)];
    r2 ^= Feistel(s, l2) ^ p[Subkey<kReverse>(i)];
    l1 ^= Feistel(s, r1) ^ p[Subkey<kReverse>(i + 1)];
    l2 ^= Feistel(s, r2) ^ p[Subkey<kReverse>(i + 1)];
  }
  left1 = r1 ^ p[Subkey<kReverse>(kRounds + 1)];
  right1 = l1;
  left2 = r2 ^ p[Subkey<kReverse>(kRounds + 1)];
  right2 = l2;
}

constexpr auto Encipher = Network<false>;
constexpr auto Decipher = Network<true>;

// The network over `blocks` consecutive 8-byte blocks in place. Two
// independent blocks at a time: the rounds of one block are a chain of
// dependent loads, so interleaving a second chain fills the idle cycles.
template <bool kReverse>
void NetworkECB(const std::uint32_t (&p)[kRounds + 2], const std::uint32_t (&s)[4][256],
                std::uint8_t* data, std::size_t blocks) noexcept {
  for (; blocks >= 2; blocks -= 2, data += 2 * kBlockSize) {
    std::uint32_t l1 = LoadBigEndian(data), r1 = LoadBigEndian(data + 4);
    std::uint32_t l2 = LoadBigEndian(data + 8), r2 = LoadBigEndian(data + 12);
    Network2<kReverse>(p, s, l1, r1, l2, r2);
    StoreBigEndian(l1, data);
    StoreBigEndian(r1, data + 4);
    StoreBigEndian(l2, data + 8);
    StoreBigEndian(r2, data + 12);
  }
  if (blocks == 1) {
    std::uint32_t left = LoadBigEndian(data), right = LoadBigEndian(data + 4);
    Network<kReverse>(p, s, left, right);
    StoreBigEndian(left, data);
    StoreBigEndian(right, data + 4);
  }
}
}  // namespace

TBlowCore::TBlowCore() noexcept : p_{}, s_{}, block_{} {}

TBlowCore::~TBlowCore() { Burn(); }

void TBlowCore::Burn() noexcept {
  SecureZero(p_, sizeof p_);
  SecureZero(s_, sizeof s_);
  SecureZero(block_, sizeof block_);
}

void TBlowCore::InitKey(std::string_view key) {
  if (key.size() < kMinKeyBytes || key.size() > kMaxKeyBytes) throw EKeyError(kMsgKeyLength);

  // The key bytes live in a zeroed scratch buffer that is wiped on the way out.
  std::uint8_t buffer[256] = {};
  TWipeOnExit wipe_buffer(buffer);
  std::memcpy(buffer, key.data(), key.size());
  const std::size_t length = key.size();

  SecureZero(block_, sizeof block_);
  std::memcpy(p_, kPiP, sizeof p_);
  std::memcpy(s_, kPiS, sizeof s_);

  std::size_t j = 0;
  for (std::uint32_t& subkey : p_) {
    std::uint32_t word = 0;
    for (int k = 0; k < 4; ++k) {
      word = (word << 8) | buffer[j];
      j = (j + 1) % length;
    }
    subkey ^= word;
  }

  std::uint32_t left = 0;
  std::uint32_t right = 0;
  for (int i = 0; i < kRounds + 2; i += 2) {
    Encipher(p_, s_, left, right);
    p_[i] = left;
    p_[i + 1] = right;
  }
  for (auto& box : s_) {
    for (int i = 0; i < 256; i += 2) {
      Encipher(p_, s_, left, right);
      box[i] = left;
      box[i + 1] = right;
    }
  }
  SecureZero(&left, sizeof left);
  SecureZero(&right, sizeof right);
}

void TBlowCore::EncipherWords(std::uint32_t& left, std::uint32_t& right) const noexcept {
  Encipher(p_, s_, left, right);
}

void TBlowCore::DecipherWords(std::uint32_t& left, std::uint32_t& right) const noexcept {
  Decipher(p_, s_, left, right);
}

void TBlowCore::EncipherBlock(std::uint8_t* block) const noexcept { EncipherECB(block, 1); }

void TBlowCore::DecipherBlock(std::uint8_t* block) const noexcept { DecipherECB(block, 1); }

void TBlowCore::EncipherECB(std::uint8_t* data, std::size_t blocks) const noexcept {
  NetworkECB<false>(p_, s_, data, blocks);
}

void TBlowCore::DecipherECB(std::uint8_t* data, std::size_t blocks) const noexcept {
  NetworkECB<true>(p_, s_, data, blocks);
}

}  // namespace vellorax::crypt
