// TBitarr: a fixed-size set of record identifiers, one bit per identifier.
//
// The array is addressed as 32-bit words 0..FArrMax (FArrMax = size div 32, so
// a size that is a multiple of 32 still gets one more word). Whole-array
// operations work on all those words: the bits of the last word at or above
// `size` are ordinary storage that SetAll and complement set and CountBits
// counts. Internally the words are kept in pairs as 64-bit words; when the word
// count is odd, the upper half of the last 64-bit word is kept zero.
//
// Not thread-safe. Copyable only through CopyFrom (the stack copies entries).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>

namespace vellorax::search {

// Raised by the TBitarr constructor for sizes the engine does not support
// (size div 32 >= 500000, or a negative size); no array is made.
class BitarrSizeException : public std::length_error {
 public:
  using std::length_error::length_error;
};

class TBitarr {
 public:
  // Largest FArrMax the array supports is kMaxArrMax - 1 (sizes below
  // 16,000,000 bits).
  static constexpr std::int32_t kMaxArrMax = 500000;

  // Makes a cleared array of `size` bits. Throws BitarrSizeException when
  // size < 0 or size div 32 >= 500000.
  explicit TBitarr(std::int32_t size);
  TBitarr(const TBitarr&) = delete;
  TBitarr& operator=(const TBitarr&) = delete;

  std::int32_t Size() const { return size_; }
  std::int32_t FArrMax() const { return arr_max_; }
  // Number of 32-bit words allocated (the step capacity).
  std::int32_t Capacity() const { return capacity32_; }

  // REQUIRES: 0 <= n < Size().
  void SetBit(std::int32_t n) { words_[n >> 6] |= Mask(n); }
  void ClearBit(std::int32_t n) { words_[n >> 6] &= ~Mask(n); }
  bool TestBit(std::int32_t n) const { return (words_[n >> 6] & Mask(n)) != 0; }

  void ClearAll();
  void SetAll();
  std::int32_t CountBits() const;

  // Word-wise operations over words 0..FArrMax of this array. An `other` with
  // fewer words in use throws std::invalid_argument and changes nothing.
  void CopyFrom(const TBitarr& other);
  void AndWith(const TBitarr& other);
  void OrWith(const TBitarr& other);
  void AndNotWith(const TBitarr& other);  // this := this AND NOT other
  void Complement();

  // 32-bit word `w` (0..FArrMax) as the catalogue numbers them.
  std::uint32_t Word32(std::int32_t w) const;

 private:
  static std::uint64_t Mask(std::int32_t n) { return std::uint64_t{1} << (n & 63); }
  // Zeroes the upper half of the last 64-bit word when the 32-bit count is odd.
  void TrimTail();
  void RequireWords(const TBitarr& other) const;

  std::int32_t size_;
  std::int32_t arr_max_;
  std::int32_t capacity32_;
  std::size_t words64_;  // 64-bit words in use: ceil((FArrMax + 1) / 2)
  std::unique_ptr<std::uint64_t[]> words_;
};

}  // namespace vellorax::search
