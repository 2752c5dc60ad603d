#include "common/record_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vellorax::common {
namespace {

using namespace std::string_literals;

struct RepairCase {
  const char* name;
  std::string display;
  std::string engine;
};

TEST(RepairRecordTextTest, Table) {
  const RepairCase cases[] = {
      {"worked example", "001 12345\r\n245 10 $a Title : $b subtitle",
       "*001  $a12345\n*24510$aTitle :\n$bsubtitle\n^\0"s},
      {"only the control number", "001 12345", "*001  $a12345\n\n^\0"s},
      {"control number with line break at the end", "001 12345\n", "*001  $a12345\n\n^\0"s},
      {"005 and 008 dropped",
       "001 1\n005 20200101120000.0\n008 200101s2020    no ||||| |||| 00| 0 nob d\n245 10 $a T",
       "*001  $a1\n*24510$aT\n^\0"s},
      {"000 and 003 dropped", "000 leader\n003 NO-OsNB\n245 00 $a T", "*24500$aT\n^\0"s},
      {"backslash becomes slash", "245 10 $a C:\\dir\\file", "*24510$aC:/dir/file\n^\0"s},
      {"backslash in the control number", "001 a\\b", "*001  $aa/b\n\n^\0"s},
      {"three subfields", "100 1  $a Hansen, Ola $d 1950- $e author",
       "*1001 $aHansen, Ola\n$d1950-\n$eauthor\n^\0"s},
      {"no blank after the code", "245 10 $aTitle", "*24510$aitle\n^\0"s},
      {"empty line between fields", "245 10 $a A\n\n650  0 $a B",
       "*24510$aA\n*\n*650 0$aB\n^\0"s},
      {"dollar inside data stays", "020    $a 82-05-12345-6 $c US$5",
       "*020  $a82-05-12345-6\n$cUS$5\n^\0"s},
      {"trailing control field after the last data field", "245 10 $a A\n008 x",
       "*24510$aA\n\n^\0"s},
      {"CR line breaks", "001 7\r245 10 $a A\r", "*001  $a7\n*24510$aA\n^\0"s},
      {"short lines", "24", "*24\n^\0"s},
      {"bare 001", "001", "*001  $a\n\n^\0"s},
      {"single zero", "0", "*0\n^\0"s},
      {"empty text", "", "\n^\0"s},
      {"national letters", "245 10 $a Bl\xE5" "b\xE6r og \xF8l",
       "*24510$aBl\xE5" "b\xE6r og \xF8l\n^\0"s},
      // The control number always leads; fields read before it follow in order.
      {"late control number", "245 10 $a A\n001 99", "*001  $a99\n*24510$aA\n\n^\0"s},
      {"control number among fields", "100 1  $a X\n245 10 $a A\n001 99\n650  0 $a B",
       "*001  $a99\n*1001 $aX\n*24510$aA\n*650 0$aB\n^\0"s},
      {"two control numbers", "001 1\n245 10 $a A\n001 2", "*001  $a1\n*001  $a2\n*24510$aA\n\n^\0"s},
      {"long field kept whole", "500    $a " + std::string(50000, 'z'),
       "*500  $a" + std::string(50000, 'z') + "\n^" + '\0'},
  };
  for (const RepairCase& c : cases) EXPECT_EQ(RepairRecordText(c.display), c.engine) << c.name;
}

TEST(JoinSubfieldLinesTest, Table) {
  const std::pair<const char*, const char*> cases[] = {
      {"$a one\n$b two", "$aone\n$btwo"}, {"$a", "$a"}, {"$ab", "$a"}, {"x", "x"}, {"\n", ""},
      {"ab\r\ncd e", "ab\ncde"}, {"", ""}, {"$a one\n\n$b two", "$aone\n\n$btwo"},
  };
  for (const auto& [input, expected] : cases) EXPECT_EQ(JoinSubfieldLines(input), expected) << input;
}

TEST(SplitLinesTest, Table) {
  const std::pair<const char*, std::vector<std::string_view>> cases[] = {
      {"a\r\nb", {"a", "b"}}, {"a\rb", {"a", "b"}}, {"a\n", {"a"}}, {"a\n\n", {"a", ""}}, {"", {}},
      {"\n", {""}}, {"a\r\n\r\nb", {"a", "", "b"}}, {"a\n\rb", {"a", "", "b"}}, {"a\r", {"a"}},
  };
  for (const auto& [input, expected] : cases) EXPECT_EQ(SplitLines(input), expected) << "[" << input << "]";
}

}  // namespace
}  // namespace vellorax::common
