// Our Blowfish beside OpenSSL's in one run: the block primitive in ECB over
// 1 MB, and one whole string encryption of 16 bytes including the key schedule.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/blowfish.h>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "crypt/blow_core.h"
#include "crypt/vlcrypt.h"

namespace vellorax::crypt {
namespace {

constexpr std::size_t kMegabyte = 1 << 20;
constexpr char kKey[] = "Kormoran";
constexpr char kPlain16[] = "catalogue user01";  // 16 bytes

std::vector<std::uint8_t> TestData() {
  std::vector<std::uint8_t> data(kMegabyte);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 131 + 7);
  return data;
}

void BM_BlowCoreEcb1MB(benchmark::State& state) {
  TBlowCore core;
  core.InitKey(kKey);
  std::vector<std::uint8_t> data = TestData();
  for (auto _ : state) {
    core.EncipherECB(data.data(), data.size() / kBlockSize);
    benchmark::DoNotOptimize(data.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}
BENCHMARK(BM_BlowCoreEcb1MB);

void BM_OpenSslEcb1MB(benchmark::State& state) {
  BF_KEY schedule;
  BF_set_key(&schedule, sizeof kKey - 1, reinterpret_cast<const unsigned char*>(kKey));
  std::vector<std::uint8_t> data = TestData();
  for (auto _ : state) {
    for (std::size_t i = 0; i < data.size(); i += 8) {
      BF_ecb_encrypt(data.data() + i, data.data() + i, &schedule, BF_ENCRYPT);
    }
    benchmark::DoNotOptimize(data.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}
BENCHMARK(BM_OpenSslEcb1MB);

void BM_BlowCoreKeySchedule(benchmark::State& state) {
  TBlowCore core;
  for (auto _ : state) {
    core.InitKey(kKey);
    benchmark::DoNotOptimize(core.Block());
  }
}
BENCHMARK(BM_BlowCoreKeySchedule);

void BM_OpenSslSetKey(benchmark::State& state) {
  BF_KEY schedule;
  for (auto _ : state) {
    BF_set_key(&schedule, sizeof kKey - 1, reinterpret_cast<const unsigned char*>(kKey));
    benchmark::DoNotOptimize(&schedule);
  }
}
BENCHMARK(BM_OpenSslSetKey);

// One call as the Crypt object makes it: new TVLCrypt, key schedule, pad to
// 24 bytes, three blocks, text form, burn.
void BM_VLCryptEncrypt16(benchmark::State& state) {
  for (auto _ : state) {
    TVLCrypt crypt;
    std::string text = crypt.Encrypt(kPlain16);
    benchmark::DoNotOptimize(text.data());
  }
}
BENCHMARK(BM_VLCryptEncrypt16);

void BM_VLCryptDecrypt16(benchmark::State& state) {
  const std::string text = TVLCrypt().Encrypt(kPlain16);
  for (auto _ : state) {
    TVLCrypt crypt;
    std::string plain = crypt.Decrypt(text);
    benchmark::DoNotOptimize(plain.data());
  }
}
BENCHMARK(BM_VLCryptDecrypt16);

// OpenSSL's share of the same work: key schedule and the same three blocks
// (16 bytes plus a block of padding).
void BM_OpenSslSetKeyEncrypt16(benchmark::State& state) {
  unsigned char block[24] = {};
  for (auto _ : state) {
    BF_KEY schedule;
    BF_set_key(&schedule, sizeof kKey - 1, reinterpret_cast<const unsigned char*>(kKey));
    for (int i = 0; i < 24; i += 8) BF_ecb_encrypt(block + i, block + i, &schedule, BF_ENCRYPT);
    benchmark::DoNotOptimize(block);
  }
}
BENCHMARK(BM_OpenSslSetKeyEncrypt16);

}  // namespace
}  // namespace vellorax::crypt

BENCHMARK_MAIN();
