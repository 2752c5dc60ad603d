// The reference reader of `vellorax format`: YAZ reads an ISO 2709 or MARCXML
// record and writes it in its line format (yaz_marc_write_line). Used for
// every MARCXML record and for the ISO 2709 records that Iso2709LineWriter
// declines; tests and fuzzers compare that writer against it.
// Not thread-safe; one instance per reader.
#pragma once

#include <libxml/tree.h>

#include <cstddef>
#include <memory>
#include <string_view>

namespace vellorax::tool {

class YazLineReader {
 public:
  YazLineReader();
  ~YazLineReader();
  YazLineReader(const YazLineReader&) = delete;
  YazLineReader& operator=(const YazLineReader&) = delete;

  // Reads the ISO 2709 record at the start of `data`. Returns the number of
  // bytes it takes (its leader's length), or 0 when YAZ cannot read it.
  size_t ReadIso2709(std::string_view data);
  // Reads one MARCXML <record> element; false when YAZ cannot.
  bool ReadXml(const xmlNode* record);

  // The lines of the record last read; valid until the next read.
  std::string_view lines() const;

 private:
  struct Handles;
  std::unique_ptr<Handles> handles_;
};

}  // namespace vellorax::tool
