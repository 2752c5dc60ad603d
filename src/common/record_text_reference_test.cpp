// The record repair works in one pass over its input. These tests hold it
// against a literal step-by-step repair (split into lines, replace " $",
// join the subfield lines, replace backslashes) on many random and damaged
// display records.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "common/record_text.h"

namespace vellorax::common {
namespace {

namespace fs = std::filesystem;

// Line splitting at CR LF, CR or LF; a break at the very end adds no line.
std::vector<std::string> ReferenceLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string current;
  bool open = false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      lines.push_back(current);
      current.clear();
      open = false;
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      current += text[i];
      open = true;
    }
  }
  if (open) lines.push_back(current);
  return lines;
}

std::string ReferenceReplaceAll(std::string s, const std::string& from, const std::string& to) {
  std::string out;
  size_t pos = 0;
  while (true) {
    const size_t hit = s.find(from, pos);
    if (hit == std::string::npos) break;
    out += s.substr(pos, hit - pos) + to;
    pos = hit + from.size();
  }
  return out + s.substr(pos);
}

std::string ReferenceJoinSubfieldLines(const std::string& text) {
  std::string out;
  const std::vector<std::string> lines = ReferenceLines(text);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) out += '\n';
    out += lines[i].substr(0, 2);
    if (lines[i].size() > 3) out += lines[i].substr(3);
  }
  return out;
}

// The repair step by step; the control number lines lead, the data fields
// follow in their input order.
std::string ReferenceRepair(const std::string& text) {
  const std::vector<std::string> lines = ReferenceLines(text);
  std::string control;
  std::string fields;
  for (size_t n = 0; n < lines.size(); ++n) {
    const std::string& line = lines[n];
    if (line.substr(0, 3) == "001") {
      control += "*001  $a" + (line.size() > 4 ? line.substr(4) : "") + "\n";
    } else if (line.substr(0, 2) == "00") {
      continue;
    } else {
      std::string data = line.size() > 7 ? line.substr(7) : "";
      data = ReferenceReplaceAll(data, " $", "\n$");
      data = ReferenceJoinSubfieldLines(data);
      fields += "*" + line.substr(0, 3) + (line.size() > 4 ? line.substr(4, 2) : "") + data;
      if (n + 1 < lines.size()) fields += '\n';
    }
  }
  std::string result = ReferenceReplaceAll(control + fields, "\\", "/");
  return result + "\n^" + '\0';
}

// Short random texts over the characters that steer the repair.
TEST(RepairRecordTextReferenceTest, RandomTexts) {
  std::mt19937 random(4711);
  const std::string alphabet = "  $$$\r\n\n\\0011aA9 $\xE5";
  for (int round = 0; round < 4000; ++round) {
    std::string text;
    const int length = static_cast<int>(random() % 40);
    for (int i = 0; i < length; ++i) text += alphabet[random() % alphabet.size()];
    ASSERT_EQ(RepairRecordText(text), ReferenceRepair(text)) << "[" << text << "]";
  }
}

// Realistic records with lines shuffled, bytes dropped, doubled and changed.
TEST(RepairRecordTextReferenceTest, DamagedFixtureRecords) {
  std::vector<std::string> records;
  for (const auto& entry :
       fs::directory_iterator(fs::path(VX_SOURCE_DIR) / "tests" / "data" / "records")) {
    std::ifstream in(entry.path(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    records.push_back(text.str());
  }
  ASSERT_FALSE(records.empty());
  std::mt19937 random(20261207);
  const std::string noise = " $\\\r\n0a";
  int checked = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string text = records[random() % records.size()];
    if (round % 5 == 0) {
      std::vector<std::string> lines = ReferenceLines(text);
      std::shuffle(lines.begin(), lines.end(), random);
      text.clear();
      for (const std::string& line : lines) text += line + (round % 2 ? "\r\n" : "\n");
    }
    const int damage = static_cast<int>(random() % 6);
    for (int d = 0; d < damage && !text.empty(); ++d) {
      const size_t at = random() % text.size();
      switch (random() % 3) {
        case 0: text.erase(at, 1); break;
        case 1: text.insert(at, 1, text[at]); break;
        default: text[at] = noise[random() % noise.size()]; break;
      }
    }
    ASSERT_EQ(RepairRecordText(text), ReferenceRepair(text)) << "[" << text << "]";
    ++checked;
  }
  EXPECT_EQ(checked, 3000);
}

}  // namespace
}  // namespace vellorax::common
