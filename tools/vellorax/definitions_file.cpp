#include "definitions_file.h"

#include <fstream>
#include <sstream>

namespace vellorax::tool {
namespace {

bool IsBlankChar(char c) { return c == ' ' || c == '\t'; }

// Splits at LF, CR LF or CR; a final break adds no empty last line.
std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' || text[i] == '\r') {
      lines.push_back(text.substr(start, i - start));
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      start = i + 1;
    }
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

std::vector<std::string_view> Words(std::string_view s) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && IsBlankChar(s[i])) ++i;
    size_t start = i;
    while (i < s.size() && !IsBlankChar(s[i])) ++i;
    if (i > start) words.push_back(s.substr(start, i - start));
  }
  return words;
}

void FinishBody(Definition& def, std::vector<std::string_view>& body) {
  while (!body.empty() && body.back().empty()) body.pop_back();
  size_t first = 0;
  while (first < body.size() && body[first].empty()) ++first;
  for (size_t i = first; i < body.size(); ++i) {
    if (i > first) def.body += '\n';
    def.body += body[i];
  }
  body.clear();
}

}  // namespace

std::vector<Definition> ParseDefinitions(std::string_view text) {
  std::vector<Definition> defs;
  std::vector<std::string_view> body;
  int number = 0;
  for (std::string_view line : Lines(text)) {
    ++number;
    if (line.starts_with("%#")) continue;
    if (line.starts_with("%%")) {
      if (!defs.empty()) FinishBody(defs.back(), body);
      std::vector<std::string_view> words = Words(line.substr(2));
      if (words.size() != 2) {
        throw DefinitionsError("line " + std::to_string(number) +
                               ": a header is \"%% NAME TYPE\"");
      }
      defs.push_back(Definition{std::string(words[0]), std::string(words[1]), "", number});
      continue;
    }
    if (defs.empty()) {
      bool blank = true;
      for (char c : line) blank = blank && IsBlankChar(c);
      if (blank) continue;
      throw DefinitionsError("line " + std::to_string(number) +
                             ": text before the first \"%% NAME TYPE\" header");
    }
    body.push_back(line);
  }
  if (!defs.empty()) FinishBody(defs.back(), body);
  return defs;
}

std::vector<Definition> ReadDefinitionsFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw DefinitionsError("cannot read definitions file " + path);
  std::ostringstream buffer;
  buffer << in.rdbuf();
  try {
    return ParseDefinitions(buffer.str());
  } catch (const DefinitionsError& e) {
    throw DefinitionsError(path + ", " + e.what());
  }
}

}  // namespace vellorax::tool
