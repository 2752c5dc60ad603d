// A converter from one ISO 2709 record straight to engine record text
// ("*24510$aTitle" lines, "^" and a NUL byte): the text that the record repair
// makes of the field lines (FieldLines: the leader's line left out) that
// Iso2709LineWriter writes for the record, byte for byte, without making
// those lines.
//
// It takes only records that Iso2709LineWriter takes (the checks of
// iso2709_layout.h and the same field rules), and declines further whatever
// would make the repair read the lines otherwise than field by field and
// subfield by subfield: a line break inside a field, a subfield code that is a
// control byte, a "$" opening a subfield's text or following a blank in it.
// A declined record goes the long way (lines, then repair) with the same
// result. Not thread-safe; one instance per reader.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vellorax::tool {

class Iso2709EngineTextWriter {
 public:
  // Converts the record at the start of `data` (the rest of the file). Returns
  // true when it did: text() holds the engine record text and record_length()
  // the record's length from its leader. With `ascii_only` a record holding a
  // byte from 0x80 up is declined (UTF-8 records are converted to the code
  // page before the repair, which this writer does not do). Returns false
  // ("not handled") otherwise; text() is then unspecified.
  bool Convert(std::string_view data, bool ascii_only);

  // Valid until the next Convert; ends with the NUL byte the repair appends.
  std::string_view text() const { return {buffer_.data(), size_}; }
  size_t record_length() const { return record_length_; }

 private:
  std::string buffer_;  // grows to the largest record seen, never shrinks
  std::string padded_;  // a record at the end of the input, with room to read past it
  size_t size_ = 0;
  size_t record_length_ = 0;
};

}  // namespace vellorax::tool
