#include "vll2/expression.h"

#include "common/text_compare.h"
#include "vll2/vll_common.h"

namespace vellorax::vll2 {

namespace {

constexpr std::uint8_t kTrue = 1;
constexpr std::uint8_t kFalse = 2;

std::uint8_t Truth(bool value) { return value ? kTrue : kFalse; }

}  // namespace

void TVLLExpression::Reset() {
  left_.clear();
  right_.clear();
  operator_ = 0;
}

bool TVLLExpression::AddOperand(std::string_view text) {
  if (!left_.empty() && !right_.empty()) return false;
  if (left_.empty()) {
    left_ = text.empty() ? std::string(kNil) : std::string(text);
  } else {
    right_ = text;
  }
  return true;
}

std::uint8_t TVLLExpression::OperatorCode(std::string_view text) {
  if (text == "<") return 1;
  if (text == "<=") return 2;
  if (text == "==") return 3;
  if (text == ">=") return 4;
  if (text == ">") return 5;
  if (text == "*=") return 6;
  if (text == "#=") return 7;
  return 0;
}

void TVLLExpression::SetOperatorText(std::string_view text) { operator_ = OperatorCode(text); }

std::uint8_t TVLLExpression::Decide() const {
  const std::uint8_t op = operator_;
  const bool equal_family = op == 2 || op == 3 || op == 4;
  if (left_.empty()) return Truth(equal_family);
  if (left_ == kNil) {
    // An empty text sorts before any other text and equals an empty one.
    if (!right_.empty()) return Truth(op == 1 || op == 2);
    return Truth(equal_family);
  }
  if (!right_.empty()) {
    if (op == 6) {
      if (left_.size() < right_.size()) return kFalse;
      return Truth(common::AnsiSameText(std::string_view(left_).substr(0, right_.size()), right_));
    }
    if (op == 7) return Truth(TVLLCommon::PosText(left_, right_) > 0);
    const int c = common::AnsiCompareText(left_, right_);
    if (c == 0) return Truth(op == 0 || equal_family);
    if (c < 0) return Truth(op == 1 || op == 2);
    return Truth(op == 4 || op == 5);
  }
  // A single operand: "FALSE" is false, "TRUE" true only without operator,
  // any other text is "greater" than nothing.
  if (common::AnsiSameText(left_, "FALSE")) return kFalse;
  if (common::AnsiSameText(left_, "TRUE")) return Truth(op == 0);
  return Truth(op == 0 || op == 4 || op == 5);
}

}  // namespace vellorax::vll2
