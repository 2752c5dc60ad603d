#include "common/record_text.h"

#include <algorithm>
#include <cstring>

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

namespace {

// Position of the next " $" in `data` at or after `from`, or npos.
size_t FindSubfieldBreak(std::string_view data, size_t from) {
  while (from + 1 < data.size()) {
    const void* hit = std::memchr(data.data() + from + 1, '$', data.size() - from - 1);
    if (!hit) return std::string_view::npos;
    const size_t dollar = static_cast<size_t>(static_cast<const char*>(hit) - data.data());
    if (data[dollar - 1] == ' ') return dollar - 1;
    from = dollar;
  }
  return std::string_view::npos;
}

// Writes into a string's buffer through a cursor. Make room with Reserve
// before writing; Finish trims the string to what was written.
class TextWriter {
 public:
  explicit TextWriter(size_t capacity) : text_(capacity, '\0') { cursor_ = text_.data(); }

  // REQUIRES: `n` bytes will not be exceeded before the next Reserve.
  void Reserve(size_t n) {
    if (static_cast<size_t>(text_.data() + text_.size() - cursor_) >= n) return;
    const size_t used = Size();
    text_.resize(std::max(2 * text_.size(), used + n));
    cursor_ = text_.data() + used;
  }
  size_t Size() const { return static_cast<size_t>(cursor_ - text_.data()); }
  void Put(char c) { *cursor_++ = c; }
  void Put(std::string_view s) {
    if (s.empty()) return;  // an empty view may hold a null pointer
    std::memcpy(cursor_, s.data(), s.size());
    cursor_ += s.size();
  }
  // Puts `s` at `at`, moving what was written from there on behind it.
  void Insert(size_t at, std::string_view s) {
    char* const where = text_.data() + at;
    std::memmove(where + s.size(), where, Size() - at);
    std::memcpy(where, s.data(), s.size());
    cursor_ += s.size();
  }
  std::string Finish() && {
    text_.resize(Size());
    return std::move(text_);
  }

 private:
  std::string text_;
  char* cursor_;
};

// The subfields of a data field line (from column 8) in one pass: a line
// break in place of the blank of every " $", and the third character of each
// resulting line dropped ("$a Title $b sub" becomes "$aTitle" LF "$bsub").
// Writes at most data.size() bytes.
void PutSubfields(TextWriter& out, std::string_view data) {
  size_t start = 0;
  while (start < data.size()) {
    const size_t brk = FindSubfieldBreak(data, start);
    const std::string_view piece =
        data.substr(start, brk == std::string_view::npos ? std::string_view::npos : brk - start);
    out.Put(piece.substr(0, 2));
    if (piece.size() > 3) out.Put(piece.substr(3));
    if (brk == std::string_view::npos) return;
    out.Put('\n');
    start = brk + 1;  // the "$" that begins the next subfield
  }
}

// End of the line starting at `start`, and where the next line starts.
// `has_cr` tells whether the text holds a carriage return at all.
void FindLineEnd(std::string_view text, bool has_cr, size_t start, size_t& end, size_t& next) {
  const char* p = text.data();
  const size_t size = text.size();
  const void* lf = std::memchr(p + start, '\n', size - start);
  end = lf ? static_cast<size_t>(static_cast<const char*>(lf) - p) : size;
  if (has_cr) {
    if (const void* cr = std::memchr(p + start, '\r', end - start)) {
      end = static_cast<size_t>(static_cast<const char*>(cr) - p);
    }
  }
  if (end == size) {
    next = size;
  } else {
    next = end + ((p[end] == '\r' && end + 1 < size && p[end + 1] == '\n') ? 2 : 1);
  }
}

}  // namespace

// One output buffer, filled line by line; the control number lines go to the
// front part (before `control_end`), data fields after it. No line writes
// more than its length + 6 bytes ("001" alone becomes "*001  $a" LF).
std::string RepairRecordText(std::string_view text) {
  constexpr std::string_view kControlStart = "*001  $a";
  TextWriter out(text.size() + 64);
  const bool has_cr = text.find('\r') != std::string_view::npos;
  size_t control_end = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = 0;
    size_t next = 0;
    FindLineEnd(text, has_cr, start, end, next);
    const std::string_view line = text.substr(start, end - start);
    const bool last = next >= text.size();
    start = next;
    if (line.starts_with("001")) {
      out.Reserve(line.size() + 8);
      const std::string_view number = line.size() > 4 ? line.substr(4) : std::string_view();
      if (control_end == out.Size()) {
        out.Put(kControlStart);
        out.Put(number);
        out.Put('\n');
      } else {
        std::string control;
        control.reserve(kControlStart.size() + number.size() + 1);
        control.append(kControlStart);
        control.append(number);
        control += '\n';
        out.Insert(control_end, control);
      }
      control_end += kControlStart.size() + number.size() + 1;
    } else if (line.starts_with("00")) {
      continue;
    } else {
      out.Reserve(line.size() + 8);
      out.Put('*');
      out.Put(line.substr(0, 3));
      if (line.size() > 4) out.Put(line.substr(4, 2));
      if (line.size() > 7) PutSubfields(out, line.substr(7));
      if (!last) out.Put('\n');
    }
  }
  out.Reserve(3);
  out.Put("\n^");
  out.Put('\0');
  std::string result = std::move(out).Finish();
  char* const end = result.data() + result.size();
  for (char* p = result.data(); (p = static_cast<char*>(std::memchr(p, '\\', end - p)));) {
    *p = '/';
  }
  return result;
}

}  // namespace vellorax::common
