// TVLLObject, the root of everything a named-object list can own, and
// TVLLString, the text value that is the usual payload of those lists.
#pragma once

#include <string>
#include <utility>

namespace vellorax::vll2 {

// Base of every object held in a named-object list (text values, language
// lists, text groups, commands, record navigators). Owned by exactly one list
// or smart pointer; destroyed through this virtual destructor.
class TVLLString;
class TVLLNamedObjectList;

class TVLLObject {
 public:
  TVLLObject() = default;
  TVLLObject(const TVLLObject&) = delete;
  TVLLObject& operator=(const TVLLObject&) = delete;
  virtual ~TVLLObject() = default;

  // This object as a text value, or null: the cheap form of a dynamic_cast
  // that the hot paths ask for on every call.
  virtual TVLLString* AsString() { return nullptr; }
  // This object as a named-object list (a language list), or null.
  virtual TVLLNamedObjectList* AsList() { return nullptr; }
};

// A text value: owns one string and has no other behaviour.
class TVLLString : public TVLLObject {
 public:
  explicit TVLLString(std::string value) : value_(std::move(value)) {}

  TVLLString* AsString() override { return this; }

  const std::string& Value() const { return value_; }
  void SetValue(std::string value) {
    value_ = std::move(value);
    ++changes_;
  }
  // SetValue with a copy of `value`, reusing the memory held.
  void Assign(std::string_view value) {
    value_.assign(value);
    ++changes_;
  }
  // How often SetValue was called: lets a reader keep what it derived.
  unsigned Changes() const { return changes_; }

 private:
  std::string value_;
  unsigned changes_ = 0;
};

// `object` as a text value; null when it is none or null.
inline TVLLString* AsText(TVLLObject* object) {
  return object ? object->AsString() : nullptr;
}

}  // namespace vellorax::vll2
