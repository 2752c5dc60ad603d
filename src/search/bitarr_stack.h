// TVLBitarrStack: the evaluation stack of the search engine, at most 20 bit
// arrays of one size. The stack owns its entries; Push stores a copy.
// A failed operation leaves the stack unchanged. Not thread-safe.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

#include "search/bitarr.h"

namespace vellorax::search {

class BitarrStackException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr const char* kStackFullMessage = "Bitarraystack is full";
inline constexpr const char* kStackEmptyMessage = "Bitarraystack is empty";
inline constexpr const char* kStackTwoEntriesMessage =
    "Stack requires two entries to perform logical operation";
inline constexpr const char* kStackOneEntryMessage =
    "Stack requires one entry to perform logical operation";

class TVLBitarrStack {
 public:
  static constexpr int kMaxEntries = 20;

  // Entries will be arrays of `size` bits. Throws BitarrSizeException for a
  // size TBitarr does not support.
  explicit TVLBitarrStack(std::int32_t size);

  // true (default): AND, OR and NOT replace their operands by the result;
  // false: they push the result above the operands.
  bool ConsumeOperands = true;

  std::int32_t Size() const { return size_; }
  int Count() const { return count_; }
  bool IsEmpty() const { return count_ == 0; }

  // Pushes a copy of words 0..FArrMax of `bits` ("Bitarraystack is full").
  // An array with fewer words than the stack's throws std::invalid_argument.
  void Push(const TBitarr& bits);
  void Pop();                       // "Bitarraystack is empty"
  TBitarr& Top();                   // "Bitarraystack is empty"; owned by the stack
  std::int32_t TopCount();          // CountBits of Top
  void Clear();

  void AndTop();  // "Stack requires two entries to perform logical operation"
  void OrTop();
  void NotTop();  // kStackOneEntryMessage on an empty stack

 private:
  enum class Combine { And, Or };
  void CombineTop(Combine op);

  std::int32_t size_;
  int count_ = 0;
  std::array<std::unique_ptr<TBitarr>, kMaxEntries> entries_;
  // Arrays of popped entries, kept for the next pushes: a 2 MB array costs
  // more to map and fault in than to copy. Together with the entries never
  // more than kMaxEntries arrays.
  std::vector<std::unique_ptr<TBitarr>> spare_;
};

}  // namespace vellorax::search
