#include "vll2/marc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace vellorax::vll2 {
namespace {

// A record as the record text repair writes it: LF-separated lines, a
// closing "^" and a NUL byte.
const std::string kBook = std::string(
    "*001  $a0012345\n*020  $a82-05-30000-1\n$cNOK 249\n*1001 $aHamsun, Knut\n$d1859-1952\n"
    "*24510$aSult :\n$broman /\n$cKnut Hamsun\n*260  $aOslo :\n$bGyldendal,\n$c1990\n"
    "*650 0$aNorsk litteratur\n*7001 $aAndersen, Per\n*7001 $aBerg, Kari\n$eill.\n^") + '\0';

// Subfield codes "q" and "1" (and "a" and "!") share a bit of a field's
// code set; inline subfields, CR LF and a field shape inside data.
const std::string kOddCodes =
    "*001  $a1\r\n*1001 $aPer$qPeder$1x\n$4aut\n*7001 $1y$qz\\$qw\n*650 0$aA*650 0$aB\n"
    "*245!!$!x$a\n";

// Every value of `code` in the fields matching `pattern`, "|"-joined per
// field and ";"-joined between fields.
std::string Walk(std::string_view record, std::string_view pattern, char code) {
  TVLLMarc marc{std::string(record)};
  std::string out;
  int fields = 0;
  for (bool field = marc.FindFirstTag(pattern); field; field = marc.FindNextTag()) {
    if (fields++ > 0) out += ';';
    bool first = true;
    for (bool sub = marc.FindFirstSubfield(code); sub; sub = marc.FindNextSubfield()) {
      if (!first) out += '|';
      out += marc.SubfieldText();
      first = false;
    }
  }
  return out;
}

TEST(TVLLMarcTest, FieldAndSubfieldStartRecognition) {
  struct Case { std::string text; int p; bool expected; };
  const Case fields[] = {
      {"*x", 1, true},             // position 1 needs no shape
      {"ab\n*x", 4, true},         // after LF
      {"ab\r*x", 4, true},         // after CR
      {"ab*24510$aX", 3, true},    // shape: three digits, two characters, "$"
      {"ab*245  $aX", 3, true},    {"*x", 0, false},  {"*x", 3, false},
      {"ab*24510$a", 3, false},    // p + 7 must be below the length
      {"ab*2451 0$aX", 3, false},  // "$" not at p + 6
      {"ab*24a10$aX", 3, false},   // tag not three digits
      {"a\\*24510$aX", 3, false},  // backslash before "*"
      {"ab+24510$aX", 3, false},
  };
  for (const Case& c : fields) {
    EXPECT_EQ(TVLLMarc::IsFieldStart(c.text, c.p), c.expected) << c.text << " @" << c.p;
  }
  // Subfields of the field starting at position 1 (or 10 in the last row).
  const Case subfields[] = {
      {"*24510$ X", 7, true},       // right after the indicators any code will do
      {"*2451\\$aX", 7, true},      // even after a backslash indicator
      {"*24510$aX$9Y", 10, true},
      {"*24510$aX$ Y", 10, false},     // code must be a letter or digit
      {"*24510$aX$\xE6Y", 10, false},  // ASCII only
      {"*24510$aX\\$bY", 11, false},   // backslash protection
      {"*24510$aX$b", 10, false},      // code as the last character
      {"*24510$aX$bY", 9, false},      // not a "$"
  };
  for (const Case& c : subfields) {
    EXPECT_EQ(TVLLMarc::IsSubfieldStart(c.text, c.p, 1), c.expected) << c.text << " @" << c.p;
  }
  EXPECT_FALSE(TVLLMarc::IsSubfieldStart("*24510$aX$bY", 10, 10));  // field must start before p
  // A "$" at the very start has no backslash before it (and nothing before
  // it is read).
  EXPECT_TRUE(TVLLMarc::IsSubfieldStart("$ab", 1, 0));
  EXPECT_FALSE(TVLLMarc::IsSubfieldStart("$a", 1, 0));
}

TEST(TVLLMarcTest, TagPatterns) {
  struct Case { std::string record, pattern; bool found; };
  const std::string main = "*24510$aMain$bSub", blank = "*245 0$aMain$bSub";
  const Case cases[] = {
      {main, "24510", true},     {main, "2451?", true},   {main, "24511", false},
      {main, "24", true},        // shorter patterns match a prefix
      {main, "?????", true},     {main, "", true},
      {main, "245:x", true},     // ":" ends the comparison
      {main, "2:", true},        {main, "246:", false},
      {main, "2451099", true},   // only five characters count
      {main, "245_0", false},
      {blank, "245_0", true},    // "_" matches a blank indicator
      {blank, "245 0", true},    {blank, "245?0", true},  {blank, "2450_", false},
      {blank, "245__", false},   {"*245  $aMain$bSub", "245__", true},
      {"*245", "2450", false},   // a pattern past the text
      {"*245", "245??", false},
  };
  for (const Case& c : cases) {
    TVLLMarc marc(c.record);
    EXPECT_EQ(marc.FindFirstTag(c.pattern), c.found) << c.record << " ~ " << c.pattern;
  }
}

TEST(TVLLMarcTest, WalksFieldsAndSubfieldsOfARecord) {
  struct Case { std::string pattern; char code; std::string expected; };
  const Case cases[] = {
      {"001", 'a', "0012345"},        {"245", 'c', "Knut Hamsun"},
      {"245", '?', "Sult :|roman /|Knut Hamsun"},     {"020", 'c', "NOK 249"},
      {"700", 'a', "Andersen, Per;Berg, Kari"},       {"700", 'e', ";ill."},
      {"6", 'a', "Norsk litteratur"}, {"650_0", 'a', "Norsk litteratur"},
      {"1001", 'a', "Hamsun, Knut"},  // subfields stay inside the current field
      {"1001", 'c', ""},              {"2", 'b', "roman /;Gyldendal,"},
      {"999", 'a', ""},               {"245", 'x', ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Walk(kBook, c.pattern, c.code), c.expected) << c.pattern << " $" << c.code;
  }
  TVLLMarc marc("*24510$aMain$bSub");  // a single line with inline subfields
  ASSERT_TRUE(marc.FindFirstTag("245"));
  ASSERT_TRUE(marc.FindFirstSubfield('b'));
  EXPECT_EQ(marc.SubfieldText(), "Sub");
  ASSERT_TRUE(marc.FindFirstSubfield('a'));
  EXPECT_EQ(marc.SubfieldText(), "Main");
  EXPECT_EQ(marc.SubfieldPosition(), 7);
  EXPECT_FALSE(marc.FindNextSubfield());
  EXPECT_EQ(marc.SubfieldText(), "");
}

TEST(TVLLMarcTest, FindNextTagVisitsEachMatchOnceThenFails) {
  TVLLMarc marc(kBook);
  ASSERT_TRUE(marc.FindFirstTag("700"));
  ASSERT_TRUE(marc.FindNextTag());
  EXPECT_FALSE(marc.FindNextTag());
  EXPECT_EQ(marc.FieldPosition(), 0);
  EXPECT_FALSE(marc.FindNextTag());
  EXPECT_FALSE(marc.FindFirstSubfield('a'));
}

TEST(TVLLMarcTest, RecordsWithManyFieldsAreWalkedToTheEnd) {
  for (const int fields : {1, 95, 96, 97, 300}) {
    std::string record, expected;
    for (int i = 0; i < fields; ++i) {
      const std::string name = "Name " + std::to_string(i);
      record += (i % 2 == 0 ? "*7001 $a" : "*650 0$a") + name + "\n$eX\n";
      if (i % 2 == 0) expected += (expected.empty() ? "" : ";") + name;
    }
    record += "^";
    EXPECT_EQ(Walk(record, "700", 'a'), expected) << fields;
    EXPECT_EQ(TVLLMarc(record).ValueByPath("700$a"), "Name 0");
  }
}

// What the $a (or the given code) of the first field reads as.
TEST(TVLLMarcTest, BackslashesStarsAndDollarsInsideData) {
  struct Case { std::string record; char code; std::string expected; };
  const Case cases[] = {
      {"*24510$aA\\$bB", 'a', "A\\$bB"},  {"*24510$aA\\$bB", 'b', ""},  // escaped "$"
      {"*24510$aUS$ 5 only", 'a', "US$ 5 only"},  // "$" + blank is text
      {"*24510$aA$-B", 'a', "A$-B"},
      {"*24510$aMain$b", 'a', "Main$b"},         // code as last character
      {"*24510$aA*B", 'a', "A*B"},               // "*" without field shape
      {"*24510$aA*10x  $bXYZ", 'a', "A*10x  "},  // tag not three digits
      {"*24510$aA*100  $bXYZ", 'a', "A"},        // field shape ends the field
      {"*24510$aA*100  $bXYZ", 'b', ""},  {"*24510$aA\\*100  $bXYZ", 'a', "A\\*100  "},
      {"*24510$aA\\*100  $bXYZ", 'b', "XYZ"},
      {"*24510$aA*100  $b", 'a', "A*100  $b"},  // too close to the end
      {"*245\\\\$aA", 'a', "A"},                // first subfield after "\" indicators
      {"*24510$-x", '-', "x"},                  // any code right after the indicators
      {"*24510$a", 'a', ""},  {"*24510$a$bB", 'a', "$bB"},
      {"*24510$a\n$bB", 'a', "\n"},  // the first data character never ends it
  };
  for (const Case& c : cases) {
    TVLLMarc marc(c.record);
    ASSERT_TRUE(marc.FindFirstTag("245")) << c.record;
    marc.FindFirstSubfield(c.code);
    EXPECT_EQ(marc.SubfieldText(), c.expected) << c.record << " $" << c.code;
  }
}

TEST(TVLLMarcTest, CarriageReturnsEndDataAndStartFields) {
  const std::string crlf = "*001  $a123\r\n*24510$aTitle\r\n$bRest\r\n^";
  EXPECT_EQ(Walk(crlf, "001", 'a'), "123");
  EXPECT_EQ(Walk(crlf, "245", '?'), "Title|Rest");
  // A CR alone before a "*" is a line start too, even without field shape.
  const std::string cr = "*24510$aTitle and more\r*650 0$aTopic words\r*x";
  EXPECT_EQ(Walk(cr, "650", 'a'), "Topic words");
  EXPECT_EQ(Walk(cr, "245", 'a'), "Title and more");
}

TEST(TVLLMarcTest, NoFieldIsSoughtInTheLastSixteenCharacters) {
  // From the 245 at position 1 sixteen or fewer characters follow: the
  // truncated tail is not looked at.
  EXPECT_EQ(Walk("*24510$aA\n*500  $aB", "500", 'a'), "B");
  EXPECT_EQ(Walk("*24510$a\n*500 $aB", "500", 'a'), "");
}

TEST(TVLLMarcTest, ValueByPathReadsFromTheStartWithoutMoving) {
  TVLLMarc marc(kBook);
  ASSERT_TRUE(marc.FindFirstTag("700"));
  ASSERT_TRUE(marc.FindNextTag());
  ASSERT_TRUE(marc.FindFirstSubfield('e'));
  const int field = marc.FieldPosition(), subfield = marc.SubfieldPosition();
  const std::pair<std::string, std::string> cases[] = {
      {"245$a", "Sult :"},  {"245 c", "Knut Hamsun"},  // the separator is not checked
      {"24510$b", "roman /"}, {"24511$a", ""},       {"7001 $a", "Andersen, Per"},
      {"700$e", ""},   // the first 700 has none; the second is not looked at
      {"2451$a", ""},  // six characters
      {"245", ""},          {"", ""},                  {"999$a", ""},
      {"???$?", "0012345"},
  };
  for (const auto& [path, expected] : cases) EXPECT_EQ(marc.ValueByPath(path), expected) << path;
  EXPECT_EQ(marc.ValueByPathPart("245$c", 6, 6), "Hamsun");
  EXPECT_EQ(marc.ValueByPathPart("245$c", 10, 99), "un");
  EXPECT_EQ(marc.ValueByPathPart("999$a", 1, 3), "");
  EXPECT_EQ(marc.FieldPosition(), field);
  EXPECT_EQ(marc.SubfieldPosition(), subfield);
  EXPECT_EQ(marc.SubfieldText(), "ill.");
  EXPECT_EQ(marc.SubfieldPart(2, 2), "ll");
  EXPECT_EQ(marc.SubfieldPart(3, 10), "l.");
  EXPECT_EQ(marc.SubfieldPart(5, 1), "");
  EXPECT_EQ(marc.SubfieldPart(2, 0), "");
}

TEST(TVLLMarcTest, BorrowedTextReadsTheSame) {
  TVLLMarc marc(std::string_view(kBook), TVLLMarc::BorrowText{});
  ASSERT_TRUE(marc.FindFirstTag("260"));
  ASSERT_TRUE(marc.FindFirstSubfield('c'));
  EXPECT_EQ(marc.SubfieldView(), "1990");
  EXPECT_EQ(marc.SubfieldView().data(), kBook.data() + kBook.find("1990"));
}

// The navigator's rules read plainly, one character at a time (positions
// from 1, 0 for none), to check the indexed navigator against.
class ReferenceNavigator {
 public:
  explicit ReferenceNavigator(std::string text) : t_(std::move(text)), n_(int(t_.size())) {}

  // "[field]" then "position=text|" for every matching subfield.
  std::string Walk(std::string_view pattern, char code) const {
    std::string out;
    for (int f = First(pattern); f != 0; f = Next(f, pattern)) {
      out += "[" + std::to_string(f) + "]";
      for (int s = NextSub(f, f, code); s != 0; s = NextSub(f, s, code)) {
        out += std::to_string(s) + "=" + Text(f, s) + "|";
      }
    }
    return out;
  }

  // ValueByPath read plainly: first matching field, its first subfield.
  std::string Value(std::string_view path) const {
    if (path.size() != 5 && path.size() != 7) return "";
    const int f = First(path.substr(0, path.size() - 2));
    const int s = f == 0 ? 0 : NextSub(f, f, path.back());
    return s == 0 ? "" : Text(f, s);
  }

 private:
  char At(int p) const { return p >= 1 && p <= n_ ? t_[p - 1] : '\0'; }
  bool Digit(int p) const { return At(p) >= '0' && At(p) <= '9'; }
  bool Field(int p) const {
    if (At(p) != '*') return false;
    if (p == 1 || At(p - 1) == '\r' || At(p - 1) == '\n') return true;
    return At(p - 1) != '\\' && p + 7 < n_ && Digit(p + 1) && Digit(p + 2) && Digit(p + 3) &&
           At(p + 6) == '$';
  }
  bool Sub(int p, int f) const {
    if (!(f < p && At(p) == '$')) return false;
    const char c = At(p + 1);
    const bool alnum = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    return p == f + 6 || (At(p - 1) != '\\' && p + 1 < n_ && alnum);
  }
  bool Matches(int f, std::string_view pattern) const {
    for (size_t i = 0; i < pattern.size() && i < 5; ++i) {
      const int p = f + 1 + static_cast<int>(i);
      if (pattern[i] == ':') return true;
      if (p > n_) return false;
      if (pattern[i] != '?' && At(p) != (pattern[i] == '_' ? ' ' : pattern[i])) return false;
    }
    return true;
  }
  int First(std::string_view pattern) const {
    for (int p = 1; p != 0 && p < n_; p = NextField(p)) {
      if (Matches(p, pattern)) return p;
    }
    return 0;
  }
  int NextField(int f) const {
    if (f + 16 >= n_) return 0;
    for (int p = f + 1; p <= n_; ++p) {
      if (Field(p)) return p;
    }
    return 0;
  }
  int Next(int f, std::string_view pattern) const {
    while ((f = NextField(f)) != 0 && !Matches(f, pattern)) continue;
    return f;
  }
  int NextSub(int f, int s, char code) const {
    if (s + 2 >= n_) return 0;
    for (int p = s + 1; p <= n_; ++p) {
      if (Sub(p, f)) return code == '?' || At(p + 1) == code ? p : NextSub(f, p, code);
      if (At(p) == '*' && Field(p)) return 0;
    }
    return 0;
  }
  std::string Text(int f, int s) const {
    int e = s + 3;
    while (e <= n_ && !Sub(e, f) && At(e) != '\r' && At(e) != '\n' && !Field(e)) ++e;
    return s + 2 > n_ ? "" : t_.substr(s + 1, e - s - 2);
  }

  std::string t_;
  int n_;
};

// `index_from`, when given, lends its field index to the walking navigator.
// The same listing as ReferenceNavigator::Walk, from `marc`.
std::string WalkWith(TVLLMarc& marc, std::string_view pattern, char code) {
  std::string out;
  for (bool f = marc.FindFirstTag(pattern); f; f = marc.FindNextTag()) {
    out += "[" + std::to_string(marc.FieldPosition()) + "]";
    for (bool s = marc.FindFirstSubfield(code); s; s = marc.FindNextSubfield()) {
      marc.SubfieldPart(2, 3);
      out += std::to_string(marc.SubfieldPosition()) + "=" + marc.SubfieldText() + "|";
    }
  }
  return out;
}

std::string IndexedWalk(const std::string& record, std::string_view pattern, char code,
                        const TVLLMarc* index_from = nullptr) {
  TVLLMarc marc(std::string_view(record), TVLLMarc::BorrowText{});
  if (index_from != nullptr) marc.ShareIndex(*index_from);
  return WalkWith(marc, pattern, code);
}

// Every prefix of a record, odd fragments and seeded random edits: the
// navigator agrees with the plain reading and stays inside the text (reads
// outside are caught by the sanitizer build).
TEST(TVLLMarcTest, AgreesWithACharacterByCharacterReadingOnDamagedRecords) {
  std::vector<std::string> records = {"*24510$*100  $aX\n$bY\n^", "*24510$a\n$b\n*1"};
  for (size_t n = 0; n <= kBook.size(); ++n) records.push_back(kBook.substr(0, n));
  for (const char* odd : {"*", "$", "\\", "**", "*$", "$$$$", "*\n*\n*", "*24510$a\\",
                          "*2*4*5*1*0*$*a", "*24510$a*", "*24510$a$b$c$d$e"}) {
    records.emplace_back(odd);
  }
  unsigned seed = 2718;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) & 0x7FFF;
  };
  const std::string inserts = "*$\\\n\r 0123456789abq_:?";
  for (int i = 0; i < 3000; ++i) {
    // Every fourth record is three books long, for many fields and subfields;
    // another fourth has codes that share a bit of a field's code set,
    // inline subfields, CR LF line ends and a field start inside data.
    const std::string source = i % 4 == 0   ? kBook + kBook + kBook
                               : i % 4 == 1 ? kOddCodes + kBook
                                            : kBook;
    std::string record = source.substr(0, next() % (source.size() + 1));
    for (int e = static_cast<int>(next() % 12); e > 0 && !record.empty(); --e) {
      const size_t at = next() % record.size();
      const char c = inserts[next() % inserts.size()];
      next() % 2 == 0 ? void(record[at] = c) : void(record.insert(at, 1, c));
    }
    records.push_back(record);
  }
  // A navigator kept from record to record (its index filled again, with
  // the tags linked) reads each as a fresh one does.
  TVLLMarc kept(std::string_view(), TVLLMarc::BorrowText{});
  for (const std::string& record : records) {
    const ReferenceNavigator reference(record);
    const TVLLMarc lender(std::string_view(record), TVLLMarc::BorrowText{});
    for (const char* pattern : {"", "245", "700", "650", "001", "7", "?????", "2:", "0", "24510",
                                "_", "1001_", "??_?:", "700:count", "245:"}) {
      // "q" and "1" share a bit of a field's code set.
      for (const char code : {'a', 'b', 'q', '1', '?', '*', '$'}) {
        const std::string expected = reference.Walk(pattern, code);
        ASSERT_EQ(IndexedWalk(record, pattern, code), expected)
            << "record: " << record << "\npattern " << pattern << " $" << code;
        ASSERT_EQ(IndexedWalk(record, pattern, code, &lender), expected)
            << "shared index, record: " << record << "\npattern " << pattern << " $" << code;
        kept.Reset(record);
        ASSERT_EQ(WalkWith(kept, pattern, code), expected)
            << "kept navigator, record: " << record << "\npattern " << pattern << " $" << code;
      }
    }
    for (const char* path : {"245$a", "???$?", "?????$?", "100 a", "2:::$b", "7001 $*", "0$$$$"}) {
      ASSERT_EQ(lender.ValueByPath(path), reference.Value(path)) << "record: " << record << "\n"
                                                                 << path;
    }
  }
}

// Navigators sharing the index of another over the same text walk exactly the
// fields of one that builds its own; over another text the index is not taken.
TEST(MarcShareIndexTest, SharedIndexFindsTheSameFields) {
  auto fields = [](TVLLMarc& marc, std::string_view pattern) {
    std::vector<int> found;
    if (marc.FindFirstTag(pattern)) {
      do found.push_back(marc.FieldPosition());
      while (marc.FindNextTag());
    }
    return found;
  };
  const TVLLMarc source(std::string_view(kBook), TVLLMarc::BorrowText{});
  for (std::string_view pattern : {"700", "7??", "24510", "260", "999", "?", "650_0"}) {
    TVLLMarc own(std::string_view(kBook), TVLLMarc::BorrowText{});
    TVLLMarc shared(std::string_view(kBook), TVLLMarc::BorrowText{});
    shared.ShareIndex(source);
    TVLLMarc borrowing(std::string_view(kBook), TVLLMarc::BorrowText{});
    borrowing.BorrowIndex(source);
    EXPECT_EQ(fields(shared, pattern), fields(own, pattern)) << pattern;
    EXPECT_EQ(fields(borrowing, pattern), fields(own, pattern)) << pattern;
  }
  // Another text takes neither: it reads an index of its own.
  const std::string other = "*24510$aAnother title\n^";
  TVLLMarc elsewhere(std::string_view(other), TVLLMarc::BorrowText{});
  elsewhere.ShareIndex(source);
  EXPECT_EQ(fields(elsewhere, "245"), std::vector<int>{1});
  EXPECT_TRUE(fields(elsewhere, "700").empty());
  TVLLMarc borrowing_elsewhere(std::string_view(other), TVLLMarc::BorrowText{});
  borrowing_elsewhere.BorrowIndex(source);
  EXPECT_EQ(fields(borrowing_elsewhere, "245"), std::vector<int>{1});
  // A borrower that is Reset onto another record builds its own index and
  // leaves the lender's alone.
  TVLLMarc borrower(std::string_view(kBook), TVLLMarc::BorrowText{});
  borrower.BorrowIndex(source);
  borrower.Reset(other);
  EXPECT_EQ(fields(borrower, "245"), std::vector<int>{1});
  TVLLMarc own(std::string_view(kBook), TVLLMarc::BorrowText{});
  TVLLMarc lender_view(std::string_view(kBook), TVLLMarc::BorrowText{});
  lender_view.BorrowIndex(source);
  EXPECT_EQ(fields(lender_view, "7??"), fields(own, "7??"));
}

TEST(TVLLMarcTest, SubfieldCodesThatShareABit) {
  struct Case { std::string pattern; char code; std::string expected; };
  const Case cases[] = {
      {"001", 'a', "1"},          // CR LF ends the data
      {"100", 'q', "Peder"},      {"100", '1', "x"},  {"100", '4', "aut"},
      {"700", '1', "y"},          {"700", 'q', "z\\$qw"},  // protected "$q" stays text
      {"650", 'a', "A;B"},        // a field shape inside data starts a field
      {"245", '!', "x"},          // any code right after the indicators
      {"245", 'a', "\n"},         // "a" shares the bit of "!"; its data runs to the end
      {"245", 'A', ""},           {"100", 'Q', ""},  {"700", 'a', ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Walk(kOddCodes, c.pattern, c.code), c.expected) << c.pattern << " $" << c.code;
  }
}

TEST(TVLLMarcTest, ManyFieldsAndSubfieldsOutgrowTheFirstIndexRoom) {
  std::string record, every, last;
  for (int field = 0; field < 40; ++field) {
    record += "*500  ";
    for (int sub = 0; sub < 60; ++sub) {
      const std::string value = std::to_string(field * 100 + sub);
      record += "$a" + value + (sub % 2 == 0 ? "\n" : "");
      if (field == 39) last += (last.empty() ? "" : "|") + value;
    }
    record += "\n";
  }
  record += "^";
  TVLLMarc marc(record);
  int fields = 0;
  for (bool f = marc.FindFirstTag("500"); f; f = marc.FindNextTag()) ++fields;
  EXPECT_EQ(fields, 40);
  std::string found;
  ASSERT_TRUE(marc.FindFirstTag("500"));
  for (int i = 1; i < 40; ++i) ASSERT_TRUE(marc.FindNextTag());
  for (bool s = marc.FindFirstSubfield('a'); s; s = marc.FindNextSubfield()) {
    found += (found.empty() ? "" : "|") + marc.SubfieldText();
  }
  EXPECT_EQ(found, last);
  EXPECT_EQ(ReferenceNavigator(record).Walk("500", 'a'), IndexedWalk(record, "500", 'a'));
}

// A navigator reset onto one record after another reads each as a new one
// would; a navigator that shares its index keeps reading its own record.
TEST(TVLLMarcTest, ResetReadsTheNextRecordAsANewNavigator) {
  const std::string triple = kBook + kBook + kBook;
  const std::string records[] = {kBook, kOddCodes, "", "*", triple, kBook.substr(0, 40),
                                 kOddCodes + kBook};
  const std::string* previous = &records[0];
  TVLLMarc reused(std::string_view(*previous), TVLLMarc::BorrowText{});
  for (int round = 0; round < 2; ++round) {
    for (const std::string& record : records) {
      TVLLMarc sharer(std::string_view(*previous), TVLLMarc::BorrowText{});
      sharer.ShareIndex(reused);
      reused.Reset(record);
      EXPECT_EQ(reused.FieldPosition(), 0);
      EXPECT_EQ(reused.SubfieldView(), "");
      for (const char* pattern : {"245", "7", "?????", "650"}) {
        for (const char code : {'a', 'q', '?'}) {
          TVLLMarc fresh(std::string_view(record), TVLLMarc::BorrowText{});
          EXPECT_EQ(WalkWith(reused, pattern, code), WalkWith(fresh, pattern, code))
              << round << " " << record << " " << pattern << " $" << code;
        }
      }
      EXPECT_EQ(reused.ValueByPath("100$a"), TVLLMarc(record).ValueByPath("100$a"));
      TVLLMarc own(std::string_view(*previous), TVLLMarc::BorrowText{});
      EXPECT_EQ(WalkWith(sharer, "7", '?'), WalkWith(own, "7", '?')) << record;
      previous = &record;
    }
  }
}

// A navigator with an index of its own keeps it (and its place) when asked
// to share another's.
TEST(MarcShareIndexTest, AnIndexOfItsOwnStays) {
  TVLLMarc walking(std::string_view(kBook), TVLLMarc::BorrowText{});
  ASSERT_TRUE(walking.FindFirstTag("700"));
  ASSERT_TRUE(walking.FindNextTag());
  ASSERT_TRUE(walking.FindFirstSubfield('e'));
  TVLLMarc other(std::string_view(kBook), TVLLMarc::BorrowText{});
  ASSERT_TRUE(other.FindFirstTag("245"));
  ASSERT_TRUE(other.FindFirstSubfield('c'));
  walking.ShareIndex(other);
  EXPECT_EQ(walking.SubfieldView(), "ill.");
  EXPECT_FALSE(walking.FindNextSubfield());
  EXPECT_FALSE(walking.FindNextTag());
  EXPECT_EQ(other.SubfieldView(), "Knut Hamsun");
}

}  // namespace
}  // namespace vellorax::vll2

namespace vellorax::vll2 {
namespace {

// Texts made of little else than the characters the index pass looks at,
// of every length up to a few hundred and with lines longer than 64
// characters: the bit-mask pass agrees with the plain reading at the edges
// of its 16- and 64-character runs. Each text lies in a heap block of its
// own size, so that a read past it is caught by the sanitizer build.
TEST(TVLLMarcTest, MarkDenseTextsOfEveryLengthAgreeWithThePlainReading) {
  unsigned seed = 1618;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) & 0x7FFF;
  };
  // "*245" and "$a" shapes, the "$" after the indicators without a letter
  // after it, backslashes, CR and LF, and plain text in long runs.
  TVLLMarc kept(std::string_view(), TVLLMarc::BorrowText{});
  const std::vector<std::string> pieces = {
      "*24510", "*1001 ", "$a", "$b", "$", "*", "\\", "\n", "\r", "$$", "$*", "*001  $",
      "0",      "12",     "x",  " ",  "*500  $ab\n", std::string(70, 'y'), "$q", "$1"};
  for (int i = 0; i < 4000; ++i) {
    std::string text;
    const unsigned target = next() % (i % 10 == 0 ? 400 : 140);
    while (text.size() < target) text += pieces[next() % pieces.size()];
    text.resize(target);
    auto block = std::make_unique<char[]>(text.size() + (text.empty() ? 1 : 0));
    std::copy(text.begin(), text.end(), block.get());
    const std::string_view exact(block.get(), text.size());
    const ReferenceNavigator reference(text);
    for (const char* pattern : {"", "245", "500", "?????", "1001_", "0", "100:full"}) {
      for (const char code : {'a', 'b', '?', '$', '1'}) {
        TVLLMarc marc(exact, TVLLMarc::BorrowText{});
        ASSERT_EQ(WalkWith(marc, pattern, code), reference.Walk(pattern, code))
            << "text: " << text << "\npattern " << pattern << " $" << code;
        kept.Reset(exact);
        ASSERT_EQ(WalkWith(kept, pattern, code), reference.Walk(pattern, code))
            << "kept, text: " << text << "\npattern " << pattern << " $" << code;
      }
    }
  }
}

// The shapes the bit-mask pass treats apart, each next to the end of the
// text and across the 64-character word boundary.
TEST(TVLLMarcTest, FieldAndSubfieldShapesAtWordAndTextEnds) {
  const std::vector<std::string> shapes = {
      "*24510$ab",       "*24510$*b",  "*2$a10$ab", "*24$a0$x", "*24510$",  "*24510$a",
      "x*245ab$cd\n",    "x\\*245ab$c", "*001  $a1\n*002", "$a$b$c", "\n*\n$a\r*", "*24510\\$a$"};
  for (const std::string& shape : shapes) {
    for (int pad = 0; pad < 80; ++pad) {
      for (const std::string& text :
           {std::string(static_cast<size_t>(pad), 'z') + shape,
            "*100  $a" + std::string(static_cast<size_t>(pad), 'z') + "\n" + shape + "zz"}) {
        auto block = std::make_unique<char[]>(text.size());
        std::copy(text.begin(), text.end(), block.get());
        const std::string_view exact(block.get(), text.size());
        const ReferenceNavigator reference(text);
        for (const char* pattern : {"", "245", "?????", "2"}) {
          for (const char code : {'a', 'b', 'x', '?', '*', '$'}) {
            TVLLMarc marc(exact, TVLLMarc::BorrowText{});
            ASSERT_EQ(WalkWith(marc, pattern, code), reference.Walk(pattern, code))
                << "text: " << text << "\npattern " << pattern << " $" << code;
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace vellorax::vll2
