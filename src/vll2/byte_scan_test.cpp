#include "vll2/byte_scan.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace vellorax::vll2 {
namespace {

// Every start and length up to three blocks over texts with wanted bytes at
// seeded places: the block searches find exactly what a byte loop finds.
TEST(ByteScanTest, FindsWhatAByteLoopFinds) {
  unsigned seed = 99;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) & 0x7FFF;
  };
  const std::string alphabet = std::string("ab*$\n\r<\x80\xFF\x01", 10) + '\0';
  for (int round = 0; round < 200; ++round) {
    std::string text(64, 'x');
    for (int k = static_cast<int>(next() % 6); k > 0; --k) {
      text[next() % text.size()] = alphabet[next() % alphabet.size()];
    }
    const char* data = text.data();
    for (size_t from = 0; from < 20; ++from) {
      for (size_t length = 0; from + length <= text.size() && length <= 48; ++length) {
        const char* begin = data + from;
        const char* end = begin + length;
        const char* expected = begin;
        while (expected != end && *expected != '*' && *expected != '$') ++expected;
        ASSERT_EQ((FindFirstOf<false, '*', '$'>(begin, end)), expected) << round << " " << from;
        const char* high = begin;
        while (high != end && *high != '<' && static_cast<unsigned char>(*high) < 0x80) ++high;
        ASSERT_EQ((FindFirstOf<true, '<'>(begin, end)), high) << round << " " << from;
        std::vector<const char*> all, seen;
        for (const char* p = begin; p != end; ++p) {
          if (*p == '\n' || *p == '\0') all.push_back(p);
        }
        ForEachOf<'\n', '\0'>(begin, end, [&seen](const char* p) { seen.push_back(p); });
        ASSERT_EQ(seen, all) << round << " " << from << " " << length;
      }
    }
  }
}

// Windows at every start over texts of every length up to 80 (short texts
// take the copied last block, longer ones the shifted one): the marks are
// exactly the wanted bytes of the window, NULs among them.
TEST(ByteScanTest, WindowMarksWhatAByteLoopFinds) {
  unsigned seed = 7;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) & 0x7FFF;
  };
  const std::string alphabet = std::string("ab<>&\\\xFF", 7) + '\0';
  for (int round = 0; round < 40; ++round) {
    for (size_t length = 1; length <= 80; ++length) {
      // Kept in its own allocation so that the sanitizer sees any read past it.
      std::vector<char> text(length);
      for (char& c : text) c = alphabet[next() % alphabet.size()];
      const char* begin = text.data();
      const char* end = begin + length;
      for (const char* base = begin; base != end; ++base) {
        std::uint64_t expected = 0, high = 0;
        for (size_t i = 0; i < 64 && base + i != end; ++i) {
          if (base[i] == '<' || base[i] == '\0') expected |= std::uint64_t{1} << i;
          if (base[i] == '&' || static_cast<unsigned char>(base[i]) >= 0x80) {
            high |= std::uint64_t{1} << i;
          }
        }
        ASSERT_EQ((MarkWindow<false, '<', '\0'>(begin, base, end)), expected) << round << length;
        ASSERT_EQ((MarkWindow<true, '&'>(begin, base, end)), high) << round << " " << length;
      }
    }
  }
}

}  // namespace
}  // namespace vellorax::vll2

namespace vellorax::vll2 {
namespace {

// MoveBytes against memmove for every length up to past its inline sizes,
// forwards, backwards and overlapping both ways, each byte of the block
// distinct so that a byte from the wrong place shows.
TEST(MoveBytesTest, EqualsMemmoveForEveryLengthAndOverlap) {
  constexpr int kBlock = 96;
  for (int count = 0; count <= 40; ++count) {
    for (int from = 0; from + count <= kBlock; from += 3) {
      for (int to = 0; to + count <= kBlock; to += 5) {
        char expected[kBlock];
        char got[kBlock];
        for (int i = 0; i < kBlock; ++i) expected[i] = got[i] = static_cast<char>(i + 1);
        std::memmove(expected + to, expected + from, static_cast<size_t>(count));
        MoveBytes(got + to, got + from, static_cast<size_t>(count));
        ASSERT_EQ(std::string_view(got, kBlock), std::string_view(expected, kBlock))
            << "count " << count << " from " << from << " to " << to;
      }
    }
  }
}

}  // namespace
}  // namespace vellorax::vll2
