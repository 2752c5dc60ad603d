#include "common/record_text.h"

#include "common/strings.h"  // ReplaceAll, ReplaceChar

namespace vellorax::common {

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(text.substr(start, i - start));
      i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

std::string JoinSubfieldLines(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  bool first = true;
  for (std::string_view line : SplitLines(text)) {
    if (!first) result += '\n';
    first = false;
    result.append(line.substr(0, 2));
    if (line.size() > 3) result.append(line.substr(3));
  }
  return result;
}

std::string RepairRecordText(std::string_view text) {
  const std::vector<std::string_view> lines = SplitLines(text);
  std::string control;  // output of 001 lines, always first
  std::string fields;   // output of data field lines, in input order
  fields.reserve(text.size() + 16);
  for (size_t n = 0; n < lines.size(); ++n) {
    const std::string_view line = lines[n];
    if (line.substr(0, 3) == "001") {
      control += "*001  $a";
      if (line.size() > 4) control.append(line.substr(4));
      control += '\n';
    } else if (line.substr(0, 2) == "00") {
      continue;
    } else {
      std::string data(line.size() > 7 ? line.substr(7) : std::string_view());
      ReplaceAll(" $", "\n$", data);
      fields += '*';
      fields.append(line.substr(0, 3));
      fields.append(line.size() > 4 ? line.substr(4, 2) : std::string_view());
      fields.append(JoinSubfieldLines(data));
      if (n + 1 < lines.size()) fields += '\n';
    }
  }
  std::string result = std::move(control);
  result += fields;
  ReplaceChar(result, '\\', '/');
  result += "\n^";
  result += '\0';
  return result;
}

}  // namespace vellorax::common
