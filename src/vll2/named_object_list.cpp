#include "vll2/named_object_list.h"

#include <algorithm>
#include <cstdint>

#include "common/text_compare.h"

namespace vellorax::vll2 {

namespace {

// Bounds the memo so that a stream of never-repeated names (fuzzed input,
// generated keys) cannot grow it without end.
constexpr size_t kMaxMemo = 4096;
constexpr size_t kShortList = 8;

const std::string kEmpty;

// FNV-1a, folded: enough for short names, and cheap.
size_t NameHash(std::string_view name) {
  std::uint64_t h = 14695981039346656037ull;
  for (unsigned char c : name) h = (h ^ c) * 1099511628211ull;
  return static_cast<size_t>(h ^ (h >> 29));
}

}  // namespace

TVLLNamedObjectList::~TVLLNamedObjectList() = default;

const std::string& TVLLNamedObjectList::Name(int index) const {
  if (index < 0 || index >= Count()) return kEmpty;
  return entries_[static_cast<size_t>(index)].name;
}

TVLLObject* TVLLNamedObjectList::Object(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return entries_[static_cast<size_t>(index)].object.get();
}

// The first entry whose name equals `name` ignoring case. While names are
// unique (no Add of a repeat), an entry equal byte for byte is the only entry
// that can match, so it is taken without any locale comparison.
int TVLLNamedObjectList::Scan(std::string_view name) const {
  if (!may_repeat_) {
    for (size_t i = 0; i < entries_.size(); ++i) {
      if (entries_[i].name == name) return static_cast<int>(i);
    }
  }
  for (size_t i = 0; i < entries_.size(); ++i) {
    if (common::AnsiSameText(entries_[i].name, name)) return static_cast<int>(i);
  }
  return -1;
}

int TVLLNamedObjectList::IndexOf(std::string_view name) const {
  if (entries_.empty()) return -1;
  // Short lists (the per-run objects, most text groups) answer an exact hit
  // faster than the memo could hash the name.
  if (!may_repeat_ && entries_.size() <= kShortList) {
    for (size_t i = 0; i < entries_.size(); ++i) {
      if (entries_[i].name == name) return static_cast<int>(i);
    }
  }
  const size_t hash = NameHash(name);
  if (const MemoSlot* slot = MemoFind(name, hash)) return slot->index;
  const int index = Scan(name);
  MemoAdd(name, hash, index);
  return index;
}

const TVLLNamedObjectList::MemoSlot* TVLLNamedObjectList::MemoFind(std::string_view name,
                                                                   size_t hash) const {
  if (memo_.empty()) return nullptr;
  const size_t mask = memo_.size() - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    const MemoSlot& slot = memo_[i];
    if (!slot.used) return nullptr;
    if (slot.hash == hash && slot.name == name) return &slot;
  }
}

void TVLLNamedObjectList::MemoAdd(std::string_view name, size_t hash, int index) const {
  if (memo_count_ >= kMaxMemo) Forget();
  if (2 * (memo_count_ + 1) > memo_.size()) {
    std::vector<MemoSlot> old(std::max<size_t>(16, 2 * memo_.size()));
    old.swap(memo_);
    memo_count_ = 0;
    for (MemoSlot& slot : old) {
      if (slot.used) MemoAdd(slot.name, slot.hash, slot.index);
    }
  }
  const size_t mask = memo_.size() - 1;
  size_t i = hash & mask;
  while (memo_[i].used) i = (i + 1) & mask;
  memo_[i] = MemoSlot{std::string(name), hash, index, true};
  ++memo_count_;
}

TVLLObject* TVLLNamedObjectList::Find(std::string_view name) const {
  return Object(IndexOf(name));
}

int TVLLNamedObjectList::SetObject(std::string_view name, std::unique_ptr<TVLLObject> obj) {
  int index = IndexOf(name);
  if (index >= 0) {
    // Replacing keeps the entry and its first name, so remembered answers stay
    // right. The old object goes after the new one is in place, so that an
    // object being destroyed never sees the list half updated.
    std::unique_ptr<TVLLObject> old = std::move(entries_[static_cast<size_t>(index)].object);
    entries_[static_cast<size_t>(index)].object = std::move(obj);
    return index;
  }
  return Add(name, std::move(obj));
}

int TVLLNamedObjectList::Add(std::string_view name, std::unique_ptr<TVLLObject> obj) {
  if (!may_repeat_ && !entries_.empty() && IndexOf(name) >= 0) may_repeat_ = true;
  entries_.push_back(Entry{std::string(name), std::move(obj)});
  Forget();
  return Count() - 1;
}

void TVLLNamedObjectList::Clear() {
  std::vector<Entry> old;
  old.swap(entries_);
  may_repeat_ = false;
  Forget();
}

void TVLLNamedObjectList::Forget() const {
  memo_.clear();
  memo_count_ = 0;
}

}  // namespace vellorax::vll2
