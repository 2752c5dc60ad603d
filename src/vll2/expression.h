// TVLLExpression: one comparison of a script or tag-specification condition:
// a left operand, an operator code and a right operand, all texts. Decide
// gives 1 (true) or 2 (false).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vellorax::vll2 {

class TVLLExpression {
 public:
  // Stands in `left` for a first operand that was added empty.
  static constexpr std::string_view kNil = "_$nil$_";

  void Reset();
  // Left first (empty text becomes kNil), then right; false when both are
  // already set.
  bool AddOperand(std::string_view text);
  bool HasLeft() const { return !left_.empty() && left_ != kNil; }
  bool IsUnary() const { return HasLeft() && right_.empty(); }
  bool IsBinary() const { return HasLeft() && !right_.empty(); }
  // Codes: 1 "<", 2 "<=", 3 "==", 4 ">=", 5 ">", 6 "*=", 7 "#=", 0 none.
  void SetOperator(std::uint8_t code) { operator_ = code; }
  void SetOperatorText(std::string_view text);
  static std::uint8_t OperatorCode(std::string_view text);
  // 1 true, 2 false; comparisons ignore letter case (locale-aware).
  std::uint8_t Decide() const;

  const std::string& Left() const { return left_; }
  const std::string& Right() const { return right_; }
  std::uint8_t Operator() const { return operator_; }

 private:
  std::string left_;
  std::string right_;
  std::uint8_t operator_ = 0;
};

}  // namespace vellorax::vll2
