#include "vll2/byte_scan.h"

#include <gtest/gtest.h>

#include <string>
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

}  // namespace
}  // namespace vellorax::vll2
