// Decide over every operand shape and operator.
#include <gtest/gtest.h>

#include "common/text_compare.h"
#include "vll2/expression.h"

namespace vellorax::vll2 {
namespace {

constexpr const char* kNone = nullptr;  // operand not added

struct DecideCase { const char* left; const char* op; const char* right; bool expected; };

TEST(ExpressionTest, DecideTable) {
  common::SetTextLocale("nb_NO");
  const DecideCase cases[] = {
      // single operands: a truth word, then the operator, then "not empty"
      {"abc", "", kNone, true},    {"", "", kNone, false},        {"false", "", kNone, false},
      {"FaLsE", ">", kNone, false}, {"True", "", kNone, true},    {"true", ">", kNone, false},
      {"x", ">=", kNone, true},    {"x", ">", kNone, true},       {"x", "==", kNone, false},
      {"x", "<", kNone, false},    {"x", "*=", kNone, false},
      // two texts
      {"Oslo", "==", "OSLO", true}, {"a", "<", "B", true},        {"b", "<=", "B", true},
      {"b", ">", "a", true},        {"b", "<", "a", false},       {"a", ">=", "b", false},
      {"a", "", "A", true},         {"a", "", "b", false},        {"Oslo", "*=", "os", true},
      {"Os", "*=", "Oslo", false},  {"Oslo", "#=", "SL", true},   {"Oslo", "#=", "xy", false},
      {"\xC6rlig", "==", "\xE6RLIG", true},  // national letters, Windows-1252
      {"\xE6re", "#=", "\xC6R", true},
      // empty first operand (the nil marker)
      {"", "<", "x", true},         {"", "<=", "x", true},        {"", "==", "x", false},
      {"", ">", "x", false},        {"", "==", kNone, true},      {"", ">=", kNone, true},
      {"", "<", kNone, false},
      // nothing added at all
      {kNone, "==", kNone, true},   {kNone, "", kNone, false},    {kNone, "<", kNone, false},
  };
  for (const DecideCase& c : cases) {
    TVLLExpression e;
    ASSERT_TRUE(!c.left || e.AddOperand(c.left));
    e.SetOperatorText(c.op);
    ASSERT_TRUE(!c.right || e.AddOperand(c.right));
    const std::uint8_t result = e.Decide();
    EXPECT_TRUE(result == 1 || result == 2);
    EXPECT_EQ(result == 1, c.expected)
        << (c.left ? c.left : "(none)") << " " << c.op << " " << (c.right ? c.right : "(none)");
  }
}

TEST(ExpressionTest, OperandsAndOperatorCodes) {
  TVLLExpression e;
  EXPECT_TRUE(e.AddOperand(""));
  EXPECT_EQ(e.Left(), TVLLExpression::kNil);
  EXPECT_FALSE(e.HasLeft());
  e.Reset();
  EXPECT_TRUE(e.AddOperand("a"));
  EXPECT_TRUE(e.IsUnary());
  EXPECT_TRUE(e.AddOperand("b"));
  EXPECT_TRUE(e.IsBinary());
  EXPECT_FALSE(e.AddOperand("c"));  // a third operand is refused
  EXPECT_EQ(e.Right(), "b");
  const std::pair<const char*, int> codes[] = {{"<", 1}, {"<=", 2}, {"==", 3}, {">=", 4}, {">", 5},
                                               {"*=", 6}, {"#=", 7}, {"=", 0}, {"!=", 0}};
  for (auto [text, code] : codes) EXPECT_EQ(TVLLExpression::OperatorCode(text), code) << text;
}

}  // namespace
}  // namespace vellorax::vll2
