// The record repair works in one pass over its input. This test holds it
// against a literal step-by-step repair (split into lines, replace " $",
// join the subfield lines, replace backslashes) on random and damaged records.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "common/record_text.h"

namespace vellorax::common {
namespace {

// Line splitting at CR LF, CR or LF; a break at the very end adds no line.
std::vector<std::string> ReferenceLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

std::string ReferenceReplaceAll(std::string s, const std::string& from, const std::string& to) {
  for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
    s.replace(at, from.size(), to);
  return s;
}

// The control number lines lead, the data fields follow in their input order.
std::string ReferenceRepair(const std::string& text) {
  const std::vector<std::string> lines = ReferenceLines(text);
  std::string control, fields;
  for (size_t n = 0; n < lines.size(); ++n) {
    const std::string& line = lines[n];
    if (line.substr(0, 3) == "001") {
      control += "*001  $a" + (line.size() > 4 ? line.substr(4) : "") + "\n";
    } else if (line.substr(0, 2) != "00") {
      const std::vector<std::string> subfields =
          ReferenceLines(ReferenceReplaceAll(line.size() > 7 ? line.substr(7) : "", " $", "\n$"));
      fields += "*" + line.substr(0, 3) + (line.size() > 4 ? line.substr(4, 2) : "");
      for (size_t i = 0; i < subfields.size(); ++i) {  // drop the blank after each code
        const std::string& sub = subfields[i];
        fields += (i > 0 ? "\n" : "") + sub.substr(0, 2) + (sub.size() > 3 ? sub.substr(3) : "");
      }
      if (n + 1 < lines.size()) fields += '\n';
    }
  }
  return ReferenceReplaceAll(control + fields, "\\", "/") + "\n^" + '\0';
}

// Short random texts over the characters that steer the repair, then the
// fixture records with lines shuffled and bytes dropped, doubled and changed.
TEST(RepairRecordTextReferenceTest, RandomAndDamagedRecordsMatchTheStepByStepRepair) {
  std::mt19937 random(4711);
  const std::string alphabet = "  $$$\r\n\n\\0011aA9 $\xE5";
  for (int round = 0; round < 4000; ++round) {
    std::string text;
    for (int i = static_cast<int>(random() % 40); i > 0; --i) text += alphabet[random() % alphabet.size()];
    ASSERT_EQ(RepairRecordText(text), ReferenceRepair(text)) << "[" << text << "]";
  }
  std::vector<std::string> records;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(VX_SOURCE_DIR) / "tests/data/records")) {
    std::ostringstream text;
    text << std::ifstream(entry.path(), std::ios::binary).rdbuf();
    records.push_back(text.str());
  }
  ASSERT_FALSE(records.empty());
  const std::string noise = " $\\\r\n0a";
  for (int round = 0; round < 3000; ++round) {
    std::string text = records[random() % records.size()];
    if (round % 5 == 0) {
      std::vector<std::string> lines = ReferenceLines(text);
      std::shuffle(lines.begin(), lines.end(), random);
      text.clear();
      for (const std::string& line : lines) text += line + (round % 2 ? "\r\n" : "\n");
    }
    for (int d = static_cast<int>(random() % 6); d > 0 && !text.empty(); --d) {
      const size_t at = random() % text.size();
      switch (random() % 3) {
        case 0: text.erase(at, 1); break;
        case 1: text.insert(at, 1, text[at]); break;
        default: text[at] = noise[random() % noise.size()]; break;
      }
    }
    ASSERT_EQ(RepairRecordText(text), ReferenceRepair(text)) << "[" << text << "]";
  }
}

// Runs of plain letters of every length up to 40 between the characters that
// steer the repair, so that block-wise scans meet their stops at every
// offset, and texts ending at every offset of a block.
TEST(RepairRecordTextReferenceTest, LongRunsBetweenBreaksMatchTheStepByStepRepair) {
  std::mt19937 random(20261207);
  const std::string steering = " $$\r\n\n\\";
  const std::vector<std::string> starts = {"245 10 $a ", "001 ", "008 ", "", "24", "500    "};
  for (int round = 0; round < 3000; ++round) {
    std::string text = starts[random() % starts.size()];
    for (int piece = static_cast<int>(random() % 8); piece >= 0; --piece) {
      text.append(random() % 41, static_cast<char>('a' + random() % 26));
      text += steering[random() % steering.size()];
      if (random() % 4 == 0) text += "245 10 $a ";
    }
    text.resize(text.size() - random() % std::min<size_t>(text.size(), 20));
    ASSERT_EQ(RepairRecordText(text), ReferenceRepair(text)) << "[" << text << "]";
  }
}

}  // namespace
}  // namespace vellorax::common
