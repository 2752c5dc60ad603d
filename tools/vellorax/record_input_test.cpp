#include "record_input.h"

#include <cstdio>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vellorax::tool {
namespace {

struct Seen {
  std::string text;
  bool display_lines, utf8;
};

std::vector<Seen> ReadAll(std::string_view content, RecordFileFormat format) {
  std::vector<Seen> seen;
  RecordFileReader().ForEach(content, format, [&](const InputRecord& r) { seen.push_back({std::string(r.text), r.display_lines, r.utf8}); });
  return seen;
}

// A minimal ISO 2709 record: leader, directory, fields, record terminator.
std::string Iso2709(char coding, const std::vector<std::pair<std::string, std::string>>& fields) {
  std::string directory, data;
  char entry[25];
  for (const auto& [tag, body] : fields) {
    std::snprintf(entry, sizeof entry, "%3s%04zu%05zu", tag.c_str(), body.size() + 1, data.size());
    directory += entry;
    data += body + "\x1e";
  }
  const size_t base = 24 + directory.size() + 1;
  std::snprintf(entry, sizeof entry, "%05zunam %c22%05zu   4500", base + data.size() + 1, coding, base);
  return std::string(entry) + directory + "\x1e" + data + "\x1d";
}

TEST(RecordInputTest, DetectsTheFormatByTheFirstBytes) {
  const std::string iso = Iso2709(' ', {{"001", "1"}, {"245", "10\x1f" "aTitle"}});
  for (bool display : {false, true}) EXPECT_EQ(DetectRecordFileFormat(iso, display), RecordFileFormat::kIso2709);
  EXPECT_EQ(DetectRecordFileFormat("\xEF\xBB\xBF  <collection/>", false), RecordFileFormat::kMarcXml);
  EXPECT_EQ(DetectRecordFileFormat("*24510$aTitle\n^\n", false), RecordFileFormat::kEngineText);
  EXPECT_EQ(DetectRecordFileFormat("245 10 $a Title\n", true), RecordFileFormat::kDisplayLines);
  EXPECT_EQ(DetectRecordFileFormat("12345 not a leader", false), RecordFileFormat::kEngineText);
}

TEST(RecordInputTest, EngineTextRecordsEndAtTheCaretLine) {
  const std::string content = std::string("*001  $a1\n*24510$aOne\n^") + '\0' +
                              "\n*001  $a2\n*24510$aTwo\r\n^\r\n*24510$aUnclosed\n";
  std::vector<Seen> seen = ReadAll(content, RecordFileFormat::kEngineText);
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].text, "*001  $a1\n*24510$aOne\n^");
  EXPECT_EQ(seen[1].text, "*001  $a2\n*24510$aTwo\r\n^");
  EXPECT_EQ(seen[2].text, "*24510$aUnclosed\n");
  EXPECT_FALSE(seen[0].display_lines);
}

TEST(RecordInputTest, DisplayRecordsAreSeparatedByEmptyLines) {
  std::vector<Seen> seen = ReadAll(
      "\n001 1\n245 10 $a One\n\n \r\n001 2\r\n245 10 $a Two\r\n", RecordFileFormat::kDisplayLines);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].text, "001 1\n245 10 $a One");
  EXPECT_EQ(seen[1].text, "001 2\r\n245 10 $a Two\r");
  EXPECT_TRUE(seen[1].display_lines);
  EXPECT_TRUE(ReadAll("", RecordFileFormat::kDisplayLines).empty());
}

TEST(RecordInputTest, Iso2709BecomesDisplayLines) {
  const std::string content =
      Iso2709('a', {{"001", "42"}, {"245", "10\x1f" "aMain :\x1f" "bSub"}}) + "\n" +
      Iso2709(' ', {{"001", "43"}, {"700", "1 \x1f" "aName"}});
  std::vector<Seen> seen = ReadAll(content, RecordFileFormat::kIso2709);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_NE(seen[0].text.find("001 42\n"), std::string::npos) << seen[0].text;
  EXPECT_NE(seen[0].text.find("245 10 $a Main : $b Sub\n"), std::string::npos) << seen[0].text;
  EXPECT_TRUE(seen[0].display_lines);
  EXPECT_TRUE(seen[0].utf8);
  EXPECT_FALSE(seen[1].utf8);
  EXPECT_NE(seen[1].text.find("700 1  $a Name\n"), std::string::npos) << seen[1].text;
  // A cut record is an error, not a crash.
  EXPECT_THROW(ReadAll(Iso2709(' ', {{"001", "42"}}).substr(0, 30), RecordFileFormat::kIso2709), RecordInputError);
}

TEST(RecordInputTest, MarcXmlRecords) {
  std::vector<Seen> seen = ReadAll(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<collection xmlns=\"http://www.loc.gov/MARC21/slim\">\n"
      "<record><leader>00000nam a2200000 a 4500</leader><controlfield tag=\"001\">7</controlfield>"
      "<datafield tag=\"245\" ind1=\"1\" ind2=\"0\"><subfield code=\"a\">T\xC3\xB8rst</subfield></datafield>"
      "</record>\n<record><leader>00000nam a2200000 a 4500</leader>"
      "<controlfield tag=\"001\">8</controlfield></record>\n</collection>\n",
      RecordFileFormat::kMarcXml);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_NE(seen[0].text.find("245 10 $a T\xC3\xB8rst\n"), std::string::npos) << seen[0].text;
  EXPECT_TRUE(seen[0].utf8);
  EXPECT_NE(seen[1].text.find("001 8\n"), std::string::npos) << seen[1].text;
  EXPECT_THROW(ReadAll("<collection><record>", RecordFileFormat::kMarcXml), RecordInputError);
}

// The uncleared buffer holds exactly what the string reader reads, also when
// reused for a smaller file after a larger one; a missing file is refused.
TEST(RecordInputTest, RecordFileBytesReadWholeFiles) {
  const std::string dir = std::string(VX_SOURCE_DIR) + "/tests/data/";
  RecordFileBytes bytes;
  for (const char* name : {"formats/records.mrc", "records/001.txt", "records.xml"}) {
    std::string expected;
    ASSERT_TRUE(ReadRecordFile(dir + name, expected)) << name;
    ASSERT_TRUE(bytes.Read(dir + name)) << name;
    EXPECT_EQ(bytes.view(), expected) << name;
    EXPECT_FALSE(expected.empty()) << name;
  }
  EXPECT_FALSE(bytes.Read(dir + "no/such/file"));
  EXPECT_TRUE(bytes.view().empty());
  // Neither a directory nor an empty file is mapped; both read as no bytes.
  EXPECT_FALSE(bytes.Read(dir + "formats"));
  EXPECT_TRUE(bytes.view().empty());
  const std::string empty = testing::TempDir() + "vx_empty_record_file";
  std::fclose(std::fopen(empty.c_str(), "wb"));
  ASSERT_TRUE(bytes.Read(dir + "formats/records.mrc"));
  EXPECT_TRUE(bytes.Read(empty));
  EXPECT_TRUE(bytes.view().empty());
  std::remove(empty.c_str());
}

}  // namespace
}  // namespace vellorax::tool
