#include "vll2/named_object_list.h"

#include "common/text_compare.h"

namespace vellorax::vll2 {

namespace {

// Bounds the memo so that a stream of never-repeated names (fuzzed input,
// generated keys) cannot grow it without end.
constexpr size_t kMaxMemo = 4096;
constexpr size_t kShortList = 8;

const std::string kEmpty;

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
  auto it = memo_.find(name);
  if (it != memo_.end()) return it->second;
  int index = Scan(name);
  if (memo_.size() >= kMaxMemo) memo_.clear();
  memo_.emplace(std::string(name), index);
  return index;
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

void TVLLNamedObjectList::Forget() const { memo_.clear(); }

}  // namespace vellorax::vll2
