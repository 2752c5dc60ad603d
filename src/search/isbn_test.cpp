#include "search/isbn.h"

#include <gtest/gtest.h>

#include <random>

namespace vellorax::search {
namespace {

TEST(IsbnTest, Validity) {
  const std::pair<const char*, bool> cases[] = {
      {"0-306-40615-2", true},       // ISBN-10, check digit 2
      {"0-306-40615-3", false},      // wrong check digit
      {"123456789X", true},          // check value 10
      {"123456789x", true},          // upper-cased first
      {"0-8044-2957-X", true},
      {"9780306406157", true},       // ISBN-13
      {"978-3-16-148410-0", true},
      {"978-0-306-40615-8", false},  // wrong ISBN-13 check digit
      {"   ", true},                 // empty is valid
      {"12345", false},
      {" 0 306 40615 2 ", true},     // blanks removed
      {"X234567890", false},         // X only as ISBN-10 check character
      {"978030640615X", false},      // ISBN-13 check must be a digit
      {"03064O6152", false},         // letter O in the body
      {"82-05-12345-6", false},
      {"--", false},
      {"03064\x01" "06152", false},  // control character inside
      {"\t0306406152\r\n", true},    // ... but trimmed at the ends
  };
  for (const auto& [text, valid] : cases) EXPECT_EQ(IsValidISBN(text), valid) << text;
}

TEST(IsbnTest, Conversions) {
  EXPECT_EQ(ISBN10To13("0306406152"), "9780306406157");
  EXPECT_EQ(ISBN10To13("080442957X"), "9780804429573");
  EXPECT_EQ(ISBN13To10("9780306406157"), "0306406152");
  EXPECT_EQ(ISBN13To10("9780804429573"), "080442957X");
  EXPECT_EQ(ISBN13To10("9791234567896"), "");  // 979 has no ISBN-10
  EXPECT_EQ(ISBN13To10("978030640615"), "");   // 12 characters
  EXPECT_EQ(ISBN13To10("978a306406157"), "");  // body not an integer
  EXPECT_EQ(ISBN10Form("9780306406157"), "0306406152");
  EXPECT_EQ(ISBN10Form("0306406152"), "0306406152");
  EXPECT_EQ(ISBN13Form("0306406152"), "9780306406157");
  EXPECT_EQ(ISBN13Form("9780306406157"), "9780306406157");
  EXPECT_EQ(ISBN13Form("12345"), "12345");
}

// Every valid ISBN-10 survives 10 -> 13 -> 10 unchanged, and its ISBN-13 is
// valid too.
TEST(IsbnTest, RoundTripOverGeneratedIsbn10) {
  std::mt19937 rng(1234);
  for (int n = 0; n < 20000; ++n) {
    std::string isbn10;
    int sum = 0;
    for (int i = 1; i <= 9; ++i) {
      const int digit = static_cast<int>(rng() % 10);
      isbn10.push_back(static_cast<char>('0' + digit));
      sum += digit * (11 - i);
    }
    const int check = (11 - sum % 11) % 11;
    isbn10.push_back(check == 10 ? 'X' : static_cast<char>('0' + check));
    ASSERT_TRUE(IsValidISBN(isbn10)) << isbn10;
    const std::string isbn13 = ISBN10To13(isbn10);
    ASSERT_EQ(isbn13.size(), 13u);
    ASSERT_TRUE(IsValidISBN(isbn13)) << isbn13;
    ASSERT_EQ(ISBN13To10(isbn13), isbn10);
  }
}

}  // namespace
}  // namespace vellorax::search
