// Every display-format record under tests/data/records repairs into
// well-formed engine record text.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "common/record_text.h"

namespace vellorax::common {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

// The fixture texts by file name, in name order.
std::map<std::string, std::string> Fixtures() {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(fs::path(VX_SOURCE_DIR) / "tests/data/records")) {
    if (entry.path().extension() != ".txt") continue;
    std::ostringstream text;
    text << std::ifstream(entry.path(), std::ios::binary).rdbuf();
    files[entry.path().filename().string()] = text.str();
  }
  return files;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsSubfieldCode(char c) { return (c >= 'a' && c <= 'z') || IsDigit(c); }

// The set must also cover national letters, backslashes and repeated fields.
TEST(RecordFixturesTest, EveryFixtureRepairsIntoEngineText) {
  const std::map<std::string, std::string> files = Fixtures();
  ASSERT_GE(files.size(), 20u);
  bool national = false, backslash = false, repeated_700 = false;
  for (const auto& [name, display] : files) {
    SCOPED_TRACE(name);
    national = national || std::any_of(display.begin(), display.end(), [](char c) { return (c & 0xC0) == 0xC0; });
    backslash = backslash || display.find('\\') != std::string::npos;
    const size_t first = display.find("\n700 ");
    repeated_700 = repeated_700 || (first != std::string::npos && display.find("\n700 ", first + 1) != std::string::npos);
    const std::vector<std::string_view> input = SplitLines(display);
    ASSERT_FALSE(input.empty());
    ASSERT_EQ(input[0].substr(0, 4), "001 ");
    size_t data_lines = 0, subfields = 0;
    for (std::string_view line : input) {
      if (line.substr(0, 2) == "00") continue;
      ++data_lines;
      for (size_t p = line.find('$'); p != std::string_view::npos; p = line.find('$', p + 1))
        subfields += p == 7 || line[p - 1] == ' ';
    }

    const std::string engine = RepairRecordText(display);
    ASSERT_TRUE(engine.ends_with("\n^\0"s));
    EXPECT_EQ(engine.find('\\'), std::string::npos);
    EXPECT_EQ(engine.rfind("*001  $a" + std::string(input[0].substr(4)) + "\n", 0), 0u);
    size_t field_lines = 0, subfield_lines = 0;
    for (std::string_view line : SplitLines(std::string_view(engine).substr(0, engine.size() - 3))) {
      ASSERT_GE(line.size(), 2u) << line;
      if (line[0] == '*') {
        ++field_lines;
        ASSERT_GE(line.size(), 8u) << line;
        EXPECT_TRUE(IsDigit(line[1]) && IsDigit(line[2]) && IsDigit(line[3])) << line;
        EXPECT_TRUE(line[6] == '$' && IsSubfieldCode(line[7])) << line;
        EXPECT_TRUE(line.substr(1, 3) != "005" && line.substr(1, 3) != "008") << line;
      } else {
        ++subfield_lines;
        EXPECT_TRUE(line[0] == '$' && IsSubfieldCode(line[1])) << line;
      }
    }
    EXPECT_EQ(field_lines, data_lines + 1);  // the 001 line, then one per data field
    EXPECT_EQ(field_lines - 1 + subfield_lines, subfields);
  }
  EXPECT_TRUE(national && backslash && repeated_700);
}

// Expected text worked out by hand from the display line of each field.
TEST(RecordFixturesTest, HandRepairedRecord010) {
  EXPECT_EQ(RepairRecordText(Fixtures().at("010.txt")),
            "*001  $a1000010\n*1001 $aNesb\xF8, Jo\n*24510$aT\xF8rst\n$cJo Nesb\xF8\n"
            "*264 1$aOslo :\n$bAschehoug,\n$c2017\n*300  $a544 sider\n*4901 $aHarry Hole ;\n$v11\n"
            "*650 0$aKriminalromaner\n^\0"s);
}

}  // namespace
}  // namespace vellorax::common
