// Iso2709EngineTextWriter against the long way it replaces: for every record
// it either declines or gives exactly RepairRecordText of the display lines
// Iso2709LineWriter writes (which takes the record too), and the same length.
#include "iso2709_engine_text.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "common/record_text.h"
#include "iso2709_lines.h"
#include "iso2709_test_records.h"
#include "record_input.h"

namespace vellorax::tool {
namespace {

using testing::Fields;
using testing::Iso2709;
using namespace std::string_literals;


struct Outcome {
  bool handled = false;
  std::string text;     // the writer's text when handled
  std::string failure;  // empty when it agrees with the long way (or declined)
};

Outcome ConvertBothWays(std::string_view data, bool ascii_only = false) {
  Iso2709EngineTextWriter direct;
  Iso2709LineWriter lines;
  Outcome out;
  out.handled = direct.Convert(data, ascii_only);
  if (!out.handled) return out;
  out.text = direct.text();
  if (!lines.Convert(data)) {
    out.failure = "the line writer declines it";
  } else if (lines.record_length() != direct.record_length()) {
    out.failure = "record length " + std::to_string(direct.record_length()) + ", lines " +
                  std::to_string(lines.record_length());
  } else if (const std::string repaired = common::RepairRecordText(FieldLines(lines.lines()));
             repaired != out.text) {
    out.failure = "text differs:\n" + out.text + "\nrepaired lines:\n" + repaired;
  }
  return out;
}

TEST(Iso2709EngineTextTest, WritesTheRepairedTextOfTheLines) {
  const std::string k008 = "240115s2023    no a   e     000 1 nob d";
  struct Row {
    const char* name;
    Fields fields;
    bool handled;
    std::string text;  // expected when handled
  };
  const std::vector<Row> rows = {
      {"control number first, other control fields dropped",
       {{"001", "1000001"}, {"008", k008}, {"245", "10\x1f" "aTitle :\x1f" "bsub /\x1f" "cOla"}},
       true, "*001  $a1000001\n*24510$aTitle :\n$bsub /\n$cOla\n*\n^\0"s},
      {"control numbers move in front of data fields, in order",
       {{"100", "1 \x1f" "aA"}, {"001", "7777"}, {"245", "10\x1f" "aT"}, {"001", "8888"}},
       true, "*001  $a7777\n*001  $a8888\n*1001 $aA\n*24510$aT\n*\n^\0"s},
      {"backslashes become slashes everywhere",
       {{"001", "a\\b"}, {"245", "1\\\x1f" "aA\\B"}}, true, "*001  $aa/b\n*2451/$aA/B\n*\n^\0"s},
      {"a dollar inside a word, and as a subfield code",
       {{"020", "  \x1f" "cUS$5\x1f" "$x"}}, true, "*020  $cUS$5\n$$x\n*\n^\0"s},
      {"empty subfields are dropped, empty texts kept",
       {{"245", "10\x1f\x1f" "aX\x1f" "b\x1f" "cY\x1f"}}, true, "*24510$aX\n$b\n$cY\n*\n^\0"s},
      {"a data field without subfields", {{"245", "10"}}, true, "*24510\n*\n^\0"s},
      {"blanks and tabs inside texts, dollar in a control number",
       {{"001", "x $y"}, {"500", "  \x1f" "aa\tb  \x1f" "bc "}}, true,
       "*001  $ax $y\n*500  $aa\tb  \n$bc \n*\n^\0"s},
      {"no fields at all", {}, true, "*\n^\0"s},
      {"a dollar after a blank starts a subfield for the repair",
       {{"020", "  \x1f" "cprice $5"}}, false, ""},
      {"a dollar opening a text", {{"020", "  \x1f" "c$5"}}, false, ""},
      {"a line feed in a data field", {{"245", "10\x1f" "aA\nB"}}, false, ""},
      {"a carriage return in a control field", {{"008", "ab\rcd"}}, false, ""},
      {"a control byte as subfield code", {{"245", "10\x1f\x01" "a"}}, false, ""},
      {"text before the first subfield mark", {{"245", "10a\x1f" "bX"}}, false, ""},
      {"a NUL byte in a text", {{"245", "10\x1f" "aA\0B"s}}, false, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    // A dropped control field of 200 bytes keeps the record length at 00200
    // to 00999, so that the leader's line is dropped too.
    Fields fields = row.fields;
    fields.emplace_back("009", std::string(200, 'f'));
    const Outcome out = ConvertBothWays(Iso2709(fields));
    EXPECT_EQ(out.handled, row.handled);
    EXPECT_EQ(out.failure, "");
    if (row.handled) {
      EXPECT_EQ(out.text, row.text);
    }
  }
}

// The leader is the first display line, so its record length decides how the
// repair reads it: "001.." a control number, "00..." dropped, else a field.
// The leader is no field: whatever its record length ("001..." for 100 to 199
// bytes, "01..." from 1,000 on), nothing of it reaches the engine text.
TEST(Iso2709EngineTextTest, LeavesTheLeaderOut) {
  struct Row {
    size_t text_length;  // of each 245 $a, to reach a record length
    int copies;          // of that field
    const char* length_prefix;
  };
  for (const Row& row : {Row{100, 1, "001"}, Row{300, 1, "00"}, Row{1000, 1, "01"},
                         Row{5000, 2, "1"}}) {
    const std::string text(row.text_length, 'x');
    Fields fields;
    std::string field;
    for (int k = 0; k < row.copies; ++k) {
      fields.emplace_back("245", "10\x1f" "a" + text);
      field += "*24510$a" + text + "\n";
    }
    field += "*\n^"s + '\0';
    const std::string record = Iso2709(fields);
    SCOPED_TRACE(record.substr(0, 24));
    ASSERT_TRUE(record.starts_with(row.length_prefix));
    const Outcome out = ConvertBothWays(record);
    EXPECT_TRUE(out.handled);
    EXPECT_EQ(out.failure, "");
    EXPECT_EQ(out.text, field);
  }
  // Not even a leader with " $" in it, which the repair would split.
  std::string record = Iso2709({{"245", "10\x1f" "a" + std::string(1000, 'y')}}, "n $ $");
  const Outcome out = ConvertBothWays(record);
  EXPECT_TRUE(out.handled);
  EXPECT_EQ(out.failure, "");
  EXPECT_EQ(out.text.rfind("*24510$ay", 0), 0u) << out.text.substr(0, 40);
}

TEST(Iso2709EngineTextTest, AsciiOnlyDeclinesBytesFrom0x80) {
  const std::string plain = Iso2709({{"245", "10\x1f" "aBlue"}}, "nam a");
  const std::string letters = Iso2709({{"245", "10\x1f" "aBl\xc3\xa5"}}, "nam a");
  const std::string in_008 = Iso2709({{"008", "ab\xc3\xa5"}, {"245", "10\x1f" "aX"}}, "nam a");
  EXPECT_TRUE(ConvertBothWays(plain, true).handled);
  EXPECT_FALSE(ConvertBothWays(letters, true).handled);
  EXPECT_FALSE(ConvertBothWays(in_008, true).handled);
  const Outcome out = ConvertBothWays(letters, false);
  EXPECT_TRUE(out.handled);
  EXPECT_EQ(out.failure, "");
}

std::string ReadWhole(const std::string& path) {
  std::string content;
  EXPECT_TRUE(ReadRecordFile(path, content)) << path;
  return content;
}

TEST(Iso2709EngineTextTest, TakesTheFixtureAndBenchmarkRecords) {
  const std::filesystem::path generated =
      std::filesystem::temp_directory_path() / ("vx_engine_text_" + std::to_string(::getpid()));
  const std::string command = "python3 " + std::string(VX_SOURCE_DIR) +
                              "/bench/vll2_format/gen_records.py --count 2000 --seed 5 " +
                              generated.string() + " 2>/dev/null";
  const bool have_python = std::system(command.c_str()) == 0;
  struct Row {
    std::string path;
    size_t count;
  };
  std::vector<Row> rows = {{std::string(VX_SOURCE_DIR) + "/tests/data/formats/records.mrc", 24}};
  if (have_python) rows.push_back({generated.string(), 2000});
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path);
    const std::string content = ReadWhole(row.path);
    const std::vector<std::string_view> records = SplitIso2709ByLength(content);
    ASSERT_EQ(records.size(), row.count);
    for (size_t i = 0; i < records.size(); ++i) {
      SCOPED_TRACE("record " + std::to_string(i + 1));
      const Outcome out = ConvertBothWays(records[i]);
      EXPECT_TRUE(out.handled);
      ASSERT_EQ(out.failure, "");
    }
  }
  std::filesystem::remove(generated);
}

// Random records with the bytes that matter to the repair ("$", blanks,
// backslashes, line breaks) and leaders of every length class, then each
// with one byte changed, cut short or given a stray separator.
TEST(Iso2709EngineTextTest, RandomRecordsAndDamageAgreeWithTheRepairedLines) {
  std::mt19937 random(7);
  auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  const std::string alphabet = "abcXYZ 019.,:;/-$$  \\\xe5\xf8\x1b\t";
  // Mostly letters, some bytes the repair looks at, rarely a line break.
  auto text_byte = [&]() -> char {
    if (pick(500) == 0) return pick(2) ? '\r' : '\n';
    if (pick(4) != 0) return static_cast<char>('a' + pick(26));
    return alphabet[pick(static_cast<int>(alphabet.size()))];
  };
  const char bytes[] = {'\0', '\x1d', '\x1e', '\x1f', ' ', '$', '\\', '\n', '0', '1', 'a', '\x80'};
  int handled = 0;
  int handled_damaged = 0;
  for (int round = 0; round < 3000; ++round) {
    Fields fields;
    for (int f = pick(12); f > 0; --f) {
      char tag[4];
      std::snprintf(tag, sizeof tag, "%03d", pick(3) == 0 ? pick(10) : 10 + pick(990));
      std::string body;
      if (tag[0] == '0' && tag[1] == '0') {
        for (int k = 3 + pick(30); k > 0; --k) body += text_byte();
      } else {
        body = {"0 1\\$"[pick(5)], "0 4"[pick(3)]};
        for (int s = pick(5); s > 0; --s) {
          body += '\x1f';
          body += "abcz4$ \\"[pick(8)];
          for (int k = pick(pick(8) == 0 ? 2000 : 40); k > 0; --k) body += text_byte();
        }
      }
      fields.emplace_back(tag, body);
    }
    const std::string record = Iso2709(fields, pick(2) ? "nam a" : "c $ \\");
    {
      SCOPED_TRACE("well-formed round " + std::to_string(round) + ": " + record);
      const Outcome out = ConvertBothWays(record, pick(2));
      handled += out.handled;
      ASSERT_EQ(out.failure, "");
    }
    for (int damage = 0; damage < 8; ++damage) {
      const std::string bad = testing::Damaged(record, pick, bytes);
      SCOPED_TRACE("damaged round " + std::to_string(round) + ": " + bad);
      const Outcome out = ConvertBothWays(bad);
      handled_damaged += out.handled;
      ASSERT_EQ(out.failure, "");
    }
  }
  // Both kinds are taken often enough for the comparison to mean something.
  EXPECT_GT(handled, 600);
  EXPECT_GT(handled_damaged, 900);
}

// The reader hands over engine text where the writer takes a record and
// display lines otherwise; UTF-8 records only when plain ASCII.
TEST(Iso2709EngineTextTest, ReaderChoosesEngineTextRecordByRecord) {
  const std::string good = Iso2709({{"001", "1"}, {"245", "10\x1f" "aOne"}});
  const std::string dollar = Iso2709({{"001", "2"}, {"245", "10\x1f" "aA $b"}});
  const std::string utf8 = Iso2709({{"001", "3"}, {"245", "10\x1f" "a\xc3\xa5"}}, "nam a");
  const std::string latin = Iso2709({{"001", "4"}, {"245", "10\x1f" "a\xe5"}});
  const std::string file = good + dollar + "\n" + utf8 + latin;
  struct Row {
    bool utf8_input;
    std::vector<bool> display_lines;
  };
  for (const Row& row : {Row{false, {false, true, true, false}}, Row{true, {false, true, true, true}}}) {
    SCOPED_TRACE(row.utf8_input ? "UTF-8 input" : "code page input");
    std::vector<bool> display_lines;
    std::vector<std::string> texts;
    RecordFileReader reader(RecordReaderOptions{.engine_text = true, .utf8_input = row.utf8_input});
    reader.ForEach(file, RecordFileFormat::kIso2709, [&](const InputRecord& r) {
      display_lines.push_back(r.display_lines);
      texts.push_back(r.display_lines ? common::RepairRecordText(r.text) : std::string(r.text));
    });
    EXPECT_EQ(display_lines, row.display_lines);
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[0], "*001  $a1\n*24510$aOne\n*\n^\0"s);
    EXPECT_EQ(texts[1], "*001  $a2\n*24510$aA\n$b\n*\n^\0"s);
    EXPECT_EQ(texts[3], "*001  $a4\n*24510$a\xe5\n*\n^\0"s);
  }
}

}  // namespace
}  // namespace vellorax::tool
