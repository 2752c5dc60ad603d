// Whole-array operations on the largest bit arrays the search engine makes
// (just under 16,000,000 bits, about 2 MB), against a 2 MB memcpy measured in
// the same run as the memory-bandwidth baseline.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "search/bitarr.h"
#include "search/bitarr_stack.h"

namespace {

using vellorax::search::TBitarr;
using vellorax::search::TVLBitarrStack;

constexpr std::int32_t kBits = 15999999;  // FArrMax 499999: 500,000 words, 2,000,000 bytes
constexpr std::size_t kBytes = 2000000;

void Fill(TBitarr& bits, unsigned seed) {
  std::mt19937 rng(seed);
  for (int i = 0; i < 400000; ++i) bits.SetBit(static_cast<std::int32_t>(rng() % kBits));
}

void BM_Memcpy2MB(benchmark::State& state) {
  std::vector<char> src(kBytes, 1);
  std::vector<char> dst(kBytes, 0);
  for (auto _ : state) {
    std::memcpy(dst.data(), src.data(), kBytes);
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kBytes);
}
BENCHMARK(BM_Memcpy2MB);

void BM_And(benchmark::State& state) {
  TBitarr a(kBits);
  TBitarr b(kBits);
  Fill(a, 1);
  Fill(b, 2);
  for (auto _ : state) {
    a.AndWith(b);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kBytes);
}
BENCHMARK(BM_And);

void BM_Or(benchmark::State& state) {
  TBitarr a(kBits);
  TBitarr b(kBits);
  Fill(a, 1);
  Fill(b, 2);
  for (auto _ : state) {
    a.OrWith(b);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kBytes);
}
BENCHMARK(BM_Or);

void BM_Not(benchmark::State& state) {
  TBitarr a(kBits);
  Fill(a, 1);
  for (auto _ : state) {
    a.Complement();
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kBytes);
}
BENCHMARK(BM_Not);

void BM_CountBits(benchmark::State& state) {
  TBitarr a(kBits);
  Fill(a, 1);
  for (auto _ : state) benchmark::DoNotOptimize(a.CountBits());
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kBytes);
}
BENCHMARK(BM_CountBits);

// The stack's consuming AND as the search engine runs it: two pushes (copies)
// and the combination.
void BM_StackPushPushAnd(benchmark::State& state) {
  TBitarr a(kBits);
  TBitarr b(kBits);
  Fill(a, 1);
  Fill(b, 2);
  TVLBitarrStack stack(kBits);
  for (auto _ : state) {
    stack.Push(a);
    stack.Push(b);
    stack.AndTop();
    stack.Pop();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kBytes);
}
BENCHMARK(BM_StackPushPushAnd);

}  // namespace

BENCHMARK_MAIN();
