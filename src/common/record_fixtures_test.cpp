// Every display-format record under tests/data/records repairs into
// well-formed engine record text.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/record_text.h"

namespace vellorax::common {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

fs::path RecordsDir() { return fs::path(VX_SOURCE_DIR) / "tests" / "data" / "records"; }

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<fs::path> Fixtures() {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(RecordsDir())) {
    if (entry.path().extension() == ".txt") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

bool IsSubfieldCode(char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

TEST(RecordFixturesTest, EveryFixtureRepairsIntoEngineText) {
  const std::vector<fs::path> files = Fixtures();
  ASSERT_GE(files.size(), 20u);
  for (const fs::path& file : files) {
    SCOPED_TRACE(file.filename().string());
    const std::string display = ReadFile(file);
    const std::vector<std::string_view> input = SplitLines(display);
    ASSERT_FALSE(input.empty());
    ASSERT_EQ(input[0].substr(0, 4), "001 ");

    size_t data_lines = 0;
    size_t subfields = 0;
    for (std::string_view line : input) {
      if (line.substr(0, 2) == "00") continue;
      ++data_lines;
      for (size_t p = line.find('$'); p != std::string_view::npos; p = line.find('$', p + 1)) {
        if (p == 7 || line[p - 1] == ' ') ++subfields;
      }
    }

    const std::string engine = RepairRecordText(display);
    ASSERT_GE(engine.size(), 3u);
    EXPECT_EQ(engine.substr(engine.size() - 3), "\n^\0"s);
    EXPECT_EQ(engine.find('\\'), std::string::npos);
    EXPECT_EQ(engine.rfind("*001  $a" + std::string(input[0].substr(4)) + "\n", 0), 0u);

    const std::string body = engine.substr(0, engine.size() - 3);
    const std::vector<std::string_view> lines = SplitLines(body);
    size_t field_lines = 0;
    size_t subfield_lines = 0;
    for (std::string_view line : lines) {
      ASSERT_GE(line.size(), 2u) << line;
      if (line[0] == '*') {
        ++field_lines;
        ASSERT_GE(line.size(), 8u) << line;
        EXPECT_TRUE(IsDigit(line[1]) && IsDigit(line[2]) && IsDigit(line[3])) << line;
        EXPECT_EQ(line[6], '$') << line;
        EXPECT_TRUE(IsSubfieldCode(line[7])) << line;
        EXPECT_NE(line.substr(1, 3), "005") << line;
        EXPECT_NE(line.substr(1, 3), "008") << line;
      } else {
        ++subfield_lines;
        ASSERT_EQ(line[0], '$') << line;
        EXPECT_TRUE(IsSubfieldCode(line[1])) << line;
      }
    }
    EXPECT_EQ(field_lines, data_lines + 1);  // the 001 line, then one per data field
    EXPECT_EQ(field_lines - 1 + subfield_lines, subfields);
  }
}

// The set covers what the display formats have to cope with.
TEST(RecordFixturesTest, FixturesCoverNationalLettersBackslashesAndRepeats) {
  bool national = false, backslash = false, repeated_700 = false;
  for (const fs::path& file : Fixtures()) {
    const std::string text = ReadFile(file);
    for (char c : text) national = national || static_cast<unsigned char>(c) >= 0xC0;
    backslash = backslash || text.find('\\') != std::string::npos;
    const size_t first = text.find("\n700 ");
    repeated_700 = repeated_700 || (first != std::string::npos &&
                                    text.find("\n700 ", first + 1) != std::string::npos);
  }
  EXPECT_TRUE(national);
  EXPECT_TRUE(backslash);
  EXPECT_TRUE(repeated_700);
}

// Expected text worked out by hand from the display line of each field.
TEST(RecordFixturesTest, Record010) {
  const std::string expected =
      "*001  $a1000010\n"
      "*1001 $aNesb\xF8, Jo\n"
      "*24510$aT\xF8rst\n"
      "$cJo Nesb\xF8\n"
      "*264 1$aOslo :\n"
      "$bAschehoug,\n"
      "$c2017\n"
      "*300  $a544 sider\n"
      "*4901 $aHarry Hole ;\n"
      "$v11\n"
      "*650 0$aKriminalromaner\n"
      "^\0"s;
  EXPECT_EQ(RepairRecordText(ReadFile(RecordsDir() / "010.txt")), expected);
}

TEST(RecordFixturesTest, Record005BackslashesBecomeSlashes) {
  const std::string engine = RepairRecordText(ReadFile(RecordsDir() / "005.txt"));
  EXPECT_NE(engine.find("*500  $aFilene ligger p\xE5 //server/katalog/regler (intern sti).\n"),
            std::string::npos);
}

}  // namespace
}  // namespace vellorax::common
