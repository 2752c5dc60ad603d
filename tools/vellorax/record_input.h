// Record files for `vellorax format`: splitting a file into records and
// turning ISO 2709 and MARCXML records into the display line layout that the
// record repair understands (YAZ's line format).
#pragma once

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "iso2709_engine_text.h"
#include "iso2709_lines.h"
#include "yaz_lines.h"

namespace vellorax::tool {

enum class RecordFileFormat {
  kEngineText,    // "*24510$a..." lines, each record closed by a "^" line
  kDisplayLines,  // "245 10 $a ..." lines, records separated by empty lines
  kIso2709,
  kMarcXml,
};

class RecordInputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Decides by the first bytes of a file: "<" (after blanks or a byte-order
// mark) is MARCXML, five digits followed by a plausible leader is ISO 2709;
// otherwise `fix` chooses between display lines (true) and engine text.
RecordFileFormat DetectRecordFileFormat(std::string_view content, bool fix);

// One record handed to the formatter: its text, and whether that text is in
// the display line layout (and so must be repaired before the run).
// `utf8` tells that the text is UTF-8 rather than code-page bytes.
struct InputRecord {
  std::string_view text;
  bool display_lines = false;
  bool utf8 = false;
};

// Appends the whole file `path` ("-": standard input) to `out`; false when it
// cannot be opened or read.
bool ReadRecordFile(const std::string& path, std::string& out);

// The whole of one record file: a regular file mapped read-only, anything
// else (standard input, pipes) read into a buffer that is not cleared before
// the read (a string would be: a few megabytes written twice). Reusable.
// A mapped file must not shrink while its view is in use.
class RecordFileBytes {
 public:
  RecordFileBytes() = default;
  RecordFileBytes(const RecordFileBytes&) = delete;
  RecordFileBytes& operator=(const RecordFileBytes&) = delete;
  ~RecordFileBytes();
  // Reads `path` ("-": standard input) in place of what was read before;
  // false when it cannot be opened or read (errno tells why).
  bool Read(const std::string& path);
  std::string_view view() const {
    return mapped_ ? std::string_view(mapped_, mapped_size_) : std::string_view(data_.get(), size_);
  }

 private:
  void Unmap();
  char* mapped_ = nullptr;
  size_t mapped_size_ = 0;
  std::unique_ptr<char[]> data_;
  size_t capacity_ = 0;
  size_t size_ = 0;
};

// The records of an ISO 2709 file cut by their leaders' record lengths, up to
// the first that does not read as a length (no checks beyond that).
std::vector<std::string_view> SplitIso2709ByLength(std::string_view file);

// How RecordFileReader hands over ISO 2709 records.
struct RecordReaderOptions {
  // Records that Iso2709EngineTextWriter takes come as engine record text
  // (display_lines false), the text their display lines repair to.
  bool engine_text = false;
  // The caller converts every record's text from UTF-8 (not only records
  // flagged so): engine text is then made of ASCII records only, as the
  // conversion comes before the repair.
  bool utf8_input = false;
};

// Calls `each` for every record of `content`, in order. ISO 2709 and MARCXML
// records are converted to display lines first: ISO 2709 records by
// Iso2709LineWriter where it handles them, by YAZ otherwise, with the same
// text either way (or, as the options allow, straight to engine text).
// Throws RecordInputError for a record YAZ cannot read (the message names its
// number).
class RecordFileReader {
 public:
  RecordFileReader() = default;
  explicit RecordFileReader(const RecordReaderOptions& options) : options_(options) {}

  void ForEach(std::string_view content, RecordFileFormat format,
               const std::function<void(const InputRecord&)>& each);

 private:
  RecordReaderOptions options_;
  YazLineReader yaz_;
  Iso2709LineWriter iso2709_lines_;
  Iso2709EngineTextWriter iso2709_engine_text_;
};

}  // namespace vellorax::tool
