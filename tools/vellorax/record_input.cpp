#include "record_input.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstring>

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <memory>
#include <tuple>
#include <utility>
#include <vector>

namespace vellorax::tool {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsBlankLine(std::string_view line) {
  for (char c : line) {
    if (c != ' ' && c != '\t' && c != '\r') return false;
  }
  return true;
}

std::string_view SkipLeadingBlanks(std::string_view s) {
  if (s.starts_with("\xEF\xBB\xBF")) s.remove_prefix(3);
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r' ||
                        s.front() == '\n')) {
    s.remove_prefix(1);
  }
  return s;
}

// A leader: five digits of length, then at offset 10..11 "22" (indicator and
// subfield code counts) and four digits of base address.
bool LooksLikeIso2709(std::string_view s) {
  if (s.size() < 24) return false;
  for (int i = 0; i < 5; ++i) {
    if (!IsDigit(s[i])) return false;
  }
  for (int i = 12; i < 17; ++i) {
    if (!IsDigit(s[i])) return false;
  }
  return s.find('\x1d') != std::string_view::npos;
}

// Engine record text: each record ends with a line "^" (optionally followed
// by the NUL byte that the repair appends).
void ForEachEngineRecord(std::string_view content,
                         const std::function<void(const InputRecord&)>& each) {
  size_t start = 0;
  size_t pos = 0;
  while (pos < content.size()) {
    size_t eol = content.find('\n', pos);
    size_t end = eol == std::string_view::npos ? content.size() : eol;
    std::string_view line = content.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!line.empty() && line.back() == '\0') line.remove_suffix(1);
    if (line == "^") {
      each(InputRecord{content.substr(start, pos + 1 - start), false, false});
      start = end == content.size() ? end : end + 1;
    }
    pos = end == content.size() ? end : end + 1;
  }
  std::string_view rest = content.substr(start);
  if (!SkipLeadingBlanks(rest).empty()) each(InputRecord{rest, false, false});
}

// Display lines: records are separated by one or more empty lines.
void ForEachDisplayRecord(std::string_view content,
                          const std::function<void(const InputRecord&)>& each) {
  size_t start = std::string_view::npos;
  size_t last_end = 0;
  size_t pos = 0;
  while (pos <= content.size()) {
    size_t eol = content.find('\n', pos);
    size_t end = eol == std::string_view::npos ? content.size() : eol;
    std::string_view line = content.substr(pos, end - pos);
    if (IsBlankLine(line)) {
      if (start != std::string_view::npos) {
        each(InputRecord{content.substr(start, last_end - start), true, false});
        start = std::string_view::npos;
      }
    } else {
      if (start == std::string_view::npos) start = pos;
      last_end = end;
    }
    if (eol == std::string_view::npos) break;
    pos = eol + 1;
  }
  if (start != std::string_view::npos) {
    each(InputRecord{content.substr(start, last_end - start), true, false});
  }
}

void CollectRecordNodes(xmlNode* node, std::vector<xmlNode*>& out) {
  for (; node; node = node->next) {
    if (node->type != XML_ELEMENT_NODE) continue;
    if (xmlStrcmp(node->name, BAD_CAST "record") == 0) {
      out.push_back(node);
    } else {
      CollectRecordNodes(node->children, out);
    }
  }
}

}  // namespace

namespace {

// Reads the whole file `path` ("-": standard input) behind the `used` bytes
// of a buffer that `reserve(n)` makes at least n bytes long, keeping what it
// holds, and returns as {data, capacity}. A regular file goes in one read of
// its size. `used` ends as the length filled; false when the file cannot be
// opened or read.
template <class Reserve>
bool ReadWholeFile(const std::string& path, size_t& used, Reserve reserve) {
  std::FILE* in = path == "-" ? stdin : std::fopen(path.c_str(), "rb");
  if (!in) return false;
  struct stat info {};
  size_t want = 1 << 16;
  if (fstat(fileno(in), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
    want = static_cast<size_t>(info.st_size) + 1;  // + 1 to see the end in the same call
  }
  auto [data, capacity] = reserve(used + want);
  while (true) {
    const size_t n = std::fread(data + used, 1, capacity - used, in);
    used += n;
    if (n == 0 || std::feof(in) || std::ferror(in)) break;
    if (used == capacity) std::tie(data, capacity) = reserve(2 * capacity);
  }
  const bool ok = !std::ferror(in);
  if (in != stdin) std::fclose(in);
  return ok;
}

}  // namespace

bool ReadRecordFile(const std::string& path, std::string& out) {
  size_t used = out.size();
  const bool ok = ReadWholeFile(path, used, [&out](size_t n) {
    out.resize(n);
    return std::pair(out.data(), out.size());
  });
  out.resize(used);
  return ok;
}

RecordFileBytes::~RecordFileBytes() { Unmap(); }

void RecordFileBytes::Unmap() {
  if (mapped_ != nullptr) munmap(mapped_, mapped_size_);
  mapped_ = nullptr;
  mapped_size_ = 0;
}

bool RecordFileBytes::Read(const std::string& path) {
  Unmap();
  size_ = 0;
  if (path != "-") {
    // A regular file is mapped with its pages filled in one go: no copy, and
    // no page fault per page of a large file.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info {};
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
      void* p = mmap(nullptr, static_cast<size_t>(info.st_size), PROT_READ,
                     MAP_PRIVATE | MAP_POPULATE, fd, 0);
      if (p != MAP_FAILED) {
        close(fd);
        mapped_ = static_cast<char*>(p);
        mapped_size_ = static_cast<size_t>(info.st_size);
        return true;
      }
    }
    close(fd);
  }
  return ReadWholeFile(path, size_, [this](size_t n) {
    if (n > capacity_) {
      // Not cleared first: the read fills it.
      std::unique_ptr<char[]> bigger = std::make_unique_for_overwrite<char[]>(n);
      if (size_ > 0) std::memcpy(bigger.get(), data_.get(), size_);
      data_ = std::move(bigger);
      capacity_ = n;
    }
    return std::pair(data_.get(), capacity_);
  });
}

std::vector<std::string_view> SplitIso2709ByLength(std::string_view file) {
  std::vector<std::string_view> records;
  size_t pos = 0;
  while (pos + 5 <= file.size()) {
    size_t length = 0;
    for (size_t i = pos; i < pos + 5; ++i) {
      if (!IsDigit(file[i])) return records;
      length = length * 10 + static_cast<size_t>(file[i] - '0');
    }
    if (length == 0 || pos + length > file.size()) break;
    records.push_back(file.substr(pos, length));
    pos += length;
  }
  return records;
}

RecordFileFormat DetectRecordFileFormat(std::string_view content, bool fix) {
  std::string_view head = SkipLeadingBlanks(content);
  if (head.starts_with("<")) return RecordFileFormat::kMarcXml;
  if (LooksLikeIso2709(content)) return RecordFileFormat::kIso2709;
  return fix ? RecordFileFormat::kDisplayLines : RecordFileFormat::kEngineText;
}

void RecordFileReader::ForEach(std::string_view content, RecordFileFormat format,
                               const std::function<void(const InputRecord&)>& each) {
  switch (format) {
    case RecordFileFormat::kEngineText:
      ForEachEngineRecord(content, each);
      return;
    case RecordFileFormat::kDisplayLines:
      ForEachDisplayRecord(content, each);
      return;
    case RecordFileFormat::kIso2709: {
      size_t pos = 0;
      int number = 0;
      while (pos < content.size()) {
        char c = content[pos];
        if (c == '\r' || c == '\n' || c == ' ' || c == '\x1a') {
          ++pos;
          continue;
        }
        ++number;
        std::string_view rest = content.substr(pos);
        const bool utf8 = rest.size() > 9 && rest[9] == 'a';
        if (options_.engine_text &&
            iso2709_engine_text_.Convert(rest, utf8 || options_.utf8_input)) {
          each(InputRecord{iso2709_engine_text_.text(), false, utf8});
          pos += iso2709_engine_text_.record_length();
          continue;
        }
        if (iso2709_lines_.Convert(rest)) {
          each(InputRecord{FieldLines(iso2709_lines_.lines()), true, utf8});
          pos += iso2709_lines_.record_length();
          continue;
        }
        const size_t used = yaz_.ReadIso2709(rest);
        if (used == 0) {
          throw RecordInputError("ISO 2709 record " + std::to_string(number) +
                                 " cannot be read");
        }
        each(InputRecord{FieldLines(yaz_.lines()), true, utf8});
        pos += used;
      }
      return;
    }
    case RecordFileFormat::kMarcXml: {
      xmlDoc* doc = xmlReadMemory(content.data(), static_cast<int>(content.size()), nullptr,
                                  nullptr, XML_PARSE_NONET | XML_PARSE_NOBLANKS);
      if (!doc) throw RecordInputError("the MARCXML document cannot be parsed");
      std::unique_ptr<xmlDoc, void (*)(xmlDoc*)> owner(doc, xmlFreeDoc);
      std::vector<xmlNode*> records;
      CollectRecordNodes(xmlDocGetRootElement(doc), records);
      int number = 0;
      for (xmlNode* node : records) {
        ++number;
        if (!yaz_.ReadXml(node)) {
          throw RecordInputError("MARCXML record " + std::to_string(number) +
                                 " cannot be read");
        }
        each(InputRecord{FieldLines(yaz_.lines()), true, true});
      }
      return;
    }
  }
}

}  // namespace vellorax::tool
