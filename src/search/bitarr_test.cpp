#include "search/bitarr.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <tuple>
#include <vector>

#include "search/bitarr_stack.h"

namespace vellorax::search {
namespace {

// size, FArrMax (size / 32), capacity step; SetAll sets (FArrMax + 1) * 32
// bits, spare bits included.
TEST(TBitarrTest, WordsAndCapacityFollowSize) {
  const std::tuple<std::int32_t, std::int32_t, std::int32_t> cases[] = {
      {0, 0, 1001},         {31, 0, 1001},         {32, 1, 1001},         {33, 1, 1001},
      {1000, 31, 1001},     {31999, 999, 1001},    {32000, 1000, 2001},   {63999, 1999, 2001},
      {64000, 2000, 5001},  {160000, 5000, 10001}, {320000, 10000, 20001},
      {640000, 20000, 50001}, {1600000, 50000, 100001}, {3200000, 100000, 200001},
      {6400000, 200000, 500001}, {15999999, 499999, 500001}};
  for (const auto& [size, arr_max, capacity] : cases) {
    TBitarr bits(size);
    EXPECT_EQ(bits.FArrMax(), arr_max) << size;
    EXPECT_EQ(bits.Capacity(), capacity) << size;
    EXPECT_EQ(bits.CountBits(), 0) << size;
    bits.SetAll();
    EXPECT_EQ(bits.CountBits(), (arr_max + 1) * 32) << size;
    bits.ClearAll();
    EXPECT_EQ(bits.CountBits(), 0) << size;
  }
}

TEST(TBitarrTest, OversizeAndNegativeSizesAreRejected) {
  for (std::int32_t size : {16000000, 2147483647, -1}) {
    try {
      TBitarr bits(size);
      ADD_FAILURE() << size;
    } catch (const BitarrSizeException& e) {
      EXPECT_NE(std::string(e.what()).find("FArrMax too large!"), std::string::npos) << size;
    }
  }
  EXPECT_THROW(TVLBitarrStack(16000000), BitarrSizeException);
}

TEST(TBitarrTest, SingleBitsAddressTheirWords) {
  TBitarr bits(100);
  for (std::int32_t bit : {31, 32, 99}) bits.SetBit(bit);
  EXPECT_EQ(bits.Word32(0), 0x80000000u);
  EXPECT_EQ(bits.Word32(1), 0x00000001u);
  EXPECT_EQ(bits.Word32(3), 1u << 3);
  EXPECT_TRUE(bits.TestBit(32));
  EXPECT_FALSE(bits.TestBit(33));
  bits.ClearBit(31);
  EXPECT_FALSE(bits.TestBit(31));
  EXPECT_EQ(bits.CountBits(), 2);
}

TEST(TVLBitarrStackTest, MessagesOfEveryMisuse) {
  TVLBitarrStack stack(64);
  TBitarr a(64);
  const auto message = [](auto&& action) {
    try {
      action();
    } catch (const BitarrStackException& e) {
      return std::string(e.what());
    }
    return std::string("no exception");
  };
  EXPECT_EQ(message([&] { stack.Pop(); }), "Bitarraystack is empty");
  EXPECT_EQ(message([&] { stack.Top(); }), "Bitarraystack is empty");
  EXPECT_EQ(message([&] { stack.TopCount(); }), "Bitarraystack is empty");
  EXPECT_EQ(message([&] { stack.NotTop(); }),
            "Stack requires one entry to perform logical operation");
  EXPECT_EQ(message([&] { stack.AndTop(); }),
            "Stack requires two entries to perform logical operation");
  stack.Push(a);
  EXPECT_EQ(message([&] { stack.OrTop(); }),
            "Stack requires two entries to perform logical operation");
  for (int i = 1; i < 20; ++i) stack.Push(a);
  EXPECT_EQ(stack.Count(), 20);
  EXPECT_EQ(message([&] { stack.Push(a); }), "Bitarraystack is full");
  stack.ConsumeOperands = false;
  EXPECT_EQ(message([&] { stack.AndTop(); }), "Bitarraystack is full");
  EXPECT_EQ(message([&] { stack.NotTop(); }), "Bitarraystack is full");
  EXPECT_EQ(stack.Count(), 20);  // failures leave the stack unchanged
  stack.Clear();
  EXPECT_TRUE(stack.IsEmpty());
}

TEST(TVLBitarrStackTest, PushCopiesTheCallerArray) {
  TVLBitarrStack stack(100);
  TBitarr a(100);
  a.SetBit(1);
  stack.Push(a);
  a.SetBit(2);
  stack.Top().SetBit(3);
  EXPECT_EQ(stack.TopCount(), 2);  // bits 1 and 3
  EXPECT_FALSE(a.TestBit(3));
}

// Model of an array: (FArrMax + 1) * 32 bits, spare bits included.
using Model = std::vector<bool>;

Model Snapshot(const TBitarr& bits) {
  Model m(static_cast<std::size_t>(bits.FArrMax() + 1) * 32);
  for (std::size_t i = 0; i < m.size(); ++i) {
    m[i] = (bits.Word32(static_cast<std::int32_t>(i / 32)) >> (i % 32)) & 1u;
  }
  return m;
}

// Random operation sequences on the stack, checked against a model stack of
// std::vector<bool>; sizes chosen so the word count is odd and even, and the
// spare bits are reached through NOT.
TEST(TVLBitarrStackTest, AlgebraMatchesVectorBoolModel) {
  std::mt19937 rng(20240611);
  for (std::int32_t size : {1, 31, 32, 63, 64, 95, 127, 1000, 4097}) {
    for (bool consume : {true, false}) {
      TVLBitarrStack stack(size);
      stack.ConsumeOperands = consume;
      std::vector<Model> model;
      const std::size_t bits = static_cast<std::size_t>(size / 32 + 1) * 32;
      for (int step = 0; step < 400; ++step) {
        if (model.size() >= 18) {  // keep clear of the 20-entry limit
          stack.Clear();
          model.clear();
        }
        const int op = static_cast<int>(rng() % 5);
        if (op <= 1 || model.size() < 2) {
          TBitarr a(size);
          const int density = static_cast<int>(rng() % 4);
          for (std::int32_t i = 0; i < size; ++i) {
            if (static_cast<int>(rng() % 4) <= density - 1) a.SetBit(i);
          }
          if (rng() % 3 == 0) a.Complement();  // spare bits set in the operand too
          stack.Push(a);
          model.push_back(Snapshot(a));
          continue;
        }
        const Model& top = model.back();
        const Model& second = model[model.size() - 2];
        Model result(bits);
        for (std::size_t i = 0; i < bits; ++i) {
          result[i] = op == 4 ? !top[i] : op == 2 ? (second[i] && top[i]) : (second[i] || top[i]);
        }
        if (op == 4) stack.NotTop();
        else if (op == 2) stack.AndTop();
        else stack.OrTop();
        if (!consume) model.push_back(result);
        else if (op == 4) model.back() = result;
        else {
          model.pop_back();
          model.back() = result;
        }
        ASSERT_EQ(stack.Count(), static_cast<int>(model.size()));
        ASSERT_EQ(Snapshot(stack.Top()), model.back()) << "size " << size << " step " << step;
        ASSERT_EQ(stack.TopCount(), std::count(model.back().begin(), model.back().end(), true));
      }
    }
  }
}

TEST(TBitarrTest, AndNotAndCopyMatchModel) {
  std::mt19937 rng(7);
  for (std::int32_t size : {5, 64, 100, 2049}) {
    TBitarr a(size), b(size), c(size);
    for (std::int32_t i = 0; i < size; ++i) {
      if (rng() & 1) a.SetBit(i);
      if (rng() & 1) b.SetBit(i);
    }
    const Model ma = Snapshot(a), mb = Snapshot(b);
    a.AndNotWith(b);
    const Model result = Snapshot(a);
    for (std::size_t i = 0; i < result.size(); ++i) ASSERT_EQ(result[i], ma[i] && !mb[i]);
    c.CopyFrom(b);
    EXPECT_EQ(Snapshot(c), mb);
  }
}

TEST(TBitarrTest, ShorterOperandIsRejected) {
  TBitarr big(100), small(40);
  big.SetBit(99);
  EXPECT_THROW(big.AndWith(small), std::invalid_argument);
  EXPECT_THROW(big.OrWith(small), std::invalid_argument);
  EXPECT_THROW(big.CopyFrom(small), std::invalid_argument);
  EXPECT_TRUE(big.TestBit(99));
  TVLBitarrStack stack(100);
  EXPECT_THROW(stack.Push(small), std::invalid_argument);
  EXPECT_TRUE(stack.IsEmpty());
  small.CopyFrom(big);  // a longer operand is read only as far as needed
  EXPECT_EQ(small.CountBits(), 0);
}

}  // namespace
}  // namespace vellorax::search
