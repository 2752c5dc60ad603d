// TVLLNamedObjectList: the ordered (name, owned object) list behind every
// registry of the macro engine. Names are compared without regard to letter
// case with the foundation's locale-aware comparison (AnsiSameText).
//
// Lookups remember their answers per exact query text until the list changes,
// so a name asked for again (every record of a display runs the same script)
// costs one hash lookup instead of a locale comparison per entry; the
// remembered answer is always the one the full comparison gave.
//
// Not thread-safe, not even for concurrent lookups (the memo is updated).
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "vll2/vll_string.h"

namespace vellorax::vll2 {

class TVLLNamedObjectList : public TVLLObject {
 public:
  TVLLNamedObjectList() = default;
  ~TVLLNamedObjectList() override;
  TVLLNamedObjectList* AsList() override { return this; }

  int Count() const { return static_cast<int>(entries_.size()); }
  // Name and object of the 0-based `index`; "" and nullptr outside 0..Count-1.
  const std::string& Name(int index) const;
  TVLLObject* Object(int index) const;

  // 0-based index of the first entry whose name matches `name` ignoring case,
  // or -1.
  int IndexOf(std::string_view name) const;
  // The object of the first matching entry; nullptr when absent or when the
  // entry has no object.
  TVLLObject* Find(std::string_view name) const;

  // Adds (name, obj) when no entry matches `name`; otherwise destroys the
  // entry's object and puts `obj` (may be null) in its place, keeping the
  // entry's first name. Returns the entry's 0-based index.
  int SetObject(std::string_view name, std::unique_ptr<TVLLObject> obj);

  // Appends (name, obj) even when the name is present already (attribute
  // lists allow repeats; lookups find the first). Returns the new index.
  int Add(std::string_view name, std::unique_ptr<TVLLObject> obj);

  // Destroys every object and empties the list.
  void Clear();

 private:
  struct Entry {
    std::string name;
    std::unique_ptr<TVLLObject> object;
  };

  int Scan(std::string_view name) const;
  void Forget() const;

  std::vector<Entry> entries_;
  // True once Add appended a name that may repeat an earlier one.
  bool may_repeat_ = false;
  // Query text -> answer of IndexOf; dropped whenever entries are added. An
  // open-addressed table (power-of-two size, linear probing, at most half
  // full): names are short and asked for over and over, so the lookup is kept
  // to a short hash and one or two compares.
  struct MemoSlot {
    std::string name;
    size_t hash = 0;
    int index = 0;
    bool used = false;
  };
  const MemoSlot* MemoFind(std::string_view name, size_t hash) const;
  void MemoAdd(std::string_view name, size_t hash, int index) const;
  mutable std::vector<MemoSlot> memo_;
  mutable size_t memo_count_ = 0;
};

}  // namespace vellorax::vll2
