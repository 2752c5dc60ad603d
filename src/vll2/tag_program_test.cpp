// The read form of tag specifications: each level splits into the elements
// the grammar names, stops where a malformed element ends the level, and is
// read once however often it runs.
#include "vll2/tag_program.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vellorax::vll2 {
namespace {

using Kind = TVLLTagOp::Kind;

// One letter per element: L literal, B block, U unclosed block, S subfield,
// F field reference, N named specification, E entity, C conditional,
// G group, P pending dropped, Q quoted item, X call, R text reference,
// ! malformed element.
std::string Shape(const TVLLTagLevel& level) {
  std::string shape;
  for (const TVLLTagOp& op : level.Ops()) {
    switch (op.kind) {
      case Kind::kLiteral:
        shape += 'L';
        break;
      case Kind::kBlock:
        shape += 'B';
        break;
      case Kind::kUnclosedBlock:
        shape += 'U';
        break;
      case Kind::kSubfield:
        shape += 'S';
        break;
      case Kind::kFieldRef:
        shape += 'F';
        break;
      case Kind::kNamedSpec:
        shape += 'N';
        break;
      case Kind::kEntity:
        shape += 'E';
        break;
      case Kind::kConditional:
        shape += 'C';
        break;
      case Kind::kGroup:
        shape += 'G';
        break;
      case Kind::kClearPending:
        shape += 'P';
        break;
      case Kind::kQuoted:
        shape += 'Q';
        break;
      case Kind::kCommand:
        shape += 'X';
        break;
      case Kind::kTextRef:
        shape += 'R';
        break;
      default:
        shape += '!';
        break;
    }
  }
  return shape;
}

TEST(TagProgramTest, LevelsSplitIntoTheirElements) {
  const struct {
    const char* spec;
    const char* shape;
  } rows[] = {
      {"{$a $b}", "B"},
      {"$a : $b", "SLS"},
      {"$ $% \\$a", "L"},  // "$" before a blank, "$" before "%", an escaped "$": literal
      {"$a(:pos=2 len=3:)", "S"},
      {"*245$a. ", "FL"},
      {"*24$a rest", "!"},  // a field reference needs three digits
      {"&person. &amp;", "NLE"},
      {"?($a){[$a]}::{$b}", "C"},
      {"?$a{x}", "!"},  // the condition needs its parentheses
      {"($a) [$b]", "GLG"},
      {"($a", "P"},  // the unclosed group takes the rest of the text
      {"{$a", "U"},
      {"\"%lab.by%\" #f($a, x)", "QLX"},
      {"pre #f(", "L!"},
      {"%lab.by% %", "RL!"},
      {"'unclosed", "!"},
  };
  for (const auto& row : rows) {
    const TVLLTagLevel level(std::string(row.spec), TVLLTagLevel::Own{});
    EXPECT_EQ(Shape(level), row.shape) << row.spec;
  }
}

TEST(TagProgramTest, ElementsKeepWhatTheirRunNeeds) {
  const TVLLTagLevel level(
      std::string("$c(:pos=2 len=3:)*24510$b&amp;#f($4, {x}, y )?!(\"a\"==$a){1}"),
      TVLLTagLevel::Own{});
  const std::vector<TVLLTagOp>& ops = level.Ops();
  ASSERT_EQ(ops.size(), 5u);
  EXPECT_EQ(ops[0].code, 'c');
  EXPECT_EQ(ops[0].start, 2);
  EXPECT_EQ(ops[0].count, 3);
  EXPECT_EQ(ops[1].text, "24510$b");
  EXPECT_EQ(ops[2].text, "&amp;");
  EXPECT_EQ(ops[2].alt, "&");
  ASSERT_NE(ops[3].call, nullptr);
  EXPECT_EQ(ops[3].call->name, "f");
  EXPECT_EQ(ops[3].call->trimmed, (std::vector<std::string>{"$4", "{x}", "y"}));
  EXPECT_NE(ops[3].call->levels[0], nullptr);  // run as a specification
  EXPECT_NE(ops[3].call->levels[1], nullptr);
  EXPECT_EQ(ops[3].call->levels[2], nullptr);  // plain text
  EXPECT_TRUE(ops[4].flag);                    // negated
  ASSERT_NE(ops[4].condition, nullptr);
  EXPECT_EQ(ops[4].condition->operator_text, "==");
  ASSERT_EQ(ops[4].condition->operands.size(), 2u);
  EXPECT_EQ(ops[4].condition->operands[0].kind, Kind::kOperandValue);
  EXPECT_EQ(ops[4].condition->operands[1].kind, Kind::kSubfield);
  EXPECT_EQ(ops[4].level->Text(), "1");
  EXPECT_EQ(ops[4].other->Text(), "");
}

TEST(TagProgramTest, CacheReadsEachTextOnceAndHeldLevelsOutliveIt) {
  TVLLTagProgramCache cache;
  const auto first = cache.Get("{$a}");
  EXPECT_EQ(cache.Get("{$a}"), first);
  EXPECT_NE(cache.Get("{$b}"), first);
  // Far more texts than the cache keeps: it starts over, the held level stays.
  for (int i = 0; i < 3000; ++i) cache.Get("{$a " + std::to_string(i) + "}");
  EXPECT_EQ(first->Text(), "{$a}");
  EXPECT_EQ(Shape(*first), "B");
}

}  // namespace
}  // namespace vellorax::vll2
