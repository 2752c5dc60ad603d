#include "search/bitarr.h"

#include <bit>
#include <stdexcept>
#include <string>

namespace vellorax::search {
namespace {

// Step capacities in 32-bit words: an array is allocated at the first step
// whose limit its FArrMax stays below.
struct CapacityStep {
  std::int32_t below;
  std::int32_t words;
};
constexpr CapacityStep kCapacitySteps[] = {
    {1000, 1001},     {2000, 2001},     {5000, 5001},     {10000, 10001},   {20000, 20001},
    {50000, 50001},   {100000, 100001}, {200000, 200001}, {500000, 500001},
};

// Whole-array loops run over blocks of kBlock words with a fixed inner count,
// which the compiler turns into vector instructions already at -O2; a scalar
// loop finishes the rest.
constexpr std::size_t kBlock = 8;

template <typename Op>
inline void ForEachWord(std::uint64_t* __restrict dst, const std::uint64_t* __restrict src,
                        std::size_t n, Op op) {
  std::size_t i = 0;
  for (; i + kBlock <= n; i += kBlock) {
    for (std::size_t k = 0; k < kBlock; ++k) dst[i + k] = op(dst[i + k], src[i + k]);
  }
  for (; i < n; ++i) dst[i] = op(dst[i], src[i]);
}

template <typename Op>
inline void ForEachWord(std::uint64_t* __restrict dst, std::size_t n, Op op) {
  std::size_t i = 0;
  for (; i + kBlock <= n; i += kBlock) {
    for (std::size_t k = 0; k < kBlock; ++k) dst[i + k] = op(dst[i + k]);
  }
  for (; i < n; ++i) dst[i] = op(dst[i]);
}

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__AVX2__)
// One copy of each loop for processors with 256-bit vectors, chosen at load time.
#define VX_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define VX_VECTOR_CLONES
#endif

VX_VECTOR_CLONES void FillWords(std::uint64_t* dst, std::size_t n, std::uint64_t value) {
  ForEachWord(dst, n, [value](std::uint64_t) { return value; });
}
VX_VECTOR_CLONES void CopyWords(std::uint64_t* dst, const std::uint64_t* src, std::size_t n) {
  ForEachWord(dst, src, n, [](std::uint64_t, std::uint64_t b) { return b; });
}
VX_VECTOR_CLONES void AndWords(std::uint64_t* dst, const std::uint64_t* src, std::size_t n) {
  ForEachWord(dst, src, n, [](std::uint64_t a, std::uint64_t b) { return a & b; });
}
VX_VECTOR_CLONES void OrWords(std::uint64_t* dst, const std::uint64_t* src, std::size_t n) {
  ForEachWord(dst, src, n, [](std::uint64_t a, std::uint64_t b) { return a | b; });
}
VX_VECTOR_CLONES void AndNotWords(std::uint64_t* dst, const std::uint64_t* src, std::size_t n) {
  ForEachWord(dst, src, n, [](std::uint64_t a, std::uint64_t b) { return a & ~b; });
}
VX_VECTOR_CLONES void NotWords(std::uint64_t* dst, std::size_t n) {
  ForEachWord(dst, n, [](std::uint64_t a) { return ~a; });
}

inline std::int64_t CountWords(const std::uint64_t* words, std::size_t n) {
  // Four independent sums keep the popcount unit busy.
  std::int64_t c0 = 0, c1 = 0, c2 = 0, c3 = 0;
  std::size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    c0 += std::popcount(words[i]);
    c1 += std::popcount(words[i + 1]);
    c2 += std::popcount(words[i + 2]);
    c3 += std::popcount(words[i + 3]);
  }
  for (; i < n; ++i) c0 += std::popcount(words[i]);
  return c0 + c1 + c2 + c3;
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__)) && !defined(__POPCNT__)
// The baseline x86-64 instruction set has no popcount instruction; use it
// when the processor has one.
__attribute__((target("popcnt"))) std::int64_t CountWordsPopcnt(const std::uint64_t* words,
                                                                  std::size_t n) {
  std::int64_t c0 = 0, c1 = 0, c2 = 0, c3 = 0;
  std::size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    c0 += __builtin_popcountll(words[i]);
    c1 += __builtin_popcountll(words[i + 1]);
    c2 += __builtin_popcountll(words[i + 2]);
    c3 += __builtin_popcountll(words[i + 3]);
  }
  for (; i < n; ++i) c0 += __builtin_popcountll(words[i]);
  return c0 + c1 + c2 + c3;
}

std::int64_t CountAll(const std::uint64_t* words, std::size_t n) {
  static const bool has_popcnt = __builtin_cpu_supports("popcnt");
  return has_popcnt ? CountWordsPopcnt(words, n) : CountWords(words, n);
}
#else
std::int64_t CountAll(const std::uint64_t* words, std::size_t n) { return CountWords(words, n); }
#endif

}  // namespace

TBitarr::TBitarr(std::int32_t size) : size_(size) {
  if (size < 0 || size / 32 >= kMaxArrMax) {
    throw BitarrSizeException("bitarr: TBitarr.Create: FArrMax too large! (size " +
                              std::to_string(size) + ")");
  }
  arr_max_ = size / 32;
  capacity32_ = kCapacitySteps[0].words;
  for (const CapacityStep& step : kCapacitySteps) {
    if (arr_max_ < step.below) {
      capacity32_ = step.words;
      break;
    }
  }
  words64_ = (static_cast<std::size_t>(arr_max_) + 2) / 2;
  words_ = std::make_unique_for_overwrite<std::uint64_t[]>(
      (static_cast<std::size_t>(capacity32_) + 1) / 2);
  ClearAll();
}

void TBitarr::RequireWords(const TBitarr& other) const {
  if (other.arr_max_ < arr_max_) {
    throw std::invalid_argument("bitarr: operand has " + std::to_string(other.arr_max_ + 1) +
                                " words, " + std::to_string(arr_max_ + 1) + " needed");
  }
}

void TBitarr::TrimTail() {
  if ((arr_max_ & 1) == 0) words_[words64_ - 1] &= 0xFFFFFFFFull;
}

void TBitarr::ClearAll() { FillWords(words_.get(), words64_, 0); }

void TBitarr::SetAll() {
  FillWords(words_.get(), words64_, ~std::uint64_t{0});
  TrimTail();
}

std::int32_t TBitarr::CountBits() const {
  return static_cast<std::int32_t>(CountAll(words_.get(), words64_));
}

void TBitarr::CopyFrom(const TBitarr& other) {
  RequireWords(other);
  CopyWords(words_.get(), other.words_.get(), words64_);
  TrimTail();
}

void TBitarr::AndWith(const TBitarr& other) {
  RequireWords(other);
  AndWords(words_.get(), other.words_.get(), words64_);
}

void TBitarr::OrWith(const TBitarr& other) {
  RequireWords(other);
  OrWords(words_.get(), other.words_.get(), words64_);
  TrimTail();
}

void TBitarr::AndNotWith(const TBitarr& other) {
  RequireWords(other);
  AndNotWords(words_.get(), other.words_.get(), words64_);
}

void TBitarr::Complement() {
  NotWords(words_.get(), words64_);
  TrimTail();
}

std::uint32_t TBitarr::Word32(std::int32_t w) const {
  const std::uint64_t word = words_[static_cast<std::size_t>(w) >> 1];
  return static_cast<std::uint32_t>((w & 1) ? word >> 32 : word);
}

}  // namespace vellorax::search
