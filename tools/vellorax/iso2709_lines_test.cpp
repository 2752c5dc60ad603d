// Iso2709LineWriter against YAZ, the reference: for every record the writer
// either produces YAZ's exact text and record length or declines.
#include "iso2709_lines.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "iso2709_test_records.h"
#include "record_input.h"
#include "yaz_lines.h"

namespace vellorax::tool {
namespace {

using testing::Fields;
using testing::Iso2709;


const Fields kBook = {
    {"001", "1000001"},
    {"008", "240115s2023    no a   e     000 1 nob d"},
    {"100", "1 \x1f" "aHansen, Ola\x1f" "d1950-\x1f" "4aut"},
    {"245", "10\x1f" "aBl\xe5" "b\xe6r og tytteb\xe6r :\x1f" "ben bok /\x1f" "cOla Hansen"},
    {"650", " 0\x1f" "aB\xe6r\x1fzNorge"},
};

std::string Replace(std::string s, size_t pos, std::string_view with) {
  return s.replace(pos, with.size(), with);
}

struct Comparison {
  bool handled = false;
  std::string failure;  // empty when the writer agrees with YAZ (or declined)
};

// Runs both readers on `data` and reports any disagreement.
Comparison Compare(std::string_view data) {
  Iso2709LineWriter writer;
  YazLineReader yaz;
  Comparison result;
  result.handled = writer.Convert(data);
  if (!result.handled) return result;
  const size_t used = yaz.ReadIso2709(data);
  if (used != writer.record_length()) {
    result.failure = "record length " + std::to_string(writer.record_length()) + ", YAZ " +
                     std::to_string(used);
  } else if (writer.lines() != yaz.lines()) {
    result.failure = "lines differ:\n" + std::string(writer.lines()) + "YAZ:\n" +
                     std::string(yaz.lines());
  }
  return result;
}

std::string ReadFixture(const std::string& path) {
  std::string content;
  EXPECT_TRUE(ReadRecordFile(path, content)) << path;
  return content;
}

TEST(Iso2709LinesTest, WritesTheLinesOfYaz) {
  const std::string book = Iso2709(kBook);
  // The directory starts at 24 and holds five entries of 12 bytes.
  const size_t base = 24 + 5 * 12 + 1;
  const size_t field_245 = book.find("10\x1f" "aBl");
  struct Row {
    const char* name;
    std::string record;
    bool handled;
  };
  const std::vector<Row> rows = {
      {"MARC 21 record in the code page", book, true},
      {"UTF-8 record", Iso2709({{"001", "7"}, {"245", "10\x1f" "aBl\xc3\xa5" "b\xc3\xa6r"}}, "nam a"), true},
      {"no fields at all", Iso2709({}), true},
      {"data field without subfields", Iso2709({{"500", "  "}}), true},
      {"empty subfields are dropped", Iso2709({{"245", "10\x1f\x1f" "aTitle\x1f"}}), true},
      {"subfield with a code and no text", Iso2709({{"245", "10\x1f" "a\x1f" "bText"}}), true},
      {"control field holding subfield marks", Iso2709({{"001", "abcd\x1f" "ef\x1f"}}), true},
      {"escape and tab inside text", Iso2709({{"245", "10\x1f" "a\x1b(BTab\there"}}), true},
      {"control byte as subfield code", Iso2709({{"245", "10\x1f\x1b" "x"}}), true},
      {"field closed by the record terminator",
       [] {
         const std::string r = Iso2709({{"001", "12345"}});
         return Replace(r, r.size() - 2, "\x1d");
       }(), true},
      {"directory entries out of data order", [] {
         std::string r = Iso2709({{"001", "1"}, {"245", "10\x1f" "aT"}});
         // Swap the two entries; each still points at its own field.
         return r.substr(0, 24) + r.substr(36, 12) + r.substr(24, 12) + r.substr(48);
       }(), true},
      {"90,000-byte record", [] {
         Fields fields;
         for (int i = 0; i < 10; ++i) fields.emplace_back("500", "  \x1f" "a" + std::string(9000, 'x'));
         return Iso2709(fields);
       }(), true},
      {"truncated record", book.substr(0, book.size() - 10), false},
      {"too short for a leader", book.substr(0, 20), false},
      {"record length not digits", Replace(book, 2, "x"), false},
      {"record length below 25", Replace(book, 0, "00024"), false},
      {"base address one too far", Replace(book, 12, "00086"), false},
      {"base address not digits", Replace(book, 12, "0008x"), false},
      {"directory length not digits", Replace(book, 24 + 3, "00x8"), false},
      {"directory start not digits", Replace(book, 24 + 7, "0000 "), false},
      {"directory without terminator", Replace(book, base - 1, "0"), false},
      {"directory entry past the record's end", Replace(book, 24 + 4 * 12 + 7, "09000"), false},
      {"field length zero", Replace(book, 24 + 3, "0000"), false},
      {"field without terminator", Replace(book, book.size() - 2, "x"), false},
      {"field terminator inside a subfield", Replace(book, field_245 + 5, "\x1e"), false},
      {"record terminator inside a subfield", Replace(book, field_245 + 5, "\x1d"), false},
      {"NUL inside a subfield", Replace(book, field_245 + 5, std::string(1, '\0')), false},
      {"NUL inside a control field", Replace(book, base + 2, std::string(1, '\0')), false},
      {"field terminator inside a control field", Replace(book, base + 2, "\x1e"), false},
      {"three indicators", Replace(book, 10, "3"), false},
      {"subfield code length three", Replace(book, 11, "3"), false},
      {"subfield code length zero", Replace(book, 11, "0"), false},
      {"directory length of field not four", Replace(book, 20, "3"), false},
      {"indicator holding a control byte", Replace(book, field_245, "\x1f"), false},
      {"indicator holding a byte above 0x7f", Replace(book, field_245 + 1, "\xe5"), false},
      {"subfield code of a two-byte UTF-8 letter", Iso2709({{"650", " 7\x1f\xce\x89 ao"}}, "nam a"), false},
      {"subfield code from 0x80 up", Iso2709({{"650", " 7\x1f\xe5" "ao"}}), false},
      {"text before the first subfield mark", Iso2709({{"245", "10abc\x1f" "dx"}}), false},
      {"data field holding only its terminator", Iso2709({{"245", ""}}), false},
      {"subfield mark right after a 00X tag's two bytes", Iso2709({{"001", "ab\x1f" "cd"}}), false},
      {"short 00X field at the record's end", Iso2709({{"001", ""}}).substr(0, 24 + 12 + 1 + 1 + 1), false},
      {"NUL in the leader", Replace(book, 18, std::string(1, '\0')), false},
      {"leader byte above 0x7f", Replace(book, 6, "\xe5"), false},
      {"control byte in a tag", Replace(book, 24 + 2 * 12, "\x1f"), false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const Comparison c = Compare(row.record);
    EXPECT_EQ(c.handled, row.handled);
    EXPECT_EQ(c.failure, "");
  }
}

TEST(Iso2709LinesTest, ReadsTheFixtureRecordsLikeYaz) {
  const std::string file = ReadFixture(std::string(VX_SOURCE_DIR) + "/tests/data/formats/records.mrc");
  const std::vector<std::string_view> records = SplitIso2709ByLength(file);
  ASSERT_EQ(records.size(), 24u);
  for (size_t i = 0; i < records.size(); ++i) {
    SCOPED_TRACE("record " + std::to_string(i + 1));
    const Comparison c = Compare(records[i]);
    EXPECT_TRUE(c.handled);
    EXPECT_EQ(c.failure, "");
  }
}

TEST(Iso2709LinesTest, ReadsTheBenchmarkRecordsLikeYaz) {
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("vx_iso2709_" + std::to_string(::getpid()));
  const std::string command = "python3 " + std::string(VX_SOURCE_DIR) +
                              "/bench/vll2_format/gen_records.py --count 2000 --seed 11 " +
                              file.string() + " 2>/dev/null";
  if (std::system(command.c_str()) != 0) GTEST_SKIP() << "python3 not available";
  const std::string content = ReadFixture(file.string());
  std::filesystem::remove(file);
  const std::vector<std::string_view> records = SplitIso2709ByLength(content);
  ASSERT_EQ(records.size(), 2000u);
  int handled = 0;
  for (const std::string_view record : records) {
    const Comparison c = Compare(record);
    handled += c.handled;
    ASSERT_EQ(c.failure, "");
  }
  EXPECT_EQ(handled, 2000);
}

// Random well-formed records (all handled), then each with one byte changed,
// cut short or given a stray separator (identical or declined).
TEST(Iso2709LinesTest, RandomRecordsAndDamageAgreeWithYaz) {
  std::mt19937 random(20261207);
  auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  const std::string alphabet = std::string("abcXYZ 019.,:;/-$") + "\xe5\xe6\xf8\xc5\xfc\x1b\t";
  const char bytes[] = {'\0', '\x1d', '\x1e', '\x1f', ' ', '0', '9', 'a', '\x7f', '\x80', '\xff'};
  int handled_damaged = 0;
  for (int round = 0; round < 3000; ++round) {
    Fields fields;
    for (int f = pick(12); f > 0; --f) {
      char tag[4];
      std::snprintf(tag, sizeof tag, "%03d", pick(4) == 0 ? pick(10) : 10 + pick(990));
      std::string body;
      if (tag[0] == '0' && tag[1] == '0') {
        for (int k = 3 + pick(30); k > 0; --k) body += alphabet[pick(static_cast<int>(alphabet.size()))];
      } else {
        body = {"0 1"[pick(3)], "0 4"[pick(3)]};
        for (int s = pick(5); s > 0; --s) {
          body += '\x1f';
          body += "abcz469"[pick(7)];
          for (int k = pick(40); k > 0; --k) body += alphabet[pick(static_cast<int>(alphabet.size()))];
        }
      }
      fields.emplace_back(tag, body);
    }
    const std::string record = Iso2709(fields, pick(2) ? "nam a" : "cam  ");
    {
      SCOPED_TRACE("well-formed round " + std::to_string(round));
      const Comparison c = Compare(record);
      // A control field of three or more bytes can have a subfield mark only
      // where YAZ would not look, so every generated record is handled.
      EXPECT_TRUE(c.handled);
      ASSERT_EQ(c.failure, "");
    }
    for (int damage = 0; damage < 8; ++damage) {
      const std::string bad = testing::Damaged(record, pick, bytes);
      SCOPED_TRACE("damaged round " + std::to_string(round) + ": " + bad);
      const Comparison c = Compare(bad);
      handled_damaged += c.handled;
      ASSERT_EQ(c.failure, "");
    }
  }
  // Many changes (a letter for a letter) leave the record well-formed.
  EXPECT_GT(handled_damaged, 1000);
}

// The reader takes each record from the writer or, declined, from YAZ: a
// file mixing both reads record by record as YAZ alone reads it.
TEST(Iso2709LinesTest, ReaderFallsBackToYazRecordByRecord) {
  const std::string good = Iso2709(kBook);
  const std::string odd = Replace(Iso2709(kBook, "nam a"), 12, "00086");  // YAZ adds a comment
  const std::string file = good + "\n" + odd + good;
  std::vector<std::string> expected;
  YazLineReader yaz;
  for (const std::string& r : {good, odd, good}) {
    ASSERT_GT(yaz.ReadIso2709(r), 0u);
    expected.emplace_back(FieldLines(yaz.lines()));
  }
  std::vector<std::string> seen;
  std::vector<bool> utf8;
  RecordFileReader().ForEach(file, RecordFileFormat::kIso2709, [&](const InputRecord& r) {
    seen.emplace_back(r.text);
    utf8.push_back(r.utf8);
  });
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(utf8, (std::vector<bool>{false, true, false}));
  EXPECT_NE(expected[1].find("(Base address not at end of directory"), std::string::npos);
  for (const std::string& lines : seen) EXPECT_EQ(lines.find("nam"), std::string::npos) << lines;
}

}  // namespace
}  // namespace vellorax::tool
