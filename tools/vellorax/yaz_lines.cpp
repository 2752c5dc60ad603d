#include "yaz_lines.h"

#include <yaz/marcdisp.h>
#include <yaz/wrbuf.h>

#include <climits>
#include <string>

namespace vellorax::tool {

namespace {

// YAZ looks a few bytes past a record (up to the indicator count past a
// field's start when it checks for a subfield mark), so the last record of an
// input is read from a copy with this many zero bytes after it.
constexpr size_t kReadPast = 16;
constexpr size_t kLongestRecord = 99999;

}  // namespace

struct YazLineReader::Handles {
  yaz_marc_t marc = yaz_marc_create();
  WRBUF line = wrbuf_alloc();
  std::string padded;
  ~Handles() {
    wrbuf_destroy(line);
    yaz_marc_destroy(marc);
  }
};

YazLineReader::YazLineReader() : handles_(std::make_unique<Handles>()) {}
YazLineReader::~YazLineReader() = default;

size_t YazLineReader::ReadIso2709(std::string_view data) {
  if (data.size() < kLongestRecord + kReadPast) {
    handles_->padded.assign(data);
    handles_->padded.append(kReadPast, '\0');
    data = std::string_view(handles_->padded).substr(0, data.size());
  }
  // A length beyond INT_MAX is cut: YAZ reads at most 99999 bytes anyway.
  const int size = data.size() > INT_MAX ? INT_MAX : static_cast<int>(data.size());
  const int used = yaz_marc_read_iso2709(handles_->marc, data.data(), size);
  if (used <= 0 || used > size) return 0;
  wrbuf_rewind(handles_->line);
  yaz_marc_write_line(handles_->marc, handles_->line);
  return static_cast<size_t>(used);
}

bool YazLineReader::ReadXml(const xmlNode* record) {
  yaz_marc_reset(handles_->marc);
  if (yaz_marc_read_xml(handles_->marc, record) != 0) return false;
  wrbuf_rewind(handles_->line);
  yaz_marc_write_line(handles_->marc, handles_->line);
  return true;
}

std::string_view YazLineReader::lines() const {
  return {wrbuf_buf(handles_->line), wrbuf_len(handles_->line)};
}

}  // namespace vellorax::tool
