#include "search/bitarr_stack.h"

namespace vellorax::search {

TVLBitarrStack::TVLBitarrStack(std::int32_t size) : size_(size) {
  TBitarr probe(size);  // rejects unsupported sizes now rather than at the first Push
  spare_.reserve(kMaxEntries);  // so that Pop never allocates
}

void TVLBitarrStack::Push(const TBitarr& bits) {
  if (count_ >= kMaxEntries) throw BitarrStackException(kStackFullMessage);
  std::unique_ptr<TBitarr> entry;
  if (spare_.empty()) {
    entry = std::make_unique<TBitarr>(size_);
  } else {
    entry = std::move(spare_.back());
    spare_.pop_back();
  }
  entry->CopyFrom(bits);
  entries_[static_cast<std::size_t>(count_)] = std::move(entry);
  ++count_;
}

void TVLBitarrStack::Pop() {
  if (count_ < 1) throw BitarrStackException(kStackEmptyMessage);
  --count_;
  spare_.push_back(std::move(entries_[static_cast<std::size_t>(count_)]));
}

TBitarr& TVLBitarrStack::Top() {
  if (count_ < 1) throw BitarrStackException(kStackEmptyMessage);
  return *entries_[static_cast<std::size_t>(count_ - 1)];
}

std::int32_t TVLBitarrStack::TopCount() { return Top().CountBits(); }

void TVLBitarrStack::Clear() {
  while (count_ > 0) Pop();
}

void TVLBitarrStack::CombineTop(Combine op) {
  if (count_ < 2) throw BitarrStackException(kStackTwoEntriesMessage);
  TBitarr& top = *entries_[static_cast<std::size_t>(count_ - 1)];
  TBitarr& second = *entries_[static_cast<std::size_t>(count_ - 2)];
  if (ConsumeOperands) {
    if (op == Combine::And) {
      second.AndWith(top);
    } else {
      second.OrWith(top);
    }
    Pop();
  } else {
    Push(top);  // throws "Bitarraystack is full" before anything changes
    TBitarr& result = Top();
    if (op == Combine::And) {
      result.AndWith(second);
    } else {
      result.OrWith(second);
    }
  }
}

void TVLBitarrStack::AndTop() { CombineTop(Combine::And); }

void TVLBitarrStack::OrTop() { CombineTop(Combine::Or); }

void TVLBitarrStack::NotTop() {
  if (count_ < 1) throw BitarrStackException(kStackOneEntryMessage);
  if (!ConsumeOperands) Push(Top());
  Top().Complement();
}

}  // namespace vellorax::search
