// TVLLObject, the root of everything a named-object list can own, and
// TVLLString, the text value that is the usual payload of those lists.
#pragma once

#include <string>
#include <utility>

namespace vellorax::vll2 {

// Base of every object held in a named-object list (text values, language
// lists, text groups, commands, record navigators). Owned by exactly one list
// or smart pointer; destroyed through this virtual destructor.
class TVLLObject {
 public:
  TVLLObject() = default;
  TVLLObject(const TVLLObject&) = delete;
  TVLLObject& operator=(const TVLLObject&) = delete;
  virtual ~TVLLObject() = default;
};

// A text value: owns one string and has no other behaviour.
class TVLLString : public TVLLObject {
 public:
  explicit TVLLString(std::string value) : value_(std::move(value)) {}

  const std::string& Value() const { return value_; }
  void SetValue(std::string value) { value_ = std::move(value); }

 private:
  std::string value_;
};

}  // namespace vellorax::vll2
